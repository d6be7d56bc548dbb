// The command line's MainWindowView: the status texts (1009, 1011) and every message go to stderr, one
// line each, as they are set; every album row of the list mode grid goes to stdout as its columns 0 to 3
// joined by TABs. Other controls only keep their texts, so the controller reads back what it wrote.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>

#include "app/MainWindowView.h"

namespace albatrix {

class CliView : public MainWindowView {
 public:
  CliView(std::FILE* rows = stdout, std::FILE* notes = stderr) : rows_(rows), notes_(notes) {}

  void SetText(int id, const Text& text) override;
  Text GetText(int id) override;
  void Enable(int id, bool enabled) override;
  void Show(int, bool) override {}
  void Check(int id, bool checked) override;
  bool IsChecked(int id) override;
  // Prints the text (and answers No to a question: nobody is there to say Yes).
  bool Message(const Text& text, const Text& caption, MessageButtons buttons) override;
  void AddCandidate(int, const Text&) override {}
  void SetEntries(int id, const TextArray& entries) override;
  void SelectEntry(int id, int index) override;
  int SelectedEntry(int id) override;
  void PlaceMemberBox(MemberBoxPlace) override {}
  void ResetGrid(bool previewMode) override;
  void ShowAlbum(const GridAlbum& album) override;
  std::vector<std::size_t> ChosenAlbums() override;  // every album row shown
  void RefreshGrid() override {}
  void ClearThumbnails() override {}
  void OpenFolder(const Text& path) override;  // prints the path to stdout

 private:
  void Line(std::FILE* to, const Text& text);

  std::mutex lock_;
  std::FILE* rows_;
  std::FILE* notes_;
  std::map<int, Text> texts_;
  std::map<int, bool> checked_;
  std::map<int, int> entryCounts_;
  std::map<int, int> selected_;
  bool preview_ = false;
  std::vector<std::size_t> shown_;
};

}  // namespace albatrix
