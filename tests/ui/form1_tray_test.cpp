// Form1 in and out of the notification area, its exits and its About command.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "tests/ui/form1_fixture.h"

namespace qrvl::test {
namespace {

class Form1TrayTest : public Form1Test {
  protected:
    Form1TrayTest() {
        writeConfig("[QRVL]\n");
        load();
        form->Form_Resize();  // the first showing
        host.log.clear();
        shell.notifies.clear();
    }
    void minimise() {
        host.WindowState(kWindowMinimised);
        host.log.clear();
    }
};

TEST_F(Form1TrayTest, MinimisingHidesTheWindowAndAddsTheIcon) {
    host.WindowState(kWindowMinimised);
    EXPECT_EQ(host.log, (std::vector<std::string>{"state 1", "hide"}));
    ASSERT_EQ(shell.notifies.size(), 1u);
    EXPECT_EQ(shell.notifies[0].message, kNimAdd);
    EXPECT_EQ(std::string(shell.notifies[0].record.szTip), "Quorvel picker");
    EXPECT_EQ(shell.notifies[0].record.uCallbackMessage, kTrayCallbackMessage);
    EXPECT_TRUE(form->InTray());
}

TEST_F(Form1TrayTest, LeftButtonReleaseRestoresTheWindowAndRemovesTheIcon) {
    minimise();
    form->TrayCallback((7 << 16) | 0x0202);  // only the low word counts
    EXPECT_EQ(host.log, (std::vector<std::string>{"state 0", "show", "show", "focus"}));
    ASSERT_EQ(shell.notifies.size(), 2u);
    EXPECT_EQ(shell.notifies[1].message, kNimDelete);
    EXPECT_EQ(shell.notifies[1].record.hWnd, 0x10u);
    EXPECT_FALSE(form->InTray());
}

TEST_F(Form1TrayTest, RightButtonReleasePopsUpTheMenuAfterTakingTheForeground) {
    minimise();
    form->TrayCallback(0x0205);
    EXPECT_EQ(host.log, (std::vector<std::string>{"foreground", "popup 8"}));
}

TEST_F(Form1TrayTest, OtherMouseMessagesDoNothing) {
    minimise();
    for (const std::intptr_t code : {0x0200, 0x0201, 0x0203, 0x0204, 0x0206, 0x0207, 0x0208}) {
        form->TrayCallback(code);
    }
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(shell.notifies.size(), 1u);
}

TEST_F(Form1TrayTest, EveryExitRemovesTheIconThenEndsAtOnce) {
    const std::function<void(Form1&)> exits[] = {
        [](Form1& f) { f.Command2.Raise(); },
        [](Form1& f) { f.leave.Raise(); },
        [](Form1& f) { f.leave2.Raise(); },
        [](Form1& f) { f.Form_QueryUnload(); },
    };
    for (const auto& exit : exits) {
        minimise();
        const std::size_t before = shell.notifies.size();
        exit(*form);
        ASSERT_EQ(shell.notifies.size(), before + 1);
        const NotifyIconDataA& removed = shell.notifies.back().record;
        EXPECT_EQ(shell.notifies.back().message, kNimDelete);
        EXPECT_EQ(removed.hWnd, 0x10u);
        EXPECT_EQ(removed.uID, 1u);
        EXPECT_EQ(host.log, std::vector<std::string>{"end after " + std::to_string(before + 1)});
    }
}

TEST_F(Form1TrayTest, ARecreatedTaskbarGetsTheIconBackOnlyWhileInTheTray) {
    form->TaskbarCreated();
    EXPECT_TRUE(shell.notifies.empty());
    minimise();
    form->TaskbarCreated();
    ASSERT_EQ(shell.notifies.size(), 2u);
    EXPECT_EQ(shell.notifies[1].message, kNimAdd);
    EXPECT_EQ(
        std::memcmp(&shell.notifies[1].record, &shell.notifies[0].record, sizeof(NotifyIconDataA)),
        0);
    host.WindowState(kWindowNormal);
    form->TaskbarCreated();
    EXPECT_EQ(shell.notifies.size(), 3u);  // only the restore's removal
}

TEST_F(Form1TrayTest, AboutOpensTheAboutWindow) {
    form->info.Raise();
    EXPECT_EQ(host.log, std::vector<std::string>{"about"});
}

}  // namespace
}  // namespace qrvl::test
