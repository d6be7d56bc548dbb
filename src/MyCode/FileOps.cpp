#include "MyCode/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <string>
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

bool CreateFileWith(TextView path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_WRONLY | O_CREAT | O_TRUNC);
}

bool AppendToFile(TextView path, std::string_view bytes) {
  return WriteWithFlags(path, bytes, O_WRONLY | O_APPEND);
}

std::size_t NativeNameBytes(TextView name) { return NativePath(name).size(); }

Text FitNameToPlatform(TextView name, TextView ending) {
  std::size_t room = NativeNameBytes(ending);
  room = room >= kMaxNameBytes ? 0 : kMaxNameBytes - room;
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    char16_t c = name[i];
    std::size_t units = 1;
    std::size_t bytes;
    if (c < 0x80) {
      bytes = 1;
    } else if (c < 0x800) {
      bytes = 2;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
               name[i + 1] <= 0xDFFF) {
      bytes = 4;
      units = 2;
    } else {
      bytes = 3;  // lone surrogates become U+FFFD, three bytes too
    }
    if (used + bytes > room) break;
    used += bytes;
    i += units;
  }
  return Text(name.substr(0, i));
}

Text CutToUnits(TextView name, std::size_t maxUnits) {
  if (name.size() <= maxUnits) return Text(name);
  std::size_t keep = maxUnits;
  if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  return Text(name.substr(0, keep));
}

Text FirstFreeNumberedName(const Text& name, const TakenFn& taken, const FitFn& fit) {
  Text unique = name;
  for (unsigned counter = 1; taken(unique); ++counter) {
    const std::string digits = " (" + std::to_string(counter) + ")";
    const Text number(digits.begin(), digits.end());
    unique = fit(name, number) + number;
  }
  return unique;
}

}  // namespace albatrix
