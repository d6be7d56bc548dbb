// The Windows half of the console: the wide command line, UTF-8 output, and Ctrl-C through the console's
// control handler.
#include "MyCode/Console.h"

#include <io.h>

#include <cstdio>
#include <mutex>

#include "MyCode/Win32.h"

#include <shellapi.h>

namespace albatrix {

namespace {

std::atomic<bool> interrupted{false};
// The console runs its handler on a thread of its own: onInterrupt is called right there.
std::mutex callLock;
std::function<void()> onInterruptCall;

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    interrupted = true;
    std::lock_guard<std::mutex> hold(callLock);
    if (onInterruptCall) onInterruptCall();
    return TRUE;  // handled: the process goes on and cancels as SIGINT makes it do on POSIX
  }
  return FALSE;   // closing the console or logging off ends the process as usual
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(TextToUtf8(FromWide(wide[i], wcslen(wide[i]))));
  ::LocalFree(wide);
  return args;
}

void UseUtf8Console() { ::SetConsoleOutputCP(CP_UTF8); }

namespace {

// Writes `text` to a console handle as UTF-16, whatever the console's code page.
bool WriteConsoleText(HANDLE console, const std::wstring& text) {
  DWORD written = 0;
  return ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

}  // namespace

void ShowProgramText(const std::string& utf8, bool isError) {
  std::wstring wide = WideText(Utf8ToText(utf8));
  HANDLE own = ::GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (own && own != INVALID_HANDLE_VALUE && ::GetFileType(own) != FILE_TYPE_UNKNOWN) {
    // Redirected to a file or pipe, or a console program's own console.
    if (::GetFileType(own) == FILE_TYPE_CHAR && WriteConsoleText(own, wide)) return;
    std::FILE* stream = isError ? stderr : stdout;
    std::fputs(utf8.c_str(), stream);
    std::fflush(stream);
    return;
  }
  // Started from a console window: the text belongs there, under the command that was typed.
  if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    bool shown = console != INVALID_HANDLE_VALUE && WriteConsoleText(console, L"\r\n" + wide);
    if (console != INVALID_HANDLE_VALUE) ::CloseHandle(console);
    ::FreeConsole();
    if (shown) return;
  }
  // Started from the desktop: nobody reads a console.
  ::MessageBoxW(nullptr, wide.c_str(), L"Albatrix", MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

struct InterruptCatcher::Watch {};

InterruptCatcher::InterruptCatcher(std::function<void()> onInterrupt) {
  interrupted = false;
  {
    std::lock_guard<std::mutex> hold(callLock);
    onInterruptCall = std::move(onInterrupt);
  }
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptCatcher::~InterruptCatcher() {
  ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  std::lock_guard<std::mutex> hold(callLock);  // a call under way ends first
  onInterruptCall = nullptr;
}

bool InterruptCatcher::Interrupted() { return interrupted.load(); }

}  // namespace albatrix
