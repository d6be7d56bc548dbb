#include "download/PostProcess.h"

#include "MyCode/FileOps.h"
#include "MyCode/FileSystem.h"
#include "MyCode/FileTimes.h"
#include "MyCode/SniffContent.h"
#include "MyCode/Trace.h"

namespace albatrix {
namespace {

constexpr std::int64_t kOrderStepSeconds = 60;

Bytes Utf16Le(TextView text) {
  Bytes bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

bool FixPictureFormat(Text& path) {
  if (!FileExists(path)) return false;
  std::size_t nameStart = path.rfind(kPathSep);
  nameStart = nameStart == Text::npos ? 0 : nameStart + 1;
  std::size_t dot = path.rfind(u'.');
  std::size_t stemEnd = (dot == Text::npos || dot < nameStart) ? path.size() : dot;

  Bytes head;
  if (!ReadFileBytes(path, head, kSniffBytes)) return false;
  Text extension = PictureExtension(head);
  if (extension.empty()) return false;

  Text renamed = path.substr(0, stemEnd) + extension;
  if (renamed == path) return false;
  if (!RenameFileNoReplace(path, renamed)) {
    Trace("format fix could not rename " + TextToUtf8(path));
    return false;
  }
  path = renamed;
  return true;
}

void FixAlbumFormats(PictureList& pictures, const RenamedFn& renamed) {
  const Text folder = pictures.folder();
  const TextArray names = pictures.fileNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    Text path = folder + names[i];
    if (!FixPictureFormat(path)) continue;
    std::size_t slash = path.rfind(kPathSep);
    const Text name = slash == Text::npos ? path : path.substr(slash + 1);
    pictures.SetFileName(i, name);
    if (renamed) renamed(i, names[i], name);
  }
}

void SetPictureTime(TextView path, std::int64_t unixTime) {
  if (!SetFileTimes(path, unixTime)) Trace("order fix could not stamp " + TextToUtf8(path));
}

void FixAlbumOrder(const PictureList& pictures, std::int64_t now) {
  const Text folder = pictures.folder();
  std::int64_t t = now;
  for (const Text& name : pictures.fileNames()) {
    SetPictureTime(folder + name, t);
    t -= kOrderStepSeconds;
  }
}

Text AlbumSideFileName(TextView title, TextView extension) {
  return FitNameToPlatform(title, extension) + Text(extension);
}

bool AppendDescription(TextView folder, TextView title, std::size_t count, TextView description) {
  Text path = Text(folder) + AlbumSideFileName(title, u".txt");
  Bytes line = Utf16Le(description);
  line += Utf16Le(u"\r\n");
  if (count == 1) return CreateFileWith(path, "\xFF\xFE" + line);
  // A file without its first line would lack the byte-order mark that makes it readable.
  return FileExists(path) && AppendToFile(path, line);
}

}  // namespace albatrix
