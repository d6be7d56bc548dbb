#include "app/AlbatrixController.h"
#include "cli/CliCommands.h"
#include "cli/CliView.h"
#include "cli/ProgressView.h"
#include "MyCode/Console.h"

namespace albatrix {

std::function<void()> InterruptStops(AlbatrixController& controller) {
  return [&controller] {
    controller.StopListing();
    controller.CancelDownload();
  };
}

bool ListAlbumsOf(AlbatrixController& controller, const Text& address) {
  controller.Initialize();
  controller.FinishStartup();
  controller.RecognizeSite(address);
  controller.GetAlbums(address);
  // A Ctrl-C that came before the listing began had nothing to stop yet.
  if (InterruptCatcher::Interrupted()) controller.StopListing();
  controller.WaitForListing();
  return InterruptCatcher::Interrupted();
}

int ListAndChooseRows(AlbatrixController& controller, ProgressView& view, const Text& address, const AlbumRows& rows) {
  if (ListAlbumsOf(controller, address)) return kExitInterrupted;
  const std::size_t listed = view.ShownRows();
  if (listed == 0) return kExitNothing;
  if (!rows.all && rows.highest > listed) {
    return UsageError("--albums names row " + std::to_string(rows.highest) + ", but only " + std::to_string(listed) +
                      " albums were listed");
  }
  view.ChooseRows(rows);
  return -1;
}

int RunList(CliContext& context, const std::vector<std::string>& arguments) {
  for (const std::string& arg : arguments)
    if (LooksLikeOption(arg)) return UsageError("list: unknown option '" + arg + "'");
  if (arguments.size() > 1) return UsageError("list takes at most one address");
  Text address = arguments.empty() ? context.defaultAddress : Utf8ToText(arguments[0]);

  CliView view;
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher(InterruptStops(controller));
  if (ListAlbumsOf(controller, address)) return kExitInterrupted;
  return controller.Albums().empty() ? kExitNothing : kExitListed;
}

}  // namespace albatrix
