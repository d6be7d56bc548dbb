// albatrix-fetch-probe: one fetch as the program makes it, in a process of its own, so a test can read
// the peak memory a single reply costs the whole process.
//   albatrix-fetch-probe page URL                 read a page as the crawlers do (fetch, then its text)
//   albatrix-fetch-probe picture URL FILE MAXKB   save a picture as a download worker does
// Ctrl-C (SIGINT) raises the fetch's abort flag, as a cancel does. Prints the failure reason on a failed fetch,
// then "peak-rss-kb N": the process's peak resident size (VmHWM), which counts only this program, unlike
// the rusage a parent gets, which also holds what the parent itself had before the exec.
// Exit status 0 when the fetch succeeded, 1 when it failed, 2 on a wrong command line.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "MyCode/URLSource2.h"

namespace {

std::atomic<bool> cancelled{false};

void Cancel(int) { cancelled = true; }

long PeakRssKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atol(line + 6);
  std::fclose(status);
  return kb;
}

int Finish(bool ok, const albatrix::UrlResponse& response) {
  using namespace albatrix;
  if (!ok) std::printf("%s\n", TextToUtf8(DescribeFetchFailure(response.failure, response.httpStatus)).c_str());
  std::printf("peak-rss-kb %ld\n", PeakRssKb());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace albatrix;
  std::signal(SIGINT, Cancel);
  std::string mode = argc > 1 ? argv[1] : "";
  UrlRequest request(Text(), Text(), 20000);
  request.abort = &cancelled;
  UrlResponse response;
  if (mode == "page" && argc == 3) {
    request.extraHeaders = kAcceptGzipHeader;
    request.url = Utf8ToText(argv[2]);
    bool ok = Fetch(request, response, 0);
    // The crawlers read the text of every page they fetch.
    if (ok) std::printf("text %zu\n", GetText(response, TEXT_GUNZIP).size());
    return Finish(ok, response);
  }
  if (mode == "picture" && argc == 5) {
    request.url = Utf8ToText(argv[2]);
    request.targetFile = Utf8ToText(argv[3]);
    request.maxSizeK = std::atoi(argv[4]);
    return Finish(Fetch(request, response, FETCH_ALLOW_CACHE | FETCH_NO_RELOAD), response);
  }
  std::fputs("usage: albatrix-fetch-probe page URL | picture URL FILE MAXKB\n", stderr);
  return 2;
}
