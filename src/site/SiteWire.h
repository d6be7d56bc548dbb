// The album site's data as plain text, for driving a site that runs in another process (its control
// interface): members, faults, options, request counts and key lists. One record a line, fields separated
// by tabs. Byte fields keep printable ASCII but '%' as it is and write every other byte as "%XX"; text
// fields write every UTF-16 code unit outside printable ASCII (and '%') as "%uXXXX", so any text, lone
// surrogates included, comes back exactly. Reading gives nothing at all for a malformed record.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix {

std::string WireBytes(std::string_view bytes);
std::optional<std::string> ReadWireBytes(std::string_view field);
std::string WireText(TextView text);
std::optional<Text> ReadWireText(std::string_view field);

std::string WriteMember(const SiteMember& member);
std::optional<SiteMember> ReadMember(std::string_view wire);

std::string WriteFault(const SiteFault& fault);
std::optional<SiteFault> ReadFault(std::string_view wire);

std::string WriteOptions(const SiteOptions& options);
std::optional<SiteOptions> ReadOptions(std::string_view wire);

// Request counts: one "path<TAB>count" line each.
std::string WriteCounts(const std::map<std::string, int>& counts);
std::optional<std::map<std::string, int>> ReadCounts(std::string_view wire);

// Member keys and the like: one escaped string a line (so a list of one empty string reads as no list
// items at all).
std::string WriteList(const std::vector<std::string>& items);
std::optional<std::vector<std::string>> ReadList(std::string_view wire);

}  // namespace albatrix
