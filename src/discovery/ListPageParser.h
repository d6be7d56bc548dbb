// Reading the community's album-list pages and a single album's own page: free functions over page text,
// so the rules are tested with tables of pages and the fetching stays elsewhere.
#pragma once

#include <cstdint>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"
#include "model/AlbumRecords.h"

namespace albatrix {

// Shown by the site while it is under maintenance.
inline constexpr TextView kMaintenanceText = u"当前页面正在维护中";

// True when the maintenance text stands at index 1 or later (first occurrence).
bool IsMaintenancePage(TextView page);

// A member text names one album when "/photo/a" stands at index 1 or later.
bool NamesOneAlbum(TextView memberText);

// The member key: the text after the profile's host fragment (all of it when the fragment is absent), cut
// before the first "/", then "&", "*", "?" and "#" in that order.
Text MemberKeyOf(TextView memberText, const SiteProfile& profile);

// The album key of a single album's address: the text after the host fragment's domain ending (all of it
// when the ending is absent), cut before the first "-" and then before ".htm".
Text SingleAlbumPathOf(TextView memberText, const SiteProfile& profile);

// A picture count as pages write it: leading white space skipped, decimal digits up to the first
// non-digit; no digits is 0. Values beyond the record's range stay at its largest value.
std::int32_t ReadPictureCount(TextView text);

// One album-list page taken apart.
struct ListPageScan {
  bool maintenance = false;  // the page says the site is under maintenance; nothing else is read
  bool morePages = false;    // `id="j_next` stands on the page
  TextArray entries;         // one piece per album, in page order; none when the list holds no "<li"
};

ListPageScan ScanListPage(Text page);

// Fills `working` from one album entry: albumPath, coverUrl, title and pictureCount, each search starting
// right after the start marker the one before found. accessFlags is set to 0; the other fields are not
// touched. A field whose start marker is missing, or whose end marker is, becomes empty.
void ParseListEntry(Text entry, ST_PERLISTRECORD& working);

// Fills `working` from a single album's own page (after `class="albumlist`): coverUrl, title from `alt="`,
// pictureCount from ">共" ... "张"; accessFlags 0. albumPath is not touched (it comes from the address).
void ParseSingleAlbumPage(Text page, ST_PERLISTRECORD& working);

}  // namespace albatrix
