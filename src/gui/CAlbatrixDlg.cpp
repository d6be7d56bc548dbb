#include "gui/CAlbatrixDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dnd.h>
#include <wx/filefn.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/hyperlink.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#ifdef __WXMSW__
#include <wx/taskbarbutton.h>
#endif

#include <algorithm>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "gui/ControlIds.h"
#include "app/CsvExport.h"
#include "app/GridCells.h"
#include "app/SavePathRules.h"
#include "app/StartupRules.h"
#include "app/Version.h"  // made by the build from VERSION
#include "gui/CComboBox2.h"
#include "gui/CDlgFailures.h"
#include "gui/CDlgFind.h"
#include "gui/CDlgWebOpen.h"
#include "gui/CMyGridCtrl.h"
#include "gui/ProgramIcon.h"
#include "gui/ThumbnailImage.h"
#include "gui/WxMainView.h"
#include "gui/WxText.h"

namespace albatrix {

const char* const kProductTitle = "Albatrix 虎扑相册批量下载";
const char* const kMakerPage = "https://albatrix.example.org/";

namespace {

const char* const kNotice = "粘贴会员主页或相册的地址，点“获取相册”列出相册，选中后点“下载”。";
const char* const kBottomLine = "版本号：" ALBATRIX_VERSION;
const char* const kMakerLinkText = "Albatrix 主页";
const char* const kFolderTitle = "请选择文件保存目录：";
const char* const kExportFilter = "导出后，自行调整列宽(*.csv)|*.csv";
const char* const kQuitDuringDownload = "正在下载，确定要退出吗？";

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// Drops on the window: files and folders from a file manager.
class PathDropTarget : public wxFileDropTarget {
 public:
  explicit PathDropTarget(CAlbatrixDlg& window) : window_(window) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& paths) override {
    window_.DropFiles(paths);
    return true;
  }

 private:
  CAlbatrixDlg& window_;
};

}  // namespace

CAlbatrixDlg::CAlbatrixDlg(WindowSetup setup)
    : wxFrame(nullptr, wxID_ANY, U8(kProductTitle)), setup_(std::move(setup)) {
  view_ = std::make_unique<WxMainView>(*this);
  controller_ = std::make_unique<AlbatrixController>(*view_, setup_.programFolder, setup_.profile);
  SetIcons(ProgramIcons());
  BuildControls();
  BindEvents();
  InstallImageDecoders();
  controller_->SetThumbnailMaker(
      [](const Text& coverFile) { return MakeThumbnailPixels(coverFile, kThumbWidth, kThumbHeight); });
  SetClientSize(ConvertDialogToPixels(wxSize(471, 323)));
}

CAlbatrixDlg::~CAlbatrixDlg() {
  // Normally gone already (OnClose); a window destroyed otherwise still stops and joins its threads
  // before its controls go.
  if (view_) view_->BeginClosing();
  controller_.reset();
}

// --- layout ---------------------------------------------------------------------------------------

