#include "MyCode/FileSystem.h"

#include <atomic>

#include "MyCode/FileOps.h"

namespace albatrix {

bool IsAbsolutePath(TextView path) {
  if (!path.empty() && path[0] == u'/') return true;
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\';
}

Text TemporaryNameBeside(TextView path) {
  static std::atomic<unsigned> counter{0};
  std::size_t slash = path.find_last_of(kPathSep);
  Text folder = slash == TextView::npos ? Text() : Text(path.substr(0, slash + 1));
  Text name = Text(slash == TextView::npos ? path : path.substr(slash + 1));
  const Text tag =
      Utf8ToText("." + std::to_string(CurrentProcessId()) + "." + std::to_string(counter++) + ".part");
  // The name part gives way, never the tag: a name that was cut to the platform's limit must still have
  // a temporary beside it, and the tag alone keeps it unique.
  return folder + u"." + FitNameToPlatform(name, u"." + tag) + tag;
}

FileReplacer::FileReplacer(TextView path, FileAccess access) : path_(path), access_(access) {}

FileReplacer::~FileReplacer() { Discard(); }

bool FileReplacer::Open() {
  Discard();
  temp_ = TemporaryNameBeside(path_);
  file_ = CreateTemporary(temp_, access_);
  if (file_ == kNoFile) temp_.clear();
  return file_ != kNoFile;
}

bool FileReplacer::Write(std::string_view bytes) { return file_ != kNoFile && WriteAll(file_, bytes); }

bool FileReplacer::Commit() {
  if (file_ == kNoFile) return false;
  bool ok = FlushAndClose(file_);
  file_ = kNoFile;
  if (ok) ok = MoveIntoPlace(temp_, path_);
  if (ok) temp_.clear();
  else Discard();
  return ok;
}

void FileReplacer::Discard() {
  if (file_ != kNoFile) Close(file_);
  file_ = kNoFile;
  if (!temp_.empty()) RemoveFile(temp_);
  temp_.clear();
}

static bool WriteWholeFileReplacing(TextView path, std::string_view bytes, FileAccess access) {
  FileReplacer file(path, access);
  return file.Open() && file.Write(bytes) && file.Commit();
}

bool WriteFileReplacing(TextView path, std::string_view bytes) {
  return WriteWholeFileReplacing(path, bytes, FileAccess::Shared);
}

bool WritePrivateFileReplacing(TextView path, std::string_view bytes) {
  return WriteWholeFileReplacing(path, bytes, FileAccess::OwnerOnly);
}

}  // namespace albatrix
