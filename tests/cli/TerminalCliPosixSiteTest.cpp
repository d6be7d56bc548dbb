// albatrix-cli on a terminal: a pseudo-terminal, which only POSIX has.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliRun.h"
#include "support/ChildProcess.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"
#include "support/TestMembers.h"

namespace albatrix {
namespace {

class TerminalCliSiteTest : public test::SiteFixture {
 protected:
  SiteOptions Options() const override { return test::OpenSiteOptions(); }
  void SetUp() override {
    test::SiteFixture::SetUp();
    site().AddMember(test::MemberWith("kobe", {u"Trip", u"A & B", u"Trip"}, 2, 3, 2));
  }
  test::TempDir dir;
};

// Runs albatrix-cli with `args` in `folder` on a pseudo-terminal: what the terminal showed, its exit status.
std::pair<std::string, int> RunOnTerminal(const std::vector<std::string>& args, const std::string& folder) {
  std::vector<std::string> argv = {test::BuildProgram("albatrix-cli")};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) return {"forkpty failed", -1};
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    execv(raw[0], raw.data());
    _exit(127);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  close(master);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return {output, -1};
  return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// On a terminal the progress line is rewritten in place, and cleared before the next line.
TEST_F(TerminalCliSiteTest, OnATerminalTheProgressLineIsRewrittenInPlace) {
  auto [output, status] = RunOnTerminal(
      {"--site", site().BaseUrl(), "download", site().MemberUrl("kobe"), "--save", "out", "--albums", "1"}, dir.path());
  EXPECT_EQ(status, 0) << output;
  // The terminal turns each line end into CR LF.
  EXPECT_NE(output.find("\r已获取到3张图片信息\033[K\r已开始下载图片\033[K"), std::string::npos) << output;
  EXPECT_NE(output.find("\r已下载3/3......\033[K\r\033[K下载完毕\r\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("已下载3/3......\r\n"), std::string::npos);
}

// A run long enough to have a pace: on a terminal it follows the count; to a file the lines stay as
// they are without it.
TEST_F(TerminalCliSiteTest, OnATerminalThePaceFollowsTheCount) {
  SiteOptions paced = test::OpenSiteOptions();
  paced.picturesPerSecond = 10;
  site().Reset(paced);
  site().AddMember(test::MemberWith("slow", {u"Slow"}, 2, 16, 20));
  const std::vector<std::string> args = {"--site", site().BaseUrl(), "download", site().MemberUrl("slow"), "--save", "out"};
  auto [output, status] = RunOnTerminal(args, dir.path());
  EXPECT_EQ(status, 0) << output;
  const std::size_t pace = output.find(" 张/秒，剩余约 ");
  ASSERT_NE(pace, std::string::npos) << output;
  EXPECT_NE(output.rfind("......  ", pace), std::string::npos) << output;
  // The pace goes before the line is cleared for the next one.
  EXPECT_NE(output.find("\r已下载16/16......\033[K\r\033[K下载完毕\r\n"), std::string::npos) << output;

  test::TempDir again;
  const test::CliRun piped = test::RunCli(again, args);
  ASSERT_EQ(piped.status, 0);
  EXPECT_TRUE(test::Said(piped, "已下载16/16......"));
  for (const std::string& line : piped.err) EXPECT_EQ(line.find("张/秒"), std::string::npos) << line;
}

}  // namespace
}  // namespace albatrix
