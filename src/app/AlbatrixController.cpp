#include "app/AlbatrixController.h"

#include <system_error>

#include "MyCode/Trace.h"
#include "app/GridCells.h"
#include "discovery/SiteRecognition.h"

namespace albatrix {

AlbatrixController::AlbatrixController(MainWindowView& view, Text programFolder, SiteProfile profile)
    : siteCode(SITE_CODE_HUPU), view_(view), programFolder_(std::move(programFolder)), profile_(std::move(profile)) {
  thumbnailStep_ = [this](std::size_t albumIndex) { MakeThumbnail(albumIndex); };
}

AlbatrixController::~AlbatrixController() { Shutdown(); }

void AlbatrixController::Initialize() {
  view_.SetText(IDC_SAVE_PATH, programFolder_);
  HistoryBoxes boxes;
  boxes.addCandidate = [this](int comboId, const Text& text) { view_.AddCandidate(comboId, text); };
  Text newestPath;
  {
    std::lock_guard<std::mutex> hold(settingsLock_);
    LoadSettings(settings_, programFolder_, boxes);
    newestPath = SlotText(settings_.savePathHistory[0]);
  }
  if (!newestPath.empty()) view_.SetText(IDC_SAVE_PATH, newestPath);
}

void AlbatrixController::FinishStartup(const TextArray& siteNames) {
  TextArray names = siteNames;
  if (names.empty()) names.assign(SITE_ENTRY_NAMES.begin(), SITE_ENTRY_NAMES.end());
  view_.SetEntries(IDC_SITE, names);
  view_.SelectEntry(IDC_SITE, SITE_CODE_HUPU);
  RecognizeSite();
  readyForInput = true;
  ApplySiteSelection();
}

void AlbatrixController::GetAlbums() {
  if (!readyForInput) return;
  // A press during a listing is a stop request. The listing may leave its state at this very moment, so
  // the request is only written over a running state: a stop mark must never outlive its listing.
  if (listingState.load() != PHASE_IDLE) {
    StopListing();
    return;
  }
  if (fillState != PHASE_IDLE) {
    // A press that does nothing must say why, or the user presses again and again.
    Trace("get albums: the grid is still being filled; nothing started");
    view_.SetText(IDC_STATUS, kTextWaitForPreview);
    return;
  }
  if (runFlags.runState.load() != RUN_IDLE) {
    Trace("get albums: a download run is active; nothing started");
    return;
  }
  // The last listing has left its state already; let it finish writing the member history. A last run
  // has returned to idle too, and its thread no longer reads the album list.
  WaitForListing();
  WaitForFill();
  WaitForDownload();

  ResetGrid();
  albums_.ClearAlbums();
  {
    std::lock_guard<std::mutex> hold(thumbLock_);
    nextThumbnail_ = 0;
    view_.ClearThumbnails();
  }
  listingAbort_ = false;
  coverAbort_ = false;
  listingState = PHASE_RUNNING;
  siteCode = SITE_CODE_HUPU;
  try {
    listThread_ = std::thread([this] {
      GetListFunc(*this);
      Trace("get albums: the listing ended");
    });
  } catch (const std::system_error& e) {
    Trace(std::string("get albums: ") + e.what());
    listingState = PHASE_IDLE;  // otherwise every later press would only ask a missing thread to stop
    view_.Message(u"Create thread:GetListFunc failed.");
  }
}

void AlbatrixController::StopListing() {
  // The listing may leave its state at this very moment, so the mark is only written over a running
  // state: a stop mark must never outlive its listing. The abort flag is lowered when the next starts.
  int state = listingState.load();
  while (state != PHASE_IDLE) {
    if (state == PHASE_STOP_ASKED || listingState.compare_exchange_weak(state, PHASE_STOP_ASKED)) break;
  }
  if (state == PHASE_IDLE) return;
  listingAbort_ = true;  // the page in flight ends now, not after its time-out
  coverAbort_ = true;    // and so does a cover
}

void AlbatrixController::WaitForListing() {
  if (listThread_.joinable()) listThread_.join();
}

void AlbatrixController::RecognizeSite() {
  std::optional<SiteMatch> match = MatchSite(view_.GetText(IDC_MEMBER), view_.SelectedEntry(IDC_SITE), profile_);
  if (!match) return;
  view_.SelectEntry(IDC_SITE, match->siteEntry);
  ApplySiteSelection();
  if (match->siteEntry == 0 && match->subTypeEntry >= 0) view_.SelectEntry(IDC_SUBTYPE, match->subTypeEntry);
}

void AlbatrixController::ApplySiteSelection() {
  siteCode = SITE_CODE_HUPU;
  if (view_.SelectedEntry(IDC_SITE) != 0) {
    view_.Show(IDC_SUBTYPE, false);
    view_.PlaceMemberBox(MemberBoxPlace::OverSubType);
    return;
  }
  view_.SetEntries(IDC_SUBTYPE, TextArray(SUBTYPE_ENTRY_NAMES.begin(), SUBTYPE_ENTRY_NAMES.end()));
  view_.Show(IDC_SUBTYPE, true);
  view_.PlaceMemberBox(MemberBoxPlace::BesideSubType);
  view_.SelectEntry(IDC_SUBTYPE, 0);
}

void AlbatrixController::ResetGrid() {
  view_.Check(IDC_SELECT_ALL, false);
  gridRows_ = 0;
  view_.ResetGrid(previewMode);
}

void AlbatrixController::ShowAlbumInGrid(std::size_t albumIndex) {
  if (albumIndex >= albums_.size()) return;
  albums_.CutTitle(albumIndex, kGridTitleLength);

  GridAlbum cell;
  cell.albumIndex = albumIndex;
  if (!previewMode) {
    const ST_PERLISTRECORD& album = albums_[albumIndex];
    Text filter = FilterKeyword();
    if (!filter.empty() && album.title.find(filter) == Text::npos) return;
    cell.row = ++gridRows_;
    cell.number = GridNumberText(cell.row);
    cell.title = album.title;
    cell.count = GridCountText(album.pictureCount);
    cell.note = GridNoteText(album.accessFlags);
  } else {
    if (thumbnailStep_) thumbnailStep_(albumIndex);
    const ST_PERLISTRECORD& album = albums_[albumIndex];
    cell.row = static_cast<int>(albumIndex / kThumbColumns);
    cell.column = static_cast<int>(albumIndex % kThumbColumns);
    cell.title = album.title;
    cell.caption = GridCaptionText(albumIndex, album.title);
    cell.thumbIndex = album.thumbIndex;
  }
  view_.ShowAlbum(cell);
}

void AlbatrixController::SetThumbnailStep(std::function<void(std::size_t)> step) { thumbnailStep_ = std::move(step); }

void AlbatrixController::ListAlbumPictures(std::size_t albumIndex, const NamePictureFn& name,
                                           const CrawlStopFn& stop) {
  if (albumIndex >= albums_.size()) {
    Trace("album crawl: no album at index " + std::to_string(albumIndex));
    return;
  }
  Text albumPath = albums_[albumIndex].albumPath;
  CrawlStopFn runStopped = [this] {
    std::uint8_t state = runFlags.runState;
    return state == RUN_ALBUM_STOP || state == RUN_CANCEL;
  };
  albatrix::ListAlbumPictures(profile_, albumPath, albumIndex, name, stop ? stop : runStopped, &runFlags.abortFetches);
}

void AlbatrixController::SetFilterKeyword(Text keyword) {
  std::lock_guard<std::mutex> hold(textsLock_);
  filterKeyword_ = std::move(keyword);
}

Text AlbatrixController::FilterKeyword() const {
  std::lock_guard<std::mutex> hold(textsLock_);
  return filterKeyword_;
}

Text AlbatrixController::MemberKey() const {
  std::lock_guard<std::mutex> hold(textsLock_);
  return memberKey_;
}

Text AlbatrixController::SubFolder() const {
  std::lock_guard<std::mutex> hold(textsLock_);
  return subFolder_;
}

void AlbatrixController::SetMemberFolders(const Text& memberKey, const Text& subFolder) {
  std::lock_guard<std::mutex> hold(textsLock_);
  memberKey_ = memberKey;
  subFolder_ = subFolder;
}

Text AlbatrixController::MemberBoxText() { return view_.GetText(IDC_MEMBER); }

void AlbatrixController::Message(const Text& text) { view_.Message(text); }

void AlbatrixController::SetGridCaption(const Text& text) { view_.SetText(IDC_GRID_FRAME, text); }

void AlbatrixController::SetStatusLine(const Text& text) { view_.SetText(IDC_STATUS, text); }

void AlbatrixController::ListingNotStarted() { listingState = PHASE_IDLE; }

void AlbatrixController::EnterListing() {
  // Normally already running; a stop asked before the thread got here stays asked.
  int idle = PHASE_IDLE;
  listingState.compare_exchange_strong(idle, PHASE_RUNNING);
  for (int id : {IDC_SITE, IDC_DOWNLOAD, IDC_MEMBER, IDC_PREVIEW}) view_.Enable(id, false);
  view_.Check(IDC_SELECT_ALL, false);
  view_.SetText(IDC_GET_ALBUMS, u"终止获取");
  view_.SetText(IDC_GRID_FRAME, u"相册列表");
  view_.SetText(IDC_STATUS, u"正在获取相册列表，请稍等...");
  view_.SetText(IDC_PROGRESS, Text());
  view_.Show(IDC_NOTICE, false);
  for (int id : {IDC_FILTER, IDC_FIND, IDC_EXPORT}) view_.Enable(id, false);
}

void AlbatrixController::LeaveListing() {
  view_.Enable(IDC_SITE, true);
  view_.Enable(IDC_DOWNLOAD, !albums_.empty());
  view_.SetText(IDC_GET_ALBUMS, u"获取相册");
  for (int id : {IDC_MEMBER, IDC_PREVIEW, IDC_EXPORT}) view_.Enable(id, true);
  // The preview switch turned "筛选" and "查找" off; a filter in preview mode would refill the list
  // grid's rows over the thumbnails.
  if (!previewMode) {
    for (int id : {IDC_FILTER, IDC_FIND}) view_.Enable(id, true);
  }
  listingState = PHASE_IDLE;
}

void AlbatrixController::RefreshGrid() { view_.RefreshGrid(); }

void AlbatrixController::AddMemberCandidate(const Text& text) { view_.AddCandidate(IDC_MEMBER, text); }

bool AlbatrixController::RememberMember(const Text& text) { return AddHistoryAndSave(HistoryKind::Member, text); }

bool AlbatrixController::AddHistoryAndSave(HistoryKind which, TextView text) {
  std::lock_guard<std::mutex> hold(settingsLock_);
  if (!AddHistory(settings_, which, text)) return false;
  albatrix::SaveSettings(settings_, programFolder_);
  return true;
}

}  // namespace albatrix
