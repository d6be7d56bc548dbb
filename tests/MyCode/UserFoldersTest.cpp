#include "MyCode/UserFolders.h"

#include <gtest/gtest.h>

#include <utility>

#include "MyCode/CookieJar.h"
#include "MyCode/FileSystem.h"

namespace albatrix {
namespace {

std::string Lower(Text text) {
  std::string s = TextToUtf8(text);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The running program's folder and the current one: absolute folders that exist, written with their
// trailing separator.
TEST(UserFolders, ProgramAndCurrentFoldersExistWithTheirSeparator) {
  const std::pair<const char*, Text> folders[] = {{"program", ExecutableFolder()}, {"current", CurrentFolder()}};
  for (const auto& [which, folder] : folders) {
    ASSERT_FALSE(folder.empty()) << which;
    EXPECT_EQ(folder.back(), kPathSep) << which;
    EXPECT_TRUE(IsAbsolutePath(folder)) << TextToUtf8(folder);
    EXPECT_TRUE(FolderExists(folder)) << TextToUtf8(folder);
  }
}

TEST(UserFolders, DocumentsFolderIsAnAbsoluteFolderWhenTheSystemNamesOne) {
  const Text folder = DocumentsFolder();
  if (folder.empty()) GTEST_SKIP() << "this system names no documents folder";
  EXPECT_EQ(folder.back(), kPathSep);
  EXPECT_TRUE(IsAbsolutePath(folder)) << TextToUtf8(folder);
}

// The login browser and the program must agree on one per-user file: an absolute path ending in
// albatrix/cookies.txt (Albatrix\cookies.txt under %APPDATA% on Windows).
TEST(UserFolders, CookieFileLivesInTheProgramsOwnUserFolder) {
  const Text file = DefaultCookieFile();
  ASSERT_FALSE(file.empty());
  EXPECT_TRUE(IsAbsolutePath(file)) << TextToUtf8(file);
  const std::string ending = std::string(1, static_cast<char>(kPathSep)) + "albatrix" +
                             static_cast<char>(kPathSep) + "cookies.txt";
  const std::string lower = Lower(file);
  ASSERT_GE(lower.size(), ending.size());
  EXPECT_EQ(lower.substr(lower.size() - ending.size()), ending) << TextToUtf8(file);
}

}  // namespace
}  // namespace albatrix
