#include "MyCode/SniffContent.h"

#include "MyCode/ReplyHead.h"

namespace albatrix {
namespace {

using namespace std::string_view_literals;

// '?' stands for any byte: no signature holds a literal one.
constexpr std::string_view kSignatures[] = {
    "\xFF\xD8\xFF"sv,                          // JPEG
    "\x89PNG\r\n\x1A\n"sv,                     // PNG
    "GIF87a"sv, "GIF89a"sv,                    // GIF
    "BM"sv,                                    // bitmap
    "RIFF????WEBP"sv,                          // WebP
    "II*\0"sv, "MM\0*"sv,                      // TIFF
    "\0\0\x02\0\0"sv, "\0\0\x10\0\0"sv,          // Targa
    "\0\0\x01\0"sv, "\0\0\x02\0"sv,              // icon, cursor
    "????ftypavif"sv, "????ftypavis"sv,        // AVIF
    "????ftypheic"sv, "????ftypheix"sv,        // HEIC
    "????ftypmif1"sv, "????ftypmsf1"sv,        // HEIF
};

bool Matches(std::string_view bytes, std::string_view pattern) {
  if (bytes.size() < pattern.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '?' && pattern[i] != bytes[i]) return false;
  }
  return true;
}

bool BeginsAPicture(std::string_view bytes) {
  for (std::string_view signature : kSignatures) {
    if (Matches(bytes, signature)) return true;
  }
  return false;
}

bool BeginsAPage(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty() && " \t\n\f\r"sv.find(bytes[0]) != std::string_view::npos) bytes.remove_prefix(1);
  for (std::string_view tag : {"<!doctype html"sv, "<html"sv, "<head"sv, "<body"sv}) {
    if (StartsWithNoCase(bytes, tag)) return true;
  }
  return false;
}

}  // namespace

ContentKind SniffContent(std::string_view firstBytes) {
  if (BeginsAPicture(firstBytes)) return ContentKind::Picture;
  return BeginsAPage(firstBytes) ? ContentKind::HtmlPage : ContentKind::Unknown;
}

}  // namespace albatrix
