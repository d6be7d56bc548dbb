// The Windows half of UserFolders: the shell's known folders and the module's own path.
#include "MyCode/UserFolders.h"

#include "MyCode/CookieJar.h"
#include "MyCode/FileSystem.h"
#include "MyCode/Win32.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace albatrix {

namespace {

// A known folder of the current user with a trailing separator; empty when the shell names none.
Text KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  Text folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) {
    folder = FromWide(path, wcslen(path));
    if (!folder.empty() && folder.back() != kPathSep) folder += kPathSep;
  }
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

Text DefaultCookieFile() {
  Text roaming = KnownFolder(FOLDERID_RoamingAppData);  // %APPDATA%
  return roaming.empty() ? Text() : roaming + u"Albatrix\\cookies.txt";
}

Text DocumentsFolder() { return KnownFolder(FOLDERID_Documents); }

Text ExecutableFolder() {
  std::wstring buf(32768, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  Text path = FromWide(buf.data(), n);
  return path.substr(0, path.find_last_of(kPathSep) + 1);
}

}  // namespace albatrix
