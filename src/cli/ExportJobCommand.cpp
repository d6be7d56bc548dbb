// export-job ADDRESS --save DIR (--albums LIST | --all) --output FILE: the job file that
// "导出下载文件" saves, from a listing, for download --job to run later (a scheduled task).
// export-list ADDRESS --albums LIST --output FILE: the picture list "导出迅雷下载列表" writes.
#include "MyCode/Console.h"
#include "app/AlbatrixController.h"
#include "cli/AlbumRows.h"
#include "cli/CliCommands.h"
#include "cli/ProgressView.h"

namespace albatrix {

namespace {

struct ExportArguments {
  std::string address, save, albums, output;
  bool all = false;
};

// -1 when the arguments are usable, else the exit status of the usage error reported. `command` names
// the command in messages; `withSave` admits --save and --all.
int ParseExport(const char* command, bool withSave, const std::vector<std::string>& arguments, ExportArguments& out) {
  std::vector<std::pair<const char*, std::string*>> options = {{"--albums", &out.albums}, {"--output", &out.output}};
  if (withSave) options.push_back({"--save", &out.save});
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    bool taken = false;
    for (auto [name, into] : options) {
      const OptionTake take = TakeOption(arguments, i, name, *into);
      if (take == OptionTake::Missing) return UsageError(std::string(name) + " needs a value");
      taken = take == OptionTake::Taken;
      if (taken) break;
    }
    if (taken) continue;
    const std::string& arg = arguments[i];
    if (withSave && arg == "--all") {
      out.all = true;
    } else if (LooksLikeOption(arg)) {
      return UsageError(std::string(command) + ": unknown option '" + arg + "'");
    } else if (out.address.empty()) {
      out.address = arg;
    } else {
      return UsageError(std::string(command) + " takes one address");
    }
  }
  if (withSave && out.save.empty()) return UsageError(std::string(command) + " needs --save DIR");
  if (out.output.empty()) return UsageError(std::string(command) + " needs --output FILE");
  if (withSave && out.all == !out.albums.empty()) return UsageError("export-job needs either --albums LIST or --all");
  if (!withSave && out.albums.empty()) return UsageError("export-list needs --albums LIST");
  return -1;
}

// Lists the address and chooses the rows of --albums (or every row with --all): -1 when rows were
// chosen, else the exit status.
int ListAndChoose(CliContext& context, AlbatrixController& controller, ProgressView& view, const ExportArguments& args) {
  std::optional<AlbumRows> rows = ParseAlbumRows(args.all ? "all" : args.albums);
  if (!rows) return UsageError("--albums takes all or rows such as 1,3-5, not '" + args.albums + "'");
  return ListAndChooseRows(controller, view, args.address.empty() ? context.defaultAddress : Utf8ToText(args.address), *rows);
}

}  // namespace

int RunExportJob(CliContext& context, const std::vector<std::string>& arguments) {
  ExportArguments args;
  if (int status = ParseExport("export-job", true, arguments, args); status >= 0) return status;
  const bool all = args.all;
  ProgressView view(StderrIsTerminal());
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher(InterruptStops(controller));
  if (int status = ListAndChoose(context, controller, view, args); status >= 0) return status;
  const Text file = Utf8ToText(args.output);
  if (!controller.ExportJob(file, DownloadRequest{view.ChosenAlbums(), Utf8ToText(args.save), 0}, !all)) {
    view.Note(u"albatrix-cli: the job file could not be written: " + file);
    return kExitNothing;
  }
  view.Note(u"albatrix-cli: job file written: " + file +
            (all ? Text(u" (every album, listed afresh each run)") : u" (" + DecimalText(view.ChosenAlbums().size()) + u" albums)"));
  return kExitListed;
}

int RunExportList(CliContext& context, const std::vector<std::string>& arguments) {
  ExportArguments args;
  if (int status = ParseExport("export-list", false, arguments, args); status >= 0) return status;
  ProgressView view(StderrIsTerminal());
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher(InterruptStops(controller));
  if (int status = ListAndChoose(context, controller, view, args); status >= 0) return status;
  if (!controller.ExportPictureList(Utf8ToText(args.output), view.ChosenAlbums())) return kExitNothing;
  if (InterruptCatcher::Interrupted()) controller.CancelDownload();
  controller.WaitForDownload();
  if (InterruptCatcher::Interrupted()) return kExitInterrupted;
  return controller.PictureListWritten() ? kExitListed : kExitNothing;
}

}  // namespace albatrix
