#include "model/Settings.h"

#include <algorithm>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"

namespace albatrix {
namespace {

// Offsets of the parts of the file.
constexpr std::size_t kLimitsOffset = 0;
constexpr std::size_t kLimitsSize = 8;
constexpr std::size_t kRulesOffset = kLimitsOffset + kSiteCount * kLimitsSize;  // 192
constexpr std::size_t kRuleSize = 484;
constexpr std::size_t kMemberHistoryOffset = kRulesOffset + kSiteCount * kRuleSize;  // 11808
constexpr std::size_t kHistorySize = kHistoryEntries * kHistoryUnits * 2;
constexpr std::size_t kSavePathHistoryOffset = kMemberHistoryOffset + kHistorySize;  // 15808
static_assert(kSavePathHistoryOffset + kHistorySize == kSettingsFileSize);

constexpr std::uint16_t kDefaultThreads = 5;
constexpr std::uint16_t kMaxThreads = 15;
constexpr std::uint16_t kDefaultTimeoutSeconds = 30;
constexpr std::uint16_t kMinTimeoutSeconds = 10;

// Writes little-endian values one after the other into a byte string.
class ByteWriter {
 public:
  explicit ByteWriter(std::size_t capacity) { bytes_.reserve(capacity); }
  void U8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v & 0xFF));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  template <std::size_t N>
  void Slot(const TextSlot<N>& slot) {
    for (char16_t c : slot) U16(static_cast<std::uint16_t>(c));
  }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

// Reads little-endian values one after the other; past the end of the input every byte reads as zero.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  std::uint8_t U8() {
    std::uint8_t v = pos_ < bytes_.size() ? static_cast<std::uint8_t>(bytes_[pos_]) : 0;
    ++pos_;
    return v;
  }
  std::uint16_t U16() {
    std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
  }
  template <std::size_t N>
  void Slot(TextSlot<N>& slot) {
    for (char16_t& c : slot) c = static_cast<char16_t>(U16());
  }
  std::size_t position() const { return pos_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

template <class Rule, class Io>
void EachRuleSlot(Rule& rule, Io&& io) {
  io(rule.prefix);
  io(rule.suffix);
  io(rule.replaceFrom);
  io(rule.replaceTo);
  io(rule.albumPrefix);
  io(rule.albumSuffix);
}


Text SettingsPath(TextView programFolder) { return Text(programFolder) + kSettingsFileName; }

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);  // Latin-1
  if (c >= 0x100 && c <= 0x17F) {                                                  // Latin Extended-A
    if (c == 0x130) return u'i';
    if (c == 0x178) return 0xFF;
    bool evenUpper = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1)) return static_cast<char16_t>(c + 1);
    return c;
  }
  if (c >= 0x386 && c <= 0x3AB) {  // Greek capitals
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 63);
    return c;
  }
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);  // Cyrillic Ѐ..Џ
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);  // Cyrillic А..Я
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);  // full-width Ａ..Ｚ
  return c;
}

void SetSlotText(char16_t* slot, std::size_t units, TextView text, std::size_t maxLength) {
  if (units == 0) return;
  std::size_t n = std::min({text.size(), maxLength, units - 1});
  // A high surrogate without its partner would be a broken character at the end.
  if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::copy_n(text.data(), n, slot);
  std::fill(slot + n, slot + units, u'\0');
}

Bytes SerializeSettings(const SettingsBlock& block) {
  ByteWriter out(kSettingsFileSize);
  for (const DownloadLimits& limits : block.downloadLimits) {
    out.U16(limits.minKB);
    out.U16(limits.maxKB);
    out.U16(limits.threads);
    out.U16(limits.timeoutSeconds);
  }
  for (const NameRule& rule : block.nameRules) {
    EachRuleSlot(rule, [&out](const auto& slot) { out.Slot(slot); });
    out.U16(rule.options);
    out.U8(rule.nameSource);
    out.U8(rule.albumFolderMode);
  }
  for (const auto& entry : block.memberHistory) out.Slot(entry);
  for (const auto& entry : block.savePathHistory) out.Slot(entry);
  return out.Take();
}

