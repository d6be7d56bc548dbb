// Preview mode, the find window and the filter under a display: thumbnails made from real covers, the
// find window in both of its modes, the scroll to the top, and a filter end to end.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/image.h>
#include <wx/textctrl.h>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/ControlIds.h"
#include "app/CsvExport.h"
#include "gui/CDlgFind.h"
#include "gui/CMyGridCtrl.h"
#include "gui/ThumbnailImage.h"
#include "gui/WxMainView.h"
#include "gui/WxText.h"
#include "site/SiteImages.h"
#include "support/TestMembers.h"

namespace albatrix::test {
namespace {

// --- thumbnails from cover files -----------------------------------------------------------------------

class ThumbnailImageTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallImageDecoders(); }
  std::optional<ThumbnailPixels> Make(const std::string& name, const std::string& bytes) {
    WriteWholeFile(dir.file(name), bytes);
    return MakeThumbnailPixels(Utf8ToText(dir.file(name)), kThumbWidth, kThumbHeight);
  }
  TempDir dir;
};

TEST_F(ThumbnailImageTest, EveryKindOfCoverUnderAJpgNameBecomes113x120Rgb) {
  struct Case {
    PictureKind kind;
    int width, height;
  } cases[] = {{PictureKind::Png, 300, 200}, {PictureKind::Gif, 64, 48}, {PictureKind::Jpeg, 160, 120}};
  for (const Case& c : cases) {
    std::optional<ThumbnailPixels> made = Make("0.jpg", EncodePicture(c.kind, c.width, c.height, 3));
    ASSERT_TRUE(made) << static_cast<int>(c.kind);
    EXPECT_EQ(made->width, 113);
    EXPECT_EQ(made->height, 120);
    EXPECT_EQ(made->rgb.size(), 113u * 120u * 3u);
  }
  // A BMP too: the name says nothing, the content decides.
  wxImage red(30, 20);
  red.SetRGB(wxRect(0, 0, 30, 20), 200, 10, 10);
  ASSERT_TRUE(red.SaveFile(ToWx(Utf8ToText(dir.file("bmp.jpg"))), wxBITMAP_TYPE_BMP));
  std::optional<ThumbnailPixels> bmp = MakeThumbnailPixels(Utf8ToText(dir.file("bmp.jpg")), 113, 120);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->rgb[0], 200);  // a plain colour stays that colour through the rescale
  EXPECT_EQ(bmp->rgb[1], 10);
}

TEST_F(ThumbnailImageTest, TransparencyIsComposedOverWhite) {
  wxImage clear(16, 16);
  clear.SetRGB(wxRect(0, 0, 16, 16), 0, 0, 0);
  clear.InitAlpha();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) clear.SetAlpha(x, y, 0);
  ASSERT_TRUE(clear.SaveFile(ToWx(Utf8ToText(dir.file("clear.jpg"))), wxBITMAP_TYPE_PNG));
  std::optional<ThumbnailPixels> made = MakeThumbnailPixels(Utf8ToText(dir.file("clear.jpg")), 113, 120);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->rgb[0], 255);
  EXPECT_EQ(made->rgb[made->rgb.size() / 2], 255);
}

TEST_F(ThumbnailImageTest, WhatDoesNotDecodeMakesNoThumbnail) {
  EXPECT_FALSE(Make("0.jpg", "<html>not a picture</html>"));
  EXPECT_FALSE(Make("1.jpg", EncodePicture(PictureKind::Png, 300, 200, 3).substr(0, 40)));
  EXPECT_FALSE(MakeThumbnailPixels(Utf8ToText(dir.file("missing.jpg")), 113, 120));
}

// --- the window ----------------------------------------------------------------------------------------

class GridModesTest : public WindowFixture {
 protected:
  // Lists a member of `count` albums "T1".. through the window.
  void ListNumbered(int count) {
    site().AddMember(NumberedMember("m", count, 20));
    ASSERT_TRUE(List("m", count));
  }
  CDlgFind* Find() { return window().FindDialog(); }
  template <typename T>
  T* In(wxWindow* dialog, int id) {
    return dynamic_cast<T*>(dialog->FindWindow(id));
  }
  int CoverRequests() {
    int covers = 0;
    for (const auto& [path, count] : site().RequestCounts())
      if (path.rfind("/cover/", 0) == 0) covers += count;
    return covers;
  }
  // Types `keyword` and presses "下一个" (or "上一个"); the selected row afterwards.
  int Search(const char* keyword, bool next = true) {
    In<wxTextCtrl>(Find(), IDC_FIND_KEYWORD)->ChangeValue(U8(keyword));
    test::Click(Find(), next ? IDC_FIND_NEXT : IDC_FIND_PREVIOUS);
    return window().Grid()->TopSelectedRow();
  }
};

