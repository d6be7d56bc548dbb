#include "MyCode/FileSystem.h"

#include <atomic>

#include "MyCode/FileOps.h"

namespace albatrix {

bool IsAbsolutePath(TextView path) {
  if (!path.empty() && path[0] == u'/') return true;
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

Text TemporaryNameBeside(TextView path) {
  static std::atomic<unsigned> counter{0};
  std::size_t slash = path.find_last_of(kPathSep);
  Text folder = slash == TextView::npos ? Text() : Text(path.substr(0, slash + 1));
  Text name = Text(slash == TextView::npos ? path : path.substr(slash + 1));
  const Text tag =
      Utf8ToText("." + std::to_string(CurrentProcessId()) + "." + std::to_string(counter++) + ".part");
  // The name part gives way, never the tag: a name that was cut to the platform's limit must still have
  // a temporary beside it, and the tag alone keeps it unique.
  return folder + u"." + FitNameToPlatform(name, u"." + tag) + tag;
}

bool WriteFileReplacing(TextView path, std::string_view bytes) {
  return WriteFileReplacingAs(path, bytes, FileAccess::Shared);
}

bool WritePrivateFileReplacing(TextView path, std::string_view bytes) {
  return WriteFileReplacingAs(path, bytes, FileAccess::OwnerOnly);
}

}  // namespace albatrix
