#include "discovery/SiteRecognition.h"

namespace albatrix {

const std::array<SiteRow, 19> SITE_TABLE = {{
    {0, u"qq.com/"},
    {1, u"baidu.com/"},
    {2, u"163.com/"},
    {3, u"renren.com/"},
    {4, u"weibo.com"},
    {4, u"sina.com.cn/"},
    {5, u"56.com/"},
    {6, u"poco.cn/"},
    {7, u"yupoo.com/"},
    {8, u"lofter.com/"},
    {9, u"diandian.com/"},
    {10, u"duitang.com/"},
    {11, u"taobao.com/"},
    {11, u"tmall.com/"},
    {11, u"tmall.hk"},
    {12, u"moko.cc/"},
    {13, u"fengniao.com/"},
    {14, u"douban.com"},
    {SITE_CODE_HUPU, u""},
}};

const std::array<SubTypeRow, 2> SUBTYPE_TABLE = {{
    {2, u"t.qq.com"},
    {1, u"qun.qq.com"},
}};

const std::array<TextView, SITE_ENTRY_COUNT> SITE_ENTRY_NAMES = {
    u"QQ空间/QQ群", u"百度", u"网易", u"人人", u"新浪微博", u"56",   u"POCO", u"又拍",
    u"LOFTER",      u"点点", u"堆糖", u"淘宝", u"美空",     u"蜂鸟", u"豆瓣", u"虎扑",
};

const std::array<TextView, 3> SUBTYPE_ENTRY_NAMES = {u"QQ空间相册", u"QQ群相册", u"腾讯微博相册"};

TextView RowFragment(const SiteRow& row, const SiteProfile& profile) {
  return row.fragment.empty() ? TextView(profile.HostFragment()) : row.fragment;
}

bool OccursAfterFirst(TextView text, TextView fragment) {
  std::size_t at = text.find(fragment);
  return at != TextView::npos && at >= 1;
}

bool ContainsWebAddress(TextView text) {
  return text.find(u"http://") != TextView::npos || text.find(u"https://") != TextView::npos;
}

std::optional<SiteMatch> MatchSite(TextView text, int currentEntry, const SiteProfile& profile) {
  if (!ContainsWebAddress(text)) return std::nullopt;
  SiteMatch match{currentEntry, -1};
  for (const SiteRow& row : SITE_TABLE) {
    if (OccursAfterFirst(text, RowFragment(row, profile))) {
      match.siteEntry = row.siteCode;
      break;
    }
  }
  if (match.siteEntry == 0) {
    for (const SubTypeRow& row : SUBTYPE_TABLE) {
      if (OccursAfterFirst(text, row.fragment)) {
        match.subTypeEntry = row.entry;
        break;
      }
    }
  }
  return match;
}

}  // namespace albatrix
