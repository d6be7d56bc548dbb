// The job file's format: what a run writes comes back whole, with the journal's pictures; what is not a
// job file of ours is refused with a reason, never half read.
#include "model/DownloadJob.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace albatrix {
namespace {

DownloadJob SampleJob() {
  DownloadJob job;
  job.runId = u"run-1";
  job.memberAddress = u"http://my.hupu.com/kobe";
  job.savePath = u"D:\\图片 \"x\"";
  job.memberKey = u"kobe/";
  job.listedAlbums = 7;
  job.retries = 2;
  SetRuleText(job.rule.prefix, u"前缀?1");
  SetRuleText(job.rule.replaceFrom, u"a|b");
  job.rule.options = OPT_SKIP_DOWNLOADED | OPT_FIX_ORDER;
  job.rule.nameSource = 1;
  job.limits = {10, 500, 3, 40};
  JobAlbum album;
  album.record.title = u"湖人 & \"Trip\"";
  album.record.albumPath = u"kobe/photo/a1";
  album.record.pictureCount = 12;
  album.record.ordinal = 4;
  album.state = JobAlbumState::Begun;
  album.folder = u"/save/kobe/湖人/";
  album.saved = {{u"http://x/big.1.jpg", u"1.jpg", 1234, Text()}, {u"http://x/big.5.jpg", u"5.png", 50, u"5.jpg"}};
  job.albums = {album, JobAlbum{}};
  return job;
}

TEST(DownloadJobTest, WhatIsWrittenComesBackWithTheJournalsPictures) {
  const DownloadJob job = SampleJob();
  const JobPicture second{u"http://x/big.2.jpg", u"2.jpg", 99};
  const std::string journal = JournalLine(u"run-1", 0, second) + JournalLine(u"other-run", 0, {u"u", u"3.jpg", 1}) +
                              JournalLine(u"run-1", 0, job.albums[0].saved[0]) +  // named twice: once
                              JournalLine(u"run-1", 5, second) +                   // no such album
                              "{\"album\":0,\"name\":\"4.jp";                      // cut by a kill
  const JobFileRead read = ParseJob(JobToJson(job), journal);
  ASSERT_EQ(read.state, JobFileState::Ready) << TextToUtf8(read.problem);
  const DownloadJob& back = read.job;
  EXPECT_EQ(back.runId, job.runId);
  EXPECT_EQ(back.memberAddress, job.memberAddress);
  EXPECT_EQ(back.savePath, job.savePath);
  EXPECT_EQ(back.memberKey, job.memberKey);
  EXPECT_EQ(back.listedAlbums, 7u);
  EXPECT_EQ(back.retries, 2);
  EXPECT_EQ(RuleText(back.rule.prefix), u"前缀?1");
  EXPECT_EQ(RuleText(back.rule.replaceFrom), u"a|b");
  EXPECT_EQ(back.rule.options, job.rule.options);
  EXPECT_EQ(back.rule.nameSource, 1);
  EXPECT_EQ(back.limits.maxKB, 500);
  EXPECT_EQ(back.limits.threads, 3);
  ASSERT_EQ(back.albums.size(), 2u);
  EXPECT_EQ(back.albums[0].record.title, job.albums[0].record.title);
  EXPECT_EQ(back.albums[0].record.albumPath, job.albums[0].record.albumPath);
  EXPECT_EQ(back.albums[0].record.ordinal, 4);
  EXPECT_EQ(back.albums[0].state, JobAlbumState::Begun);
  EXPECT_EQ(back.albums[0].folder, job.albums[0].folder);
  ASSERT_EQ(back.albums[0].saved.size(), 3u);
  EXPECT_EQ(back.albums[0].saved[1].fileName, u"5.png");
  EXPECT_EQ(back.albums[0].saved[1].namedAs, u"5.jpg") << "the name the rule gives, before the format fix";
  EXPECT_EQ(back.albums[0].saved[2].fileName, u"2.jpg");
  EXPECT_EQ(back.albums[0].saved[2].size, 99u);
  EXPECT_EQ(back.albums[1].state, JobAlbumState::Waiting);
  EXPECT_EQ(back.SavedCount(), 3u);
}

TEST(DownloadJobTest, AnythingElseIsDamagedWithAReason) {
  std::string good = JobToJson(SampleJob());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string bytes = good;
    bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  const struct {
    std::string bytes;
    const char16_t* problem;
  } cases[] = {
      {good.substr(0, good.size() / 2), u"not a job file (cut or not JSON)"},
      {"", u"not a job file (cut or not JSON)"},
      {"[1, 2]", u"not a job file of this program"},
      {replaced("albatrix-job", "other-job"), u"not a job file of this program"},
      {replaced("\"version\": 1", "\"version\": 2"), u"a job file of another version"},
      {replaced("\"threads\": 3", "\"threads\": 0"), u"a job file with a wrong field: threads"},
      {replaced("\"state\": \"begun\"", "\"state\": \"maybe\""), u"a job file with a wrong field: state"},
      {replaced("\"name\": \"1.jpg\"", "\"name\": \"../1.jpg\""), u"a job file with a wrong field: name"},
      {replaced("\"savePath\"", "\"savedPath\""), u"a job file with a wrong field: savePath"},
  };
  for (const auto& c : cases) {
    const JobFileRead read = ParseJob(c.bytes);
    EXPECT_EQ(read.state, JobFileState::Damaged) << c.bytes.substr(0, 80);
    EXPECT_EQ(read.problem, c.problem) << c.bytes.substr(0, 80);
  }
}

TEST(DownloadJobTest, TheFileAndItsJournalInTheProgramFolder) {
  test::TempDir dir;
  const Text folder = dir.folder();
  EXPECT_EQ(ReadJobFile(folder).state, JobFileState::None);
  DownloadJob job = SampleJob();
  ASSERT_TRUE(WriteJobFile(folder, job));
  ASSERT_TRUE(AppendJobJournal(folder, job.runId, 1, {u"http://x/9", u"9.jpg", 9}));
  JobFileRead read = ReadJobFile(folder);
  ASSERT_EQ(read.state, JobFileState::Ready);
  ASSERT_EQ(read.job.albums[1].saved.size(), 1u);
  // Writing the whole job again takes the journal's lines into the file and empties the journal.
  ASSERT_TRUE(WriteJobFile(folder, read.job));
  EXPECT_FALSE(test::PathExists(dir.file("job.albatrix.saved")));
  EXPECT_EQ(ReadJobFile(folder).job.albums[1].saved.size(), 1u);

  EXPECT_EQ(SetJobFileAside(folder), folder + u"job.albatrix.bad");
  EXPECT_EQ(ReadJobFile(folder).state, JobFileState::None);
  EXPECT_TRUE(test::PathExists(dir.file("job.albatrix.bad")));
}

}  // namespace
}  // namespace albatrix
