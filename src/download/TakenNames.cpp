#include "download/TakenNames.h"

#include "model/Settings.h"

namespace albatrix {

namespace {

// Classes of code units that case folding never leads out of: ASCII letters fold among themselves (and
// U+0130 to "i"), and each of the other cased scripts folds within its own block.
char16_t CaseClass(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c == 0x130) return u'i';
  if (c >= 0xC0 && c <= 0x24F) return 0xC0;    // Latin-1 letters, Latin Extended-A and -B
  if (c >= 0x370 && c <= 0x3FF) return 0x370;  // Greek
  if (c >= 0x400 && c <= 0x52F) return 0x400;  // Cyrillic
  if (c >= 0x1E00 && c <= 0x1FFF) return 0x1E00;  // Latin and Greek extended
  if (c >= 0x2100 && c <= 0x218F) return 0x2100;  // letter-like symbols, Roman numerals
  if (c >= 0xFF21 && c <= 0xFF5A) return 0xFF21;  // full-width Latin
  return c;
}

}  // namespace

std::size_t TakenNames::Hash::operator()(const Text& text) const {
  std::size_t h = 1469598103934665603ull;
  for (char16_t c : text) {
    h ^= CaseClass(c);
    h *= 1099511628211ull;
  }
  return h;
}

bool TakenNames::Equal::operator()(const Text& a, const Text& b) const { return EqualsIgnoringCase(a, b); }

void TakenNames::Clear() {
  names_.clear();
  counters_.clear();
}

static Text CounterKey(const Text& base, const Text& extension) {
  Text key = base;
  key += u'\0';
  key += extension;
  return key;
}

unsigned TakenNames::NextCounter(const Text& base, const Text& extension) const {
  auto it = counters_.find(CounterKey(base, extension));
  return it == counters_.end() ? 1u : it->second;
}

void TakenNames::RememberCounter(const Text& base, const Text& extension, unsigned nextFree) {
  counters_[CounterKey(base, extension)] = nextFree;
}

}  // namespace albatrix
