#include "discovery/CoverFetch.h"

#include <string>

#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "MyCode/URLSource2.h"

namespace albatrix {

namespace {

constexpr std::uint32_t kCoverTimeoutMs = 20000;

Text CoverFolder(TextView programFolder) { return Text(programFolder) + u"tmp" + Text(1, kPathSep); }

}  // namespace

Text CoverFilePath(TextView programFolder, std::size_t albumIndex) {
  return CoverFolder(programFolder) + DecimalText(albumIndex) + u".jpg";
}

bool FetchCover(TextView programFolder, std::size_t albumIndex, TextView url, const std::atomic<bool>* abort) {
  if (url.empty()) return false;
  // Made for every cover, not only the first: a folder removed between two fills would otherwise cost
  // every later cover.
  Text folder = CoverFolder(programFolder);
  if (!FolderExists(folder) && !CreateFolders(folder)) {
    Trace("cover: cannot make " + TextToUtf8(folder));
    return false;
  }
  UrlRequest request(Text(url), CoverFilePath(programFolder, albumIndex), kCoverTimeoutMs);
  request.attempts = 1;
  request.retryDelaySec = 0;
  request.abort = abort;
  UrlResponse response;
  if (!Fetch(request, response, 0)) {
    Trace("cover " + std::to_string(albumIndex) + ": " + TextToUtf8(DescribeFetchFailure(response)) +
          " from " + TextToUtf8(url));
    return false;
  }
  return true;
}

}  // namespace albatrix
