#include "support/FakeView.h"

namespace albatrix::test {

namespace {

template <typename Map, typename Value>
Value Lookup(const Map& map, Control id, Value otherwise) {
  auto found = map.find(id);
  return found == map.end() ? otherwise : found->second;
}

}  // namespace

void FakeView::SetText(Control id, const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  texts_[id] = text;
  textLog_.emplace_back(id, text);
}

Text FakeView::GetText(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(texts_, id, Text());
}

void FakeView::Enable(Control id, bool enabled) {
  std::lock_guard<std::mutex> hold(lock_);
  enabled_[id] = enabled;
}

void FakeView::Show(Control id, bool visible) {
  std::lock_guard<std::mutex> hold(lock_);
  visible_[id] = visible;
}

void FakeView::Check(Control id, bool checked) {
  std::lock_guard<std::mutex> hold(lock_);
  checked_[id] = checked;
}

bool FakeView::IsChecked(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(checked_, id, false);
}

bool FakeView::Message(const Text& text, const Text& caption, MessageButtons buttons) {
  std::lock_guard<std::mutex> hold(lock_);
  messages_.push_back({text, caption, buttons});
  return buttons == MessageButtons::YesNo ? answer_ : true;
}

void FakeView::AddCandidate(Control id, const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  candidates_[id].push_back(text);
}

void FakeView::SetEntries(Control id, const TextArray& entries) {
  std::lock_guard<std::mutex> hold(lock_);
  entries_[id] = entries;
  selected_[id] = -1;
}

void FakeView::SelectEntry(Control id, int index) {
  std::lock_guard<std::mutex> hold(lock_);
  int count = static_cast<int>(entries_[id].size());
  selected_[id] = index >= 0 && index < count ? index : -1;
}

int FakeView::SelectedEntry(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(selected_, id, -1);
}

void FakeView::PlaceMemberBox(MemberBoxPlace place) {
  std::lock_guard<std::mutex> hold(lock_);
  place_ = place;
}

void FakeView::ResetGrid(bool previewMode) {
  std::lock_guard<std::mutex> hold(lock_);
  rows_.clear();
  preview_ = previewMode;
  ++resets_;
}

void FakeView::ShowAlbum(const GridAlbum& album) {
  std::function<void(const GridAlbum&)> step;
  {
    std::lock_guard<std::mutex> hold(lock_);
    rows_.push_back(album);
    step = onShow_;
  }
  if (step) step(album);
}

std::vector<std::size_t> FakeView::ChosenAlbums() const {
  std::lock_guard<std::mutex> hold(lock_);
  return chosen_;
}

void FakeView::RefreshGrid() {
  std::lock_guard<std::mutex> hold(lock_);
  ++refreshes_;
}

void FakeView::ShowResultColumn() {
  std::lock_guard<std::mutex> hold(lock_);
  ++resultColumns_;
}

int FakeView::ResultColumnShown() const {
  std::lock_guard<std::mutex> hold(lock_);
  return resultColumns_;
}

void FakeView::ClearThumbnails() {
  std::lock_guard<std::mutex> hold(lock_);
  ++thumbnailClears_;
  thumbnails_.clear();
}

void FakeView::AddThumbnail(int index, const ThumbnailPixels&) {
  std::lock_guard<std::mutex> hold(lock_);
  thumbnails_.push_back(index);
}

void FakeView::ShowThumbnail(const GridAlbum& cell) {
  std::lock_guard<std::mutex> hold(lock_);
  for (GridAlbum& row : rows_)
    if (row.albumIndex == cell.albumIndex) row = cell;
}

std::vector<int> FakeView::ThumbnailIndices() const {
  std::lock_guard<std::mutex> hold(lock_);
  return thumbnails_;
}

void FakeView::OpenFolder(const Text& path) {
  std::lock_guard<std::mutex> hold(lock_);
  opened_.push_back(path);
}

void FakeView::ShowProgress(std::int32_t done, std::size_t total) {
  std::lock_guard<std::mutex> hold(lock_);
  figures_.emplace_back(done, total);
}

bool FakeView::IsEnabled(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(enabled_, id, true);
}

bool FakeView::IsVisible(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(visible_, id, true);
}

TextArray FakeView::Entries(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(entries_, id, TextArray());
}

TextArray FakeView::Candidates(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  return Lookup(candidates_, id, TextArray());
}

std::vector<FakeView::MessageRecord> FakeView::Messages() const {
  std::lock_guard<std::mutex> hold(lock_);
  return messages_;
}

TextArray FakeView::MessageTexts() const {
  std::lock_guard<std::mutex> hold(lock_);
  TextArray texts;
  for (const MessageRecord& m : messages_) texts.push_back(m.text);
  return texts;
}

std::vector<GridAlbum> FakeView::Rows() const {
  std::lock_guard<std::mutex> hold(lock_);
  return rows_;
}

std::size_t FakeView::RowCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return rows_.size();
}

std::vector<std::pair<Control, Text>> FakeView::TextLog() const {
  std::lock_guard<std::mutex> hold(lock_);
  return textLog_;
}

TextArray FakeView::TextsSetOn(Control id) const {
  std::lock_guard<std::mutex> hold(lock_);
  TextArray texts;
  for (const auto& [control, text] : textLog_)
    if (control == id) texts.push_back(text);
  return texts;
}

MemberBoxPlace FakeView::Place() const {
  std::lock_guard<std::mutex> hold(lock_);
  return place_;
}

int FakeView::GridResets() const {
  std::lock_guard<std::mutex> hold(lock_);
  return resets_;
}

bool FakeView::GridIsPreview() const {
  std::lock_guard<std::mutex> hold(lock_);
  return preview_;
}

int FakeView::GridRefreshes() const {
  std::lock_guard<std::mutex> hold(lock_);
  return refreshes_;
}

int FakeView::ThumbnailClears() const {
  std::lock_guard<std::mutex> hold(lock_);
  return thumbnailClears_;
}

TextArray FakeView::OpenedFolders() const {
  std::lock_guard<std::mutex> hold(lock_);
  return opened_;
}

std::vector<std::pair<std::int32_t, std::size_t>> FakeView::ProgressFigures() const {
  std::lock_guard<std::mutex> hold(lock_);
  return figures_;
}

void FakeView::SetAnswer(bool yes) {
  std::lock_guard<std::mutex> hold(lock_);
  answer_ = yes;
}

void FakeView::SetChosen(std::vector<std::size_t> chosen) {
  std::lock_guard<std::mutex> hold(lock_);
  chosen_ = std::move(chosen);
}

void FakeView::OnShowAlbum(std::function<void(const GridAlbum&)> step) {
  std::lock_guard<std::mutex> hold(lock_);
  onShow_ = std::move(step);
}

DownloadRequest FakeView::Request() { return DownloadRequest{ChosenAlbums(), GetText(Control::SavePath)}; }

}  // namespace albatrix::test
