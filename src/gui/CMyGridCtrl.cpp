#include "gui/CMyGridCtrl.h"

#include <wx/dc.h>
#include <wx/generic/gridctrl.h>
#include <wx/settings.h>

#include <algorithm>
#include <array>

#include "app/GridCells.h"
#include "gui/WxText.h"

namespace albatrix {

namespace {

constexpr int kColumns = kListColumns;
constexpr int kCellMargin = 8;  // pixels between a cell's border and its text
constexpr std::array<int, kColumns> kListWidths = {50, 575, 50, 100, 0, 0};
constexpr int kResultWidth = 110;  // column 4 once shown
const wxColour kSelectionBackground(199, 227, 227);

// Draws the cell's text kCellMargin pixels inside its border. A selected cell has the selection colours
// whether or not the grid has the focus, so the chosen albums stay plain to see while the user works
// elsewhere in the window.
class MarginRenderer : public wxGridCellStringRenderer {
 public:
  void Draw(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, const wxRect& rect, int row, int col,
            bool isSelected) override {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(isSelected ? grid.GetSelectionBackground() : attr.GetBackgroundColour()));
    dc.DrawRectangle(rect);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(isSelected ? grid.GetSelectionForeground() : attr.GetTextColour());
    dc.SetFont(attr.GetFont());
    int hAlign = wxALIGN_LEFT, vAlign = wxALIGN_CENTRE;
    attr.GetAlignment(&hAlign, &vAlign);
    wxRect inside = rect;
    inside.Deflate(kCellMargin, 0);
    // A thumbnail stands at the cell's left, its text beside it.
    auto& albums = static_cast<CMyGridCtrl&>(grid);
    if (const wxBitmap* thumbnail = albums.Thumbnail(albums.ThumbnailAt(row, col))) {
      dc.DrawBitmap(*thumbnail, inside.x, rect.y + (rect.height - thumbnail->GetHeight()) / 2);
      if (isSelected) {
        // The thumbnail covers nearly all of its cell: a chosen one gets a frame of the system's
        // highlight colour, not only a tinted margin.
        const int width = grid.FromDIP(3);
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT), width));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        wxRect frame = rect;
        frame.Deflate(width / 2 + 1);
        dc.DrawRectangle(frame);
      }
      int used = thumbnail->GetWidth() + kCellMargin;
      inside.x += used;
      inside.width -= used;
      if (inside.width <= 0) return;
    }
    grid.DrawTextRectangle(dc, grid.GetCellValue(row, col), inside, hAlign, vAlign);
  }
  wxGridCellRenderer* Clone() const override { return new MarginRenderer; }
};

}  // namespace

// The rows' copies. List mode: one album a row. Preview mode: albums by their row and column.
class AlbumTable : public wxGridTableBase {
 public:
  void Clear(GridMode mode) {
    mode_ = mode;
    rows_.clear();
  }
  GridMode Mode() const { return mode_; }
  void ShowResults() { resultShown_ = true; }
  bool ResultsShown() const { return resultShown_; }

  // Puts `result` into the list mode rows of album `albumIndex`; the rows changed, top down.
  std::vector<int> SetResult(std::size_t albumIndex, const Text& result) {
    std::vector<int> changed;
    if (mode_ != GridMode::List) return changed;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
      if (rows_[row].albumIndex != albumIndex) continue;
      rows_[row].result = result;
      changed.push_back(static_cast<int>(row));
    }
    return changed;
  }

  void Append(const GridAlbum& album) {
    if (mode_ == GridMode::List) {
      rows_.push_back(album);
      return;
    }
    std::size_t at = static_cast<std::size_t>(album.row) * kColumns + static_cast<std::size_t>(album.column);
    if (rows_.size() <= at) rows_.resize(at + 1);
    rows_[at] = album;
  }

  const GridAlbum* At(int row, int col) const {
    std::size_t at = mode_ == GridMode::List ? static_cast<std::size_t>(row)
                                             : static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(col);
    if (row < 0 || at >= rows_.size()) return nullptr;
    const GridAlbum& album = rows_[at];
    if (mode_ == GridMode::Preview && album.caption.empty()) return nullptr;
    return &album;
  }

  int GetNumberRows() override {
    if (mode_ == GridMode::List) return static_cast<int>(rows_.size());
    return static_cast<int>((rows_.size() + kColumns - 1) / kColumns);
  }
  int GetNumberCols() override { return kColumns; }
  wxString GetValue(int row, int col) override { return ToWx(CellText(row, col)); }
  void SetValue(int, int, const wxString&) override {}  // read-only
  bool IsEmptyCell(int row, int col) override { return CellText(row, col).empty(); }
  wxString GetColLabelValue(int col) override {
    if (mode_ == GridMode::Preview || col < 0 || col >= kColumns) return wxString();
    return ToWx(ListHeaderTexts(resultShown_)[static_cast<std::size_t>(col)]);
  }

  Text CellText(int row, int col) const {
    const GridAlbum* album = At(row, col);
    if (!album) return Text();
    if (mode_ == GridMode::Preview) return album->caption;
    if (col < 0 || col >= kColumns) return Text();
    return ListRowTexts(*album, resultShown_)[static_cast<std::size_t>(col)];
  }

 private:
  GridMode mode_ = GridMode::List;
  bool resultShown_ = false;  // once shown, "结果" stays through resets and new listings
  std::vector<GridAlbum> rows_;
};

