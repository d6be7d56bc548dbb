// The album site's pages as UTF-8 HTML (the server sends them in GBK). They carry exactly the markers
// the program's crawlers cut pages with:
//   list page:  `class="album_list` ... "</ul>", one "<li" per album with `href="`, `src="`, `title="`
//               and "(共N张)" in that order; `id="j_next` only while a further page exists
//   album page: `class="albumlist"` header with `src="`, `alt="` and ">共N张"; then `class="albumlist_list`
//               ... "</ul>", one "<li" per picture with `src="` (the "small." address) and `title="`;
//               `class="next` only while a further page exists
// No other text on a page matches those markers.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix {

// "&" "\"" "'" "<" ">" as &amp; &quot; &#39; &lt; &gt;; the result is UTF-8.
std::string HtmlEscape(TextView text);

// Pages needed for `items` at `perPage` a page; at least 1.
int PageCount(std::size_t items, int perPage);

// Album-list page `page` of `member`; with `showAlbums` false (no login) the list is empty and a notice
// asks for a login. `base` is the site's base address, used for cover addresses.
std::string ListPageHtml(const SiteMember& member, int page, bool showAlbums, const std::string& base);

// Album page `page` of `album`; page 1 is also the album's own page.
std::string AlbumPageHtml(const SiteMember& member, const SiteAlbum& album, int page, const std::string& base);

std::string MaintenancePageHtml();
std::string LoginPageHtml(const std::string& message);
std::string LoginDonePageHtml(const std::string& memberUrl);
std::string IndexPageHtml(const std::vector<std::string>& memberKeys);
std::string ErrorPageHtml(int status);

}  // namespace albatrix
