// A recording MainWindowView for tests: keeps every control's text, enabled, visible and checked state,
// the drop-down entries, candidates, messages and grid rows, and a log of texts as they were set, so
// tests check the controller's rules without a display. Safe to call from any thread.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <ostream>
#include <utility>
#include <vector>

#include "app/AlbatrixController.h"
#include "app/MainWindowView.h"

namespace albatrix {

// A control in a test's failure message: its place in the list of controls.
inline std::ostream& operator<<(std::ostream& out, Control control) {
  return out << "control " << static_cast<int>(control);
}

}  // namespace albatrix

namespace albatrix::test {

class FakeView : public MainWindowView {
 public:
  struct MessageRecord {
    Text text;
    Text caption;
    MessageButtons buttons;
  };

  // MainWindowView
  void SetText(Control id, const Text& text) override;
  void Enable(Control id, bool enabled) override;
  void Show(Control id, bool visible) override;
  void Check(Control id, bool checked) override;
  bool Message(const Text& text, const Text& caption, MessageButtons buttons) override;
  void AddCandidate(Control id, const Text& text) override;
  void SetEntries(Control id, const TextArray& entries) override;
  void SelectEntry(Control id, int index) override;
  void PlaceMemberBox(MemberBoxPlace place) override;
  void ResetGrid(bool previewMode) override;
  void ShowAlbum(const GridAlbum& album) override;
  void RefreshGrid() override;
  void ClearThumbnails() override;
  void AddThumbnail(int index, const ThumbnailPixels& pixels) override;
  // Replaces the recorded cell of the same album, as the grid replaces the cell at its place.
  void ShowThumbnail(const GridAlbum& cell) override;
  void OpenFolder(const Text& path) override;
  void ShowProgress(std::int32_t done, std::size_t total) override;

  // What was recorded. Controls never touched read as empty, enabled, visible, unchecked and with no
  // entry selected; the chosen albums are what SetChosen said.
  Text GetText(Control id) const;
  bool IsChecked(Control id) const;
  int SelectedEntry(Control id) const;
  std::vector<std::size_t> ChosenAlbums() const;
  bool IsEnabled(Control id) const;
  bool IsVisible(Control id) const;
  TextArray Entries(Control id) const;
  TextArray Candidates(Control id) const;
  std::vector<MessageRecord> Messages() const;
  TextArray MessageTexts() const;
  std::vector<GridAlbum> Rows() const;  // since the last ResetGrid
  std::size_t RowCount() const;
  std::vector<std::pair<Control, Text>> TextLog() const;  // every SetText, in order
  TextArray TextsSetOn(Control id) const;                 // the texts one control got, in order
  MemberBoxPlace Place() const;
  int GridResets() const;
  bool GridIsPreview() const;
  int GridRefreshes() const;
  void ShowResultColumn() override;
  int ResultColumnShown() const;  // how often the outcome column was shown
  int ThumbnailClears() const;
  std::vector<int> ThumbnailIndices() const;  // AddThumbnail's indices since the last ClearThumbnails
  TextArray OpenedFolders() const;
  // Every figure the bar was given, (done, total), in order.
  std::vector<std::pair<std::int32_t, std::size_t>> ProgressFigures() const;

  // Test controls: the answer to Yes/No questions; the albums the grid reports as chosen; a step run on
  // the calling thread after each ShowAlbum was recorded (outside the view's lock).
  void SetAnswer(bool yes);
  void SetChosen(std::vector<std::size_t> chosen);
  // What the window would give the download button: the chosen albums and the save-path box's text.
  DownloadRequest Request();
  void OnShowAlbum(std::function<void(const GridAlbum&)> step);

 private:
  mutable std::mutex lock_;
  std::map<Control, Text> texts_;
  std::map<Control, bool> enabled_, visible_, checked_;
  std::map<Control, TextArray> entries_, candidates_;
  std::map<Control, int> selected_;
  std::vector<MessageRecord> messages_;
  std::vector<GridAlbum> rows_;
  std::vector<std::pair<Control, Text>> textLog_;
  MemberBoxPlace place_ = MemberBoxPlace::OverSubType;
  int resets_ = 0, refreshes_ = 0, thumbnailClears_ = 0, resultColumns_ = 0;
  std::vector<int> thumbnails_;
  bool preview_ = false;
  bool answer_ = false;
  std::vector<std::size_t> chosen_;
  TextArray opened_;
  std::vector<std::pair<std::int32_t, std::size_t>> figures_;
  std::function<void(const GridAlbum&)> onShow_;
};

}  // namespace albatrix::test
