#include "gui/ProgramIcon.h"

#include <wx/icon.h>
#include <wx/image.h>

#include "gui/ThumbnailImage.h"

namespace albatrix {

wxIconBundle ProgramIcons() {
  InstallImageDecoders();  // where bitmaps are not the system's own (Windows), PNGs are read through wx
  wxIconBundle icons;
  for (const IconPng& png : ProgramIconPngs()) {
    wxBitmap bitmap = wxBitmap::NewFromPNGData(png.data, png.size);
    if (!bitmap.IsOk()) continue;
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    icons.AddIcon(icon);
  }
  return icons;
}

wxBitmap ProgramIconBitmap(int pixels) {
  InstallImageDecoders();  // where bitmaps are not the system's own (Windows), PNGs are read through wx
  wxBitmap chosen;
  for (const IconPng& png : ProgramIconPngs()) {
    chosen = wxBitmap::NewFromPNGData(png.data, png.size);
    if (chosen.IsOk() && chosen.GetWidth() >= pixels) break;
  }
  return chosen;
}

}  // namespace albatrix
