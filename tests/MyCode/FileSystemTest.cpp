#include "MyCode/FileSystem.h"


#include <filesystem>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "MyCode/FileOps.h"
#include "MyCode/FileTimes.h"
#include "support/DiskFull.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::ReadWholeFile;
using test::TempDir;
using test::WriteWholeFile;

Text P(const std::string& path) { return Utf8ToText(path); }

TEST(FileSystemTest, IsAbsolutePath) {
  struct Case {
    const char16_t* path;
    bool absolute;
  } const cases[] = {
      {u"/home/x", true}, {u"/", true}, {u"C:\\pics", true}, {u"d:\\", true},
      {u"pics/a", false}, {u"", false}, {u"C:", false},     {u"C:pics", false}, {u"a:/x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAbsolutePath(c.path), c.absolute) << TextToUtf8(c.path);
}

TEST(FileSystemTest, WriteFileReplacingCreatesAndReplaces) {
  TempDir dir;
  const std::string path = dir.file("相册.dat");
  ASSERT_TRUE(WriteFileReplacing(P(path), std::string("first\0bytes", 11)));
  EXPECT_EQ(ReadWholeFile(path), std::string("first\0bytes", 11));
  ASSERT_TRUE(WriteFileReplacing(P(path), "second"));
  EXPECT_EQ(ReadWholeFile(path), "second");
  ASSERT_TRUE(WriteFileReplacing(P(path), ""));
  EXPECT_TRUE(FileExists(P(path)));
  EXPECT_EQ(ReadWholeFile(path), "");
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u) << "no temporary file is left beside it";
}

TEST(FileSystemTest, WriteFileReplacingFailsCleanly) {
  TempDir dir;
  // Folder missing: nothing is created.
  EXPECT_FALSE(WriteFileReplacing(P(dir.file("no/such.dat")), "x"));
  EXPECT_FALSE(test::PathExists(dir.file("no")));
  // A folder in the file's place cannot be replaced by a file; the folder stays, no temporary is left.
  std::filesystem::create_directory(dir.file("taken"));
  std::filesystem::create_directory(dir.file("taken/inside"));
  EXPECT_FALSE(WriteFileReplacing(P(dir.file("taken")), "x"));
  EXPECT_TRUE(FolderExists(P(dir.file("taken"))));
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u);
}

// Written a piece at a time: the old file stays whole until Commit, a file never committed leaves
// nothing behind, and one this process is still writing is no leftover for a cleanup.
TEST(FileSystemTest, FileReplacerPutsTheFileInPlaceOnlyOnCommit) {
  TempDir dir;
  const std::string path = dir.file("pic.jpg");
  WriteWholeFile(path, "old picture");
  {
    FileReplacer file(P(path));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write("picture"));
    EXPECT_EQ(ReadWholeFile(path), "old picture");
    EXPECT_EQ(test::FolderEntries(dir.path()).size(), 2u);  // the temporary beside it
  }
  EXPECT_EQ(ReadWholeFile(path), "old picture");
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u);

  FileReplacer file(P(path));
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("new picture"));
  EXPECT_EQ(RemoveStaleTemporaries(dir.folder()), 0u);
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 2u);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadWholeFile(path), "new picture");
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u);
  EXPECT_FALSE(file.Write("more"));  // committed: the file is no longer open for writing

  FileReplacer nowhere(P(dir.file("no/such.jpg")));
  EXPECT_FALSE(nowhere.Open());
  EXPECT_FALSE(nowhere.Commit());
}

TEST(FileSystemTest, WriteFileReplacingKeepsOldFileWhenTheDiskFills) {
  TempDir dir;
  const std::string path = dir.file("soft.dat");
  const std::string old(3000, 'o');
  WriteWholeFile(path, old);
  bool ok = test::WithFileSizeLimit(4096, [&] { return WriteFileReplacing(P(path), std::string(10000, 'n')); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadWholeFile(path), old);
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 1u);
}

TEST(FileSystemTest, TemporaryNameIsHiddenBesideAndUnique) {
  const Text folder = Text(u"some") + kPathSep + u"folder" + kPathSep;
  const Text path = folder + u"soft.dat";
  std::set<Text> seen;
  for (int i = 0; i < 50; ++i) {
    Text temp = TemporaryNameBeside(path);
    ASSERT_EQ(temp.rfind(folder + u".", 0), 0u) << TextToUtf8(temp);
    EXPECT_NE(temp.find(u"soft.dat"), Text::npos);
    EXPECT_TRUE(seen.insert(temp).second) << "repeated " << TextToUtf8(temp);
  }
  EXPECT_EQ(TemporaryNameBeside(u"bare.txt").find(kPathSep), Text::npos);
}

// Names already cut to the platform's 255-byte limit (as picture names are) still get a temporary beside
// them, so the write does not fail on the temporary's length.
TEST(FileSystemTest, NamesAtTheLengthLimitCanBeWritten) {
  std::string cjk, emoji;
  for (int i = 0; i < 85; ++i) cjk += "图";           // 255 bytes
  for (int i = 0; i < 63; ++i) emoji += "\U0001F600";  // 252 bytes
  const std::string names[] = {std::string(255, 'a'), cjk, emoji + "abc", std::string(251, 'b') + ".lst"};
  TempDir dir;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_EQ(name.size(), kMaxNameBytes);
    const Text path = P(dir.file(name));
    std::set<Text> seen;
    for (int i = 0; i < 3; ++i) {
      Text temp = TemporaryNameBeside(path);
      std::string tempName = TextToUtf8(temp.substr(temp.rfind(kPathSep) + 1));
      EXPECT_LE(tempName.size(), kMaxNameBytes) << tempName;
      EXPECT_EQ(tempName[0], '.');
      EXPECT_EQ(Utf8ToText(tempName), temp.substr(temp.rfind(kPathSep) + 1)) << "cut between whole characters";
      EXPECT_TRUE(seen.insert(temp).second);
    }
    ASSERT_TRUE(WriteFileReplacing(path, name));
    EXPECT_EQ(ReadWholeFile(dir.file(name)), name);
  }
  EXPECT_EQ(test::FolderEntries(dir.path()).size(), 4u) << "no temporary file is left beside them";
}

