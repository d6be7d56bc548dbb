// Everything the main window decides: the commands, what is under way (listing, grid fill, download run)
// and the threads they start, over the parts that keep their own state: the listed member and its albums
// (ListedMember), the grid (AlbumGrid), the settings (SettingsStore), the run thread and what the last
// run left (RunKeeper), and the download's side of the window (DownloadPresenter). The engines report events; the controller turns them into what the window
// shows, through MainWindowView, so every front end (wx, command line, the tests' fake) gets the same
// rules.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "app/ActivityStates.h"
#include "app/AlbumGrid.h"
#include "app/DownloadPresenter.h"
#include "app/GridCells.h"
#include "app/InputLook.h"
#include "app/ListedMember.h"
#include "app/RunKeeper.h"
#include "app/MainWindowView.h"
#include "app/SettingsStore.h"
#include "discovery/AlbumListCrawler.h"
#include "discovery/AlbumPhotoCrawler.h"
#include "discovery/SiteProfile.h"
#include "download/RunSession.h"
#include "model/PictureEntry.h"
#include "model/AlbumRecords.h"
#include "model/DownloadJob.h"
#include "model/Settings.h"

namespace albatrix {

// The status line's answer to "获取相册" pressed while the thumbnails are still being made.
inline constexpr char16_t kTextWaitForPreview[] = u"正在生成预览图，完成后才能重新获取相册";

// Shown when the member box is empty or holds no address.
inline constexpr TextView kNeedAddressMessage = u"请输入虎扑相册地址(以http://开头)";

// Shown when a started listing found no album.
inline constexpr TextView kLoginFirstMessage = u"请先在登录菜单里登录虎扑帐号后重试(登录时勾上下次自动登录)";

// Shown instead of the login hint when the site said it is under maintenance and no album was found.
inline constexpr TextView kMaintenanceMessage = u"网站正在维护，请稍后再试";

// The grid frame's caption once the albums are in: "相册列表(共N个)".
Text GridFrameText(std::size_t albums);

// A listing whose page could not be read, as the message names it: "相册列表第N页读取失败: <reason>".
Text UnreadListText(const ListingResult& result);

// Caption of the window's own questions.
inline constexpr TextView kPromptCaption = u"提示";

// The preview switch's question while a fill runs.
inline constexpr TextView kStopFillQuestion = u"模式转换未完成,是否中断?";

// What the download button starts: the albums chosen (album indices, in grid order), the save-path box's
// text, the retry passes after the albums (the command line's --retries; 0: none).
struct DownloadRequest {
  std::vector<std::size_t> albums;
  Text savePath;
  int retries = 0;
};

class AlbatrixController {
 public:
  // `programFolder` ends with the path separator: soft.dat lives there. The view must outlive the
  // controller. `listAlbums` empty: listings read the site's pages (tests hand albums as data).
  AlbatrixController(MainWindowView& view, Text programFolder, SiteProfile profile = SiteProfile(),
                     ListAlbumsFn listAlbums = {});
  // Asks a running listing or download to stop, cutting their requests short, and waits for their
  // threads: no thread outlives the controller.
  ~AlbatrixController();
  AlbatrixController(const AlbatrixController&) = delete;
  AlbatrixController& operator=(const AlbatrixController&) = delete;

  // Start-up, first half: the program folder into the save-path box, the settings loaded (and written
  // back) with both histories handed to their boxes, the newest save path into the save-path box.
  void Initialize();
  // Start-up, second half (when the start-up request is done): the site selector filled with `siteNames`
  // (the built-in names when empty) on entry 15, `memberText` (the member box's text) recognised, input
  // accepted, the selection applied.
  void FinishStartup(TextView memberText = {}, const TextArray& siteNames = {});

  // Button "获取相册" with the member box's text at the press: before start-up has finished nothing;
  // during a listing a stop request, which also ends the page in flight at once; otherwise the grid and
  // the album list emptied and the listing thread started over `memberText` trimmed. Nothing either while
  // the grid filler or a download run is active, since the listing would empty the album list under it.
  void GetAlbums(Text memberText);

