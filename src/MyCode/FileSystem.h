// The platform layer for files and folders. Paths are program text (UTF-16) and become UTF-8 only here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// "\" in the program's folder texts: the separator of this platform.
#ifdef _WIN32
constexpr char16_t kPathSep = u'\\';
#else
constexpr char16_t kPathSep = u'/';
#endif

// An absolute path starts with '/' here, or has ":\" at index 1 (a Windows path typed by a user).
bool IsAbsolutePath(TextView path);

// The path as the operating system takes it: UTF-8 on POSIX; on Windows the same UTF-8 text, which the
// Windows half turns into the wide form the "W" calls take (see WidePath there).
std::string NativePath(TextView path);

// Reads at most `maxBytes` of the file into `out`. False (and `out` empty) when it cannot be opened.
bool ReadFileBytes(TextView path, Bytes& out, std::size_t maxBytes = SIZE_MAX);

// Writes all of `bytes` to an open descriptor (a C runtime one on Windows), going on after short writes and
// interruptions. False when the system refuses a write (disk full, quota, I/O error).
bool WriteAllToDescriptor(int fd, std::string_view bytes);

// Writes `bytes` under a temporary name beside `path` and renames it into place, so the file on disk is
// always either the complete old one or the complete new one. False, with nothing left behind, on any
// failure (folder missing, disk full, no permission).
bool WriteFileReplacing(TextView path, std::string_view bytes);

// Who may read a file the program writes: everyone who may read the folder, or only its owner (the
// cookie file). On Windows the per-user folders the program keeps such files in are private already.
enum class FileAccess { Shared, OwnerOnly };

// WriteFileReplacing for a file only its owner may read, not even for a moment.
bool WritePrivateFileReplacing(TextView path, std::string_view bytes);

// This process's id, which keeps temporary names of two running programs apart.
unsigned long CurrentProcessId();

// A file written a piece at a time under a temporary name beside its final path, and renamed into place
// only by Commit: until then (and for ever, when Commit is never called or fails) the final path keeps
// what it held before, and the temporary is removed when the object goes. While the temporary is open,
// every process can tell that it is being written (RemoveStaleTemporaries keeps it); on Windows it is
// hidden until Commit, so a crash leaves nothing in sight among the pictures.
class FileReplacer {
 public:
  explicit FileReplacer(TextView path, FileAccess access = FileAccess::Shared);
  ~FileReplacer();  // discards an uncommitted temporary
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;

  // Creates the temporary. False when it cannot be created (folder missing, no permission).
  bool Open();
  // Appends to the temporary. False when the system refuses (disk full, quota, I/O error).
  bool Write(std::string_view bytes);
  // Flushes the bytes to the disk and renames the temporary into place. False (and nothing left behind)
  // when any step fails.
  bool Commit();
  // After Open, Write or Commit gave false: whether the system refused for want of room (a full disk or quota,
  // or a file grown past what the system lets it be).
  bool OutOfRoom() const { return outOfRoom_; }
  // Removes the temporary now.
  void Discard();

 private:
  // The platform's half. An open file is a descriptor on POSIX and a HANDLE on Windows, held as an
  // integer so that this header names neither; both mark "no file" with -1.
  using NativeFile = std::intptr_t;
  static constexpr NativeFile kNoFile = -1;
  // Creates `temp` afresh for writing, readable as `access` says, and marked as being written for as long
  // as it is open (see RemoveUnlessWritten); kNoFile when the system refuses.
  static NativeFile CreateTemporary(TextView temp, FileAccess access);
  static bool WriteAll(NativeFile file, std::string_view bytes);
  // Makes the file what the final one is to be (on Windows: no longer hidden), forces the written bytes
  // to the disk and closes it; false when any step fails. Closed either way.
  static bool FlushAndClose(NativeFile file);
  static void Close(NativeFile file);
  // Whether the call on this thread that has just failed was refused for want of room.
  static bool FailedForWantOfRoom();
  // Renames `temp` to `path`, replacing what is there, and makes the rename itself durable where the
  // system lets the caller ask for that.
  static bool MoveIntoPlace(TextView temp, TextView path);
  // Removes a temporary that no FileReplacer of any process has open any more. Kept: one still writes it,
  // it is gone already, or it is no regular file after all. Refused: the system would not let it be
  // checked or removed.
  enum class Removal { Removed, Kept, Refused };
  static Removal RemoveUnlessWritten(TextView temp);
  friend std::size_t RemoveStaleTemporaries(TextView folder);

  Text path_;
  FileAccess access_;
  Text temp_;
  NativeFile file_ = kNoFile;
  bool outOfRoom_ = false;
};

// The temporary name WriteFileReplacing and the fetcher use beside `path`: a hidden name in the same
// folder, unique within the process, and never longer than the platform allows one name to be (the
// file's own name is cut between whole characters to make room for the tag). The name is "." + the
// file's name + "." + this process's id + "." + a counter + ".part", e.g. ".k4.jpg.21207.5.part".
Text TemporaryNameBeside(TextView path);

// Removes from `folder` (ending with kPathSep; folders inside it are not looked into) the temporaries a
// FileReplacer left behind when its process was killed: every regular file named exactly as
// TemporaryNameBeside names one ("." + at least one character + "." + digits + "." + digits + ".part")
// that no running process still writes. A temporary of this process is never removed, nor one that a
// FileReplacer of another running process has open, nor any other file or folder. A Trace line names
// each removed file, and each that could not be checked or removed. The number removed; 0 when the
// folder is missing.
std::size_t RemoveStaleTemporaries(TextView folder);

// The names of the regular files directly in `folder` (ending with kPathSep), in no particular order;
// links and folders are not among them. Empty when the folder is missing or cannot be read.
std::vector<Text> FileNamesIn(TextView folder);

bool FileExists(TextView path);    // a regular file
bool FolderExists(TextView path);  // a directory
bool RemoveFile(TextView path);
bool RenameFile(TextView from, TextView to);  // replaces `to` if it exists

// Creates the folder and every missing parent. True when the folder exists afterwards.
bool CreateFolders(TextView path);

// Creates the folder as CreateFolders does and lets only its owner into it (the cookie file's folder, which
// holds login secrets). On Windows the per-user folders the program keeps such files in are private
// already. True when the folder exists and is private afterwards.
bool CreatePrivateFolder(TextView path);

// Gives the file the hidden attribute, which Windows has and POSIX has not (there the file keeps its name
// and nothing is done). True when the file is hidden afterwards or the platform has no such attribute.
bool HideFile(TextView path);

// The current directory with a trailing kPathSep: the program folder of this run.
Text CurrentFolder();

}  // namespace albatrix
