#include "MyCode/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MyCode/FileOps.h"

namespace albatrix {

bool IsAbsolutePath(TextView path) {
  if (!path.empty() && path[0] == u'/') return true;
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

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

Text TemporaryNameBeside(TextView path) {
  static std::atomic<unsigned> counter{0};
  std::size_t slash = path.find_last_of(kPathSep);
  Text folder = slash == TextView::npos ? Text() : Text(path.substr(0, slash + 1));
  Text name = Text(slash == TextView::npos ? path : path.substr(slash + 1));
  const Text tag = Utf8ToText("." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".part");
  // The name part gives way, never the tag: a name that was cut to the platform's limit must still have
  // a temporary beside it, and the tag alone keeps it unique.
  return folder + u"." + FitNameToPlatform(name, u"." + tag) + tag;
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

FileReplacer::FileReplacer(TextView path) : path_(path) {}

FileReplacer::~FileReplacer() { Discard(); }

bool FileReplacer::Open() {
  Discard();
  temp_ = TemporaryNameBeside(path_);
  fd_ = ::open(NativePath(temp_).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) temp_.clear();
  return fd_ >= 0;
}

bool FileReplacer::Write(std::string_view bytes) { return fd_ >= 0 && WriteAllToDescriptor(fd_, bytes); }

bool FileReplacer::Commit() {
  if (fd_ < 0) return false;
  bool ok = ::fsync(fd_) == 0;
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  if (ok) ok = ::rename(NativePath(temp_).c_str(), NativePath(path_).c_str()) == 0;
  if (ok) temp_.clear();
  else Discard();
  return ok;
}

void FileReplacer::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(NativePath(temp_).c_str());
  temp_.clear();
}

bool WriteFileReplacing(TextView path, std::string_view bytes) {
  FileReplacer file(path);
  return file.Open() && file.Write(bytes) && file.Commit();
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

Text CurrentFolder() {
  std::string buf(4096, '\0');
  if (!::getcwd(buf.data(), buf.size())) return Text(1, kPathSep);
  buf.resize(std::char_traits<char>::length(buf.c_str()));
  Text folder = Utf8ToText(buf);
  if (folder.empty() || folder.back() != kPathSep) folder += kPathSep;
  return folder;
}

}  // namespace albatrix
