// A temporary another running program writes is kept by a cleanup, and removed once that program was
// killed: the lock its writer holds tells the two apart, as both carry another process's id.
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "MyCode/FileSystem.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

// A child process with a FileReplacer open on `path`, written to and never committed, until it is killed.
class ChildWriter {
 public:
  explicit ChildWriter(const Text& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      FileReplacer file(path);
      const char said = file.Open() && file.Write("part") ? 'y' : 'n';
      if (::write(ready[1], &said, 1) == 1)
        for (;;) ::pause();
      ::_exit(1);
    }
    ::close(ready[1]);
    char said = 'n';
    writing_ = pid_ > 0 && ::read(ready[0], &said, 1) == 1 && said == 'y';
    ::close(ready[0]);
  }
  ~ChildWriter() { Kill(); }
  ChildWriter(const ChildWriter&) = delete;
  ChildWriter& operator=(const ChildWriter&) = delete;

  bool writing() const { return writing_; }
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool writing_ = false;
};

TEST(FileSystemPosixTest, TemporaryOfAnotherRunningProcessIsKeptUntilItIsKilled) {
  test::TempDir dir;
  ChildWriter writer(dir.folder() + u"pic.jpg");
  ASSERT_TRUE(writer.writing());
  EXPECT_EQ(RemoveStaleTemporaries(dir.folder()), 0u);
  ASSERT_EQ(FileNamesIn(dir.folder()).size(), 1u) << "the running writer's temporary";
  writer.Kill();
  EXPECT_EQ(RemoveStaleTemporaries(dir.folder()), 1u);
  EXPECT_TRUE(FileNamesIn(dir.folder()).empty());
}

}  // namespace
}  // namespace albatrix