  // The member box's text changed to `memberText` (or an entry was picked from its list): steer the site
  // selector.
  void RecognizeSite(TextView memberText);
  // The site selector's selection changed to `siteEntry`: siteCode back to 15, the sub-type selector
  // shown for entry 0 only, the member box placed beside or over it.
  void ApplySiteSelection(int siteEntry);

  // The button's second press alone: asks a running listing to stop and ends its page in flight. Does
  // nothing when no listing runs, so it can never start one. Any thread (a Ctrl-C asks from its own).
  void StopListing();
  // Waits until the listing thread (if any) has ended. From the thread that drives the commands only.
  void WaitForListing();

  // How covers become thumbnails; without one no cover is fetched. Set before the first listing.
  void SetThumbnailMaker(ThumbnailMaker maker) { grid_.SetThumbnailMaker(std::move(maker)); }
  // The thumbnail index of album i in the view's thumbnail list, -1 while it has none (AlbumGrid).
  int ThumbnailOf(std::size_t albumIndex) const { return grid_.ThumbnailOf(albumIndex); }

  // Box "预览图" was clicked; `checked` is the box's new state. While a fill runs: the question whether to stop it (Yes asks it to stop), and the box goes back as it was.
  // Otherwise the find window is hidden ("筛选" and "查找" off) for preview mode or "筛选" and "查找" on
  // for list mode, the grid is reset to the new mode and the filler thread shows every album in it.
  void SwitchPreview(bool checked);
  // "筛选" ended with OK: the list keeps its header and widths, and shows only the albums whose title
  // contains the trimmed keyword (case-sensitive), numbered from "0001"; an empty keyword shows all.
  // Refused (false) while a fill or a listing runs, since both write the same grid.
  bool ApplyFilter(TextView keyword);
  // Waits until the filler thread (if any) has ended. From the thread that drives the commands only.
  void WaitForFill();

  // The clean close: every stop request raised (listing, fill, download run, the covers' transfers),
  // then every thread joined. Idempotent.
  void Shutdown();

  // The run plan of a download over the request's albums: copies of them, its save path (trimmed, and a
  // relative one made whole from the current folder), the member folders of the last listing, the
  // current site's rules and limits, its retry passes, and the album photo crawler of this controller's
  // site. `albumIndices` (may be null) receives the album index of
  // each album of the plan, in its order.
  RunPlan MakeRunPlan(const DownloadRequest& request, std::vector<std::size_t>* albumIndices = nullptr);
  // "查看失败": the view lists the last run's failed pictures. Nothing while a run is under way.
  void ShowFailures();
  // "重试失败的图片": one retry pass over the last run's failed pictures, into the same folders and names,
  // as a run of its own (with that run's save path) (the button reads "终止下载" meanwhile). Nothing while a listing or a run is
  // under way, or when nothing failed.
  void RetryFailures();

  // At start-up, once input is accepted: when the program folder holds the job file of a run that did not
  // end, the question kResumeQuestion; Yes puts its albums into the grid, chosen, its save path into the
  // box and starts the run where it stopped (ResumeJob); No removes the file. A job file that cannot be
  // used (damaged, another version, its save folder gone) is set aside with a message saying why. Either
  // way the file is never offered twice.
  void OfferUnfinishedRun();
  // The run of `job` again, where it stopped: its albums into the list and the grid, chosen; its member
  // address, save path, member folders, rule and limits; every picture it saved that is still whole on
  // disk is not fetched again. False (nothing started) while a listing, a fill or a run is under way.
  bool ResumeJob(const DownloadJob& job);
  // What keeps `job` from going on, for the user ("the save folder … no longer exists"); empty when it can.
  Text JobProblem(const DownloadJob& job) const;

