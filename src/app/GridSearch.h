// The keyword search of the find window over the album grid's rows.
#pragma once

#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Shown when "下一个" or "上一个" is pressed with nothing but blanks in the keyword.
inline constexpr TextView kEmptyKeywordMessage = u"关键字不能为空";

// No row (FindRow, FindOutcome::row).
constexpr int kNoRow = -1;

// One pass. `rows` are the album rows (0 the first), each the texts of its columns, left to right.
// Forward looks at the rows after `startRow` to the last; backward at the rows before it down to the
// first. `startRow` may lie outside the rows: -1 before the first, rows.size() after the last. A cell
// matches when it equals `keyword` (`wholeCell`) or contains it; with `ignoreCase` both sides are
// lower-cased first (LowerText). `keyword` is taken as it is. The matching row, or kNoRow.
int FindRow(const std::vector<TextArray>& rows, int startRow, TextView keyword, bool forward, bool ignoreCase,
            bool wholeCell);

struct FindOutcome {
  bool emptyKeyword = false;  // the keyword was blank: say kEmptyKeywordMessage, search nothing
  int row = kNoRow;           // the row to select alone and scroll to the top
};

// What "下一个" (`forward`) or "上一个" does: the keyword trimmed of blanks; the search starts at
// `topSelectedRow` (kNoRow when nothing is selected: after the last row); when that finds nothing, once
// more from the top (forward) or from the bottom (backward).
FindOutcome FindAlbumRow(const std::vector<TextArray>& rows, int topSelectedRow, TextView keyword, bool forward,
                         bool ignoreCase, bool wholeCell);

}  // namespace albatrix
