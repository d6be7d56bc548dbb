// The splash picture, drawn by the program itself rather than shipped as a file.
#include <cmath>

#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/image.h>

#include "gui/CSplashScreenEx.h"

namespace albatrix {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 167;
constexpr int kCornerRadius = 14;

// True for a pixel outside the rounded corners.
bool OutsideCorner(int x, int y) {
  const int cx = x < kCornerRadius ? kCornerRadius : (x >= kWidth - kCornerRadius ? kWidth - 1 - kCornerRadius : x);
  const int cy = y < kCornerRadius ? kCornerRadius : (y >= kHeight - kCornerRadius ? kHeight - 1 - kCornerRadius : y);
  const int dx = x - cx;
  const int dy = y - cy;
  return dx * dx + dy * dy > kCornerRadius * kCornerRadius;
}

}  // namespace

wxBitmap MakeSplashBitmap() {
  wxBitmap bitmap(kWidth, kHeight, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.GradientFillLinear(wxRect(0, 0, kWidth, kHeight), wxColour(22, 64, 112), wxColour(40, 132, 160), wxSOUTH);
    // A wing over the horizon: the bird the program is named after, in two strokes.
    dc.SetPen(wxPen(wxColour(235, 242, 248), 3));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawArc(236, 30, 200, 30, 218, 42);
    dc.DrawArc(272, 30, 236, 30, 254, 42);
    wxFont title(wxFontInfo(20).Bold().Family(wxFONTFAMILY_SWISS));
    dc.SetFont(title);
    dc.SetTextForeground(wxColour(250, 250, 250));
    dc.DrawText("Albatrix", 30, 10);
  }
  wxImage image = bitmap.ConvertToImage();
  const wxColour& key = SplashKeyColour();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (OutsideCorner(x, y)) image.SetRGB(x, y, key.Red(), key.Green(), key.Blue());
    }
  }
  return wxBitmap(image, 24);
}

}  // namespace albatrix
