// CMyGridCtrl: the album grid (1003), a read-only wxGrid over a virtual table of the rows' copies. List
// mode shows one album a row ("序号", "名称", "数量", "备注", "结果" once a run has ended, and a hidden
// column); preview mode six albums a row. Rows arrive in batches, each appended in one table message.
#pragma once

#include <wx/grid.h>

#include <wx/bitmap.h>

#include <vector>

#include "app/MainWindowView.h"

namespace albatrix {

enum class GridMode { List, Preview };

class AlbumTable;

class CMyGridCtrl : public wxGrid {
 public:
  CMyGridCtrl(wxWindow* parent, int id);

  // Empties the grid and sets it up for `mode`: headers, widths, selection by rows or cells.
  void Reset(GridMode mode);
  GridMode Mode() const;
  // Appends albums in one go (inside BeginBatch/EndBatch): list mode rows, or preview cells.
  void AppendAlbums(const std::vector<GridAlbum>& albums);
  // Album rows (list mode) or thumbnail rows (preview mode), the header not counted.
  int AlbumRows() const;
  // The album shown in a grid row (list mode), or null.
  const GridAlbum* AlbumAt(int row) const;

  // The chosen albums' indices, top down: list mode, every selected row's album; preview mode, every
  // selected cell's album. Read from the selected blocks.
  std::vector<std::size_t> ChosenAlbums() const;
  // "全选": every row selected; or the selection and the cursor cleared.
  void SelectEveryAlbum(bool select);

  // What the export writes: every row after the grid's first (the header in list mode), its columns'
  // texts.
  std::vector<TextArray> ExportRows() const;

  // The texts of one row as shown, header included for row -1 (list mode).
  TextArray RowTexts(int row) const;
  // Every album row's texts, top down (what the find window searches).
  std::vector<TextArray> AlbumRowTexts() const;

  // List mode: the album rows go, the header, the column widths and the selection mode stay.
  void ClearAlbumRows();

  // Column 4 "结果": shown from the first call on, through resets and new listings.
  void ShowResultColumn();
  bool ResultColumnShown() const;
  // List mode: the "结果" text of every row showing album `albumIndex`. Preview mode ignores it.
  void SetAlbumResult(std::size_t albumIndex, const Text& result);

  // The thumbnail list: the picture at `index` (the list grows to it); emptied for a new listing. A
  // cell whose thumbIndex names a picture shows it at its left. Interface thread only.
  void SetThumbnail(int index, const ThumbnailPixels& pixels);
  void ClearThumbnails();
  const wxBitmap* Thumbnail(int index) const;
  // The thumbnail index of the album in a cell; -1 for none.
  int ThumbnailAt(int row, int col) const;
  int ThumbnailCount() const { return static_cast<int>(thumbnails_.size()); }

  // While on in list mode, a click selects the clicked row alone (the find window's rows).
  void SetSingleRowSelection(bool on) { singleRow_ = on; }
  bool SingleRowSelection() const { return singleRow_; }
  // The topmost row holding a selected cell; -1 when nothing is selected.
  int TopSelectedRow() const;
  // Clears the cursor and the selection, selects `row` alone and scrolls it to the top of the view as
  // far as the scroll range allows.
  void SelectAlbumRow(int row);

 private:
  void OnCellClick(wxGridEvent& event);
  // A list mode column's width in DIPs.
  int ListWidth(int col) const;

  AlbumTable* table_;
  std::vector<wxBitmap> thumbnails_;
  bool singleRow_ = false;
};

}  // namespace albatrix
