#include "cli/CliCommands.h"

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

}  // namespace albatrix
