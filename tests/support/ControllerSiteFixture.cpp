#include "support/ControllerSiteFixture.h"

namespace albatrix::test {

SiteOptions ControllerSiteFixture::Options() const { return OpenSiteOptions(); }

void ControllerSiteFixture::SetUp() {
  SiteFixture::SetUp();
  controller = std::make_unique<AlbatrixController>(view, dir.folder(), SiteProfile(Utf8ToText(site().BaseUrl())));
  controller->Initialize();
  controller->FinishStartup();
}

void ControllerSiteFixture::TearDown() {
  controller.reset();  // joins the controller's threads while the site still answers
  SiteFixture::TearDown();
}

void ControllerSiteFixture::List(const Text& address) {
  view.SetText(Control::Member, address);
  controller->GetAlbums(view.GetText(Control::Member));
  controller->WaitForListing();
}

}  // namespace albatrix::test
