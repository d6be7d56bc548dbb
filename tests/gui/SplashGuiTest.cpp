// The splash window: its shape from the key colour, its size from the bitmap, its short life and its
// Escape.
#include <gtest/gtest.h>

#include <chrono>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/weakref.h>

#include "GuiHarness.h"
#include "GuiHelpers.h"
#include "gui/CAlbatrixDlg.h"
#include "gui/CSplashScreenEx.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using SplashGuiTest = test::DisplayTest;

// A bitmap six pixels wide whose key pixels are marked 'k' in `rows`.
wxBitmap TestBitmap(const std::vector<std::string>& rows) {
  const int width = static_cast<int>(rows[0].size());
  const int height = static_cast<int>(rows.size());
  wxImage image(width, height);
  const wxColour& key = SplashKeyColour();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (rows[y][x] == 'k') {
        image.SetRGB(x, y, key.Red(), key.Green(), key.Blue());
      } else {
        image.SetRGB(x, y, 212, 120, 121);  // one step from the key colour is inside
      }
    }
  }
  return wxBitmap(image, 24);
}

TEST_F(SplashGuiTest, KeyPixelsLieOutsideAndAllOthersInside) {
  // The second has no key pixel: its region is the full rectangle.
  for (const std::vector<std::string>& rows : {std::vector<std::string>{"kk..kk", "k....k", "..kk.."}, {"......", "......"}}) {
    wxRegion region = SplashRegion(TestBitmap(rows), SplashKeyColour());
    const int height = static_cast<int>(rows.size());
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(region.Contains(x, y) == wxInRegion, rows[y][x] != 'k') << x << "," << y << " of " << rows[0];
      }
    }
    EXPECT_EQ(region.GetBox(), wxRect(0, 0, 6, height));  // both have a pixel inside on every edge
  }
}

TEST_F(SplashGuiTest, TheProgramsPictureHasKeyCorners) {
  wxBitmap bitmap = MakeSplashBitmap();
  ASSERT_TRUE(bitmap.IsOk());
  EXPECT_EQ(bitmap.GetSize(), wxSize(300, 167));
  wxRegion region = SplashRegion(bitmap, SplashKeyColour());
  for (wxPoint corner : {wxPoint(0, 0), wxPoint(299, 0), wxPoint(0, 166), wxPoint(299, 166)}) {
    EXPECT_EQ(region.Contains(corner), wxOutRegion) << corner.x << "," << corner.y;
  }
  for (wxPoint inside : {wxPoint(150, 83), wxPoint(30, 50), wxPoint(290, 159), wxPoint(150, 0), wxPoint(0, 83)}) {
    EXPECT_EQ(region.Contains(inside), wxInRegion) << inside.x << "," << inside.y;
  }
}

TEST_F(SplashGuiTest, ShowsForItsFirstPaintAndGoesWithinItsLimit) {
  auto* splash = new CSplashScreenEx(u"正在启动，请稍候……", MakeSplashBitmap(), {});
  EXPECT_EQ(splash->GetSize(), wxSize(300, 167));
  const wxRect screen = wxRect(wxPoint(0, 0), wxGetDisplaySize());
  EXPECT_EQ(splash->GetScreenRect().GetLeft() * 2 + 300, screen.width);  // centred
  const auto start = std::chrono::steady_clock::now();
  splash->ShowSplash();
  EXPECT_TRUE(splash->IsShown());
  EXPECT_FALSE(splash->IsActive());
  EXPECT_TRUE(test::PumpUntil([&] { return splash->Painted(); }));
  test::SaveScreenshot(splash, "splash");
  wxWeakRef<wxWindow> alive(splash);
  splash->HideSplash();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LE(took, CSplashScreenEx::kLongest + std::chrono::milliseconds(500));  // the screenshot's own wait
  EXPECT_TRUE(test::PumpUntil([&] { return !alive; }));  // destroyed
}

TEST_F(SplashGuiTest, APictureThatFailedGivesAnEmptyWindowAndStartUpGoesOn) {
  auto* splash = new CSplashScreenEx(u"x", wxBitmap(), {});
  EXPECT_LE(splash->GetSize().x * splash->GetSize().y, 1);  // GTK makes no window smaller than 1 x 1
  const auto start = std::chrono::steady_clock::now();
  splash->ShowSplash();
  EXPECT_FALSE(splash->IsShown());
  splash->HideSplash();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(SplashGuiTest, EscapeAsksForTheCleanClose) {
  int closes = 0;
  auto* splash = new CSplashScreenEx(u"x", MakeSplashBitmap(), [&] { ++closes; });
  test::PressKey(splash, 'A');
  EXPECT_EQ(closes, 0);
  test::PressKey(splash, WXK_ESCAPE);
  EXPECT_EQ(closes, 1);
  splash->HideSplash();
}

// Escape while the program starts: the splash goes, and the window takes its clean close without ever
// showing.
TEST_F(SplashGuiTest, EscapeDuringStartUpClosesTheWindowCleanly) {
  test::TempDir dir;
  WindowSetup setup;
  setup.programFolder = dir.folder();
  CAlbatrixDlg* window = nullptr;
  PlugInSplash(setup, [&window] { window->Close(); });
  window = new CAlbatrixDlg(std::move(setup));
  wxWeakRef<wxFrame> windowAlive(window);
  window->StartUp();
  CSplashScreenEx* splash = nullptr;
  for (wxWindow* top : wxTopLevelWindows) {
    if (auto* found = dynamic_cast<CSplashScreenEx*>(top)) splash = found;
  }
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(splash->IsShown());
  wxWeakRef<wxWindow> splashAlive(splash);
  test::PressKey(splash, WXK_ESCAPE);
  EXPECT_TRUE(test::PumpUntil([&] { return !windowAlive && !splashAlive; }));
  EXPECT_EQ(test::ReadWholeFile(dir.file("soft.dat")).size(), kSettingsFileSize);
}

}  // namespace
}  // namespace albatrix
