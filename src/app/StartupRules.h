// The window's start-up rules that need no window: what of the clipboard goes into the member box, which
// folder is the program folder and when it is a temporary one, and what the desktop program's command line
// asks for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MyCode/ProxyRoutes.h"
#include "MyCode/StringCtrl.h"

namespace albatrix {

// Clipboard text trimmed at both ends, when it has 1 to 199 code units: most likely an address the user
// copied. Longer text is something else and is left out.
std::optional<Text> ClipboardMemberText(TextView clipboard);

// True when the lower-cased program folder contains "/temp/" or "/locals": the program was started from
// an unpacking or temporary folder, where downloads would be lost.
bool RunsFromTemporaryFolder(TextView programFolder);

// The save path for that case: the documents folder, a separator when it has none at its end, then
// "Albatrix" and a separator.
Text DocumentsSavePath(TextView documentsFolder);

// Where pictures go at start-up when the program folder is no place for them.
struct StartupDocuments {
  Text folder;                   // made at start-up; empty when the program folder serves
  bool intoSavePathBox = false;  // the save-path box shows `folder`
};

// From a temporary or unpacking program folder the downloads would be lost, and in one named on the command
// line (`programFolderNamed`: a data folder) they would be hidden: then DocumentsSavePath(documentsFolder)
// takes the program folder's place, shown in the save-path box unless `newestSavePath`, the newest entry of
// the save-path history, is a save path of the user's own.
StartupDocuments DocumentsAtStartup(TextView programFolder, bool programFolderNamed, TextView documentsFolder,
                                    TextView newestSavePath);

// A folder typed by the user as the program keeps it: separators as this platform writes them, and a
// relative one taken from `currentFolder` (which ends with the separator), so a job file that names it
// still names the same folder when the program is started from elsewhere.
Text TypedFolderPath(TextView named, TextView currentFolder);

// The folder `named` by --program-folder: TypedFolderPath with the separator at its end.
Text ProgramFolderPath(TextView named, TextView currentFolder);

// The program folder of this run, or why there is none.
struct ProgramFolder {
  Text path;          // ends with the separator; soft.dat and the covers' "tmp" live here
  std::string error;  // empty when `path` can be used
};

// The folder --program-folder named (UTF-8; empty when the option was not given), created with its
// parents when missing, or else the current directory. Both front ends take it before anything else, so
// that a folder that cannot be made ends the program before a file is written anywhere.
ProgramFolder TakeProgramFolder(const std::string& named);

// What `albatrix` was asked to do.
struct WindowOptions {
  bool help = false;
  bool demo = false;      // serve the built-in demo site, log in, put the demo member in the member box
  std::string site;       // the member host's base address; empty for the community's own
  std::string programFolder;  // as --program-folder named it; empty for the current directory
  Text programFolderPath;     // the folder RunAlbatrix took for this run (TakeProgramFolder)
  ProxyChoice proxy;          // --proxy; the system's settings without it
  std::string error;      // a usage error; empty when the arguments were understood
};

// Reads the arguments after the program name: --demo, --site URL (or --site=URL), --program-folder DIR
// (or --program-folder=DIR), --proxy URL or --proxy none (ParseProxyOption), --help / -h. Without
// --site, `siteVariable` (ALBATRIX_SITE, null when unset) names the base address; --demo takes neither.
// A base address must start with http:// or https:// (SiteAddressError).
WindowOptions ParseWindowArguments(const std::vector<std::string>& args, const char* siteVariable);

// Why `site`, a base address given by --site or ALBATRIX_SITE, cannot be used: it starts with neither
// http:// nor https://. Empty when it is fine or not given; both front ends say it the same way.
std::string SiteAddressError(const std::string& site);

// The text --help prints.
const char* WindowUsage();

}  // namespace albatrix
