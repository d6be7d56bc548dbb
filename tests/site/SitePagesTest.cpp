// Text helpers of the album site's pages (the pages themselves are walked over HTTP in AlbumSiteTest).
#include <gtest/gtest.h>

#include "site/SitePages.h"

namespace albatrix::test {
namespace {

TEST(SitePages, HtmlEscapeCoversEverythingThatWouldEndAnAttribute) {
  struct Case {
    const char16_t* text;
    const char* html;
  } cases[] = {{u"Tom & Jerry", "Tom &amp; Jerry"},
               {u"他说\"你好\"", "他说&quot;你好&quot;"},
               {u"It's", "It&#39;s"},
               {u"<li>", "&lt;li&gt;"},
               {u"&quot;", "&amp;quot;"},
               {u"", ""}};
  for (const auto& c : cases) EXPECT_EQ(HtmlEscape(c.text), c.html);
}

TEST(SitePages, PageCount) {
  struct Case {
    std::size_t items;
    int perPage, pages;
  } cases[] = {{0, 3, 1}, {1, 3, 1}, {3, 3, 1}, {4, 3, 2}, {7, 3, 3}, {2000, 20, 100}, {5, 0, 5}};
  for (const auto& c : cases) EXPECT_EQ(PageCount(c.items, c.perPage), c.pages) << c.items << "/" << c.perPage;
}

}  // namespace
}  // namespace albatrix::test
