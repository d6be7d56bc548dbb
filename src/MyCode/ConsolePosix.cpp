// The POSIX half of the console: arguments and output are UTF-8 already; Ctrl-C is SIGINT.
#include "MyCode/Console.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <thread>

namespace albatrix {

namespace {

volatile std::sig_atomic_t interrupted = 0;
// The catcher's pipe: the handler may only write(), so it hands the Ctrl-C to the catcher's thread there.
std::atomic<int> interruptPipe{-1};  // lock-free, so the handler may read it
extern "C" void OnInterrupt(int) {
  interrupted = 1;
  const int fd = interruptPipe.load();
  if (fd >= 0) {
    const char c = 'i';
    [[maybe_unused]] ssize_t n = ::write(fd, &c, 1);
  }
}
struct sigaction previousAction {};

}  // namespace

// The thread that turns each byte of the pipe into a call of onInterrupt, until the pipe's writing end
// closes.
struct InterruptCatcher::Watch {
  int fds[2] = {-1, -1};
  std::thread thread;
};

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseUtf8Console() {}

void ShowProgramText(const std::string& utf8, bool isError) {
  std::fputs(utf8.c_str(), isError ? stderr : stdout);
}

bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

InterruptCatcher::InterruptCatcher(std::function<void()> onInterrupt) {
  interrupted = 0;
  if (onInterrupt) {
    watch_ = std::make_unique<Watch>();
    if (::pipe2(watch_->fds, O_CLOEXEC) == 0) {
      interruptPipe = watch_->fds[1];
      watch_->thread = std::thread([read = watch_->fds[0], call = std::move(onInterrupt)] {
        char c;
        for (;;) {
          const ssize_t n = ::read(read, &c, 1);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) return;  // the catcher is going
          call();
        }
      });
    }
  }
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousAction);
}

InterruptCatcher::~InterruptCatcher() {
  sigaction(SIGINT, &previousAction, nullptr);
  if (!watch_) return;
  interruptPipe = -1;
  if (watch_->fds[1] >= 0) ::close(watch_->fds[1]);
  if (watch_->thread.joinable()) watch_->thread.join();
  if (watch_->fds[0] >= 0) ::close(watch_->fds[0]);
}

bool InterruptCatcher::Interrupted() { return interrupted != 0; }

}  // namespace albatrix
