#include "app/RunRate.h"

#include <algorithm>
#include <cmath>

namespace albatrix {

namespace {

Text PaceText(double perSecond) {
  if (perSecond < 0.05) return u"不到 0.1";
  if (perSecond >= 9.95) return DecimalText(std::llround(perSecond));
  const long long tenths = std::llround(perSecond * 10);
  if (tenths % 10 == 0) return DecimalText(tenths / 10);
  return DecimalText(tenths / 10) + u"." + DecimalText(tenths % 10);
}

Text TimeLeftText(double seconds) {
  seconds = std::min(seconds, 1e9);  // a pace near nothing: some figure still, never an overflow
  const long long whole = std::llround(seconds);
  if (whole < 60) return u"剩余约 " + DecimalText(std::max(whole, 1LL)) + u" 秒";
  const long long minutes = std::llround(seconds / 60);
  if (minutes < 60) return u"剩余约 " + DecimalText(minutes) + u" 分钟";
  Text text = u"剩余约 " + DecimalText(minutes / 60) + u" 小时";
  if (minutes % 60 != 0) text += u" " + DecimalText(minutes % 60) + u" 分钟";
  return text;
}

}  // namespace

Text RateText(double perSecond, std::size_t left) {
  Text text = PaceText(perSecond) + u" 张/秒";
  if (left > 0) {
    text += u"，";
    text += TimeLeftText(static_cast<double>(left) / perSecond);
  }
  return text;
}

PictureRate::PictureRate(Clock::duration window, Clock::duration shortest) : window_(window), shortest_(shortest) {}

void PictureRate::Ended(std::size_t ended, Clock::time_point at) {
  if (!ends_.empty() && ended <= ends_.back().ended) return;
  ends_.push_back({ended, at});
  // The oldest end kept is the last one at or before the window's start.
  while (ends_.size() > 2 && ends_[1].at <= at - window_) ends_.pop_front();
}

std::optional<double> PictureRate::PerSecond() const {
  if (ends_.size() < 2) return std::nullopt;
  const End& first = ends_.front();
  const End& last = ends_.back();
  const Clock::duration span = last.at - first.at;
  if (span < shortest_ || span <= Clock::duration::zero()) return std::nullopt;
  return static_cast<double>(last.ended - first.ended) / std::chrono::duration<double>(span).count();
}

void PictureRate::Clear() { ends_.clear(); }

std::optional<Text> RateLabel::PicturesEnded(std::size_t ended, std::size_t total, Clock::time_point now) {
  rate_.Ended(ended, now);
  if (lastShown_ && now - *lastShown_ < interval_) return std::nullopt;
  const std::optional<double> perSecond = rate_.PerSecond();
  if (!perSecond) return std::nullopt;
  Text text = RateText(*perSecond, total > ended ? total - ended : 0);
  if (text == shown_) return std::nullopt;
  lastShown_ = now;
  shown_ = text;
  return text;
}

void RateLabel::Reset() {
  rate_.Clear();
  lastShown_.reset();
  shown_.clear();
}

}  // namespace albatrix
