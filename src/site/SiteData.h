// The members the album site starts with, made from a seed.
#pragma once

#include <cstdint>
#include <vector>

#include "site/AlbumSite.h"

namespace albatrix {

// The hand-made demo member: titles with entities, characters that file systems reject and a double
// quote; two albums of one title; an album that states no count; pictures of every kind, one PNG at a
// ".jpg" address, empty and repeated descriptions; 7 albums over 3 list pages, albums over 1-3 pages.
SiteMember MakeDemoMember(std::uint64_t seed);

// Titles and descriptions that Windows would refuse or silently change as names: reserved device names
// before and without a dot, trailing dots and spaces, names differing only in case, a tab, and a title
// and a picture description cut just after ". ". 10 albums over 3 list pages.
SiteMember MakeHostileMember(std::uint64_t seed);

// `shape.albums` albums titled "相册 0001"..., each of `shape.pictures` JPEG pictures of exactly
// `shape.pictureKb` KiB described "图片 1"...
SiteMember MakeShapedMember(const std::string& key, const MemberShape& shape, std::uint64_t seed);

// Every member of a fresh site: demo (or shaped demo), empty, bench, hostile.
std::vector<SiteMember> MakeStartingMembers(const SiteOptions& options);

// Deterministic 64-bit numbers from a seed (splitmix64).
class SeededNumbers {
 public:
  explicit SeededNumbers(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();

 private:
  std::uint64_t state_;
};

}  // namespace albatrix
