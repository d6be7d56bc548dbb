#include "download/PostProcess.h"

#include "MyCode/FileOps.h"
#include "MyCode/FileSystem.h"
#include "MyCode/FileTimes.h"
#include "MyCode/Trace.h"

namespace albatrix {
namespace {

constexpr std::size_t kSniffBytes = 7;
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

Text ExtensionForContent(std::string_view firstBytes) {
  unsigned char b[kSniffBytes] = {};
  for (std::size_t i = 0; i < kSniffBytes && i < firstBytes.size(); ++i) {
    b[i] = static_cast<unsigned char>(firstBytes[i]);
  }
  if (b[0] == 0xFF && b[1] == 0xD8) return u".jpg";
  if (b[0] == 0x89 && b[1] == 0x50) return u".png";
  if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') return u".gif";
  if (b[0] == 'B' && b[1] == 'M') return u".bmp";
  if (b[0] == 0 && b[1] == 0) {
    if (b[3] == 0 && b[4] == 0 && (b[2] == 0x02 || b[2] == 0x10)) return u".tga";
    if (b[2] == 0x01 && b[3] == 0 && b[4] == 0x01) return u".ico";
    if (b[2] == 0x02 && b[3] == 0 && b[4] == 0x01) return u".cur";
  }
  if ((b[0] == 'I' && b[1] == 'I') || (b[0] == 'M' && b[1] == 'M')) return u".tiff";
  return Text();
}

bool FixPictureFormat(Text& path) {
  if (!FileExists(path)) return false;
  std::size_t nameStart = path.rfind(kPathSep);
  nameStart = nameStart == Text::npos ? 0 : nameStart + 1;
  std::size_t dot = path.rfind(u'.');
  std::size_t stemEnd = (dot == Text::npos || dot < nameStart) ? path.size() : dot;

  Bytes head;
  if (!ReadFileBytes(path, head, kSniffBytes)) return false;
  Text extension = ExtensionForContent(head);
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
