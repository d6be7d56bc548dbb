// The console a command-line front end talks through: its arguments, its output encoding, and Ctrl-C.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace albatrix {

// The program's arguments after its name, as UTF-8. Windows hands main() its arguments in the ANSI code
// page, which cannot hold every character of a path; the wide command line is read there instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show the UTF-8 the program writes (on Windows, the console output code page becomes
// 65001, so Chinese texts show in a console and pipe as UTF-8). Nothing to do on POSIX.
void UseUtf8Console();

// Shows a text of a program that has no console of its own (the window's --help and its command-line
// errors): to standard output (or standard error when `isError`) when that leads somewhere, a terminal, a
// file or a pipe; on Windows a program built for the window has none, so the text goes to the console of
// the program that started it when there is one, and else into a message box. `utf8` ends with a newline.
void ShowProgramText(const std::string& utf8, bool isError);

// True when standard error is a terminal (a console on Windows) rather than a file or pipe.
bool StderrIsTerminal();

// While one lives, Ctrl-C (SIGINT on POSIX; Ctrl-C and Ctrl-Break on a Windows console) only marks that
// it came instead of ending the process, and calls `onInterrupt` (may be empty) on a thread of the
// catcher's own, so a command that waits for its work to end can turn it into the work's own stop and end
// through its normal path. One at a time; one serves the whole command, listing and download alike.
class InterruptCatcher {
 public:
  // Clears the mark and catches Ctrl-C. `onInterrupt` must stay callable while the catcher lives and
  // may be called from another thread at any moment, once per Ctrl-C.
  explicit InterruptCatcher(std::function<void()> onInterrupt = {});
  ~InterruptCatcher();  // Ctrl-C as it was before; no call of onInterrupt is under way afterwards
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  // True once Ctrl-C came while a catcher lived.
  static bool Interrupted();

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
};

}  // namespace albatrix
