// The main window under a display: its controls, the member box's place, a listing on the stand-in site
// through the window and the export.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/hyperlink.h>

#include <filesystem>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/ControlIds.h"
#include "app/CsvExport.h"
#include "gui/CComboBox2.h"
#include "gui/CMyGridCtrl.h"
#include "gui/WxMainView.h"
#include "gui/WxText.h"
#include "support/TestMembers.h"
#include "support/WaitFor.h"

namespace albatrix::test {
namespace {

using MainWindowTest = WindowFixture;

TEST_F(MainWindowTest, InitialTextsAndStates) {
  CAlbatrixDlg& w = window();
  EXPECT_TRUE(w.IsShown());
  // The program's icon, in every size from 16 to 256 pixels.
  EXPECT_EQ(w.GetIcons().GetIconCount(), 7u);
  EXPECT_EQ(w.GetIcons().GetIcon(32).GetWidth(), 32);
  EXPECT_NE(w.GetTitle().Find(U8("虎扑")), wxNOT_FOUND);
  EXPECT_EQ(w.GetClientSize(), w.ConvertDialogToPixels(wxSize(471, 323)));

  struct Expected {
    int id;
    const char* label;
    bool enabled;
  } controls[] = {
      {IDC_GET_ALBUMS, "获取相册", true}, {IDC_DOWNLOAD, "下载", false},   {IDC_CHOOSE_FOLDER, "设置", true},
      {IDC_OPEN_FOLDER, "打开", true},    {IDC_GRID_FRAME, "相册列表", true}, {IDC_SELECT_ALL, "全选", true},
      {IDC_PREVIEW, "预览图", true},      {IDC_EXPORT, "导出", true},      {IDC_FILTER, "筛选", true},
      {IDC_FIND, "查找", true},           {IDC_STATUS, "", true},          {IDC_PROGRESS, "", true},
      {IDC_RATE, "", true},
  };
  for (const Expected& c : controls) {
    EXPECT_EQ(Label(c.id), U8(c.label)) << c.id;
    EXPECT_EQ(Enabled(c.id), c.enabled) << c.id;
  }
  EXPECT_EQ(Utf8(Label(IDC_BOTTOM_LINE)), ShownVersion());
  EXPECT_EQ(w.GetDefaultItem(), w.Control(IDC_GET_ALBUMS));
  for (int id : {IDC_EXPORT, IDC_FILTER, IDC_FIND, IDC_UPDATE_LINK, IDC_MAKER_LINK})
    EXPECT_TRUE(dynamic_cast<wxHyperlinkCtrl*>(w.Control(id))) << id;
  for (int id : {IDC_SELECT_ALL, IDC_PREVIEW}) EXPECT_FALSE(dynamic_cast<wxCheckBox*>(w.Control(id))->GetValue());
  EXPECT_FALSE(w.Control(IDC_UPDATE_LINK)->IsShown());
  EXPECT_FALSE(w.Control(IDC_SUBTYPE)->IsShown());

  auto* site = dynamic_cast<wxChoice*>(w.Control(IDC_SITE));
  ASSERT_TRUE(site);
  EXPECT_EQ(site->GetCount(), 16u);
  EXPECT_EQ(site->GetSelection(), 15);
  EXPECT_EQ(Label(IDC_SAVE_PATH), ToWx(dir.folder()));
  EXPECT_EQ(ReadWholeFile(dir.file("soft.dat")).size(), 19808u);

  CMyGridCtrl* grid = w.Grid();
  EXPECT_EQ(grid->GetRowLabelSize(), 0);
  const char* headers[] = {"序号", "名称", "数量", "备注", "", ""};
  ASSERT_EQ(grid->GetNumberCols(), 6);
  for (int col = 0; col < 6; ++col) EXPECT_EQ(grid->GetColLabelValue(col), U8(headers[col]));
  EXPECT_EQ(grid->GetSelectionBackground(), wxColour(199, 227, 227));
  EXPECT_EQ(grid->GetSelectionForeground(), *wxBLACK);
  EXPECT_EQ(grid->GetNumberRows(), 0);

  // The maker's page goes to the browser, not anywhere else.
  wxHyperlinkEvent follow(w.Control(IDC_MAKER_LINK), IDC_MAKER_LINK, U8(kMakerPage));
  w.Control(IDC_MAKER_LINK)->ProcessWindowEvent(follow);
  EXPECT_EQ(desktop->openedPages, std::vector<wxString>{U8(kMakerPage)});
}

TEST_F(MainWindowTest, MemberBoxTakesTheSubTypeSelectorsPlace) {
  CAlbatrixDlg& w = window();
  auto* site = dynamic_cast<wxChoice*>(w.Control(IDC_SITE));
  auto* subtype = dynamic_cast<wxChoice*>(w.Control(IDC_SUBTYPE));
  wxWindow* member = w.Control(IDC_MEMBER);
  wxRect wide = member->GetRect();

  auto choose = [&](int entry) {
    site->SetSelection(entry);
    wxCommandEvent pick(wxEVT_CHOICE, IDC_SITE);
    pick.SetEventObject(site);
    pick.SetInt(entry);
    site->ProcessWindowEvent(pick);
    PumpFor(std::chrono::milliseconds(20));
  };
  choose(0);
  ASSERT_TRUE(subtype->IsShown());
  EXPECT_EQ(subtype->GetCount(), 3u);
  EXPECT_EQ(subtype->GetString(0), U8("QQ空间相册"));
  EXPECT_EQ(subtype->GetSelection(), 0);
  wxRect beside = member->GetRect();
  wxRect selector = subtype->GetRect();
  EXPECT_EQ(beside.GetLeft(), selector.GetRight() + 1 + 3);
  EXPECT_EQ(beside.GetRight(), wide.GetRight());
  EXPECT_EQ(beside.GetTop(), wide.GetTop());
  EXPECT_EQ(beside.GetBottom(), wide.GetBottom());

  choose(15);
  EXPECT_FALSE(subtype->IsShown());
  wxRect over = member->GetRect();
  EXPECT_EQ(over.GetLeft(), selector.GetLeft());
  EXPECT_EQ(over.GetRight(), wide.GetRight());
  EXPECT_EQ(over.GetTop(), wide.GetTop());
  EXPECT_EQ(over.GetBottom(), wide.GetBottom());
  EXPECT_EQ(over, wide);
}

class ListingWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    if (IsSkipped()) return;
    titles = {u"春天", u"a,b", u"say \"hi\"", u"it's", u"smile"};
    for (int i = 6; i <= 14; ++i) titles.push_back(Utf8ToText("album " + std::to_string(i)));
    site().AddMember(MemberWith("m1", titles, 3));
    // The second page comes slowly, so the window is seen in its listing state.
    SiteFault slow;
    slow.kind = SiteFaultKind::Slow;
    slow.delayMs = 150;
    slow.chunkBytes = 256;
    site().SetFault("/m1/photo-2", slow);
  }
  std::vector<Text> titles;
};

