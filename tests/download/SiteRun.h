// A download run crawled from the stand-in site and fetched with the real fetcher, for the tests of whole
// runs over loopback HTTP.
#pragma once

#include <string>

#include "discovery/AlbumPhotoCrawler.h"
#include "discovery/SiteProfile.h"
#include "download/RunFakes.h"
#include "site/AlbumSite.h"
#include "support/TempDir.h"

namespace albatrix::test {

// A run over every album of `member`, all chosen, saving under a folder of its own.
struct SiteRun {
  EngineRig rig;
  SiteProfile profile;
  TempDir dir;
  explicit SiteRun(const AlbumSite& site, const std::string& member) : profile(T(site.BaseUrl())) {
    auto data = site.Member(member);
    for (const SiteAlbum& album : data->albums) {
      ST_PERLISTRECORD record;
      record.title = album.title;
      record.albumPath = T(AlbumSite::AlbumKey(member, album.id));
      rig.albumList.AppendAlbum(record);
      rig.chosen.push_back(rig.chosen.size());
    }
    rig.plan.fetch = nullptr;  // the real fetcher
    rig.plan.listPictures = [this](const ST_PERLISTRECORD& album, const PictureFoundFn& found,
                                           const std::function<bool()>& stop, const RequestControl& control) {
      return ListAlbumPictures(profile, album.albumPath, found, stop, control.abort, control.pacer);
    };
    rig.savePath = dir.folder();
  }
  std::string Album(const std::string& title) const { return dir.path() + "/" + title; }
};

}  // namespace albatrix::test
