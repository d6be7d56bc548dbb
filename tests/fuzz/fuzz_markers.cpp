// The marker operations on fuzzed pages and markers. Input: mode byte, start marker, end marker, text
// (see FuzzInput.h). Mode bits 0-1 are the TextBetween flags, bit 2 SkipPast's remove flag.
#include "FuzzInput.h"

using namespace albatrix;
using albatrix::fuzz::FuzzText;

namespace {

bool Contains(TextView text, TextView part) { return text.find(part) != TextView::npos; }

// `marker` occurs in `text` first at `at` (no earlier occurrence, one right there).
bool FirstOccurrenceAt(TextView text, TextView marker, std::size_t at) {
  if (at > text.size() || text.substr(at).substr(0, marker.size()) != marker) return false;
  Text before(text.substr(0, at + marker.size() - (marker.empty() ? 0 : 1)));
  return marker.empty() ? at == 0 : !Contains(before, marker);
}

void CheckTextBetween(const Text& page, TextView start, TextView end, unsigned flags) {
  Text text = page;
  Text value = TextBetween(text, start, end, flags);
  FUZZ_CHECK(Contains(page, value));
  if (!(flags & BETWEEN_CONSUME)) FUZZ_CHECK(text == page);

  // The consuming call tells where the start marker was; everything else follows from that.
  Text rest = page;
  Text sameValue = TextBetween(rest, start, end, flags | BETWEEN_CONSUME);
  FUZZ_CHECK(sameValue == value);
  if (flags & BETWEEN_CONSUME) FUZZ_CHECK(text == rest);
  FUZZ_CHECK(rest.size() <= page.size() && TextView(page).ends_with(rest));
  bool found = rest.size() < page.size() || start.empty();
  if (!found) {
    FUZZ_CHECK(rest == page && value.empty());
    return;
  }
  FUZZ_CHECK(FirstOccurrenceAt(page, start, page.size() - rest.size() - start.size()));
  FUZZ_CHECK(TextView(rest).starts_with(value));
  std::size_t endAt = rest.find(end);
  if (endAt != Text::npos) {
    FUZZ_CHECK(FirstOccurrenceAt(rest, end, value.size()));
  } else {
    FUZZ_CHECK(value == ((flags & BETWEEN_TO_END) ? rest : Text()));
  }
}

void CheckSkipAndCut(const Text& page, TextView marker, bool removeMarker) {
  Text skipped = page;
  long at = SkipPast(skipped, marker, removeMarker);
  Text cut = page;
  FUZZ_CHECK(CutBefore(cut, marker) == at);
  if (at < 0) {
    FUZZ_CHECK(at == -1 && skipped == page && cut == page && !Contains(page, marker));
    return;
  }
  auto p = static_cast<std::size_t>(at);
  FUZZ_CHECK(FirstOccurrenceAt(page, marker, p));
  FUZZ_CHECK(skipped == page.substr(removeMarker ? p + marker.size() : p));
  FUZZ_CHECK(cut == page.substr(0, p));
}

void CheckSplitAndCount(const Text& page, TextView sep) {
  TextArray pieces;
  long n = SplitText(page, sep, pieces);
  FUZZ_CHECK(n == CountOccurrences(page, sep));
  if (n < 1) {
    FUZZ_CHECK(n == 0 && pieces.empty());
    return;
  }
  FUZZ_CHECK(static_cast<std::size_t>(n) * sep.size() <= page.size());
  FUZZ_CHECK(pieces.size() == static_cast<std::size_t>(n) + 1);
  Text joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    FUZZ_CHECK(!Contains(pieces[i], sep));
    if (i > 0) joined += sep;
    joined += pieces[i];
  }
  FUZZ_CHECK(joined == page);
}

void CheckReplacing(const Text& page, TextView find, TextView with) {
  Text same = page;
  ReplaceAll(same, find, find);
  FUZZ_CHECK(same == page);
  Text listed = page;
  ReplaceList(listed, find, find);
  FUZZ_CHECK(listed == page);

  Text replaced = page;
  ReplaceAll(replaced, find, with);
  if (find.empty()) {
    FUZZ_CHECK(replaced == page);
  } else {
    auto count = static_cast<std::size_t>(CountOccurrences(page, find));
    FUZZ_CHECK(replaced.size() + count * find.size() == page.size() + count * with.size());
  }
  Text anyList = page;
  ReplaceList(anyList, find, with);  // any shape of lists: must simply end

  Text decoded = page;
  DecodeEntities(decoded);
  FUZZ_CHECK(decoded.size() <= page.size());
  if (!Contains(page, u"&")) FUZZ_CHECK(decoded == page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input = fuzz::SplitFuzzInput(data, size, 3);
  Text start = FuzzText(input.fields[0], input.mode);
  Text end = FuzzText(input.fields[1], input.mode);
  Text page = FuzzText(input.fields[2], input.mode);

  CheckTextBetween(page, start, end, input.mode & 3);
  CheckSkipAndCut(page, start, (input.mode & 4) != 0);
  CheckSkipAndCut(page, end, (input.mode & 4) == 0);
  CheckSplitAndCount(page, start);
  CheckSplitAndCount(page, end);
  CheckReplacing(page, start, end);
  return 0;
}
