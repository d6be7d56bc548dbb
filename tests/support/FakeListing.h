// A listing that reads no page, for controller tests: the albums are handed as data.
#pragma once

#include <utility>
#include <vector>

#include "app/ListedMember.h"

namespace albatrix::test {

// An album as a listing reports it: `title`, with `pictureCount` pictures (-1: the page did not say).
inline ST_PERLISTRECORD ListedAlbum(Text title, std::int32_t pictureCount = 3) {
  ST_PERLISTRECORD album;
  album.title = std::move(title);
  album.pictureCount = pictureCount;
  return album;
}

// Lists `albums` as they are at the listing (the test may change them between listings) for every
// member text holding "://", as the member "kobe", and stops after the album it is at when asked; a text
// without it names no address, as on the site. `albums` must outlive the controller.
inline ListAlbumsFn ListsAlbumsOf(const std::vector<ST_PERLISTRECORD>& albums) {
  return [&albums](TextView memberText, const SiteProfile&, ListingEvents& events, const std::atomic<bool>* stop) {
    ListingResult result;
    if (memberText.find(u"://") == TextView::npos) return result;
    result.memberKey = u"kobe";
    for (const ST_PERLISTRECORD& album : albums) {
      events.AlbumFound(album);
      if (stop && *stop) {
        result.end = ListingEnd::Stopped;
        return result;
      }
    }
    result.end = ListingEnd::LastPage;
    return result;
  };
}

}  // namespace albatrix::test
