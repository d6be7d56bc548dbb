#include "app/CsvExport.h"

#include "MyCode/FileSystem.h"
#include "app/ComboFilter.h"

namespace albatrix {

Bytes CsvLine(const TextArray& cells) {
  Text line;
  for (const Text& cell : cells) {
    Text text = cell;
    ReplaceAll(text, u"'", u"");
    ReplaceAll(text, u"\"", u"\"\"");
    ReplaceAll(text, u",", u"','");
    line += text;
    line += u',';
  }
  Bytes bytes = TextToGbk(line);
  bytes += "\r\n";
  return bytes;
}

Text WithCsvExtension(TextView path) {
  Text name(path);
  constexpr TextView kEnding = u".csv";
  bool hasEnding = name.size() >= kEnding.size() && LowerText(TextView(name).substr(name.size() - kEnding.size())) == kEnding;
  if (!hasEnding) name += kEnding;
  return name;
}

bool WriteCsvFile(TextView path, const std::vector<TextArray>& rows) {
  Bytes bytes;
  for (const TextArray& row : rows) bytes += CsvLine(row);
  return WriteFileReplacing(path, bytes);
}

}  // namespace albatrix
