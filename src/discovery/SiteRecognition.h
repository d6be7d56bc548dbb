// The services the site selector knows, and how a typed address is matched to one of them. Only the
// selector is steered by this: every crawl reads the community of SITE_CODE_HUPU.
#pragma once

#include <array>
#include <optional>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"

namespace albatrix {

// The one site whose pages this program reads; the index of its per-site settings records.
constexpr int SITE_CODE_HUPU = 15;

// Entries of the site selector: entry k stands for site code k.
constexpr int SITE_ENTRY_COUNT = 16;

struct SiteRow {
  int siteCode;
  TextView fragment;  // empty: the profile's host fragment (the community's row)
};

// Tested in this order; the first row whose fragment occurs after the first character wins.
extern const std::array<SiteRow, 19> SITE_TABLE;

struct SubTypeRow {
  int entry;  // entry of the sub-type selector
  TextView fragment;
};

// Tested, in this order, only when the address belongs to site code 0.
extern const std::array<SubTypeRow, 2> SUBTYPE_TABLE;

// Names for the site selector when the maker's start-up service supplies none.
extern const std::array<TextView, SITE_ENTRY_COUNT> SITE_ENTRY_NAMES;

// Entries of the sub-type selector, filled whenever site entry 0 is applied.
extern const std::array<TextView, 3> SUBTYPE_ENTRY_NAMES;

// The row's fragment, with the community's row answered by the profile.
TextView RowFragment(const SiteRow& row, const SiteProfile& profile);

// True when `fragment` occurs in `text` at index 1 or later (first occurrence, case-sensitive): a
// fragment standing at the very start of a text is no sign of a site.
bool OccursAfterFirst(TextView text, TextView fragment);

struct SiteMatch {
  int siteEntry;     // the entry to select in the site selector
  int subTypeEntry;  // for site entry 0: the sub-type entry found, or -1 to keep entry 0; else -1
};

// True when "http://" or "https://" stands anywhere in `text`: the sign that a member text is an address
// (as a browser's address bar gives it) and not a bare member id.
bool ContainsWebAddress(TextView text);

// Matches the member box's text (as typed, not trimmed). No match: the entry stays `currentEntry`.
// Without an address in the text (ContainsWebAddress) nothing is to change: no value.
std::optional<SiteMatch> MatchSite(TextView text, int currentEntry, const SiteProfile& profile);

}  // namespace albatrix
