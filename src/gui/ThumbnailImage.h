// Covers into thumbnails with wxImage: decoded by content and scaled, on whichever thread fills the grid.
// Only wxImage is used here (no bitmap, no display), which is safe off the interface thread.
#pragma once

#include <optional>

#include "app/MainWindowView.h"

namespace albatrix {

// Registers the decoders of every format a cover may come in (PNG, GIF, JPEG, BMP). Interface thread,
// before the first thumbnail is made.
void InstallImageDecoders();

// The picture in `file`, whatever its name says, scaled whole to exactly `width` x `height` (the aspect
// ratio is not kept) with a high-quality rescale, transparency composed over white, as RGB bytes.
// Nothing when the file does not decode.
std::optional<ThumbnailPixels> MakeThumbnailPixels(const Text& file, int width, int height);

}  // namespace albatrix
