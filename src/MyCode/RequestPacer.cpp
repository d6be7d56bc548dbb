#include "MyCode/RequestPacer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <thread>

#include "MyCode/ReplyHead.h"
#include "MyCode/Trace.h"

namespace albatrix {

namespace {


std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

// Days from 1970-01-01 to the given date of the Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

std::optional<long long> HttpDateSeconds(std::string_view value) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char weekday[4] = {}, month[4] = {}, zone[4] = {};
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  const std::string text(value);
  if (std::sscanf(text.c_str(), "%3s, %d %3s %d %d:%d:%d %3s", weekday, &day, month, &year, &hour, &minute, &second,
                  zone) != 8) {
    return std::nullopt;
  }
  if (std::strcmp(zone, "GMT") != 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  for (unsigned m = 0; m < 12; ++m) {
    if (std::strcmp(month, kMonths[m]) == 0)
      return DaysFromCivil(year, m + 1, static_cast<unsigned>(day)) * 86400 + hour * 3600 + minute * 60 + second;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::chrono::seconds> RetryAfterPause(std::string_view value, std::chrono::system_clock::time_point now) {
  value = Trimmed(value);
  if (value.empty()) return std::nullopt;
  long long seconds = 0;
  if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    // Any count beyond the cap is the cap; digits past it need not be read.
    for (char c : value) {
      seconds = seconds * 10 + (c - '0');
      if (seconds > kLongestAskedPause.count()) break;
    }
  } else {
    std::optional<long long> at = HttpDateSeconds(value);
    if (!at) return std::nullopt;
    const long long nowSeconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    seconds = std::max(0LL, *at - nowSeconds);
  }
  return std::chrono::seconds(std::min(seconds, static_cast<long long>(kLongestAskedPause.count())));
}

std::string HostOf(std::string_view address) {
  std::size_t scheme = address.find("://");
  if (scheme == std::string_view::npos) return std::string();
  std::string_view rest = address.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (std::size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  std::string host(rest);
  for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return host;
}

bool PauseUnlessRaised(std::chrono::steady_clock::duration pause, const std::atomic<bool>* flag) {
  return SystemWaitClock().PauseUnlessRaised(pause, flag);
}

bool RequestPacer::WaitTurn(const std::string& host, const std::atomic<bool>* abort) {
  // Another refusal may lengthen the hold while this request waits: the end is read again after each wait.
  for (;;) {
    Clock::time_point until;
    {
      std::lock_guard<std::mutex> hold(lock_);
      auto it = hosts_.find(host);
      until = it == hosts_.end() ? Clock::time_point{} : it->second.heldUntil;
    }
    const Clock::time_point now = clock_->Now();
    if (now >= until) return !(abort && abort->load());
    if (!clock_->PauseUnlessRaised(until - now, abort)) return false;
  }
}

std::optional<std::chrono::seconds> RequestPacer::Replied(const std::string& host, long status,
                                                          std::string_view headerBlock) {
  std::chrono::seconds pause{0};
  {
    // No reply at all tells nothing of the site's patience.
    if (status == 0) return std::nullopt;
    std::lock_guard<std::mutex> hold(lock_);
    HostState& state = hosts_[host];
    if (status != 429 && status != 503) {
      state.refusalsInRow = 0;
      return std::nullopt;
    }
    ++state.refusalsInRow;
    const std::optional<std::chrono::seconds> asked = RetryAfterPause(HeaderValue(headerBlock, "retry-after:"),
                                                                       std::chrono::system_clock::now());
    if (asked) {
      pause = *asked;
    } else {
      const int k = std::min(state.refusalsInRow, 6);  // 2^6 is past the cap already
      pause = std::min(std::chrono::seconds(1LL << k), kLongestOwnPause);
    }
    state.heldUntil = std::max(state.heldUntil, clock_->Now() + pause);
  }
  Trace("site " + host + " answered " + std::to_string(status) + ": requests held " + std::to_string(pause.count()) +
        " s");
  if (onHold && pause.count() > 0) onHold(pause.count());
  return pause;
}

}  // namespace albatrix
