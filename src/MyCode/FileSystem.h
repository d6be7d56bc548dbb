// The platform layer for files and folders. Paths are program text (UTF-16) and become UTF-8 only here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// WriteFileReplacing and WritePrivateFileReplacing in one: the platform's half of both.
bool WriteFileReplacingAs(TextView path, std::string_view bytes, FileAccess access);

// This process's id, which keeps temporary names of two running programs apart.
unsigned long CurrentProcessId();

// The temporary name WriteFileReplacing and the fetcher use beside `path`: a hidden name in the same
// folder, unique within the process, and never longer than the platform allows one name to be (the
// file's own name is cut between whole characters to make room for the tag).
Text TemporaryNameBeside(TextView path);

bool FileExists(TextView path);    // a regular file
bool FolderExists(TextView path);  // a directory
bool RemoveFile(TextView path);
bool RenameFile(TextView from, TextView to);  // replaces `to` if it exists

// Creates the folder and every missing parent. True when the folder exists afterwards.
bool CreateFolders(TextView path);

// The current directory with a trailing kPathSep: the program folder of this run.
Text CurrentFolder();

}  // namespace albatrix
