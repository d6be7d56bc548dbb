#include "model/PictureList.h"

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/WaitFor.h"

namespace albatrix {
namespace {

Text T(const std::string& s) { return Utf8ToText(s); }

TEST(PictureListTest, ArraysGrowAndClearTogether) {
  PictureList list;
  EXPECT_EQ(list.size(), 0u);
  list.SetFolder(u"/save/member/");
  list.Append(u"http://a/1.jpg", u"1.jpg", u"");
  list.Append(u"http://a/2.jpg\r\nhttp://b/2.jpg", u"2.jpg", u"Referer: x");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.url(1), u"http://a/2.jpg\r\nhttp://b/2.jpg");
  EXPECT_EQ(list.fileName(1), u"2.jpg");
  EXPECT_EQ(list.requestHeader(0), u"");
  EXPECT_EQ(list.requestHeader(1), u"Referer: x");
  EXPECT_EQ(list.urls(), (TextArray{u"http://a/1.jpg", u"http://a/2.jpg\r\nhttp://b/2.jpg"}));
  EXPECT_EQ(list.fileNames(), (TextArray{u"1.jpg", u"2.jpg"}));
  // Out of range reads as empty rather than failing.
  EXPECT_EQ(list.url(2), u"");
  EXPECT_EQ(list.fileName(5), u"");
  EXPECT_EQ(list.requestHeader(2), u"");

  list.Clear();
  EXPECT_EQ(list.size(), 0u);
  EXPECT_TRUE(list.urls().empty());
  EXPECT_TRUE(list.fileNames().empty());
  EXPECT_EQ(list.requestHeader(0), u"");
  EXPECT_EQ(list.folder(), u"/save/member/");  // the run resets the folder itself
}

TEST(PictureListTest, FileNamesCanBeChangedAndSearched) {
  PictureList list;
  list.Append(u"u1", u"a.jpg", u"");
  list.Append(u"u2", u"B.JPG", u"");
  EXPECT_TRUE(list.SetFileName(0, u"a.png"));
  EXPECT_FALSE(list.SetFileName(2, u"c.png"));
  EXPECT_EQ(list.fileNames(), (TextArray{u"a.png", u"B.JPG"}));
  int calls = 0;
  EXPECT_TRUE(list.AnyFileName([&calls](const Text& n) { ++calls; return n == u"a.png"; }));
  EXPECT_EQ(calls, 1);  // stops at the first hit
  EXPECT_FALSE(list.AnyFileName([](const Text& n) { return n == u"b.jpg"; }));
}

TEST(PictureListTest, ConcurrentReadersSeeWholeEntries) {
  // A reader polling while the run thread appends and clears: each read is either empty (cleared in
  // between) or exactly the entry of that index. Under ThreadSanitizer this also proves the locking.
  PictureList list;
  std::atomic<bool> done{false};
  std::atomic<int> bad{0};
  std::atomic<int> reads{0};
  std::thread reader([&] {
    while (!done) {
      std::size_t n = list.size();
      if (n == 0) continue;
      std::string index = std::to_string(n - 1);
      Text url = list.url(n - 1);
      Text name = list.fileName(n - 1);
      if (!url.empty() && url != T("u" + index)) ++bad;
      if (!name.empty() && name != T("f" + index)) ++bad;
      ++reads;
    }
  });
  for (int round = 0; round < 20; ++round) {
    for (int i = 0; i < 200; ++i) list.Append(T("u" + std::to_string(i)), T("f" + std::to_string(i)), u"");
    if (round < 19) list.Clear();
  }
  EXPECT_TRUE(test::WaitFor([&] { return reads.load() > 0; }));  // the list stays full now
  done = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(list.size(), 200u);
}

}  // namespace
}  // namespace albatrix
