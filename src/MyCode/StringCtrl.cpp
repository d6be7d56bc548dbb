#include "MyCode/StringCtrl.h"

#include <cstdlib>
#include <cstring>

#include "MyCode/CodePage.h"
#include "MyCode/Trace.h"

namespace albatrix {

// ---- Marker operations -------------------------------------------------------------------------------

Text TextBetween(Text& text, TextView start, TextView end, unsigned flags) {
  std::size_t at = text.find(start);
  if (at == Text::npos) return {};
  std::size_t from = at + start.size();
  Text value;
  std::size_t stop = text.find(end, from);
  if (stop != Text::npos) {
    value.assign(text, from, stop - from);
  } else if (flags & BETWEEN_TO_END) {
    value.assign(text, from);
  }
  if (flags & BETWEEN_CONSUME) text.erase(0, from);
  return value;
}

long SkipPast(Text& text, TextView marker, bool removeMarker) {
  std::size_t at = text.find(marker);
  if (at == Text::npos) return -1;
  text.erase(0, removeMarker ? at + marker.size() : at);
  return static_cast<long>(at);
}

long CutBefore(Text& text, TextView marker) {
  std::size_t at = text.find(marker);
  if (at == Text::npos) return -1;
  text.resize(at);
  return static_cast<long>(at);
}

long CountOccurrences(TextView text, TextView sub) {
  if (sub.empty()) return 0;
  long count = 0;
  for (std::size_t at = text.find(sub); at != TextView::npos; at = text.find(sub, at + sub.size())) ++count;
  return count;
}

long SplitText(TextView text, TextView sep, TextArray& pieces) {
  pieces.clear();
  long separators = CountOccurrences(text, sep);
  if (separators < 1) return 0;
  pieces.reserve(static_cast<std::size_t>(separators) + 1);
  std::size_t from = 0;
  for (std::size_t at = text.find(sep); at != TextView::npos; at = text.find(sep, from)) {
    pieces.emplace_back(text.substr(from, at - from));
    from = at + sep.size();
  }
  pieces.emplace_back(text.substr(from));
  return separators;
}

void ReplaceAll(Text& text, TextView find, TextView with) {
  if (find.empty()) return;
  std::size_t at = text.find(find);
  if (at == Text::npos) return;
  // One pass into a new string: a page with thousands of entities must not cost thousands of moves.
  Text result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (; at != Text::npos; at = text.find(find, from)) {
    result.append(text, from, at - from);
    result.append(with);
    from = at + find.size();
  }
  result.append(text, from);
  text.swap(result);
}

void ReplaceList(Text& text, TextView finds, TextView replaces) {
  constexpr TextView kBar = u"|";
  long findSeparators = CountOccurrences(finds, kBar);
  if (findSeparators != CountOccurrences(replaces, kBar) || findSeparators == 0) {
    ReplaceAll(text, finds, replaces);
    return;
  }
  TextArray findItems, replaceItems;
  SplitText(finds, kBar, findItems);
  SplitText(replaces, kBar, replaceItems);
  for (std::size_t i = 0; i < findItems.size(); ++i) ReplaceAll(text, findItems[i], replaceItems[i]);
}

void DecodeEntities(Text& text) {
  if (text.find(u'&') == Text::npos) return;
  // "&amp;" goes second on purpose: "&amp;lt;" is meant to end as "<".
  static constexpr TextView kEntities[][2] = {
      {u"&quot;", u"\""}, {u"&amp;", u"&"},       {u"&lt;", u"<"},  {u"&gt;", u">"},
      {u"&nbsp;", u" "},  {u"&hellip;", u"\u2026"}, {u"&#39;", u"'"},
  };
  for (const auto& entity : kEntities) ReplaceAll(text, entity[0], entity[1]);
}

// ---- UTF-8 -----------------------------------------------------------------------------------------------

std::string TextToUtf8(TextView text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDFFF) {
      bool pair = c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      if (pair) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    }
    if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

Text Utf8ToText(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    // Length and the allowed range of the second byte, which rules out overlong forms, surrogates and
    // code points above U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    }
    bool whole = length > 0 && n - i >= length && s[i + 1] >= low && s[i + 1] <= high;
    for (std::size_t k = 2; whole && k < length; ++k) whole = (s[i + k] & 0xC0) == 0x80;
    if (!whole) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    char32_t c = b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (s[i + k] & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return out;
}

bool IsUtf8Text(const char* bytes, std::size_t count) {
  if (!bytes) return false;
  std::size_t expected = 0;
  bool high = false;
  for (std::size_t i = 0; i < count; ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (b >= 0x80) high = true;
    if (expected > 0) {
      if (b < 0x80 || b > 0xBF) return false;
      --expected;
    } else if (b < 0x80) {
      continue;
    } else if (b >= 0xFC && b <= 0xFD) {
      expected = 5;
    } else if (b >= 0xF8) {  // 0xF8-0xFB and 0xFE-0xFF
      expected = 4;
    } else if (b >= 0xF0) {
      expected = 3;
    } else if (b >= 0xE0) {
      expected = 2;
    } else if (b >= 0xC0) {
      expected = 1;
    } else {
      return false;  // a continuation byte where a character should begin
    }
  }
  return expected == 0 && high;
}

// ---- Code pages ---------------------------------------------------------------------------------------

namespace {

// Code pages whose bytes below 0x80 are ASCII and never part of a longer character: their ASCII runs
// need no converter, and their first NUL byte is the first NUL character.
bool AsciiSafe(unsigned codePage) {
  return codePage == CP_GBK || codePage == CP_BIG5 || codePage == CP_EUCKR || codePage == CP_UTF8;
}

std::size_t AsciiPrefix(const char* bytes, std::size_t count) {
  std::size_t i = 0;
  while (i < count && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

void CutAtNul(Text& text) {
  std::size_t nul = text.find(u'\0');
  if (nul != Text::npos) text.resize(nul);
}

}  // namespace

Text BytesToText(const char* bytes, std::size_t count, unsigned codePage) {
  if (!bytes || count == 0) return {};
  if (!AsciiSafe(codePage)) {
    Text out;
    if (!IconvDecode(std::string_view(bytes, count), codePage, out, count)) {
      Trace("BytesToText: no converter for code page " + std::to_string(codePage));
      return {};
    }
    CutAtNul(out);
    return out;
  }
  if (const void* nul = std::memchr(bytes, 0, count)) count = static_cast<const char*>(nul) - bytes;
  if (codePage == CP_UTF8) return Utf8ToText(std::string_view(bytes, count));
  std::size_t ascii = AsciiPrefix(bytes, count);
  Text out(bytes, bytes + ascii);
  if (ascii < count && !IconvDecode(std::string_view(bytes + ascii, count - ascii), codePage, out, count - ascii)) {
    Trace("BytesToText: no converter for code page " + std::to_string(codePage));
    return {};
  }
  return out;
}

Text AnsiToText(const char* bytes) {
  if (!bytes) return {};
  return BytesToText(bytes, std::strlen(bytes), AnsiCodePage());
}

Bytes TextToBytes(TextView text, unsigned codePage) {
  text = text.substr(0, text.find(u'\0'));
  if (codePage == CP_UTF8) return TextToUtf8(text);
  Bytes out;
  std::size_t ascii = 0;
  if (AsciiSafe(codePage)) {
    while (ascii < text.size() && text[ascii] < 0x80) ++ascii;
    out.assign(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(ascii));
    if (ascii == text.size()) return out;
  }
  if (!IconvEncode(text.substr(ascii), codePage, out, (text.size() - ascii) * 2)) {
    Trace("TextToBytes: no converter for code page " + std::to_string(codePage));
    return {};
  }
  return out;
}

Bytes TextToGbk(TextView text) { return TextToBytes(text, CP_GBK); }

// ---- Literal cipher ---------------------------------------------------------------------------------------

namespace {

// The escapes keep the enciphered bytes free of 0, 13 and 10: a key byte followed by one of these digits.
constexpr unsigned char kEscapeZero = '1', kEscapeCr = '2', kEscapeLf = '3';

Text Encipher(const Bytes& plain, const Bytes& key) {
  Bytes scrambled;
  scrambled.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    auto k = static_cast<unsigned char>(key[i % key.size()]);
    auto x = static_cast<unsigned char>(static_cast<unsigned char>(plain[i]) ^ k);
    unsigned char escape = x == 0 ? kEscapeZero : x == 13 ? kEscapeCr : x == 10 ? kEscapeLf : 0;
    if (escape) {
      scrambled.push_back(static_cast<char>(k));
      scrambled.push_back(static_cast<char>(escape));
    } else {
      scrambled.push_back(static_cast<char>(x));
    }
  }
  std::string hex;
  hex.reserve(scrambled.size() * 2);
  for (char c : scrambled) AppendHex(hex, static_cast<unsigned char>(~static_cast<unsigned char>(c)), 2);
  return Text(hex.begin(), hex.end());
}

Text Decipher(const Bytes& hex, const Bytes& key) {
  Bytes scrambled;
  scrambled.reserve(hex.size() / 2);
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    int high = HexDigitValue(hex[i]), low = HexDigitValue(hex[i + 1]);
    if (high < 0 || low < 0) break;
    scrambled.push_back(static_cast<char>(~((high << 4) | low)));
  }
  Bytes plain;
  plain.reserve(scrambled.size());
  for (std::size_t i = 0; i < scrambled.size(); ++i) {
    auto k = static_cast<unsigned char>(key[plain.size() % key.size()]);
    auto b = static_cast<unsigned char>(scrambled[i]);
    if (b != k) {
      plain.push_back(static_cast<char>(b ^ k));
      continue;
    }
    unsigned char escape = i + 1 < scrambled.size() ? static_cast<unsigned char>(scrambled[i + 1]) : 0;
    if (escape == kEscapeZero) {
      plain.push_back(static_cast<char>(k));
    } else if (escape == kEscapeCr) {
      plain.push_back(static_cast<char>(k ^ 13));
    } else if (escape == kEscapeLf) {
      plain.push_back(static_cast<char>(k ^ 10));
    } else {
      break;  // an escape without its digit: the rest cannot be trusted
    }
    ++i;
  }
  return BytesToText(plain, CP_GBK);
}

}  // namespace

Text TextCipher(TextView text, TextView key, bool encipher) {
  Bytes keyBytes = TextToGbk(key);
  if (keyBytes.empty()) {
    Trace("TextCipher: empty key, nothing to do");
    return {};
  }
  Bytes textBytes = TextToGbk(text);
  return encipher ? Encipher(textBytes, keyBytes) : Decipher(textBytes, keyBytes);
}

Text TrimBlanks(TextView text) {
  auto blank = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return Text(text.substr(begin, end - begin));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendHex(std::string& out, unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

Text DecimalText(long long value) { return Utf8ToText(std::to_string(value)); }

}  // namespace albatrix
