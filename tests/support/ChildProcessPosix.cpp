#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

#include "support/WaitFor.h"

extern char** environ;

namespace albatrix::test {

struct ChildProcess::Impl {
  pid_t pid = -1;
  int status = -1;
  bool signalled = false;

  // Collects the child's end with waitpid `flags`; true once it has ended.
  bool Reap(int flags) {
    if (status >= 0) return true;
    int raw = 0;
    if (waitpid(pid, &raw, flags) != pid) return false;
    signalled = WIFSIGNALED(raw);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const ChildOptions& options)
    : impl_(std::make_unique<Impl>()) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> rawArgs;
  for (std::string& a : argv) rawArgs.push_back(a.data());
  rawArgs.push_back(nullptr);

  std::vector<std::string> settings;
  for (const auto& [name, value] : options.environment) settings.push_back(name + "=" + value);
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const auto& [name, value] : options.environment)
      replaced = replaced || std::string(*e).rfind(name + "=", 0) == 0;
    if (!replaced) env.push_back(*e);
  }
  for (std::string& setting : settings) env.push_back(setting.data());
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, options.outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, options.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
  if (posix_spawn(&impl_->pid, rawArgs[0], &actions, nullptr, rawArgs.data(), env.data()) != 0) impl_->pid = -1;
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (impl_->pid > 0 && impl_->status < 0) {
    kill(impl_->pid, SIGKILL);
    Wait();
  }
}

int ChildProcess::Wait() {
  if (impl_->pid <= 0) return -1;
  impl_->Reap(0);
  return impl_->status;
}

bool ChildProcess::WaitUntilEnded(std::chrono::milliseconds timeout) {
  return impl_->pid > 0 && WaitFor([&] { return impl_->Reap(WNOHANG); }, timeout);
}

bool ChildProcess::Started() const { return impl_->pid > 0; }

bool ChildProcess::Signalled() const { return impl_->signalled; }

void ChildProcess::Interrupt() {
  if (impl_->pid > 0) kill(impl_->pid, SIGINT);
}

void ChildProcess::Kill() {
  if (impl_->pid > 0 && impl_->status < 0) kill(impl_->pid, SIGKILL);
}

std::string BuildProgram(const std::string& name) {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return name;
  std::string folder(self, static_cast<std::size_t>(n));
  folder.erase(folder.rfind('/'));   // the test programs' folder
  folder.erase(folder.rfind('/'));   // the build folder
  return folder + "/" + name;
}

const char* UserDataVariable() { return "XDG_DATA_HOME"; }

}  // namespace albatrix::test
