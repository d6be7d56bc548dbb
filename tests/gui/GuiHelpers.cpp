#include "GuiHelpers.h"

#include "GuiHarness.h"
#include "support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

SelfChild::SelfChild(const std::string& folder, const std::vector<std::string>& args) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<char*> argv{const_cast<char*>(self.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(pipeFds[1], 1);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::unsetenv("GDK_GL");  // keeping GTK off OpenGL is the program's own doing, not this process's
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  output_ = pipeFds[0];
  ::fcntl(output_, F_SETFL, O_NONBLOCK);
}

SelfChild::~SelfChild() {
  if (pid_ > 0 && !ended_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (output_ >= 0) ::close(output_);
}

bool SelfChild::Read() {
  char buffer[256];
  const ssize_t got = ::read(output_, buffer, sizeof buffer);
  if (got > 0) said_.append(buffer, static_cast<std::size_t>(got));
  return got != 0;
}

bool SelfChild::ReadUntil(const std::string& marker, std::chrono::milliseconds timeout,
                          const std::function<void()>& meanwhile) {
  bool open = true;
  WaitFor([&] {
    open = Read();
    if (!open || said_.find(marker) != std::string::npos) return true;
    if (meanwhile) meanwhile();
    return false;
  }, timeout);
  return said_.find(marker) != std::string::npos;
}

bool SelfChild::Ended(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return false;
  ended_ = WaitFor([&] {
    Read();
    return ended_ || ::waitpid(pid_, &status_, WNOHANG) == pid_;
  }, timeout);
  return ended_;
}

}  // namespace albatrix::test
