#include "app/StartupRules.h"

#include "MyCode/FileSystem.h"
#include "app/ComboFilter.h"

namespace albatrix {

namespace {

constexpr std::size_t kLongestClipboardMember = 199;

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

}  // namespace

std::optional<Text> ClipboardMemberText(TextView clipboard) {
  Text trimmed = TrimBlanks(clipboard);
  if (trimmed.empty() || trimmed.size() > kLongestClipboardMember) return std::nullopt;
  return trimmed;
}

bool RunsFromTemporaryFolder(TextView programFolder) {
  Text lower = LowerText(programFolder);
  Text temp = Text(1, kPathSep) + u"temp" + kPathSep;
  Text locals = Text(1, kPathSep) + u"locals";
  return lower.find(temp) != Text::npos || lower.find(locals) != Text::npos;
}

Text DocumentsSavePath(TextView documentsFolder) {
  Text path(documentsFolder);
  if (path.empty() || path.back() != kPathSep) path += kPathSep;
  path += u"Albatrix";
  path += kPathSep;
  return path;
}

WindowOptions ParseWindowArguments(const std::vector<std::string>& args, const char* siteVariable) {
  WindowOptions options;
  bool siteGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--demo") {
      options.demo = true;
    } else if (arg == "--site") {
      if (i + 1 >= args.size()) {
        options.error = "--site needs an address";
        return options;
      }
      options.site = args[++i];
      siteGiven = true;
    } else if (StartsWith(arg, "--site=")) {
      options.site = arg.substr(7);
      siteGiven = true;
    } else {
      options.error = "unknown argument '" + arg + "'";
      return options;
    }
  }
  if (options.demo && siteGiven) {
    options.error = "--demo and --site cannot be used together";
    return options;
  }
  // The environment only fills in what the command line left open; the demo brings its own site.
  if (!siteGiven && !options.demo && siteVariable && *siteVariable) options.site = siteVariable;
  options.error = SiteAddressError(options.site);
  return options;
}

std::string SiteAddressError(const std::string& site) {
  if (site.empty() || StartsWith(site, "http://") || StartsWith(site, "https://")) return {};
  return "--site needs an http:// or https:// address, not '" + site + "'";
}

const char* WindowUsage() {
  return "Usage: albatrix [--demo | --site URL]\n"
         "The album downloader's window.\n"
         "\n"
         "  --demo          serve the built-in demo site on a loopback port, log in as its demo account\n"
         "                  and put the demo member into the member box\n"
         "  --site URL      the member host's base address, http:// or https:// (default\n"
         "                  http://my.hupu.com); the environment variable ALBATRIX_SITE does the same\n"
         "                  when --site is not given\n"
         "  --help, -h      show this help\n"
         "\n"
         "The member box takes a member's or an album's address as the browser shows it: http:// and\n"
         "https:// are both accepted.\n";
}

}  // namespace albatrix