void CAlbatrixDlg::BuildControls() {
  panel_ = new wxPanel(this, wxID_ANY);
  const int gap = ConvertDialogToPixels(wxSize(3, 0)).x;
  auto label = [this](int id, const wxString& text, long style = 0) {
    return new wxStaticText(panel_, id, text, wxDefaultPosition, wxDefaultSize, style);
  };
  auto link = [](wxWindow* parent, int id, const wxString& text, const wxString& address = wxString()) {
    return new wxHyperlinkCtrl(parent, id, text, address.empty() ? U8("#") : address, wxDefaultPosition,
                               wxDefaultSize, wxHL_ALIGN_LEFT | wxNO_BORDER);
  };
  auto button = [this](int id, const char* text) { return new wxButton(panel_, id, U8(text)); };

  auto* notice = label(IDC_NOTICE, U8(kNotice), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);

  // Site selector, sub-type selector, member box, the two commands. The sub-type selector and the member
  // box share a row of their own: hidden, the selector leaves its place to the member box, whose right
  // edge stays; shown, the member box starts 3 pixels right of it.
  auto* site = new wxChoice(panel_, IDC_SITE);
  site->SetName(U8("站点"));
  auto* subtype = new wxChoice(panel_, IDC_SUBTYPE);
  subtype->SetName(U8("相册类型"));
  subtype->Hide();
  memberBox_ = new CComboBox2(panel_, IDC_MEMBER, U8("会员主页或相册地址"));
  memberRow_ = new wxBoxSizer(wxHORIZONTAL);
  memberRow_->Add(subtype, wxSizerFlags().CenterVertical().Border(wxRIGHT, 3));
  memberRow_->Add(memberBox_, wxSizerFlags(1).CenterVertical());
  auto* getAlbums = button(IDC_GET_ALBUMS, "获取相册");
  getAlbums->SetDefault();
  auto* download = button(IDC_DOWNLOAD, "下载");
  download->Disable();
  auto* inputRow = new wxBoxSizer(wxHORIZONTAL);
  inputRow->Add(site, wxSizerFlags().CenterVertical().Border(wxRIGHT, gap));
  inputRow->Add(memberRow_, wxSizerFlags(1).CenterVertical());
  inputRow->Add(getAlbums, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  inputRow->Add(download, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));

  savePathBox_ = new CComboBox2(panel_, IDC_SAVE_PATH, U8("保存路径"));
  auto* pathRow = new wxBoxSizer(wxHORIZONTAL);
  pathRow->Add(label(wxID_ANY, U8("保存路径:")), wxSizerFlags().CenterVertical().Border(wxRIGHT, gap));
  pathRow->Add(savePathBox_, wxSizerFlags(1).CenterVertical());
  pathRow->Add(button(IDC_CHOOSE_FOLDER, "设置"), wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  pathRow->Add(button(IDC_OPEN_FOLDER, "打开"), wxSizerFlags().CenterVertical().Border(wxLEFT, gap));

  // The album list: the grid, and under it the selection, the mode and the list's links.
  auto* frame = new wxStaticBox(panel_, IDC_GRID_FRAME, U8("相册列表"));
  grid_ = new CMyGridCtrl(frame, IDC_GRID);
  auto* listBar = new wxBoxSizer(wxHORIZONTAL);
  listBar->Add(new wxCheckBox(frame, IDC_SELECT_ALL, U8("全选")), wxSizerFlags().CenterVertical());
  listBar->Add(new wxCheckBox(frame, IDC_PREVIEW, U8("预览图")), wxSizerFlags().CenterVertical().Border(wxLEFT, 4 * gap));
  listBar->AddStretchSpacer();
  listBar->Add(link(frame, IDC_EXPORT, U8("导出")), wxSizerFlags().CenterVertical().Border(wxLEFT, 3 * gap));
  listBar->Add(link(frame, IDC_FILTER, U8("筛选")), wxSizerFlags().CenterVertical().Border(wxLEFT, 3 * gap));
  listBar->Add(link(frame, IDC_FIND, U8("查找")), wxSizerFlags().CenterVertical().Border(wxLEFT, 3 * gap));
  auto* listBox = new wxStaticBoxSizer(frame, wxVERTICAL);
  listBox->Add(grid_, wxSizerFlags(1).Expand().Border(wxALL, gap));
  listBox->Add(listBar, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, gap));

  // The status and progress lines are empty until there is something to say.
  auto* statusRow = new wxBoxSizer(wxHORIZONTAL);
  statusRow->Add(label(IDC_STATUS, wxString(), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END),
                 wxSizerFlags(3).CenterVertical());
  // "查看失败" follows the status text that counts the failures; shown once a run ended with some.
  auto* failures = link(panel_, IDC_FAILURES_LINK, U8("查看失败"));
  failures->Hide();
  statusRow->Add(failures, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  statusRow->Add(label(IDC_PROGRESS, wxString(), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END),
                 wxSizerFlags(2).CenterVertical().Border(wxLEFT, gap));
  progressBar_ = new wxGauge(panel_, wxID_ANY, 1, wxDefaultPosition, ConvertDialogToPixels(wxSize(80, 8)),
                             wxGA_HORIZONTAL | wxGA_SMOOTH, wxDefaultValidator, U8("下载进度"));
  statusRow->Add(progressBar_, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  // The pace and the time left, beside the bar: as wide as a long text of its own, so the row does not
  // move while it counts; anything longer ends in an ellipsis.
  auto* rate = label(IDC_RATE, wxString(), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  rate->SetMinSize(wxSize(rate->GetTextExtent(U8("888 张/秒，剩余约 88 小时 88 分钟")).x, -1));
  statusRow->Add(rate, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));

  auto* bottomRow = new wxBoxSizer(wxHORIZONTAL);
  bottomRow->Add(label(IDC_BOTTOM_LINE, U8(kBottomLine)), wxSizerFlags().CenterVertical());
  auto* update = link(panel_, IDC_UPDATE_LINK, U8("程序有更新"));
  update->Hide();
  bottomRow->Add(update, wxSizerFlags().CenterVertical().Border(wxLEFT, 3 * gap));
  bottomRow->AddStretchSpacer();
  bottomRow->Add(link(panel_, IDC_MAKER_LINK, U8(kMakerLinkText), U8(kMakerPage)), wxSizerFlags().CenterVertical());

  auto* all = new wxBoxSizer(wxVERTICAL);
  const int border = 2 * gap;
  // Hidden while a listing runs, the notice keeps its row: the controls under it stay where the user's
  // pointer expects them.
  all->Add(notice, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, border).ReserveSpaceEvenIfHidden());
  all->Add(inputRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, border));
  all->Add(pathRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, border));
  all->Add(listBox, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT | wxTOP, border));
  all->Add(statusRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, border));
  all->Add(bottomRow, wxSizerFlags().Expand().Border(wxALL, border));
  panel_->SetSizer(all);
  SetMinSize(ClientToWindowSize(all->GetMinSize()));

  // Text boxes take drops themselves (a path pasted as text): on the two boxes a dropped file or folder
  // does what a drop anywhere on the window does.
  for (wxWindow* target : {static_cast<wxWindow*>(panel_), grid_->GetGridWindow(),
                           static_cast<wxWindow*>(memberBox_->Edit()), static_cast<wxWindow*>(savePathBox_->Edit())})
    target->SetDropTarget(new PathDropTarget(*this));
}

