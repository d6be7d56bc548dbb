#include "app/StartupRules.h"

#include "MyCode/FileSystem.h"
#include "app/ComboFilter.h"

namespace albatrix {

namespace {

constexpr std::size_t kLongestClipboardMember = 199;

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

enum class Valued { No, Yes, Missing };

// Whether args[i] is the option `name` with its value, as "name VALUE" (i then moves past the value) or
// "name=VALUE"; Missing when the command line ends where the value should stand.
Valued OptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) return Valued::Missing;
    value = args[++i];
    return Valued::Yes;
  }
  if (!StartsWith(arg, name + "=")) return Valued::No;
  value = arg.substr(name.size() + 1);
  return Valued::Yes;
}

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

StartupDocuments DocumentsAtStartup(TextView programFolder, bool programFolderNamed, TextView documentsFolder,
                                    TextView newestSavePath) {
  if (!programFolderNamed && !RunsFromTemporaryFolder(programFolder)) return {};
  return {DocumentsSavePath(documentsFolder), newestSavePath.empty()};
}

Text TypedFolderPath(TextView named, TextView currentFolder) {
  Text path(named);
  // A Windows user may type either separator; on POSIX this changes nothing.
  for (char16_t& c : path)
    if (c == u'/') c = kPathSep;
  // A leading separator also marks a network share ("\\server\share") as absolute on Windows.
  if (!IsAbsolutePath(path) && (path.empty() || path.front() != kPathSep)) path = Text(currentFolder) + path;
  return path;
}

Text ProgramFolderPath(TextView named, TextView currentFolder) {
  Text path = TypedFolderPath(named, currentFolder);
  if (path.empty() || path.back() != kPathSep) path += kPathSep;
  return path;
}

ProgramFolder TakeProgramFolder(const std::string& named) {
  ProgramFolder folder{ProgramFolderPath(Utf8ToText(named), CurrentFolder()), {}};
  if (named.empty() || CreateFolders(folder.path)) return folder;
  const bool isFile = FileExists(TextView(folder.path).substr(0, folder.path.size() - 1));
  folder.error = "the program folder '" + named + (isFile ? "' is a file, not a folder" : "' cannot be created");
  return folder;
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
    } else if (Valued site = OptionValue(args, i, "--site", options.site); site != Valued::No) {
      if (site == Valued::Missing) {
        options.error = "--site needs an address";
        return options;
      }
      siteGiven = true;
    } else if (std::string proxy; OptionValue(args, i, "--proxy", proxy) != Valued::No) {
      ProxyOption proxyOption = ParseProxyOption(proxy);
      if (!proxyOption.error.empty()) {
        options.error = proxyOption.error;
        return options;
      }
      options.proxy = proxyOption.choice;
    } else if (OptionValue(args, i, "--program-folder", options.programFolder) != Valued::No) {
      if (options.programFolder.empty()) {
        options.error = "--program-folder needs a folder";
        return options;
      }
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
  return "Usage: albatrix [--demo | --site URL] [--program-folder DIR] [--proxy URL|none]\n"
         "The album downloader's window.\n"
         "\n"
         "  --demo          serve the built-in demo site on a loopback port, log in as its demo account\n"
         "                  and put the demo member into the member box\n"
         "  --site URL      the member host's base address, http:// or https:// (default\n"
         "                  http://my.hupu.com); the environment variable ALBATRIX_SITE does the same\n"
         "                  when --site is not given\n"
         "  --program-folder DIR\n"
         "                  keep the settings (soft.dat) and the covers' \"tmp\" folder in DIR, made\n"
         "                  with its parents when missing\n"
         "  --proxy URL     send the program's requests, and on Linux the login browser's, through the\n"
         "                  proxy at URL (http://host:port, https://, socks4://, socks5:// ...; a bare\n"
         "                  host:port is an http proxy) instead of the system's proxy settings\n"
         "  --proxy none    connect directly, whatever the system's proxy settings say\n"
         "  --help, -h      show this help\n"
         "\n"
         "Without --program-folder the current directory is the program folder: settings are read from\n"
         "and written to soft.dat there. The login cookies stay in the user's data folder either way.\n"
         "Without --proxy the system's proxy settings apply, the ones the login browser follows: the\n"
         "desktop's, or http_proxy, https_proxy and no_proxy; on Windows the user's Internet Options.\n"
         "The site on the computer itself (127.0.0.1, localhost, ::1) is always reached directly. A\n"
         "proxy that cannot be reached fails the request with a reason naming the proxy; nothing is\n"
         "then sent directly.\n"
         "The member box takes a member's or an album's address as the browser shows it: http:// and\n"
         "https:// are both accepted.\n";
}

}  // namespace albatrix
