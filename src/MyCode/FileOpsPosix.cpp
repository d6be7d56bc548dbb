// The POSIX half of FileOps.
#include "MyCode/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MyCode/FileSystem.h"

namespace albatrix {

bool RenameFileNoReplace(TextView from, TextView to) {
  std::string src = NativePath(from);
  std::string dst = NativePath(to);
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // File systems without the atomic form: a hard link fails when the target exists, so no file is lost.
  if (::link(src.c_str(), dst.c_str()) != 0) return false;
  if (::unlink(src.c_str()) != 0) {
    ::unlink(dst.c_str());
    return false;
  }
  return true;
}

static bool WriteWithFlags(TextView path, std::string_view bytes, int flags) {
  int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAllToDescriptor(fd, bytes);
  return (::close(fd) == 0) && ok;
}

std::optional<std::uint64_t> FileSizeOf(TextView path) {
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool CreateFileWith(TextView path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_WRONLY | O_CREAT | O_TRUNC);
}

bool AppendToFile(TextView path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_WRONLY | O_APPEND | O_CREAT);
}

}  // namespace albatrix
