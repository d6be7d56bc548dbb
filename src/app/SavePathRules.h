// Where a chosen or dropped path leads the save path.
#pragma once

#include "MyCode/StringCtrl.h"

namespace albatrix {

// `folder` with the path separator at its end.
Text FolderWithSeparator(TextView folder);

// What the file system says of a dropped path.
enum class DroppedKind { Folder, File, Missing };

// The save path for the first dropped path: a folder as it is, a file's own folder, each with the
// separator at its end. A path that does not exist is judged by its text: when its last "." lies after
// its last separator it names a file and stands for the folder before that separator. Empty for an
// empty path.
Text DroppedSavePath(TextView path, DroppedKind kind);

}  // namespace albatrix
