// The program's toolbox for text: the marker operations the crawlers cut pages with, splitting and list
// replacement for the naming rules, entity decoding, code-page conversions, the UTF-8 detector and the
// literal cipher. Free functions, no state; all matching is exact, case-sensitive, on UTF-16 code units,
// first occurrence from the start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace albatrix {

using Text = std::u16string;
using TextView = std::u16string_view;
using Bytes = std::string;          // raw bytes in some code page; may hold NUL bytes
using TextArray = std::vector<Text>;

// Flags of TextBetween.
constexpr unsigned BETWEEN_CONSUME = 1;  // the caller's text then begins right after the start marker
constexpr unsigned BETWEEN_TO_END = 2;   // with no end marker found, the value runs to the end of the text

// The text strictly between the first `start` and the first `end` after it; empty when `start` is absent
// (the text is then never changed). See the flags above. An empty `end` yields an empty value.
Text TextBetween(Text& text, TextView start, TextView end, unsigned flags);

// Finds `marker`; when found at p deletes the first p characters (and the marker too when `removeMarker`)
// and returns p. Absent: text unchanged, -1.
long SkipPast(Text& text, TextView marker, bool removeMarker);

// Finds `marker`; when found at p keeps only the first p characters and returns p. Absent: unchanged, -1.
long CutBefore(Text& text, TextView marker);

// Non-overlapping occurrences of `sub`, scanning on right after each match. An empty `sub` counts 0.
long CountOccurrences(TextView text, TextView sub);

// Splits at every `sep` into n + 1 pieces (empty pieces kept) and returns n, the number of separators.
// A text without a separator yields 0 and no pieces at all.
long SplitText(TextView text, TextView sep, TextArray& pieces);

// "|"-separated lists: with equal separator counts item i of `finds` is replaced by item i of `replaces`,
// in order; otherwise the whole find list by the whole replace list. Empty find items replace nothing.
void ReplaceList(Text& text, TextView finds, TextView replaces);

// Replaces every occurrence of `find` (non-empty) by `with`, left to right, non-overlapping.
void ReplaceAll(Text& text, TextView find, TextView with);

// The text without the blanks (space, tab, line feed, vertical tab, form feed, carriage return) at
// either end: how the program trims what a user typed.
Text TrimBlanks(TextView text);

// The value of a hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char c);

// Appends the low `digits` hexadecimal digits of `value`, upper case, most significant first.
void AppendHex(std::string& out, unsigned value, int digits);

// &quot; &amp; &lt; &gt; &nbsp; &hellip; &#39; in that order, each over the whole text.
void DecodeEntities(Text& text);

// Code pages the program converts with. <windows.h> (which curl's header pulls in there) defines CP_UTF8
// as a macro of the same value; the program's constant takes its place.
#ifdef CP_UTF8
#undef CP_UTF8
#endif
constexpr unsigned CP_GBK = 936;
constexpr unsigned CP_UTF8 = 65001;
constexpr unsigned CP_BIG5 = 950;
constexpr unsigned CP_EUCKR = 51949;

// The "ANSI code page": 936 unless ALBATRIX_ANSI_CODEPAGE names another that this system can convert
// (a number iconv knows as "CP<n>", or 65001, 950, 51949). Read once per process.
unsigned AnsiCodePage();

// `count` bytes in `codePage` to text, ending at the first NUL character. A byte at which no character
// of that code page begins (a lone lead byte at the end, 0xFF in GBK, 0x80 in UTF-8, each byte of a cut
// UTF-8 sequence) becomes one U+FFFD and the conversion resumes at the next byte: GBK "\x81" gives
// U+FFFD, UTF-8 "\xE4\xB8" gives U+FFFD U+FFFD, GBK "\x81," gives U+FFFD ",". GBK 0x80 is the euro sign,
// as in the Windows code page. An unknown code page gives the empty text. Never throws, never hangs.
Text BytesToText(const char* bytes, std::size_t count, unsigned codePage);
inline Text BytesToText(std::string_view bytes, unsigned codePage) {
  return BytesToText(bytes.data(), bytes.size(), codePage);
}

// The bytes up to the first NUL in the ANSI code page; null gives the empty text. Bad bytes as above.
Text AnsiToText(const char* bytes);

// The text in code page 936, ending at the first NUL. A character GBK cannot hold becomes "?".
Bytes TextToGbk(TextView text);

// The text in `codePage` (same rules as TextToGbk); an unknown code page gives the empty result. In
// 65001 a lone surrogate becomes U+FFFD, as in TextToUtf8.
Bytes TextToBytes(TextView text, unsigned codePage);

// True only for well-formed lead/continuation sequences with at least one byte of 0x80 or above.
bool IsUtf8Text(const char* bytes, std::size_t count);

// The edges of the program (POSIX paths, console, logs) speak UTF-8. Utf8ToText is strict (no overlong
// forms, no encoded surrogates, nothing above U+10FFFF) and turns each byte at which no character begins
// into U+FFFD, as BytesToText does; it keeps NUL characters. A lone surrogate in text becomes U+FFFD.
std::string TextToUtf8(TextView text);
Text Utf8ToText(std::string_view utf8);

// `value` in decimal digits, with a "-" when negative: how the program writes a number into a text.
Text DecimalText(long long value);

// The program's scrambler for short literals: hexadecimal digits of the complemented bytes of text XOR a
// repeating key, with the three escapes for 0, 13 and 10. Text and key go through TextToGbk first, so
// deciphering gives back BytesToText(TextToGbk(text), 936). Deciphering malformed input stops at the first
// pair that is not hexadecimal (or an escape without its digit) and returns what was decoded before it.
// An empty key gives the empty text.
Text TextCipher(TextView text, TextView key, bool encipher);

}  // namespace albatrix
