// The job file: a download run's plan and progress, kept in the program folder while the run goes on, so
// that a run ended by a kill, a crash, Ctrl-C or "终止下载" can go on where it stopped. JSON (UTF-8), written
// by temporary file and rename; beside it a journal to which every saved picture is appended at once, so
// a kill loses no picture that was whole on disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "model/AlbumRecords.h"
#include "model/Settings.h"

namespace albatrix {

inline constexpr char16_t kJobFileName[] = u"job.albatrix";
// Beside the job file: one JSON line per picture saved since the job file was last written.
inline constexpr char16_t kJobJournalSuffix[] = u".saved";
// Where a job file that cannot be used is set aside (an older one there is replaced).
inline constexpr char16_t kJobSetAsideSuffix[] = u".bad";
constexpr int kJobFileVersion = 1;

// A picture the run has saved: its first address, its name in the album's folder, its size in bytes, and
// the name the naming rule gives it when the format fix has renamed the file since (empty: fileName).
struct JobPicture {
  Text url;
  Text fileName;
  std::uint64_t size = 0;
  Text namedAs;

  const Text& NamingName() const { return namedAs.empty() ? fileName : namedAs; }
};

enum class JobAlbumState : std::uint8_t {
  Waiting,  // not begun
  Begun,    // listed or downloading when the run stopped
  Done,     // its run ended without a cancel
};

struct JobAlbum {
  ST_PERLISTRECORD record;  // as listed
  JobAlbumState state = JobAlbumState::Waiting;
  Text folder;              // the album's folder once its first picture was named (ends with the separator)
  std::vector<JobPicture> saved;
};

struct DownloadJob {
  Text runId;          // ties the journal's lines to this job
  Text memberAddress;  // the member box's text the albums were listed from
  Text savePath;       // the save-path box as typed
  Text memberKey;      // empty or ending with the separator
  Text subFolder;      // likewise
  int siteCode = 15;
  std::size_t listedAlbums = 0;
  int retries = 0;
  NameRule rule{};
  DownloadLimits limits{0, 0, 5, 30};
  // A saved job of "all albums": `albums` is empty and the member is listed afresh each time it runs,
  // so albums added since come along.
  bool allAlbums = false;
  std::vector<JobAlbum> albums;

  std::size_t SavedCount() const;
};

// A new run id: random enough that two runs never share one.
Text NewJobRunId();

// The job as its file holds it: a JSON object, UTF-8.
std::string JobToJson(const DownloadJob& job);
// One journal line (JSON, ending with "\n") for a picture saved into album `position` (0-based) of run
// `runId`.
std::string JournalLine(TextView runId, std::size_t position, const JobPicture& picture);

enum class JobFileState {
  None,     // no job file: the last run ended
  Ready,    // a job that can go on
  Damaged,  // a file is there but cannot be used (cut, not JSON, another version or kind, fields wrong)
};

struct JobFileRead {
  JobFileState state = JobFileState::None;
  DownloadJob job;
  Text problem;  // Damaged: what is wrong, in a few words
};

// The job from its file's bytes and its journal's (lines of another run, or a torn last line, are
// skipped; a picture the journal names twice counts once).
JobFileRead ParseJob(std::string_view json, std::string_view journal = {});

// A job file the user saved (any path, no journal). None when it cannot be read at all.
JobFileRead ReadJobFileAt(TextView path);
// Writes `job` to `path` (temporary file and rename). False when it cannot be written.
bool WriteJobFileAt(TextView path, const DownloadJob& job);

// The job file and its journal in `programFolder` (ending with the separator).
Text JobFilePath(TextView programFolder);
JobFileRead ReadJobFile(TextView programFolder);
// Writes the whole job (temporary file and rename) and then empties the journal, whose lines the file
// now holds. False when it cannot be written; the old file stays whole.
bool WriteJobFile(TextView programFolder, const DownloadJob& job);
// Appends one saved picture to the journal. False when the system refuses.
bool AppendJobJournal(TextView programFolder, TextView runId, std::size_t position, const JobPicture& picture);
// Removes the job file and its journal (a run that ended, or a job the user declined).
void RemoveJobFile(TextView programFolder);
// Renames the job file to kJobFileName + kJobSetAsideSuffix, so it is never offered again but not lost,
// and removes its journal. Gives the new path (empty when the rename failed and the file was removed).
Text SetJobFileAside(TextView programFolder);

}  // namespace albatrix
