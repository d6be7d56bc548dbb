// The program's icon (data/icons), built into the program in every size it is drawn in, so the window,
// its taskbar entry and the about box show it wherever the program was started from.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

#include <cstddef>
#include <vector>

namespace albatrix {

// One size of the icon as a PNG file's bytes.
struct IconPng {
  const unsigned char* data;
  std::size_t size;
};

// Every size, smallest first (made at build time from data/icons/albatrix-*.png).
const std::vector<IconPng>& ProgramIconPngs();

// The icon in every size, for a window's title bar and taskbar entry.
wxIconBundle ProgramIcons();

// The smallest size that is at least `pixels` wide (the largest there is when none is).
wxBitmap ProgramIconBitmap(int pixels);

}  // namespace albatrix