  // Button "下载": during a run the press asks it to cancel (CancelDownload); while a listing runs
  // nothing, since the listing empties and refills the album list the run walks; otherwise the download
  // run (DownProc.h) starts on a thread of its own over MakeRunPlan(request). When that thread cannot
  // start: "Create thread:GetListFunc failed." and back to idle, so the next press starts a run again.
  void Download(const DownloadRequest& request);
  // The button's second press alone: asks a running download to cancel. Does nothing when no run is
  // active, so it can never start one; true when a run was asked. Any thread (a Ctrl-C asks from its
  // own).
  bool CancelDownload();
  // Waits until the download run thread (if any) has ended. From the thread that drives the commands only.
  void WaitForDownload();
  // Button "打开" with the save-path box's text: while the workers of an album run, that album's
  // folder; otherwise `savePathText`, when it is not empty.
  void OpenSaveFolder(const Text& savePathText);

  // What the last download run did, read once it has ended (empty before any run).
  RunTally LastDownload() const;

  // "导出下载文件": writes a job file for the member of the current listing with `request`'s save path and
  // retries and the current site's rule and limits: either the chosen albums (`chosenOnly`), or every
  // album, which the job lists afresh each time it runs. False (a trace line says why) when nothing is
  // listed, no chosen album is in the list, or the file cannot be written.
  bool ExportJob(const Text& file, const DownloadRequest& request, bool chosenOnly);
  // "导入下载文件并开始下载": one run over the job files in their order, each member into its own member
  // folder under its job's save path with its job's rule and limits; a job of every album lists its
  // member first. The grid shows the member under way; the status line adds "成员 k/n". A cancel ends
  // the batch; a file that cannot run is named in one message at the end, and the others run. The
  // summary (LastDownload) covers the batch, each failure naming its member. False when busy.
  bool RunJobFiles(std::vector<Text> files);
  // "导出迅雷下载列表": on the run thread, lists the pages of the chosen albums (nothing is downloaded) and
  // writes every picture address into `file` as the list file (GBK, CR LF); the status line says how it
  // ended. A cancel ends it without a file. False when busy.
  bool ExportPictureList(const Text& file, const std::vector<std::size_t>& albums);
  // The last picture list export wrote its file.
  bool PictureListWritten() const { return pictureListWritten_.load(); }

  // The current site's naming rules and download limits as the download run reads them, and the way to
  // change settings while a run may be reading them; the change is saved at once (false when soft.dat
  // could not be written). Every change and save of the block goes through the one settings lock, the
  // listing's member history included, so two changes at once both reach the file.
  NameRule CurrentNameRule() const;
  DownloadLimits CurrentLimits() const;
  bool EditSettings(const std::function<void(SettingsBlock&)>& edit);
  // A copy of the whole block, taken under the lock (menus and dialogs read from it).
  SettingsBlock SettingsCopy() const;
  // The save-path history rule of "设置" and of a drop: `path` goes first into the history unless it is
  // refused (AddHistory); only when the history changed is it offered in the save-path box and the
  // settings saved. True when it changed.
  bool AddSavePathHistory(TextView path);


  const SiteProfile& Profile() const { return profile_; }
  // The albums of the last listing. Read them only while no listing runs.
  const AlbumList& Albums() const { return member_.Albums(); }
  // The member folder text the last listing left ("" or ending with the separator), for the download run.
  Text MemberKey() const { return member_.MemberKey(); }
  // The list mode grid's filter keyword while a filter pass shows its albums; empty otherwise.
  Text FilterKeyword() const { return grid_.FilterKeyword(); }

  // What is under way. Any thread may ask; the answer may change the moment after.
  bool Listing() const { return states_.Active(Activity::Listing); }
  bool Filling() const { return states_.Active(Activity::Filling); }
  bool Running() const { return states_.Active(Activity::Running); }
  // True while the workers of an album of the run fetch its pictures.
  bool WorkersRunning() const { return !downloadPresenter_.DownloadingFolder().empty(); }

