// The grid as the controller fills it: which albums of the list it shows in which mode, the list mode's
// row numbers and filter keyword, and preview mode's thumbnails with the covers' thread that makes them.
// It knows the view and nothing of listings or runs: the controller says which album to show.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "app/CoverWorker.h"
#include "app/MainWindowView.h"
#include "model/AlbumRecords.h"

namespace albatrix {

class AlbumGrid {
 public:
  // `resultOf(i)` is album i's outcome in the last run, for the list mode's "结果" column. Covers are
  // saved in `programFolder`. The view must outlive the grid.
  AlbumGrid(MainWindowView& view, const Text& programFolder, std::function<Text(std::size_t)> resultOf);
  AlbumGrid(const AlbumGrid&) = delete;
  AlbumGrid& operator=(const AlbumGrid&) = delete;

  // How covers become thumbnails; without one no cover is fetched. Set before the first listing.
  void SetThumbnailMaker(ThumbnailMaker maker) { covers_.SetMaker(std::move(maker)); }

  // The grid shows covers ("预览图" on). The mode takes effect with the next Reset.
  bool PreviewMode() const { return previewMode_.load(); }
  void SetPreviewMode(bool preview) { previewMode_ = preview; }

  // Empties the grid for the current mode and unchecks "全选". Covers asked for the grid before are
  // dropped: a cover made meanwhile reaches the old grid before the reset or not at all.
  void Reset();
  // The list mode grid loses its album rows (keeping its header) and numbers the next from "0001".
  void ClearRows();
  // A new listing: no album has a thumbnail, the view's thumbnail list is emptied and numbered afresh.
  void ForgetThumbnails();

  // Album `albumIndex` of the list: in list mode the next row unless the filter keyword rules it out; in
  // preview mode its cell at once, with the thumbnail it has, and its cover asked for when it has none.
  // The view receives a copy; the record is not changed.
  void Show(std::size_t albumIndex, const ST_PERLISTRECORD& album);

  // The thumbnail index of album i in the view's thumbnail list, -1 while it has none. A cover is asked
  // for once per album and listing; the cell gets it when it is made, numbered from 0 in the order the
  // covers come. A cover that cannot be fetched leaves none.
  int ThumbnailOf(std::size_t albumIndex) const;

  // The album rows of the list mode grid since its last reset or ClearRows.
  int Rows() const { return rows_.load(); }

  // The list mode's filter; empty for none.
  void SetFilterKeyword(Text keyword);
  Text FilterKeyword() const;

  // Forgets the covers asked for and ends the one in flight.
  void DropCovers() { covers_.Drop(); }
  // Blocks until every cover asked for is in, or `stopAsked` turns true. True when all came.
  bool WaitForCovers(const std::function<bool()>& stopAsked) { return covers_.WaitIdle(stopAsked); }
  // Ends the covers' thread; nothing is delivered after it returns.
  void StopCovers() { covers_.Stop(); }

 private:
  // On the covers' thread: a thumbnail made for a cell of the grid as it is now becomes the next index.
  void CoverMade(const CoverOrder& order, const ThumbnailPixels& pixels);

  MainWindowView& view_;
  const std::function<Text(std::size_t)> resultOf_;
  std::atomic<bool> previewMode_{false};
  std::atomic<int> rows_{0};  // album rows of the list mode grid since its last reset

  mutable std::mutex filterLock_;  // the keyword is set by the interface thread, read by the listing's
  Text filterKeyword_;

  mutable std::mutex thumbLock_;  // the grid's generation, the thumbnails and their assignment
  std::uint64_t generation_ = 0;  // one more with every reset: covers asked before are stale
  std::vector<int> thumbnails_;   // by album index; -1: none yet
  int nextThumbnail_ = 0;
  CoverWorker covers_;  // last: its thread, which calls back into the members above, ends first
};

}  // namespace albatrix
