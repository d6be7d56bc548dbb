// File operations the download engine needs beyond FileSystem.h: a rename that never replaces, writing
// that appends, and the length limit of one name on this platform.
#pragma once

#include <cstddef>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Renames `from` to `to` only when nothing exists at `to` yet (as a rename on Windows does). False, with
// both left as they were, when `to` exists or the rename fails otherwise.
bool RenameFileNoReplace(TextView from, TextView to);

// Creates the file, or empties an existing one, and writes `bytes`. False when it cannot be created or
// written completely.
bool CreateFileWith(TextView path, std::string_view bytes);

// Appends `bytes` to an existing file; never creates one. False when the file cannot be opened or the
// bytes cannot be written completely.
bool AppendToFile(TextView path, std::string_view bytes);

// The most units one file or folder name may take in the platform's form: 255 bytes of UTF-8 on Linux,
// 255 UTF-16 units on Windows.
constexpr std::size_t kMaxNameBytes = 255;
#ifdef _WIN32
constexpr bool kNamesInUtf16 = true;
#else
constexpr bool kNamesInUtf16 = false;
#endif

// The number of units (as kMaxNameBytes counts them) `name` takes as a name on this platform.
std::size_t NativeNameBytes(TextView name);

// The longest beginning of `name`, cut between whole characters, such that it followed by `ending` fits
// in kMaxNameBytes. `name` unchanged when it already fits.
Text FitNameToPlatform(TextView name, TextView ending = {});

// The first `maxUnits` UTF-16 code units of `name`, one fewer when the cut would keep only the first half
// of a surrogate pair: a length cap never leaves half a character in a name. `name` unchanged when it is
// no longer.
Text CutToUnits(TextView name, std::size_t maxUnits);

}  // namespace albatrix