  // Start-up has finished: the commands take input.
  bool ReadyForInput() const { return readyForInput_.load(); }
  // The grid shows covers ("预览图" on).
  bool PreviewMode() const { return grid_.PreviewMode(); }
  // The site whose records the menu, the dialogs and the run use: 15 after start-up, every listing and
  // every change of the site selector.
  int SiteCode() const { return siteCode_.load(); }
  // Another site's records until the next listing or selection change (the menu's rules differ by site).
  void SetSiteCode(int code) { siteCode_ = code; }

 private:
  // The listing's events as the controller takes them: every album found is appended and shown at once.
  class ListingToController;

  // The listing look: the controls a listing changes off (and "终止获取"), then on again as the mode
  // allows; LeaveListing also ends the listing state.
  void EnterListing();
  void LeaveListing();
  // Appends an album the listing found: the title cut to the grid's 80 units and kept unique
  // (AlbumList::CutTitle) in the record itself, then shown. False when it could not be stored (the
  // message is shown).
  bool AppendAlbum(const ST_PERLISTRECORD& album);
  // The grid's per-album step: in list mode the album gets the next row unless a filter keyword rules it
  // out; in preview mode it shows the thumbnail it has and asks for its cover when it has none. The view
  // receives a copy; the record is not changed.
  void ShowAlbumInGrid(std::size_t albumIndex);
  // The fill pass: albums 0..N-1 shown until a stop is asked, then the grid refreshed, the fill ended and
  // the filter keyword emptied. Runs on the filler thread, or on the interface thread for a filter.
  void FillGrid();

  // One history's rule under the settings lock: `text` goes first unless AddHistory refuses it, and only
  // a history that changed is saved. True when it changed.
  bool AddHistoryAndSave(HistoryKind which, TextView text);
  // The listing thread's body: lists `memberText` (trimmed) and shows the outcome.
  void RunListing(const Text& memberText);
  // The site selector to `entry`, on the view and in the controller's own copy.
  void SelectSite(int entry);
  // The window's side of a run's end (also of a run that never began).
  void DownloadEnded(const RunTally* tally);
  // Starts the run thread over `plan`; the states say Running already.
  void StartRun(RunPlan plan, std::vector<std::size_t> albumIndices);
  // The input controls as `busy` leaves them, in the current mode and with the albums listed now.
  void ShowInput(InputBusy busy);
  // The album list, the grid, the outcomes and the thumbnails emptied for albums to come.
  void ClearListing();
  // Lists `memberText` into the album list and the grid; the listing thread's and a batch's step.
  ListingResult ListInto(const Text& memberText);
  // A batch: the member of `job` into the grid (listed first for a job of every album, which then names
  // its albums and member folder). False when it cannot run (`problem` says why) or a cancel came.
  // `position` of `count` is the member's place in the batch.
  bool LoadMemberOfJob(DownloadJob& job, std::size_t position, std::size_t count, Text& problem);
  void RunBatch(const std::vector<Text>& files);
  // The grid's albums now those of `job` (appended already): the frame's count, the member and save-path
  // boxes, the member folders and the member the export and the run name.
  void ShowJobMember(const DownloadJob& job);
  void WritePictureList(const Text& file, const std::vector<ST_PERLISTRECORD>& albums);
  // The album photo crawler of this controller's site.
  ListPicturesFn AlbumCrawler() const;

  MainWindowView& view_;
  std::atomic<bool> readyForInput_{false};
  std::atomic<int> siteCode_;
  const Text programFolder_;
  const SiteProfile profile_;
  ListedMember member_;
  SettingsStore settings_{programFolder_};

  ActivityStates states_;
  std::thread listThread_;
  std::thread fillThread_;

  DownloadPresenter downloadPresenter_;
  AlbumGrid grid_;  // after the presenter, whose outcomes its rows show
  std::atomic<bool> pictureListWritten_{false};
  DownloadRequest lastRequest_;  // of the last run started with Download
  int siteEntry_ = 15;           // the site selector's entry, as the window last reported or was told
  std::vector<std::size_t> lastRunAlbums_;  // the album index of each album of the last run, in its order
  RunKeeper runs_;  // last: its thread, which reports into the members above, ends first
};

}  // namespace albatrix
