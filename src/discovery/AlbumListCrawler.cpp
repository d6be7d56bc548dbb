#include "discovery/AlbumListCrawler.h"

#include <string>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "discovery/ListPageParser.h"
#include "discovery/PageReader.h"
#include "discovery/SiteRecognition.h"
#include "MyCode/SanitizeFileName.h"

namespace albatrix {

namespace {

Text CountText(const char* before, std::size_t n, const char* after) {
  return Utf8ToText(std::string(before) + std::to_string(n) + after);
}

// Appends the working record and shows the new album at once. False when the record could not be
// stored (the message is shown; nothing was appended).
bool AppendAndShow(ListingWindow& window, const ST_PERLISTRECORD& working) {
  std::int32_t count = window.Albums().AppendAlbum(working);
  if (count <= 0) {
    window.Message(u"内存分配失败");
    return false;
  }
  window.ShowAlbum(static_cast<std::size_t>(count) - 1);
  return true;
}

// The branch for an address that names one album: that album's own page gives its cover, title and count.
Text ListSingleAlbum(ListingWindow& window, PageReader& reader, TextView memberText) {
  const SiteProfile& profile = window.Profile();
  Text page;
  if (!reader.Read(memberText, page)) return Text();
  if (IsMaintenancePage(page)) {
    Trace("list: the site is under maintenance");
    return Text();
  }
  ST_PERLISTRECORD working;
  ParseSingleAlbumPage(std::move(page), working);
  working.albumPath = SingleAlbumPathOf(memberText, profile);
  AppendAndShow(window, working);
  return MemberKeyOf(memberText, profile);
}

}  // namespace

Text MemberFolderText(TextView key) {
  Text folder = SanitizeFileName(key, 0, false);
  for (char16_t& c : folder)
    if (c == u'/') c = kPathSep;
  if (!folder.empty() && folder.back() != kPathSep) folder.push_back(kPathSep);
  return folder;
}

Text ParseAlbumListPages(ListingWindow& window, TextView memberText) {
  PageReader reader(window.FetchAbort());
  if (NamesOneAlbum(memberText)) return ListSingleAlbum(window, reader, memberText);

  const SiteProfile& profile = window.Profile();
  Text key = MemberKeyOf(memberText, profile);
  ST_PERLISTRECORD working;  // one record, refilled for every album; AppendAlbum copies it
  for (int page = 1;; ++page) {
    Text text;
    if (!reader.Read(profile.AlbumListPageAddress(key, page), text)) return key;
    ListPageScan scan = ScanListPage(std::move(text));
    if (scan.maintenance) {
      Trace("list: the site is under maintenance");
      return key;
    }
    if (scan.entries.empty()) return key;
    for (Text& entry : scan.entries) {
      ParseListEntry(std::move(entry), working);
      AppendAndShow(window, working);
      if (window.StopRequested()) {
        Trace("list: stopped at the user's request on page " + std::to_string(page));
        return key;
      }
    }
    if (!scan.morePages) return key;
  }
}

int GetListFunc(ListingWindow& window) {
  window.SetSiteCode(SITE_CODE_HUPU);
  window.SetMemberFolders(Text(), Text());
  Text memberText = TrimBlanks(window.MemberBoxText());
  if (memberText.empty()) {
    window.Message(Text(kNeedAddressMessage));
    window.ListingNotStarted();
    return 0;
  }
  window.EnterListing();

  Text memberKey;
  Text subFolder;  // nothing in this site's listing names a sub-folder
  if (!ContainsWebAddress(memberText)) {
    window.Message(Text(kNeedAddressMessage));
  } else {
    memberKey = ParseAlbumListPages(window, memberText);
    if (window.Albums().empty()) window.Message(Text(kLoginFirstMessage));
  }
  window.SetMemberFolders(MemberFolderText(memberKey), MemberFolderText(subFolder));

  window.RefreshGrid();
  std::size_t n = window.Albums().size();
  window.SetGridCaption(CountText("相册列表(共", n, "个)"));
  window.SetStatusLine(CountText("获取相册列表完成，共", n, "个"));
  window.LeaveListing();

  if (n > 0) {
    Text remembered = TrimBlanks(window.MemberBoxText());
    if (window.RememberMember(remembered)) window.AddMemberCandidate(remembered);
  }
  return 0;
}

}  // namespace albatrix