CComboBox2* CAlbatrixDlg::Combo(int id) const {
  if (id == IDC_MEMBER) return memberBox_;
  if (id == IDC_SAVE_PATH) return savePathBox_;
  return nullptr;
}

wxWindow* CAlbatrixDlg::Control(int id) const {
  if (id <= 0) return nullptr;
  if (wxWindow* control = FindWindow(id)) return control;
  // The window's own small windows (the find window) are top-level windows, which FindWindow skips.
  for (wxWindow* top : wxTopLevelWindows)
    if (top->GetParent() == this && top->GetId() == id) return top;
  return nullptr;
}

void CAlbatrixDlg::EnableControl(int id, bool enabled) {
  wxWindow* control = Control(id);
  if (!control) return;
  wxWindow* focus = wxWindow::FindFocus();
  const bool hadKeys = focus && (focus == control || control->IsDescendant(focus));
  control->Enable(enabled);
  if (!enabled && hadKeys) {
    // A disabled control drops the keys and nobody gets them: the grid takes them, or the button
    // whose press started the work.
    wxWindow* parking = nullptr;
    for (wxWindow* candidate : {static_cast<wxWindow*>(grid_), Control(IDC_GET_ALBUMS), Control(IDC_DOWNLOAD)}) {
      if (candidate && candidate != control && candidate->IsEnabled() && candidate->IsShownOnScreen()) {
        parking = candidate;
        break;
      }
    }
    if (focusOwner_ == 0) focusOwner_ = id;
    focusParked_ = parking;
    if (parking) parking->SetFocus();
    return;
  }
  if (enabled && focusOwner_ == id) {
    focusOwner_ = 0;
    wxWindow* now = wxWindow::FindFocus();
    const bool untouched = !now || now == focusParked_ || (focusParked_ && focusParked_->IsDescendant(now));
    focusParked_ = nullptr;
    if (!untouched) return;  // the user chose where the keys are
    if (CComboBox2* box = Combo(id))
      box->Edit()->SetFocus();
    else
      control->SetFocus();
  }
}

void CAlbatrixDlg::CloseSuggestionLists() {
  if (memberBox_) memberBox_->CancelList();
  if (savePathBox_) savePathBox_->CancelList();
}

