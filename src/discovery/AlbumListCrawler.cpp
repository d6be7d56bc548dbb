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

bool Raised(const std::atomic<bool>* flag) { return flag && flag->load(); }

// The branch for an address that names one album: that album's own page gives its cover, title and count.
ListingResult ListSingleAlbum(TextView memberText, const SiteProfile& profile, ListingEvents& events,
                              PageReader& reader, const std::atomic<bool>* stop) {
  // Only an album that was read names the member whose folder its pictures go to.
  ListingResult result;
  result.endPage = 1;
  Text page;
  const bool read = reader.Read(memberText, page);
  // A site under maintenance may say so with an error status.
  if (!Raised(stop) && IsMaintenancePage(page)) {
    Trace("list: the site is under maintenance");
    result.end = ListingEnd::Maintenance;
    return result;
  }
  if (!read) {
    result.end = Raised(stop) ? ListingEnd::Stopped : ListingEnd::Unreadable;
    result.failure = reader.LastFailure();
    return result;
  }
  ST_PERLISTRECORD working;
  ParseSingleAlbumPage(std::move(page), working);
  working.albumPath = SingleAlbumPathOf(memberText, profile);
  events.AlbumFound(working);
  events.PageDone(1, 1);
  result.end = ListingEnd::LastPage;
  result.memberKey = MemberKeyOf(memberText, profile);
  return result;
}

ListingResult ListPages(TextView memberText, const SiteProfile& profile, ListingEvents& events, PageReader& reader,
                        const std::atomic<bool>* stop) {
  ListingResult result;
  result.memberKey = MemberKeyOf(memberText, profile);
  ST_PERLISTRECORD working;  // one record, refilled for every album
  TextArray previous;        // the entries of the page before
  for (int page = 1;; ++page) {
    Text text;
    result.endPage = page;
    const bool read = reader.Read(profile.AlbumListPageAddress(result.memberKey, page), text);
    if (!read && (Raised(stop) || !IsMaintenancePage(text))) {
      result.end = Raised(stop) ? ListingEnd::Stopped : ListingEnd::Unreadable;
      result.failure = reader.LastFailure();
      return result;
    }
    ListPageScan scan = ScanListPage(std::move(text));
    // A site under maintenance may say so with an error status.
    if (scan.maintenance) {
      Trace("list: the site is under maintenance");
      result.end = ListingEnd::Maintenance;
      return result;
    }
    if (scan.entries.empty()) {
      result.end = ListingEnd::LastPage;
      return result;
    }
    // A site that answers every page number past its last with the last page, marker and all, would
    // otherwise hold the listing for ever; the same albums again are no new ones.
    if (scan.entries == previous) {
      Trace("list: page " + std::to_string(page) + " repeats the page before; the list ends");
      result.end = ListingEnd::LastPage;
      return result;
    }
    previous = scan.entries;
    for (Text& entry : scan.entries) {
      ParseListEntry(std::move(entry), working);
      events.AlbumFound(working);
      if (Raised(stop)) {
        Trace("list: stopped at the user's request on page " + std::to_string(page));
        result.end = ListingEnd::Stopped;
        return result;
      }
    }
    events.PageDone(page, scan.entries.size());
    if (!scan.morePages) {
      result.end = ListingEnd::LastPage;
      return result;
    }
  }
}

}  // namespace

Text MemberFolderText(TextView key) {
  Text folder = SanitizeFileName(key, 0, false);
  for (char16_t& c : folder)
    if (c == u'/') c = kPathSep;
  if (!folder.empty() && folder.back() != kPathSep) folder.push_back(kPathSep);
  return folder;
}

ListingResult ListMemberAlbums(TextView memberText, const SiteProfile& profile, ListingEvents& events,
                               const std::atomic<bool>* stop, FetchFn fetch) {
  if (!ContainsWebAddress(memberText)) return ListingResult{};
  PageReader reader(stop, nullptr, std::move(fetch));
  if (NamesOneAlbum(memberText)) return ListSingleAlbum(memberText, profile, events, reader, stop);
  return ListPages(memberText, profile, events, reader, stop);
}

}  // namespace albatrix
