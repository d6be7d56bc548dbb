#include "gui/ProgramIcon.h"

#include <wx/icon.h>
#include <wx/image.h>

namespace albatrix {

namespace {

// Where bitmaps are not the system's own (Windows), the PNGs are read through wx's image handler.
void EnsurePngReader() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
}

}  // namespace

wxIconBundle ProgramIcons() {
  EnsurePngReader();
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
  EnsurePngReader();
  wxBitmap chosen;
  for (const IconPng& png : ProgramIconPngs()) {
    chosen = wxBitmap::NewFromPNGData(png.data, png.size);
    if (chosen.IsOk() && chosen.GetWidth() >= pixels) break;
  }
  return chosen;
}

}  // namespace albatrix
