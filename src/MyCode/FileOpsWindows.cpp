// The Windows half of FileOps: the wide calls.
#include "MyCode/FileOps.h"

#include "MyCode/FileSystem.h"
#include "MyCode/Win32.h"

namespace albatrix {

namespace {

// Opens (creating or emptying, or appending) and writes all of `bytes`.
bool WriteWithDisposition(TextView path, std::string_view bytes, DWORD access, DWORD disposition, DWORD share) {
  HANDLE h = ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = WriteAllToHandle(h, bytes);
  return ::CloseHandle(h) != 0 && ok;
}

}  // namespace

bool RenameFileNoReplace(TextView from, TextView to) {
  const std::wstring source = WidePath(from), target = WidePath(to);
  // Names differing only in case are one file here: the new case goes on through a temporary name, as a
  // direct move to the "existing" target would keep the old spelling (or fail) on some file systems.
  if (source != target && ::CompareStringOrdinal(source.c_str(), -1, target.c_str(), -1, TRUE) == CSTR_EQUAL) {
    const std::wstring temp = WidePath(TemporaryNameBeside(from));
    if (!::MoveFileExW(source.c_str(), temp.c_str(), 0)) return false;
    if (::MoveFileExW(temp.c_str(), target.c_str(), 0)) return true;
    ::MoveFileExW(temp.c_str(), source.c_str(), 0);
    return false;
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists, atomically.
  return ::MoveFileExW(source.c_str(), target.c_str(), 0) != 0;
}

std::optional<std::uint64_t> FileSizeOf(TextView path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CreateFileWith(TextView path, std::string_view bytes) {
  return WriteWithDisposition(path, bytes, GENERIC_WRITE, CREATE_ALWAYS, FILE_SHARE_READ);
}

bool AppendToFile(TextView path, std::string_view bytes) {
  // FILE_APPEND_DATA without plain write access: every write lands at the end, as O_APPEND does, so two
  // appenders at once may share the file.
  return WriteWithDisposition(path, bytes, FILE_APPEND_DATA, OPEN_ALWAYS, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

}  // namespace albatrix
