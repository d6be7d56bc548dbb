#include "app/AlbatrixController.h"

#include <system_error>

#include "MyCode/Trace.h"
#include "app/GridCells.h"
#include "discovery/SiteRecognition.h"

namespace albatrix {

AlbatrixController::AlbatrixController(MainWindowView& view, Text programFolder, SiteProfile profile,
                                       ListAlbumsFn listAlbums)
    : view_(view),
      siteCode_(SITE_CODE_HUPU),
      programFolder_(std::move(programFolder)),
      profile_(std::move(profile)),
      member_(std::move(listAlbums)),
      downloadPresenter_(view, [this](const RunTally* tally) { DownloadEnded(tally); }),
      grid_(view, programFolder_, [this](std::size_t albumIndex) { return downloadPresenter_.ResultOf(albumIndex); }) {}

AlbatrixController::~AlbatrixController() { Shutdown(); }

void AlbatrixController::Initialize() {
  view_.SetText(Control::SavePath, programFolder_);
  HistoryBoxes boxes;
  boxes.addCandidate = [this](HistoryKind which, const Text& text) {
    view_.AddCandidate(which == HistoryKind::Member ? Control::Member : Control::SavePath, text);
  };
  const Text newestPath = settings_.Load(boxes);
  if (!newestPath.empty()) view_.SetText(Control::SavePath, newestPath);
}

void AlbatrixController::FinishStartup(TextView memberText, const TextArray& siteNames) {
  TextArray names = siteNames;
  if (names.empty()) names.assign(SITE_ENTRY_NAMES.begin(), SITE_ENTRY_NAMES.end());
  view_.SetEntries(Control::Site, names);
  SelectSite(SITE_CODE_HUPU);
  RecognizeSite(memberText);
  readyForInput_ = true;
  ApplySiteSelection(siteEntry_);
}

void AlbatrixController::SelectSite(int entry) {
  siteEntry_ = entry;
  view_.SelectEntry(Control::Site, entry);
}

void AlbatrixController::GetAlbums(Text memberText) {
  if (!readyForInput_) return;
  // A press during a listing is a stop request.
  if (Listing()) {
    StopListing();
    return;
  }
  if (Filling()) {
    // A press that does nothing must say why, or the user presses again and again.
    Trace("get albums: the grid is still being filled; nothing started");
    view_.SetText(Control::Status, kTextWaitForPreview);
    return;
  }
  if (Running()) {
    Trace("get albums: a download run is active; nothing started");
    return;
  }
  // The last listing has left its state already; let it finish writing the member history. A last run
  // has returned to idle too, and its thread no longer reads the album list.
  WaitForListing();
  WaitForFill();
  WaitForDownload();

  ClearListing();
  member_.LowerStop();
  states_.Begin(Activity::Listing);
  siteCode_ = SITE_CODE_HUPU;
  if (!StartThread(listThread_, [this, memberText = TrimBlanks(memberText)] {
        RunListing(memberText);
        Trace("get albums: the listing ended");
      })) {
    states_.End(Activity::Listing);  // otherwise every later press would only ask a missing thread to stop
    view_.Message(u"Create thread:GetListFunc failed.");
  }
}

void AlbatrixController::ClearListing() {
  grid_.Reset();
  member_.ClearAlbums();
  downloadPresenter_.ForgetResults();
  lastRunAlbums_.clear();  // the rows those albums had are gone with the list
  grid_.ForgetThumbnails();
}

void AlbatrixController::StopListing() {
  // The abort flag is lowered when the next listing starts.
  if (!states_.AskStop(Activity::Listing)) return;
  member_.RaiseStop();  // the page in flight ends now, and the listing after the album it is at
  grid_.DropCovers();    // and so do the covers
}

class AlbatrixController::ListingToController : public ListingEvents {
 public:
  explicit ListingToController(AlbatrixController& controller) : controller_(controller) {}
  void AlbumFound(const ST_PERLISTRECORD& album) override { controller_.AppendAlbum(album); }

