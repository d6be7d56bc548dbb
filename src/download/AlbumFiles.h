// The files the run keeps beside an album's pictures: the list file for an external download manager and
// the skip marker that remembers where the album began when it was last downloaded.
#pragma once

#include "MyCode/StringCtrl.h"

namespace albatrix {

// The skip marker's name inside an album folder. Windows hides it; POSIX has no such attribute.
inline constexpr char16_t kSkipMarkerName[] = u"pic.zvk";

// The list file's content: every address in order, each in code page 936 (GBK) followed by CR LF, no
// byte-order mark. A character GBK cannot hold becomes "?".
Bytes ListFileBytes(const TextArray& urls);

// Writes the list file to `path`, replacing an older one as a whole. False when it cannot be written.
bool WriteListFile(TextView path, const TextArray& urls);

// Writes `address` as the skip marker of `folder` (ending with the separator): UTF-16 little-endian code
// units, no byte-order mark, no line end; an older marker is replaced as a whole, and the file is hidden
// where the platform has the attribute. False when it cannot be written.
bool WriteSkipMarker(TextView address, TextView folder);

// The first line of the skip marker in `folder`: its UTF-16 little-endian code units up to a line feed or
// the end. Empty when there is no marker or it cannot be read.
Text ReadSkipMarker(TextView folder);

}  // namespace albatrix
