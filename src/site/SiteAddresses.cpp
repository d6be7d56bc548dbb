// The site's addresses and generated members: the same for the site itself and for a client that drives
// a site running in another process.
#include "site/AlbumSite.h"
#include "site/SiteData.h"

namespace albatrix {

std::string AlbumSite::HostFragment() const {
  const std::string base = BaseUrl();
  return base.substr(base.find("://") + 3) + "/";
}
std::string AlbumSite::MemberUrl(const std::string& member) const { return ListPageUrl(member, 1); }

std::string AlbumSite::ListPageUrl(const std::string& member, int page) const {
  return BaseUrl() + "/" + member + "/photo-" + std::to_string(page);
}

std::string AlbumSite::AlbumKey(const std::string& member, const std::string& albumId) {
  return member + "/photo/" + albumId;
}

std::string AlbumSite::AlbumUrl(const std::string& member, const std::string& albumId) const {
  return BaseUrl() + "/" + AlbumKey(member, albumId) + ".html";
}

std::string AlbumSite::AlbumPageUrl(const std::string& member, const std::string& albumId, int page) const {
  return BaseUrl() + "/" + AlbumKey(member, albumId) + "-" + std::to_string(page) + ".html";
}

std::string AlbumSite::PicturePath(const std::string& member, const SiteAlbum& album, int index, bool big) {
  std::string extension = ".jpg";
  if (index >= 1 && index <= static_cast<int>(album.pictures.size()))
    extension = album.pictures[static_cast<std::size_t>(index - 1)].extension;
  return "/pic/" + member + "/" + album.id + (big ? "/big." : "/small.") + std::to_string(index) + extension;
}

std::string AlbumSite::PictureUrl(const std::string& member, const SiteAlbum& album, int index, bool big) const {
  return BaseUrl() + PicturePath(member, album, index, big);
}

std::string AlbumSite::CoverPath(const std::string& member, const std::string& albumId) {
  return "/cover/" + member + "/" + albumId + ".jpg";
}

std::string AlbumSite::LoginUrl() const { return BaseUrl() + "/login"; }

SiteMember AlbumSite::GenerateMember(const std::string& key, const MemberShape& shape, std::uint64_t seed) {
  return MakeShapedMember(key, shape, seed);
}

}  // namespace albatrix
