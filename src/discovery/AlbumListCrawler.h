// The album-list crawler: turns what the user typed into the member box into the member's albums, page by
// page, showing each album in the grid as soon as it is appended. Runs on the listing thread.
#pragma once

#include <atomic>
#include <cstddef>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"
#include "model/AlbumRecords.h"
#include "model/Settings.h"

namespace albatrix {

// Shown when the member box is empty or holds no address.
inline constexpr TextView kNeedAddressMessage = u"请输入虎扑相册地址(以http://开头)";

// Shown when a started listing found no album.
inline constexpr TextView kLoginFirstMessage = u"请先在登录菜单里登录虎扑帐号后重试(登录时勾上下次自动登录)";

// The main window as the listing thread sees it. Every call comes from the listing thread; the window
// keeps the other phases away from the album list and the settings while a listing runs.
class ListingWindow {
 public:
  virtual ~ListingWindow() = default;

  virtual const SiteProfile& Profile() const = 0;
  virtual AlbumList& Albums() = 0;

  virtual void SetSiteCode(int siteCode) = 0;
  // The member folder text and the sub-folder text the download run puts under the save path.
  virtual void SetMemberFolders(const Text& memberKey, const Text& subFolder) = 0;

  virtual Text MemberBoxText() = 0;  // the member box as it stands, untrimmed
  virtual void Message(const Text& text) = 0;
  virtual void SetGridCaption(const Text& text) = 0;
  virtual void SetStatusLine(const Text& text) = 0;

  // The listing never got going (nothing was typed): back to idle without touching the controls.
  virtual void ListingNotStarted() = 0;
  virtual void EnterListing() = 0;
  virtual void LeaveListing() = 0;

  // The grid's per-album step for the album just appended, and the final refresh.
  virtual void ShowAlbum(std::size_t albumIndex) = 0;
  virtual void RefreshGrid() = 0;

  // True once the user asked the listing to stop; read after every album.
  virtual bool StopRequested() = 0;
  // Raised together with the stop request, so a page (or a cover) in flight ends at once instead of
  // after its time-out. Null: requests of this listing cannot be cut short.
  virtual const std::atomic<bool>* FetchAbort() { return nullptr; }

  // Adds `text` to the member history and, when the history changed, writes the settings: both under
  // the window's settings lock, so a change made at the same moment elsewhere is never lost from the
  // file. True when the history changed.
  virtual bool RememberMember(const Text& text) = 0;
  // A text the member history took: offered to the member box.
  virtual void AddMemberCandidate(const Text& text) = 0;
};


// The member folder text the download run puts under the save path: the key cleaned as a file name, then
// ending with the path separator unless it is empty.
Text MemberFolderText(TextView key);

// The whole listing, start to end, for one window: the thread's body. Returns 0.
int GetListFunc(ListingWindow& window);

// Reads the albums of the member or the single album that `memberText` names, appending each to the
// window's album list and showing it, until the last page, a page that cannot be read, or a stop
// request. Returns the member key found (empty when the text named no member).
Text ParseAlbumListPages(ListingWindow& window, TextView memberText);

}  // namespace albatrix
