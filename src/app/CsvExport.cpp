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

Text WithEnding(TextView path, TextView ending) {
  Text name(path);
  bool hasEnding = name.size() >= ending.size() && LowerText(TextView(name).substr(name.size() - ending.size())) == LowerText(ending);
  if (!hasEnding) name += ending;
  return name;
}

bool WriteCsvFile(TextView path, const std::vector<TextArray>& rows) {
  Bytes bytes;
  for (const TextArray& row : rows) bytes += CsvLine(row);
  return WriteFileReplacing(path, bytes);
}

}  // namespace albatrix
