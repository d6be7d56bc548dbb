#include "MyCode/FileOps.h"

#include <string>

namespace albatrix {

std::size_t NativeNameBytes(TextView name) { return TextToUtf8(name).size(); }

Text FitNameToPlatform(TextView name, TextView ending) {
  std::size_t room = NativeNameBytes(ending);
  room = room >= kMaxNameBytes ? 0 : kMaxNameBytes - room;
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    char16_t c = name[i];
    std::size_t units = 1;
    std::size_t bytes;
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
                      name[i + 1] <= 0xDFFF;
    if (c < 0x80) {
      bytes = 1;
    } else if (c < 0x800) {
      bytes = 2;
    } else if (pair) {
      bytes = 4;
      units = 2;
    } else {
      bytes = 3;  // lone surrogates become U+FFFD, three bytes too
    }
    if (used + bytes > room) break;
    used += bytes;
    i += units;
  }
  // A bare name cut just after a dot or space would end in one, which Windows drops from a name (or,
  // through a "\\?\" path, keeps in a name that Explorer can neither open nor delete).
  if (i < name.size() && ending.empty()) {
    std::size_t kept = name.substr(0, i).find_last_not_of(u". ");
    if (kept != TextView::npos) i = kept + 1;
  }
  return Text(name.substr(0, i));
}

Text CutToUnits(TextView name, std::size_t maxUnits) {
  if (name.size() <= maxUnits) return Text(name);
  std::size_t keep = maxUnits;
  if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  return Text(name.substr(0, keep));
}

Text FirstFreeNumberedName(const Text& name, const TakenFn& taken, const FitFn& fit) {
  Text unique = name;
  for (unsigned counter = 1; taken(unique); ++counter) {
    const std::string digits = " (" + std::to_string(counter) + ")";
    const Text number(digits.begin(), digits.end());
    unique = fit(name, number) + number;
  }
  return unique;
}

}  // namespace albatrix
