// The command line's view during a download: the list view, plus the progress line on stderr -
// rewritten in place on a terminal, with the run's pace and time left after it, one line per text
// otherwise (without the pace) - and the albums the user chose by row.
#pragma once

#include <mutex>

#include "cli/AlbumRows.h"
#include "cli/CliView.h"

namespace albatrix {

class ProgressView : public CliView {
 public:
  explicit ProgressView(bool terminal, std::FILE* rows = stdout, std::FILE* notes = stderr)
      : CliView(rows, notes), terminal_(terminal), notes_(notes) {}

  void SetText(Control control, const Text& text) override;
  bool Message(const Text& text, const Text& caption, MessageButtons buttons) override;
  // One warning line of the command's own, naming the file.
  void WarnJobFileUnwritable(const Text& path, const Text& text) override;
  // The albums of the chosen rows, in grid order.
  std::vector<std::size_t> ChosenAlbums();

  std::size_t ShownRows();
  void ChooseRows(const AlbumRows& rows);
  // A line of the command's own on stderr.
  void Note(const Text& text);

 private:
  void ClearProgress();  // with lock_ held
  void DrawProgress();   // with lock_ held, on a terminal: the line as it stands now

  std::mutex lock_;
  const bool terminal_;
  std::FILE* notes_;
  bool progressShown_ = false;
  std::string progress_;  // on a terminal: the progress line's text, UTF-8
  std::string rate_;      // and the pace shown after it
  AlbumRows rows_{true, {}, 0};
};

}  // namespace albatrix