void CAlbatrixDlg::Relayout() {
  CloseSuggestionLists();  // the boxes may move away from their lists
  panel_->Layout();
  // Controls that moved leave their old picture behind where the system does not repaint the place they
  // left (wine): the panel is drawn anew.
  panel_->Refresh();
}

void CAlbatrixDlg::PlaceMemberBox(MemberBoxPlace) {
  // The row's sizer puts the box where it belongs: over the hidden selector's place, or 3 pixels right
  // of the visible one.
  Relayout();
}

CDlgWebOpen* CAlbatrixDlg::OpenLoginBrowser(const wxString& startAddress) {
  WebOpenSetup web;
  web.startAddress = startAddress;
  web.siteAddress = ToWx(setup_.profile.BaseAddress());
  web.clipboardText = setup_.desktop.clipboardText;
  return new CDlgWebOpen(this, std::move(web));
}

void CAlbatrixDlg::OpenFolder(const wxString& folder) {
  if (setup_.desktop.openFolder) setup_.desktop.openFolder(folder);
}

// Workers' calls reach the window in the view's drains, at most one every 50 ms, and the view hands on
// only the latest figure of each: the bar is drawn no more often, whatever the pictures' pace.
void CAlbatrixDlg::ShowProgress(std::int32_t done, std::size_t total) {
  const int range = static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(total, 1), 1 << 30));
  const int value = std::clamp(static_cast<int>(done), 0, range);
  if (progressBar_) {
    progressBar_->SetRange(range);
    progressBar_->SetValue(total == 0 ? 0 : value);
  }
#ifdef __WXMSW__
  // The taskbar button: a user who put the window behind others still sees the batch going on. Null
  // where the system's taskbar has no progress (before Windows 7, some shells).
  wxTaskBarButton* button = MSWGetTaskBarButton();
  if (!button) return;
  if (total == 0) {
    button->SetProgressState(wxTASKBAR_BUTTON_NO_PROGRESS);
    return;
  }
  button->SetProgressRange(range);
  button->SetProgressValue(value);
#endif
}

void CAlbatrixDlg::ShowFailureList(const std::vector<FailedPicture>& failures) {
  CDlgFailures dialog(this, failures, setup_.desktop.copyText);
  if (dialog.ShowModal() != IDC_FAILURES_RETRY) return;
  // The pass starts once the dialog is gone and the controller's call that opened it has returned.
  CallAfter([this] {
    if (!closing_) controller_->RetryFailures();
  });
}

DownloadRequest CAlbatrixDlg::CurrentDownloadRequest() const {
  return DownloadRequest{grid_->ChosenAlbums(), FromWx(savePathBox_->GetValue())};
}

MemberBoxState CAlbatrixDlg::MemberBox() const {
  const auto* subtype = dynamic_cast<const wxChoice*>(Control(IDC_SUBTYPE));
  return {FromWx(memberBox_->GetValue()), subtype ? subtype->GetSelection() : 0};
}

void CAlbatrixDlg::NotifyRunEnded(const wxString& summary) {
  // The user watching the window sees the status line; one who went elsewhere hears of the end.
  if (IsActive() || !setup_.desktop.notify) return;
  setup_.desktop.notify(this, U8(kProductTitle), summary);
}

// --- events ---------------------------------------------------------------------------------------

