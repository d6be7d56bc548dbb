// A controller started as the window starts, speaking to a recording view, with the stand-in site
// (no login needed) as its member host: the base of the tests that drive the window's commands.
#pragma once

#include <memory>

#include "app/AlbatrixController.h"
#include "support/FakeView.h"
#include "support/SiteFixture.h"
#include "support/TempDir.h"

namespace albatrix::test {

class ControllerSiteFixture : public SiteFixture {
 protected:
  SiteOptions Options() const override;
  void SetUp() override;
  void TearDown() override;

  // Presses "获取相册" for `address` and waits until the listing thread has ended.
  void List(const Text& address);

  TempDir dir;  // the program folder (soft.dat)
  FakeView view;
  std::unique_ptr<AlbatrixController> controller;
};

}  // namespace albatrix::test
