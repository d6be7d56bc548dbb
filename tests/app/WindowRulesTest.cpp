// The window's rules that need no window: start-up, the save path from a drop and its history, the CSV
// export's bytes, the autocomplete list and which input controls each activity leaves on.
#include <gtest/gtest.h>
#include <set>

#include "app/AlbatrixController.h"
#include "app/ComboFilter.h"
#include "app/CsvExport.h"
#include "app/InputLook.h"
#include "app/SavePathRules.h"
#include "app/StartupRules.h"
#include "MyCode/FileSystem.h"
#include "MyCode/FileTimes.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::PlatformPath;
using test::TempDir;

TEST(StartupRulesTest, ClipboardTextOfOneTo199UnitsGoesIntoTheMemberBox) {
  EXPECT_EQ(ClipboardMemberText(u"  http://my.hupu.com/abc \r\n"), Text(u"http://my.hupu.com/abc"));
  EXPECT_EQ(ClipboardMemberText(Text(199, u'x')), Text(199, u'x'));
  // The count is taken after trimming.
  EXPECT_EQ(ClipboardMemberText(u" " + Text(199, u'x') + u" "), Text(199, u'x'));
  EXPECT_FALSE(ClipboardMemberText(Text(200, u'x')));
  EXPECT_FALSE(ClipboardMemberText(u" \t\r\n "));
  EXPECT_FALSE(ClipboardMemberText(u""));
  // Units, not characters: 100 characters outside the BMP are 200 units.
  Text pairs;
  for (int i = 0; i < 100; ++i) pairs += u"\U0001F600";
  EXPECT_FALSE(ClipboardMemberText(pairs));
}