TEST_F(ListingWindowTest, ListingThroughTheWindowThenSelectAllAndExport) {
  CAlbatrixDlg& w = window();
  TypeInto(IDC_MEMBER, wxString::FromUTF8(site().MemberUrl("m1")));
  Press(IDC_GET_ALBUMS);
  ASSERT_TRUE(PumpUntil([&] { return Label(IDC_GET_ALBUMS) == U8("终止获取"); }));
  for (int id : {IDC_SITE, IDC_DOWNLOAD, IDC_MEMBER, IDC_PREVIEW, IDC_FILTER, IDC_FIND, IDC_EXPORT})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(Enabled(IDC_GET_ALBUMS));
  EXPECT_EQ(Label(IDC_STATUS), U8("正在获取相册列表，请稍等..."));
  EXPECT_EQ(Label(IDC_PROGRESS), wxString());

  ASSERT_TRUE(PumpUntil([&] { return Label(IDC_GET_ALBUMS) == U8("获取相册"); }, std::chrono::seconds(30)));
  for (int id : {IDC_SITE, IDC_DOWNLOAD, IDC_MEMBER, IDC_PREVIEW, IDC_FILTER, IDC_FIND, IDC_EXPORT})
    EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(Label(IDC_GRID_FRAME), U8("相册列表(共14个)"));
  EXPECT_EQ(Label(IDC_STATUS), U8("获取相册列表完成，共14个"));

  CMyGridCtrl* grid = w.Grid();
  ASSERT_EQ(grid->GetNumberRows(), 14);
  EXPECT_EQ(grid->GetCellValue(0, 0), "0001");
  EXPECT_EQ(grid->GetCellValue(1, 1), "a,b");
  EXPECT_EQ(grid->GetCellValue(13, 0), "0014");
  EXPECT_EQ(grid->GetCellValue(13, 1), "album 14");
  EXPECT_EQ(grid->GetCellValue(13, 2), "   0");
  EXPECT_EQ(grid->GetColSize(1), grid->FromDIP(575));
  EXPECT_EQ(grid->GetColSize(4), 0);

  EXPECT_TRUE(w.Grid()->ChosenAlbums().empty());
  Click(IDC_SELECT_ALL, true);
  std::vector<std::size_t> all(14);
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  EXPECT_EQ(w.Grid()->ChosenAlbums(), all);
  Click(IDC_SELECT_ALL, false);
  EXPECT_TRUE(w.Grid()->ChosenAlbums().empty());
  EXPECT_EQ(grid->GetGridCursorRow(), -1);

  // Ctrl-style picks of two rows come back top down.
  grid->SelectRow(9, true);
  grid->SelectRow(2, true);
  EXPECT_EQ(w.Grid()->ChosenAlbums(), (std::vector<std::size_t>{2, 9}));

  desktop->chosenFile = ToWx(Utf8ToText(dir.file("albums")));  // no extension: ".csv" is added
  FollowLink(IDC_EXPORT);
  EXPECT_EQ(desktop->exportFilter, U8("导出后，自行调整列宽(*.csv)|*.csv"));
  // Every row as the grid shows it (the titles were cleaned for folder names on the way in).
  std::string expected;
  for (int row = 0; row < grid->GetNumberRows(); ++row) expected += CsvLine(grid->RowTexts(row));
  std::string written = ReadWholeFile(dir.file("albums.csv"));
  EXPECT_EQ(written, expected);
  // The bytes a spreadsheet gets: GBK, commas kept apart, apostrophes gone, CR LF.
  const std::string head = "0001,\xB4\xBA\xCC\xEC,   0,,,,\r\n0002,a','b,   0,,,,\r\n0003,";
  const std::string tail = "\r\n0014,album 14,   0,,,,\r\n";
  EXPECT_EQ(written.substr(0, head.size()), head);
  EXPECT_NE(written.find("\r\n0004,its,   0,,,,\r\n"), std::string::npos);
  ASSERT_GT(written.size(), tail.size());
  EXPECT_EQ(written.substr(written.size() - tail.size()), tail);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 14);
}

