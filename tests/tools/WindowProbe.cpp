// window-probe: looks at another program's window from outside, as a user's eyes would, for the Windows
// stage's window test (the keys and clicks themselves go through the X server). It finds the top-level
// window with a given title and one of its controls by control id, and prints
//   window-probe TITLE rect ID      "x y width height" of the control on the screen
//   window-probe TITLE text ID      the control's text, UTF-8
//   window-probe TITLE edit ID      the text in the control's edit box, UTF-8 (the window's autocomplete
//                                    boxes are panels with the edit inside)
//   window-probe TITLE enabled ID   "1" or "0"
//   window-probe TITLE shown ID     "1" when the control and every parent are visible, else "0"
//   window-probe TITLE menubar -     "x y width height" of the menu bar on the screen: the band over the
//                                    client area (another process's menu items cannot be asked for
//                                    their places under wine), whose first title starts at its left
//   window-probe TITLE popup -       "1" while a menu's pop-up (the system's class "#32768") shows, else "0"
//   window-probe TITLE active -      "1" when the window is the active (foreground) one, else "0"
// ID 0 is the window itself. Exit status 1 when the window or the control is not there.
#include "MyCode/Win32.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include <shellapi.h>

namespace {

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (::GetDlgCtrlID(child) == search->id) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

void Print(const std::wstring& text) {
  std::string utf8 = albatrix::TextToUtf8(albatrix::FromWide(text.data(), text.size()));
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!args || count != 4) {
    std::fputs("usage: window-probe TITLE rect|text|edit|enabled|shown ID, menubar|popup|active -\n", stderr);
    return 2;
  }
  HWND window = ::FindWindowW(nullptr, args[1]);
  if (!window) return 1;
  std::wstring what = args[2];
  if (what == L"menubar") {
    RECT client;
    POINT origin{0, 0};
    if (!::GetMenu(window) || !::GetClientRect(window, &client) || !::ClientToScreen(window, &origin)) return 1;
    int height = ::GetSystemMetrics(SM_CYMENU);
    std::printf("%ld %ld %ld %d\n", origin.x, origin.y - height, client.right, height);
    return 0;
  }
  if (what == L"active") {
    std::puts(::GetForegroundWindow() == window ? "1" : "0");
    return 0;
  }
  if (what == L"popup") {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    std::puts(popup && ::IsWindowVisible(popup) ? "1" : "0");
    return 0;
  }
  HWND control = window;
  if (int id = static_cast<int>(std::wcstol(args[3], nullptr, 10)); id != 0) {
    Search search{id, nullptr};
    ::EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));  // every descendant
    if (!search.found) return 1;
    control = search.found;
  }
  if (what == L"rect") {
    RECT r;
    if (!::GetWindowRect(control, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  } else if (what == L"text") {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    Print(text);
  } else if (what == L"edit") {
    HWND edit = ::FindWindowExW(control, nullptr, L"Edit", nullptr);
    if (!edit) return 1;
    // Another process's edit text comes only with WM_GETTEXT; GetWindowText would give its title.
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return 1;
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, 5000, &copied)) {
      return 1;
    }
    text.resize(copied);
    Print(text);
  } else if (what == L"enabled") {
    std::puts(::IsWindowEnabled(control) ? "1" : "0");
  } else if (what == L"shown") {
    std::puts(::IsWindowVisible(control) ? "1" : "0");
  } else {
    return 2;
  }
  ::LocalFree(args);
  return 0;
}
