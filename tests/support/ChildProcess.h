// One of this build's programs run as a child process, as a user would run it: in a folder of the test's,
// stdout and stderr going to files, with the test's environment plus a few variables of its own.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace albatrix::test {

struct ChildOptions {
  std::string folder;   // the working folder
  std::string outFile;  // stdout and stderr go here (created or emptied)
  std::string errFile;
  std::vector<std::pair<std::string, std::string>> environment;  // set or replaced in the child's
};

class ChildProcess {
 public:
  // Starts `program` (a path) with `args`; Wait() gives -1 when it could not start.
  ChildProcess(const std::string& program, const std::vector<std::string>& args, const ChildOptions& options);
  ~ChildProcess();  // a child still running is killed and waited for
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits for the end; the exit status, 128 + the signal's number when a signal ended it, -1 when the
  // program never ran.
  int Wait();
  // Waits at most `timeout`; true once the child has ended (Wait() then returns at once).
  bool WaitUntilEnded(std::chrono::milliseconds timeout);
  bool Started() const;
  // The process was ended by a signal rather than by returning its own status (never on Windows).
  bool Signalled() const;
  // Ctrl-C: SIGINT on POSIX; on Windows Ctrl-Break to the child's own process group, which the program
  // takes exactly as Ctrl-C.
  void Interrupt();
  // Ends the child at once, as a crash or a power cut would: SIGKILL on POSIX, TerminateProcess on
  // Windows. Nothing of the child's own runs afterwards.
  void Kill();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The path of `name`, a program of this build: beside the folder of the test programs (with ".exe" on
// Windows).
std::string BuildProgram(const std::string& name);

// The environment variable under which a program keeps its per-user data (the cookie store): pointing it
// at a test's folder gives the child a store of its own.
const char* UserDataVariable();

}  // namespace albatrix::test
