// The skip marker as Windows sees it: a hidden file, which the next album's marker still replaces.
#include <gtest/gtest.h>

#include "MyCode/Win32.h"
#include "download/AlbumFiles.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

DWORD MarkerAttributes(const test::TempDir& dir) {
  return ::GetFileAttributesW(WidePath(dir.folder() + u"pic.zvk").c_str());
}

TEST(SkipMarkerWindows, MarkerIsHiddenAndAHiddenMarkerIsStillReplaced) {
  test::TempDir dir;
  ASSERT_TRUE(WriteSkipMarker(u"http://h/a/1.jpg", dir.folder()));
  DWORD attributes = MarkerAttributes(dir);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);

  // Creating over a hidden file is refused on Windows; the marker must go in by replacing it.
  ASSERT_TRUE(WriteSkipMarker(u"http://h/a/2.jpg", dir.folder()));
  EXPECT_EQ(ReadSkipMarker(dir.folder()), u"http://h/a/2.jpg");
  attributes = MarkerAttributes(dir);
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
}

}  // namespace
}  // namespace albatrix
