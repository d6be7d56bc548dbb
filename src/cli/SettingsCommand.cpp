// settings [set KEY=VALUE ...]: the current site's download limits, naming rules and option bits from
// soft.dat in the program folder, shown or changed with the dialogs' validation.
#include <cstdio>

#include "app/SettingsEditing.h"
#include "cli/CliCommands.h"
#include "discovery/SiteRecognition.h"
#include "model/Settings.h"

namespace albatrix {

int RunSettings(CliContext& context, const std::vector<std::string>& arguments) {
  const bool setting = !arguments.empty();
  if (setting && arguments[0] != "set") return UsageError("settings takes no arguments, or set KEY=VALUE ...");
  if (setting && arguments.size() < 2) return UsageError("settings set needs at least one KEY=VALUE");

  const Text& folder = context.programFolder;
  SettingsBlock block;
  LoadSettings(block, folder);
  if (setting) {
    std::string error;
    switch (ApplySettingEdits(block, SITE_CODE_HUPU, {arguments.begin() + 1, arguments.end()}, error)) {
      case SettingsEditResult::UsageError:
        return UsageError(error);
      case SettingsEditResult::BadParameters:
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitNothing;
      case SettingsEditResult::Changed:
        if (!SaveSettings(block, folder)) {
          std::fprintf(stderr, "albatrix-cli: soft.dat could not be written\n");
          return kExitNothing;
        }
        break;
    }
  }
  for (const std::string& line : DescribeSettings(block, SITE_CODE_HUPU)) std::printf("%s\n", line.c_str());
  return kExitListed;
}

}  // namespace albatrix
