#include "MyCode/SanitizeFileName.h"

#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "support/Environment.h"

namespace albatrix {
namespace {

// 2023-11-14 22:13:20 UTC.
constexpr std::time_t kFixedTime = 1700000000;

class SanitizeFileNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Pin the local time zone so the time stamp is known.
    test::SetEnvironment("TZ", "UTC");
  }
  static std::chrono::system_clock::time_point Fixed() { return std::chrono::system_clock::from_time_t(kFixedTime); }
  NowFunction fixedClock = [] { return Fixed(); };
};

struct Case {
  TextView input;
  TextView expected;
};

TEST_F(SanitizeFileNameTest, CleansWithoutFallback) {
  using namespace std::literals;
  const Case cases[] = {
      {u"..."sv, u"。。。"sv},
      {u"..a.."sv, u"a"sv},
      {u"A<B>:C"sv, u"ABC"sv},
      {u"a\tb"sv, u"a_b"sv},
      {u"a&amp;lt;b"sv, u"ab"sv},  // decoded to a<b, then "<" goes
      {u"x &quot;y&quot;"sv, u"x y"sv},
      {u"R&amp;D"sv, u"R&D"sv},
      {u"a&nbsp;&nbsp;b"sv, u"a b"sv},  // the entities turn into spaces before runs collapse
      {u"  a    b  "sv, u"a b"sv},
      {u"a\\b/c:d*e?f\"g<h>i|j"sv, u"abcdefghij"sv},
      {u"line\r\nnext"sv, u"linenext"sv},
      {u"bell\u0007"sv, u"bell"sv},
      {u"nul\0x\u001F"sv, u"nulx"sv},
      {u"\u3000title\u00A0"sv, u"title"sv},
      {u". a ."sv, u"a"sv},      // dots at the ends go, then the spaces they exposed
      {u". ."sv, u""sv},         // not only dots, so no "。": the dots go and the space is trimmed
      {u"a . ."sv, u"a"sv},      // the dots and the spaces they expose go, again and again
      {u"dots . . ."sv, u"dots"sv},
      {u"a. . ."sv, u"a"sv},
      {u". . ."sv, u""sv},       // never "." left: a name that would mean the folder itself
      {u". .. ."sv, u""sv},
      {u"a .b. ."sv, u"a .b"sv},  // dots inside stay
      {u"\t..\t"sv, u"。。"sv},  // the tabs are trimmed first, so the text is all dots
      {u"ok.jpg"sv, u"ok.jpg"sv},
      {u"中文 相册"sv, u"中文 相册"sv},
      {u"a * b"sv, u"a  b"sv},   // runs collapse before removal, so a removed "*" leaves two spaces
      // Device names Windows reserves, alone or before the first dot, in any case, get "_" after them.
      {u"CON"sv, u"CON_"sv},
      {u"nul.jpg"sv, u"nul_.jpg"sv},
      {u"Aux.tar.gz"sv, u"Aux_.tar.gz"sv},
      {u"prn"sv, u"prn_"sv},
      {u"com1"sv, u"com1_"sv},
      {u"LPT9.png"sv, u"LPT9_.png"sv},
      {u" con . "sv, u"con_"sv},     // judged after the trims
      {u"CON..."sv, u"CON_"sv},
      {u"&#67;ON"sv, u"&#67;ON"sv},  // not an entity this cleaning decodes
      {u"COM0"sv, u"COM0"sv},        // no such device
      {u"COM10"sv, u"COM10"sv},
      {u"LPT"sv, u"LPT"sv},
      {u"CONSOLE"sv, u"CONSOLE"sv},
      {u"my con.jpg"sv, u"my con.jpg"sv},
      {u"x.CON"sv, u"x.CON"sv},      // only the part before the first dot counts
      {u"ＣＯＮ"sv, u"ＣＯＮ"sv},      // full-width letters are no device name
      {u""sv, u""sv},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SanitizeFileName(c.input, 0, false), Text(c.expected)) << TextToUtf8(c.input);
  }
}

TEST_F(SanitizeFileNameTest, FallbackReplacesEmptyResults) {
  for (const char16_t* input : {u"   ", u"***", u"", u"..\u0007..", u". . ."}) {
    SCOPED_TRACE(TextToUtf8(input));
    EXPECT_EQ(SanitizeFileName(input, kFallbackTimeStamp, true, fixedClock), u"20231114221320");
    EXPECT_EQ(SanitizeFileName(input, 7, true, fixedClock), u"pic7");
    EXPECT_EQ(SanitizeFileName(input, 0, true, fixedClock), u"pic0");
    EXPECT_EQ(SanitizeFileName(input, 0xFFFF, false, fixedClock), u"");
  }
  // A device name is no empty result: it keeps its "_".
  EXPECT_EQ(SanitizeFileName(u"nul", kFallbackTimeStamp, true, fixedClock), u"nul_");
}

TEST_F(SanitizeFileNameTest, FallbackReplacesOverLongResults) {
  Text justBelow(kFallbackNameLength - 1, u'x');
  Text atLimit(kFallbackNameLength, u'x');
  EXPECT_EQ(SanitizeFileName(justBelow, kFallbackTimeStamp, true, fixedClock), justBelow);
  EXPECT_EQ(SanitizeFileName(atLimit, kFallbackTimeStamp, true, fixedClock), u"20231114221320");
  EXPECT_EQ(SanitizeFileName(atLimit, 3, true, fixedClock), u"pic3");
  EXPECT_EQ(SanitizeFileName(atLimit, 3, false, fixedClock), atLimit);
  // The length counts after cleaning: removed characters bring a long text back under the limit.
  Text shrinking = atLimit;
  shrinking[10] = u'*';
  EXPECT_EQ(SanitizeFileName(shrinking, 3, true, fixedClock).size(), kFallbackNameLength - 1);
}

TEST_F(SanitizeFileNameTest, TimeStampIsLocalTime) {
  EXPECT_EQ(LocalTimeStamp(Fixed()), u"20231114221320");
  test::SetEnvironment("TZ", "CST-8");  // UTC+8, the site's own time zone
  EXPECT_EQ(LocalTimeStamp(Fixed()), u"20231115061320");
  // Without a clock the system clock is read: 14 digits.
  Text stamp = SanitizeFileName(u"?", kFallbackTimeStamp, true);
  ASSERT_EQ(stamp.size(), 14u);
  for (char16_t c : stamp) EXPECT_TRUE(c >= u'0' && c <= u'9');
}

}  // namespace
}  // namespace albatrix
