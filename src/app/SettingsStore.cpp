#include "app/SettingsStore.h"

namespace albatrix {

Text SettingsStore::Load(const HistoryBoxes& boxes) {
  std::lock_guard<std::mutex> hold(lock_);
  LoadSettings(block_, programFolder_, boxes);
  return SlotText(block_.savePathHistory[0]);
}

SettingsBlock SettingsStore::Copy() const {
  std::lock_guard<std::mutex> hold(lock_);
  return block_;
}

NameRule SettingsStore::NameRuleOf(int siteCode) const {
  std::lock_guard<std::mutex> hold(lock_);
  return block_.nameRules.at(static_cast<std::size_t>(siteCode));
}

DownloadLimits SettingsStore::LimitsOf(int siteCode) const {
  std::lock_guard<std::mutex> hold(lock_);
  return block_.downloadLimits.at(static_cast<std::size_t>(siteCode));
}

bool SettingsStore::Edit(const std::function<void(SettingsBlock&)>& edit) {
  std::lock_guard<std::mutex> hold(lock_);
  edit(block_);
  return SaveSettings(block_, programFolder_);
}

bool SettingsStore::AddHistoryAndSave(HistoryKind which, TextView text) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!AddHistory(block_, which, text)) return false;
  SaveSettings(block_, programFolder_);
  return true;
}

}  // namespace albatrix
