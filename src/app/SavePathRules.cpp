#include "app/SavePathRules.h"

#include "MyCode/FileSystem.h"

namespace albatrix {

Text FolderWithSeparator(TextView folder) {
  Text path(folder);
  if (!path.empty() && path.back() != kPathSep) path += kPathSep;
  return path;
}

Text DroppedSavePath(TextView path, DroppedKind kind) {
  Text folder(path);
  std::size_t separator = folder.rfind(kPathSep);
  bool looksLikeFile = false;
  if (kind == DroppedKind::Missing) {
    std::size_t dot = folder.rfind(u'.');
    looksLikeFile = dot != Text::npos && (separator == Text::npos || dot > separator);
  }
  // A folder named like a file ("my.pics") stays itself: the file system knows what it is.
  if ((kind == DroppedKind::File || looksLikeFile) && separator != Text::npos)
    folder.resize(separator == 0 ? 1 : separator);  // a file at the root stands for the root
  return FolderWithSeparator(folder);
}

}  // namespace albatrix
