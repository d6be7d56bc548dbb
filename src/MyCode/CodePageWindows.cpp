// The Windows half of the code pages: the system's own conversions, and the system's ANSI code page.
#include "MyCode/CodePage.h"

#include <algorithm>

#include "MyCode/Win32.h"

namespace albatrix {

namespace {

// 51949 (EUC-KR) is missing from some systems (wine's among them); 949 decodes every EUC-KR sequence the
// same way, so it stands in there.
unsigned SystemCodePage(unsigned codePage) {
  if (codePage == CP_EUCKR && !::IsValidCodePage(CP_EUCKR)) return 949;
  return codePage;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes `bytes` exactly; false when any of them is not a character of the code page.
bool DecodeStrict(std::string_view bytes, unsigned codePage, Text& out) {
  if (bytes.empty()) return true;
  const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  out += FromWide(wide.data(), wide.size());
  return true;
}

// Encodes `text` exactly; false when the code page cannot hold one of its characters.
bool EncodeStrict(TextView ch, unsigned codePage, Bytes& out) {
  const std::wstring wide = WideText(ch);
  BOOL usedDefault = FALSE;
  const bool utf = codePage == CP_UTF8;  // UTF-8 takes no default character and never needs one
  const int n = ::WideCharToMultiByte(codePage, utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide.data(),
                                      static_cast<int>(wide.size()), nullptr, 0, nullptr, utf ? nullptr : &usedDefault);
  if (n <= 0 || usedDefault) return false;
  std::string bytes(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, utf ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide.data(),
                        static_cast<int>(wide.size()), bytes.data(), n, nullptr, nullptr);
  out += bytes;
  return true;
}

}  // namespace

unsigned AnsiCodePage() {
  static const unsigned codePage = ::GetACP();
  return codePage;
}

bool CodePageSupported(unsigned codePage) {
  return codePage == CP_UTF8 || ::IsValidCodePage(SystemCodePage(codePage)) != 0;
}

bool IconvDecode(std::string_view bytes, unsigned codePage, Text& out, std::size_t initialUnits) {
  if (!CodePageSupported(codePage)) return false;
  codePage = SystemCodePage(codePage);
  out.reserve(out.size() + initialUnits);
  if (DecodeStrict(bytes, codePage, out)) return true;
  // Character by character: a byte at which no character begins becomes U+FFFD, and decoding resumes at
  // the next byte, as on every platform.
  CPINFO info{};
  const bool doubleByte = ::GetCPInfo(codePage, &info) && info.MaxCharSize == 2;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 1;
    if (codePage == CP_UTF8) {
      len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    } else if (doubleByte && ::IsDBCSLeadByteEx(codePage, b)) {
      len = 2;
    }
    len = std::min(len, bytes.size() - i);
    if (!DecodeStrict(bytes.substr(i, len), codePage, out)) {
      out += u'\uFFFD';
      len = 1;
    }
    i += len;
  }
  return true;
}

bool IconvEncode(TextView text, unsigned codePage, Bytes& out, std::size_t initialBytes) {
  if (!CodePageSupported(codePage)) return false;
  codePage = SystemCodePage(codePage);
  out.reserve(out.size() + initialBytes);
  if (EncodeStrict(text, codePage, out)) return true;
  // A character the code page cannot hold, and a lone surrogate, becomes one "?" (a pair is one character).
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t len = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
    if (IsHighSurrogate(text[i]) && len == 1) {
      out += '?';
    } else if (IsLowSurrogate(text[i])) {
      out += '?';
    } else if (!EncodeStrict(text.substr(i, len), codePage, out)) {
      out += '?';
    }
    i += len;
  }
  return true;
}

}  // namespace albatrix
