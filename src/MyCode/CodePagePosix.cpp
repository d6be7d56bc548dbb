// The POSIX half of the code pages: iconv, and 936 as the ANSI code page unless the environment names another.
#include "MyCode/CodePage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <vector>

#include "MyCode/Trace.h"

namespace albatrix {

namespace {

// Program text is UTF-16 in the host's byte order, so iconv reads and writes it in place.
constexpr const char* kUtf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

// iconv's names for a code page, best first. The Microsoft variants come first because the site's pages
// and the files other programs read were written with them (CP936 has the euro sign at 0x80, CP950 the
// Microsoft additions to Big5).
std::vector<std::string> IconvNames(unsigned codePage) {
  switch (codePage) {
    case CP_GBK: return {"CP936", "GBK"};
    case CP_UTF8: return {"UTF-8"};
    case CP_BIG5: return {"CP950", "BIG5"};
    case CP_EUCKR: return {"EUC-KR", "CP949"};
    default: return {"CP" + std::to_string(codePage)};
  }
}

iconv_t OpenConverter(unsigned codePage, bool toText) {
  for (const std::string& name : IconvNames(codePage)) {
    iconv_t cd = toText ? iconv_open(kUtf16Name, name.c_str()) : iconv_open(name.c_str(), kUtf16Name);
    if (cd != kNoConverter) return cd;
  }
  return kNoConverter;
}

// The converters of one thread. Opening a converter costs far more than converting a file name, so they
// are kept for the thread's lifetime; a handful of code pages is all a run ever uses.
class ThreadConverters {
 public:
  ThreadConverters() = default;
  ThreadConverters(const ThreadConverters&) = delete;
  ThreadConverters& operator=(const ThreadConverters&) = delete;
  ~ThreadConverters() {
    for (const Entry& e : entries_) iconv_close(e.cd);
  }

  // A converter in its initial state, or kNoConverter when iconv has none for the code page.
  iconv_t Get(unsigned codePage, bool toText) {
    for (const Entry& e : entries_) {
      if (e.codePage == codePage && e.toText == toText) {
        iconv(e.cd, nullptr, nullptr, nullptr, nullptr);
        return e.cd;
      }
    }
    iconv_t cd = OpenConverter(codePage, toText);
    if (cd == kNoConverter) return cd;
    if (entries_.size() >= kMaxEntries) {
      iconv_close(entries_.front().cd);
      entries_.erase(entries_.begin());
    }
    entries_.push_back({codePage, toText, cd});
    return cd;
  }

 private:
  struct Entry {
    unsigned codePage;
    bool toText;
    iconv_t cd;
  };
  static constexpr std::size_t kMaxEntries = 8;
  std::vector<Entry> entries_;
};

ThreadConverters& Converters() {
  thread_local ThreadConverters converters;
  return converters;
}

// Runs `cd` over the input into `out` (elements of type Unit) from index `used` on, growing `out` on
// E2BIG, and finishes with iconv's flush call. At a spot iconv cannot convert, `onBad` writes the
// replacement and advances the input. Returns the number of elements used.
template <typename Buffer, typename OnBad>
std::size_t RunConverter(iconv_t cd, char* in, std::size_t inLeft, Buffer& out, std::size_t used,
                         std::size_t initialUnits, OnBad onBad) {
  using Unit = typename Buffer::value_type;
  out.resize(used + std::max<std::size_t>(initialUnits, 1));
  bool flushing = false;
  for (;;) {
    char* outStart = reinterpret_cast<char*>(out.data() + used);
    char* outPtr = outStart;
    std::size_t outLeft = (out.size() - used) * sizeof(Unit);
    std::size_t r = flushing ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                             : iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    int err = errno;
    used += static_cast<std::size_t>(outPtr - outStart) / sizeof(Unit);
    if (r != kFailed) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (err == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (!flushing && (err == EILSEQ || err == EINVAL) && inLeft > 0) {
      if (used == out.size()) out.resize(out.size() * 2);
      std::size_t skip = onBad(in, inLeft, out[used]);
      ++used;
      in += skip;
      inLeft -= skip;
      continue;
    }
    Trace(std::string("iconv stopped: ") + std::strerror(err));
    break;
  }
  return used;
}

}  // namespace

bool CodePageSupported(unsigned codePage) {
  return codePage == CP_UTF8 || Converters().Get(codePage, true) != kNoConverter;
}

unsigned AnsiCodePage() {
  static const unsigned codePage = CodePageFromSetting(std::getenv("ALBATRIX_ANSI_CODEPAGE"));
  return codePage;
}

bool IconvDecode(std::string_view bytes, unsigned codePage, Text& out, std::size_t initialUnits) {
  iconv_t cd = Converters().Get(codePage, true);
  if (cd == kNoConverter) return false;
  const std::size_t base = out.size();
  std::size_t used = RunConverter(cd, const_cast<char*>(bytes.data()), bytes.size(), out, base, initialUnits,
                                  [](const char*, std::size_t, char16_t& slot) {
                                    slot = u'\uFFFD';
                                    return std::size_t{1};
                                  });
  out.resize(used);
  return true;
}

bool IconvEncode(TextView text, unsigned codePage, Bytes& out, std::size_t initialBytes) {
  iconv_t cd = Converters().Get(codePage, false);
  if (cd == kNoConverter) return false;
  const std::size_t base = out.size();
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
  std::size_t used = RunConverter(cd, in, text.size() * sizeof(char16_t), out, base, initialBytes,
                                  [](const char* at, std::size_t left, char& slot) {
                                    slot = '?';
                                    // A pair the code page cannot hold is one character: one "?".
                                    char16_t units[2] = {0, 0};
                                    std::memcpy(units, at, std::min(left, sizeof units));
                                    bool pair = left >= sizeof units && units[0] >= 0xD800 && units[0] <= 0xDBFF &&
                                                units[1] >= 0xDC00 && units[1] <= 0xDFFF;
                                    return pair ? sizeof units : sizeof(char16_t);
                                  });
  out.resize(used);
  return true;
}

}  // namespace albatrix
