// "<导入/导出>" in the window, chosen through the window's own menu events with the file dialogs answered
// by the recording desktop: a job of the chosen albums saved and run with a second member's job of every
// album, saving what the command line's download --job saves for the same files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <wx/msgdlg.h>
#include <wx/testing.h>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "cli/CliRun.h"
#include "gui/CMyGridCtrl.h"
#include "gui/ControlIds.h"
#include "gui/WxMainView.h"
#include "gui/MainMenu.h"
#include "gui/MenuIds.h"
#include "gui/WxText.h"
#include "support/TestMembers.h"

namespace albatrix::test {
namespace {

class JobFilesGuiTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    site().AddMember(MemberWith("kobe", {u"Trip", u"A & B", u"Trip"}, 2, 3, 2));
    site().AddMember(MemberWith("yao", {u"Home", u"Away"}, 3, 2, 3));
    Desktop recording;
    recording.chooseSaveFile = [this](wxWindow*, const wxString& filter) {
      filters.push_back(FromWx(filter));
      return saveAs;
    };
    recording.chooseOpenFiles = [this](wxWindow*, const wxString&) { return openFiles; };
    InstallMainMenu(window(), window().Controller(), DesktopMenuActions(recording));
  }
  wxString saveAs;
  wxArrayString openFiles;
  TextArray filters;
};

TEST_F(JobFilesGuiTest, ABatchSavedAndRunFromTheMenuSavesWhatTheCommandLineSaves) {
  const std::string save = dir.file("out");
  TypeInto(IDC_SAVE_PATH, wxString::FromUTF8(save));
  ASSERT_TRUE(List("kobe"));
  window().Grid()->SelectBlock(0, 0, 0, 0);
  window().Grid()->SelectBlock(2, 0, 2, 0, true);
  ASSERT_EQ(window().Grid()->ChosenAlbums().size(), 2u);
  saveAs = wxString::FromUTF8(dir.file("kobe"));  // no ending: the window adds it
  wxTEST_DIALOG(ChooseMenu(ID_EXPORT_DOWNLOAD_FILE), wxExpectModal<wxMessageDialog>(wxID_YES));
  ASSERT_TRUE(PathExists(dir.file("kobe.albatrix")));

  ASSERT_TRUE(List("yao"));
  saveAs = wxString::FromUTF8(dir.file("yao.albatrix"));
  wxTEST_DIALOG(ChooseMenu(ID_EXPORT_DOWNLOAD_FILE), wxExpectModal<wxMessageDialog>(wxID_NO));  // every album
  EXPECT_EQ(filters, (TextArray{u"Albatrix 下载文件 (*.albatrix)|*.albatrix", u"Albatrix 下载文件 (*.albatrix)|*.albatrix"}));

  openFiles.Add(wxString::FromUTF8(dir.file("kobe.albatrix")));
  openFiles.Add(wxString::FromUTF8(dir.file("yao.albatrix")));
  ChooseMenu(ID_IMPORT_AND_DOWNLOAD);
  ASSERT_TRUE(RunEnded());
  EXPECT_EQ(FromWx(window().Control(IDC_STATUS)->GetLabel()), u"下载完毕");
  EXPECT_EQ(window().Grid()->AlbumRows(), 2);  // the member that ran last
  const std::map<std::string, std::string> byWindow = FileTree(save);
  EXPECT_EQ(byWindow.count("kobe/Trip (1)/p3.jpg"), 1u);
  EXPECT_EQ(byWindow.count("kobe/A & B/"), 0u);
  EXPECT_EQ(byWindow.count("yao/Away/p2.jpg"), 1u);

  // "导出迅雷下载列表" over the member shown: its chosen albums' addresses, nothing downloaded.
  window().Grid()->SelectBlock(1, 0, 1, 0);
  saveAs = wxString::FromUTF8(dir.file("away"));
  ChooseMenu(ID_EXPORT_LIST);
  ASSERT_TRUE(RunEnded());
  const SiteAlbum away = site().Member("yao")->albums[1];
  EXPECT_EQ(ReadWholeFile(dir.file("away.lst")),
            site().PictureUrl("yao", away, 1, true) + "\r\n" + site().PictureUrl("yao", away, 2, true) + "\r\n");
  EXPECT_EQ(filters.back(), u"迅雷下载列表 (*.lst)|*.lst");

  // The same files through the command line, into the same save path emptied first.
  std::filesystem::remove_all(save);
  CliRun run = RunCli(dir, {"--site", site().BaseUrl(), "--program-folder", dir.file("cli"), "download", "--job",
                            dir.file("kobe.albatrix"), dir.file("yao.albatrix")});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(FileTree(save), byWindow);
}

}  // namespace
}  // namespace albatrix::test
