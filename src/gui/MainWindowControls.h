// The main window as WxMainView reaches it: its controls by id, the grid, and the few steps that belong
// to the window itself. Everything here is called on the interface thread, except Frame(), whose
// CallAfter any thread may use to get there.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/MainWindowView.h"

class wxTopLevelWindow;
class wxWindow;

namespace albatrix {

class CComboBox2;
class CMyGridCtrl;

class MainWindowControls {
 public:
  virtual ~MainWindowControls() = default;

  // The window itself: parent of the message boxes, its title their caption when none is given.
  virtual wxTopLevelWindow& Frame() = 0;
  // The control with that id (or the window's own small window, IDD_FIND), or null for an id it lacks.
  virtual wxWindow* Control(int id) const = 0;
  // The autocomplete box with that id (1000, 1001), or null.
  virtual CComboBox2* Combo(int id) const = 0;
  virtual CMyGridCtrl* Grid() const = 0;
  // Enables or disables control `id`. A control disabled while it has the keys hands them to the grid
  // (or the button of the work under way), so Enter and Escape go on working; enabled again, it takes
  // them back unless the user has put them elsewhere meanwhile.
  virtual void EnableControl(int id, bool enabled) = 0;
  // Lays the controls out again after one was shown or hidden; the suggestion lists close.
  virtual void Relayout() = 0;
  virtual void PlaceMemberBox(MemberBoxPlace place) = 0;
  virtual void OpenFolder(const wxString& folder) = 0;
  // The download's progress, pictures of the whole run ended of `total`, (0, 0) when over: the bar, and
  // on Windows the taskbar button, show it.
  virtual void ShowProgress(std::int32_t done, std::size_t total) = 0;
  // "查看失败": the failure dialog over the window; its "重试失败的图片" starts the controller's retry pass
  // once the dialog has closed.
  virtual void ShowFailureList(const std::vector<FailedPicture>& failures) = 0;
  // A run has ended with `summary`: a desktop notification, unless the window is the active one.
  virtual void NotifyRunEnded(const wxString& summary) = 0;
};

}  // namespace albatrix
