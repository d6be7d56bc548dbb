// The download run as the window shows it: a real run over the engine's fakes, its events turned into
// the texts, enabled states and messages the user sees.
#include "app/DownloadPresenter.h"

#include <gtest/gtest.h>

#include "app/RunOutcomeTexts.h"
#include "download/RunFakes.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

struct PresenterRig {
  test::FakeView view;
  std::vector<const RunTally*> ended;
  DownloadPresenter presenter{view, [this](const RunTally* tally) { ended.push_back(tally); }};
  test::EngineRig rig{&presenter};
  test::TempDir dir;

  explicit PresenterRig(int pictures) {
    test::FakeAlbum album{"Album", {}};
    for (int p = 1; p <= pictures; ++p) {
      const std::string url = "http://h/" + std::to_string(p) + ".jpg";
      album.pictures.push_back({url, ""});
      rig.bodies[url] = "picture";
    }
    rig.albums.push_back(album);
    rig.ListAlbums();
    rig.chosen = {0};
    rig.savePath = dir.folder();
    rig.plan.limits.threads = 1;
  }
};

TEST(DownloadPresenter, ARunShowsItsProgressAndItsEnd) {
  PresenterRig p(2);
  p.rig.Run();
  EXPECT_EQ(p.view.TextsSetOn(Control::Progress),
            (TextArray{u"......", u"已获取到1张图片信息", u"已获取到2张图片信息", u"已开始下载图片",
                       u"已下载1/2......", u"已下载2/2......", u""}));
  EXPECT_EQ(p.view.TextsSetOn(Control::Status), (TextArray{u"正在下载第1/1个图集", u"下载完毕"}));
  EXPECT_EQ(p.view.TextsSetOn(Control::Download), (TextArray{u"终止下载", u"下载"}));
  EXPECT_TRUE(p.view.Messages().empty());
  EXPECT_EQ(p.presenter.DownloadingFolder(), u"");  // "打开" is the save path's again
  ASSERT_EQ(p.ended.size(), 1u);
  EXPECT_EQ(p.ended[0]->saved, 2);
}

TEST(DownloadPresenter, TheBarCountsTheWholeRunWithTheListingsCountForAlbumsToCome) {
  test::FakeView view;
  DownloadPresenter presenter{view, nullptr};
  test::EngineRig rig{&presenter};
  test::TempDir dir;
  rig.albums = {{"One", {{"http://h/1.jpg", ""}, {"http://h/2.jpg", ""}}},
                {"Two", {{"http://h/3.jpg", ""}, {"http://h/4.jpg", ""}, {"http://h/5.jpg", ""}}}};
  for (int p = 1; p <= 5; ++p) rig.bodies["http://h/" + std::to_string(p) + ".jpg"] = "picture";
  rig.ListAlbums();
  rig.chosen = {0, 1};
  rig.savePath = dir.folder();
  rig.plan.limits.threads = 1;
  std::vector<ST_PERLISTRECORD> listed(2);
  listed[0].pictureCount = 2;
  listed[1].pictureCount = 4;  // the listing said 4 of "Two", which lists 3
  presenter.BeginRun({0, 1}, listed);
  rig.Run();
  // Album One: its 2 pictures and the 4 to come; Two listed: 5 in all; over: empty.
  EXPECT_EQ(view.ProgressFigures(), (std::vector<std::pair<std::int32_t, std::size_t>>{
                                        {0, 6}, {1, 6}, {2, 6}, {2, 6}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {5, 5}, {0, 0}}));
}

// Two members of a batch: the first member's bar already counts the second's listed pictures, the
// second's starts where the first ended, and the status line names the member under way.
TEST(DownloadPresenter, ABatchsBarGoesOverEveryMember) {
  test::FakeView view;
  DownloadPresenter presenter{view, nullptr};
  auto member = [&](const char* place, std::size_t toCome) {
    presenter.BeginBatchMember(Utf8ToText(place), toCome);
    presenter.RunBegun(1, 0);
    presenter.AlbumBegun(1, 1);
    presenter.AlbumDownloadBegun(u"/f/", 2);
    presenter.PicturesEnded(1, 2);
    presenter.PicturesEnded(2, 2);
    RunTally tally;
    tally.listed = 2;
    presenter.MemberRunEnded(tally);
  };
  member("成员 1/2", 3);
  member("成员 2/2", 0);
  presenter.EndBatch();
  EXPECT_EQ(view.ProgressFigures(), (std::vector<std::pair<std::int32_t, std::size_t>>{
                                        {0, 5}, {1, 5}, {2, 5}, {2, 4}, {3, 4}, {4, 4}}));
  EXPECT_EQ(view.TextsSetOn(Control::Status), (TextArray{u"成员 1/2，正在下载第1/1个图集", u"成员 2/2，正在下载第1/1个图集"}));
  EXPECT_EQ(view.ResultColumnShown(), 2);
}

TEST(DownloadPresenter, RefusedRunsSayWhyAndLeaveTheControlsAlone) {
  {
    PresenterRig p(1);
    p.rig.savePath = Text(1, u' ');  // blank only
    p.rig.Run();
    EXPECT_EQ(p.view.MessageTexts(), TextArray{u"请先设置保存路径"});
    EXPECT_TRUE(p.view.TextLog().empty());
    EXPECT_EQ(p.ended, std::vector<const RunTally*>{nullptr});
  }
  {
    PresenterRig p(1);
    test::WriteWholeFile(p.dir.file("file"), "in the way");
    p.rig.savePath = Utf8ToText(p.dir.file(test::PlatformPath("file/sub")));
    p.rig.Run();
    EXPECT_EQ(p.view.MessageTexts(), (TextArray{Utf8ToText(p.dir.file("file")), u"请检测设置的保存路径是否有误"}));
    EXPECT_TRUE(p.view.TextLog().empty());
  }
  {
    PresenterRig p(1);
    p.rig.chosen.clear();
    p.rig.Run();
    EXPECT_EQ(p.view.MessageTexts(), TextArray{u"请先选择要下载的相册"});
    EXPECT_EQ(p.view.TextsSetOn(Control::Status), TextArray{u"下载完毕"});
  }
}

TEST(DownloadPresenter, ARunWithFailuresSaysHowItEndedAndEachAlbumsOutcome) {
  PresenterRig p(2);
  p.rig.refusals["http://h/2.jpg"] = FetchFailure::HttpStatus;
  p.presenter.BeginRun({4});  // the run's only album is the list's fifth
  p.rig.Run();
  EXPECT_EQ(p.view.GetText(Control::Status), u"下载完毕：保存 1 张，跳过 0 张，失败 1 张");
  EXPECT_TRUE(p.view.IsVisible(Control::FailuresLink));
  EXPECT_EQ(p.presenter.ResultOf(4), u"失败 1/2");
  p.presenter.ForgetResults();
  EXPECT_EQ(p.presenter.ResultOf(4), u"");

  struct Case {
    AlbumTally tally;
    const char16_t* text;
  } const cases[] = {
      {{1, 5, 5, 0, 0, false}, u"完成 5"},         {{1, 5, 3, 2, 0, false}, u"跳过 2/5"},
      {{1, 5, 2, 1, 2, false}, u"失败 2/5"},       {{1, 5, 1, 0, 0, true}, u"已停止"},
      {{1, 0, 0, 0, 0, false, false, true}, u"已是最新"}, {{1, 0, 0, 0, 0, false}, u"完成 0"},
  };
  for (const Case& c : cases) EXPECT_EQ(AlbumResultText(c.tally), c.text);
}

}  // namespace
}  // namespace albatrix
