#include "app/AlbatrixController.h"
#include "cli/CliCommands.h"
#include "cli/CliView.h"
#include "MyCode/FileSystem.h"

namespace albatrix {

void ListAlbumsOf(AlbatrixController& controller, MainWindowView& view, const Text& address) {
  controller.Initialize();
  controller.FinishStartup();
  view.SetText(IDC_MEMBER, address);
  controller.RecognizeSite();
  controller.GetAlbums();
  controller.WaitForListing();
}

int RunList(CliContext& context, const std::vector<std::string>& arguments) {
  if (arguments.size() > 1) return UsageError("list takes at most one address");
  Text address = arguments.empty() ? context.defaultAddress : Utf8ToText(arguments[0]);

  CliView view;
  AlbatrixController controller(view, CurrentFolder(), context.profile);
  ListAlbumsOf(controller, view, address);
  return controller.Albums().empty() ? kExitNothing : kExitListed;
}

}  // namespace albatrix
