// Cleaning of any text that becomes one file or folder name: album titles, member keys, picture
// descriptions and names assembled from the user's naming rules. The character rules are the same on
// every platform, so a folder made here also opens on Windows.
#pragma once

#include <chrono>
#include <functional>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// The `fallbackNumber` that asks for the local time stamp instead of "pic<number>".
constexpr unsigned kFallbackTimeStamp = 0xFFFF;

// A name this long (in UTF-16 code units) or longer is replaced when the fallback is on.
constexpr std::size_t kFallbackNameLength = 1000;

// What "now" is for the time-stamp fallback; tests hand in a fixed clock. An empty function means the
// system clock.
using NowFunction = std::function<std::chrono::system_clock::time_point()>;

// `when` in local time as 14 digits, "%Y%m%d%H%M%S" (year, month, day, hour, minute, second).
Text LocalTimeStamp(std::chrono::system_clock::time_point when);

// The cleaned form of `name`, in this order:
//  1. HTML entities decoded (DecodeEntities);
//  2. every run of spaces collapsed to one space;
//  3. white space trimmed at both ends (space, tab, CR, LF, VT, FF, U+00A0, U+3000);
//  4. a text made only of "." (at least one) has every "." turned into "。" (U+3002);
//  5. CR, LF, \ / : * ? " < > | removed;
//  6. tabs turned into "_";
//  7. U+0007 removed, and with it every other control character below U+0020 but the tab (a NUL
//     would cut the path short, and Windows refuses them all);
//  8. trailing "." removed, then leading "." removed;
//  9. white space trimmed at both ends again; 8 and 9 repeat until nothing changes, so the result never
//     ends in a dot or a space (Windows would drop them);
//  a part before the first dot (the whole name when it has none) that is a device name Windows reserves
//     (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, any letter case) gets "_" after it: "nul.jpg" is
//     "nul_.jpg";
// 10. only when `fallback` is true: a result that is empty or kFallbackNameLength code units or longer is
//     replaced by LocalTimeStamp(now()) when `fallbackNumber` is kFallbackTimeStamp, else by "pic<number>".
// With `fallback` false the result may be empty or long; the caller decides.
Text SanitizeFileName(TextView name, unsigned fallbackNumber, bool fallback, const NowFunction& now = {});

}  // namespace albatrix
