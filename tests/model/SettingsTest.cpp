#include "model/Settings.h"


#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/DiskFull.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

std::uint16_t U16At(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

// A block whose bytes are known at known offsets; every other byte is zero.
SettingsBlock KnownBlock() {
  SettingsBlock block;
  block.downloadLimits[0] = {1, 2, 3, 40};
  block.downloadLimits[23] = {0x1234, 0xABCD, 15, 600};
  NameRule& rule = block.nameRules[15];
  SetRuleText(rule.prefix, u"前");
  SetRuleText(rule.albumSuffix, u"z");
  rule.options = 0x0142;
  rule.nameSource = 2;
  rule.albumFolderMode = 1;
  SetSlotText(block.memberHistory[0], u"m");
  SetSlotText(block.memberHistory[4], u"ab");
  SetSlotText(block.savePathHistory[1], u"/p");
  SetSlotText(block.savePathHistory[4], u"q");
  return block;
}

TEST(SettingsFileTest, GoldenBytes) {
  const std::string bytes = SerializeSettings(KnownBlock());
  ASSERT_EQ(bytes.size(), 19808u);
  const std::vector<std::pair<std::size_t, std::string>> expected = {
      {0, std::string("\x01\x00\x02\x00\x03\x00\x28\x00", 8)},      // DownloadLimits[0]
      {184, std::string("\x34\x12\xCD\xAB\x0F\x00\x58\x02", 8)},    // DownloadLimits[23]
      {7452, std::string("\x4D\x52", 2)},                           // NameRule[15].prefix "前"
      {7852, std::string("\x7A", 1)},                               // NameRule[15].albumSuffix "z"
      {7932, std::string("\x42\x01\x02\x01", 4)},                   // options, nameSource, folder mode
      {11808, std::string("m", 1)},                                 // memberHistory[0]
      {15008, std::string("a\0b", 3)},                              // memberHistory[4]
      {16608, std::string("/\0p", 3)},                              // savePathHistory[1]
      {19008, std::string("q", 1)},                                 // savePathHistory[4]
  };
  std::string zeros(bytes.size(), '\0');
  std::string rebuilt = zeros;
  for (const auto& [offset, value] : expected) {
    EXPECT_EQ(bytes.substr(offset, value.size()), value) << "at " << offset;
    rebuilt.replace(offset, value.size(), value);
  }
  EXPECT_EQ(bytes, rebuilt) << "a byte outside the known fields is set";
}

TEST(SettingsFileTest, ParseIsTheInverseAndKeepsSlotTails) {
  // Arbitrary bytes, as an old or foreign file may hold: parse and serialise give them back unchanged,
  // including what follows the terminators and unterminated slots.
  std::mt19937 random(42);
  std::string bytes(19808, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  SettingsBlock block = ParseSettings(bytes);
  EXPECT_EQ(SerializeSettings(block), bytes);
  EXPECT_EQ(block.downloadLimits[1].threads, U16At(bytes, 12));
  EXPECT_EQ(block.nameRules[0].options, U16At(bytes, 192 + 480));
  EXPECT_LE(RuleText(block.nameRules[3].replaceTo).size(), 40u);
  EXPECT_LE(SlotText(block.savePathHistory[2]).size(), 400u);
}

TEST(SettingsFileTest, RepairRules) {
  struct Case {
    std::uint16_t threads, timeout, wantThreads, wantTimeout;
  };
  const Case cases[] = {
      {0, 0, 5, 30}, {1, 10, 1, 10}, {15, 9, 15, 30}, {16, 65535, 5, 65535}, {65535, 11, 5, 11},
  };
  for (const Case& c : cases) {
    SettingsBlock block;
    for (DownloadLimits& limits : block.downloadLimits) limits = {65535, 7, c.threads, c.timeout};
    RepairSettings(block);
    for (const DownloadLimits& limits : block.downloadLimits) {
      EXPECT_EQ(limits.threads, c.wantThreads) << c.threads;
      EXPECT_EQ(limits.timeoutSeconds, c.wantTimeout) << c.timeout;
      EXPECT_EQ(limits.minKB, 65535);  // never repaired
      EXPECT_EQ(limits.maxKB, 7);
    }
  }
}

struct BoxLog {
  std::vector<HistoryKind> cleared;
  std::vector<std::pair<HistoryKind, Text>> added;
  HistoryBoxes boxes() {
    return {[this](HistoryKind which) { cleared.push_back(which); },
            [this](HistoryKind which, const Text& t) { added.emplace_back(which, t); }};
  }
};

// Without a file the first-run values are taken and written; an empty file counts as present, so it gets
// the repaired values without the first-run bits. Where no file can be written (a missing folder, a folder
// in the file's place), the values stay in memory and nothing is made.
TEST(LoadSettingsTest, ValuesOfAMissingOrEmptyFileAndWhereTheyGo) {
  enum class Start { NoFile, EmptyFile, MissingFolder, FolderInPlace };
  struct Case {
    const char* name;
    Start start;
    bool present;
    bool saved;
  } const cases[] = {
      {"no file", Start::NoFile, false, true},
      {"an empty file", Start::EmptyFile, true, true},
      {"a missing folder", Start::MissingFolder, false, false},
      {"a folder in the file's place", Start::FolderInPlace, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.start == Start::EmptyFile) WriteWholeFile(dir.file("soft.dat"), "");
    if (c.start == Start::FolderInPlace) std::filesystem::create_directory(dir.file("soft.dat"));
    SettingsBlock block = KnownBlock();  // whatever was in memory goes
    const SettingsLoadResult result =
        LoadSettings(block, c.start == Start::MissingFolder ? dir.folder() + u"missing/" : dir.folder());
    EXPECT_EQ(result.filePresent, c.present);
    EXPECT_EQ(result.saved, c.saved);
    for (std::size_t site = 0; site < kSiteCount; ++site) {
      EXPECT_EQ(block.downloadLimits[site].threads, 5);
      EXPECT_EQ(block.downloadLimits[site].timeoutSeconds, 30);
      EXPECT_EQ(block.downloadLimits[site].minKB, 0);
      std::uint16_t options = site == 7 ? 0x082 : (site == 11 || site == 16) ? OPT_FIX_ORDER : 0;
      EXPECT_EQ(block.nameRules[site].options, c.present ? 0 : options) << site;
      EXPECT_EQ(block.nameRules[site].nameSource, !c.present && site == 8 ? 1 : 0) << site;
      EXPECT_EQ(RuleText(block.nameRules[site].prefix), u"");
    }
    EXPECT_FALSE(test::PathExists(dir.file("missing")));
    if (!c.saved) continue;
    const std::string bytes = ReadWholeFile(dir.file("soft.dat"));
    ASSERT_EQ(bytes.size(), 19808u);
    EXPECT_EQ(bytes, SerializeSettings(block));
    EXPECT_EQ(U16At(bytes, 192 + 7 * 484 + 480), c.present ? 0 : 0x082);
    EXPECT_EQ(static_cast<unsigned char>(bytes[192 + 8 * 484 + 482]), c.present ? 0 : 1);
  }
}

TEST(LoadSettingsTest, ShortFileIsRepairedAndCompleted) {
  TempDir dir;
  // Site 0: minKB 3, maxKB 4, threads 16, timeout 9; site 1: threads 15, timeout 10; then the file ends.
  WriteWholeFile(dir.file("soft.dat"), std::string("\x03\x00\x04\x00\x10\x00\x09\x00\x00\x00\x00\x00\x0F\x00\x0A\x00", 16));
  SettingsBlock block;
  LoadSettings(block, dir.folder());
  EXPECT_EQ(block.downloadLimits[0].minKB, 3);
  EXPECT_EQ(block.downloadLimits[0].maxKB, 4);
  EXPECT_EQ(block.downloadLimits[0].threads, 5);
  EXPECT_EQ(block.downloadLimits[0].timeoutSeconds, 30);
  EXPECT_EQ(block.downloadLimits[1].threads, 15);
  EXPECT_EQ(block.downloadLimits[1].timeoutSeconds, 10);
  EXPECT_EQ(block.downloadLimits[2].threads, 5);
  EXPECT_EQ(block.nameRules[7].options, 0);
  const std::string bytes = ReadWholeFile(dir.file("soft.dat"));
  ASSERT_EQ(bytes.size(), 19808u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x03\x00\x04\x00\x05\x00\x1E\x00", 8));
}

TEST(LoadSettingsTest, LongFileIsCutToTheBlock) {
  TempDir dir;
  SettingsBlock written = KnownBlock();
  RepairSettings(written);
  const std::string bytes = SerializeSettings(written);
  WriteWholeFile(dir.file("soft.dat"), bytes + "trailing garbage");
  SettingsBlock block;
  LoadSettings(block, dir.folder());
  EXPECT_EQ(ReadWholeFile(dir.file("soft.dat")), bytes);
  EXPECT_EQ(RuleText(block.nameRules[15].prefix), u"前");
}

TEST(LoadSettingsTest, GarbageFileLoadsWithLimitsInRange) {
  TempDir dir;
  std::mt19937 random(7);
  std::string garbage(19808, '\0');
  for (char& b : garbage) b = static_cast<char>(random());
  WriteWholeFile(dir.file("soft.dat"), garbage);
  SettingsBlock block;
  BoxLog log;
  LoadSettings(block, dir.folder(), log.boxes());
  for (const DownloadLimits& limits : block.downloadLimits) {
    EXPECT_GE(limits.threads, 1);
    EXPECT_LE(limits.threads, 15);
    EXPECT_GE(limits.timeoutSeconds, 10);
  }
  // Everything but the repaired limits is written back as it was read.
  const std::string saved = ReadWholeFile(dir.file("soft.dat"));
  ASSERT_EQ(saved.size(), 19808u);
  EXPECT_EQ(saved.substr(192), garbage.substr(192));
  for (const auto& [id, text] : log.added) EXPECT_LE(text.size(), 400u);
}

TEST(LoadSettingsTest, HandsHistoriesToTheBoxesNewestFirst) {
  TempDir dir;
  SettingsBlock stored;
  SetSlotText(stored.memberHistory[0], u"http://new");
  SetSlotText(stored.memberHistory[2], u"http://old");  // a gap at 1 is skipped
  SetSlotText(stored.savePathHistory[0], u"/save/a/");
  WriteWholeFile(dir.file("soft.dat"), SerializeSettings(stored));
  SettingsBlock block;
  BoxLog log;
  LoadSettings(block, dir.folder(), log.boxes());
  EXPECT_EQ(log.cleared, (std::vector<HistoryKind>{HistoryKind::Member, HistoryKind::SavePath}));
  const std::vector<std::pair<HistoryKind, Text>> expected = {
      {HistoryKind::Member, u"http://new"}, {HistoryKind::Member, u"http://old"}, {HistoryKind::SavePath, u"/save/a/"}};
  EXPECT_EQ(log.added, expected);
}

TEST(SaveSettingsTest, WritesTheWholeBlock) {
  TempDir dir;
  SettingsBlock block = KnownBlock();
  WriteWholeFile(dir.file("soft.dat"), std::string(30000, 'x'));  // an older, longer file is replaced
  EXPECT_TRUE(SaveSettings(block, dir.folder()));
  EXPECT_EQ(ReadWholeFile(dir.file("soft.dat")), SerializeSettings(block));
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"soft.dat"});  // nothing else is left
}

TEST(SaveSettingsTest, FailedWriteLeavesTheOldFileWhole) {
  TempDir dir;
  SettingsBlock old = KnownBlock();
  ASSERT_TRUE(SaveSettings(old, dir.folder()));
  const std::string before = ReadWholeFile(dir.file("soft.dat"));

  SettingsBlock changed = old;
  changed.downloadLimits[0].threads = 9;
  bool ok = test::WithFileSizeLimit(4096, [&] { return SaveSettings(changed, dir.folder()); });

  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadWholeFile(dir.file("soft.dat")), before);
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>{"soft.dat"}) << "the temporary file is removed";
}

