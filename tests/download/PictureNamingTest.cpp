#include "download/PictureNaming.h"

#include <gtest/gtest.h>

#include <chrono>

#include "MyCode/FileOps.h"
#include "download/AlbumFiles.h"
#include "download/RunFakes.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::EngineRig;
using test::T;
using test::TempDir;

// A fixed "now" so that time-stamp names can be predicted.
std::chrono::system_clock::time_point FixedNow() {
  return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
}

// The naming step of a run's first album, begun in `base` with the rig's rule as it is at Start.
struct NamingRig : EngineRig {
  TempDir dir;
  Text base = dir.folder();
  explicit NamingRig(const std::vector<std::string>& titles = {"Trip"}) {
    for (const std::string& title : titles) albums.push_back({title, {}});
    ListAlbums();
    plan.now = FixedNow;
  }
  void Start() {
    RunSession& session = NewSession();
    session.Begin(base);
    session.StartAlbum(1, Text());
    started = true;
  }
  void Name(const std::string& url, const std::string& description, std::size_t album = 0) {
    if (!started) Start();
    BuildPictureName(Session(), PictureEntry{T(url), T(description)}, albumList[album]);
  }
  Text Folder() { return Session().Album().Pictures().folder(); }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (const Text& name : Session().Album().Pictures().fileNames()) out.push_back(TextToUtf8(name));
    return out;
  }
  bool started = false;
};

struct NamingCase {
  const char* what;
  int nameSource;
  const char* prefix;
  const char* suffix;
  const char* replaceFrom;
  const char* replaceTo;
  std::vector<std::pair<std::string, std::string>> pictures;  // address, description
  std::vector<std::string> expected;
};

TEST(PictureNaming, NamesFollowTheRules) {
  const std::string stamp = TextToUtf8(LocalTimeStamp(FixedNow()));
  const std::vector<NamingCase> cases = {
      {"sequence numbers", 1, "", "", "", "", {{"http://h/a.jpg", "x"}, {"http://h/b.jpg", "y"}, {"http://h/c", ""}},
       {"1.jpg", "2.jpg", "3.jpg"}},
      {"an unknown name source acts as the number", 7, "", "", "", "", {{"http://h/a.gif", "x"}}, {"1.jpg"}},
      {"duplicates get counters", 0, "", "", "", "", {{"u1", "Sunset"}, {"u2", "Sunset"}, {"u3", "Sunset"}},
       {"Sunset.jpg", "Sunset(1).jpg", "Sunset(2).jpg"}},
      {"duplicates ignore letter case", 0, "", "", "", "", {{"u1", "sunset"}, {"u2", "SUNSET"}},
       {"sunset.jpg", "SUNSET(1).jpg"}},
      {"duplicates ignore case beyond ASCII", 0, "", "", "", "", {{"u1", "Ärger"}, {"u2", "äRGER"}},
       {"Ärger.jpg", "äRGER(1).jpg"}},
      {"a picture extension is kept in its case", 0, "", "", "", "", {{"u1", "photo.PNG"}, {"u2", "photo.PNG"}},
       {"photo.PNG", "photo(1).PNG"}},
      {"other extensions are part of the name", 0, "", "", "", "", {{"u1", "a.webp"}, {"u2", "b.JPEG"}},
       {"a.webp.jpg", "b.JPEG"}},
      {"a counted name that is taken moves on", 0, "", "", "", "",
       {{"u1", "Sun(1)"}, {"u2", "Sun"}, {"u3", "Sun"}, {"u4", "Sun"}},
       {"Sun(1).jpg", "Sun.jpg", "Sun(2).jpg", "Sun(3).jpg"}},
      {"name from the address", 2, "", "", "", "", {{"http://h/x/abc.gif", "d"}, {"/only", "d"}, {"noslash", "d"}},
       {"abc.gif", "2.jpg", "3.jpg"}},
      {"an address ending in / cleans to the time stamp", 2, "", "", "", "", {{"http://h/x/", "d"}},
       {stamp + ".jpg"}},
      {"a description cleaning to nothing takes the album title", 0, "", "", "", "",
       {{"u1", "   "}, {"u2", "***"}}, {"Trip.jpg", "Trip(1).jpg"}},
      {"prefix and suffix", 1, "www_", "_com", "", "", {{"u1", ""}}, {"www_1_com.jpg"}},
      {"replace pairs in order", 0, "", "", "a|b", "1|2", {{"u1", "abc"}}, {"12c.jpg"}},
      {"uneven replace lists leave the pieces alone", 0, "", "", "a|b", "1", {{"u1", "abc"}}, {"abc.jpg"}},
      {"uneven replace lists replace the whole text", 1, "a|b", "", "a|b", "1", {{"u1", ""}}, {"11.jpg"}},
      {"placeholders", 1, "?1_?2_?3_?4_?5_?6_?7_", "", "", "", {{"u1", ""}, {"u2", ""}},
       {"Trip_1_1_0_0_0_1_1.jpg", "Trip_2_1_0_0_0_1_2.jpg"}},
      {"what the rules add is cleaned", 1, "a:b*", "<c>", "", "", {{"u1", ""}}, {"ab1c.jpg"}},
  };
  // The rule alone names the pictures: no folder, no run.
  ST_PERLISTRECORD album;
  album.title = u"Trip";
  for (const NamingCase& c : cases) {
    SCOPED_TRACE(c.what);
    NameRule rule{};
    rule.nameSource = static_cast<std::uint8_t>(c.nameSource);
    SetRuleText(rule.prefix, T(c.prefix));
    SetRuleText(rule.suffix, T(c.suffix));
    SetRuleText(rule.replaceFrom, T(c.replaceFrom));
    SetRuleText(rule.replaceTo, T(c.replaceTo));
    PictureNameContext context;
    context.listedAlbums = 1;
    context.folderLength = 20;
    context.now = FixedNow;
    TakenNames taken;
    std::vector<std::string> names;
    for (const auto& [url, description] : c.pictures) {
      const Text name = UniqueInAlbum(NamePicture(PictureEntry{T(url), T(description)}, album, rule, context), taken);
      taken.Add(name);
      names.push_back(TextToUtf8(name));
      ++context.number;
    }
    EXPECT_EQ(names, c.expected);
  }
  // Through the run's naming step, the same rule names alike.
  NamingRig rig;
  rig.rule.nameSource = 0;
  for (const char* description : {"Sunset", "Sunset"}) rig.Name("u", description);
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"Sunset.jpg", "Sunset(1).jpg"}));
}

