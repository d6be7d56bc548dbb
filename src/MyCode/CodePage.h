// The system layer under the code-page conversions of StringCtrl: iconv on POSIX (each thread keeps its
// own converters, as an iconv descriptor carries conversion state and must never be used by two threads
// at once; they are opened on first use and closed when the thread ends), MultiByteToWideChar and
// WideCharToMultiByte on Windows, where the ANSI code page is the system's (GetACP).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// True when this platform can convert `codePage` (65001 always; the others when the system has a converter).
bool CodePageSupported(unsigned codePage);

// The code page a setting names: the decimal number in `value` when it is a supported code page,
// otherwise (null, empty, not a number, unsupported) 936. AnsiCodePage reads its setting through this.
unsigned CodePageFromSetting(const char* value);

// Appends `bytes` in `codePage` to `out` as UTF-16. A byte at which no character of the code page begins
// (also a character cut off at the end) becomes U+FFFD and the conversion resumes at the next byte.
// `initialUnits` sizes the first output buffer; it grows as often as needed. False (and `out` unchanged)
// when the code page has no converter here.
bool IconvDecode(std::string_view bytes, unsigned codePage, Text& out, std::size_t initialUnits);

// Appends `text` in `codePage` to `out`. A character the code page cannot hold, and a lone surrogate,
// becomes "?" (a surrogate pair is one character). `initialBytes` sizes the first output buffer; it grows
// as often as needed. False (and `out` unchanged) when the code page has no converter here.
bool IconvEncode(TextView text, unsigned codePage, Bytes& out, std::size_t initialBytes);

}  // namespace albatrix
