// Marker operations, list replacement, entities, the UTF-8 detector and the literal cipher.
#include "MyCode/StringCtrl.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

struct BetweenCase {
  const char16_t* text;
  const char16_t* start;
  const char16_t* end;
  unsigned flags;
  const char16_t* value;
  const char16_t* textAfter;
};

TEST(TextBetween, CutsTheValueAndConsumesOnlyWhenAsked) {
  const BetweenCase cases[] = {
      {u"a<b>c</b>d", u"<b>", u"</b>", 0, u"c", u"a<b>c</b>d"},
      {u"a<b>c</b>d", u"<b>", u"</b>", BETWEEN_CONSUME, u"c", u"c</b>d"},
      // An absent start marker never changes the text, even when consuming.
      {u"a<b>c</b>d", u"<i>", u"</b>", BETWEEN_CONSUME | BETWEEN_TO_END, u"", u"a<b>c</b>d"},
      {u"x=1;y", u"x=", u"#", BETWEEN_TO_END, u"1;y", u"x=1;y"},
      {u"x=1;y", u"x=", u"#", 0, u"", u"x=1;y"},
      {u"x=1;y", u"x=", u"#", BETWEEN_CONSUME, u"", u"1;y"},
      // With the end present, BETWEEN_TO_END changes nothing.
      {u"x=1;y#z", u"x=", u"#", BETWEEN_TO_END | BETWEEN_CONSUME, u"1;y", u"1;y#z"},
      // The end is searched only after the start, and the first start wins.
      {u"</b>x<b>y</b>", u"<b>", u"</b>", 0, u"y", u"</b>x<b>y</b>"},
      {u"<b>1</b><b>2</b>", u"<b>", u"</b>", 0, u"1", u"<b>1</b><b>2</b>"},
      {u"|a|b|", u"|", u"|", BETWEEN_CONSUME, u"a", u"a|b|"},
      // An empty end marker matches at once.
      {u"k=v", u"k=", u"", BETWEEN_CONSUME | BETWEEN_TO_END, u"", u"v"},
      // Values are cut on UTF-16 code units, never split a marker made of Chinese text.
      {u"标题：相册一（12张）", u"标题：", u"（", 0, u"相册一", u"标题：相册一（12张）"},
  };
  for (const BetweenCase& c : cases) {
    Text text = c.text;
    EXPECT_EQ(TextBetween(text, c.start, c.end, c.flags), c.value) << "text " << TextToUtf8(c.text);
    EXPECT_EQ(text, c.textAfter) << "text " << TextToUtf8(c.text);
  }
}

// SkipPast drops the text before the first marker (and the marker when asked); CutBefore keeps it.
TEST(SkipPastAndCutBefore, TheFirstMarkerSplitsTheText) {
  struct Case {
    bool cut;           // CutBefore; SkipPast otherwise
    bool removeMarker;  // SkipPast only
    const char16_t* text;
    const char16_t* marker;
    long position;
    const char16_t* textAfter;
  } const cases[] = {
      {false, false, u"ab:cd", u":", 2, u":cd"},
      {false, true, u"ab:cd", u":", 2, u"cd"},
      {false, true, u"ab:cd:ef", u":", 2, u"cd:ef"},
      {false, true, u"ab:cd", u"::", -1, u"ab:cd"},
      {false, true, u":cd", u":", 0, u"cd"},
      {false, true, u"ab<br>", u"<br>", 2, u""},
      {true, false, u"ab:cd", u":", 2, u"ab"},
      {true, false, u"ab:cd:ef", u":", 2, u"ab"},
      {true, false, u"ab:cd", u";", -1, u"ab:cd"},
      {true, false, u":cd", u":", 0, u""},
  };
  for (const Case& c : cases) {
    Text text = c.text;
    EXPECT_EQ(c.cut ? CutBefore(text, c.marker) : SkipPast(text, c.marker, c.removeMarker), c.position)
        << TextToUtf8(c.text) << (c.cut ? " cut" : " skip");
    EXPECT_EQ(text, c.textAfter) << TextToUtf8(c.text) << (c.cut ? " cut" : " skip");
  }
}

