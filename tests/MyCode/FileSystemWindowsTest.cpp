// The hidden attribute of temporaries: on from their creation, so a crash leaves nothing in sight, and
// off again in the file that goes in place.
#include <gtest/gtest.h>

#include "MyCode/FileSystem.h"
#include "support/HiddenAttribute.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

TEST(FileSystemWindowsTest, TemporaryIsHiddenAndTheCommittedFileIsNot) {
  test::TempDir dir;
  if (!test::FolderKeepsHiddenAttribute(dir)) GTEST_SKIP() << "this file system keeps no hidden attribute";
  FileReplacer file(dir.folder() + u"pic.jpg");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("picture"));
  const std::vector<Text> names = FileNamesIn(dir.folder());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(test::IsHidden(dir.folder() + names[0])) << TextToUtf8(names[0]);
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(FileExists(dir.folder() + u"pic.jpg"));
  EXPECT_FALSE(test::IsHidden(dir.folder() + u"pic.jpg"));
}

}  // namespace
}  // namespace albatrix
