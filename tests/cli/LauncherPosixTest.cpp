// The desktop menu's launcher (packaging/linux/albatrix-launcher), run with a stand-in `albatrix` on PATH
// that prints the arguments it was given.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

TEST(LauncherTest, StartsTheWindowWithThePrivateDataFolderAsProgramFolder) {
  struct Case {
    const char* dataHome;  // XDG_DATA_HOME; "<dir>" stands for the test's folder
    const char* folder;    // the program folder expected, under the test's folder
  } cases[] = {
      {"<dir>/xdg", "/xdg/albatrix"},
      {"", "/home/.local/share/albatrix"},
      {"relative/xdg", "/home/.local/share/albatrix"},  // only an absolute one counts
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    test::WriteWholeFile(dir.file("albatrix"), "#!/bin/sh\nprintf '%s\\n' \"$@\"\n");
    ASSERT_EQ(::chmod(dir.file("albatrix").c_str(), 0755), 0);
    std::string dataHome = c.dataHome;
    if (dataHome.rfind("<dir>", 0) == 0) dataHome = dir.path() + dataHome.substr(5);
    const char* path = std::getenv("PATH");
    int status = -1;
    {
      test::ChildProcess launcher(std::string(ALBATRIX_SOURCE_DIR) + "/packaging/linux/albatrix-launcher",
                                  {"--demo", "two words"},
                                  {dir.path(), dir.file("out.txt"), dir.file("err.txt"),
                                   {{"XDG_DATA_HOME", dataHome},
                                    {"HOME", dir.file("home")},
                                    {"PATH", dir.path() + ":" + (path ? path : "/usr/bin:/bin")}}});
      status = launcher.Wait();
    }
    const std::string folder = dir.path() + c.folder;
    EXPECT_EQ(status, 0) << test::ReadWholeFile(dir.file("err.txt"));
    EXPECT_EQ(test::TextLines(test::ReadWholeFile(dir.file("out.txt"))),
              (std::vector<std::string>{"--program-folder", folder, "--demo", "two words"}))
        << c.dataHome;
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0) << folder;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
}

}  // namespace
}  // namespace albatrix
