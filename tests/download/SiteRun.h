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
      rig.view.chosen.push_back(rig.view.chosen.size());
    }
    rig.session.fetch = nullptr;  // the real fetcher
    rig.session.listAlbum = [this](std::size_t index, const PictureSink& sink, const std::function<bool()>& stop) {
      ListAlbumPictures(profile, rig.albumList[index].albumPath, index, sink, stop);
    };
    rig.view.savePath = dir.folder();
    rig.flags.runState = RUN_BUSY;
  }
  std::string Album(const std::string& title) const { return dir.path() + "/" + title; }
};

}  // namespace albatrix::test
