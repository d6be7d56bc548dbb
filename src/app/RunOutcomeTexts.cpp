#include "app/RunOutcomeTexts.h"

#include <string>

namespace albatrix {

Text AlbumResultText(const AlbumTally& tally) {
  if (tally.cancelled) return u"已停止";
  if (tally.incomplete) return u"不完整";
  if (tally.markerMet && tally.listed == 0) return u"已是最新";
  if (tally.failed > 0) return u"失败 " + DecimalText(tally.failed) + u"/" + DecimalText(tally.listed);
  if (tally.leftOut > 0) return u"跳过 " + DecimalText(tally.leftOut) + u"/" + DecimalText(tally.listed);
  return u"完成 " + DecimalText(tally.listed);
}

Text RunSummaryText(const RunTally& tally) {
  return u"下载完毕：保存 " + DecimalText(tally.saved) + u" 张，跳过 " + DecimalText(tally.leftOut) + u" 张，失败 " +
         DecimalText(tally.failed) + u" 张";
}

Text FailureAlbumText(const FailedPicture& failure) {
  return failure.member.empty() ? failure.albumTitle : failure.member + u" / " + failure.albumTitle;
}

Text FailureListText(const std::vector<FailedPicture>& failures) {
  Text text;
  for (const FailedPicture& failure : failures) {
    text += FailureAlbumText(failure) + u"\t" + failure.url + u"\t" + failure.reason + u"\r\n";
  }
  return text;
}

}  // namespace albatrix
