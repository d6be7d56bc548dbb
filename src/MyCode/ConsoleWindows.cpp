// The Windows half of the console: the wide command line, UTF-8 output, and Ctrl-C through the console's
// control handler.
#include "MyCode/Console.h"

#include <io.h>

#include <cstdio>

#include "MyCode/Win32.h"

#include <shellapi.h>

namespace albatrix {

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    interrupted = true;
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

bool StderrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

InterruptCatcher::InterruptCatcher() {
  interrupted = false;
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

InterruptCatcher::~InterruptCatcher() { ::SetConsoleCtrlHandler(OnConsoleControl, FALSE); }

bool InterruptCatcher::Interrupted() { return interrupted.load(); }

}  // namespace albatrix
