// albatrix-site: the stand-in album site as a program, for the demo, manual browsing and benchmarks.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "site/AlbumSite.h"

namespace {

const char kUsage[] =
    "usage: albatrix-site [--port N] [--seed N] [--albums N] [--pictures N] [--picture-kb N]\n"
    "                     [--list-page-size N] [--album-page-size N] [--no-login] [--no-gzip] [--control]\n"
    "                     [--latency-ms N] [--rate-kbps N] [--pictures-per-second N]\n"
    "\n"
    "Serves the stand-in album site on 127.0.0.1 until SIGINT or SIGTERM. The first two lines on stdout\n"
    "are \"base <URL>\" and \"member <URL>\" (the demo member's album-list page 1).\n"
    "\n"
    "  --port N             port to listen on; 0 (the default) takes a free one\n"
    "  --seed N             seed of the site's data (default 1); one seed always gives the same site\n"
    "  --albums N           give the demo member N generated albums instead of the hand-made ones\n"
    "  --pictures N         pictures per generated album (default 10)\n"
    "  --picture-kb N       size of every generated picture in KiB (default 20)\n"
    "  --list-page-size N   albums per album-list page of the generated member (default 20)\n"
    "  --album-page-size N  pictures per album page of the generated member (default 20)\n"
    "  --no-login           show albums without the session cookie\n"
    "  --no-gzip            never gzip pages\n"
    "  --host-name NAME     call itself NAME in its addresses and links instead of 127.0.0.1 (a name that\n"
    "                       only a proxy of the tests' resolves; it still listens on 127.0.0.1)\n"
    "  --control            also serve the control interface under /_control/ (for tests that drive the\n"
    "                       site from another process: reset, members, faults, request counts)\n"
    "  --latency-ms N       emulate a network's latency: a new connection waits N ms before its first\n"
    "                       request is answered, and every reply waits N ms before its first byte\n"
    "  --rate-kbps N        emulate a link's rate: each connection sends at most N KiB a second\n"
    "  --pictures-per-second N  send full pictures no faster than N a second over the whole site\n"
    "Any of --albums, --pictures, --picture-kb, --list-page-size, --album-page-size makes the demo member\n"
    "a generated one (unset sizes take their defaults). Log in with POST /login user=demo&password=demo.\n";

bool ReadNumber(const char* text, long long& value) {
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && value >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  albatrix::SiteOptions options;
  albatrix::MemberShape shape;
  bool shaped = false;
  bool control = false;
  long long port = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--no-login") {
      options.requireLogin = false;
      continue;
    }
    if (arg == "--control") {
      control = true;
      continue;
    }
    if (arg == "--no-gzip") {
      options.gzip = false;
      continue;
    }
    if (arg == "--host-name") {
      if (i + 1 >= argc || !*argv[i + 1]) {
        std::fprintf(stderr, "albatrix-site: --host-name needs a name\n%s", kUsage);
        return 2;
      }
      options.hostName = argv[++i];
      continue;
    }
    long long value = 0;
    if (i + 1 >= argc || !ReadNumber(argv[i + 1], value)) {
      std::fprintf(stderr, "albatrix-site: %s needs a number\n%s", arg.c_str(), kUsage);
      return 2;
    }
    ++i;
    if (arg == "--port" && value <= 65535) port = value;
    else if (arg == "--seed") options.seed = static_cast<std::uint64_t>(value);
    else if (arg == "--latency-ms" && value <= 60000) options.latencyMs = static_cast<int>(value);
    else if (arg == "--rate-kbps" && value <= 1000000000) options.rateKbps = static_cast<int>(value);
    else if (arg == "--pictures-per-second" && value <= 100000) options.picturesPerSecond = static_cast<int>(value);
    else if (arg == "--albums") shape.albums = static_cast<int>(value), shaped = true;
    else if (arg == "--pictures") shape.pictures = static_cast<int>(value), shaped = true;
    else if (arg == "--picture-kb") shape.pictureKb = static_cast<int>(value), shaped = true;
    else if (arg == "--list-page-size" && value > 0) shape.listPageSize = static_cast<int>(value), shaped = true;
    else if (arg == "--album-page-size" && value > 0) shape.albumPageSize = static_cast<int>(value), shaped = true;
    else {
      std::fprintf(stderr, "albatrix-site: bad option %s %s\n%s", arg.c_str(), argv[i], kUsage);
      return 2;
    }
  }
  if (shaped) options.demoShape = shape;

  // Block the stop signals before any thread starts, so that every thread inherits the mask and only
  // sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  albatrix::AlbumSite site(options);
  if (control) site.ServeControl();
  if (!site.Start(static_cast<int>(port))) {
    std::fprintf(stderr, "albatrix-site: cannot listen on 127.0.0.1:%lld\n", port);
    return 1;
  }
  std::cout << "base " << site.BaseUrl() << "\n"
            << "member " << site.MemberUrl(albatrix::AlbumSite::kDemoMember) << std::endl;
  int received = 0;
  sigwait(&stopSignals, &received);
  site.Stop();
  return 0;
}
