// The private folder the login browser keeps its cookie file in: made, or narrowed, to the owner alone
// before the browser writes there. Folder modes are POSIX; the Windows build leaves this file out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MyCode/CookieJar.h"
#include "MyCode/StringCtrl.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

TEST(CookieJarFolder, IsMadePrivateBeforeTheBrowserWritesThere) {
  CookieJar& jar = CookieJar::Instance();
  Text saved = jar.File();
  test::TempDir dir;
  auto mode = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
  };

  jar.SetFile(Utf8ToText(dir.file("new/albatrix/cookies.txt")));
  ASSERT_TRUE(jar.PrepareFolder());
  EXPECT_EQ(mode(dir.file("new/albatrix")), 0700);
  EXPECT_FALSE(test::PathExists(dir.file("new/albatrix/cookies.txt")));  // the browser writes the file

  ASSERT_EQ(::mkdir(dir.file("open").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.file("open").c_str(), 0755), 0);
  jar.SetFile(Utf8ToText(dir.file("open/cookies.txt")));
  ASSERT_TRUE(jar.PrepareFolder());
  EXPECT_EQ(mode(dir.file("open")), 0700);

  test::WriteWholeFile(dir.file("plainfile"), "x");
  jar.SetFile(Utf8ToText(dir.file("plainfile/cookies.txt")));
  EXPECT_FALSE(jar.PrepareFolder());
  jar.SetFile(u"cookies.txt");
  EXPECT_FALSE(jar.PrepareFolder());
  jar.SetFile(u"");
  EXPECT_FALSE(jar.PrepareFolder());
  jar.SetFile(saved);
}

}  // namespace
}  // namespace albatrix
