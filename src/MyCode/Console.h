// The console a command-line front end talks through: its arguments, its output encoding, and Ctrl-C.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace albatrix {

// The program's arguments after its name, as UTF-8. Windows hands main() its arguments in the ANSI code
// page, which cannot hold every character of a path; the wide command line is read there instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes the console show the UTF-8 the program writes (on Windows, the console output code page becomes
// 65001, so Chinese texts show in a console and pipe as UTF-8). Nothing to do on POSIX.
void UseUtf8Console();

// True when standard error is a terminal (a console on Windows) rather than a file or pipe.
bool StderrIsTerminal();

// While one lives, Ctrl-C (SIGINT on POSIX; Ctrl-C and Ctrl-Break on a Windows console) raises a flag
// instead of ending the process. One at a time.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  // True once Ctrl-C came while this catcher lived.
  bool Interrupted() const;
};

}  // namespace albatrix
