#include "gui/WxMainView.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/toplevel.h>

#include "MyCode/Trace.h"
#include "gui/ControlIds.h"
#include "gui/CComboBox2.h"
#include "gui/CMyGridCtrl.h"
#include "gui/MainWindowControls.h"
#include "gui/WxText.h"

namespace albatrix {

WxMainView::WxMainView(MainWindowControls& window) : window_(window), interfaceThread_(std::this_thread::get_id()) {
  drainTimer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Drain(); });
}

WxMainView::~WxMainView() {
  BeginClosing();
  drainTimer_.Stop();
}

// --- the crossing ---------------------------------------------------------------------------------

void WxMainView::Run(std::function<void()> call) {
  if (OnInterfaceThread()) {
    Flush();  // what a worker asked for earlier comes first
    call();
    return;
  }
  Queue(Call{std::move(call), GridAlbum()});
}

void WxMainView::Queue(Call call) {
  if (closing_) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    queue_.push_back(std::move(call));
  }
  Wake();
}

void WxMainView::Wake() {
  // One wake-up is enough for any number of calls: the drain takes them all.
  if (wakePending_.exchange(true)) return;
  window_.Frame().CallAfter([this] {
    if (closing_) return;
    auto since = std::chrono::steady_clock::now() - lastDrain_;
    if (since >= kDrainInterval) {
      Drain();
    } else if (!drainTimer_.IsRunning()) {
      auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(kDrainInterval - since);
      drainTimer_.StartOnce(static_cast<int>(rest.count()) + 1);
    }
  });
}

void WxMainView::Flush() {
  bool pending;
  {
    std::lock_guard<std::mutex> hold(lock_);
    pending = !queue_.empty();
  }
  if (pending) Drain();
}

void WxMainView::Drain() {
  auto started = std::chrono::steady_clock::now();
  lastDrain_ = started;
  wakePending_ = false;  // a call queued from here on wakes the next drain
  // One call at a time off the shared queue: a message box's own event loop may drain again, and what
  // it leaves is then taken in order by this loop.
  for (;;) {
    Call call;
    std::vector<GridAlbum> rows;
    {
      std::lock_guard<std::mutex> hold(lock_);
      while (!queue_.empty() && !queue_.front().run) {
        rows.push_back(std::move(queue_.front().row));
        queue_.pop_front();
      }
      if (rows.empty()) {
        if (queue_.empty()) break;
        call = std::move(queue_.front());
        queue_.pop_front();
      }
    }
    if (closing_) continue;  // dropped: the window is going
    if (!rows.empty()) {
      window_.Grid()->AppendAlbums(rows);
    } else {
      call.run();
    }
  }
  auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  if (took > longestDrain_) longestDrain_ = took;
}

template <typename T>
T WxMainView::Ask(std::function<T()> ask, T whenClosing) {
  if (OnInterfaceThread()) {
    Flush();
    return closing_ ? whenClosing : ask();
  }
  struct Answer {
    bool done = false;
    T value;
  };
  auto answer = std::make_shared<Answer>();
  answer->value = whenClosing;
  Queue(Call{[this, ask, answer] {
               T value = ask();
               std::lock_guard<std::mutex> hold(lock_);
               answer->value = std::move(value);
               answer->done = true;
               answered_.notify_all();
             },
             GridAlbum()});
  std::unique_lock<std::mutex> hold(lock_);
  answered_.wait(hold, [&] { return answer->done || closing_; });
  return answer->done ? answer->value : whenClosing;
}

void WxMainView::BeginClosing() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    closing_ = true;
    queue_.clear();
  }
  answered_.notify_all();
}

// --- MainWindowView ---------------------------------------------------------------------------------

void WxMainView::SetText(Control control, const Text& text) {
  const int id = ControlId(control);
  Run([this, id, text] {
    if (CComboBox2* combo = window_.Combo(id)) {
      combo->SetValue(ToWx(text));
    } else if (wxWindow* shown = window_.Control(id)) {
      if (auto* labelled = dynamic_cast<wxControl*>(shown)) {
        labelled->SetLabelText(ToWx(text));
      } else {
        shown->SetLabel(ToWx(text));
      }
    }
  });
}

void WxMainView::Enable(Control control, bool enabled) {
  const int id = ControlId(control);
  Run([this, id, enabled] { window_.EnableControl(id, enabled); });
}

void WxMainView::Show(Control control, bool visible) {
  const int id = ControlId(control);
  Run([this, id, visible] {
    wxWindow* shown = window_.Control(id);
    if (shown && shown->Show(visible)) window_.Relayout();
  });
}

