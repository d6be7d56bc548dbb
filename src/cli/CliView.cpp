#include "cli/CliView.h"

#include "app/ControlIds.h"

namespace albatrix {

void CliView::Line(std::FILE* to, const Text& text) {
  std::string line = TextToUtf8(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), to);
  std::fflush(to);
}

void CliView::SetText(int id, const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  texts_[id] = text;
  if (id == IDC_STATUS || id == IDC_GRID_FRAME) Line(notes_, text);
}

Text CliView::GetText(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = texts_.find(id);
  return found == texts_.end() ? Text() : found->second;
}

void CliView::Enable(int, bool) {}

void CliView::Check(int id, bool checked) {
  std::lock_guard<std::mutex> hold(lock_);
  checked_[id] = checked;
}

bool CliView::IsChecked(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  return checked_[id];
}

bool CliView::Message(const Text& text, const Text&, MessageButtons) {
  std::lock_guard<std::mutex> hold(lock_);
  Line(notes_, text);
  return false;
}

void CliView::SetEntries(int id, const TextArray& entries) {
  std::lock_guard<std::mutex> hold(lock_);
  entryCounts_[id] = static_cast<int>(entries.size());
  selected_[id] = -1;
}

void CliView::SelectEntry(int id, int index) {
  std::lock_guard<std::mutex> hold(lock_);
  selected_[id] = index >= 0 && index < entryCounts_[id] ? index : -1;
}

int CliView::SelectedEntry(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto found = selected_.find(id);
  return found == selected_.end() ? -1 : found->second;
}

void CliView::ResetGrid(bool previewMode) {
  std::lock_guard<std::mutex> hold(lock_);
  preview_ = previewMode;
  shown_.clear();
}

void CliView::ShowAlbum(const GridAlbum& album) {
  std::lock_guard<std::mutex> hold(lock_);
  shown_.push_back(album.albumIndex);
  if (preview_) return;  // the command line prints the list mode grid only
  Line(rows_, album.number + u"\t" + album.title + u"\t" + album.count + u"\t" + album.note);
}

std::vector<std::size_t> CliView::ChosenAlbums() {
  std::lock_guard<std::mutex> hold(lock_);
  return shown_;
}

void CliView::OpenFolder(const Text& path) {
  std::lock_guard<std::mutex> hold(lock_);
  Line(rows_, path);
}

}  // namespace albatrix
