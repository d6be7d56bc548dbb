#include "discovery/ListPageParser.h"

#include <limits>

namespace albatrix {

namespace {

constexpr TextView kQuote = u"\"";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

}  // namespace

bool IsMaintenancePage(TextView page) {
  std::size_t at = page.find(kMaintenanceText);
  return at != TextView::npos && at >= 1;
}

bool NamesOneAlbum(TextView memberText) {
  std::size_t at = memberText.find(u"/photo/a");
  return at != TextView::npos && at >= 1;
}

Text MemberKeyOf(TextView memberText, const SiteProfile& profile) {
  Text key(memberText);
  SkipPast(key, profile.HostFragment(), true);
  for (TextView end : {u"/", u"&", u"*", u"?", u"#"}) CutBefore(key, end);
  return key;
}

Text SingleAlbumPathOf(TextView memberText, const SiteProfile& profile) {
  Text path(memberText);
  SkipPast(path, profile.DomainEnding(), true);
  CutBefore(path, u"-");
  CutBefore(path, u".htm");
  return path;
}

std::int32_t ReadPictureCount(TextView text) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > kMax) value = kMax;
  }
  return static_cast<std::int32_t>(value);
}

ListPageScan ScanListPage(Text page) {
  ListPageScan scan;
  if (IsMaintenancePage(page)) {
    scan.maintenance = true;
    return scan;
  }
  scan.morePages = page.find(u"id=\"j_next") != Text::npos;
  SkipPast(page, u"class=\"album_list", true);
  CutBefore(page, u"</ul>");
  if (SplitText(page, u"<li", scan.entries) > 0) scan.entries.erase(scan.entries.begin());
  return scan;
}

void ParseListEntry(Text entry, ST_PERLISTRECORD& working) {
  working.accessFlags = 0;
  working.albumPath = TextBetween(entry, u"href=\"", kQuote, BETWEEN_CONSUME);
  CutBefore(working.albumPath, u"-");
  CutBefore(working.albumPath, u".htm");
  working.coverUrl = TextBetween(entry, u"src=\"", kQuote, BETWEEN_CONSUME);
  working.title = TextBetween(entry, u"title=\"", kQuote, BETWEEN_CONSUME);
  working.pictureCount = ReadPictureCount(TextBetween(entry, u"(共", u"张", BETWEEN_CONSUME));
}

void ParseSingleAlbumPage(Text page, ST_PERLISTRECORD& working) {
  SkipPast(page, u"class=\"albumlist", true);
  working.accessFlags = 0;
  working.coverUrl = TextBetween(page, u"src=\"", kQuote, BETWEEN_CONSUME);
  working.title = TextBetween(page, u"alt=\"", kQuote, BETWEEN_CONSUME);
  working.pictureCount = ReadPictureCount(TextBetween(page, u">共", u"张", BETWEEN_CONSUME));
}

}  // namespace albatrix
