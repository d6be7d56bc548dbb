// The code-page conversions, the UTF-8 detector and the literal cipher on fuzzed bytes. Input: mode byte,
// cipher key, data (see FuzzInput.h). The data is used as bytes in every code page, and as text.
#include "FuzzInput.h"
#include "MyCode/CodePage.h"

using namespace albatrix;
using albatrix::fuzz::FuzzText;

namespace {

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void CheckDecoding(std::string_view bytes) {
  std::string_view beforeNul = bytes.substr(0, bytes.find('\0'));
  for (unsigned codePage : {CP_GBK, CP_UTF8, CP_BIG5, CP_EUCKR}) {
    Text text = BytesToText(bytes, codePage);
    // At most one unit per byte in all four, and nothing after a NUL.
    FUZZ_CHECK(text.size() <= beforeNul.size());
    FUZZ_CHECK(text.find(u'\0') == Text::npos);
    FUZZ_CHECK(beforeNul.empty() == text.empty());

    // The converter alone, from the smallest buffer, agrees with the fast path for ASCII runs.
    Text viaIconv;
    FUZZ_CHECK(IconvDecode(beforeNul, codePage, viaIconv, 1));
    FUZZ_CHECK(viaIconv == text);

    Bytes again = TextToBytes(text, codePage);
    FUZZ_CHECK(again.find('\0') == Bytes::npos);
    if (codePage == CP_UTF8) FUZZ_CHECK(BytesToText(again, codePage) == text);
  }
}

void CheckUtf8(std::string_view bytes) {
  Text text = Utf8ToText(bytes);
  bool strictlyValid = TextToUtf8(text) == bytes;  // a replaced byte never encodes back to itself
  bool anyHigh = false;
  for (char c : bytes) anyHigh = anyHigh || static_cast<unsigned char>(c) >= 0x80;
  if (strictlyValid && anyHigh) FUZZ_CHECK(IsUtf8Text(bytes.data(), bytes.size()));
  if (!anyHigh) FUZZ_CHECK(!IsUtf8Text(bytes.data(), bytes.size()) && strictlyValid);
}

void CheckUtf16(const Text& text) {
  Text back = Utf8ToText(TextToUtf8(text));
  FUZZ_CHECK(back.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    FUZZ_CHECK(back[i] == text[i] || (back[i] == u'\uFFFD' && IsSurrogate(text[i])));
    if (back[i] != text[i]) {
      bool pairedHigh = text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      bool pairedLow = text[i] >= 0xDC00 && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
      FUZZ_CHECK(!pairedHigh && !pairedLow);
    }
  }
  Bytes gbk = TextToGbk(text);
  FUZZ_CHECK(gbk.find('\0') == Bytes::npos);
  FUZZ_CHECK(gbk.size() <= 2 * text.size());
}

void CheckCipher(const Text& text, const Text& key) {
  Text hex = TextCipher(text, key, true);
  if (TextToGbk(key).empty()) {
    FUZZ_CHECK(hex.empty());
    return;
  }
  FUZZ_CHECK(hex.size() % 2 == 0);
  for (char16_t c : hex) FUZZ_CHECK((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
  FUZZ_CHECK(TextCipher(hex, key, false) == BytesToText(TextToGbk(text), CP_GBK));
  TextCipher(text, key, false);  // whatever the text, deciphering must simply end
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input = fuzz::SplitFuzzInput(data, size, 2);
  std::string_view bytes = input.fields[1];
  CheckDecoding(bytes);
  CheckUtf8(bytes);
  Text text = FuzzText(bytes, input.mode);
  CheckUtf16(text);
  CheckCipher(text, FuzzText(input.fields[0], input.mode));
  return 0;
}