TEST_F(MainWindowTest, ThePaceStandsWholeBesideTheBar) {
  CAlbatrixDlg& w = window();
  w.View().SetText(Control::Rate, u"12 张/秒，剩余约 1 小时 20 分钟");
  ASSERT_TRUE(PumpUntil([&] { return Label(IDC_RATE) == U8("12 张/秒，剩余约 1 小时 20 分钟"); }));
  wxWindow* bar = w.FindWindowByName(U8("下载进度"));
  const wxRect pace = w.Control(IDC_RATE)->GetScreenRect(), barRect = bar->GetScreenRect();
  EXPECT_GE(pace.GetWidth(), w.Control(IDC_RATE)->GetTextExtent(Label(IDC_RATE)).x) << "the text is cut";
  EXPECT_GT(pace.GetLeft(), barRect.GetRight());
  EXPECT_TRUE(pace.GetTop() <= barRect.GetBottom() && barRect.GetTop() <= pace.GetBottom()) << "off the bar's row";
  EXPECT_TRUE(w.GetScreenRect().Contains(pace));
}

TEST_F(MainWindowTest, WorkerCallsCrossToTheInterfaceThreadInOrder) {
  CAlbatrixDlg& w = window();
  WxMainView& view = w.View();
  std::thread worker([&view] {
    view.SetText(Control::Status, u"one");
    for (int i = 0; i < 300; ++i) {
      GridAlbum album;
      album.albumIndex = static_cast<std::size_t>(i);
      album.row = i + 1;
      album.number = Utf8ToText(std::to_string(i));
      view.ShowAlbum(album);
    }
    view.SetText(Control::Status, u"two");
    view.Enable(Control::Download, true);
  });
  worker.join();
  EXPECT_EQ(Label(IDC_STATUS), wxString());  // nothing touched the widgets from the worker
  ASSERT_TRUE(PumpUntil([&] { return Enabled(IDC_DOWNLOAD); }));
  EXPECT_EQ(Label(IDC_STATUS), U8("two"));
  EXPECT_EQ(w.Grid()->GetNumberRows(), 300);
  EXPECT_EQ(w.Grid()->GetCellValue(299, 0), "299");
}

