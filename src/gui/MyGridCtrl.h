// CMyGridCtrl: the album grid (1003), a read-only wxGrid over a virtual table of the rows' copies. List
// mode shows one album a row ("序号", "名称", "数量", "备注" and two hidden columns); preview mode six
// albums a row. Rows arrive in batches, each appended in one table message.
#pragma once

#include <wx/grid.h>

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

 private:
  AlbumTable* table_;
};

}  // namespace albatrix