TEST(PictureNaming, PlaceholdersOfTheListAndTheRun) {
  NamingRig rig({"A", "B", "C"});
  rig.chosen = {0, 1};  // two albums chosen for the run
  rig.plan.memberKey = T("member/");
  SetRuleText(rig.rule.prefix, T("?9_?6_?7_?8_"));
  rig.Name("u1", "", 2);
  // "?8" brings the member key with its separator, which the cleaning removes.
  EXPECT_EQ(rig.Names(), std::vector<std::string>{"0003_2_3_member_1.jpg"});
  EXPECT_TRUE(test::PathExists(rig.dir.file("C")));
}

TEST(PictureNaming, AlbumFolderFromTheRules) {
  {
    NamingRig rig({"One", "Two"});
    SetRuleText(rig.rule.albumPrefix, T("?9-"));
    SetRuleText(rig.rule.albumSuffix, T("(?3)?2"));
    rig.Name("u1", "", 1);
    // Only "?1", "?3" and "?9" are placeholders here; "?2" loses its "?" to the cleaning.
    EXPECT_EQ(TextToUtf8(rig.Folder()), rig.dir.file(test::PlatformPath("0002-Two(2)2/")));
    EXPECT_TRUE(FolderExists(rig.Folder()));
  }
  {
    // Prefix, title and suffix over 255 bytes: the cut lands after "长. " and Windows would drop the
    // dot and the space, so the folder is named without them.
    std::string title(166, 'x');  // with the 84-byte prefix, "长. " ends at byte 255
    NamingRig rig({title + "长. 尾"});
    SetRuleText(rig.rule.albumPrefix, T("前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀"));
    rig.Name("u1", "");
    const std::string folder = TextToUtf8(rig.Folder());
    EXPECT_EQ(folder, rig.dir.file(test::PlatformPath("前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀前缀" + title + "长/")));
    EXPECT_TRUE(FolderExists(rig.Folder()));
  }
  {
    NamingRig rig;
    rig.rule.albumFolderMode = 1;
    rig.Name("u1", "");
    EXPECT_EQ(rig.Folder(), rig.dir.folder());
    EXPECT_EQ(test::FolderEntries(rig.dir.path()), std::vector<std::string>{});
  }
}