void CAlbatrixDlg::BindEvents() {
  auto onButton = [this](int id, std::function<void()> run) {
    Bind(wxEVT_BUTTON, [run](wxCommandEvent&) { run(); }, id);
  };
  onButton(IDC_GET_ALBUMS, [this] {
    CloseSuggestionLists();  // the box is about to be disabled under its list
    controller_->GetAlbums(FromWx(memberBox_->GetValue()));
  });
  // The commands are given what the controls hold at the press.
  onButton(IDC_DOWNLOAD, [this] {
    controller_->Download(CurrentDownloadRequest());
  });
  onButton(IDC_CHOOSE_FOLDER, [this] { ChooseSaveFolder(); });
  onButton(IDC_OPEN_FOLDER, [this] { controller_->OpenSaveFolder(FromWx(savePathBox_->GetValue())); });

  Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { grid_->SelectEveryAlbum(event.IsChecked()); },
       IDC_SELECT_ALL);
  Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) { controller_->SwitchPreview(event.IsChecked()); },
       IDC_PREVIEW);

  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) { Export(); }, IDC_EXPORT);
  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) { Filter(); }, IDC_FILTER);
  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) { Find(); }, IDC_FIND);
  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) {
    if (setup_.desktop.openBrowser) setup_.desktop.openBrowser(U8(kMakerPage));
  }, IDC_MAKER_LINK);
  Bind(wxEVT_HYPERLINK, [](wxHyperlinkEvent&) {}, IDC_UPDATE_LINK);
  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) { controller_->ShowFailures(); }, IDC_FAILURES_LINK);

  Bind(wxEVT_CHOICE, [this](wxCommandEvent& event) { controller_->ApplySiteSelection(event.GetSelection()); },
       IDC_SITE);

  auto followMember = [this] { controller_->RecognizeSite(FromWx(memberBox_->GetValue())); };
  memberBox_->onEdited = followMember;
  memberBox_->onPicked = followMember;

  // A list is placed under its box once: when the window moves, resizes or goes to the background, the
  // list would be left floating over other controls.
  Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
    CloseSuggestionLists();
    event.Skip();
  });
  panel_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    CloseSuggestionLists();
    event.Skip();
  });
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
    if (!event.GetActive()) CloseSuggestionLists();
    event.Skip();
  });
  // An open menu takes Escape to close itself; the same key must not also reach the window.
  Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
    ++menusOpen_;
    event.Skip();
  });
  Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
    if (menusOpen_ > 0) --menusOpen_;
    menuClosedAt_ = std::chrono::steady_clock::now();
    event.Skip();
  });
  Bind(wxEVT_CHAR_HOOK, &CAlbatrixDlg::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &CAlbatrixDlg::OnClose, this);
}

void CAlbatrixDlg::OnCharHook(wxKeyEvent& event) {
  int key = event.GetKeyCode();
  CComboBox2* open = memberBox_->IsListShown() ? memberBox_ : savePathBox_->IsListShown() ? savePathBox_ : nullptr;
  if (key == WXK_ESCAPE) {
    if (open) {
      open->CancelList();
      return;
    }
    // Escape ends the program only when the window itself receives it: not the one that closed a menu
    // (GTK passes it on once the menu is gone), nor one meant for a window of its own such as the find
    // window.
    auto* from = dynamic_cast<wxWindow*>(event.GetEventObject());
    const bool menuJustClosed = std::chrono::steady_clock::now() - menuClosedAt_ < kMenuEscapeWindow;
    if (menusOpen_ > 0 || menuJustClosed || (from && wxGetTopLevelParent(from) != this)) {
      event.Skip();
      return;
    }
    Close();
    return;
  }
  // Enter on a focused button presses that button, as in a dialog; anywhere else it presses 1004.
  bool onButton = dynamic_cast<wxButton*>(wxWindow::FindFocus()) != nullptr;
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !onButton) {
    if (open && open->SelectedItem() >= 0) {
      open->Pick(open->SelectedItem());
      return;
    }
    if (open) open->CancelList();
    wxCommandEvent press(wxEVT_BUTTON, IDC_GET_ALBUMS);
    press.SetEventObject(Control(IDC_GET_ALBUMS));
    ProcessWindowEvent(press);
    return;
  }
  event.Skip();
}

// --- start-up ---------------------------------------------------------------------------------------

void CAlbatrixDlg::StartUp() {
  if (setup_.desktop.clipboardText) {
    if (std::optional<Text> member = ClipboardMemberText(FromWx(setup_.desktop.clipboardText())))
      memberBox_->SetValue(ToWx(*member));
  }
  if (setup_.memberText) memberBox_->SetValue(ToWx(*setup_.memberText));

  controller_->Initialize();
  if (setup_.desktop.documentsFolder) {
    const StartupDocuments documents =
        DocumentsAtStartup(setup_.programFolder, setup_.programFolderNamed, FromWx(setup_.desktop.documentsFolder()),
                           SlotText(controller_->SettingsCopy().savePathHistory[0]));
    if (!documents.folder.empty() && !CreateFolders(documents.folder))
      Trace("start-up: the documents folder could not be made: " + TextToUtf8(documents.folder));
    if (documents.intoSavePathBox) savePathBox_->SetValue(ToWx(documents.folder));
  }

  if (setup_.showSplash) setup_.showSplash();
  // No request to a server stands between the two halves of start-up: the second runs at the next turn of
  // the event loop, after the events already queued (the splash's drawing among them).
  CallAfter([this] { FinishStartUp(); });
}

