// The settings block and its file "soft.dat" in the program folder: per site code the download limits and
// the naming rules with the option bits, and the two five-entry histories of the member box and the
// save-path box. The file is the block byte for byte (little-endian, no header); the block is written in
// full after every change and never at exit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

constexpr std::size_t kSiteCount = 24;          // records per kind, indexed by site code
constexpr std::size_t kRuleTextUnits = 40;      // UTF-16 code units of one NameRule text slot
constexpr std::size_t kRuleTextMaxLength = 38;  // what the dialogs let a user store in such a slot
constexpr std::size_t kHistoryEntries = 5;
constexpr std::size_t kHistoryUnits = 400;      // UTF-16 code units of one history entry
constexpr std::size_t kSettingsFileSize = 19808;
constexpr char16_t kSettingsFileName[] = u"soft.dat";

// A fixed text slot: zero-terminated UTF-16; what follows the terminator carries no meaning but is kept,
// so loading and saving an untouched file gives back the same bytes.
template <std::size_t N>
using TextSlot = std::array<char16_t, N>;

// The text of a slot: up to its first zero, or all N units when it holds none.
template <std::size_t N>
Text SlotText(const TextSlot<N>& slot) {
  std::size_t n = 0;
  while (n < N && slot[n] != 0) ++n;
  return Text(slot.data(), n);
}

// Stores `text` cut to `maxLength` code units (at most units - 1, so a terminator always fits; a
// surrogate pair is never split) and zero-fills the rest of the slot.
void SetSlotText(char16_t* slot, std::size_t units, TextView text, std::size_t maxLength);
template <std::size_t N>
void SetSlotText(TextSlot<N>& slot, TextView text, std::size_t maxLength = N - 1) {
  SetSlotText(slot.data(), N, text, maxLength);
}

// Option bits of NameRule::options, each a check item of the "<设置>" menu.
constexpr std::uint16_t OPT_FIX_FORMAT = 0x001;                 // "修正图片格式"
constexpr std::uint16_t OPT_FIX_ORDER = 0x002;                  // "修正图片顺序"
constexpr std::uint16_t OPT_DESCRIPTION_FILE = 0x004;           // "生成图片原始名文件"
constexpr std::uint16_t OPT_LIST_ONLY = 0x008;                  // "只生成迅雷下载列表"
constexpr std::uint16_t OPT_OPEN_FOLDER = 0x010;                // "下载完成后打开保存路径"
constexpr std::uint16_t OPT_SHOP_MAIN_PICTURES = 0x020;         // "只下载淘宝宝贝主图"
constexpr std::uint16_t OPT_SKIP_DOWNLOADED = 0x040;            // "不下载以前下载过的图片"
constexpr std::uint16_t OPT_BIG_PICTURES = 0x080;               // "又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）"
constexpr std::uint16_t OPT_SHOP_DESCRIPTION_PICTURES = 0x100;  // "只下载宝贝描述里的图片"

// Per site: 8 bytes in the file (four little-endian 16-bit values in this order).
struct DownloadLimits {
  std::uint16_t minKB = 0;           // smallest picture kept, in KiB
  std::uint16_t maxKB = 0;           // largest picture kept, in KiB; 0 = no limit
  std::uint16_t threads = 0;         // pictures downloaded in parallel; 1..15 after loading
  std::uint16_t timeoutSeconds = 0;  // one read of a picture may wait this long; 10 or more after loading
};

// Per site: 484 bytes in the file: six text slots of 40 units at 0, 80, ..., 400, then options (16 bits)
// at 480, nameSource at 482, albumFolderMode at 483.
struct NameRule {
  TextSlot<kRuleTextUnits> prefix{};       // before every picture file name
  TextSlot<kRuleTextUnits> suffix{};       // after every picture file name
  TextSlot<kRuleTextUnits> replaceFrom{};  // text, or "|"-separated texts, replaced in picture names
  TextSlot<kRuleTextUnits> replaceTo{};    // the replacement text(s)
  TextSlot<kRuleTextUnits> albumPrefix{};  // before the album folder name
  TextSlot<kRuleTextUnits> albumSuffix{};  // after the album folder name
  std::uint16_t options = 0;               // OPT_* bits
  std::uint8_t nameSource = 0;             // 0 "描述", 1 "序号", 2 "网址"
  std::uint8_t albumFolderMode = 0;        // 0 "相册名", 1 "无"
};

