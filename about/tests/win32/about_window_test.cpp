// The About window: the version line at each showing, the copyright read
// once, and the configured link targets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/win32/about_window.h"
#include "config/release_links.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"

namespace zandrel {
namespace {

using platform::ToWide;

TEST(AboutWindow, ShowsTheMainCaptionOfEachShowingAndTheConfiguredLinks) {
  testing::ProgramWindows windows;
  TForm8& about = windows.form8();
  const std::wstring copyright = about.LabelCopyright.caption();
  EXPECT_NE(copyright.find(L"©"), std::wstring::npos);

  {
    testing::PopupWatcher watcher;
    about.ShowModal();
    EXPECT_EQ(about.LabelVersion.caption(), windows.form1().caption());
  }
  windows.form1().SetCaption(L"Zandrel changed");
  {
    testing::PopupWatcher watcher;
    about.ShowModal();
    EXPECT_EQ(about.LabelVersion.caption(), L"Zandrel changed");
    EXPECT_EQ(about.LabelCopyright.caption(), copyright);
  }

  std::vector<std::wstring> opened;
  about.open_link = [&](HWND owner, const std::wstring& target) {
    EXPECT_EQ(owner, about.hwnd());
    opened.push_back(target);
  };
  about.LabelTelegramClick();
  about.LabelGMailClick();
  about.LabelYaMailClick();
  about.LabelMainWebSiteClick();
  EXPECT_EQ(opened, (std::vector<std::wstring>{
                        ToWide(config::kTelegramPage),
                        L"mailto:" + ToWide(config::kAuthorMailFirst),
                        L"mailto:" + ToWide(config::kAuthorMailSecond),
                        L"http://" + ToWide(config::kPrimaryServerHost) + L"/"}));
  EXPECT_EQ(about.LabelGMail.caption(), ToWide(config::kAuthorMailFirst));
}

}  // namespace
}  // namespace zandrel
