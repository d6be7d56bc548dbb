// File times. Windows keeps creation, access and write times; POSIX lets a program set only the access
// and write times, so those two carry the order the program stamps on its pictures.
#pragma once

#include <cstdint>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Seconds since 1970-01-01 00:00 UTC as a Windows file time: 100-nanosecond units since 1601-01-01 UTC.
std::uint64_t WindowsFileTime(std::int64_t unixSeconds);

// Opens the existing file for reading and writing and, when `unixSeconds` is above 0, sets its access and
// write times to that moment (and its creation time too on Windows, where the system keeps one that a
// program may set). False when the file cannot be opened so (missing, a folder, read-only) or
// the times cannot be set; nothing is changed then.
bool SetFileTimes(TextView path, std::int64_t unixSeconds);

// The write time of the file in seconds since 1970; false when it cannot be read.
bool GetFileWriteTime(TextView path, std::int64_t& unixSeconds);

}  // namespace albatrix