// Only what has exactly the name of a temporary the program writes is a leftover, and of those only the
// ones no running process writes: the tag of this process's id keeps one, whoever made it.
TEST(FileSystemTest, RemoveStaleTemporariesTakesOnlyLeftTemporaries) {
  const std::string own = std::to_string(CurrentProcessId());
  const std::string other = std::to_string(CurrentProcessId() + 1);
  const std::set<std::string> stale = {
      ".k4.jpg." + other + ".5.part", ".a.1.2.part", ".图 1.jpg.7.0.part", ".b.c..d.12.34.part", "..e.1.2.part",
  };
  std::set<std::string> kept = {
      "x.part",      ".hidden.jpg", "a.1.2.part", ".1.2.part",  ".f.1.2.PART", ".g.1.2.part.jpg", ".h.x.2.part",
      ".i..2.part",  ".j.1..part",  ".k.-1.2.part", ".l.1.2part", "pic.jpg",  ".k4.jpg." + own + ".5.part",
  };
  TempDir dir;
  for (const std::string& name : stale) WriteWholeFile(dir.file(name), "x");
  for (const std::string& name : kept) WriteWholeFile(dir.file(name), "x");
  std::filesystem::create_directory(dir.file(".n.1.2.part"));
  kept.insert(".n.1.2.part/");

  EXPECT_EQ(RemoveStaleTemporaries(dir.folder()), stale.size());
  EXPECT_EQ(test::FolderEntries(dir.path()), std::vector<std::string>(kept.begin(), kept.end()));
  EXPECT_EQ(RemoveStaleTemporaries(dir.folder() + u"missing" + kPathSep), 0u);
}

TEST(FileSystemTest, AppendToFileCreatesAndAppends) {
  TempDir dir;
  ASSERT_TRUE(AppendToFile(P(dir.file("saved.txt")), "one\n"));
  ASSERT_TRUE(AppendToFile(P(dir.file("saved.txt")), "two\n"));
  EXPECT_EQ(ReadWholeFile(dir.file("saved.txt")), "one\ntwo\n");
  EXPECT_FALSE(AppendToFile(P(dir.file("no/saved.txt")), "x"));
  EXPECT_FALSE(test::PathExists(dir.file("no")));
}

TEST(FileSystemTest, ReadFileBytes) {
  TempDir dir;
  const std::string path = dir.file("data");
  WriteWholeFile(path, std::string("abc\0def", 7));
  Bytes out = "stale";
  ASSERT_TRUE(ReadFileBytes(P(path), out));
  EXPECT_EQ(out, std::string("abc\0def", 7));
  ASSERT_TRUE(ReadFileBytes(P(path), out, 4));
  EXPECT_EQ(out, std::string("abc\0", 4));
  EXPECT_FALSE(ReadFileBytes(P(dir.file("missing")), out));
  EXPECT_TRUE(out.empty());
}

TEST(FileSystemTest, CreateFolders) {
  TempDir dir;
  const std::string deep = dir.file("a/b/中文/d");
  EXPECT_TRUE(CreateFolders(P(deep)));
  EXPECT_TRUE(FolderExists(P(deep)));
  EXPECT_TRUE(CreateFolders(P(deep + "/")));  // existing, with a trailing separator
  EXPECT_FALSE(FileExists(P(deep)));
  // A file in the way of a level.
  WriteWholeFile(dir.file("file"), "x");
  EXPECT_FALSE(CreateFolders(P(dir.file("file/sub"))));
  EXPECT_FALSE(CreateFolders(P(dir.file("file"))));
  EXPECT_FALSE(CreateFolders(u""));
}

// Album folders under a long save path with long titles pass the classic 260-character limit of Windows
// paths; every file call must still reach them (through "\\?\" there).
TEST(FileSystemTest, PathsBeyondTwoHundredSixtyCharactersWork) {
  TempDir dir;
  Text folder = dir.folder();
  for (int level = 0; level < 4; ++level) folder += Text(90, static_cast<char16_t>(u'a' + level)) + u"相册" + kPathSep;
  ASSERT_GT(folder.size(), 300u);
  ASSERT_TRUE(CreateFolders(folder));
  EXPECT_TRUE(FolderExists(folder));
  const Text file = folder + u"图.jpg";
  ASSERT_TRUE(WriteFileReplacing(file, "picture"));
  EXPECT_TRUE(FileExists(file));
  ASSERT_TRUE(AppendToFile(file, "+tail"));
  Bytes bytes;
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_EQ(bytes, "picture+tail");
  ASSERT_TRUE(CreateFileWith(folder + u"other.jpg", "other"));
  EXPECT_FALSE(RenameFileNoReplace(folder + u"other.jpg", file)) << "an existing file is never replaced";
  ASSERT_TRUE(RenameFile(folder + u"other.jpg", file));
  ASSERT_TRUE(ReadFileBytes(file, bytes));
  EXPECT_EQ(bytes, "other");
  ASSERT_TRUE(SetFileTimes(file, 1500000000));
  std::int64_t written = 0;
  ASSERT_TRUE(GetFileWriteTime(file, written));
  EXPECT_EQ(written, 1500000000);
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace albatrix
