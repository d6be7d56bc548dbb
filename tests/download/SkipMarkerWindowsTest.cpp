// The skip marker as Windows sees it: a hidden file, which the next album's marker still replaces.
#include <gtest/gtest.h>

#include "download/AlbumFiles.h"
#include "support/HiddenAttribute.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

TEST(SkipMarkerWindows, MarkerIsHiddenAndAHiddenMarkerIsStillReplaced) {
  test::TempDir dir;
  if (!test::FolderKeepsHiddenAttribute(dir)) GTEST_SKIP() << "this file system keeps no hidden attribute";
  ASSERT_TRUE(WriteSkipMarker(u"http://h/a/1.jpg", dir.folder()));
  EXPECT_TRUE(test::IsHidden(dir.folder() + u"pic.zvk"));

  // Creating over a hidden file is refused on Windows; the marker must go in by replacing it.
  ASSERT_TRUE(WriteSkipMarker(u"http://h/a/2.jpg", dir.folder()));
  EXPECT_EQ(ReadSkipMarker(dir.folder()), u"http://h/a/2.jpg");
  EXPECT_TRUE(test::IsHidden(dir.folder() + u"pic.zvk"));
}

}  // namespace
}  // namespace albatrix
