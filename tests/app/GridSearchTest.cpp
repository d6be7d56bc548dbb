// The find window's search over the grid's rows: one pass (FindRow) and the two-pass press of
// "下一个" / "上一个" (FindAlbumRow).
#include <gtest/gtest.h>

#include "app/GridSearch.h"

namespace albatrix {
namespace {

const std::vector<TextArray> kRows = {
    {u"0001", u"Trip to abc", u"  12", u""},      // 0
    {u"0002", u"ABC", u"   3", u"加密相册"},       // 1
    {u"0003", u"home", u"未知", u""},              // 2
    {u"0004", u"xabcx", u"   5", u""},            // 3
    {u"0005", u"abc", u"   1", u"好友可见"},       // 4
};

TEST(FindRowTest, OnePass) {
  struct Case {
    const char* name;
    int start;
    Text keyword;
    bool forward, ignoreCase, wholeCell;
    int expected;
  };
  const Case cases[] = {
      {"forward from before the first row", -1, u"abc", true, false, false, 0},
      {"forward skips the start row itself", 0, u"abc", true, false, false, 3},
      {"case-sensitive skips ABC", 0, u"abc", true, false, false, 3},
      {"ignoring case finds ABC", 0, u"abc", true, true, false, 1},
      {"ignoring case folds the keyword too", 1, u"XABCX", true, true, true, 3},
      {"whole cell: abc is not ab", -1, u"ab", true, false, true, kNoRow},
      {"contains: ab is in abc", -1, u"ab", true, false, false, 0},
      {"whole cell equal", -1, u"abc", true, false, true, 4},
      {"any column matches, not only the title", -1, u"未知", true, false, true, 2},
      {"backward from after the last row", 5, u"abc", false, false, false, 4},
      {"backward skips the start row", 4, u"abc", false, false, false, 3},
      {"backward stops at the first row", 0, u"abc", false, false, false, kNoRow},
      {"forward past the end finds nothing", 4, u"abc", true, false, false, kNoRow},
      {"CJK text matches as it is", -1, u"加密", true, true, false, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindRow(kRows, c.start, c.keyword, c.forward, c.ignoreCase, c.wholeCell), c.expected) << c.name;
  }
  EXPECT_EQ(FindRow({}, 0, u"abc", true, false, false), kNoRow);
  EXPECT_EQ(FindRow({}, 0, u"abc", false, false, false), kNoRow);
}

TEST(FindAlbumRowTest, NextAndPreviousWrapOnceAndTrimTheKeyword) {
  struct Case {
    const char* name;
    int topSelected;
    Text keyword;
    bool forward;
    int expected;
  };
  const Case cases[] = {
      {"next without a selection: the first match from the top", kNoRow, u" abc ", true, 0},
      {"previous without a selection: the last match from the bottom", kNoRow, u"abc", false, 4},
      {"next goes below the selected row", 0, u"abc", true, 3},
      {"next after the last match wraps to the top", 4, u"abc", true, 0},
      {"previous before the first match wraps to the bottom", 0, u"abc", false, 4},
      {"a second miss is a miss", 2, u"nowhere", true, kNoRow},
  };
  for (const Case& c : cases) {
    FindOutcome outcome = FindAlbumRow(kRows, c.topSelected, c.keyword, c.forward, false, false);
    EXPECT_FALSE(outcome.emptyKeyword) << c.name;
    EXPECT_EQ(outcome.row, c.expected) << c.name;
  }
  for (const Text& blank : {Text(), Text(u"  \t ")}) {
    FindOutcome outcome = FindAlbumRow(kRows, kNoRow, blank, true, false, false);
    EXPECT_TRUE(outcome.emptyKeyword);
    EXPECT_EQ(outcome.row, kNoRow);
  }
}

}  // namespace
}  // namespace albatrix
