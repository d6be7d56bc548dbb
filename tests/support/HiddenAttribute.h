// Windows' hidden attribute as the tests meet it: under wine it is kept in an extended attribute of the
// Unix file, which some file systems lack.
#pragma once

#include "support/TempDir.h"

namespace albatrix::test {

// Whether a file made hidden in `dir` stays hidden (Windows only).
bool FolderKeepsHiddenAttribute(const TempDir& dir);

// Whether the file at `path` has the hidden attribute (Windows only); false when it does not exist.
bool IsHidden(const Text& path);

}  // namespace albatrix::test
