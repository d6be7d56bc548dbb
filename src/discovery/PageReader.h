// How the crawlers read a page: one request record per crawl, reused for every page, that asks for
// compressed replies and waits at most 20 seconds; only the address changes from page to page.
#pragma once

#include <atomic>

#include "MyCode/StringCtrl.h"
#include "MyCode/URLSource2.h"

namespace albatrix {

class PageReader {
 public:
  // `abort` (may be null) cuts a page in flight short when it is raised; `pacer` (may be null) holds the
  // pages while the site asked for a pause. Both must outlive the reader. `fetch` (empty: Fetch) makes
  // the requests.
  explicit PageReader(const std::atomic<bool>* abort = nullptr, RequestPacer* pacer = nullptr, FetchFn fetch = {});

  // Fetches `address` and gives its text (decompressed, decoded, entities resolved). False when the fetch
  // fails or the text is empty; a trace line says which.
  bool Read(TextView address, Text& text);

 private:
  UrlRequest request_;
  UrlResponse response_;
  FetchFn fetch_;
};

}  // namespace albatrix
