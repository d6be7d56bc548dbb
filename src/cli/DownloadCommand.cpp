// download [ADDRESS] --save DIR [--albums LIST] [--retries N]: lists as `list` does, then runs the
// download button on the chosen rows, with Ctrl-C as the button's second press. download --resume goes
// on with the run whose job file the program folder holds.
#include "MyCode/Console.h"
#include "app/AlbatrixController.h"
#include "app/RunOutcomeTexts.h"
#include "cli/AlbumRows.h"
#include "cli/CliCommands.h"
#include "cli/ProgressView.h"
#include "model/DownloadJob.h"

namespace albatrix {
namespace {

struct DownloadArguments {
  std::string address;
  std::string save;
  std::string albums = "all";
  int retries = 0;
  bool resume = false;
  std::vector<std::string> jobs;  // --job FILE [FILE ...]
  bool haveRetries = false;
};

// The retry passes a run may make at most: beyond this a site that keeps failing only holds the batch.
constexpr int kMostRetries = 10;

// -1 when the arguments are usable, else the exit status of the usage error reported.
int ParseArguments(const std::vector<std::string>& arguments, DownloadArguments& out) {
  bool haveAddress = false, haveSave = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    auto value = [&](const char* name, std::string& into) -> int {
      return TakeOption(arguments, i, name, into) == OptionTake::Missing ? UsageError(std::string(name) + " needs a value") : -1;
    };
    if (arg == "--save" || arg.rfind("--save=", 0) == 0) {
      if (int status = value("--save", out.save); status >= 0) return status;
      haveSave = true;
    } else if (arg == "--albums" || arg.rfind("--albums=", 0) == 0) {
      if (int status = value("--albums", out.albums); status >= 0) return status;
    } else if (arg == "--retries" || arg.rfind("--retries=", 0) == 0) {
      std::string count;
      if (int status = value("--retries", count); status >= 0) return status;
      const bool digits = !count.empty() && count.size() <= 2 &&
                          count.find_first_not_of("0123456789") == std::string::npos;
      if (!digits || std::stoi(count) > kMostRetries)
        return UsageError("--retries takes a number of passes from 0 to " + std::to_string(kMostRetries) + ", not '" +
                          count + "'");
      out.retries = std::stoi(count);
      out.haveRetries = true;
    } else if (arg.rfind("--job=", 0) == 0) {
      out.jobs.push_back(arg.substr(6));
    } else if (arg == "--job") {
      // Every file up to the next option belongs to the batch, in the order given.
      while (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) out.jobs.push_back(arguments[++i]);
      if (out.jobs.empty()) return UsageError("--job needs one or more job files");
    } else if (arg == "--resume") {
      out.resume = true;
    } else if (LooksLikeOption(arg)) {
      return UsageError("download: unknown option '" + arg + "'");
    } else if (!haveAddress) {
      out.address = arg;
      haveAddress = true;
    } else {
      return UsageError("download takes at most one address");
    }
  }
  if (!out.jobs.empty()) {
    // Each job file names its member, albums, folder, rules and retries.
    if (out.resume || haveAddress || haveSave || out.albums != "all" || out.haveRetries)
      return UsageError("download --job takes no address, --save, --albums, --retries or --resume: each job file names them");
    return -1;
  }
  if (out.resume) {
    // The job names its albums, folders and rules; nothing typed may steer it elsewhere.
    if (haveAddress || haveSave || out.albums != "all")
      return UsageError("download --resume takes no address, --save or --albums: the unfinished run names them");
    return -1;
  }
  if (!haveSave || out.save.empty()) return UsageError("download needs --save DIR");
  return -1;
}

std::string SummaryLine(const RunTally& summary) {
  return std::to_string(summary.albums) + " albums, " + std::to_string(summary.listed) + " pictures listed, " +
         std::to_string(summary.saved) + " files saved, " + std::to_string(summary.leftOut) +
         " left out by size limits, " + std::to_string(summary.failed) + " failed";
}

// One line per failed picture: album title, address, reason, separated by TABs (a cleaned title holds
// none).
Text FailureLine(const FailedPicture& failure) {
  return FailureAlbumText(failure) + u"\t" + failure.url + u"\t" + failure.reason;
}

// Waits for the run the controller has started (Ctrl-C, through the catcher, is the button's second
// press) and reports it: the summary line, the failure lines, the exit status.
int FinishDownload(AlbatrixController& controller, ProgressView& view) {
  // A Ctrl-C that came before the run began had nothing to cancel yet.
  if (InterruptCatcher::Interrupted()) controller.CancelDownload();
  controller.WaitForDownload();
  const RunTally summary = controller.LastDownload();
  view.Note(Utf8ToText(SummaryLine(summary)));
  for (const FailedPicture& failure : summary.failures) view.Note(FailureLine(failure));
  if (InterruptCatcher::Interrupted()) return kExitInterrupted;
  if (!summary.started) return kExitNothing;
  return summary.failed > 0 ? kExitSomeFailed : kExitListed;
}

// download --resume: the unfinished run of the program folder, where it stopped.
int ResumeDownload(CliContext& context) {
  ProgressView view(StderrIsTerminal());
  AlbatrixController controller(view, context.programFolder, context.profile);
  controller.Initialize();
  controller.FinishStartup();
  const JobFileRead read = ReadJobFile(context.programFolder);
  if (read.state == JobFileState::None) {
    view.Note(u"albatrix-cli: no unfinished download in " + context.programFolder +
              u" (a run that ended, or none was started there)");
    return kExitNothing;
  }
  const Text problem = read.state == JobFileState::Damaged ? read.problem : controller.JobProblem(read.job);
  if (!problem.empty()) {
    const Text aside = SetJobFileAside(context.programFolder);
    view.Note(u"albatrix-cli: the unfinished download cannot go on: " + problem +
              (aside.empty() ? Text(u"; its file was removed") : u"; its file was set aside as " + aside));
    return kExitNothing;
  }
  InterruptCatcher catcher(InterruptStops(controller));
  if (!controller.ResumeJob(read.job)) return kExitNothing;
  return FinishDownload(controller, view);
}

// download --job FILE ...: the job files one member after another, as "导入下载文件并开始下载" runs them.
int RunJobFiles(CliContext& context, const std::vector<std::string>& files) {
  ProgressView view(StderrIsTerminal());
  AlbatrixController controller(view, context.programFolder, context.profile);
  controller.Initialize();
  controller.FinishStartup();
  InterruptCatcher catcher(InterruptStops(controller));
  std::vector<Text> paths;
  for (const std::string& file : files) paths.push_back(Utf8ToText(file));
  if (!controller.RunJobFiles(std::move(paths))) return kExitNothing;
  return FinishDownload(controller, view);
}

}  // namespace

