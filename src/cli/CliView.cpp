#include "cli/CliView.h"


namespace albatrix {

void CliView::Line(std::FILE* to, const Text& text) {
  std::string line = TextToUtf8(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), to);
  std::fflush(to);
}

void CliView::SetText(Control control, const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  if (control == Control::Status || control == Control::GridFrame) Line(notes_, text);
}

bool CliView::Message(const Text& text, const Text&, MessageButtons) {
  std::lock_guard<std::mutex> hold(lock_);
  Line(notes_, text);
  return false;
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

std::vector<std::size_t> CliView::ShownAlbums() {
  std::lock_guard<std::mutex> hold(lock_);
  return shown_;
}

void CliView::OpenFolder(const Text& path) {
  std::lock_guard<std::mutex> hold(lock_);
  Line(rows_, path);
}

}  // namespace albatrix
