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
  std::size_t end = text.find_last_not_of(u'.');
  text.erase(end == Text::npos ? 0 : end + 1);
  std::size_t first = text.find_first_not_of(u'.');
  text.erase(0, first == Text::npos ? text.size() : first);
  Trim(text);
  // Trimming after the dots went can expose a name made of dots again (". . ." ends as "."), and "." or
  // ".." as a folder name would mean this folder or its parent; such a name gets the same "。" as one
  // that was all dots from the start.
  if (text == u"." || text == u"..") std::fill(text.begin(), text.end(), u'\u3002');

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
