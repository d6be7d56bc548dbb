// What the main window shows, as the controller speaks to it: every call is a value going out, to a
// control named by what it is (Control); only the window knows the controls' numbers. Three views
// exist: the wx window, the command line and a recording fake in the tests. The controller never reads
// a control back: a command brings the texts and choices it needs as its arguments.
//
// Every call may come from any thread (the listing thread sets status texts and grid rows while the
// interface thread works); a view makes that safe itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "download/RunEvents.h"

namespace albatrix {

enum class MessageButtons { Ok, YesNo };

// The controls the controller speaks of.
enum class Control {
  SavePath,      // save path, autocomplete combo box
  Member,        // member id or address, autocomplete combo box
  Site,          // site selector, drop-down list
  GetAlbums,     // "获取相册" / "终止获取"
  Download,      // "下载" / "终止下载"
  Progress,      // progress line of the download run
  ChooseFolder,  // "设置"
  Status,        // status line
  GridFrame,     // frame of the grid; its caption carries the album count
  SelectAll,     // "全选"
  Notice,        // notice line over the input row
  Preview,       // "预览图"
  Find,          // "查找"
  SubType,       // sub-type selector, shown for site entry 0 only
  Filter,        // "筛选"
  Export,        // "导出"
  FailuresLink,  // "查看失败", beside the status line once a run ended with failures
  FindWindow,    // the find window, shown and hidden like a control
  Rate,          // beside the progress bar: the run's pace and the time left, empty until it has a pace
};

// One album as the grid shows it. A copy: the grid never holds a reference into the album list while a
// crawler appends to it.
struct GridAlbum {
  std::size_t albumIndex = 0;  // the cell's data word
  int row = 0;                 // list mode: the row, 1 for the first album (row 0 is the header);
                               // preview mode: album index / 6
  int column = 0;              // list mode: 0; preview mode: album index % 6
  Text number;                 // list mode column 0: "%04d" of the row
  Text title;                  // list mode column 1
  Text count;                  // list mode column 2: "%4u", or "未知"
  Text note;                   // list mode column 3: access note
  Text caption;                // preview mode: "%d.%s" of the index + 1 and the title
  int thumbIndex = -1;         // preview mode: image of the thumbnail list, -1 for none
  Text result;                 // list mode column 4 "结果": the album's outcome in the last run, or empty
};

// A thumbnail as the filling thread makes it: width x height pixels, 3 bytes (red, green, blue) each,
// row by row. Plain bytes, so it can be made off the interface thread and become a picture there.
struct ThumbnailPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Where the member box stands: over the place of the hidden sub-type selector, or 3 pixels right of the
// visible one (top, right and bottom edges kept either way).
enum class MemberBoxPlace { OverSubType, BesideSubType };

// The input controls' enabled states as one value (InputLookOf): each control once, in a fixed order.
struct InputLook {
  std::vector<std::pair<Control, bool>> enabled;
};

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  virtual void SetText(Control control, const Text& text) = 0;
  virtual void Enable(Control control, bool enabled) = 0;
  virtual void Show(Control control, bool visible) = 0;
  virtual void Check(Control control, bool checked) = 0;
  // Which input controls take input now. A view that keeps no look of its own applies it control by
  // control.
  virtual void ShowInput(const InputLook& look) {
    for (const auto& [control, enabled] : look.enabled) Enable(control, enabled);
  }

  // A plain message box; with YesNo, true means Yes. An empty caption is the product title.
  virtual bool Message(const Text& text, const Text& caption = Text(),
                       MessageButtons buttons = MessageButtons::Ok) = 0;

  // Remembers an entry of an autocomplete combo box (SavePath, Member); the visible list is not touched.
  virtual void AddCandidate(Control control, const Text& text) = 0;

  // Drop-down lists (Site, SubType): replace every entry, select one (-1, or one past the entries, for
  // none).
  virtual void SetEntries(Control control, const TextArray& entries) = 0;
  virtual void SelectEntry(Control control, int index) = 0;

  virtual void PlaceMemberBox(MemberBoxPlace place) = 0;

  // The grid: empty it and set it up for list or preview mode; show one album; refresh the layout and
  // repaint.
  virtual void ResetGrid(bool previewMode) = 0;
  virtual void ShowAlbum(const GridAlbum& album) = 0;
  // "全选" checked and every album of the grid chosen, as the user's tick does. A view whose choice is
  // every album shown (the command line) does nothing.
  virtual void ChooseAllAlbums() {}
  virtual void RefreshGrid() = 0;
  // Removes every image from the thumbnail list (a new listing makes thumbnails afresh).
  virtual void ClearThumbnails() = 0;
  // Puts `pixels` into the thumbnail list at `index` (the next free one), before any cell naming it is
  // shown. A view that draws no pictures ignores it.
  virtual void AddThumbnail(int /*index*/, const ThumbnailPixels& /*pixels*/) {}
  // A preview cell shown before gets its thumbnail (cell.thumbIndex, added before). A grid that places
  // preview cells by row and column takes it as the cell shown anew.
  virtual void ShowThumbnail(const GridAlbum& cell) { ShowAlbum(cell); }
  // The list mode grid loses its album rows and keeps its header, its column widths and "全选" (a filter
  // refills it). A view without such a grid starts a list afresh.
  virtual void ClearAlbumRows() { ResetGrid(false); }

  // Opens a folder in the system's file browser (the command line prints it).
  virtual void OpenFolder(const Text& path) = 0;
  // The download's progress as a figure: pictures of the whole run ended, of `total` (those listed so
  // far and what the listing said of the albums still to come; a retry pass's pictures in a pass);
  // (0, 0) when the run is over. A view without a bar for it (the command line) ignores it.
  virtual void ShowProgress(std::int32_t /*done*/, std::size_t /*total*/) {}

  // The list mode grid's column 4 "结果" (width 110): hidden until ShowResultColumn, which the end of the
  // first run calls; SetAlbumResult puts one album's outcome into its row, if the album has one shown. A
  // view without such a column ignores both.
  virtual void ShowResultColumn() {}
  virtual void SetAlbumResult(std::size_t /*albumIndex*/, const Text& /*result*/) {}
  // "查看失败": the list of the last run's failed pictures (album, address, reason) with the buttons
  // "重试失败的图片" (the controller's RetryFailures), "复制" (FailureListText to the clipboard) and
  // "关闭". A view without dialogs ignores it.
  virtual void ShowFailureList(const std::vector<FailedPicture>& /*failures*/) {}
  // A run has ended: a desktop notification with `summary` when the window is not the active one.
  virtual void NotifyRunEnded(const Text& /*summary*/) {}
  // The run's job file at `path` cannot be written, so a stop would not go on from where the run stands:
  // the window shows the controller's `text` on the status line; the command line warns in its own words.
  virtual void WarnJobFileUnwritable(const Text& /*path*/, const Text& text) { SetText(Control::Status, text); }
};

}  // namespace albatrix
