// export-job ADDRESS --save DIR (--albums LIST | --all) --output FILE: the job file that
// "导出下载文件" saves, from a listing, for download --job to run later (a scheduled task).
#include "MyCode/Console.h"
#include "app/AlbatrixController.h"
#include "cli/AlbumRows.h"
#include "cli/CliCommands.h"
#include "cli/ProgressView.h"

namespace albatrix {

int RunExportJob(CliContext& context, const std::vector<std::string>& arguments) {
  std::string address, save, albums, output;
  bool all = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    bool taken = false;
    for (auto [name, into] : {std::pair<const char*, std::string*>{"--save", &save}, {"--albums", &albums}, {"--output", &output}}) {
      const OptionTake take = TakeOption(arguments, i, name, *into);
      if (take == OptionTake::Missing) return UsageError(std::string(name) + " needs a value");
      taken = take == OptionTake::Taken;
      if (taken) break;
    }
    if (taken) continue;
    const std::string& arg = arguments[i];
    if (arg == "--all") {
      all = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return UsageError("export-job: unknown option '" + arg + "'");
    } else if (address.empty()) {
      address = arg;
    } else {
      return UsageError("export-job takes one address");
    }
  }
  if (address.empty() && context.defaultAddress.empty()) return UsageError("export-job needs an address");
  if (save.empty()) return UsageError("export-job needs --save DIR");
  if (output.empty()) return UsageError("export-job needs --output FILE");
  if (all == !albums.empty()) return UsageError("export-job needs either --albums LIST or --all");
  std::optional<AlbumRows> rows = ParseAlbumRows(all ? "all" : albums);
  if (!rows) return UsageError("--albums takes all or rows such as 1,3-5, not '" + albums + "'");

  ProgressView view(StderrIsTerminal());
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher(InterruptStops(controller));
  if (ListAlbumsOf(controller, address.empty() ? context.defaultAddress : Utf8ToText(address))) return kExitInterrupted;
  const std::size_t listed = view.ShownRows();
  if (listed == 0) return kExitNothing;
  if (!rows->all && rows->highest > listed) {
    return UsageError("--albums names row " + std::to_string(rows->highest) + ", but only " + std::to_string(listed) +
                      " albums were listed");
  }
  view.ChooseRows(*rows);
  const Text file = Utf8ToText(output);
  if (!controller.ExportJob(file, DownloadRequest{view.ChosenAlbums(), Utf8ToText(save), 0}, !all)) {
    view.Note(u"albatrix-cli: the job file could not be written: " + file);
    return kExitNothing;
  }
  view.Note(u"albatrix-cli: job file written: " + file +
            (all ? Text(u" (every album, listed afresh each run)") : u" (" + DecimalText(view.ChosenAlbums().size()) + u" albums)"));
  return kExitListed;
}

}  // namespace albatrix