TEST_F(GridModesTest, TheFindWindowSearchesAndItsCrossLiftsSingleRowSelection) {
  ListNumbered(20);
  CMyGridCtrl* grid = window().Grid();
  EXPECT_FALSE(Find());
  FollowLink(IDC_FIND);
  CDlgFind* find = Find();
  ASSERT_TRUE(find);
  EXPECT_TRUE(find->IsShown());
  EXPECT_FALSE(find->IsModal());
  EXPECT_FALSE(find->HasFlag(wxCAPTION));
  EXPECT_TRUE(grid->SingleRowSelection());
  EXPECT_EQ(find->GetDefaultItem(), find->FindWindow(IDC_FIND_NEXT));
  for (auto [id, label] : {std::pair{IDC_FIND_NEXT, "下一个"}, {IDC_FIND_CASE, "区分大小写"}, {IDC_FIND_WHOLE, "全字匹配"},
                           {IDC_FIND_PREVIOUS, "上一个"}, {IDC_FIND_CLOSE, "×"}}) {
    EXPECT_TRUE(find->FindWindow(id)->IsShown()) << id;
    EXPECT_EQ(find->FindWindow(id)->GetLabel(), U8(label)) << id;
  }
  // Centred over the main window.
  wxPoint centre = window().GetScreenRect().GetPosition() + window().GetSize() / 2;
  wxPoint findCentre = find->GetScreenRect().GetPosition() + find->GetSize() / 2;
  EXPECT_LE(std::abs(centre.x - findCentre.x), 10);
  EXPECT_LE(std::abs(centre.y - findCentre.y), 10);

  // Not case-sensitive and not whole-cell at first: "t1" is in T1, then T10.
  EXPECT_EQ(Search("t1"), 0);
  EXPECT_EQ(Search("t1"), 9);
  EXPECT_EQ(Search("T2", false), 1);   // up from T10
  EXPECT_EQ(Search("T2", false), 19);  // nothing above T2: once more from the bottom, T20
  In<wxCheckBox>(find, IDC_FIND_WHOLE)->SetValue(true);
  EXPECT_EQ(Search("T2"), 1);  // whole cell: T20 is not T2; nothing below it, so from the top
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{1}));
  In<wxCheckBox>(find, IDC_FIND_CASE)->SetValue(true);
  EXPECT_EQ(Search("t3"), 1);  // case-sensitive: no match, twice; the selection stays

  // A click selects one row alone while the window is open, ctrl held or not.
  wxGridEvent click(grid->GetId(), wxEVT_GRID_CELL_LEFT_CLICK, grid, 5, 1, -1, -1, true, wxKeyboardState(true));
  grid->ProcessWindowEvent(click);
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{5}));

  test::Click(find, IDC_FIND_CLOSE);
  EXPECT_FALSE(find->IsShown());
  EXPECT_FALSE(grid->SingleRowSelection());
  FollowLink(IDC_FIND);
  EXPECT_EQ(Find(), find);  // the same window again
  EXPECT_TRUE(find->IsShown());
  EXPECT_TRUE(grid->SingleRowSelection());
  find->Close();  // hidden in any way: single-row selection goes too
  EXPECT_FALSE(grid->SingleRowSelection());
}

TEST_F(GridModesTest, AFoundRowIsScrolledToTheTop) {
  ListNumbered(80);
  CMyGridCtrl* grid = window().Grid();
  FollowLink(IDC_FIND);
  In<wxCheckBox>(Find(), IDC_FIND_WHOLE)->SetValue(true);
  EXPECT_EQ(Search("T30"), 29);
  PumpFor(std::chrono::milliseconds(50));
  EXPECT_EQ(grid->GetFirstFullyVisibleRow(), 29);
  EXPECT_EQ(Search("T80"), 79);  // as far as the range allows: the last row shows, at the bottom
  PumpFor(std::chrono::milliseconds(50));
  EXPECT_GT(grid->GetFirstFullyVisibleRow(), 29);
  EXPECT_LT(grid->GetFirstFullyVisibleRow(), 79);
  EXPECT_TRUE(grid->IsVisible(79, 0, false));
}

