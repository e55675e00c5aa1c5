// The main window of an executable that has no version resource.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

TEST(MainWindowWithoutVersion, ShowsValueNotAvailableOnTheAboutPageAndInTheBanner) {
  gui_test::TestApplication();
  app::TForm1 form;
  EXPECT_EQ(gui_test::WindowText(form.Label2.Handle()), "Veritally version Value Not Available");
  const std::string banner = form.StatusText();
  EXPECT_EQ(banner.substr(0, banner.find('\n') + 1), "Veritally version Value Not Available\n");
  EXPECT_EQ(form.VersionText(), "Value Not Available");
}

}  // namespace
