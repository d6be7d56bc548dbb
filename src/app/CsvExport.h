// The grid's export to a CSV file ("导出"): the bytes a spreadsheet opens in a Chinese system.
#pragma once

#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// One row's line: for every cell, the text with "'" removed, '"' doubled and "," turned into "','",
// followed by ","; the whole in GBK (a character GBK lacks becomes "?") with CR LF at the end, no BOM.
Bytes CsvLine(const TextArray& cells);

// The chosen file name, with ".csv" appended unless it already ends in ".csv" (in any case): the
// dialog offers that one kind only, and the file dialogs of some desktops add no extension themselves.
Text WithCsvExtension(TextView path);

// Writes every row's CsvLine to `path` under a temporary name and renames it into place, so a failed
// export leaves the old file (or none), never half a file. No rows give a 0-byte file. False when the
// file could not be written.
bool WriteCsvFile(TextView path, const std::vector<TextArray>& rows);

}  // namespace albatrix
