#include "MyCode/FileSystem.h"

#include <atomic>

#include "MyCode/FileOps.h"
#include "MyCode/Trace.h"

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

namespace {

// Cuts ".<digits>" off the end of `rest` and gives the digits; empty (and `rest` as it was) when it does
// not end so.
TextView CutNumberTag(TextView& rest) {
  std::size_t start = rest.size();
  while (start > 0 && rest[start - 1] >= u'0' && rest[start - 1] <= u'9') --start;
  if (start == rest.size() || start == 0 || rest[start - 1] != u'.') return {};
  TextView digits = rest.substr(start);
  rest = rest.substr(0, start - 1);
  return digits;
}

// The process id tag of a name TemporaryNameBeside gives, as written in the name; empty when `name` is
// not one.
TextView ProcessTagOfTemporary(TextView name) {
  constexpr TextView kEnding = u".part";
  if (name.size() <= kEnding.size() || name[0] != u'.' || !name.ends_with(kEnding)) return {};
  TextView rest = name.substr(1, name.size() - 1 - kEnding.size());
  if (CutNumberTag(rest).empty()) return {};  // the counter
  TextView process = CutNumberTag(rest);
  return rest.empty() ? TextView() : process;  // the file's own name takes at least one character
}

}  // namespace

std::size_t RemoveStaleTemporaries(TextView folder) {
  const Text ownTag = Utf8ToText(std::to_string(CurrentProcessId()));
  std::size_t removed = 0;
  for (const Text& name : FileNamesIn(folder)) {
    const TextView tag = ProcessTagOfTemporary(name);
    // This process's temporaries are being written by some thread, or are about to be marked so.
    if (tag.empty() || tag == ownTag) continue;
    const Text path = Text(folder) + name;
    switch (FileReplacer::RemoveUnlessWritten(path)) {
      case FileReplacer::Removal::Removed:
        Trace("stale temporary removed: " + TextToUtf8(path));
        ++removed;
        break;
      case FileReplacer::Removal::Refused:
        Trace("temporary left in place, it could not be checked or removed: " + TextToUtf8(path));
        break;
      case FileReplacer::Removal::Kept:
        break;
    }
  }
  return removed;
}

FileReplacer::FileReplacer(TextView path, FileAccess access) : path_(path), access_(access) {}

FileReplacer::~FileReplacer() { Discard(); }

bool FileReplacer::Open() {
  Discard();
  outOfRoom_ = false;
  temp_ = TemporaryNameBeside(path_);
  file_ = CreateTemporary(temp_, access_);
  if (file_ != kNoFile) return true;
  outOfRoom_ = FailedForWantOfRoom();
  temp_.clear();
  return false;
}

bool FileReplacer::Write(std::string_view bytes) {
  if (file_ == kNoFile) return false;
  if (WriteAll(file_, bytes)) return true;
  outOfRoom_ = FailedForWantOfRoom();
  return false;
}

bool FileReplacer::Commit() {
  if (file_ == kNoFile) return false;
  bool ok = FlushAndClose(file_);
  file_ = kNoFile;
  if (ok) ok = MoveIntoPlace(temp_, path_);
  if (ok) {
    temp_.clear();
  } else {
    outOfRoom_ = FailedForWantOfRoom();  // before the removal can change what the system last said
    Discard();
  }
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