SettingsBlock ParseSettings(std::string_view bytes) {
  SettingsBlock block;
  ByteReader in(bytes.substr(0, std::min(bytes.size(), kSettingsFileSize)));
  for (DownloadLimits& limits : block.downloadLimits) {
    limits.minKB = in.U16();
    limits.maxKB = in.U16();
    limits.threads = in.U16();
    limits.timeoutSeconds = in.U16();
  }
  for (NameRule& rule : block.nameRules) {
    EachRuleSlot(rule, [&in](auto& slot) { in.Slot(slot); });
    rule.options = in.U16();
    rule.nameSource = in.U8();
    rule.albumFolderMode = in.U8();
  }
  for (auto& entry : block.memberHistory) in.Slot(entry);
  for (auto& entry : block.savePathHistory) in.Slot(entry);
  return block;
}

void RepairSettings(SettingsBlock& block) {
  for (DownloadLimits& limits : block.downloadLimits) {
    if (limits.threads == 0 || limits.threads > kMaxThreads) limits.threads = kDefaultThreads;
    if (limits.timeoutSeconds < kMinTimeoutSeconds) limits.timeoutSeconds = kDefaultTimeoutSeconds;
  }
}

void ApplyFirstRunValues(SettingsBlock& block) {
  block.nameRules[7].options |= OPT_BIG_PICTURES | OPT_FIX_ORDER;
  block.nameRules[8].nameSource = 1;
  block.nameRules[11].options |= OPT_FIX_ORDER;
  block.nameRules[16].options |= OPT_FIX_ORDER;
}

SettingsLoadResult LoadSettings(SettingsBlock& block, TextView programFolder, const HistoryBoxes& boxes) {
  SettingsLoadResult result;
  block = SettingsBlock{};
  Text path = SettingsPath(programFolder);
  Bytes bytes;
  // A folder in the file's place reads as nothing; it counts as a missing file, not an empty one.
  result.filePresent = FileExists(path) && ReadFileBytes(path, bytes, kSettingsFileSize);
  if (result.filePresent) {
    block = ParseSettings(bytes);
  } else {
    Trace("LoadSettings: no soft.dat, first-run values");
  }
  RepairSettings(block);
  if (!result.filePresent) ApplyFirstRunValues(block);
  result.saved = SaveSettings(block, programFolder);

  auto fill = [&boxes](HistoryKind which, const History& history) {
    if (boxes.clearBox) boxes.clearBox(which);
    if (!boxes.addCandidate) return;
    for (const auto& entry : history) {
      if (entry[0] != 0) boxes.addCandidate(which, SlotText(entry));
    }
  };
  fill(HistoryKind::Member, block.memberHistory);
  fill(HistoryKind::SavePath, block.savePathHistory);
  return result;
}

bool SaveSettings(const SettingsBlock& block, TextView programFolder) {
  if (WriteFileReplacing(SettingsPath(programFolder), SerializeSettings(block))) return true;
  Trace("SaveSettings: soft.dat could not be written: " + TextToUtf8(SettingsPath(programFolder)));
  return false;
}

bool AddHistory(SettingsBlock& block, HistoryKind which, TextView text) {
  // An empty text would only push a real entry out for a slot that reads as empty.
  if (text.empty() || text.size() >= kHistoryUnits) return false;
  History& history = block.history(which);
  for (const auto& entry : history) {
    if (EqualsIgnoringCase(SlotText(entry), text)) return false;
  }
  std::move_backward(history.begin(), history.end() - 1, history.end());
  SetSlotText(history[0], text);
  return true;
}

bool EqualsIgnoringCase(TextView a, TextView b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

}  // namespace albatrix
