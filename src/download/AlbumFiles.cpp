#include "download/AlbumFiles.h"

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"

namespace albatrix {
namespace {

// A marker is one address; anything much longer is not one of ours.
constexpr std::size_t kMarkerReadLimit = 1 << 20;

}  // namespace

Bytes ListFileBytes(const TextArray& urls) {
  Bytes bytes;
  for (const Text& url : urls) {
    bytes += TextToGbk(url);
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteListFile(TextView path, const TextArray& urls) {
  if (WriteFileReplacing(path, ListFileBytes(urls))) return true;
  Trace("list file could not be written: " + TextToUtf8(path));
  return false;
}

bool WriteSkipMarker(TextView address, TextView folder) {
  Bytes bytes;
  bytes.reserve(address.size() * 2);
  for (char16_t c : address) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  Text path = Text(folder) + kSkipMarkerName;
  if (!WriteFileReplacing(path, bytes)) {
    Trace("skip marker could not be written: " + TextToUtf8(path));
    return false;
  }
  // The marker is the program's own bookkeeping, kept out of the way of the pictures; a marker that stays
  // visible still does its work.
  if (!HideFile(path)) Trace("skip marker could not be hidden: " + TextToUtf8(path));
  return true;
}

Text ReadSkipMarker(TextView folder) {
  Bytes bytes;
  if (!ReadFileBytes(Text(folder) + kSkipMarkerName, bytes, kMarkerReadLimit)) return Text();
  Text line;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (c == u'\n') break;
    line += c;
  }
  return line;
}

}  // namespace albatrix
