// The grid's export to a CSV file ("导出"): the bytes a spreadsheet opens in a Chinese system.
#pragma once

#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// One row's line: for every cell, the text with "'" removed, '"' doubled and "," turned into "','",
// followed by ","; the whole in GBK (a character GBK lacks becomes "?") with CR LF at the end, no BOM.
Bytes CsvLine(const TextArray& cells);

// The chosen file name, with `ending` (".csv") appended unless it already ends in it (in any case): a
// save dialog that offers one kind only, and the file dialogs of some desktops add no extension themselves.
Text WithEnding(TextView path, TextView ending);
inline Text WithCsvExtension(TextView path) { return WithEnding(path, u".csv"); }

// Writes every row's CsvLine to `path` under a temporary name and renames it into place, so a failed
// export leaves the old file (or none), never half a file. No rows give a 0-byte file. False when the
// file could not be written.
bool WriteCsvFile(TextView path, const std::vector<TextArray>& rows);

}  // namespace albatrix
