// What the first bytes of a file or a reply say it holds, whatever its name or its headers claim: the
// fetcher judges a picture reply by them, and the format fix gives a saved picture the extension they call
// for.
#pragma once

#include <cstddef>
#include <string_view>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// How many first bytes the judgements below look at: every picture signature known here lies within the
// first 16, and the rest leaves room for the blank lines a page may begin with.
inline constexpr std::size_t kSniffBytes = 64;

enum class ContentKind {
  Picture,   // begins with the signature of a picture format known here (PictureExtension names it)
  HtmlPage,  // after an optional UTF-8 byte-order mark and ASCII white space, begins with "<!DOCTYPE html",
             // "<html", "<head" or "<body" in any case; an SVG or other XML is no page
  Unknown,   // anything else, a picture format not known here among it
};

// What content beginning with `firstBytes` (its first kSniffBytes bytes, or all of it when shorter) is.
ContentKind SniffContent(std::string_view firstBytes);

// The extension the picture format that `firstBytes` begin with calls for: ".jpg", ".png", ".gif",
// ".bmp", ".webp", ".tiff", ".ico", ".cur", ".tga", ".avif", ".heic" or ".heif". Empty when they begin no
// format known here; a signature counts only when all of it is there.
Text PictureExtension(std::string_view firstBytes);

}  // namespace albatrix
