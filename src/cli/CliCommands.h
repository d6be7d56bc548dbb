// The subcommands of albatrix-cli. Each one gets the context the global options made and the arguments
// after its name, and returns the process's exit status. A new subcommand is one more row of kCommands.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"
#include "discovery/SiteProfile.h"

namespace albatrix {

constexpr int kExitListed = 0;   // at least one album listed; a download where nothing failed
constexpr int kExitNothing = 1;  // the command ran and found nothing (after its message), or the save
                                 // path was refused
constexpr int kExitUsage = 2;    // the command line was wrong
constexpr int kExitSomeFailed = 3;  // a download where some pictures could not be saved
constexpr int kExitInterrupted = 130;  // Ctrl-C ended the command (through its normal path)

struct CliContext {
  SiteProfile profile;   // --site, or the demo site
  Text defaultAddress;   // what a command takes when no address is given (the demo member with --demo)
  Text programFolder;    // where soft.dat lives: --program-folder, or the current directory
};

struct CliCommand {
  const char* name;
  const char* arguments;  // as the help shows them, e.g. "[ADDRESS]"
  const char* summary;
  int (*run)(CliContext& context, const std::vector<std::string>& arguments);
};

// An option with a value, "--name VALUE" or "--name=VALUE", at arguments[i].
enum class OptionTake {
  NotThis,  // arguments[i] is another argument
  Taken,    // `value` holds the value; i is at the last argument the option used
  Missing,  // "--name" was the last argument
};
OptionTake TakeOption(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
                      std::string& value);

// `arg` reads as an option ("-x", "--name"): a command names it as unknown rather than taking it for an
// address. "-" alone is no option.
inline bool LooksLikeOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// Prints "albatrix-cli: <message>" and the hint to --help on stderr; returns kExitUsage.
int UsageError(const std::string& message);

class AlbatrixController;
class MainWindowView;

// What Ctrl-C does to a command: the second press of whichever button's work is under way (the listing
// stops, the run is cancelled, each ending its request in flight at once). For an InterruptCatcher.
std::function<void()> InterruptStops(AlbatrixController& controller);

// Starts the controller as the window starts, presses "获取相册" on `address`, then waits for the listing
// to end. The rows reach the view as the grid would show them. Ctrl-C meanwhile (with an
// InterruptCatcher of InterruptStops alive) stops it; true when that happened.
bool ListAlbumsOf(AlbatrixController& controller, const Text& address);

class ProgressView;
struct AlbumRows;

// ListAlbumsOf, then `rows` chosen in the view: -1 when they were, else the exit status (130 after a
// Ctrl-C, 1 when nothing was listed, 2 when `rows` names a row past the last).
int ListAndChooseRows(AlbatrixController& controller, ProgressView& view, const Text& address, const AlbumRows& rows);

// list [ADDRESS]: the get-albums command on ADDRESS, as the window runs it.
int RunList(CliContext& context, const std::vector<std::string>& arguments);

// download [ADDRESS] --save DIR [--albums LIST]: lists as list does, then the download button on the
// chosen rows (LIST: all, or 1-based rows such as 1,3-5) with DIR as the save path. Ctrl-C is the
// button's second press (exit status 130). Status, progress and a summary line go to stderr.
int RunDownload(CliContext& context, const std::vector<std::string>& arguments);

// export-job ADDRESS --save DIR (--albums LIST | --all) --output FILE: lists ADDRESS, then saves a job
// file of the chosen rows, or of every album (listed afresh whenever the job runs), as "导出下载文件" does.
int RunExportJob(CliContext& context, const std::vector<std::string>& arguments);
// export-list ADDRESS --albums LIST --output FILE: lists ADDRESS, then writes the picture addresses of
// the chosen rows' albums into FILE as "导出迅雷下载列表" does (GBK, CR LF); nothing is downloaded.
int RunExportList(CliContext& context, const std::vector<std::string>& arguments);

// settings [set KEY=VALUE ...]: the current site's download limits, naming rules and option bits from
// soft.dat in the program folder, shown, or changed with the settings dialogs' validation and saved.
int RunSettings(CliContext& context, const std::vector<std::string>& arguments);

}  // namespace albatrix
