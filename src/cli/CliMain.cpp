// albatrix-cli: the controller without a window. Global options set up the site and the cookie store,
// then one subcommand of the table runs.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "MyCode/Console.h"
#include "MyCode/CookieJar.h"
#include "MyCode/URLSource2.h"
#include "app/DemoLogin.h"
#include "app/StartupRules.h"
#include "cli/CliCommands.h"
#include "site/DemoSite.h"

namespace albatrix {

namespace {

constexpr CliCommand kCommands[] = {
    {"list", "[ADDRESS]", "list the albums of the member (or the single album) at ADDRESS", RunList},
    {"download", "[ADDRESS] --save DIR [--albums LIST] [--retries N]",
     "list, then download the rows of LIST (all, or e.g. 1,3-5) into DIR", RunDownload},
    {"download", "--resume", "go on with the download that did not end", RunDownload},
    {"download", "--job FILE [FILE ...]", "run saved job files, one member after another", RunDownload},
    {"export-job", "ADDRESS --save DIR (--albums LIST | --all) --output FILE",
     "list, then save a job file of those rows, or of every album (listed afresh each run)", RunExportJob},
    {"export-list", "ADDRESS --albums LIST --output FILE",
     "list, then write the picture addresses of those rows into FILE for a download manager", RunExportList},
    {"settings", "[set KEY=VALUE ...]", "show or change the limits, naming rules and options",
     RunSettings},
};

void PrintHelp() {
  std::string text =
      "Usage: albatrix-cli [--site URL] [--cookies FILE] [--demo] [--program-folder DIR]\n"
      "                    [--proxy URL|none] COMMAND [ARGUMENTS]\n"
      "\n"
      "Commands:\n";
  for (const CliCommand& command : kCommands) {
    std::string head = std::string("  ") + command.name + " " + command.arguments;
    head.resize(std::max<std::size_t>(head.size() + 2, 20), ' ');
    text += head + command.summary + "\n";
  }
  text +=
      "\n"
      "Options:\n"
      "  --site URL      the member host's base address, http:// or https:// (default\n"
      "                  http://my.hupu.com)\n"
      "  --cookies FILE  load the login cookies from FILE (a Netscape/Mozilla cookie file) instead of\n"
      "                  the login browser's cookie file\n"
      "  --demo          serve the built-in demo site on a loopback port, use it as --site, log in as\n"
      "                  its demo account; a command without ADDRESS then takes the demo member\n"
      "  --program-folder DIR\n"
      "                  keep the settings (soft.dat) in DIR, made with its parents when missing\n"
      "  --proxy URL     send every request through the proxy at URL (http://host:port, https://,\n"
      "                  socks4://, socks5:// ...; a bare host:port is an http proxy) instead of the\n"
      "                  system's proxy settings\n"
      "  --proxy none    connect directly, whatever the system's proxy settings say\n"
      "  --help, -h      show this help\n"
      "\n"
      "Without --proxy the system's proxy settings apply, as in the login browser: the desktop's, or\n"
      "http_proxy, https_proxy and no_proxy; on Windows the user's Internet Options. The site on the\n"
      "computer itself (127.0.0.1, localhost, ::1) is always reached directly. A proxy that cannot be\n"
      "reached fails the request with a reason naming the proxy; nothing is then sent directly.\n"
      "ADDRESS is a member's or an album's address as the browser shows it: http:// and https:// are\n"
      "both accepted.\n"
      "Settings live in soft.dat in the program folder: DIR of --program-folder, else the current\n"
      "directory. The login cookies stay in the user's data folder either way.\n"
      "list prints one line per album to stdout: number, title, picture count and note, separated by\n"
      "TABs; status lines and messages go to stderr. Exit status: 0 when albums were listed, 1 when\n"
      "none were, 2 for a wrong command line, 130 when Ctrl-C stopped the listing.\n"
      "download prints the same lines, then downloads the chosen albums into DIR with the settings of\n"
      "soft.dat; status and progress go to stderr, ending with the summary line\n"
      "  N albums, P pictures listed, S files saved, L left out by size limits, F failed\n"
      "and then one line per failed picture: album title, address and reason, separated by TABs.\n"
      "A picture outside min-kb/max-kb is left out, not failed. With max-kb=0 a picture still has a\n"
      "safety cap of 4 GiB. Ctrl-C, while listing or downloading, stops at once as a second press of\n"
      "the button would; after it the summary counts the albums begun.\n"
      "--retries N (default 0) fetches the pictures that failed for a reason a retry may mend (network,\n"
      "proxy, time-out, cut body, HTTP 5xx, 408, 429) again, in up to N passes after the albums, each\n"
      "after the pause the site asked for (Retry-After) or 2, 4, 8 ... seconds; the summary, the\n"
      "failure lines and the exit status tell the final outcome. A site that answers 429 or 503 holds every\n"
      "request of the run until the moment it named (at most 300 s).\n"
      "An album whose pages could not all be read counts as failed, with the page in its failure line,\n"
      "and gets no skip marker; a retry lists it again.\n"
      "While a download runs, its plan and the pictures it saved are kept in job.albatrix in the program\n"
      "folder, removed when the run ends; after a kill, a crash or Ctrl-C, download --resume goes on\n"
      "where it stopped (exit 1 when there is none), and no picture that is whole on disk is fetched\n"
      "again.\n"
      "download --job FILE ... runs job files (saved by the window's \"导出下载文件\" or by export-job)\n"
      "one after another: each member into its own member folder under its job's save path, with its\n"
      "job's naming rule, limits and retries; a job of every album lists its member first, so albums\n"
      "added since come along. A file that cannot run (damaged, of another version, a save path that\n"
      "cannot be made) is named on stderr and the others run. The summary covers the batch; each\n"
      "failure line begins with the member's address and \" / \" before the album title.\n"
      "export-job lists ADDRESS and writes FILE: the albums of LIST, or with --all every album of the\n"
      "member, DIR, and the naming rule and limits in force; exit 0 when it was written.\n"
      "export-list reads the pages of the albums of LIST and writes every picture address into FILE,\n"
      "one a line with CR LF, in GBK, for an external download manager; nothing is downloaded.\n"
      "Exit status of download: 0 nothing failed, 3 some pictures failed, 1 nothing could be listed or\n"
      "the save path was refused, 2 a wrong command line, 130 cancelled with Ctrl-C.\n"
      "settings prints one KEY=VALUE line per setting with the window's name for it; settings set\n"
      "changes them: threads (1-15), timeout (10 or more), min-kb, max-kb, prefix, suffix, replace-from,\n"
      "replace-to, album-prefix, album-suffix (38 characters at most), name-source (0 description,\n"
      "1 number, 2 address), album-folder (0 album title, 1 none), and list-only, description-file,\n"
      "fix-order, fix-format, skip-downloaded, open-folder (on or off). Limits out of range give\n"
      "\"参数错误\" and nothing is saved.\n";
  std::fputs(text.c_str(), stdout);
}

const CliCommand* FindCommand(const std::string& name) {
  for (const CliCommand& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

struct GlobalOptions {
  std::string site;
  std::string cookies;
  std::string programFolder;
  std::string proxy;
  bool proxyGiven = false;
  bool demo = false;
  std::vector<std::string> positional;  // the command and its arguments
};

// Where the value of `arg` goes when it is one of the options that take a value ("--site URL" or
// "--site=URL"); null for any other.
std::string* ValuedOption(const std::string& arg, GlobalOptions& options) {
  const std::string name = arg.substr(0, arg.find('='));
  if (name == "--site") return &options.site;
  if (name == "--cookies") return &options.cookies;
  if (name == "--program-folder") return &options.programFolder;
  if (name == "--proxy") return &options.proxy;
  return nullptr;
}

// Reads the options wherever they stand; everything else is positional. -1 on success, else an exit
// status to end with (help shown, or a usage error reported).
int ParseOptions(const std::vector<std::string>& args, GlobalOptions& options) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return kExitListed;
    } else if (arg == "--demo") {
      options.demo = true;
    } else if (std::string* value = ValuedOption(arg, options)) {
      const std::size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        *value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        *value = args[++i];
      } else {
        return UsageError(arg + " needs a value");
      }
      // An empty site or cookie file means the default one; an empty folder means nothing.
      if (value == &options.programFolder && value->empty()) return UsageError("--program-folder needs a folder");
      options.proxyGiven = options.proxyGiven || value == &options.proxy;
    } else if (!options.positional.empty()) {
      options.positional.push_back(arg);  // an option of the command's own
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
  }
  return -1;
}

int Main(const std::vector<std::string>& args) {
  GlobalOptions options;
  if (int status = ParseOptions(args, options); status >= 0) return status;
  if (options.positional.empty()) return UsageError("no command given");
  const CliCommand* command = FindCommand(options.positional[0]);
  if (!command) return UsageError("unknown command '" + options.positional[0] + "'");
  if (options.demo && !options.site.empty()) return UsageError("--demo and --site cannot be used together");
  if (std::string error = SiteAddressError(options.site); !error.empty()) return UsageError(error);
  ProxyOption proxy;
  if (options.proxyGiven) {
    proxy = ParseProxyOption(options.proxy);
    if (!proxy.error.empty()) return UsageError(proxy.error);
  }
  ProgramFolder folder = TakeProgramFolder(options.programFolder);
  if (!folder.error.empty()) return UsageError(folder.error);
  ChooseProxy(proxy.choice);

  CookieJar& jar = CookieJar::Instance();
  if (!options.cookies.empty()) {
    jar.SetFile(Utf8ToText(options.cookies));
    if (!jar.Load()) return UsageError("cannot read the cookie file '" + options.cookies + "'");
  } else {
    jar.Load();  // the login browser's cookies, when it has written any
  }

  CliContext context;
  context.programFolder = std::move(folder.path);
  std::unique_ptr<DemoSite> demo;  // declared before the command runs, so it outlives the controller
  if (options.demo) {
    demo = DemoSite::StartLoggedIn("albatrix-cli", LogInToDemo);
    if (!demo) return kExitNothing;
    context.profile = SiteProfile(Utf8ToText(demo->BaseUrl()));
    context.defaultAddress = Utf8ToText(demo->DemoMemberUrl());
  } else if (!options.site.empty()) {
    context.profile = SiteProfile(Utf8ToText(options.site));
  }

  std::vector<std::string> arguments(options.positional.begin() + 1, options.positional.end());
  return command->run(context, arguments);
}

}  // namespace

int UsageError(const std::string& message) {
  std::fprintf(stderr, "albatrix-cli: %s\nTry 'albatrix-cli --help'.\n", message.c_str());
  return kExitUsage;
}

}  // namespace albatrix

int main(int argc, char** argv) {
  albatrix::UseUtf8Console();
  return albatrix::Main(albatrix::Utf8Arguments(argc, argv));
}
