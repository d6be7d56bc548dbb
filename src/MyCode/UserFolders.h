// The folders the system gives a user and a program. Each ends with kPathSep; empty when the system
// names none. The cookie file's place (DefaultCookieFile, CookieJar.h) comes from the same half.
#pragma once

#include "MyCode/StringCtrl.h"

namespace albatrix {

// The user's documents folder: the XDG documents folder on POSIX ($XDG_DOCUMENTS_DIR when it is absolute,
// else ~/Documents), the shell's Documents folder on Windows.
Text DocumentsFolder();

// The folder the running executable lies in.
Text ExecutableFolder();

}  // namespace albatrix
