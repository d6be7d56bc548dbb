#include "app/MenuCommands.h"

#include "MyCode/Trace.h"
#include "app/CsvExport.h"

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
  if (commandId == ID_EXPORT_DOWNLOAD_FILE) return ExportJob();
  if (commandId == ID_IMPORT_AND_DOWNLOAD) return ImportJobs();
  if (commandId == ID_EXPORT_LIST) return ExportPictureList();
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

void MenuCommands::Tell(TextView message) {
  Trace("menu: " + TextToUtf8(message));
  if (actions_.tell) actions_.tell(Text(message));
}

std::optional<DownloadRequest> MenuCommands::ChosenAlbums(bool needChosen) {
  if (controller_.Listing() || controller_.Running()) {
    Tell(u"请等当前的获取或下载结束后再导出");
    return std::nullopt;
  }
  if (controller_.Albums().empty() || !actions_.downloadRequest) {
    Tell(u"请先获取相册列表");
    return std::nullopt;
  }
  DownloadRequest request = actions_.downloadRequest();
  if (needChosen && request.albums.empty()) {
    Tell(u"请先选择要下载的相册");
    return std::nullopt;
  }
  return request;
}

bool MenuCommands::ExportJob() {
  std::optional<DownloadRequest> request = ChosenAlbums(false);
  if (!request || !actions_.chooseSaveFile) return true;
  const bool chosenOnly = actions_.ask && actions_.ask(Text(kChosenOnlyQuestion));
  if (chosenOnly && request->albums.empty()) {
    Tell(u"请先选择要下载的相册");
    return true;
  }
  Text file = actions_.chooseSaveFile(Text(kJobFileFilter));
  if (file.empty()) return true;
  file = WithEnding(file, u".albatrix");
  if (!controller_.ExportJob(file, *request, chosenOnly)) Tell(u"下载文件无法保存：" + file);
  return true;
}

bool MenuCommands::ImportJobs() {
  if (!actions_.chooseOpenFiles) return false;
  if (controller_.Listing() || controller_.Running()) {
    Tell(u"请等当前的获取或下载结束后再导入");
    return true;
  }
  std::vector<Text> files = actions_.chooseOpenFiles(Text(kJobFileFilter));
  if (!files.empty()) controller_.RunJobFiles(std::move(files));
  return true;
}

bool MenuCommands::ExportPictureList() {
  std::optional<DownloadRequest> request = ChosenAlbums(true);
  if (!request || !actions_.chooseSaveFile) return true;
  const Text file = actions_.chooseSaveFile(Text(kPictureListFilter));
  if (!file.empty()) controller_.ExportPictureList(WithEnding(file, u".lst"), request->albums);
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
