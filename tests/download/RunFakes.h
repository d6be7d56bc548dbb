// Fakes for driving the download engine without a window or a network: a recording event sink, a crawler
// that hands out a fixed table of pictures, and a fetcher that writes the bytes a table gives.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "MyCode/FileSystem.h"
#include "MyCode/StringCtrl.h"
#include "download/DownProc.h"
#include "download/RunSession.h"
#include "support/FakeWaitClock.h"
#include "support/TempDir.h"
#include "model/AlbumRecords.h"

namespace albatrix::test {

// Records every event of a run as one line of text: "refused <why> <folder>", "begun <albums>",
// "album <i>/<n>", "unknown list type", "listed <k>", "download <n>", "ended <done>/<total>",
// "album ended <i> saved <s> failed <f>", "hold <s>", "retry pass <k> of <n> after <s>",
// "job file unwritable <path>", "run ended".
class RecordingRunEvents : public RunEvents {
 public:
  // Called after every event, outside the recorder's lock (a test may cancel from there).
  std::function<void(const std::string& line)> onEvent;

  void RunRefused(RunRefusal why, const Text& folder) override {
    Add(std::string(why == RunRefusal::NoSavePath ? "refused no save path " : "refused folder ") + TextToUtf8(folder));
  }
  void RunBegun(std::size_t albums, std::size_t retries) override {
    Add("begun " + std::to_string(albums) + (retries ? " retry " + std::to_string(retries) : std::string()));
  }
  void HoldBegun(long long seconds) override { Add("hold " + std::to_string(seconds)); }
  void JobFileUnwritable(const Text& path) override { Add("job file unwritable " + TextToUtf8(path)); }
  void RetryPassBegun(int pass, std::size_t pictures, long long wait) override {
    Add("retry pass " + std::to_string(pass) + " of " + std::to_string(pictures) + " after " + std::to_string(wait));
  }
  void AlbumBegun(std::size_t i, std::size_t n) override { Add("album " + std::to_string(i) + "/" + std::to_string(n)); }
  void ListTypeUnknown() override { Add("unknown list type"); }
  void PictureListed(std::size_t count) override { Add("listed " + std::to_string(count)); }
  void AlbumDownloadBegun(const Text& folder, std::size_t total) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      folders_.push_back(TextToUtf8(folder));
    }
    Add("download " + std::to_string(total));
  }
  void PictureEnded(std::size_t index, const PictureResult& result) override {
    std::lock_guard<std::mutex> lock(mutex_);
    pictureEnds_.emplace_back(index, result.outcome);
  }
  void PicturesEnded(std::size_t done, std::size_t total) override {
    Add("ended " + std::to_string(done) + "/" + std::to_string(total));
  }
  void AlbumEnded(const AlbumTally& t) override {
    Add("album ended " + std::to_string(t.position) + " saved " + std::to_string(t.saved) + " failed " +
        std::to_string(t.failed) + (t.cancelled ? " cancelled" : ""));
  }
  void RunEnded(const RunTally&) override { Add("run ended"); }

  // Every line, or those that begin with `prefix`, in order.
  std::vector<std::string> Lines(const std::string& prefix = std::string()) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const std::string& line : lines_)
      if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
  }
  std::string Last(const std::string& prefix) const {
    auto all = Lines(prefix);
    return all.empty() ? std::string("<none>") : all.back();
  }
  // Every PictureEnded (index and outcome), sorted by index: kept apart from the lines, whose order the
  // workers do not set.
  std::vector<std::pair<std::size_t, PictureOutcome>> PictureEnds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto ends = pictureEnds_;
    std::sort(ends.begin(), ends.end());
    return ends;
  }
  // The folders the workers saved into, album by album.
  std::vector<std::string> Folders() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return folders_;
  }

 private:
  void Add(std::string line) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    }
    if (onEvent) onEvent(line);
  }

  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::vector<std::string> folders_;
  std::vector<std::pair<std::size_t, PictureOutcome>> pictureEnds_;
};

inline Text T(const std::string& utf8) { return Utf8ToText(utf8); }

// One album of the fake crawler: its title and its pictures (address, description).
struct FakeAlbum {
  std::string title;
  std::vector<std::pair<std::string, std::string>> pictures;
  // The listing ends at a page that cannot be read ("HTTP 500", page 2) after this many pictures; -1
  // never.
  int unreadableAfter = -1;
};

// Everything one engine test needs: a plan wired to a fake crawler over `albums` and a fake fetcher that
// serves `bodies` (address -> bytes), and sessions over it with a recording event sink. An address in
// `refusals` fails with that reason (HttpStatus as a 404); an unknown one fails as a 404 would. The
// album list and `chosen` become the plan's albums when a session is made.
struct EngineRig {
  RecordingRunEvents events;
  RunEvents& sink;
  RunPlan plan;
  AlbumList albumList;
  std::vector<std::size_t> chosen;  // album indices, in the order the run takes them
  Text savePath;
  NameRule rule;
  std::vector<FakeAlbum> albums;
  std::map<std::string, std::string> bodies;
  std::map<std::string, FetchFailure> refusals;
  std::vector<std::int32_t> crawled;  // ordinals of the albums the crawler was asked for
  std::mutex fetchMutex;
  std::vector<std::string> fetchedUrls;
  FakeWaitClock waitClock;  // the run's pauses move it on at once

  // `sink` (may be null: the recorder) receives the run's events.
  explicit EngineRig(RunEvents* sink = nullptr) : sink(sink ? *sink : events) {
    rule.nameSource = 1;
    plan.waitClock = &waitClock;
    plan.nameRule = [this] { return rule; };
    plan.listPictures = [this](const ST_PERLISTRECORD& album, const PictureFoundFn& found,
                                       const std::function<bool()>& stop, const RequestControl&) {
      crawled.push_back(album.ordinal);
      const FakeAlbum& fake = albums.at(static_cast<std::size_t>(album.ordinal));
      AlbumListing listing;
      int listed = 0;
      for (const auto& [url, description] : fake.pictures) {
        if (listed++ == fake.unreadableAfter) {
          listing.end = AlbumListingEnd::Unreadable;
          listing.page = 2;
          listing.pageAddress = T("http://fake/" + fake.title + "-2.html");
          listing.failure = {FetchFailure::HttpStatus, 500, u"HTTP 500"};
          return listing;
        }
        found(PictureEntry{T(url), T(description)});
        if (stop()) {
          listing.end = AlbumListingEnd::Stopped;
          return listing;
        }
      }
      return listing;
    };
    plan.fetch = [this](UrlRequest& request, UrlResponse& response, unsigned) {
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

  // A session over the plan, its albums from the list and `chosen`, in place of the last one.
  RunSession& NewSession() {
    plan.albums.clear();
    for (std::size_t index : chosen) plan.albums.push_back(albumList[index]);
    plan.listedAlbums = albumList.size();
    plan.savePath = savePath;
    session_.emplace(plan, sink);
    return *session_;
  }
  // The last session made.
  RunSession& Session() { return *session_; }
  const RunTally& Tally() { return Session().Tally(); }

  // A new session, then the whole run on this thread.
  void Run() { DownloadRun(NewSession()); }

  std::vector<std::string> FetchedUrls() {
    std::lock_guard<std::mutex> lock(fetchMutex);
    return fetchedUrls;
  }

 private:
  std::optional<RunSession> session_;
};

}  // namespace albatrix::test
