// The Windows half of the file layer: every path goes through the wide ("W") calls, so a name holds any
// character whatever the ANSI code page is.
#include "MyCode/FileSystem.h"

#include <io.h>

#include <cerrno>

#include "MyCode/Win32.h"

namespace albatrix {

namespace {

// The classic MAX_PATH less room for the terminating NUL: past it, only the "\\?\" form opens a file.
constexpr std::size_t kClassicPathLimit = 259;

// A handle closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) ::CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

DWORD Attributes(TextView path) { return ::GetFileAttributesW(WidePath(path).c_str()); }

}  // namespace

bool WriteAllToHandle(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::wstring WidePath(TextView path) {
  std::wstring wide = WideText(path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';  // the "\\?\" form takes no other separator
  if (wide.size() <= kClassicPathLimit || wide.rfind(LR"(\\?\)", 0) == 0) return wide;
  if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return LR"(\\?\)" + wide;
  if (wide.rfind(LR"(\\)", 0) == 0) return LR"(\\?\UNC\)" + wide.substr(2);
  return wide;  // a relative path cannot take the prefix; the system's own limit applies
}

std::string NativePath(TextView path) { return TextToUtf8(path); }

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

bool ReadFileBytes(TextView path, Bytes& out, std::size_t maxBytes) {
  out.clear();
  Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  char buf[65536];
  while (out.size() < maxBytes) {
    DWORD want = static_cast<DWORD>(std::min(sizeof buf, maxBytes - out.size()));
    DWORD got = 0;
    if (!::ReadFile(file.get(), buf, want, &got, nullptr) || got == 0) break;
    out.append(buf, got);
  }
  return true;
}

bool WriteAllToDescriptor(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
    int n = ::_write(fd, bytes.data(), chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

FileReplacer::NativeFile FileReplacer::CreateTemporary(TextView temp, FileAccess access) {
  // The folders a private file is kept in (%APPDATA%) are the user's alone already; like the POSIX half,
  // a private file still never reuses what lies at its temporary name.
  const DWORD create = access == FileAccess::OwnerOnly ? CREATE_NEW : CREATE_ALWAYS;
  // Shared with nobody: while it is open, no other handle (a cleanup's delete included) gets at it. Hidden
  // from the first moment, so a crash leaves nothing in sight among the pictures; FlushAndClose takes
  // the attribute away again (and reads the others, hence the attribute access).
  HANDLE h = ::CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr, create,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
  // INVALID_HANDLE_VALUE is -1 as an integer: kNoFile.
  return reinterpret_cast<NativeFile>(h);
}

bool FileReplacer::WriteAll(NativeFile file, std::string_view bytes) {
  return WriteAllToHandle(reinterpret_cast<HANDLE>(file), bytes);
}

bool FileReplacer::FlushAndClose(NativeFile file) {
  HANDLE h = reinterpret_cast<HANDLE>(file);
  // Unhidden through the handle, before the rename: no moment and no crash leaves a hidden picture.
  FILE_BASIC_INFO basic{};
  bool ok = ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) != 0;
  if (ok) {
    basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;  // 0: left as the system keeps them
    basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ok = ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) != 0;
  }
  ok = ::FlushFileBuffers(h) != 0 && ok;
  return ::CloseHandle(h) != 0 && ok;
}

void FileReplacer::Close(NativeFile file) { ::CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool FileReplacer::FailedForWantOfRoom() {
  const DWORD error = ::GetLastError();
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

bool FileReplacer::MoveIntoPlace(TextView temp, TextView path) {
  return ::MoveFileExW(WidePath(temp).c_str(), WidePath(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

FileReplacer::Removal FileReplacer::RemoveUnlessWritten(TextView temp) {
  if (::DeleteFileW(WidePath(temp).c_str())) return Removal::Removed;
  // A writer shares its temporary with nobody, so the delete is refused while it writes; a temporary gone
  // meanwhile was finished by its writer.
  const DWORD error = ::GetLastError();
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_FILE_NOT_FOUND) return Removal::Kept;
  return Removal::Refused;
}

std::vector<Text> FileNamesIn(TextView folder) {
  std::vector<Text> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileExW(WidePath(Text(folder) + u"*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0)
      names.push_back(FromWide(found.cFileName, std::char_traits<wchar_t>::length(found.cFileName)));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

bool FileExists(TextView path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(TextView path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(TextView path) { return ::DeleteFileW(WidePath(path).c_str()) != 0; }

bool RenameFile(TextView from, TextView to) {
  return ::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool CreateFolders(TextView path) {
  Text folder(path);
  for (char16_t& c : folder)
    if (c == u'/') c = u'\\';
  while (folder.size() > 1 && folder.back() == u'\\' && !(folder.size() == 3 && folder[1] == u':'))
    folder.pop_back();
  if (folder.empty()) return false;
  // Skip the drive ("C:\") or the server and share ("\\server\share\") of the path: those are not made.
  std::size_t start = 1;
  if (folder.size() >= 3 && folder[1] == u':' && folder[2] == u'\\') {
    start = 3;
  } else if (folder.rfind(u"\\\\", 0) == 0) {
    std::size_t server = folder.find(u'\\', 2);
    std::size_t share = server == Text::npos ? Text::npos : folder.find(u'\\', server + 1);
    start = share == Text::npos ? folder.size() : share + 1;
  }
  for (std::size_t i = start; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == u'\\') {
      const std::wstring part = WidePath(TextView(folder).substr(0, i));
      if (!::CreateDirectoryW(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
  }
  return FolderExists(folder);
}

Text CurrentFolder() {
  DWORD need = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buf(need, L'\0');
  DWORD got = need ? ::GetCurrentDirectoryW(need, buf.data()) : 0;
  if (got == 0 || got >= need) return Text(1, kPathSep);
  Text folder = FromWide(buf.data(), got);
  if (folder.empty() || folder.back() != kPathSep) folder += kPathSep;
  return folder;
}

bool CreatePrivateFolder(TextView path) { return CreateFolders(path); }

bool HideFile(TextView path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & FILE_ATTRIBUTE_HIDDEN) != 0 ||
         ::SetFileAttributesW(WidePath(path).c_str(), attributes | FILE_ATTRIBUTE_HIDDEN) != 0;
}

}  // namespace albatrix