CMyGridCtrl::CMyGridCtrl(wxWindow* parent, int id)
    : wxGrid(parent, id, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS | wxBORDER_THEME, "album grid") {
  table_ = new AlbumTable;
  SetTable(table_, true, wxGridSelectRows);
  EnableEditing(false);
  SetRowLabelSize(0);
  DisableDragRowSize();
  SetDefaultRenderer(new MarginRenderer);
  SetDefaultCellBackgroundColour(*wxWHITE);
  SetSelectionBackground(kSelectionBackground);
  SetSelectionForeground(*wxBLACK);
  GetGridWindow()->SetBackgroundColour(*wxWHITE);
  SetCellHighlightPenWidth(0);
  SetCellHighlightROPenWidth(0);
  Bind(wxEVT_GRID_CELL_LEFT_CLICK, &CMyGridCtrl::OnCellClick, this);
  // A thumbnail's cell has no room for its "number.title": the pointer over it shows the text.
  GetGridWindow()->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
    event.Skip();
    if (Mode() != GridMode::Preview) return;
    int x = 0, y = 0;
    CalcUnscrolledPosition(event.GetX(), event.GetY(), &x, &y);
    const int row = YToRow(y), col = XToCol(x);
    wxString tip = row >= 0 && col >= 0 && table_->At(row, col) ? GetCellValue(row, col) : wxString();
    if (tip.empty())
      GetGridWindow()->UnsetToolTip();
    else if (GetGridWindow()->GetToolTipText() != tip)
      GetGridWindow()->SetToolTip(tip);
  });
  Reset(GridMode::List);
}

void CMyGridCtrl::Reset(GridMode mode) {
  wxGridUpdateLocker batch(this);
  GetGridWindow()->UnsetToolTip();
  int oldRows = table_->GetNumberRows();
  table_->Clear(mode);
  if (oldRows > 0) {
    wxGridTableMessage deleted(table_, wxGRIDTABLE_NOTIFY_ROWS_DELETED, 0, oldRows);
    ProcessTableMessage(deleted);
  }
  ClearSelection();
  m_currentCellCoords = wxGridNoCellCoords;
  if (mode == GridMode::List) {
    SetSelectionMode(wxGridSelectRows);
    SetColLabelSize(wxGRID_AUTOSIZE);
    SetDefaultRowSize(GetCharHeight() + kCellMargin, true);
    for (int col = 0; col < kColumns; ++col) SetColSize(col, FromDIP(ListWidth(col)));
  } else {
    SetSelectionMode(wxGridSelectCells);
    SetColLabelSize(0);
    SetDefaultRowSize(kThumbHeight + 10, true);
    for (int col = 0; col < kColumns; ++col) SetColSize(col, kThumbWidth + 2 * kCellMargin);
  }
}

GridMode CMyGridCtrl::Mode() const { return table_->Mode(); }

int CMyGridCtrl::ListWidth(int col) const {
  if (col == kResultColumn && table_->ResultsShown()) return kResultWidth;
  return kListWidths[static_cast<std::size_t>(col)];
}

void CMyGridCtrl::ShowResultColumn() {
  if (table_->ResultsShown()) return;
  table_->ShowResults();
  if (Mode() != GridMode::List) return;  // the next list mode takes the width
  SetColSize(kResultColumn, FromDIP(kResultWidth));
  ForceRefresh();
}

bool CMyGridCtrl::ResultColumnShown() const { return table_->ResultsShown(); }

void CMyGridCtrl::SetAlbumResult(std::size_t albumIndex, const Text& result) {
  for (int row : table_->SetResult(albumIndex, result)) RefreshBlock(row, kResultColumn, row, kResultColumn);
}

void CMyGridCtrl::AppendAlbums(const std::vector<GridAlbum>& albums) {
  if (albums.empty()) return;
  wxGridUpdateLocker batch(this);
  int before = table_->GetNumberRows();
  for (const GridAlbum& album : albums) table_->Append(album);
  int after = table_->GetNumberRows();
  if (after > before) {
    wxGridTableMessage appended(table_, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, after - before);
    ProcessTableMessage(appended);
  } else {
    ForceRefresh();  // preview cells filled into the last row
  }
}

int CMyGridCtrl::AlbumRows() const { return table_->GetNumberRows(); }

const GridAlbum* CMyGridCtrl::AlbumAt(int row) const { return table_->At(row, 0); }

