// The Windows half of the file times: creation, access and write time, all three set to the same moment.
#include "MyCode/FileTimes.h"

#include "MyCode/Win32.h"

namespace albatrix {

namespace {

FILETIME ToFileTime(std::uint64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

}  // namespace

bool SetFileTimes(TextView path, std::int64_t unixSeconds) {
  HANDLE h = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  if (unixSeconds > 0) {
    const FILETIME ft = ToFileTime(WindowsFileTime(unixSeconds));
    ok = ::SetFileTime(h, &ft, &ft, &ft) != 0;
  }
  ::CloseHandle(h);
  return ok;
}

bool GetFileWriteTime(TextView path, std::int64_t& unixSeconds) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  unixSeconds = static_cast<std::int64_t>(ticks / 10000000ULL) - static_cast<std::int64_t>(WindowsFileTime(0) / 10000000ULL);
  return true;
}

}  // namespace albatrix
