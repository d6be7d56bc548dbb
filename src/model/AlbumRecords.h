// The album records of one listing: what the album-list crawler found, what the grid shows and what the
// download run walks. An album is addressed everywhere by its index in the AlbumList.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Bits of ST_PERLISTRECORD::accessFlags, tested in this order (the first set bit wins).
constexpr std::int32_t ACCESS_ENCRYPTED = 1;  // "加密相册"
constexpr std::int32_t ACCESS_PRIVATE = 2;    // "私密相册"
constexpr std::int32_t ACCESS_FRIENDS = 4;    // "好友可见"

// One album. A crawler fills one of these and hands it to AlbumList::AppendAlbum, which copies it.
struct ST_PERLISTRECORD {
  Text title;        // cleaned and made unique by AppendAlbum; the album's folder and list-file name
  Text albumPath;    // the album's address key, put in front of the page number of the album pages
  Text coverUrl;     // the cover picture's address as the page gives it
  Text extraText1;   // empty for this site; copied only
  Text extraText2;   // empty for this site; copied only
  std::int32_t pictureCount = 0;  // as the site states it; 0 when it states none, -1 unknown
  std::int32_t accessFlags = 0;   // ACCESS_* bits; 0 for this site
  std::int32_t number1 = 0;       // the "?4" placeholder; 0 for this site
  std::int32_t number2 = 0;       // the "?5" placeholder; 0 for this site
  std::int32_t ordinal = 0;       // 0-based position at which the album was appended; never changes
  std::int32_t thumbIndex = -1;   // index in the thumbnail image list; -1 while there is none
};

// The albums of the last listing. The list owns its records. Titles stay reachable through a hash count
// so that making a title unique never scans the whole list; that is why titles change only through this
// class (SetTitle) and records are handed out read-only.
//
// Not synchronised: one thread appends while no other thread changes the list (the controller keeps
// listing, grid filling and downloading apart). selectedCount alone is atomic, because the run thread
// writes it while the interface may read it.
class AlbumList {
 public:
  // "Now" for the time stamp that replaces a title cleaning to nothing; empty: the system clock.
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  explicit AlbumList(Clock now = {});
  AlbumList(const AlbumList&) = delete;
  AlbumList& operator=(const AlbumList&) = delete;

  // Copies `album` (its five texts and pictureCount, accessFlags, number1, number2) into a new record
  // with thumbIndex -1 and ordinal = the list's size before. The title is cleaned with
  // SanitizeFileName(title, 0xFFFF, true), so one that is empty or too long afterwards becomes the local
  // time stamp, and then made unique: while an album of the list has exactly that title (case-sensitive,
  // whole text), it becomes "<cleaned> (1)", "<cleaned> (2)", ... in turn; A, A, A (1) are listed as
  // A, A (1), A (1) (1). Returns the new number of albums, or -1 when the record could not be allocated
  // (nothing appended; the caller shows "内存分配失败"). `album` is left unchanged.
  std::int32_t AppendAlbum(const ST_PERLISTRECORD& album);

  // Deletes every record. selectedCount is left as it is.
  void ClearAlbums();

  std::size_t size() const { return albums_.size(); }
  bool empty() const { return albums_.empty(); }

  // The album at index i, 0 <= i < size(). Out of range is a programming error (checked by assert).
  const ST_PERLISTRECORD& operator[](std::size_t i) const;
  const ST_PERLISTRECORD& at(std::size_t i) const { return (*this)[i]; }

  // Replaces the title of album i as it stands (no cleaning, no uniqueness step). Out-of-range i does
  // nothing.
  void SetTitle(std::size_t i, Text title);

  // Cuts the title of album i to at most `maxUnits` code units, never inside a surrogate pair (the grid's
  // rule for long titles), and keeps titles unique: when another album already holds the cut title, the
  // title becomes a shorter cut + " (k)" with the first free k, the whole still within `maxUnits`, so two
  // albums never share a folder. A title no longer than that, or an out-of-range i, is left alone.
  void CutTitle(std::size_t i, std::size_t maxUnits);

  // The thumbnail index of album i (-1: none). Out-of-range i does nothing.
  void SetThumbIndex(std::size_t i, std::int32_t thumbIndex);

  // True when some album has exactly this title.
  bool HasTitle(TextView title) const;

  // Re-orders the albums with a strict weak ordering; albums that compare equal keep their order.
  // ordinal values stay what they were.
  void Sort(const std::function<bool(const ST_PERLISTRECORD&, const ST_PERLISTRECORD&)>& less);

  // Albums chosen for the current download run; set by the run before its first album, 0 before any run.
  std::atomic<std::int32_t> selectedCount{0};

 private:
  void CountTitle(const Text& title);
  void RememberCounter(const Text& cleaned, unsigned next);
  void UncountTitle(const Text& title);

  std::vector<std::unique_ptr<ST_PERLISTRECORD>> albums_;
  std::unordered_map<Text, std::size_t> titleCounts_;  // title -> number of albums holding it
  // cleaned title -> n such that "<cleaned> (1)" .. "<cleaned> (n-1)" are known to be taken. Valid while
  // titles are only added; SetTitle and ClearAlbums forget it.
  std::unordered_map<Text, unsigned> nextCounter_;
  Clock now_;
};

}  // namespace albatrix
