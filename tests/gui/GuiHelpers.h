// Helpers for the dialog and menu tests: running a modal dialog with steps played inside its loop,
// pressing buttons and keys through the widgets' own events, reading labels, expecting dialogs, and
// screenshots for a person to look at.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/testing.h>
#include <wx/msgdlg.h>

namespace albatrix::test {

// Shows `dialog` modally and plays `steps` inside its loop. Returns what ShowModal returned; when the
// steps leave the dialog open, it is ended with kLeftOpen so a failing test never hangs.
constexpr int kLeftOpen = -4242;
int RunModal(wxDialog& dialog, const std::function<void()>& steps);

// Sends a button's click as the button itself does.
void Click(wxWindow* parent, int buttonId);
// Sends a key press (as the char hook sees it) to a window.
void PressKey(wxWindow* window, int keyCode);
// Tests that need a display and nothing else; they skip themselves without one.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override;
};

// Every label of a window's descendants in creation order: static texts, static boxes, radio buttons,
// check boxes, buttons and links.
std::vector<std::string> LabelsOf(wxWindow* window);
std::string Utf8(const wxString& text);
inline wxString U8(const char* text) { return wxString::FromUTF8(text); }
// What the about box and the window's bottom line show: "版本号：" and the first line of VERSION.
std::string ShownVersion();

// Saves what the screen shows of `window` (its frame and menu bar included) to
// $ALBATRIX_SCREENSHOT_DIR/<name>.png when that variable is set.
void SaveScreenshot(wxWindow* window, const std::string& name);

// This test program started again in `folder` with `args`, to run the window's own app in a process of
// its own that the test watches from outside; what it writes to stdout comes through a pipe.
class SelfChild {
 public:
  SelfChild(const std::string& folder, const std::vector<std::string>& args);
  ~SelfChild();  // a child still running is killed and waited for
  SelfChild(const SelfChild&) = delete;
  SelfChild& operator=(const SelfChild&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // Reads until the child has said `marker`: false when it closed its output first or `timeout` passed.
  // `meanwhile` runs after each read that brought no end.
  bool ReadUntil(const std::string& marker, std::chrono::milliseconds timeout,
                 const std::function<void()>& meanwhile = {});
  // Waits at most `timeout` for the child's end, reading what it says meanwhile.
  bool Ended(std::chrono::milliseconds timeout);
  const std::string& Said() const { return said_; }
  int Status() const { return status_; }  // as waitpid gave it, once Ended()

 private:
  // Reads what is there: false once the child closed its output.
  bool Read();

  pid_t pid_ = -1;
  int output_ = -1;
  bool ended_ = false;
  int status_ = 0;
  std::string said_;
};

// A message box that must appear: records its text and answers as told (OK unless told otherwise).
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
 public:
  explicit ExpectMessage(std::string* text, int answer = wxID_OK) : text_(text), answer_(answer) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    *text_ = Utf8(dialog->GetMessage());
    return answer_;
  }

 private:
  std::string* text_;
  int answer_;
};

// A dialog of type D that must appear: answered with `code` without being shown.
template <class D>
class ExpectDialog : public wxExpectModalBase<D, ExpectDialog<D>> {
 public:
  explicit ExpectDialog(int code) : code_(code) {}

 protected:
  int OnInvoked(D*) const override { return code_; }

 private:
  int code_;
};

}  // namespace albatrix::test