std::vector<std::size_t> CMyGridCtrl::ChosenAlbums() const {
  std::vector<std::pair<int, int>> cells;  // (row, column), to sort top down
  bool list = Mode() == GridMode::List;
  for (const wxGridBlockCoords& block : GetSelectedBlocks()) {
    for (int row = block.GetTopRow(); row <= block.GetBottomRow(); ++row) {
      if (list) {
        cells.emplace_back(row, 0);
        continue;
      }
      for (int col = block.GetLeftCol(); col <= block.GetRightCol(); ++col) cells.emplace_back(row, col);
    }
  }
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  std::vector<std::size_t> chosen;
  chosen.reserve(cells.size());
  for (const auto& [row, col] : cells)
    if (const GridAlbum* album = table_->At(row, col)) chosen.push_back(album->albumIndex);
  return chosen;
}

void CMyGridCtrl::SelectEveryAlbum(bool select) {
  if (select) {
    SelectAll();
    return;
  }
  ClearSelection();
  m_currentCellCoords = wxGridNoCellCoords;
  Refresh();
}

TextArray CMyGridCtrl::RowTexts(int row) const {
  TextArray texts;
  for (int col = 0; col < kColumns; ++col)
    texts.push_back(row < 0 ? FromWx(table_->GetColLabelValue(col)) : table_->CellText(row, col));
  return texts;
}

std::vector<TextArray> CMyGridCtrl::ExportRows() const {
  // The header is no row of the table, so every row is written: in preview mode the first row of
  // thumbnails is albums 1 to 6, not a header.
  return AlbumRowTexts();
}

std::vector<TextArray> CMyGridCtrl::AlbumRowTexts() const {
  std::vector<TextArray> rows;
  rows.reserve(static_cast<std::size_t>(table_->GetNumberRows()));
  for (int row = 0; row < table_->GetNumberRows(); ++row) rows.push_back(RowTexts(row));
  return rows;
}

void CMyGridCtrl::ClearAlbumRows() {
  wxGridUpdateLocker batch(this);
  int oldRows = table_->GetNumberRows();
  table_->Clear(table_->Mode());
  if (oldRows > 0) {
    wxGridTableMessage deleted(table_, wxGRIDTABLE_NOTIFY_ROWS_DELETED, 0, oldRows);
    ProcessTableMessage(deleted);
  }
  ClearSelection();
  m_currentCellCoords = wxGridNoCellCoords;
}

void CMyGridCtrl::SetThumbnail(int index, const ThumbnailPixels& pixels) {
  if (index < 0 || pixels.width <= 0 || pixels.height <= 0 ||
      pixels.rgb.size() != static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height) * 3)
    return;
  if (thumbnails_.size() <= static_cast<std::size_t>(index)) thumbnails_.resize(static_cast<std::size_t>(index) + 1);
  // The image only borrows the bytes (static data); the bitmap takes a copy of its own.
  wxImage image(pixels.width, pixels.height, const_cast<unsigned char*>(pixels.rgb.data()), true);
  thumbnails_[static_cast<std::size_t>(index)] = wxBitmap(image, 24);
}

void CMyGridCtrl::ClearThumbnails() {
  thumbnails_.clear();
  if (Mode() == GridMode::Preview) ForceRefresh();
}

const wxBitmap* CMyGridCtrl::Thumbnail(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= thumbnails_.size()) return nullptr;
  const wxBitmap& bitmap = thumbnails_[static_cast<std::size_t>(index)];
  return bitmap.IsOk() ? &bitmap : nullptr;
}

int CMyGridCtrl::ThumbnailAt(int row, int col) const {
  const GridAlbum* album = Mode() == GridMode::Preview ? table_->At(row, col) : nullptr;
  return album ? album->thumbIndex : -1;
}

int CMyGridCtrl::TopSelectedRow() const {
  int top = -1;
  for (const wxGridBlockCoords& block : GetSelectedBlocks())
    if (top < 0 || block.GetTopRow() < top) top = block.GetTopRow();
  return top;
}

void CMyGridCtrl::SelectAlbumRow(int row) {
  if (row < 0 || row >= table_->GetNumberRows()) return;
  ClearSelection();
  m_currentCellCoords = wxGridNoCellCoords;
  SelectRow(row);
  int unitX = 0, unitY = 0;
  GetScrollPixelsPerUnit(&unitX, &unitY);
  if (unitY > 0) Scroll(-1, GetRowTop(row) / unitY);
  Refresh();
}

void CMyGridCtrl::OnCellClick(wxGridEvent& event) {
  if (Mode() == GridMode::Preview) {
    // wx's cell selection only moves the cursor on a plain click, which chose nothing: a click chooses
    // the clicked thumbnail alone; ctrl adds or removes one and shift extends from the last click, as
    // wx does them.
    if (event.ControlDown() || event.ShiftDown()) {
      event.Skip();
      return;
    }
    ClearSelection();
    SetGridCursor(event.GetRow(), event.GetCol());
    SelectBlock(event.GetRow(), event.GetCol(), event.GetRow(), event.GetCol());
    return;
  }
  if (!singleRow_) {
    event.Skip();
    return;
  }
  // Neither ctrl nor shift extends the selection while the find window is open.
  ClearSelection();
  SetGridCursor(event.GetRow(), event.GetCol());
  SelectRow(event.GetRow());
}

}  // namespace albatrix
