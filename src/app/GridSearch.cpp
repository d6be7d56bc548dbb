#include "app/GridSearch.h"

#include "app/ComboFilter.h"

namespace albatrix {

namespace {

bool CellMatches(TextView cell, TextView keyword, bool ignoreCase, bool wholeCell) {
  Text folded;
  if (ignoreCase) {
    folded = LowerText(cell);
    cell = folded;
  }
  return wholeCell ? cell == keyword : cell.find(keyword) != TextView::npos;
}

}  // namespace

int FindRow(const std::vector<TextArray>& rows, int startRow, TextView keyword, bool forward, bool ignoreCase,
            bool wholeCell) {
  Text wanted = ignoreCase ? LowerText(keyword) : Text(keyword);
  const int count = static_cast<int>(rows.size());
  const int step = forward ? 1 : -1;
  int row = startRow + step;
  if (row < 0 && forward) row = 0;
  if (row >= count && !forward) row = count - 1;
  for (; row >= 0 && row < count; row += step) {
    for (const Text& cell : rows[static_cast<std::size_t>(row)])
      if (CellMatches(cell, wanted, ignoreCase, wholeCell)) return row;
  }
  return kNoRow;
}

FindOutcome FindAlbumRow(const std::vector<TextArray>& rows, int topSelectedRow, TextView keyword, bool forward,
                         bool ignoreCase, bool wholeCell) {
  FindOutcome outcome;
  Text trimmed = TrimBlanks(keyword);
  if (trimmed.empty()) {
    outcome.emptyKeyword = true;
    return outcome;
  }
  const int count = static_cast<int>(rows.size());
  int start = topSelectedRow == kNoRow ? count : topSelectedRow;
  outcome.row = FindRow(rows, start, trimmed, forward, ignoreCase, wholeCell);
  if (outcome.row == kNoRow) outcome.row = FindRow(rows, forward ? -1 : count, trimmed, forward, ignoreCase, wholeCell);
  return outcome;
}

}  // namespace albatrix
