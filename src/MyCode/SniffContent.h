// What the first bytes of a reply say it holds, whatever its headers claim: the fetcher judges a picture
// reply by them. Whole signatures only, so a page is never taken for a picture by two bytes; the format
// fix keeps its own looser table (ExtensionForContent), which names the extension of a picture saved.
#pragma once

#include <cstddef>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// How many first bytes the judgements below look at: every picture signature known here lies within the
// first 16, and the rest leaves room for the blank lines a page may begin with.
inline constexpr std::size_t kSniffBytes = 64;

enum class ContentKind {
  Picture,   // begins with the whole signature of a picture format known here
  HtmlPage,  // after an optional UTF-8 byte-order mark and ASCII white space, begins with "<!DOCTYPE html",
             // "<html", "<head" or "<body" in any case; an SVG or other XML is no page
  Unknown,   // anything else, a picture format not known here among it
};

// What content beginning with `firstBytes` (its first kSniffBytes bytes, or all of it when shorter) is.
ContentKind SniffContent(std::string_view firstBytes);

}  // namespace albatrix