TEST_F(GridModesTest, AFilterEndToEndKeepsHeaderAndWidthsAndNumbersAfresh) {
  ListNumbered(20);
  CMyGridCtrl* grid = window().Grid();
  grid->SetColSize(1, 300);  // the user's width
  Click(IDC_SELECT_ALL, true);
  FollowLink(IDC_FIND);
  ASSERT_TRUE(Find()->IsShown());
  PumpFor(std::chrono::milliseconds(50));  // mapped on the screen before "筛选" hides it

  bool sawFilterMode = false;
  // "筛选", its prompt answered with `keyword` and `button`.
  auto answer = [&](const char* keyword, int button = IDC_FIND_NEXT) {
    wxTheApp->CallAfter([&, keyword, button] {
      for (wxWindow* top : wxTopLevelWindows) {
        auto* prompt = dynamic_cast<CDlgFind*>(top);
        if (!prompt || !prompt->IsModal()) continue;
        sawFilterMode = prompt->Mode() == FindMode::Filter && !prompt->FindWindow(IDC_FIND_CASE)->IsShown() &&
                        !prompt->FindWindow(IDC_FIND_WHOLE)->IsShown() &&
                        !prompt->FindWindow(IDC_FIND_PREVIOUS)->IsShown() &&
                        In<wxButton>(prompt, IDC_FIND_NEXT)->GetLabel() == U8("筛选");
        In<wxTextCtrl>(prompt, IDC_FIND_KEYWORD)->ChangeValue(U8(keyword));
        test::Click(prompt, button);
      }
    });
    FollowLink(IDC_FILTER);
  };
  answer(" T1 ");
  EXPECT_TRUE(sawFilterMode);
  EXPECT_FALSE(Find()->IsShown());  // "筛选" hides the find window
  EXPECT_FALSE(grid->SingleRowSelection());
  ASSERT_EQ(grid->GetNumberRows(), 11);  // T1, T10 .. T19
  EXPECT_EQ(grid->GetCellValue(0, 0), "0001");
  EXPECT_EQ(grid->GetCellValue(1, 1), "T10");
  EXPECT_EQ(grid->GetCellValue(10, 0), "0011");
  EXPECT_EQ(grid->GetColLabelValue(0), U8("序号"));
  EXPECT_EQ(grid->GetColSize(1), 300);
  EXPECT_TRUE(dynamic_cast<wxCheckBox*>(window().Control(IDC_SELECT_ALL))->GetValue());
  grid->SelectEveryAlbum(true);
  std::vector<std::size_t> expected = {0};
  for (std::size_t i = 9; i <= 18; ++i) expected.push_back(i);
  EXPECT_EQ(window().Grid()->ChosenAlbums(), expected);  // the original album indices
  EXPECT_EQ(window().Controller().FilterKeyword(), u"");

  answer("");
  EXPECT_EQ(grid->GetNumberRows(), 20);
  EXPECT_EQ(grid->GetCellValue(19, 0), "0020");

  // "×" in filter mode changes nothing.
  sawFilterMode = false;
  answer("T2", IDC_FIND_CLOSE);
  EXPECT_TRUE(sawFilterMode);
  EXPECT_EQ(grid->GetNumberRows(), 20);
}

TEST_F(GridModesTest, PreviewModeShowsThumbnailsOfTheCovers) {
  ListNumbered(14);
  CMyGridCtrl* grid = window().Grid();
  FollowLink(IDC_FIND);
  Click(IDC_PREVIEW, true);
  EXPECT_FALSE(Find()->IsShown());
  EXPECT_FALSE(Enabled(IDC_FILTER));
  EXPECT_FALSE(Enabled(IDC_FIND));
  ASSERT_TRUE(PumpUntil([&] {
    return !window().Controller().Filling() && grid->ThumbnailCount() == 14;
  }, std::chrono::seconds(30)));
  PumpFor(std::chrono::milliseconds(100));
  EXPECT_EQ(grid->Mode(), GridMode::Preview);
  EXPECT_EQ(grid->GetColLabelSize(), 0);
  ASSERT_EQ(grid->GetNumberCols(), 6);
  ASSERT_EQ(grid->GetNumberRows(), 3);
  for (int col = 0; col < 6; ++col) EXPECT_EQ(grid->GetColSize(col), 129);
  EXPECT_EQ(grid->GetRowSize(0), 130);
  EXPECT_EQ(grid->GetCellValue(1, 0), "7.T7");  // the 7th album starts the second row
  EXPECT_EQ(grid->ThumbnailAt(2, 1), 13);
  const wxBitmap* thumbnail = grid->Thumbnail(0);
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(thumbnail->GetSize(), wxSize(113, 120));
  for (std::size_t i = 0; i < 14; ++i) EXPECT_EQ(window().Controller().ThumbnailOf(i), static_cast<int>(i));

  // Single cells are chosen; cells past the last album are not albums.
  grid->SelectBlock(1, 4, 2, 5);
  EXPECT_EQ(window().Grid()->ChosenAlbums(), (std::vector<std::size_t>{10, 11}));

  // The export writes every row, the first six albums included.
  desktop->chosenFile = ToWx(Utf8ToText(dir.file("preview.csv")));
  FollowLink(IDC_EXPORT);
  std::string written = ReadWholeFile(dir.file("preview.csv"));
  EXPECT_EQ(written.rfind("1.T1,2.T2,3.T3,4.T4,5.T5,6.T6,\r\n", 0), 0u) << written;
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 3);

  // Back to the list and to preview again: no cover is fetched twice.
  EXPECT_EQ(CoverRequests(), 14);
  Click(IDC_PREVIEW, false);
  ASSERT_TRUE(PumpUntil([&] { return !window().Controller().Filling() && grid->AlbumRows() == 14; }));
  EXPECT_TRUE(Enabled(IDC_FILTER));
  EXPECT_EQ(grid->GetColLabelValue(1), U8("名称"));
  Click(IDC_PREVIEW, true);
  ASSERT_TRUE(PumpUntil([&] { return !window().Controller().Filling() && grid->AlbumRows() == 3; }));
  EXPECT_EQ(CoverRequests(), 14);
}

}  // namespace
}  // namespace albatrix::test
