#include "support/HiddenAttribute.h"

#include "MyCode/Win32.h"

namespace albatrix::test {

bool FolderKeepsHiddenAttribute(const TempDir& dir) {
  const std::wstring probe = WidePath(dir.folder() + u"probe");
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const bool kept = IsHidden(dir.folder() + u"probe");
  ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(probe.c_str());
  return kept;
}

bool IsHidden(const Text& path) {
  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

}  // namespace albatrix::test
