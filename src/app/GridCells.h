// The texts of the album grid's cells, as every front end shows them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MyCode/StringCtrl.h"
#include "app/MainWindowView.h"

namespace albatrix {

// Titles longer than this are cut, in the album record itself, when the grid shows them.
constexpr std::size_t kGridTitleLength = 80;

// Albums per row of thumbnails in preview mode, and the thumbnails' size in pixels.
constexpr int kThumbColumns = 6;
constexpr int kThumbWidth = 113;
constexpr int kThumbHeight = 120;

// `title` cut to kGridTitleLength code units; a surrogate pair at the cut is dropped whole rather than
// split, so the title never ends in half a character.
Text CutGridTitle(TextView title);

// List mode column 0: "%04d" of the grid row.
Text GridNumberText(int row);

// List mode column 2: "%4u" of the count, "未知" for -1.
Text GridCountText(std::int32_t pictureCount);

// List mode column 3: "加密相册", "私密相册", "好友可见" for the first of the ACCESS_* bits set (in that
// order), nothing for none; with the top bit set, the other 31 bits as "%08u".
Text GridNoteText(std::int32_t accessFlags);

// List mode has six columns: "序号", "名称", "数量", "备注", "结果" and one that stays hidden.
constexpr int kListColumns = 6;
// Column 4 "结果" is hidden (no title, no texts) until the first run ends, and shown from then on.
constexpr int kResultColumn = 4;

// The list mode header, column by column.
TextArray ListHeaderTexts(bool resultColumnShown);
// The texts of an album's list mode row as the grid shows them (and the export writes them), column by
// column; the outcome only while the "结果" column is shown.
TextArray ListRowTexts(const GridAlbum& album, bool resultColumnShown);

// Preview mode cell: "%d.%s" of the album index + 1 and the title.
Text GridCaptionText(std::size_t albumIndex, TextView title);

}  // namespace albatrix
