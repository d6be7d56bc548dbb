#include "GuiHelpers.h"

#include "GuiHarness.h"

#include <chrono>
#include <cstdlib>
#include <fstream>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/hyperlink.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace albatrix::test {

int RunModal(wxDialog& dialog, const std::function<void()>& steps) {
  dialog.CallAfter([&dialog, steps] {
    steps();
    if (dialog.IsModal()) dialog.EndModal(kLeftOpen);
  });
  return dialog.ShowModal();
}

void Click(wxWindow* parent, int buttonId) {
  wxWindow* button = parent->FindWindow(buttonId);
  ASSERT_NE(button, nullptr) << buttonId;
  wxCommandEvent click(wxEVT_BUTTON, buttonId);
  click.SetEventObject(button);
  button->HandleWindowEvent(click);
}

void PressKey(wxWindow* window, int keyCode) {
  wxKeyEvent key(wxEVT_CHAR_HOOK);
  key.m_keyCode = keyCode;
  key.SetEventObject(window);
  window->HandleWindowEvent(key);
}

void DisplayTest::SetUp() {
  if (!HaveDisplay()) GTEST_SKIP() << "no display: run under xvfb-run";
}

std::string Utf8(const wxString& text) { return std::string(text.utf8_str()); }

std::string ShownVersion() {
  std::ifstream file(ALBATRIX_SOURCE_DIR "/VERSION");
  std::string line;
  std::getline(file, line);
  return "版本号：" + line;
}

namespace {

void CollectLabels(wxWindow* window, std::vector<std::string>& labels) {
  for (wxWindow* child : window->GetChildren()) {
    if (wxDynamicCast(child, wxStaticText) || wxDynamicCast(child, wxStaticBox) ||
        wxDynamicCast(child, wxRadioButton) || wxDynamicCast(child, wxCheckBox) || wxDynamicCast(child, wxButton) ||
        wxDynamicCast(child, wxHyperlinkCtrl)) {
      labels.push_back(Utf8(child->GetLabel()));
    }
    CollectLabels(child, labels);
  }
}

}  // namespace

std::vector<std::string> LabelsOf(wxWindow* window) {
  std::vector<std::string> labels;
  CollectLabels(window, labels);
  return labels;
}

void SaveScreenshot(wxWindow* window, const std::string& name) {
  const char* folder = std::getenv("ALBATRIX_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  window->Raise();
  window->Update();
  PumpFor(std::chrono::milliseconds(500));  // let the window system draw what was just shown
  // ImageMagick reads the X server itself: wx's screen DC on GTK 3 does not follow later drawing.
  const wxRect rect = window->GetScreenRect();
  const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                              std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                              std::to_string(rect.y) + " +repage '" + folder + "/" + name + ".png'";
  if (std::system(command.c_str()) != 0) ADD_FAILURE() << "screenshot failed: " << command;
}

}  // namespace albatrix::test
