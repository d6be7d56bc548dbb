#include <gtest/gtest.h>

#include "discovery/SiteRecognition.h"

namespace albatrix {
namespace {

TEST(SiteProfile, DerivesFragmentAndEndingFromTheBase) {
  struct Case {
    const char16_t* base;
    const char16_t* fragment;
    const char16_t* ending;
  };
  const Case cases[] = {
      {u"http://my.hupu.com", u"hupu.com/", u".com/"},
      {u"http://my.hupu.com/", u"hupu.com/", u".com/"},
      {u"http://127.0.0.1:8123", u"127.0.0.1:8123/", u".1:8123/"},
      {u"http://photos.example.co:81", u"example.co:81/", u".co:81/"},
      {u"http://localhost:9000", u"localhost:9000/", u"localhost:9000/"},
      {u"http://example.org", u"example.org/", u".org/"},
  };
  for (const Case& c : cases) {
    SiteProfile profile{TextView(c.base)};
    EXPECT_EQ(profile.HostFragment(), c.fragment) << TextToUtf8(c.base);
    EXPECT_EQ(profile.DomainEnding(), c.ending) << TextToUtf8(c.base);
  }
  EXPECT_EQ(SiteProfile().BaseAddress(), u"http://my.hupu.com");
  EXPECT_EQ(SiteProfile().HostFragment(), u"hupu.com/");
}

TEST(SiteProfile, PageAddressesFollowTheTemplates) {
  SiteProfile profile(u"http://127.0.0.1:8123/");
  EXPECT_EQ(profile.AlbumListPageAddress(u"kobe", 3), u"http://127.0.0.1:8123/kobe/photo-3");
  EXPECT_EQ(profile.AlbumPageAddress(u"kobe/photo/a12", 1), u"http://127.0.0.1:8123/kobe/photo/a12-1.html");
}

TEST(SiteProfile, LoginAddressIsTheCommunitysPassportOrTheBasesOwnForm) {
  EXPECT_EQ(SiteProfile().LoginAddress(), u"https://passport.hupu.com/login");
  EXPECT_EQ(SiteProfile(u"http://www.hupu.com/").LoginAddress(), u"https://passport.hupu.com/login");
  EXPECT_EQ(SiteProfile(u"http://127.0.0.1:8123/").LoginAddress(), u"http://127.0.0.1:8123/login");
  EXPECT_EQ(SiteProfile(u"http://hupu.com.example.org").LoginAddress(), u"http://hupu.com.example.org/login");
}

TEST(SiteRecognition, MatchesTypedAddresses) {
  const SiteProfile hupu;
  const SiteProfile standIn(u"http://127.0.0.1:8123");
  struct Case {
    const char* what;
    const char16_t* text;
    const SiteProfile* profile;
    int current;
    bool changes;
    int entry;
    int subType;
  };
  const Case cases[] = {
      {"a bare member id changes nothing", u"kobe24", &hupu, 3, false, 0, 0},
      {"the community's address", u"http://my.hupu.com/kobe/photo", &hupu, 0, true, 15, -1},
      {"the stand-in's address", u"http://127.0.0.1:8123/kobe", &standIn, 4, true, 15, -1},
      {"the community is unknown to another profile", u"http://my.hupu.com/kobe", &standIn, 4, true, 4, -1},
      {"no row matches: the selection stays", u"http://example.org/x", &hupu, 7, true, 7, -1},
      {"no row matches and nothing selected", u"http://example.org/x", &hupu, -1, true, -1, -1},
      {"a fragment only at index 0 is no match", u"hupu.com/http://", &hupu, 2, true, 2, -1},
      {"two rows: the earlier row wins", u"http://my.hupu.com/?from=baidu.com/", &hupu, 15, true, 1, -1},
      {"the domain without slash of site 4", u"http://weibo.com", &hupu, 0, true, 4, -1},
      {"site 0 with the first sub-type host", u"http://qzone.qq.com/123?t.qq.com", &hupu, 15, true, 0, 2},
      {"site 0 with the second sub-type host", u"http://qun.qq.com/123", &hupu, 15, true, 0, 1},
      {"site 0 with both: the first wins", u"http://qun.qq.com/t.qq.com/", &hupu, 15, true, 0, 2},
      {"site 0 with neither sub-type", u"http://user.qzone.qq.com/123", &hupu, 15, true, 0, -1},
      {"sub-type hosts only count for site 0", u"http://my.hupu.com/t.qq.com", &hupu, 0, true, 15, -1},
      {"case matters", u"http://MY.HUPU.COM/kobe", &hupu, 9, true, 9, -1},
      {"an https address, as a browser gives it", u"https://my.hupu.com/kobe/photo", &hupu, 0, true, 15, -1},
      {"the stand-in's https address", u"https://127.0.0.1:8123/kobe", &standIn, 4, true, 15, -1},
      {"https for site 0 with a sub-type host", u"https://qun.qq.com/123", &hupu, 15, true, 0, 1},
      {"a scheme without its slashes changes nothing", u"https:my.hupu.com/kobe", &hupu, 3, false, 0, 0},
      {"another scheme changes nothing", u"ftp://my.hupu.com/kobe", &hupu, 3, false, 0, 0},
  };
  for (const Case& c : cases) {
    std::optional<SiteMatch> match = MatchSite(c.text, c.current, *c.profile);
    ASSERT_EQ(match.has_value(), c.changes) << c.what;
    if (!match) continue;
    EXPECT_EQ(match->siteEntry, c.entry) << c.what;
    EXPECT_EQ(match->subTypeEntry, c.subType) << c.what;
  }
}

}  // namespace
}  // namespace albatrix
