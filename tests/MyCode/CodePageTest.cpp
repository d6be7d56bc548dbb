// Code-page conversions: GBK, Big5, EUC-KR and UTF-8, bad bytes through every one of them, buffers that
// must grow, and converters used from several threads at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "MyCode/CodePage.h"
#include "MyCode/StringCtrl.h"

namespace albatrix {
namespace {

struct DecodeCase {
  std::string bytes;
  unsigned codePage;
  Text text;
};

TEST(BytesToText, DecodesEachCodePageAndReplacesEachBadByte) {
  const DecodeCase cases[] = {
      {"\xD6\xD0\xCE\xC4", CP_GBK, u"中文"},
      {"a\xD6\xD0" "b", CP_GBK, u"a中b"},
      {"\x80", CP_GBK, u"\u20AC"},                  // the euro sign of code page 936
      {"\xFF", CP_GBK, u"\uFFFD"},
      {"ab\x81", CP_GBK, u"ab\uFFFD"},              // lone lead byte at the end
      {"\x81,", CP_GBK, u"\uFFFD,"},                // lead byte without a trail byte
      {"\x81\x7F\xD6\xD0", CP_GBK, u"\uFFFD\u007F中"},
      {"\xFF\xFF\xD6\xD0\xFF", CP_GBK, u"\uFFFD\uFFFD中\uFFFD"},
      {"a\0b", CP_GBK, u"a"},                       // ends at the first NUL
      {"\xD6\0\xD0", CP_GBK, u"\uFFFD"},
      {"\xE4\xB8\xAD", CP_UTF8, u"中"},
      {"\xE4\xB8", CP_UTF8, u"\uFFFD\uFFFD"},       // cut: one replacement per byte
      {"\xE4\xB8" "a", CP_UTF8, u"\uFFFD\uFFFDa"},
      {"\x80", CP_UTF8, u"\uFFFD"},
      {"\xFF" "a", CP_UTF8, u"\uFFFDa"},
      {"\xC0\x80", CP_UTF8, u"\uFFFD\uFFFD"},       // overlong
      {"\xED\xA0\x80", CP_UTF8, u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {"\xF4\x90\x80\x80", CP_UTF8, u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {"\xF0\x9F\x98\x80", CP_UTF8, u"\U0001F600"},
      {"x\0\xE4\xB8\xAD", CP_UTF8, u"x"},
      {"\xA4\xA4\xA4\xE5", CP_BIG5, u"中文"},
      {"\xA4", CP_BIG5, u"\uFFFD"},
      {"\xFF" "b", CP_BIG5, u"\uFFFDb"},
      {"\xC7\xD1\xB1\xB9", CP_EUCKR, u"한국"},
      {"\xC7", CP_EUCKR, u"\uFFFD"},
      {"caf\xE9", 1252, u"caf\u00E9"},             // any code page iconv knows by its number
      {"abc", 12345, u""},                          // unknown code page
      {"", CP_GBK, u""},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(BytesToText(c.bytes, c.codePage), c.text)
        << testing::PrintToString(c.bytes) << " in " << c.codePage;
  }
  EXPECT_EQ(BytesToText(nullptr, 4, CP_GBK), u"");
}

TEST(Iconv, GrowsTheBufferFromAnyStartAndAppends) {
  Text chinese;
  std::string gbk;
  for (int i = 0; i < 5000; ++i) {
    chinese += u"相册";
    gbk += "\xCF\xE0\xB2\xE1";
  }
  for (std::size_t start : {std::size_t{0}, std::size_t{1}, std::size_t{3}, gbk.size()}) {
    Text text = u"head:";
    ASSERT_TRUE(IconvDecode(gbk, CP_GBK, text, start));
    EXPECT_EQ(text, u"head:" + chinese) << "initial size " << start;
    Bytes bytes = "head:";
    ASSERT_TRUE(IconvEncode(chinese, CP_GBK, bytes, start));
    EXPECT_EQ(bytes, "head:" + gbk) << "initial size " << start;
  }
  // A character that needs two UTF-16 units when only one is free.
  Text pair;
  ASSERT_TRUE(IconvDecode("\xF0\x9F\x98\x80\xF0\x9F\x98\x81", CP_UTF8, pair, 1));
  EXPECT_EQ(pair, u"\U0001F600\U0001F601");
  // No converter: the output is left alone.
  Text text = u"kept";
  Bytes bytes = "kept";
  EXPECT_FALSE(IconvDecode("abc", 12345, text, 8));
  EXPECT_FALSE(IconvEncode(u"abc", 12345, bytes, 8));
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(bytes, "kept");
}

struct EncodeCase {
  Text text;
  unsigned codePage;
  std::string bytes;
};

TEST(TextToBytes, EncodesEachCodePageAndMarksWhatItCannotHold) {
  const EncodeCase cases[] = {
      {u"中文", CP_GBK, "\xD6\xD0\xCE\xC4"},
      {u"a€", CP_GBK, "a\x80"},
      {u"한", CP_GBK, "?"},                        // GBK has no Hangul
      {u"x\U0001F600y中", CP_GBK, "x?y\xD6\xD0"},  // a surrogate pair is one character: one "?"
      {Text(u"a") + char16_t(0xD800) + u"b", CP_GBK, "a?b"},  // lone high surrogate
      {Text(u"a") + char16_t(0xDC00), CP_GBK, "a?"},          // lone low surrogate at the end
      {Text(u"a\0b", 3), CP_GBK, "a"},             // ends at the first NUL
      {u"plain ascii", CP_GBK, "plain ascii"},
      {u"中文", CP_BIG5, "\xA4\xA4\xA4\xE5"},
      {u"한국", CP_EUCKR, "\xC7\xD1\xB1\xB9"},
      {u"中\U0001F600", CP_UTF8, "\xE4\xB8\xAD\xF0\x9F\x98\x80"},
      {Text(u"a") + char16_t(0xD800), CP_UTF8, "a\xEF\xBF\xBD"},
      {u"caf\u00E9", 1252, "caf\xE9"},
      {u"abc", 12345, ""},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(TextToBytes(c.text, c.codePage), c.bytes) << TextToUtf8(c.text) << " in " << c.codePage;
  }
  EXPECT_EQ(TextToGbk(u"相册 第1页"), "\xCF\xE0\xB2\xE1 \xB5\xDA" "1\xD2\xB3");
}

TEST(CodePages, RoundTripEveryCodePage) {
  const Text samples[] = {u"相册 2024：第1页《风景》", u"", u"only ascii &amp; <b>"};
  for (unsigned codePage : {CP_GBK, CP_UTF8, CP_BIG5, CP_EUCKR}) {
    for (const Text& sample : samples) {
      const Text& text = sample;
      Bytes bytes = TextToBytes(text, codePage);
      if (codePage == CP_BIG5 || codePage == CP_EUCKR) {
        // Not every character of the sample exists there; what does exist must come back unchanged.
        Text back = BytesToText(bytes, codePage);
        ASSERT_EQ(back.size(), text.size()) << codePage;
        for (std::size_t i = 0; i < text.size(); ++i) EXPECT_TRUE(back[i] == text[i] || back[i] == u'?');
      } else {
        EXPECT_EQ(BytesToText(bytes, codePage), text) << codePage;
      }
    }
  }
  // A whole list page's worth of GBK, ASCII runs and Chinese runs mixed.
  Text page;
  while (page.size() < 100000) page += u"<li class=\"album\"><a href=\"/u/photo-3\">风景 &amp; 人像</a></li>\n";
  EXPECT_EQ(BytesToText(TextToGbk(page), CP_GBK), page);
}

TEST(Utf8, RoundTripsEveryScalarValue) {
  Text all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all.push_back(static_cast<char16_t>(c));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  std::string utf8 = TextToUtf8(all);
  Bytes viaIconv;
  ASSERT_TRUE(IconvEncode(all, CP_UTF8, viaIconv, 16));
  EXPECT_TRUE(utf8 == viaIconv);  // not printed: 4 MB
  EXPECT_TRUE(Utf8ToText(utf8) == all);
  EXPECT_TRUE(BytesToText(utf8, CP_UTF8) == all);
}

TEST(Utf8, ReplacesLoneSurrogatesAndKeepsNul) {
  EXPECT_EQ(TextToUtf8(Text(1, char16_t(0xDC00)) + u"a"), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(TextToUtf8(Text(1, char16_t(0xD800)) + Text(1, char16_t(0xD800))), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToText(std::string("a\0b", 3)), Text(u"a\0b", 3));
  EXPECT_EQ(TextToUtf8(Text(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePageFromSetting, AcceptsOnlyCodePagesThisSystemConverts) {
  struct Case {
    const char* value;
    unsigned codePage;
  } const cases[] = {
      {nullptr, 936}, {"", 936},    {"936", 936},   {"950", 950},  {"65001", 65001}, {"51949", 51949},
      {"1252", 1252}, {"abc", 936}, {"950x", 936},  {" 950", 936}, {"-950", 936},    {"12345", 936},
      {"0", 936},     {"99999999999999999999", 936},
  };
  for (const Case& c : cases) EXPECT_EQ(CodePageFromSetting(c.value), c.codePage) << (c.value ? c.value : "null");
}

TEST(AnsiToText, UsesTheAnsiCodePage) {
  if (!std::getenv("ALBATRIX_ANSI_CODEPAGE")) {
    EXPECT_EQ(AnsiCodePage(), CP_GBK);
  }
  EXPECT_EQ(AnsiToText("\xD6\xD0\xCE\xC4"), BytesToText("\xD6\xD0\xCE\xC4", AnsiCodePage()));
  EXPECT_EQ(AnsiToText("ab\0cd"), u"ab");
  EXPECT_EQ(AnsiToText(nullptr), u"");
}

TEST(CodePages, ConvertConcurrentlyOnEveryThread) {
  // Each thread has its own converters; shared ones would garble or crash here. The text exists in
  // both GBK and Big5.
  Text text;
  for (int i = 0; i < 200; ++i) text += u"第" + Text(1, char16_t(u'0' + i % 10)) + u"張照片 ";
  const Bytes gbk = TextToGbk(text), big5 = TextToBytes(text, CP_BIG5);
  std::vector<int> failures(8, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 200; ++round) {
        if (BytesToText(gbk, CP_GBK) != text || TextToGbk(text) != gbk) ++failures[t];
        if (BytesToText(big5, CP_BIG5) != text || TextToBytes(text, CP_BIG5) != big5) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(8, 0));
}

}  // namespace
}  // namespace albatrix
