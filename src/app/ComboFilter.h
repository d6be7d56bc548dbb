// What an autocomplete box (save path, member) lists while the user types: the remembered entries that contain
// the typed text, ignoring case.
#pragma once

#include "MyCode/StringCtrl.h"

namespace albatrix {

// An entry may carry more after this mark; the list shows only what stands before it.
inline constexpr TextView kCandidateSeparator = u"zvk?!oxff";

// `text` lower-cased one code unit at a time, as the history comparison folds it (FoldCase); CJK and
// everything else outside the folded scripts stay as they are. The list's search and the find in the
// grid match through this, so both treat case alike.
Text LowerText(TextView text);

// The list for typed text `typed`, in the candidates' order, duplicates kept: every candidate whose
// lower-cased form contains the lower-cased `typed` anywhere (the part after the separator included),
// shown as it was remembered, cut before the separator's first occurrence. Empty `typed` matches nothing here:
// the box closes its list instead.
TextArray FilterCandidates(const TextArray& candidates, TextView typed);

}  // namespace albatrix
