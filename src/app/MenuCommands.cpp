#include "app/MenuCommands.h"

#include "MyCode/Trace.h"

namespace albatrix {

MenuCommands::MenuCommands(AlbatrixController& controller, MenuActions actions)
    : controller_(controller), actions_(std::move(actions)) {}

ItemState MenuCommands::State(int commandId) const {
  return MenuItemState(commandId, controller_.CurrentNameRule().options, controller_.SiteCode());
}

bool MenuCommands::Run(int commandId) {
  if (!State(commandId).enabled) {
    if (IsMenuCommand(commandId)) Trace("menu: command " + std::to_string(commandId) + " is disabled here");
    return false;
  }
  if (ToggledOptions(commandId, 0)) return ToggleOption(commandId);
  if (commandId == ID_DOWNLOAD_SETTINGS) return RunDownloadDialog();
  if (commandId == ID_NAME_SETTINGS) return RunNameDialog();
  if (commandId == ID_ABOUT) {
    if (actions_.aboutBox) actions_.aboutBox();
    return true;
  }
  Text address = MakerPageAddress(commandId);
  if (!address.empty()) {
    if (actions_.openBrowser) actions_.openBrowser(address);
    return true;
  }
  const MemberBoxState box = actions_.memberBox ? actions_.memberBox() : MemberBoxState{};
  address = LoginAddress(commandId, box.memberText, box.subTypeEntry, controller_.Profile());
  if (address.empty()) return false;
  const auto& open = actions_.openLogin ? actions_.openLogin : actions_.openBrowser;
  if (open) open(address);
  return true;
}

bool MenuCommands::ToggleOption(int commandId) {
  if (!ToggledOptions(commandId, 0) || !State(commandId).enabled) return false;
  const bool saved = controller_.EditSettings([&](SettingsBlock& block) {
    NameRule& rule = block.nameRules.at(static_cast<std::size_t>(controller_.SiteCode()));
    rule.options = *ToggledOptions(commandId, rule.options);
  });
  if (!saved) Trace("menu: the option changed, but soft.dat could not be written");
  return true;
}

bool MenuCommands::RunDownloadDialog() {
  if (!actions_.downloadDialog) return false;
  const std::size_t site = static_cast<std::size_t>(controller_.SiteCode());
  DownloadLimits limits = controller_.CurrentLimits();
  if (!actions_.downloadDialog(limits)) return true;  // cancelled or closed: nothing stored, nothing written
  controller_.EditSettings([&](SettingsBlock& block) { block.downloadLimits.at(site) = limits; });
  return true;
}

bool MenuCommands::RunNameDialog() {
  if (!actions_.nameDialog) return false;
  const std::size_t site = static_cast<std::size_t>(controller_.SiteCode());
  NameRule rule = controller_.CurrentNameRule();
  if (!actions_.nameDialog(rule)) return true;
  controller_.EditSettings([&](SettingsBlock& block) {
    NameRule& stored = block.nameRules.at(site);
    rule.options = stored.options;  // the option bits belong to the menu, not to this dialog
    stored = rule;
  });
  return true;
}

}  // namespace albatrix