int RunDownload(CliContext& context, const std::vector<std::string>& arguments) {
  DownloadArguments args;
  if (int status = ParseArguments(arguments, args); status >= 0) return status;
  if (args.resume) return ResumeDownload(context);
  if (!args.jobs.empty()) return RunJobFiles(context, args.jobs);
  std::optional<AlbumRows> rows = ParseAlbumRows(args.albums);
  if (!rows) return UsageError("--albums takes all or rows such as 1,3-5, not '" + args.albums + "'");
  Text address = args.address.empty() ? context.defaultAddress : Utf8ToText(args.address);

  ProgressView view(StderrIsTerminal());
  const JobFileRead unfinished = ReadJobFile(context.programFolder);
  if (unfinished.state == JobFileState::Ready) {
    view.Note(u"albatrix-cli: an unfinished download (" + DecimalText(unfinished.job.albums.size()) + u" albums, " +
              DecimalText(unfinished.job.SavedCount()) +
              u" pictures saved) is in the program folder; 'albatrix-cli download --resume' continues it. This "
              u"download takes its place, and pictures it had saved for the same albums are not fetched again.");
  }
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher(InterruptStops(controller));
  if (int status = ListAndChooseRows(controller, view, address, *rows); status >= 0) return status;
  controller.Download(DownloadRequest{view.ChosenAlbums(), Utf8ToText(args.save), args.retries});
  return FinishDownload(controller, view);
}

}  // namespace albatrix
