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
    // Lower-casing keeps every code unit in its place, so the separator stands where it stands in the
    // candidate; what is shown (and put back into the box) is the candidate's own text: a folder
    // "D:\Pics" picked from the list must stay that folder.
    shown.push_back(candidate.substr(0, lower.find(kCandidateSeparator)));
  }
  return shown;
}

}  // namespace albatrix
