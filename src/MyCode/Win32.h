// <windows.h> as the Windows halves of MyCode take it: without the min/max macros that break std::min,
// and after the program's own headers (it defines CP_UTF8, a name StringCtrl.h declares too).
#pragma once

#include "MyCode/StringCtrl.h"  // first: <windows.h> makes CP_UTF8 a macro

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace albatrix {

// Program text as a wide string for the "W" calls (both are UTF-16 on Windows).
inline std::wstring WideText(TextView text) { return std::wstring(text.begin(), text.end()); }
inline Text FromWide(const wchar_t* text, std::size_t count) { return Text(text, text + count); }

// The path as the "W" file calls take it: with "\\?\" before an absolute path that is longer than the
// classic limit allows, so deep album folders with long titles still open.
std::wstring WidePath(TextView path);

// Writes all of `bytes` to an open file, going on after short writes. False when the system refuses a
// write (disk full, quota, I/O error).
bool WriteAllToHandle(HANDLE h, std::string_view bytes);

}  // namespace albatrix
