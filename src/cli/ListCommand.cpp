#include <chrono>
#include <thread>

#include "app/AlbatrixController.h"
#include "cli/CliCommands.h"
#include "cli/CliView.h"
#include "MyCode/Console.h"

namespace albatrix {

namespace {

// How often the command looks for Ctrl-C while a phase runs.
constexpr auto kInterruptPoll = std::chrono::milliseconds(20);

}  // namespace

bool ListAlbumsOf(AlbatrixController& controller, MainWindowView& view, const Text& address) {
  controller.Initialize();
  controller.FinishStartup();
  view.SetText(IDC_MEMBER, address);
  controller.RecognizeSite();
  controller.GetAlbums();
  bool stopped = false;
  while (controller.Listing()) {
    if (!stopped && InterruptCatcher::Interrupted()) {
      controller.StopListing();  // never a new listing, should this one have just ended
      stopped = true;
    }
    std::this_thread::sleep_for(kInterruptPoll);
  }
  controller.WaitForListing();
  return stopped || InterruptCatcher::Interrupted();
}

int RunList(CliContext& context, const std::vector<std::string>& arguments) {
  if (arguments.size() > 1) return UsageError("list takes at most one address");
  Text address = arguments.empty() ? context.defaultAddress : Utf8ToText(arguments[0]);

  CliView view;
  AlbatrixController controller(view, context.programFolder, context.profile);
  InterruptCatcher catcher;
  if (ListAlbumsOf(controller, view, address)) return kExitInterrupted;
  return controller.Albums().empty() ? kExitNothing : kExitListed;
}

}  // namespace albatrix
