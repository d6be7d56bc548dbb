// File operations the download engine needs beyond FileSystem.h: a rename that never replaces, writing
// that appends, and the length limit of one name on this platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <functional>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Renames `from` to `to` only when nothing exists at `to` yet (as a rename on Windows does). False, with
// both left as they were, when `to` exists or the rename fails otherwise.
bool RenameFileNoReplace(TextView from, TextView to);

// Creates the file, or empties an existing one, and writes `bytes`. False when it cannot be created or
// written completely.
bool CreateFileWith(TextView path, std::string_view bytes);

// Appends `bytes` to the file, creating it when missing. Once it returns the bytes are the system's, so a
// process killed right after loses none of them (a power cut may: nothing is forced to the disk). False
// when the system refuses (folder missing, no permission, disk full); a part of the bytes may be appended
// then.
bool AppendToFile(TextView path, std::string_view bytes);

// The size in bytes of the regular file at `path`; nothing when there is none.
std::optional<std::uint64_t> FileSizeOf(TextView path);

// The most bytes one file or folder name may take as UTF-8 (255 on Linux). Windows would take 255 UTF-16
// units, more for Chinese names; names are cut to the UTF-8 limit there too, so a tree is named alike on
// both and still fits when it is copied to (or written by wine onto) a Linux file system.
constexpr std::size_t kMaxNameBytes = 255;

// The number of bytes `name` takes as a UTF-8 name.
std::size_t NativeNameBytes(TextView name);

// The longest beginning of `name`, cut between whole characters, such that it followed by `ending` fits
// in kMaxNameBytes. `name` unchanged when it already fits. A cut name without `ending` never ends in a dot
// or a space.
Text FitNameToPlatform(TextView name, TextView ending = {});

// The first `maxUnits` UTF-16 code units of `name`, one fewer when the cut would keep only the first half
// of a surrogate pair: a length cap never leaves half a character in a name. `name` unchanged when it is
// no longer.
Text CutToUnits(TextView name, std::size_t maxUnits);

// `name` when `taken` says it is free; otherwise the first free of "<name> (1)", "<name> (2)", ..., where
// `fit(name, " (k)")` gives the beginning of the name that leaves room for the number within the caller's
// limit (units, bytes). The one way a name is made unique against others under a length limit.
using TakenFn = std::function<bool(const Text& name)>;
using FitFn = std::function<Text(TextView name, TextView ending)>;
Text FirstFreeNumberedName(const Text& name, const TakenFn& taken, const FitFn& fit);

}  // namespace albatrix
