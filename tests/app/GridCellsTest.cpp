#include <gtest/gtest.h>

#include "app/GridCells.h"
#include "model/AlbumRecords.h"

namespace albatrix {
namespace {

TEST(GridCells, ListModeTexts) {
  EXPECT_EQ(GridNumberText(1), u"0001");
  EXPECT_EQ(GridNumberText(12345), u"12345");

  struct CountCase {
    std::int32_t count;
    const char16_t* text;
  };
  for (const CountCase& c : {CountCase{0, u"   0"}, CountCase{12, u"  12"}, CountCase{12345, u"12345"},
                             CountCase{-1, u"未知"}, CountCase{-2, u"4294967294"}})
    EXPECT_EQ(GridCountText(c.count), c.text) << c.count;

  struct NoteCase {
    std::int32_t flags;
    const char16_t* text;
  };
  const NoteCase notes[] = {
      {0, u""},
      {ACCESS_ENCRYPTED, u"加密相册"},
      {ACCESS_PRIVATE, u"私密相册"},
      {ACCESS_FRIENDS, u"好友可见"},
      {ACCESS_PRIVATE | ACCESS_FRIENDS, u"私密相册"},
      {ACCESS_ENCRYPTED | ACCESS_FRIENDS, u"加密相册"},
      {8, u""},
      {static_cast<std::int32_t>(0x80000000u | 42u), u"00000042"},
      {static_cast<std::int32_t>(0x80000000u | ACCESS_ENCRYPTED), u"00000001"},
  };
  for (const NoteCase& c : notes) EXPECT_EQ(GridNoteText(c.flags), c.text) << c.flags;

  EXPECT_EQ(GridCaptionText(0, u"Trip"), u"1.Trip");
}

// The outcome of an album shows (and is exported) only once the "结果" column is, and always in column 4.
TEST(GridCells, ResultColumnTextsOnlyOnceShown) {
  GridAlbum album;
  album.number = u"0001";
  album.title = u"Trip";
  album.count = u"   3";
  album.result = u"失败 1/3";
  EXPECT_EQ(ListRowTexts(album, false), (TextArray{u"0001", u"Trip", u"   3", u"", u"", u""}));
  EXPECT_EQ(ListRowTexts(album, true), (TextArray{u"0001", u"Trip", u"   3", u"", u"失败 1/3", u""}));
  EXPECT_EQ(ListHeaderTexts(false)[kResultColumn], u"");
  EXPECT_EQ(ListHeaderTexts(true), (TextArray{u"序号", u"名称", u"数量", u"备注", u"结果", u""}));
  EXPECT_EQ(GridCaptionText(6, u""), u"7.");
}

TEST(GridCells, TitlesAreCutToEightyUnitsWithoutSplittingACharacter) {
  Text eighty(80, u'a');
  EXPECT_EQ(CutGridTitle(eighty), eighty);
  EXPECT_EQ(CutGridTitle(eighty + u"b"), eighty);
  // A character outside the basic plane straddling the cut goes whole.
  Text straddling = Text(79, u'a') + u"\U0001F600" + u"z";
  EXPECT_EQ(CutGridTitle(straddling), Text(79, u'a'));
  Text inside = Text(78, u'a') + u"\U0001F600" + u"z";
  EXPECT_EQ(CutGridTitle(inside), Text(78, u'a') + u"\U0001F600");
}

}  // namespace
}  // namespace albatrix
