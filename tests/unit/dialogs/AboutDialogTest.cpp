#include "dialogs/AboutDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

TEST(AboutDialog, ShowsNameVersionAndAMailLinkAndClosesOnOkOrEsc) {
    FakePlatform platform;
    AboutDialog about(platform);
    FakeDialogView view(platform, about);
    view.Open();
    EXPECT_EQ(view.Caption(), "About Horvane...");
    EXPECT_EQ(view.Text(IDC_ABOUT_VERSION), "Horvane 1.0.0");
    EXPECT_EQ(view.Text(IDC_ABOUT_LINK), "feedback@horvane.org");
    EXPECT_TRUE(view.Click(IDC_ABOUT_LINK));
    EXPECT_EQ(platform.shellOpened, std::vector<std::string>{"mailto:feedback@horvane.org"});
    EXPECT_TRUE(platform.messageBoxes.empty());
    view.PressEnter();
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(view.Result(), kIdOk);

    platform.dialogScripts[IDD_ABOUTBOX] = [](FakeDialogView& open) { open.PressEscape(); };
    EXPECT_EQ(platform.RunModalDialog(about), kIdCancel);
}

} // namespace
} // namespace hv::testing
