// The command line's MainWindowView: the status line and the grid frame's caption and every message go
// to stderr, one line each, as they are set; every album row of the list mode grid goes to stdout as its
// columns 0 to 3 joined by TABs. What other controls would show has no place on a terminal.
#pragma once

#include <cstdio>
#include <vector>
#include <mutex>

#include "app/MainWindowView.h"

namespace albatrix {

class CliView : public MainWindowView {
 public:
  CliView(std::FILE* rows = stdout, std::FILE* notes = stderr) : rows_(rows), notes_(notes) {}

  void SetText(Control control, const Text& text) override;
  void Enable(Control, bool) override {}
  void Show(Control, bool) override {}
  void Check(Control, bool) override {}
  // Prints the text (and answers No to a question: nobody is there to say Yes).
  bool Message(const Text& text, const Text& caption, MessageButtons buttons) override;
  void AddCandidate(Control, const Text&) override {}
  void SetEntries(Control, const TextArray&) override {}
  void SelectEntry(Control, int) override {}
  void PlaceMemberBox(MemberBoxPlace) override {}
  void ResetGrid(bool previewMode) override;
  void ShowAlbum(const GridAlbum& album) override;
  void RefreshGrid() override {}
  void ClearThumbnails() override {}
  void OpenFolder(const Text& path) override;  // prints the path to stdout

  // The album of every row shown since the last ResetGrid, in grid order.
  std::vector<std::size_t> ShownAlbums();

 private:
  void Line(std::FILE* to, const Text& text);

  std::mutex lock_;
  std::FILE* rows_;
  std::FILE* notes_;
  bool preview_ = false;
  std::vector<std::size_t> shown_;
};

}  // namespace albatrix