void WxMainView::Check(Control control, bool checked) {
  const int id = ControlId(control);
  Run([this, id, checked] {
    if (auto* box = dynamic_cast<wxCheckBox*>(window_.Control(id))) box->SetValue(checked);
  });
}

bool WxMainView::Message(const Text& text, const Text& caption, MessageButtons buttons) {
  Trace("message: " + TextToUtf8(text));
  return Ask<bool>(
      [this, text, caption, buttons] {
        wxTopLevelWindow& frame = window_.Frame();
        wxMessageDialog box(&frame, ToWx(text), caption.empty() ? frame.GetTitle() : ToWx(caption),
                            buttons == MessageButtons::YesNo ? wxYES_NO : wxOK);
        return box.ShowModal() == wxID_YES;
      },
      false);
}

void WxMainView::AddCandidate(Control control, const Text& text) {
  const int id = ControlId(control);
  Run([this, id, text] {
    if (CComboBox2* combo = window_.Combo(id)) combo->AddCandidate(text);
  });
}

void WxMainView::SetEntries(Control control, const TextArray& entries) {
  const int id = ControlId(control);
  Run([this, id, entries] {
    auto* choice = dynamic_cast<wxChoice*>(window_.Control(id));
    if (!choice) return;
    wxArrayString items;
    for (const Text& entry : entries) items.push_back(ToWx(entry));
    choice->Set(items);
  });
}

void WxMainView::SelectEntry(Control control, int index) {
  const int id = ControlId(control);
  Run([this, id, index] {
    auto* choice = dynamic_cast<wxChoice*>(window_.Control(id));
    if (!choice) return;
    // An entry the list lacks selects none, as the drop-down list's own message would.
    const bool inList = index >= 0 && static_cast<unsigned>(index) < choice->GetCount();
    choice->SetSelection(inList ? index : wxNOT_FOUND);
  });
}

void WxMainView::PlaceMemberBox(MemberBoxPlace place) {
  Run([this, place] { window_.PlaceMemberBox(place); });
}

void WxMainView::ResetGrid(bool previewMode) {
  Run([this, previewMode] { window_.Grid()->Reset(previewMode ? GridMode::Preview : GridMode::List); });
}

void WxMainView::ShowAlbum(const GridAlbum& album) {
  if (OnInterfaceThread()) {
    Run([this, album] { window_.Grid()->AppendAlbums({album}); });
    return;
  }
  Queue(Call{{}, album});
}

void WxMainView::ChooseAllAlbums() {
  Check(Control::SelectAll, true);
  Run([this] { window_.Grid()->SelectEveryAlbum(true); });
}

void WxMainView::RefreshGrid() {
  Run([this] { window_.Grid()->ForceRefresh(); });
}

void WxMainView::ClearThumbnails() {
  Run([this] { window_.Grid()->ClearThumbnails(); });
}

void WxMainView::AddThumbnail(int index, const ThumbnailPixels& pixels) {
  // The bitmap is made on the interface thread; the filling thread hands over plain bytes.
  Run([this, index, pixels] { window_.Grid()->SetThumbnail(index, pixels); });
}

void WxMainView::ClearAlbumRows() {
  Run([this] { window_.Grid()->ClearAlbumRows(); });
}

void WxMainView::OpenFolder(const Text& path) {
  Run([this, path] { window_.OpenFolder(ToWx(path)); });
}

void WxMainView::ShowProgress(std::int32_t done, std::size_t total) {
  // Every ended picture reports; only the latest figure matters, so one crossing at a time carries it.
  {
    std::lock_guard<std::mutex> hold(lock_);
    progress_ = {done, total};
    if (progressQueued_) return;
    progressQueued_ = true;
  }
  Run([this] {
    std::pair<std::int32_t, std::size_t> latest;
    {
      std::lock_guard<std::mutex> hold(lock_);
      latest = progress_;
      progressQueued_ = false;
    }
    window_.ShowProgress(latest.first, latest.second);
  });
}

void WxMainView::ShowResultColumn() {
  Run([this] { window_.Grid()->ShowResultColumn(); });
}

void WxMainView::SetAlbumResult(std::size_t albumIndex, const Text& result) {
  Run([this, albumIndex, result] { window_.Grid()->SetAlbumResult(albumIndex, result); });
}

void WxMainView::ShowFailureList(const std::vector<FailedPicture>& failures) {
  Run([this, failures] { window_.ShowFailureList(failures); });
}

void WxMainView::NotifyRunEnded(const Text& summary) {
  Run([this, summary] { window_.NotifyRunEnded(ToWx(summary)); });
}

}  // namespace albatrix
