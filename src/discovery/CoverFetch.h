// The cover pictures that preview mode turns into thumbnails: one file per album in the "tmp" folder of
// the program folder, fetched through the program's own Fetch.
#pragma once

#include <atomic>
#include <cstddef>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// programFolder + "tmp" + separator + the decimal album index + ".jpg", whatever the picture's real
// format. `programFolder` ends with the separator.
Text CoverFilePath(TextView programFolder, std::size_t albumIndex);

// Saves the cover at `url` as CoverFilePath(programFolder, albumIndex), replacing an older one; the
// "tmp" folder is made whenever it is missing. One attempt with the browser identity and the shared
// cookies, a 20 s bound on the connection and on every stall, written complete or not at all; a reply
// outside 2xx is refused, so an error page never becomes a cover. An empty `url` makes no request.
// Raising `abort` (which must outlive the call) ends a transfer in flight at once. True when the file
// was saved; a failure only leaves a trace line.
bool FetchCover(TextView programFolder, std::size_t albumIndex, TextView url, const std::atomic<bool>* abort);

}  // namespace albatrix
