// The splash window shown while the program starts: a borderless picture with a line of text, shaped like
// its bitmap (pixels of the key colour are cut out), centred on the screen, with no taskbar entry and never
// activated. It fades in and out where the window system can blend windows, else it shows and hides at
// once. It has no timer of its own and ignores clicks: the main window hides it when start-up is done.
#pragma once

#include <chrono>
#include <functional>

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/region.h>

#include "MyCode/StringCtrl.h"
#include "gui/CAlbatrixDlg.h"

namespace albatrix {

// The colour that the splash bitmap uses for what lies outside the window.
const wxColour& SplashKeyColour();

// The window's shape: every pixel of `bitmap` that is not `key` (the full rectangle when none is).
wxRegion SplashRegion(const wxBitmap& bitmap, const wxColour& key);

// The program's own splash picture, 300 x 167, drawn at start: a gradient with the product's name and
// rounded corners in the key colour.
wxBitmap MakeSplashBitmap();

class CSplashScreenEx : public wxFrame {
 public:
  static constexpr std::chrono::milliseconds kFadeIn{500};
  static constexpr std::chrono::milliseconds kFadeOut{200};
  static constexpr std::chrono::milliseconds kLongest{1500};  // shown for its first paint, never longer

  // `bitmap` sets the size; an invalid bitmap gives a window of size 0 that shows nothing. `text` is drawn
  // in white at the default GUI font's 10 points into (30,50)-(291,160), one line, vertically centred and
  // left-aligned. `onEscape` runs when Escape reaches the splash (the program's clean close).
  CSplashScreenEx(const Text& text, const wxBitmap& bitmap, std::function<void()> onEscape);

  // Shows the splash without activating it, fading in where that is possible.
  void ShowSplash();
  // Waits for the first paint (until kLongest after ShowSplash at most), fades out where possible, hides
  // and destroys the window. Call once; the object is gone afterwards.
  void HideSplash();

  bool Painted() const { return painted_; }
  bool Fades();

 private:
  void OnPaint(wxPaintEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void Blend(int from, int to, std::chrono::milliseconds over);

  wxBitmap bitmap_;
  Text text_;
  std::function<void()> onEscape_;
  bool painted_ = false;
  std::chrono::steady_clock::time_point shownAt_;
};

// Plugs the program's splash into the window's start-up: shown when start-up begins, hidden and destroyed
// when it is done. Escape on it takes the splash away and runs `closeWindow` (the window's clean close).
void PlugInSplash(WindowSetup& setup, std::function<void()> closeWindow);

}  // namespace albatrix