 private:
  AlbatrixController& controller_;
};

namespace {

Text CountText(const char* before, std::size_t n, const char* after) {
  return Utf8ToText(before) + DecimalText(n) + Utf8ToText(after);
}

// The status line after a listing: how many albums, and why the list may be short when a page after the
// first could not be read.
Text ListingStatusText(std::size_t albums, const ListingResult& result) {
  Text text = CountText("获取相册列表完成，共", albums, "个");
  const bool cut = result.end == ListingEnd::Unreadable || result.end == ListingEnd::Maintenance;
  if (cut && result.endPage > 1)
    text += CountText("（第", static_cast<std::size_t>(result.endPage), "页读取失败，列表可能不完整）");
  return text;
}

}  // namespace

Text GridFrameText(std::size_t albums) { return CountText("相册列表(共", albums, "个)"); }

Text UnreadListText(const ListingResult& result) {
  return u"相册列表第" + DecimalText(result.endPage) + u"页读取失败: " + result.failure.reason;
}

void AlbatrixController::RunListing(const Text& memberText) {
  siteCode_ = SITE_CODE_HUPU;
  member_.SetFolders(Text(), Text());
  if (memberText.empty()) {
    // Nothing typed: back to idle without touching the controls.
    view_.Message(Text(kNeedAddressMessage));
    states_.End(Activity::Listing);
    return;
  }
  EnterListing();

  const ListingResult result = ListInto(memberText);
  if (result.end == ListingEnd::NoAddress) {
    view_.Message(Text(kNeedAddressMessage));
  } else if (Albums().empty() && result.end == ListingEnd::Unreadable && result.failure.named) {
    // Logging in mends neither a proxy that cannot be reached nor a host no one can find: the message
    // names what failed, as the failure lines do.
    view_.Message(UnreadListText(result));
  } else if (Albums().empty()) {
    // Logging in mends no site that is down for maintenance.
    view_.Message(Text(result.end == ListingEnd::Maintenance ? kMaintenanceMessage : kLoginFirstMessage));
  }
  const Text subFolder;  // nothing in this site's listing names a sub-folder
  member_.SetFolders(MemberFolderText(result.memberKey), MemberFolderText(subFolder));

  view_.RefreshGrid();
  const std::size_t n = Albums().size();
  view_.SetText(Control::GridFrame, GridFrameText(n));
  view_.SetText(Control::Status, ListingStatusText(n, result));
  LeaveListing();

  if (n > 0) {
    member_.SetAddress(memberText);
    // The box is off while the listing runs, so this is the text the listing read.
    if (AddHistoryAndSave(HistoryKind::Member, memberText)) view_.AddCandidate(Control::Member, memberText);
  }
}

ListingResult AlbatrixController::ListInto(const Text& memberText) {
  ListingToController events(*this);
  return member_.List(memberText, profile_, events);
}

bool AlbatrixController::AppendAlbum(const ST_PERLISTRECORD& album) {
  const std::optional<std::size_t> index = member_.Append(album, kGridTitleLength);
  if (!index) {
    view_.Message(u"内存分配失败");
    return false;
  }
  ShowAlbumInGrid(*index);
  return true;
}

void AlbatrixController::WaitForListing() {
  if (listThread_.joinable()) listThread_.join();
}

void AlbatrixController::RecognizeSite(TextView memberText) {
  std::optional<SiteMatch> match = MatchSite(memberText, siteEntry_, profile_);
  if (!match) return;
  SelectSite(match->siteEntry);
  ApplySiteSelection(match->siteEntry);
  if (match->siteEntry == 0 && match->subTypeEntry >= 0) view_.SelectEntry(Control::SubType, match->subTypeEntry);
}

void AlbatrixController::ApplySiteSelection(int siteEntry) {
  siteCode_ = SITE_CODE_HUPU;
  siteEntry_ = siteEntry;
  if (siteEntry != 0) {
    view_.Show(Control::SubType, false);
    view_.PlaceMemberBox(MemberBoxPlace::OverSubType);
    return;
  }
  view_.SetEntries(Control::SubType, TextArray(SUBTYPE_ENTRY_NAMES.begin(), SUBTYPE_ENTRY_NAMES.end()));
  view_.Show(Control::SubType, true);
  view_.PlaceMemberBox(MemberBoxPlace::BesideSubType);
  view_.SelectEntry(Control::SubType, 0);
}

void AlbatrixController::ShowAlbumInGrid(std::size_t albumIndex) {
  if (albumIndex < Albums().size()) grid_.Show(albumIndex, Albums()[albumIndex]);
}

void AlbatrixController::EnterListing() {
  ShowInput(InputBusy::Listing);
  view_.Check(Control::SelectAll, false);
  view_.SetText(Control::GetAlbums, u"终止获取");
  view_.SetText(Control::GridFrame, u"相册列表");
  view_.SetText(Control::Status, u"正在获取相册列表，请稍等...");
  view_.SetText(Control::Progress, Text());
  view_.Show(Control::Notice, false);
}

void AlbatrixController::LeaveListing() {
  // Shown before the state ends: a run may begin the moment after, and its look must come last.
  ShowInput(InputBusy::None);
  view_.SetText(Control::GetAlbums, u"获取相册");
  states_.End(Activity::Listing);
}

void AlbatrixController::ShowInput(InputBusy busy) {
  view_.ShowInput(InputLookOf(busy, grid_.PreviewMode(), !Albums().empty()));
}

bool AlbatrixController::AddHistoryAndSave(HistoryKind which, TextView text) {
  return settings_.AddHistoryAndSave(which, text);
}

}  // namespace albatrix