TEST(StartupRulesTest, TemporaryProgramFolders) {
  struct Case {
    const char16_t* folder;
    bool temporary;
  } cases[] = {
      {u"/tmp/unpack/Temp/albatrix/", true}, {u"/home/u/TEMP/", true},    {u"/home/u/tEmP/x/", true},
      {u"/home/u/.Locals/", false},          {u"/home/u/Locals/", true},  {u"/home/u/localsoft/", true},
      {u"/home/u/temporary/", false},        {u"/home/u/mytemp/", false}, {u"/home/u/albatrix/", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunsFromTemporaryFolder(PlatformPath(Text(c.folder))), c.temporary) << TextToUtf8(c.folder);
  EXPECT_EQ(DocumentsSavePath(PlatformPath(u"/home/u/Documents")), PlatformPath(u"/home/u/Documents/Albatrix/"));
  EXPECT_EQ(DocumentsSavePath(PlatformPath(u"/home/u/Documents/")), PlatformPath(u"/home/u/Documents/Albatrix/"));
}

TEST(StartupRulesTest, DocumentsFolderTakesTheProgramFolderPlace) {
  const Text temporary = PlatformPath(u"/tmp/x/Temp/albatrix/"), ordinary = PlatformPath(u"/home/u/albatrix/");
  auto at = [](const Text& programFolder, bool named, TextView newestSavePath) {
    StartupDocuments d = DocumentsAtStartup(programFolder, named, PlatformPath(u"/home/u/Documents"), newestSavePath);
    return std::pair(d.folder, d.intoSavePathBox);
  };
  const Text documents = PlatformPath(u"/home/u/Documents/Albatrix/");
  EXPECT_EQ(at(temporary, false, u""), std::pair(documents, true));
  EXPECT_EQ(at(ordinary, true, u""), std::pair(documents, true));
  // The user's own save path stays in the box; the documents folder is made all the same.
  EXPECT_EQ(at(temporary, true, PlatformPath(u"/data/pics/")), std::pair(documents, false));
  EXPECT_EQ(at(ordinary, false, u""), std::pair(Text(), false));
}

TEST(StartupRulesTest, CommandLine) {
  using Args = std::vector<std::string>;
  WindowOptions demo = ParseWindowArguments({"--demo"}, "http://127.0.0.1:1");
  EXPECT_TRUE(demo.demo);
  EXPECT_EQ(demo.site, "");  // the demo brings its own site
  EXPECT_EQ(ParseWindowArguments({"--site", "http://127.0.0.1:9"}, "http://127.0.0.1:1").site, "http://127.0.0.1:9");
  EXPECT_EQ(ParseWindowArguments({"--site=http://a.b"}, nullptr).site, "http://a.b");
  EXPECT_EQ(ParseWindowArguments({}, "http://127.0.0.1:1").site, "http://127.0.0.1:1");
  EXPECT_EQ(ParseWindowArguments({}, nullptr).site, "");
  EXPECT_TRUE(ParseWindowArguments({"-h"}, nullptr).help);
  EXPECT_EQ(ParseWindowArguments({"--program-folder", "/srv/a b", "--demo"}, nullptr).programFolder, "/srv/a b");
  EXPECT_EQ(ParseWindowArguments({"--program-folder=data"}, nullptr).programFolder, "data");
  EXPECT_EQ(ParseWindowArguments({}, nullptr).proxy.kind, ProxyChoice::Kind::System);
  EXPECT_EQ(ParseWindowArguments({"--proxy", "none"}, nullptr).proxy.kind, ProxyChoice::Kind::None);
  EXPECT_EQ(ParseWindowArguments({"--proxy=proxy.lan:3128"}, nullptr).proxy.proxy, "http://proxy.lan:3128");
  for (const Args& bad : {Args{"--site"}, Args{"--site", "127.0.0.1:9"}, Args{"--demo", "--site", "http://a"},
                          Args{"--frobnicate"}, Args{"--program-folder"}, Args{"--program-folder="},
                          Args{"--proxy"}, Args{"--proxy", "ftp://proxy.lan"}})
    EXPECT_FALSE(ParseWindowArguments(bad, nullptr).error.empty()) << bad[0];
  EXPECT_EQ(ParseWindowArguments({}, "ftp://x").error, "--site needs an http:// or https:// address, not 'ftp://x'");
  WindowOptions tls = ParseWindowArguments({}, "https://127.0.0.1:1");
  EXPECT_EQ(tls.site, "https://127.0.0.1:1");
  EXPECT_EQ(tls.error, "");
  std::string usage = WindowUsage();
  EXPECT_NE(usage.find("--demo"), std::string::npos);
  EXPECT_NE(usage.find("--site URL"), std::string::npos);
  EXPECT_NE(usage.find("--program-folder DIR"), std::string::npos);
  EXPECT_NE(usage.find("--proxy none"), std::string::npos);
  EXPECT_NE(usage.find("Without --program-folder the current directory is the program folder"), std::string::npos);
  EXPECT_NE(usage.find("http:// and\nhttps:// are both accepted"), std::string::npos);
}

TEST(StartupRulesTest, ProgramFolderPaths) {
  const Text current = PlatformPath(u"/home/u/");
  struct Case {
    const char16_t* named;
    const char16_t* folder;
  } cases[] = {
      {u"/srv/albatrix", u"/srv/albatrix/"},
      {u"/srv/albatrix/", u"/srv/albatrix/"},
      {u"data/x", u"/home/u/data/x/"},  // from the current directory, where the user typed it
      {u"", u"/home/u/"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgramFolderPath(Text(c.named), current), PlatformPath(Text(c.folder))) << TextToUtf8(c.named);
}

TEST(StartupRulesTest, TakingTheProgramFolder) {
  TempDir dir;
  ProgramFolder made = TakeProgramFolder(dir.file("a/b"));
  EXPECT_EQ(made.error, "");
  EXPECT_EQ(made.path, dir.folder() + PlatformPath(u"a/b/"));
  EXPECT_TRUE(FolderExists(made.path));
  EXPECT_EQ(TakeProgramFolder(dir.file("a/b")).error, "");  // there already
  EXPECT_EQ(TakeProgramFolder("").path, CurrentFolder());

  test::WriteWholeFile(dir.file("f"), "x");
  EXPECT_EQ(TakeProgramFolder(dir.file("f")).error, "the program folder '" + dir.file("f") + "' is a file, not a folder");
  EXPECT_EQ(TakeProgramFolder(dir.file("f/sub")).error, "the program folder '" + dir.file("f/sub") + "' cannot be created");
}

TEST(SavePathRulesTest, DroppedPaths) {
  struct Case {
    const char16_t* path;
    DroppedKind kind;
    const char16_t* savePath;
  } cases[] = {
      {u"/pics/a.jpg", DroppedKind::File, u"/pics/"},
      {u"/pics", DroppedKind::Folder, u"/pics/"},
      {u"/pics/", DroppedKind::Folder, u"/pics/"},
      // A folder with a dot in its name is that folder, not its parent.
      {u"/home/u/my.pics", DroppedKind::Folder, u"/home/u/my.pics/"},
      // A file without an extension still stands for its folder.
      {u"/pics/README", DroppedKind::File, u"/pics/"},
      {u"/a.jpg", DroppedKind::File, u"/"},
      // Gone by the time it is read: the text decides.
      {u"/gone/b.png", DroppedKind::Missing, u"/gone/"},
      {u"/gone.d/sub", DroppedKind::Missing, u"/gone.d/sub/"},
      {u"", DroppedKind::Missing, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DroppedSavePath(PlatformPath(Text(c.path)), c.kind), PlatformPath(Text(c.savePath))) << TextToUtf8(c.path);
  EXPECT_EQ(FolderWithSeparator(PlatformPath(u"/x")), PlatformPath(u"/x/"));
  EXPECT_EQ(FolderWithSeparator(u""), u"");
}

TEST(SavePathRulesTest, HistoryInOtherCaseChangesNeitherHistoryNorFile) {
  TempDir dir;
  test::FakeView view;
  AlbatrixController controller(view, dir.folder());
  controller.Initialize();
  EXPECT_TRUE(controller.AddSavePathHistory(u"/Pics/Summer/"));
  EXPECT_EQ(view.Candidates(Control::SavePath).back(), u"/Pics/Summer/");
  std::string before = test::ReadWholeFile(dir.file("soft.dat"));
  ASSERT_EQ(before.size(), kSettingsFileSize);
  // An old stamp on the file shows whether anything writes it again.
  constexpr std::int64_t kStamp = 1000000000;
  ASSERT_TRUE(SetFileTimes(Utf8ToText(dir.file("soft.dat")), kStamp));

  std::size_t candidates = view.Candidates(Control::SavePath).size();
  EXPECT_FALSE(controller.AddSavePathHistory(u"/pics/SUMMER/"));
  EXPECT_FALSE(controller.AddSavePathHistory(Text(400, u'a')));
  EXPECT_EQ(view.Candidates(Control::SavePath).size(), candidates);
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")), before);
  std::int64_t written = 0;
  ASSERT_TRUE(GetFileWriteTime(Utf8ToText(dir.file("soft.dat")), written));
  EXPECT_EQ(written, kStamp) << "the file was written again";
  EXPECT_EQ(SlotText(controller.SettingsCopy().savePathHistory[0]), u"/Pics/Summer/");
}

TEST(CsvExportTest, Lines) {
  struct Case {
    TextArray cells;
    std::string bytes;
  } cases[] = {
      {{u"0001", u"夏天", u"  12", u"", u"", u""}, "0001,\xCF\xC4\xCC\xEC,  12,,,,\r\n"},
      {{u"a,b"}, "a','b,\r\n"},
      {{u"say \"hi\""}, "say \"\"hi\"\",\r\n"},
      {{u"it's"}, "its,\r\n"},
      {{u"'a','b'"}, "a','b,\r\n"},  // apostrophes go before commas are turned
      {{u"\U0001F600x"}, "?x,\r\n"},  // GBK has no emoji
      {{}, "\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvLine(c.cells), c.bytes);
}

TEST(CsvExportTest, FileIsWholeOrAbsent) {
  TempDir dir;
  Text path = Utf8ToText(dir.file("out.csv"));
  ASSERT_TRUE(WriteCsvFile(path, {{u"1", u"a"}, {u"2", u"b"}}));
  EXPECT_EQ(test::ReadWholeFile(dir.file("out.csv")), "1,a,\r\n2,b,\r\n");
  ASSERT_TRUE(WriteCsvFile(path, {}));
  EXPECT_TRUE(test::PathExists(dir.file("out.csv")));
  EXPECT_EQ(test::ReadWholeFile(dir.file("out.csv")), "");
  // A folder that does not exist: nothing written, nothing left.
  EXPECT_FALSE(WriteCsvFile(Utf8ToText(dir.file("missing/out.csv")), {{u"x"}}));
  EXPECT_FALSE(test::PathExists(dir.file("missing")));

  EXPECT_EQ(WithCsvExtension(u"/x/list"), u"/x/list.csv");
  EXPECT_EQ(WithCsvExtension(u"/x/list.CSV"), u"/x/list.CSV");
  EXPECT_EQ(WithCsvExtension(u"/x/list.txt"), u"/x/list.txt.csv");
}

TEST(ComboFilterTest, Examples) {
  Text marked = Text(u"abc") + Text(kCandidateSeparator) + u"xyz";
  struct Case {
    TextArray candidates;
    const char16_t* typed;
    TextArray shown;
  } cases[] = {
      {{u"D:\\Pics", u"d:\\photos"}, u"PIC", {u"D:\\Pics"}},
      {{marked}, u"b", {u"abc"}},
      {{marked}, u"xyz", {u"abc"}},
      {{u"/Pics/", u"/Pics/", u"/pics/"}, u"p", {u"/Pics/", u"/Pics/", u"/pics/"}},  // no de-duplication
      {{u"/a/", u"/b/"}, u"zz", {}},
      {{u"/a/"}, u"", {}},
      {{u"http://my.hupu.com/ÄBC", u"相册Ä"}, u"ä", {u"http://my.hupu.com/ÄBC", u"相册Ä"}},
  };
  for (const Case& c : cases) EXPECT_EQ(FilterCandidates(c.candidates, c.typed), c.shown) << TextToUtf8(c.typed);
  EXPECT_EQ(LowerText(u"ABC相册ÀΣЖＡ"), u"abc相册àσжａ");
}

}  // namespace
}  // namespace albatrix

namespace albatrix {
namespace {

// Every look names each input control once; the table gives the ones it turns off.
TEST(InputLookTest, EachActivityTurnsOffWhatItEmptiesOrReads) {
  using C = Control;
  struct Case {
    InputBusy busy;
    bool preview;
    bool hasAlbums;
    std::set<Control> off;
  } cases[] = {
      {InputBusy::None, false, true, {}},
      {InputBusy::None, false, false, {C::Download}},
      {InputBusy::None, true, true, {C::Filter, C::Find}},
      {InputBusy::Listing, false, true, {C::Site, C::Member, C::Download, C::Preview, C::Filter, C::Find, C::Export}},
      {InputBusy::Running, false, false, {C::Site, C::Member, C::GetAlbums, C::SavePath, C::ChooseFolder}},
      {InputBusy::Running, true, true, {C::Site, C::Member, C::GetAlbums, C::SavePath, C::ChooseFolder, C::Filter, C::Find}},
  };
  for (const Case& c : cases) {
    const InputLook look = InputLookOf(c.busy, c.preview, c.hasAlbums);
    std::set<Control> named, off;
    for (const auto& [control, enabled] : look.enabled) {
      EXPECT_TRUE(named.insert(control).second) << control << " twice";
      if (!enabled) off.insert(control);
    }
    EXPECT_EQ(named.size(), 10u);
    EXPECT_EQ(off, c.off) << "busy " << static_cast<int>(c.busy) << " preview " << c.preview;
  }
}

}  // namespace
}  // namespace albatrix
