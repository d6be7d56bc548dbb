// Fakes for driving the download engine without a window or a network: a recording run view, a crawler
// that hands out a fixed table of pictures, and a fetcher that writes the bytes a table gives.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "MyCode/FileSystem.h"
#include "MyCode/StringCtrl.h"
#include "download/RunSession.h"
#include "model/AlbumRecords.h"
#include "model/PictureList.h"

namespace albatrix::test {

class RecordingRunView : public RunView {
 public:
  Text savePath;
  std::vector<std::size_t> chosen;
  // Called after every SetText, outside the view's lock (a test may cancel from there).
  std::function<void(int id, const Text& text)> onText;

  Text SavePathText() override { return savePath; }
  void SetText(int id, const Text& text) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_.push_back({id, text});
    }
    if (onText) onText(id, text);
  }
  void Enable(int id, bool enabled) override {
    std::lock_guard<std::mutex> lock(mutex_);
    enables_.push_back({id, enabled});
  }
  void Message(const Text& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(text);
  }
  std::vector<std::size_t> ChosenAlbums() override { return chosen; }
  void OpenFolder(const Text& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    opened_.push_back(path);
  }

  // Every text set on control `id`, in order.
  std::vector<std::string> Texts(int id) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& [cid, text] : texts_)
      if (cid == id) out.push_back(TextToUtf8(text));
    return out;
  }
  std::string LastText(int id) const {
    auto all = Texts(id);
    return all.empty() ? std::string("<none>") : all.back();
  }
  std::vector<std::string> Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const Text& m : messages_) out.push_back(TextToUtf8(m));
    return out;
  }
  std::vector<std::pair<int, bool>> Enables() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return enables_;
  }
  std::vector<std::string> Opened() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const Text& m : opened_) out.push_back(TextToUtf8(m));
    return out;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<int, Text>> texts_;
  std::vector<std::pair<int, bool>> enables_;
  std::vector<Text> messages_;
  std::vector<Text> opened_;
};

inline Text T(const std::string& utf8) { return Utf8ToText(utf8); }

// One album of the fake crawler: its title and its pictures (address, description).
struct FakeAlbum {
  std::string title;
  std::vector<std::pair<std::string, std::string>> pictures;
};

// Everything one engine test needs: lists, flags, view, a session wired to a fake crawler over `albums`
// and a fake fetcher that serves `bodies` (address -> bytes). An address in `refusals` fails with that
// reason (HttpStatus as a 404); an unknown one fails as a 404 would.
struct EngineRig {
  RecordingRunView view;
  RunFlags flags;
  AlbumList albumList;
  PictureList pictures;
  NameRule rule;
  DownloadLimits limits{0, 0, 5, 30};
  std::vector<FakeAlbum> albums;
  std::map<std::string, std::string> bodies;
  std::map<std::string, FetchFailure> refusals;
  std::vector<std::size_t> crawled;  // album indices the crawler was asked for
  std::mutex fetchMutex;
  std::vector<std::string> fetchedUrls;
  RunSession session{view, flags, albumList, pictures};

  EngineRig() {
    rule.nameSource = 1;
    session.nameRule = [this] { return rule; };
    session.limits = [this] { return limits; };
    session.listAlbum = [this](std::size_t index, const PictureSink& sink, const std::function<bool()>& stop) {
      crawled.push_back(index);
      for (const auto& [url, description] : albums.at(index).pictures) {
        sink(T(url), T(description), Text(), index);
        if (stop()) return;
      }
    };
    session.fetch = [this](UrlRequest& request, UrlResponse& response, unsigned) {
      std::string url = TextToUtf8(request.url);
      {
        std::lock_guard<std::mutex> lock(fetchMutex);
        fetchedUrls.push_back(url);
      }
      response.body.clear();
      response.failure = FetchFailure::None;
      response.httpStatus = 200;
      auto refused = refusals.find(url);
      auto it = bodies.find(url);
      if (refused != refusals.end() || it == bodies.end() || it->second.empty()) {
        response.failure = refused != refusals.end() ? refused->second : FetchFailure::HttpStatus;
        if (response.failure == FetchFailure::HttpStatus) response.httpStatus = 404;
        return false;
      }
      if (!request.targetFile.empty() && !WriteFileReplacing(request.targetFile, it->second)) return false;
      response.body = it->second;
      return true;
    };
  }

  // Appends the albums to the album list (titles cleaned and made unique as the list does).
  void ListAlbums() {
    for (const FakeAlbum& album : albums) {
      ST_PERLISTRECORD record;
      record.title = T(album.title);
      albumList.AppendAlbum(record);
    }
  }

  // How each picture job of the last album ended.
  std::vector<PictureOutcome> Outcomes() const {
    std::vector<PictureOutcome> outcomes;
    for (const PictureResult& result : session.albumResults) outcomes.push_back(result.outcome);
    return outcomes;
  }

  std::vector<std::string> FetchedUrls() {
    std::lock_guard<std::mutex> lock(fetchMutex);
    return fetchedUrls;
  }
};

// The names in a folder (not recursive), sorted; folders get a trailing "/".
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  // UTF-8 both ways on every platform (a plain std::string is the ANSI code page on Windows).
  for (const auto& entry : std::filesystem::directory_iterator(std::u8string(folder.begin(), folder.end()), ec)) {
    const std::u8string name = entry.path().filename().u8string();
    names.push_back(std::string(name.begin(), name.end()) + (entry.is_directory() ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace albatrix::test
