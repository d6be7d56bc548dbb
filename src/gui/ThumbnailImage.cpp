#include "gui/ThumbnailImage.h"

#include <wx/image.h>
#include <wx/log.h>

#include <cstring>

#include "gui/WxText.h"

namespace albatrix {

namespace {

// Every pixel that is not opaque is mixed with white by its opacity; a masked colour becomes white.
void ComposeOverWhite(wxImage& image) {
  if (image.HasMask()) image.InitAlpha();  // the mask becomes a fully transparent alpha
  if (!image.HasAlpha()) return;
  unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.GetAlpha();
  const long pixels = static_cast<long>(image.GetWidth()) * image.GetHeight();
  for (long i = 0; i < pixels; ++i) {
    const unsigned opacity = alpha[i];
    for (int c = 0; c < 3; ++c) {
      unsigned char& value = rgb[3 * i + c];
      value = static_cast<unsigned char>((value * opacity + 255u * (255u - opacity) + 127u) / 255u);
    }
  }
  image.ClearAlpha();
}

}  // namespace

void InstallImageDecoders() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxInitAllImageHandlers();
}

std::optional<ThumbnailPixels> MakeThumbnailPixels(const Text& file, int width, int height) {
  wxLogNull quiet;  // a cover that does not decode is no news to the user
  wxImage image;
  if (!image.LoadFile(ToWx(file), wxBITMAP_TYPE_ANY) || !image.IsOk()) return std::nullopt;
  ComposeOverWhite(image);
  image.Rescale(width, height, wxIMAGE_QUALITY_HIGH);
  if (image.GetWidth() != width || image.GetHeight() != height) return std::nullopt;
  ThumbnailPixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::memcpy(pixels.rgb.data(), image.GetData(), pixels.rgb.size());
  return pixels;
}

}  // namespace albatrix