TEST(CountOccurrences, CountsNonOverlappingMatches) {
  struct Case {
    const char16_t* text;
    const char16_t* sub;
    long count;
  } const cases[] = {
      {u"aaaa", u"aa", 2}, {u"aaa", u"aa", 1}, {u"abab", u"ab", 2}, {u"", u"a", 0},
      {u"abc", u"", 0},    {u"相册相册", u"相册", 2}, {u"a|b||c", u"|", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(CountOccurrences(c.text, c.sub), c.count) << TextToUtf8(c.text);
}

TEST(SplitText, KeepsEmptyPiecesAndYieldsNothingWithoutSeparator) {
  struct Case {
    const char16_t* text;
    const char16_t* sep;
    long count;
    std::vector<Text> pieces;
  } const cases[] = {
      {u"a|b||c", u"|", 3, {u"a", u"b", u"", u"c"}},
      {u"abc", u"|", 0, {}},
      {u"|", u"|", 1, {u"", u""}},
      {u"a::b::", u"::", 2, {u"a", u"b", u""}},
      {u"aaa", u"aa", 1, {u"", u"a"}},
      {u"abc", u"", 0, {}},
  };
  for (const Case& c : cases) {
    TextArray pieces = {u"left over from before"};
    EXPECT_EQ(SplitText(c.text, c.sep, pieces), c.count) << TextToUtf8(c.text);
    EXPECT_EQ(pieces, c.pieces) << TextToUtf8(c.text);
  }
}

TEST(ReplaceList, ReplacesItemByItemOrTheWholeListLiterally) {
  struct Case {
    const char16_t* text;
    const char16_t* finds;
    const char16_t* replaces;
    const char16_t* result;
  } const cases[] = {
      {u"aabb", u"a|b", u"1|2", u"1122"},
      // Different separator counts: only the literal text "a|b" is replaced.
      {u"aabb", u"a|b", u"1", u"aabb"},
      {u"xa|by", u"a|b", u"1", u"x1y"},
      // Each pass works on the result of the one before.
      {u"a", u"a|b", u"b|c", u"c"},
      // An empty find item replaces nothing (and must not loop).
      {u"a", u"|a", u"X|Y", u"Y"},
      // No lists at all: plain replacement, left to right, never rescanning what was put in.
      {u"abc", u"b", u"X", u"aXc"},
      {u"aa", u"a", u"aa", u"aaaa"},
      {u"aaa", u"aa", u"b", u"ba"},
      {u"第1页/第2页", u"/|页", u"_|", u"第1_第2"},
  };
  for (const Case& c : cases) {
    Text text = c.text;
    ReplaceList(text, c.finds, c.replaces);
    EXPECT_EQ(text, c.result) << TextToUtf8(c.text) << " / " << TextToUtf8(c.finds);
  }
}

TEST(DecodeEntities, DecodesTheSevenEntitiesInTheirOrder) {
  struct Case {
    const char16_t* text;
    const char16_t* result;
  } const cases[] = {
      {u"&quot;&amp;&lt;&gt;&nbsp;&hellip;&#39;", u"\"&<> \u2026'"},
      // "&amp;" is decoded after "&quot;" but before the rest.
      {u"&amp;lt;", u"<"},
      {u"&amp;quot;", u"&quot;"},
      {u"&amp;amp;", u"&amp;"},
      // Nothing else is decoded, and matching is case-sensitive.
      {u"&#34;&copy;&AMP;&#x27;", u"&#34;&copy;&AMP;&#x27;"},
      {u"Tom &amp; Jerry&hellip;", u"Tom & Jerry\u2026"},
      {u"no entities", u"no entities"},
  };
  for (const Case& c : cases) {
    Text text = c.text;
    DecodeEntities(text);
    EXPECT_EQ(text, c.result) << TextToUtf8(c.text);
  }
}

TEST(IsUtf8Text, FollowsTheLeadAndContinuationRule) {
  struct Case {
    std::string bytes;
    bool utf8;
  } const cases[] = {
      {"abc", false},          // pure 7-bit
      {"", false},
      {"\xE4\xB8\xAD", true},  // 中
      {"a\xE4\xB8\xAD" "b", true},
      {"\xE4", false},         // lone lead byte
      {"\xE4\xB8", false},     // cut at the end
      {"\xE4\x41\xAD", false},  // continuation missing
      {"\x80", false},         // continuation where a character begins
      {"\xD6\xD0\xCE\xC4", false},  // 中文 in GBK
      // The rule looks only at lead and continuation bytes: overlong and long forms pass.
      {"\xC0\x80", true},
      {"\xF8\x80\x80\x80\x80", true},
      {"\xFC\x80\x80\x80\x80\x80", true},
      {"\xFE\x80\x80\x80\x80", true},
      {"\xFC\x80\x80\x80\x80", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUtf8Text(c.bytes.data(), c.bytes.size()), c.utf8) << testing::PrintToString(c.bytes);
  }
  EXPECT_FALSE(IsUtf8Text(nullptr, 3));
  // The count, not a NUL, ends the input.
  EXPECT_FALSE(IsUtf8Text("\xE4\xB8\xAD", 2));
}

TEST(TextCipher, EnciphersToTheExactHexDigits) {
  struct Case {
    const char16_t* text;
    const char16_t* key;
    const char16_t* hex;
  } const cases[] = {
      // 'B' 0x42 ^ 'A' 0x41 = 0x03, complemented 0xFC.
      {u"B", u"A", u"FC"},
      // 'A' ^ 'A' = 0: the pair 0x41 '1' (0x31), complemented 0xBE 0xCE.
      {u"A", u"A", u"BECE"},
      // 'L' 0x4C ^ 0x41 = 13: the pair 0x41 '2' (0x32) -> 0xBE 0xCD.
      {u"L", u"A", u"BECD"},
      // 'K' 0x4B ^ 0x41 = 10: the pair 0x41 '3' (0x33) -> 0xBE 0xCC.
      {u"K", u"A", u"BECC"},
      // The key repeats: 'a' ^ 'a' = 0 -> 0x61 0x31 -> 9E CE; 'b' ^ 'a' = 0x03 -> FC.
      {u"ab", u"a", u"9ECEFC"},
      // The key advances per text byte, not per written byte: 0x61 0x31, then 'b' ^ 'b' -> 0x62 0x31.
      {u"ab", u"ab", u"9ECE9DCE"},
      // 中 is D6 D0 in GBK: D6 ^ 41 = 97 -> 68; D0 ^ 41 = 91 -> 6E.
      {u"中", u"A", u"686E"},
      // A Chinese key: 相 is CF E0 in GBK. 'x' 0x78 ^ CF = B7 -> 48; 'y' 0x79 ^ E0 = 99 -> 66.
      {u"xy", u"相", u"4866"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextCipher(c.text, c.key, true), c.hex) << TextToUtf8(c.text);
    EXPECT_EQ(TextCipher(c.hex, c.key, false), c.text) << TextToUtf8(c.hex);
  }
}

TEST(TextCipher, DeciphersWhatItEnciphered) {
  struct Case {
    const char16_t* text;
    const char16_t* key;
  } const cases[] = {
      {u"正在连接服务器...", u"albatrix"},
      {u"AAAA\r\n\r\nLLKK", u"A"},        // every escape, again and again
      {u"相册下载 v1.0 (c)", u"相册"},
      {u"key longer than text", u"a much, much longer key than the text itself"},
      {u"", u"k"},
  };
  for (const Case& c : cases) {
    Text hex = TextCipher(c.text, c.key, true);
    for (char16_t ch : hex) EXPECT_TRUE((ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F'));
    EXPECT_EQ(TextCipher(hex, c.key, false), c.text) << TextToUtf8(c.text);
  }
  // What GBK cannot hold comes back as it went through GBK.
  EXPECT_EQ(TextCipher(TextCipher(u"x😀y", u"k", true), u"k", false), u"x?y");
}

TEST(TextCipher, StopsAtMalformedInputAndRefusesAnEmptyKey) {
  struct Case {
    const char16_t* hex;
    const char16_t* text;
  } const cases[] = {
      {u"FCZZFC", u"B"},  // not hexadecimal
      {u"FCF", u"B"},     // half a pair
      {u"fc", u"B"},      // lower case reads the same
      {u"BE", u""},       // an escape without its digit
      {u"FCBEFF", u"B"},  // an escape with an unknown digit (0x00)
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(TextCipher(c.hex, u"A", false), c.text) << TextToUtf8(c.hex);
  EXPECT_EQ(TextCipher(u"text", u"", true), u"");
  EXPECT_EQ(TextCipher(u"FC", u"", false), u"");
}

}  // namespace
}  // namespace albatrix
