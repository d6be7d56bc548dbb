// The POSIX half of the console: arguments and output are UTF-8 already; Ctrl-C is SIGINT.
#include "MyCode/Console.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace albatrix {

namespace {

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) { interrupted = 1; }
struct sigaction previousAction {};

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseUtf8Console() {}

void ShowProgramText(const std::string& utf8, bool isError) {
  std::fputs(utf8.c_str(), isError ? stderr : stdout);
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousAction);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &previousAction, nullptr); }

bool InterruptCatcher::Interrupted() { return interrupted != 0; }

}  // namespace albatrix
