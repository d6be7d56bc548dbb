// The POSIX half of the file times: access and write time only, as creation time cannot be set here.
#include "MyCode/FileTimes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MyCode/FileSystem.h"

namespace albatrix {

bool SetFileTimes(TextView path, std::int64_t unixSeconds) {
  int fd = ::open(NativePath(path).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool ok = true;
  if (unixSeconds > 0) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(unixSeconds);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ok = ::futimens(fd, times) == 0;
  }
  ::close(fd);
  return ok;
}

bool GetFileWriteTime(TextView path, std::int64_t& unixSeconds) {
  struct stat st;
  if (::stat(NativePath(path).c_str(), &st) != 0) return false;
  unixSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  return true;
}

}  // namespace albatrix
