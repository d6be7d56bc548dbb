#include "MyCode/SanitizeFileName.h"

#include <algorithm>
#include <ctime>

namespace albatrix {
namespace {

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u00A0' || c == u'\u3000';
}

void Trim(Text& text) {
  std::size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  text = text.substr(begin, end - begin);
}

void CollapseSpaces(Text& text) {
  auto last = std::unique(text.begin(), text.end(), [](char16_t a, char16_t b) { return a == u' ' && b == u' '; });
  text.erase(last, text.end());
}

bool IsRemovedCharacter(char16_t c) {
  switch (c) {
    case u'\r': case u'\n': case u'\\': case u'/': case u':': case u'*': case u'?': case u'"': case u'<':
    case u'>': case u'|':
      return true;
    default:
      return false;
  }
}

// Control characters other than the tab: U+0007 always goes; the others (NUL above all, which would cut
// the path short at the system call) go too, because no file system of ours takes them in a name.
bool IsRemovedControl(char16_t c) { return c < 0x20 && c != u'\t'; }

template <class Pred>
void RemoveIf(Text& text, Pred pred) {
  text.erase(std::remove_if(text.begin(), text.end(), pred), text.end());
}

// COM0 and LPT0 are no devices.
bool IsDeviceDigit(char16_t c) { return c >= u'1' && c <= u'9'; }

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, in any letter case.
bool IsReservedDeviceName(TextView part) {
  Text upper;
  for (char16_t c : part) upper += AsciiUpper(c);
  if (upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL") return true;
  return upper.size() == 4 && (upper.compare(0, 3, u"COM") == 0 || upper.compare(0, 3, u"LPT") == 0) &&
         IsDeviceDigit(upper[3]);
}

// Windows opens the device, not a file, for a name whose part before its first dot is a device name
// ("nul.jpg" included); "_" after that part makes it an ordinary name again.
void AvoidReservedDeviceName(Text& text) {
  const std::size_t dot = text.find(u'.');
  const std::size_t partEnd = dot == Text::npos ? text.size() : dot;
  if (IsReservedDeviceName(TextView(text).substr(0, partEnd))) text.insert(partEnd, 1, u'_');
}

}  // namespace

Text LocalTimeStamp(std::chrono::system_clock::time_point when) {
  std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  char buf[32];
  std::size_t n = std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &local);
  return Text(buf, buf + n);
}

Text SanitizeFileName(TextView name, unsigned fallbackNumber, bool fallback, const NowFunction& now) {
  Text text(name);
  DecodeEntities(text);
  CollapseSpaces(text);
  Trim(text);
  if (!text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u'.'; })) {
    std::fill(text.begin(), text.end(), u'\u3002');
  }
  RemoveIf(text, IsRemovedCharacter);
  std::replace(text.begin(), text.end(), u'\t', u'_');
  RemoveIf(text, IsRemovedControl);
  // Windows drops a trailing dot or space from a name, so "dots . . ." must not keep the dot that the
  // trim exposes: the two steps repeat until neither changes anything. A name can then never be "." or
  // "..", which would mean the folder itself or its parent.
  for (std::size_t before = Text::npos; before != text.size();) {
    before = text.size();
    std::size_t end = text.find_last_not_of(u'.');
    text.erase(end == Text::npos ? 0 : end + 1);
    std::size_t first = text.find_first_not_of(u'.');
    text.erase(0, first == Text::npos ? text.size() : first);
    Trim(text);
  }
  AvoidReservedDeviceName(text);

  if (fallback && (text.empty() || text.size() >= kFallbackNameLength)) {
    if (fallbackNumber == kFallbackTimeStamp) {
      text = LocalTimeStamp(now ? now() : std::chrono::system_clock::now());
    } else {
      std::string number = "pic" + std::to_string(fallbackNumber);
      text = Text(number.begin(), number.end());
    }
  }
  return text;
}

}  // namespace albatrix