TEST_F(MainWindowTest, AWorkersMessageBoxWaitEndsWhenClosingBegins) {
  WxMainView& view = window().View();
  std::atomic<int> answer{-1};
  std::thread worker([&] { answer = view.Message(u"问题", u"提示", MessageButtons::YesNo) ? 1 : 0; });
  // The question is queued for the interface thread, which is not pumped here: the worker waits.
  EXPECT_FALSE(WaitFor([&] { return answer != -1; }, std::chrono::milliseconds(200)));
  view.BeginClosing();
  EXPECT_TRUE(WaitFor([&] { return answer != -1; }, std::chrono::seconds(2)));
  worker.join();
  EXPECT_EQ(answer, 0);  // released as No
  // A worker's calls after that are dropped, not queued for a window that is going.
  std::thread([&view] { view.SetText(Control::Status, u"late"); }).join();
  PumpFor(std::chrono::milliseconds(80));
  EXPECT_EQ(Label(IDC_STATUS), wxString());
}

// The pictures go to the documents folder when the program folder is no place for them: a temporary
// folder (true), or one named on the command line, the user's hidden data folder (false). The member box
// takes the clipboard's address either way.
class DocumentsFolderWindowTest : public WindowFixture, public ::testing::WithParamInterface<bool> {
 protected:
  void Prepare(WindowSetup& setup) override {
    if (GetParam()) {
      ASSERT_EQ(::mkdir(dir.file("Temp").c_str(), 0700), 0);
      setup.programFolder = Utf8ToText(dir.file("Temp/"));
    } else {
      setup.programFolderNamed = true;
    }
    desktop->clipboard = "  http://my.hupu.com/someone \n";
    desktop->documents = wxString::FromUTF8(dir.file("docs"));
  }
};

TEST_P(DocumentsFolderWindowTest, SavesToTheDocumentsFolder) {
  EXPECT_EQ(Label(IDC_MEMBER), "http://my.hupu.com/someone");
  EXPECT_EQ(Label(IDC_SAVE_PATH), wxString::FromUTF8(dir.file("docs/Albatrix/")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("docs/Albatrix")));
  EXPECT_EQ(ReadWholeFile(dir.file(GetParam() ? "Temp/soft.dat" : "soft.dat")).size(), 19808u);
}

INSTANTIATE_TEST_SUITE_P(TemporaryOrNamed, DocumentsFolderWindowTest, ::testing::Bool());

TEST_F(MainWindowTest, ChosenFolderAndDropsFollowTheHistoryRule) {
  CAlbatrixDlg& w = window();
  desktop->chosenFolder = ToWx(Utf8ToText(dir.file("Pics")));
  Press(IDC_CHOOSE_FOLDER);
  EXPECT_EQ(desktop->folderTitle, U8("请选择文件保存目录："));
  EXPECT_EQ(Label(IDC_SAVE_PATH), ToWx(Utf8ToText(dir.file("Pics/"))));
  std::string settings = ReadWholeFile(dir.file("soft.dat"));
  ASSERT_EQ(settings.size(), 19808u);

  // The same folder in other letter case: the box follows, the history and soft.dat do not.
  desktop->chosenFolder = ToWx(Utf8ToText(dir.file("PICS")));
  Press(IDC_CHOOSE_FOLDER);
  EXPECT_EQ(ReadWholeFile(dir.file("soft.dat")), settings);
  EXPECT_EQ(w.Combo(IDC_SAVE_PATH)->Candidates().size(), 1u);

  // A dropped file stands for its folder; a folder named like a file is itself.
  WriteWholeFile(dir.file("a.jpg"), "x");
  ASSERT_EQ(::mkdir(dir.file("my.pics").c_str(), 0700), 0);
  auto paths = [](std::initializer_list<std::string> list) {
    wxArrayString array;
    for (const std::string& path : list) array.push_back(wxString::FromUTF8(path));
    return array;
  };
  w.DropFiles(paths({dir.file("a.jpg"), "/ignored"}));
  EXPECT_EQ(Label(IDC_SAVE_PATH), ToWx(dir.folder()));
  w.DropFiles(paths({dir.file("my.pics")}));
  EXPECT_EQ(Label(IDC_SAVE_PATH), ToWx(Utf8ToText(dir.file("my.pics/"))));

  Press(IDC_OPEN_FOLDER);
  EXPECT_EQ(desktop->openedFolders, std::vector<wxString>{ToWx(Utf8ToText(dir.file("my.pics/")))});
}

}  // namespace
}  // namespace albatrix::test
