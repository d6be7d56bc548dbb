#include "MyCode/SniffContent.h"

#include "MyCode/ReplyHead.h"

namespace albatrix {
namespace {

using namespace std::string_view_literals;

struct Signature {
  std::string_view pattern;  // '?' stands for any byte: no signature holds a literal one
  const char16_t* extension;
};

// The first match stands: a Targa header with an image count of 0 reads as a cursor's otherwise.
constexpr Signature kSignatures[] = {
    {"\xFF\xD8\xFF"sv, u".jpg"},
    {"\x89PNG\r\n\x1A\n"sv, u".png"},
    {"GIF87a"sv, u".gif"},
    {"GIF89a"sv, u".gif"},
    {"BM"sv, u".bmp"},
    {"RIFF????WEBP"sv, u".webp"},
    {"II*\0"sv, u".tiff"},
    {"MM\0*"sv, u".tiff"},
    {"\0\0\x02\0\0"sv, u".tga"},
    {"\0\0\x10\0\0"sv, u".tga"},
    {"\0\0\x01\0"sv, u".ico"},
    {"\0\0\x02\0"sv, u".cur"},
    {"????ftypavif"sv, u".avif"},
    {"????ftypavis"sv, u".avif"},
    {"????ftypheic"sv, u".heic"},
    {"????ftypheix"sv, u".heic"},
    {"????ftypmif1"sv, u".heif"},
    {"????ftypmsf1"sv, u".heif"},
};

bool Matches(std::string_view bytes, std::string_view pattern) {
  if (bytes.size() < pattern.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '?' && pattern[i] != bytes[i]) return false;
  }
  return true;
}

const Signature* SignatureOf(std::string_view bytes) {
  for (const Signature& signature : kSignatures) {
    if (Matches(bytes, signature.pattern)) return &signature;
  }
  return nullptr;
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
  if (SignatureOf(firstBytes)) return ContentKind::Picture;
  return BeginsAPage(firstBytes) ? ContentKind::HtmlPage : ContentKind::Unknown;
}

Text PictureExtension(std::string_view firstBytes) {
  const Signature* signature = SignatureOf(firstBytes);
  return signature ? Text(signature->extension) : Text();
}

}  // namespace albatrix
