#include "app/ComboFilter.h"

#include "model/Settings.h"

namespace albatrix {

Text LowerText(TextView text) {
  Text lower(text);
  for (char16_t& c : lower) c = FoldCase(c);
  return lower;
}

TextArray FilterCandidates(const TextArray& candidates, TextView typed) {
  TextArray shown;
  if (typed.empty()) return shown;
  Text wanted = LowerText(typed);
  for (const Text& candidate : candidates) {
    Text lower = LowerText(candidate);
    if (lower.find(wanted) == Text::npos) continue;
    std::size_t separator = lower.find(kCandidateSeparator);
    if (separator != Text::npos) lower.resize(separator);
    shown.push_back(std::move(lower));
  }
  return shown;
}

}  // namespace albatrix