// The dialogs' view of a NameRule text slot: reading gives the text, writing keeps at most 38 characters.
inline Text RuleText(const TextSlot<kRuleTextUnits>& slot) { return SlotText(slot); }
inline void SetRuleText(TextSlot<kRuleTextUnits>& slot, TextView text) {
  SetSlotText(slot, text, kRuleTextMaxLength);
}

// Five entries, newest first; an entry starting with zero is empty.
using History = std::array<TextSlot<kHistoryUnits>, kHistoryEntries>;

enum class HistoryKind { Member, SavePath };

struct SettingsBlock {
  std::array<DownloadLimits, kSiteCount> downloadLimits{};  // file offset 0
  std::array<NameRule, kSiteCount> nameRules{};             // file offset 192
  History memberHistory{};                                  // file offset 11808
  History savePathHistory{};                                // file offset 15808

  History& history(HistoryKind which) { return which == HistoryKind::Member ? memberHistory : savePathHistory; }
  const History& history(HistoryKind which) const {
    return which == HistoryKind::Member ? memberHistory : savePathHistory;
  }
};

// The block as the file holds it: exactly kSettingsFileSize bytes.
Bytes SerializeSettings(const SettingsBlock& block);

// The block from file bytes: only the first kSettingsFileSize bytes count; a shorter input leaves the
// rest zero. No repair here.
SettingsBlock ParseSettings(std::string_view bytes);

// Brings every site's limits into range: threads 0 or above 15 becomes 5, timeoutSeconds below 10 becomes
// 30. minKB and maxKB are never touched.
void RepairSettings(SettingsBlock& block);

// The values a first start gives (applied only when there was no file): site 7 options gets
// OPT_BIG_PICTURES | OPT_FIX_ORDER, site 8 nameSource 1, sites 11 and 16 options get OPT_FIX_ORDER.
void ApplyFirstRunValues(SettingsBlock& block);

// How the two histories reach whoever shows them (the window's member and save-path boxes). Either
// function may be empty.
struct HistoryBoxes {
  std::function<void(HistoryKind which)> clearBox;                       // empty that history's list
  std::function<void(HistoryKind which, const Text& text)> addCandidate;  // add one entry at the end
};

struct SettingsLoadResult {
  bool filePresent = false;  // "soft.dat" could be opened (also when short or empty)
  bool saved = false;        // the repaired block was written back
};

// Start-up: zeroes `block`, reads "soft.dat" from `programFolder` (a folder ending with the separator),
// repairs it (RepairSettings, and ApplyFirstRunValues when the file could not be opened), saves it
// (SaveSettings) so that the file afterwards always exists at full size, then clears both boxes and hands
// them every non-empty history entry, newest first (the member history first, then the save paths).
SettingsLoadResult LoadSettings(SettingsBlock& block, TextView programFolder, const HistoryBoxes& boxes = {});

// Writes the whole block to "soft.dat" in `programFolder`. The bytes go to a temporary file beside it
// that is then renamed into place, so a crash or a full disk never leaves a cut or empty settings file.
// False (and the old file untouched) when it cannot be written; callers carry on with the settings in
// memory, a trace line says what happened.
bool SaveSettings(const SettingsBlock& block, TextView programFolder);

// Puts `text` first in the chosen history and moves the others down (the fifth drops out). Refused
// (false, nothing changes) when `text` is empty, has kHistoryUnits or more code units, or equals an entry
// ignoring case (see EqualsIgnoringCase). True when the history changed; the caller then adds the text to the box
// and saves.
bool AddHistory(SettingsBlock& block, HistoryKind which, TextView text);

// Case-insensitive equality of two texts, independent of the locale: both sides are folded code unit by
// code unit with simple (one-to-one) lower-casing of ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and
// the full-width Latin letters; everything else (CJK included) compares exactly.
bool EqualsIgnoringCase(TextView a, TextView b);

// The one-unit lower-casing EqualsIgnoringCase folds with; typed-text matching uses it too, so a match
// and a history comparison agree on what differs only in case.
char16_t FoldCase(char16_t c);

}  // namespace albatrix
