#include "app/ListedMember.h"

namespace albatrix {

std::optional<std::size_t> ListedMember::Append(const ST_PERLISTRECORD& album, std::size_t titleUnits) {
  const std::int32_t count = albums_.AppendAlbum(album);
  if (count <= 0) return std::nullopt;
  const std::size_t index = static_cast<std::size_t>(count) - 1;
  albums_.CutTitle(index, titleUnits);
  return index;
}

ListingResult ListedMember::List(const Text& memberText, const SiteProfile& profile, ListingEvents& events) {
  if (listAlbums_) return listAlbums_(memberText, profile, events, &stop_);
  return ListMemberAlbums(memberText, profile, events, &stop_);
}

void ListedMember::SetFolders(Text memberKey, Text subFolder) {
  std::lock_guard<std::mutex> hold(lock_);
  memberKey_ = std::move(memberKey);
  subFolder_ = std::move(subFolder);
}

void ListedMember::SetAddress(Text address) {
  std::lock_guard<std::mutex> hold(lock_);
  address_ = std::move(address);
}

Text ListedMember::MemberKey() const {
  std::lock_guard<std::mutex> hold(lock_);
  return memberKey_;
}

Text ListedMember::SubFolder() const {
  std::lock_guard<std::mutex> hold(lock_);
  return subFolder_;
}

Text ListedMember::Address() const {
  std::lock_guard<std::mutex> hold(lock_);
  return address_;
}

}  // namespace albatrix
