// The POSIX half of UserFolders: the XDG variables and HOME.
#include "MyCode/UserFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "MyCode/CookieJar.h"
#include "MyCode/FileSystem.h"

namespace albatrix {

namespace {

// An environment variable that holds an absolute path, as program text; empty otherwise.
Text AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? Utf8ToText(value) : Text();
}

Text WithSeparator(Text folder) {
  if (!folder.empty() && folder.back() != kPathSep) folder += kPathSep;
  return folder;
}

}  // namespace

Text DefaultCookieFile() {
  if (Text data = AbsoluteFromEnvironment("XDG_DATA_HOME"); !data.empty()) return data + u"/albatrix/cookies.txt";
  const char* home = std::getenv("HOME");
  if (home && *home) return Utf8ToText(home) + u"/.local/share/albatrix/cookies.txt";
  return {};
}

Text DocumentsFolder() {
  if (Text documents = AbsoluteFromEnvironment("XDG_DOCUMENTS_DIR"); !documents.empty())
    return WithSeparator(documents);
  Text home = AbsoluteFromEnvironment("HOME");
  return home.empty() ? Text() : WithSeparator(home) + u"Documents/";
}

Text ExecutableFolder() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return {};
  buf.resize(static_cast<std::size_t>(n));
  return Utf8ToText(buf.substr(0, buf.rfind('/') + 1));
}

}  // namespace albatrix
