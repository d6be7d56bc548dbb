// albatrix-site as a program: its first lines, a login with curl's cookie jar, and a clean stop.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "support/TempDir.h"

namespace albatrix::test {
namespace {

// albatrix-site started with `args`, its stdout on a pipe; stopped with SIGTERM when the test is done.
class SiteProcess {
 public:
  explicit SiteProcess(std::vector<std::string> args) {
    args.insert(args.begin(), std::string(ALBATRIX_BIN_DIR) + "/albatrix-site");
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      ::close(fds[0]);
      ::close(fds[1]);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = ::fdopen(fds[0], "r");
  }
  ~SiteProcess() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_) std::fclose(out_);
  }

  // The next line of its stdout without the line end; empty at the end.
  std::string Line() {
    char buffer[1024];
    if (!out_ || !std::fgets(buffer, sizeof buffer, out_)) return {};
    std::string line = buffer;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
  }

  // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
  int Terminate() {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  bool reaped_ = false;
};

std::string ValueAfter(const std::string& line, const std::string& word) {
  return line.rfind(word + " ", 0) == 0 ? line.substr(word.size() + 1) : std::string();
}

int Curl(const std::string& arguments) { return std::system(("curl -s -S --max-time 10 " + arguments).c_str()); }

TEST(SiteProgram, PrintsItsAddressesAndLetsCurlLogInAndList) {
  SiteProcess site({"--port", "0", "--seed", "3"});
  std::string base = ValueAfter(site.Line(), "base");
  std::string member = ValueAfter(site.Line(), "member");
  ASSERT_EQ(base.rfind("http://127.0.0.1:", 0), 0u) << base;
  EXPECT_EQ(member, base + "/demo/photo-1");

  TempDir dir;
  std::string jar = dir.file("cookies.txt");
  ASSERT_EQ(Curl("-o " + dir.file("before.html") + " " + member), 0);
  ASSERT_EQ(Curl("-c " + jar + " -d 'user=demo&password=demo' -o /dev/null " + base + "/login"), 0);
  ASSERT_EQ(Curl("-b " + jar + " --compressed -o " + dir.file("after.html") + " " + member), 0);
  std::string before = ReadWholeFile(dir.file("before.html"));
  std::string after = ReadWholeFile(dir.file("after.html"));
  EXPECT_EQ(before.find(TextToGbk(u"春游 &amp; 踏青")), std::string::npos);
  EXPECT_NE(after.find(TextToGbk(u"春游 &amp; 踏青")), std::string::npos);
  EXPECT_NE(after.find("id=\"j_next"), std::string::npos);
  EXPECT_NE(ReadWholeFile(jar).find("albatrix_sid"), std::string::npos);
  EXPECT_EQ(site.Terminate(), 0);
}

TEST(SiteProgram, SizingOptionsShapeTheDemoMember) {
  SiteProcess site({"--albums", "30", "--list-page-size", "25", "--pictures", "2", "--picture-kb", "50",
                    "--no-login"});
  std::string base = ValueAfter(site.Line(), "base");
  std::string member = ValueAfter(site.Line(), "member");
  ASSERT_FALSE(base.empty());
  TempDir dir;
  ASSERT_EQ(Curl("-o " + dir.file("2.html") + " " + base + "/demo/photo-2"), 0);
  std::string page = ReadWholeFile(dir.file("2.html"));
  EXPECT_EQ(CountOccurrences(BytesToText(page, CP_GBK), u"<li"), 5);
  EXPECT_EQ(page.find("j_next"), std::string::npos);
  EXPECT_EQ(site.Terminate(), 0);
}

TEST(SiteProgram, RefusesBadOptions) {
  SiteProcess site({"--albums", "many"});
  EXPECT_EQ(site.Line(), "");
  EXPECT_EQ(site.Terminate(), 2);
}

}  // namespace
}  // namespace albatrix::test