TEST(AddHistoryTest, NewestFirstAndSixthDropsOldest) {
  SettingsBlock block;
  for (const char16_t* t : {u"a1", u"a2", u"a3", u"a4", u"a5"}) EXPECT_TRUE(AddHistory(block, HistoryKind::Member, t));
  EXPECT_TRUE(AddHistory(block, HistoryKind::Member, u"a6"));
  std::vector<Text> member;
  for (const auto& e : block.memberHistory) member.push_back(SlotText(e));
  EXPECT_EQ(member, (std::vector<Text>{u"a6", u"a5", u"a4", u"a3", u"a2"}));
  // The other history is untouched.
  for (const auto& e : block.savePathHistory) EXPECT_EQ(SlotText(e), u"");
}

TEST(AddHistoryTest, RefusalsChangeNothing) {
  SettingsBlock block;
  for (const char16_t* t : {u"/Save/One/", u"http://My.Site/u", u"/save/two/"}) AddHistory(block, HistoryKind::SavePath, t);
  const std::string before = SerializeSettings(block);
  const Text refused[] = {
      u"/SAVE/ONE/",           // an older entry, other case: does not move to the front
      u"HTTP://my.site/U",
      u"/save/two/",
      u"",
      Text(400, u'x'),
  };
  for (const Text& t : refused) {
    EXPECT_FALSE(AddHistory(block, HistoryKind::SavePath, t)) << TextToUtf8(t);
  }
  EXPECT_EQ(SerializeSettings(block), before);
  // One unit shorter than the slot is the longest text taken, and it is kept whole with its terminator.
  const Text longest(399, u'y');
  EXPECT_TRUE(AddHistory(block, HistoryKind::Member, longest));
  EXPECT_EQ(SlotText(block.memberHistory[0]), longest);
  EXPECT_EQ(block.memberHistory[0][399], u'\0');
}