// Page text must never choose where a file goes: every description stays one name inside the album.
TEST(PictureNaming, DescriptionsAreNeverPaths) {
  NamingRig rig;
  rig.rule.nameSource = 0;
  const std::vector<std::string> descriptions = {"C:\\x\\y", "/etc/x", "..", "../../x", "..\\..\\y", "a/../../z"};
  for (std::size_t i = 0; i < descriptions.size(); ++i) rig.Name("u" + std::to_string(i), descriptions[i]);
  EXPECT_EQ(rig.Names(), (std::vector<std::string>{"Cxy.jpg", "etcx.jpg", "。。.jpg", "x.jpg", "y.jpg", "a....z.jpg"}));
  for (const std::string& name : rig.Names()) {
    EXPECT_EQ(name.find('/'), std::string::npos) << name;
    EXPECT_NE(name, "..");
  }
}

TEST(PictureNaming, LengthCapCountsTheFolder) {
  TempDir dir;
  // A folder of exactly `length` code units, built from short levels.
  auto folderOf = [&dir](std::size_t length) {
    std::string path = dir.path();
    const std::size_t target = length - 1;
    while (path.size() < target) {
      std::size_t rest = target - path.size();
      std::size_t level = rest <= 101 ? rest - 1 : std::min<std::size_t>(100, rest - 3);
      path += "/" + std::string(level, 'd');
    }
    path += "/";
    EXPECT_EQ(path.size(), length);
    return path;
  };
  struct Cap {
    std::size_t folderLength;
    std::string description;
    std::string expected;
  };
  const std::vector<Cap> caps = {
      {240, "abcdefghijklmnop.png", "abcdefghij.jpg"},  // cut to 10 before the extension is examined
      {230, "abcdefghijklmnop.png", "abcdefghijklmnop.png"},
      {250, "abc", ".jpg"},
      {260, "abc.png", ".jpg"},
      {240, "abcdefghi\U0001F600xyz", "abcdefghi.jpg"},  // the emoji straddles the cut: dropped whole
      {240, "abcdefgh\U0001F600xyz", "abcdefgh\U0001F600.jpg"},
  };
  for (const Cap& cap : caps) {
    SCOPED_TRACE(cap.folderLength);
    NamingRig rig;
    rig.rule.nameSource = 0;
    rig.rule.albumFolderMode = 1;
    Text folder = T(folderOf(cap.folderLength));
    ASSERT_TRUE(CreateFolders(folder));
    rig.base = folder;
    rig.Name("u1", cap.description);
    EXPECT_EQ(rig.Names(), std::vector<std::string>{cap.expected});
  }
}

TEST(PictureNaming, LongNamesFitThePlatformsNameLimit) {
  NamingRig rig;
  rig.rule.nameSource = 0;
  std::string longName;
  for (int i = 0; i < 100; ++i) longName += "图";  // 300 bytes in UTF-8
  rig.Name("u1", longName);
  rig.Name("u2", longName);
  auto names = rig.Names();
  ASSERT_EQ(names.size(), 2u);
  for (const std::string& name : names) EXPECT_LE(name.size(), kMaxNameBytes) << name;
  EXPECT_EQ(names[0], std::string(longName.substr(0, 83 * 3)) + ".jpg");
  EXPECT_EQ(names[1], std::string(longName.substr(0, 82 * 3)) + "(1).jpg");
  // The file can really be made.
  EXPECT_TRUE(CreateFileWith(rig.Folder() + T(names[1]), "x"));
}

TEST(PictureNaming, ManyEqualNamesStayFast) {
  NamingRig rig;
  rig.rule.nameSource = 0;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 5000; ++i) rig.Name("u" + std::to_string(i), i % 2 ? "Sunset" : "SUNSET");
  auto elapsed = std::chrono::steady_clock::now() - start;
  auto names = rig.Names();
  ASSERT_EQ(names.size(), 5000u);
  EXPECT_EQ(names[0], "SUNSET.jpg");
  EXPECT_EQ(names[1], "Sunset(1).jpg");
  EXPECT_EQ(names[4999], "Sunset(4999).jpg");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 3000);
}

