// The POSIX half of the file layer: UTF-8 paths and file descriptors.
#include "MyCode/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace albatrix {

std::string NativePath(TextView path) { return TextToUtf8(path); }

bool ReadFileBytes(TextView path, Bytes& out, std::size_t maxBytes) {
  out.clear();
  int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[65536];
  while (out.size() < maxBytes) {
    std::size_t want = std::min(sizeof buf, maxBytes - out.size());
    ssize_t n = ::read(fd, buf, want);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

bool WriteAllToDescriptor(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

FileReplacer::NativeFile FileReplacer::CreateTemporary(TextView temp, FileAccess access) {
  const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0644;
  // A private file never reuses what lies at its temporary name, whoever put it there.
  const int create = access == FileAccess::OwnerOnly ? O_EXCL : O_TRUNC;
  int fd = ::open(NativePath(temp).c_str(), O_WRONLY | O_CREAT | create | O_CLOEXEC, mode);
  if (fd < 0) return kNoFile;
  // The lock tells every process, this one included (it belongs to this open file, not to the process),
  // that the file is being written, until it is closed. Only a cleanup can hold it already: it is removing
  // a leftover at this very name, of a dead process that had this one's id. A file system without such
  // locks leaves the file unmarked, and a cleanup cannot take the lock there either.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return kNoFile;
  }
  // The umask may have taken bits away, never added them; fchmod makes the mode exact either way.
  if (access == FileAccess::OwnerOnly && ::fchmod(fd, mode) != 0) {
    ::close(fd);
    ::unlink(NativePath(temp).c_str());
    return kNoFile;
  }
  return fd;
}

bool FileReplacer::WriteAll(NativeFile file, std::string_view bytes) {
  return WriteAllToDescriptor(static_cast<int>(file), bytes);
}

bool FileReplacer::FlushAndClose(NativeFile file) {
  const int fd = static_cast<int>(file);
  bool ok = ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

void FileReplacer::Close(NativeFile file) { ::close(static_cast<int>(file)); }

bool FileReplacer::FailedForWantOfRoom() { return errno == ENOSPC || errno == EDQUOT || errno == EFBIG; }

bool FileReplacer::MoveIntoPlace(TextView temp, TextView path) { return RenameFile(temp, path); }

FileReplacer::Removal FileReplacer::RemoveUnlessWritten(TextView temp) {
  const std::string native = NativePath(temp);
  // Read-only, never through a link, and without waiting on a pipe that took the name meanwhile.
  const int fd = ::open(native.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Removal::Kept : Removal::Refused;  // gone: its writer finished
  struct stat st;
  Removal result = Removal::Kept;  // still written, or no regular file after all
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // Nobody has it open for writing; the lock stays ours until the name is gone.
      if (::unlink(native.c_str()) == 0) result = Removal::Removed;
      else if (errno != ENOENT) result = Removal::Refused;
    } else if (errno != EWOULDBLOCK) {
      result = Removal::Refused;  // no locks on this file system: whether it is written cannot be told
    }
  }
  ::close(fd);
  return result;
}

std::vector<Text> FileNamesIn(TextView folder) {
  std::vector<Text> names;
  DIR* dir = ::opendir(NativePath(folder).c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    bool regular = entry->d_type == DT_REG;
    if (entry->d_type == DT_UNKNOWN) {  // a file system that does not say in the listing
      struct stat st;
      regular = ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) names.push_back(Utf8ToText(entry->d_name));
  }
  ::closedir(dir);
  return names;
}

bool FileExists(TextView path) {
  struct stat st;
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(TextView path) {
  struct stat st;
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(TextView path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool RenameFile(TextView from, TextView to) {
  return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool CreateFolders(TextView path) {
  std::string native = NativePath(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.empty()) return false;
  for (std::size_t i = 1; i <= native.size(); ++i) {
    if (i == native.size() || native[i] == '/') {
      std::string part = native.substr(0, i);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreatePrivateFolder(TextView path) {
  return CreateFolders(path) && ::chmod(NativePath(path).c_str(), 0700) == 0;
}

bool HideFile(TextView path) { return FileExists(path); }

Text CurrentFolder() {
  std::string buf(4096, '\0');
  if (!::getcwd(buf.data(), buf.size())) return Text(1, kPathSep);
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  Text folder = Utf8ToText(buf);
  if (folder.empty() || folder.back() != kPathSep) folder += kPathSep;
  return folder;
}

}  // namespace albatrix