TEST(TextSlotTest, RuleTextsKeepAtMost38Characters) {
  NameRule rule;
  rule.prefix.fill(u'g');  // garbage after the text must not survive
  SetRuleText(rule.prefix, u"abc");
  EXPECT_EQ(RuleText(rule.prefix), u"abc");
  for (std::size_t i = 3; i < kRuleTextUnits; ++i) EXPECT_EQ(rule.prefix[i], u'\0');

  SetRuleText(rule.suffix, Text(50, u's'));
  EXPECT_EQ(RuleText(rule.suffix), Text(38, u's'));
  // A character outside the BMP is never cut in half.
  Text emoji = Text(37, u'e') + u"\U0001F600";
  SetRuleText(rule.replaceFrom, emoji);
  EXPECT_EQ(RuleText(rule.replaceFrom), Text(37, u'e'));
  SetRuleText(rule.replaceTo, Text(36, u'e') + u"\U0001F600");
  EXPECT_EQ(RuleText(rule.replaceTo).size(), 38u);
  // An unterminated slot (foreign file) reads as its 40 units.
  rule.albumPrefix.fill(u'k');
  EXPECT_EQ(RuleText(rule.albumPrefix), Text(40, u'k'));
}

TEST(EqualsIgnoringCaseTest, FoldsCommonAlphabetsOnly) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    bool equal;
  };
  const Case cases[] = {
      {u"Trip", u"tRIP", true},
      {u"Trip", u"Trips", false},
      {u"ÀÉÎÕÜ", u"àéîõü", true},
      {u"×", u"÷", false},        // U+00D7 and U+00F7 are no letter pair
      {u"ĀĹŊŸŹ", u"āĺŋÿź", true},
      {u"ΑΒΓΆΏ", u"αβγάώ", true},
      {u"ПРИВЕТЁ", u"приветё", true},
      {u"Ѐ", u"ѐ", true},
      {u"ＡＢＣ", u"ａｂｃ", true},
      {u"ＡＢＣ", u"abc", false},   // full width is not ASCII
      {u"相册", u"相册", true},
      {u"相册", u"相冊", false},
      {u"", u"", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << TextToUtf8(c.a) << " / " << TextToUtf8(c.b);
    EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal);
  }
}

}  // namespace
}  // namespace albatrix
