#include "app/GridCells.h"

#include <cstdio>

#include "MyCode/FileOps.h"
#include "model/AlbumRecords.h"

namespace albatrix {

namespace {

Text Formatted(const char* format, unsigned long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return Utf8ToText(buffer);
}

}  // namespace

Text CutGridTitle(TextView title) { return CutToUnits(title, kGridTitleLength); }

Text GridNumberText(int row) { return Formatted("%04llu", static_cast<unsigned long long>(row < 0 ? 0 : row)); }

Text GridCountText(std::int32_t pictureCount) {
  if (pictureCount == -1) return u"未知";
  return Formatted("%4llu", static_cast<std::uint32_t>(pictureCount));
}

Text GridNoteText(std::int32_t accessFlags) {
  auto bits = static_cast<std::uint32_t>(accessFlags);
  if (bits & 0x80000000u) return Formatted("%08llu", bits & 0x7FFFFFFFu);
  if (accessFlags & ACCESS_ENCRYPTED) return u"加密相册";
  if (accessFlags & ACCESS_PRIVATE) return u"私密相册";
  if (accessFlags & ACCESS_FRIENDS) return u"好友可见";
  return Text();
}

TextArray ListHeaderTexts(bool resultColumnShown) {
  return {u"序号", u"名称", u"数量", u"备注", resultColumnShown ? u"结果" : u"", u""};
}

TextArray ListRowTexts(const GridAlbum& album, bool resultColumnShown) {
  return {album.number, album.title, album.count, album.note, resultColumnShown ? album.result : Text(), Text()};
}

Text GridCaptionText(std::size_t albumIndex, TextView title) {
  return Formatted("%llu.", static_cast<unsigned long long>(albumIndex) + 1) + Text(title);
}

}  // namespace albatrix
