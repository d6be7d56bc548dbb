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

// Wine keeps the attribute in an extended attribute of the Unix file, which some file systems lack.
bool FolderKeepsHiddenAttribute(const test::TempDir& dir) {
  const std::wstring probe = WidePath(dir.folder() + u"probe");
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_HIDDEN);
  const DWORD attributes = ::GetFileAttributesW(probe.c_str());
  ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(probe.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(SkipMarkerWindows, MarkerIsHiddenAndAHiddenMarkerIsStillReplaced) {
  test::TempDir dir;
  if (!FolderKeepsHiddenAttribute(dir)) GTEST_SKIP() << "this file system keeps no hidden attribute";
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
