// The texts in which the window reports what a download run came to: per album, for the whole run, and
// the failure list as it is copied.
#pragma once

#include <vector>

#include "MyCode/StringCtrl.h"
#include "download/RunEvents.h"

namespace albatrix {

// The "结果" cell of an album: "已停止" (cancelled), "不完整" (a page could not be read), "已是最新" (the
// skip marker came before any new picture), "失败 F/P", "跳过 L/P" (size limits), else "完成 P"; P is the pictures listed.
Text AlbumResultText(const AlbumTally& tally);

// "下载完毕：保存 S 张，跳过 L 张，失败 F 张".
Text RunSummaryText(const RunTally& tally);

// The album of a failure as the failure list names it: its title, after its member in a batch of job
// files ("<member> / <title>").
Text FailureAlbumText(const FailedPicture& failure);

// The failure list as "复制" puts it on the clipboard: album, address and reason, TAB-separated, one
// picture a line (CR LF).
Text FailureListText(const std::vector<FailedPicture>& failures);

}  // namespace albatrix