void CAlbatrixDlg::FinishStartUp() {
  if (closing_) return;
  if (setup_.hideSplash) setup_.hideSplash();
  controller_->FinishStartup(FromWx(memberBox_->GetValue()));
  Show();
  Raise();
  startupFinished_ = true;
  if (setup_.startupDone) setup_.startupDone();
  // Asked over the shown window: a run that did not end goes on if the user wants it.
  CallAfter([this] {
    if (!closing_) controller_->OfferUnfinishedRun();
  });
}

// --- commands ---------------------------------------------------------------------------------------

void CAlbatrixDlg::ChooseSaveFolder() {
  if (!setup_.desktop.chooseFolder) return;
  wxString chosen = setup_.desktop.chooseFolder(this, U8(kFolderTitle), savePathBox_->GetValue());
  if (chosen.empty()) return;
  UseSavePath(FolderWithSeparator(FromWx(chosen)));
}

void CAlbatrixDlg::DropFiles(const wxArrayString& paths) {
  if (paths.empty()) return;
  const wxString& first = paths[0];
  DroppedKind kind = wxDirExists(first)    ? DroppedKind::Folder
                     : wxFileExists(first) ? DroppedKind::File
                                           : DroppedKind::Missing;
  Text path = DroppedSavePath(FromWx(first), kind);
  if (!path.empty()) UseSavePath(path);
}

void CAlbatrixDlg::UseSavePath(const Text& path) {
  savePathBox_->SetValue(ToWx(path));
  controller_->AddSavePathHistory(path);  // refuses what is too long or already there in any case
}

void CAlbatrixDlg::Export() {
  if (!setup_.desktop.chooseSaveFile) return;
  wxString chosen = setup_.desktop.chooseSaveFile(this, U8(kExportFilter));
  if (chosen.empty()) return;
  Text path = WithCsvExtension(FromWx(chosen));
  // Nothing is reported to the user; a failed export leaves no half file behind.
  if (!WriteCsvFile(path, grid_->ExportRows())) Trace("export: could not write " + TextToUtf8(path));
}

CDlgFind* CAlbatrixDlg::FindDialog() const { return dynamic_cast<CDlgFind*>(Control(IDD_FIND)); }

void CAlbatrixDlg::Find() {
  CDlgFind* find = FindDialog();
  // Made once, on the first "查找"; "×" and the preview switch only hide it.
  if (!find) find = new CDlgFind(this, FindMode::Find, grid_);
  find->ShowForFind();
}

void CAlbatrixDlg::Filter() {
  if (controller_->Filling()) {
    Trace("filter: the grid is still being filled");
    return;
  }
  if (CDlgFind* find = FindDialog()) find->Hide();
  CDlgFind prompt(this, FindMode::Filter);
  prompt.CentreOnParent();
  if (prompt.ShowModal() != wxID_OK) return;
  controller_->ApplyFilter(prompt.Keyword());
}

// --- closing ------------------------------------------------------------------------------------------

void CAlbatrixDlg::OnClose(wxCloseEvent& event) {
  if (closing_) return;
  // A close (the close box or Escape) during a download would end it half way: the user says so first.
  // A close that cannot be refused (the system ending the session) takes the clean close at once.
  if (event.CanVeto() && controller_->Running()) {
    wxMessageDialog ask(this, U8(kQuitDuringDownload), U8(kProductTitle), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (ask.ShowModal() != wxID_YES) {
      event.Veto();
      return;
    }
  }
  closing_ = true;
  Hide();
  memberBox_->CancelList();
  savePathBox_->CancelList();
  // Stop, join, destroy: every waiting worker is released first, then every stop request is raised and
  // every thread joined (the controller does both as it goes), and only then do the controls go.
  view_->BeginClosing();
  controller_->Shutdown();
  Destroy();
}

}  // namespace albatrix
