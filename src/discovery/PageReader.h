// How the crawlers read a page: one request record per crawl, reused for every page, that asks for
// compressed replies and waits at most 20 seconds; only the address changes from page to page.
#pragma once

#include <atomic>

#include "MyCode/StringCtrl.h"
#include "MyCode/URLSource2.h"

namespace albatrix {

// Why the last page could not be read.
struct PageFailure {
  FetchFailure failure = FetchFailure::None;  // the fetcher's reason; HttpStatus for a reply outside 2xx
  long httpStatus = 0;                        // the reply's status, 0 when none came
  Text reason;                                // in a few words: "HTTP 500", "time-out", "empty page", ...
  bool named = false;  // the reason names what failed: the proxy, a host no one could resolve or reach
};

class PageReader {
 public:
  // `abort` (may be null) cuts a page in flight short when it is raised; `pacer` (may be null) holds the
  // pages while the site asked for a pause. Both must outlive the reader. `fetch` (empty: Fetch) makes
  // the requests.
  explicit PageReader(const std::atomic<bool>* abort = nullptr, RequestPacer* pacer = nullptr, FetchFn fetch = {});

  // Fetches `address` and gives its text (decompressed, decoded, entities resolved). False when the fetch
  // fails, the reply's status lies outside 2xx (an error page is no page of the site: `text` then still
  // holds what it said, so a notice on it can be read), or the text is empty; LastFailure() says why and
  // a trace line too.
  bool Read(TextView address, Text& text);
  const PageFailure& LastFailure() const { return failure_; }

 private:
  bool Fail(TextView address, FetchFailure failure, Text reason);

  UrlRequest request_;
  UrlResponse response_;
  FetchFn fetch_;
  PageFailure failure_;
};

}  // namespace albatrix
