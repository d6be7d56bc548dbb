// albatrix-cli on a terminal: a pseudo-terminal, which only POSIX has.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

// On a terminal the progress line is rewritten in place, and cleared before the next line.
TEST_F(TerminalCliSiteTest, OnATerminalTheProgressLineIsRewrittenInPlace) {
  std::vector<std::string> argv = {test::BuildProgram("albatrix-cli"), "--site", site().BaseUrl(), "download",
                                   site().MemberUrl("kobe"), "--save", "out", "--albums", "1"};
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(127);
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    execv(raw[0], raw.data());
    _exit(127);
  }
  std::string output;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) output.append(buffer, static_cast<std::size_t>(n));
  close(master);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  // The terminal turns each line end into CR LF.
  EXPECT_NE(output.find("\r已获取到3张图片信息\033[K\r已开始下载图片\033[K"), std::string::npos) << output;
  EXPECT_NE(output.find("\r已下载3/3......\033[K\r\033[K下载完毕\r\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("已下载3/3......\r\n"), std::string::npos);
}

}  // namespace
}  // namespace albatrix
