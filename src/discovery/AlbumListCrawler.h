// The album-list crawler: turns what the user typed into the member box into the member's albums, page by
// page, reporting each album as soon as it is read. Runs on the listing thread; knows no window.
#pragma once

#include <atomic>
#include <cstddef>

#include "MyCode/StringCtrl.h"
#include "MyCode/URLSource2.h"
#include "discovery/PageReader.h"
#include "discovery/SiteProfile.h"
#include "model/AlbumRecords.h"

namespace albatrix {

// What a listing reports while it reads. Called on the listing thread only.
class ListingEvents {
 public:
  virtual ~ListingEvents() = default;
  // An album was read (the record is reused for the next one: copy what is kept).
  virtual void AlbumFound(const ST_PERLISTRECORD& album) = 0;
  // Page `page` (1 for the first) has been read and its `albums` albums reported.
  virtual void PageDone(int /*page*/, std::size_t /*albums*/) {}
};

// How a listing ended.
enum class ListingEnd {
  NoAddress,     // the text holds no web address: nothing was asked of the site
  LastPage,      // the last page was read (or the one album that the address names)
  Unreadable,    // a page could not be read (or one came empty)
  Maintenance,   // the site said it is under maintenance
  Stopped,       // the stop flag was raised
};

struct ListingResult {
  ListingEnd end = ListingEnd::NoAddress;
  Text memberKey;  // the member key found (empty when the text named no member)
  int endPage = 0; // Unreadable, Maintenance: the page that ended the listing, 1 for the first
  PageFailure failure;  // Unreadable: why that page could not be read
};

// The member folder text the download run puts under the save path: the key cleaned as a file name, then
// ending with the path separator unless it is empty.
Text MemberFolderText(TextView key);

// Reads the albums of the member or the single album that `memberText` (trimmed, not empty) names,
// reporting each to `events`, until the last page (or one with the very albums of the page before), a
// page that cannot be read, or `stop` (may be null), which is read after every album and also ends a page
// in flight when it is raised. `fetch` (empty: Fetch) makes the page requests.
ListingResult ListMemberAlbums(TextView memberText, const SiteProfile& profile, ListingEvents& events,
                               const std::atomic<bool>* stop, FetchFn fetch = {});

}  // namespace albatrix
