// What happens to an album's pictures besides the download: the format fix gives each file the extension
// its content calls for, the order fix stamps file times a minute apart in album order, and the
// description file keeps every picture's description in list order. Every step is silent: what cannot be
// done is left as it was, and a trace line says so.
#pragma once

#include <functional>

#include <cstddef>
#include <cstdint>

#include "MyCode/StringCtrl.h"
#include "model/PictureList.h"

namespace albatrix {

// The extension the first bytes of a picture call for (".jpg", ".png", ".gif", ".bmp", ".tga", ".ico",
// ".cur", ".tiff"), or empty when they match none. Missing bytes count as 0; up to 7 are looked at.
Text ExtensionForContent(std::string_view firstBytes);

// Renames the file at `path` to the extension its content calls for. The extension is what follows the
// last "." of the file's own name (a "." in a folder name never counts). True, with `path` changed, only
// when the rename took place; a file of the new name that already exists is never replaced.
bool FixPictureFormat(Text& path);

// The format fix over the album's pictures: each file in the folder whose content calls for another
// extension is renamed, and its list entry follows; `renamed` (may be empty) hears of each rename with
// the picture's index and its name before and after.
using RenamedFn = std::function<void(std::size_t index, const Text& before, const Text& after)>;
void FixAlbumFormats(PictureList& pictures, const RenamedFn& renamed = {});

// Stamps the file's access and write times (the creation time too where the platform can) with `unixTime`
// seconds since 1970 (UTC); nothing when the file cannot be opened for reading and writing or when
// `unixTime` is 0 or less.
void SetPictureTime(TextView path, std::int64_t unixTime);

// The order fix: the album's first picture gets `now`, every further one 60 seconds less than the one
// before, by list position (a missing file still takes its step).
void FixAlbumOrder(const PictureList& pictures, std::int64_t now);

// The description file "<folder><title>.txt" of an album: with `count` 1 (the album's first picture) it
// is created anew with the byte-order mark FF FE, otherwise the existing file is opened; then
// `description` and CR LF are appended in UTF-16 little-endian. Nothing is written when the file cannot be
// created or opened. False then.
bool AppendDescription(TextView folder, TextView title, std::size_t count, TextView description);

// The description file's name inside the album folder: the title, cut to the platform's name length, and
// ".txt". The list file is named the same way with ".lst".
Text AlbumSideFileName(TextView title, TextView extension);

}  // namespace albatrix