// The skip marker names the first picture of the last run: meeting it ends the album, with the option on.
TEST(PictureNaming, SkipMarkerStopsTheAlbum) {
  struct Case {
    const char* what;
    bool option;
    const char* marked;  // nullptr: no marker file
    std::uint8_t before;
    std::vector<std::string> addresses;
    std::uint8_t after;
    int listed;  // -1: not looked at
  } const cases[] = {
      {"stops at the marked picture", true, "http://h/2.jpg", RUN_BUSY, {"http://h/1.jpg", "http://h/2.jpg"}, RUN_ALBUM_STOP, 1},
      {"the first picture marked lists nothing", true, "http://h/1.jpg", RUN_BUSY, {"http://h/1.jpg"}, RUN_ALBUM_STOP, 0},
      {"without the option the marker means nothing", false, "http://h/1.jpg", RUN_BUSY, {"http://h/1.jpg"}, RUN_BUSY, 1},
      {"no marker matches no address, not even an empty one", true, nullptr, RUN_BUSY, {""}, RUN_BUSY, 1},
      {"a stop never overwrites a cancel", true, "http://h/1.jpg", RUN_CANCEL, {"http://h/1.jpg"}, RUN_CANCEL, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NamingRig rig;
    if (c.option) rig.rule.options = OPT_SKIP_DOWNLOADED;
    if (c.marked) {
      ASSERT_TRUE(CreateFolders(rig.dir.folder() + u"Trip"));
      ASSERT_TRUE(WriteSkipMarker(T(c.marked), rig.dir.folder() + test::PlatformPath(u"Trip/")));
    }
    rig.Start();
    if (c.before == RUN_CANCEL) rig.Session().Flags().RequestCancel();
    for (std::size_t i = 0; i < c.addresses.size(); ++i) {
      // Before the marked picture the run goes on.
      if (i > 0) {
        EXPECT_EQ(rig.Session().Flags().State(), RUN_BUSY);
      }
      rig.Name(c.addresses[i], "");
    }
    EXPECT_EQ(rig.Session().Flags().State(), c.after);
    if (c.listed >= 0) {
      EXPECT_EQ(rig.Session().Album().Pictures().size(), static_cast<std::size_t>(c.listed));
    }
  }
}

TEST(PictureNaming, DescriptionFileBytes) {
  NamingRig rig;
  rig.rule.options = OPT_DESCRIPTION_FILE;
  rig.Name("u1", "x");
  rig.Name("u2", "y");
  rig.Name("u3", "z");
  const char bytes[] = "\xFF\xFEx\0\r\0\n\0y\0\r\0\n\0z\0\r\0\n\0";
  const std::string expected(bytes, 2 + 3 * 6);
  EXPECT_EQ(test::ReadWholeFile(rig.dir.file("Trip/Trip.txt")), expected);
}

TEST(PictureNaming, DescriptionFileStartsAnewAndKeepsTheRawText) {
  NamingRig rig;
  rig.rule.options = OPT_DESCRIPTION_FILE;
  ASSERT_TRUE(CreateFolders(rig.dir.folder() + u"Trip"));
  test::WriteWholeFile(rig.dir.file("Trip/Trip.txt"), "old content");
  rig.rule.nameSource = 0;
  rig.Name("u1", "a&amp;b 图");
  const std::string text = test::ReadWholeFile(rig.dir.file("Trip/Trip.txt"));
  const Text expected = u"\uFEFFa&amp;b 图\r\n";
  std::string bytes;
  for (char16_t c : expected) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  EXPECT_EQ(text, bytes);
  EXPECT_EQ(rig.Names(), std::vector<std::string>{"a&b 图.jpg"});
}

// The hash of the taken-name set must agree with the equality it is used with, or equal names would be
// missed. Every code unit against the partners case folding can give it.
TEST(TakenNamesHash, AgreesWithCaseInsensitiveEquality) {
  TakenNames::Hash hash;
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    Text a(1, static_cast<char16_t>(c));
    for (int delta : {1, -1, 8, -8, 16, -16, 26, -26, 32, -32, 37, -37, 48, -48, 63, -63, 64, -64, 80, -80}) {
      int d = static_cast<int>(c) + delta;
      if (d <= 0 || d >= 0x10000 || (d >= 0xD800 && d <= 0xDFFF)) continue;
      Text b(1, static_cast<char16_t>(d));
      if (EqualsIgnoringCase(a, b)) {
        ASSERT_EQ(hash(a), hash(b)) << std::hex << c << " " << d;
      }
    }
    for (char16_t special : {u'i', u'k', u's', u'\u00FF', u'\u00E5'}) {
      Text b(1, special);
      if (EqualsIgnoringCase(a, b)) {
        ASSERT_EQ(hash(a), hash(b)) << std::hex << c;
      }
    }
  }
}

}  // namespace
}  // namespace albatrix
