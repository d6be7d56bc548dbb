#include "gui/MainMenu.h"

#include <memory>

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "gui/CAboutDlg.h"
#include "gui/CAlbatrixDlg.h"
#include "gui/CDlgDownSet.h"
#include "gui/CDlgSaveSet.h"
#include "gui/MenuIds.h"
#include "gui/WxText.h"

namespace albatrix {
namespace {

MenuActions WithProgramDefaults(wxFrame& frame, MenuActions actions) {
  if (!actions.openBrowser) actions.openBrowser = [](const Text& address) { wxLaunchDefaultBrowser(ToWx(address)); };
  if (!actions.downloadDialog) {
    actions.downloadDialog = [&frame](DownloadLimits& limits) {
      CDlgDownSet dialog(&frame, limits);
      return dialog.ShowModal() == wxID_OK;
    };
  }
  if (!actions.nameDialog) {
    actions.nameDialog = [&frame](NameRule& rule) {
      CDlgSaveSet dialog(&frame, rule);
      return dialog.ShowModal() == wxID_OK;
    };
  }
  if (!actions.ask) {
    actions.ask = [&frame](const Text& question) {
      wxMessageDialog dialog(&frame, ToWx(question), ToWx(kPromptCaption), wxYES_NO | wxICON_QUESTION);
      return dialog.ShowModal() == wxID_YES;
    };
  }
  if (!actions.tell) {
    actions.tell = [&frame](const Text& message) {
      wxMessageDialog dialog(&frame, ToWx(message), ToWx(kPromptCaption), wxOK | wxICON_INFORMATION);
      dialog.ShowModal();
    };
  }
  // The window's grid and save-path box, read when an export asks.
  if (auto* window = dynamic_cast<CAlbatrixDlg*>(&frame); window && !actions.downloadRequest) {
    actions.downloadRequest = [window] { return window->CurrentDownloadRequest(); };
  }
  if (!actions.aboutBox) {
    actions.aboutBox = [&frame] {
      CAboutDlg dialog(&frame);
      dialog.ShowModal();
    };
  }
  return actions;
}

}  // namespace

wxMenuBar* CreateMainMenuBar() {
  auto* bar = new wxMenuBar;
  for (const MenuPopup& popup : MenuBarLayout()) {
    auto* menu = new wxMenu;
    for (const MenuEntry& item : popup.items) {
      if (item.commandId == kMenuSeparator) {
        menu->AppendSeparator();
      } else if (item.commandId == kMenuBlankLine) {
        menu->Append(wxID_ANY, ToWx(item.text))->Enable(false);
      } else {
        const bool option = ToggledOptions(item.commandId, 0).has_value();
        menu->Append(MenuWxId(item.commandId), ToWx(item.text), wxString(), option ? wxITEM_CHECK : wxITEM_NORMAL);
      }
    }
    bar->Append(menu, ToWx(popup.title));
  }
  return bar;
}

MenuActions DesktopMenuActions(const Desktop& desktop) {
  MenuActions actions;
  if (auto open = desktop.openBrowser) actions.openBrowser = [open](const Text& address) { open(ToWx(address)); };
  if (auto choose = desktop.chooseSaveFile) {
    actions.chooseSaveFile = [choose](const Text& filter) { return FromWx(choose(wxTheApp->GetTopWindow(), ToWx(filter))); };
  }
  if (auto choose = desktop.chooseOpenFiles) {
    actions.chooseOpenFiles = [choose](const Text& filter) {
      std::vector<Text> files;
      for (const wxString& path : choose(wxTheApp->GetTopWindow(), ToWx(filter))) files.push_back(FromWx(path));
      return files;
    };
  }
  return actions;
}

void RefreshMenuStates(wxMenuBar& bar, const MenuCommands& commands) {
  for (const MenuPopup& popup : MenuBarLayout()) {
    for (const MenuEntry& entry : popup.items) {
      if (!IsMenuCommand(entry.commandId)) continue;
      wxMenuItem* item = bar.FindItem(MenuWxId(entry.commandId));
      if (!item) continue;
      const ItemState state = commands.State(entry.commandId);
      if (item->IsCheckable()) item->Check(state.checked);
      item->Enable(state.enabled);
    }
  }
}

void InstallMainMenu(wxFrame& frame, AlbatrixController& controller, MenuActions actions) {
  wxMenuBar* bar = CreateMainMenuBar();
  frame.SetMenuBar(bar);
  for (std::size_t i = 0; i < MenuBarLayout().size(); ++i) {
    if (!MenuBarLayout()[i].enabled) bar->EnableTop(i, false);
  }
  auto commands = std::make_shared<MenuCommands>(controller, WithProgramDefaults(frame, std::move(actions)));
  RefreshMenuStates(*bar, *commands);
  frame.Bind(
      wxEVT_MENU,
      [commands, &frame](wxCommandEvent& event) {
        commands->Run(MenuCommandId(event.GetId()));
        // Also where a platform sends no opening event, the marks never lag behind a choice.
        if (wxMenuBar* shown = frame.GetMenuBar()) RefreshMenuStates(*shown, *commands);
      },
      MenuWxId(ID_MENU_FIRST), MenuWxId(ID_MENU_LAST));
  frame.Bind(wxEVT_MENU_OPEN, [commands, &frame](wxMenuEvent& event) {
    if (wxMenuBar* shown = frame.GetMenuBar()) RefreshMenuStates(*shown, *commands);
    event.Skip();
  });
}

}  // namespace albatrix
