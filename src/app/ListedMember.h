// The member of the last listing: its albums as the grid numbers them, the member folder texts the
// download run puts them under, the address they were listed from, and the stop flag of a listing that
// is filling them now.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>

#include "MyCode/StringCtrl.h"
#include "discovery/AlbumListCrawler.h"
#include "discovery/SiteProfile.h"
#include "model/AlbumRecords.h"

namespace albatrix {

// How a listing reads a member's albums: the ListMemberAlbums contract (`memberText` trimmed and not
// empty, every album to `events`, ended by `stop` after the album it is at).
using ListAlbumsFn = std::function<ListingResult(TextView memberText, const SiteProfile& profile,
                                                 ListingEvents& events, const std::atomic<bool>* stop)>;

class ListedMember {
 public:
  // `listAlbums` empty: the site's album list pages (ListMemberAlbums). The tests hand albums as data.
  explicit ListedMember(ListAlbumsFn listAlbums = {}) : listAlbums_(std::move(listAlbums)) {}

  // The albums. Only the thread that lists appends to them: read them while no listing runs, or from
  // that thread.
  const AlbumList& Albums() const { return albums_; }
  void ClearAlbums() { albums_.ClearAlbums(); }
  // Stores a copy of `album`, its title cut to `titleUnits` and kept unique; its index, or nothing when
  // it could not be stored.
  std::optional<std::size_t> Append(const ST_PERLISTRECORD& album, std::size_t titleUnits);

  // Lists `memberText` on the calling thread; `events` gets every album found (and usually Appends it).
  // A raised stop flag ends the page in flight and the listing after the album it is at.
  ListingResult List(const Text& memberText, const SiteProfile& profile, ListingEvents& events);
  // The stop flag: raised by a stop request from any thread, lowered by the one that starts a listing,
  // before it starts, so a stop that comes in between still holds.
  void RaiseStop() { stop_ = true; }
  void LowerStop() { stop_ = false; }

  // The member folder text ("" or ending with the separator) and the sub-folder text, and the address of
  // the member these albums belong to. Any thread.
  void SetFolders(Text memberKey, Text subFolder);
  void SetAddress(Text address);
  Text MemberKey() const;
  Text SubFolder() const;
  Text Address() const;

 private:
  const ListAlbumsFn listAlbums_;
  AlbumList albums_;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;  // the texts are written by the listing thread and read by others
  Text memberKey_;
  Text subFolder_;
  Text address_;
};

}  // namespace albatrix
