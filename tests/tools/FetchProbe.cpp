// albatrix-fetch-probe: one fetch as the program makes it, in a process of its own, so a test can read
// the peak memory a single reply costs the whole process.
//   albatrix-fetch-probe page URL                 read a page as the crawlers do (fetch, then its text)
//   albatrix-fetch-probe picture URL FILE MAXKB   save a picture as a download worker does
// Prints the failure reason on a failed fetch. Exit status 0 when the fetch succeeded, 1 when it failed,
// 2 on a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "MyCode/URLSource2.h"

int main(int argc, char** argv) {
  using namespace albatrix;
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "page" && argc == 3) {
    UrlRequest request(Text(), Text(), 20000);
    request.extraHeaders = kAcceptGzipHeader;
    request.url = Utf8ToText(argv[2]);
    UrlResponse response;
    if (!Fetch(request, response, 0)) {
      std::printf("%s\n", TextToUtf8(DescribeFetchFailure(response.failure, response.httpStatus)).c_str());
      return 1;
    }
    Text text = GetText(response, TEXT_GUNZIP);
    std::printf("text %zu\n", text.size());
    return 0;
  }
  if (mode == "picture" && argc == 5) {
    UrlRequest request(Text(), Text(), 20000);
    request.url = Utf8ToText(argv[2]);
    request.targetFile = Utf8ToText(argv[3]);
    request.maxSizeK = std::atoi(argv[4]);
    UrlResponse response;
    if (!Fetch(request, response, FETCH_ALLOW_CACHE | FETCH_NO_RELOAD)) {
      std::printf("%s\n", TextToUtf8(DescribeFetchFailure(response.failure, response.httpStatus)).c_str());
      return 1;
    }
    return 0;
  }
  std::fputs("usage: albatrix-fetch-probe page URL | picture URL FILE MAXKB\n", stderr);
  return 2;
}
