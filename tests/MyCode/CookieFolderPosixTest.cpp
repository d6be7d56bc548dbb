// Where the cookie file lives on POSIX, and the privacy of it and of its folder: made, or narrowed, to the
// owner alone. Modes and the XDG folders are POSIX; the Windows build leaves this file out.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "MyCode/CookieJar.h"
#include "MyCode/StringCtrl.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

int Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

TEST(DefaultCookieFile, FollowsXdgDataHomeThenHome) {
  std::string savedXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  bool hadXdg = std::getenv("XDG_DATA_HOME") != nullptr;
  std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";

  ::setenv("XDG_DATA_HOME", "/data/me", 1);
  ::setenv("HOME", "/home/me", 1);
  EXPECT_EQ(DefaultCookieFile(), u"/data/me/albatrix/cookies.txt");
  ::setenv("XDG_DATA_HOME", "relative/path", 1);  // not absolute: ignored, as the XDG rules say
  EXPECT_EQ(DefaultCookieFile(), u"/home/me/.local/share/albatrix/cookies.txt");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DefaultCookieFile(), u"/home/me/.local/share/albatrix/cookies.txt");

  if (hadXdg) ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  ::setenv("HOME", savedHome.c_str(), 1);
}

// The folder is made private before the browser writes there, or narrowed when it was open; the file the
// store saves is the owner's alone.
TEST(CookieJarFolder, FolderAndFileAreTheOwnersAlone) {
  CookieJar& jar = CookieJar::Instance();
  const Text saved = jar.File();
  test::TempDir dir;

  jar.SetFile(Utf8ToText(dir.file("new/albatrix/cookies.txt")));
  ASSERT_TRUE(jar.PrepareFolder());
  EXPECT_EQ(Mode(dir.file("new/albatrix")), 0700);
  EXPECT_FALSE(test::PathExists(dir.file("new/albatrix/cookies.txt")));  // the browser writes the file
  jar.Clear();
  ASSERT_EQ(jar.Merge({"127.0.0.1\tFALSE\t/\tFALSE\t0\ttoken\tT42"}), 1u);
  jar.SetFile(Utf8ToText(dir.file("deeper/albatrix/cookies.txt")));
  ASSERT_TRUE(jar.Save());
  EXPECT_EQ(Mode(dir.file("deeper/albatrix/cookies.txt")), 0600);
  EXPECT_NE(test::ReadWholeFile(dir.file("deeper/albatrix/cookies.txt")).find("\ttoken\tT42"), std::string::npos);
  jar.Clear();

  ASSERT_EQ(::mkdir(dir.file("open").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(dir.file("open").c_str(), 0755), 0);
  jar.SetFile(Utf8ToText(dir.file("open/cookies.txt")));
  ASSERT_TRUE(jar.PrepareFolder());
  EXPECT_EQ(Mode(dir.file("open")), 0700);

  test::WriteWholeFile(dir.file("plainfile"), "x");
  for (const Text& file : {Utf8ToText(dir.file("plainfile/cookies.txt")), Text(u"cookies.txt"), Text()}) {
    jar.SetFile(file);
    EXPECT_FALSE(jar.PrepareFolder()) << TextToUtf8(file);
  }
  jar.SetFile(saved);
}

}  // namespace
}  // namespace albatrix
