#include "discovery/SiteProfile.h"

#include <string>

namespace albatrix {

namespace {

bool IsNumericHost(TextView host) {
  for (char16_t c : host)
    if (c != u'.' && (c < u'0' || c > u'9')) return false;
  return !host.empty();
}

// The part of a typed address that names the site: a named host counts from its last two labels on, so
// "my.hupu.com" and "www.hupu.com" are the same site; a numeric host and any port are kept whole.
Text FragmentOf(TextView base) {
  std::size_t scheme = base.find(u"://");
  TextView authority = scheme == TextView::npos ? base : base.substr(scheme + 3);
  authority = authority.substr(0, authority.find(u'/'));
  std::size_t colon = authority.find(u':');
  TextView host = authority.substr(0, colon);
  TextView port = colon == TextView::npos ? TextView() : authority.substr(colon);
  if (!IsNumericHost(host)) {
    std::size_t last = host.rfind(u'.');
    if (last != TextView::npos && last > 0) {
      std::size_t second = host.rfind(u'.', last - 1);
      if (second != TextView::npos) host = host.substr(second + 1);
    }
  }
  return Text(host) + Text(port) + u"/";
}

Text EndingOf(const Text& fragment) {
  std::size_t dot = fragment.rfind(u'.');
  return dot == Text::npos ? fragment : fragment.substr(dot);
}

constexpr TextView kCommunityFragment = u"hupu.com/";
constexpr TextView kCommunityLogin = u"https://passport.hupu.com/login";


}  // namespace

SiteProfile::SiteProfile() : SiteProfile(u"http://my.hupu.com") {}

SiteProfile::SiteProfile(TextView baseAddress) : base_(baseAddress) {
  while (!base_.empty() && base_.back() == u'/') base_.pop_back();
  fragment_ = FragmentOf(base_);
  ending_ = EndingOf(fragment_);
  login_ = fragment_ == kCommunityFragment ? Text(kCommunityLogin) : base_ + u"/login";
}

Text SiteProfile::AlbumListPageAddress(TextView memberKey, int page) const {
  return base_ + u"/" + Text(memberKey) + u"/photo-" + DecimalText(page);
}

Text SiteProfile::AlbumPageAddress(TextView albumPath, int page) const {
  return base_ + u"/" + Text(albumPath) + u"-" + DecimalText(page) + u".html";
}

}  // namespace albatrix
