// What the menu bar's commands do to the main window's controller: the option items toggle a bit of the
// current site's naming rule and save, the settings items run a dialog on a copy of the current site's
// record and save it when the dialog ends with OK, the login and help items open addresses, "版本信息"
// shows the about box. The dialogs, the about box and the openers are handed in, so a test records what
// would open.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/AlbatrixController.h"
#include "app/MenuBar.h"

namespace albatrix {

// The member box's text and the sub-type selector's entry, which choose the login page.
struct MemberBoxState {
  Text memberText;
  int subTypeEntry = 0;
};

struct MenuActions {
  // The system's browser (or mail program, for a mailto: address).
  std::function<void(const Text& address)> openBrowser;
  // The login browser; when empty, openBrowser opens the login page instead.
  std::function<void(const Text& address)> openLogin;
  // The settings dialogs: true when the user ended them with OK, the record then holding what to store.
  std::function<bool(DownloadLimits& limits)> downloadDialog;
  std::function<bool(NameRule& rule)> nameDialog;
  std::function<void()> aboutBox;
  // What the member box and the sub-type selector hold at the moment of a login command (read by the
  // window then); empty: nothing typed, entry 0.
  std::function<MemberBoxState()> memberBox;
  // "<导入/导出>": a save dialog with a filter ("Name (*.ext)|*.ext"; the chosen path, empty when
  // cancelled), an open dialog taking several files in the order chosen (none when cancelled), a 是/否
  // question, a message, and what "下载" would take now (the grid's chosen albums, the save-path box),
  // each read by the window at the moment of the command.
  std::function<Text(const Text& filter)> chooseSaveFile;
  std::function<std::vector<Text>(const Text& filter)> chooseOpenFiles;
  std::function<bool(const Text& question)> ask;
  std::function<void(const Text& message)> tell;
  std::function<DownloadRequest()> downloadRequest;
};

// The save and open dialogs' filter of job files, and the save dialog's of the picture list.
inline constexpr TextView kJobFileFilter = u"Albatrix 下载文件 (*.albatrix)|*.albatrix";
inline constexpr TextView kPictureListFilter = u"迅雷下载列表 (*.lst)|*.lst";
inline constexpr TextView kChosenOnlyQuestion = u"只保存选中的相册？";

class MenuCommands {
 public:
  // The controller must outlive this.
  MenuCommands(AlbatrixController& controller, MenuActions actions);

  // The item's look now, from the current site's option bits and site code (MenuItemState).
  ItemState State(int commandId) const;

  // Runs a menu command. False when the id does nothing (not an item of the menu, an item whose window
  // part was not handed in, or an option item that is disabled at the current site).
  bool Run(int commandId);

  // Toggles an option item's bit of the current site's naming rule under the settings lock and writes
  // soft.dat, even when nothing else changed. False (nothing changed) for an id that is no option item or
  // whose item is disabled at the current site.
  bool ToggleOption(int commandId);

 private:
  bool RunDownloadDialog();
  bool ExportJob();
  bool ImportJobs();
  bool ExportPictureList();
  // The albums "下载" would take now, or nothing after telling the user what is missing.
  std::optional<DownloadRequest> ChosenAlbums(bool needChosen);
  void Tell(TextView message);
  bool RunNameDialog();

  AlbatrixController& controller_;
  MenuActions actions_;
};

}  // namespace albatrix
