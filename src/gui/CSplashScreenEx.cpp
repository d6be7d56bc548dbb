#include "gui/CSplashScreenEx.h"

#include <thread>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <memory>

#include <wx/weakref.h>

#include "MyCode/Trace.h"
#include "app/AboutBox.h"
#include "gui/WxText.h"

namespace albatrix {
namespace {

const wxRect kTextRect(wxPoint(30, 50), wxPoint(290, 159));  // (30,50)-(291,160), right and bottom exclusive
constexpr int kBlendSteps = 10;

}  // namespace

const wxColour& SplashKeyColour() {
  static const wxColour key(212, 120, 120);
  return key;
}

wxRegion SplashRegion(const wxBitmap& bitmap, const wxColour& key) { return wxRegion(bitmap, key); }

CSplashScreenEx::CSplashScreenEx(const Text& text, const wxBitmap& bitmap, std::function<void()> onEscape)
    : wxFrame(nullptr, wxID_ANY, wxString(), wxDefaultPosition, wxSize(0, 0),
              wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxFRAME_SHAPED | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW),
      bitmap_(bitmap),
      text_(text),
      onEscape_(std::move(onEscape)) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  if (bitmap_.IsOk()) {
    SetClientSize(bitmap_.GetSize());
    SetShape(SplashRegion(bitmap_, SplashKeyColour()));
    CentreOnScreen();
  } else {
    Trace("splash: no picture; the splash stays empty");
    SetSize(0, 0);
  }
  Bind(wxEVT_PAINT, &CSplashScreenEx::OnPaint, this);
  Bind(wxEVT_CHAR_HOOK, &CSplashScreenEx::OnCharHook, this);
}

bool CSplashScreenEx::Fades() { return CanSetTransparent(); }

void CSplashScreenEx::ShowSplash() {
  shownAt_ = std::chrono::steady_clock::now();
  if (!bitmap_.IsOk()) return;
  if (Fades()) {
    SetTransparent(0);
    ShowWithoutActivating();
    Blend(0, 255, kFadeIn);
  } else {
    ShowWithoutActivating();
  }
  Update();
}

void CSplashScreenEx::HideSplash() {
  // Only what the window system needs to draw is handled meanwhile: no input, no command.
  const auto deadline = shownAt_ + kLongest - (Fades() ? kFadeOut : std::chrono::milliseconds(0));
  while (bitmap_.IsOk() && IsShown() && !painted_ && std::chrono::steady_clock::now() < deadline) {
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_UI);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (IsShown() && Fades()) Blend(255, 0, kFadeOut);
  Hide();
  Destroy();
}

void CSplashScreenEx::Blend(int from, int to, std::chrono::milliseconds over) {
  for (int step = 1; step <= kBlendSteps; ++step) {
    SetTransparent(static_cast<wxByte>(from + (to - from) * step / kBlendSteps));
    Update();
    std::this_thread::sleep_for(over / kBlendSteps);
  }
}

void CSplashScreenEx::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (bitmap_.IsOk()) dc.DrawBitmap(bitmap_, 0, 0);
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPointSize(10);
  dc.SetFont(font);
  dc.SetTextForeground(*wxWHITE);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.DrawLabel(ToWx(text_), kTextRect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
  painted_ = true;
}

void CSplashScreenEx::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() != WXK_ESCAPE) {
    event.Skip();
    return;
  }
  // The splash goes first: a top-level window left standing would keep the program alive.
  std::function<void()> escape = std::move(onEscape_);
  Hide();
  Destroy();
  if (escape) escape();
}

void PlugInSplash(WindowSetup& setup, std::function<void()> closeWindow) {
  auto splash = std::make_shared<wxWeakRef<CSplashScreenEx>>();
  setup.showSplash = [splash, closeWindow] {
    *splash = new CSplashScreenEx(Text(kSplashText), MakeSplashBitmap(), closeWindow);
    (*splash)->ShowSplash();
  };
  setup.hideSplash = [splash] {
    if (CSplashScreenEx* shown = *splash) shown->HideSplash();
  };
}

}  // namespace albatrix
