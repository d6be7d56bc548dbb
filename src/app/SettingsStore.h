// soft.dat of the program folder and the settings block it holds, read and changed under one lock: the
// download run reads the current site's records while the interface edits them and the listing adds to
// the member history, and every change reaches the file whole, none lost to another made at once.
#pragma once

#include <functional>
#include <mutex>

#include "MyCode/StringCtrl.h"
#include "model/Settings.h"

namespace albatrix {

class SettingsStore {
 public:
  // `programFolder` ends with the separator.
  explicit SettingsStore(Text programFolder) : programFolder_(std::move(programFolder)) {}

  // Reads soft.dat as the window starts (LoadSettings), handing each history entry to `boxes`. Gives the
  // newest save path of the history (empty when there is none).
  Text Load(const HistoryBoxes& boxes);

  // A copy of the whole block.
  SettingsBlock Copy() const;
  // The records of site `siteCode` (0 to kSiteCount - 1).
  NameRule NameRuleOf(int siteCode) const;
  DownloadLimits LimitsOf(int siteCode) const;

  // `edit` on the block, then soft.dat written. False when it could not be written (the change stays).
  bool Edit(const std::function<void(SettingsBlock&)>& edit);
  // `text` into a history (AddHistory); only when the history changed is soft.dat written. True when it
  // changed.
  bool AddHistoryAndSave(HistoryKind which, TextView text);

 private:
  const Text programFolder_;
  mutable std::mutex lock_;
  SettingsBlock block_{};
};

}  // namespace albatrix
