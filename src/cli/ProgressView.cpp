#include "cli/ProgressView.h"


namespace albatrix {

void ProgressView::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", notes_);
  std::fflush(notes_);
  progressShown_ = false;
}

void ProgressView::DrawProgress() {
  std::string line = progress_;
  if (!line.empty() && !rate_.empty()) line += "  " + rate_;
  std::fputs(("\r" + line + "\033[K").c_str(), notes_);
  progressShown_ = !line.empty();
}

void ProgressView::SetText(Control control, const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  if (control == Control::Rate) {
    // A line that goes to a file or a pipe stays as it always was: the pace is for a watching eye.
    if (!terminal_) return;
    const bool redraw = progressShown_ && rate_ != TextToUtf8(text);
    rate_ = TextToUtf8(text);
    if (redraw) {
      DrawProgress();
      std::fflush(notes_);
    }
    return;
  }
  if (control != Control::Progress) {
    ClearProgress();
    CliView::SetText(control, text);
    return;
  }
  std::string line = TextToUtf8(text);
  if (terminal_) {
    progress_ = line;
    DrawProgress();
  } else if (!line.empty()) {
    std::fputs((line + "\n").c_str(), notes_);
  }
  std::fflush(notes_);
}

bool ProgressView::Message(const Text& text, const Text& caption, MessageButtons buttons) {
  std::lock_guard<std::mutex> hold(lock_);
  ClearProgress();
  return CliView::Message(text, caption, buttons);
}

void ProgressView::WarnJobFileUnwritable(const Text& path, const Text&) {
  Note(u"albatrix-cli: warning: the job file " + path +
       u" cannot be written: after a stop this download cannot go on from where it stopped");
}

std::vector<std::size_t> ProgressView::ChosenAlbums() {
  std::vector<std::size_t> shown = CliView::ShownAlbums();
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::size_t> chosen;
  for (std::size_t row = 1; row <= shown.size(); ++row)
    if (rows_.Contains(row)) chosen.push_back(shown[row - 1]);
  return chosen;
}

std::size_t ProgressView::ShownRows() { return CliView::ShownAlbums().size(); }

void ProgressView::ChooseRows(const AlbumRows& rows) {
  std::lock_guard<std::mutex> hold(lock_);
  rows_ = rows;
}

void ProgressView::Note(const Text& text) {
  std::lock_guard<std::mutex> hold(lock_);
  ClearProgress();
  std::fputs((TextToUtf8(text) + "\n").c_str(), notes_);
  std::fflush(notes_);
}

}  // namespace albatrix
