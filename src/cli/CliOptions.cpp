#include "cli/CliCommands.h"

#include "MyCode/FileSystem.h"
#include "app/StartupRules.h"

namespace albatrix {

OptionTake TakeOption(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
                      std::string& value) {
  const std::string& arg = arguments[i];
  const std::string prefix = name + "=";
  if (arg.rfind(prefix, 0) == 0) {
    value = arg.substr(prefix.size());
    return OptionTake::Taken;
  }
  if (arg != name) return OptionTake::NotThis;
  if (i + 1 >= arguments.size()) return OptionTake::Missing;
  value = arguments[++i];
  return OptionTake::Taken;
}

Text SaveFolderOf(const std::string& typed) {
  // Blanks around the text are no part of the path, and blanks alone name none (the run refuses it).
  const Text path = TrimBlanks(Utf8ToText(typed));
  return path.empty() ? path : TypedFolderPath(path, CurrentFolder());
}

}  // namespace albatrix
