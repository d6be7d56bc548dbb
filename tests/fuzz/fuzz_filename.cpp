// File-name cleaning on fuzzed titles. Input: mode byte, name (see FuzzInput.h). Mode bit 0 turns the
// fallback on, bit 1 asks for the time-stamp fallback instead of "pic<number>".
#include "FuzzInput.h"
#include "MyCode/SanitizeFileName.h"

using namespace albatrix;

namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x00A0 ||
         c == 0x3000;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input = fuzz::SplitFuzzInput(data, size, 1);
  Text name = fuzz::FuzzText(input.fields[0], input.mode);
  bool fallback = (input.mode & 1) != 0;
  unsigned number = (input.mode & 2) ? kFallbackTimeStamp : 7;
  const auto fixedNow = [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)); };

  Text clean = SanitizeFileName(name, number, fallback, fixedNow);

  // Whatever the title, the result is one harmless path component.
  for (char16_t c : clean) {
    FUZZ_CHECK(c >= 0x20);  // control characters, the tab included, are gone
    FUZZ_CHECK(TextView(u"\\/:*?\"<>|").find(c) == TextView::npos);
  }
  FUZZ_CHECK(clean != u"." && clean != u"..");
  if (!clean.empty()) FUZZ_CHECK(!IsSpace(clean.front()) && !IsSpace(clean.back()));
  if (fallback) {
    FUZZ_CHECK(!clean.empty() && clean.size() < kFallbackNameLength);
  }
  return 0;
}
