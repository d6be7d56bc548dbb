// Which input controls take input, as one value worked out from what is under way: the controller
// publishes it whole, so every front end shows the same rule and no step leaves a control half-way.
#pragma once

#include <utility>
#include <vector>

#include "app/MainWindowView.h"

namespace albatrix {

// What is under way, as far as the input controls care. A grid fill keeps every control as it is.
enum class InputBusy { None, Listing, Running };

// A listing keeps the user away from what it empties and refills (the site, the member, the download,
// the preview switch, "筛选", "查找" and "导出"); a run from what it reads (the site, the member, the save
// path, "设置" and "获取相册"), and its button is the way to stop it. In list mode "筛选" and "查找" follow
// the rest; preview mode keeps them off, since a filter would refill list rows over the thumbnails.
// "下载" with nothing to do is off: only albums in the list give it work.
InputLook InputLookOf(InputBusy busy, bool previewMode, bool hasAlbums);

}  // namespace albatrix
