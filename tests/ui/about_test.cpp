// The About window's load, its links and its "&Ok".
#include "ui/about.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/recording_shell.h"

namespace qrvl {
namespace {

struct Host : AboutHost {
    IconHandle MainWindowIcon() override { return 0x77; }
    void Icon(IconHandle icon) override { worn = icon; }
    void Unload() override { ++unloads; }
    IconHandle worn = 0;
    int unloads = 0;
};

TEST(About, LoadWearsTheMainIconAndShowsTheVersionLine) {
    test::RecordingShell shell;
    Host host;
    frmAbout about(shell, host);
    EXPECT_EQ(about.Label10.Caption(), L"");
    about.Form_Load();
    EXPECT_EQ(host.worn, 0x77u);
    EXPECT_EQ(about.Label10.Caption(), L"Quorvel picker V. 1.00 A");
}

TEST(About, LinksStartExplorerMinimisedAndLeaveTheWindowOpen) {
    test::RecordingShell shell;
    Host host;
    frmAbout about(shell, host);
    about.Label11.Raise();
    about.Label13.Raise();
    ASSERT_EQ(shell.starts.size(), 2u);
    EXPECT_EQ(shell.starts[0].commandLine, "explorer.exe http://www.quorvel.example/");
    EXPECT_EQ(shell.starts[1].commandLine, "explorer.exe mailto:picker@quorvel.example");
    EXPECT_EQ(shell.starts[0].show, 2u);
    EXPECT_EQ(shell.starts[1].show, 2u);
    EXPECT_EQ(host.unloads, 0);
    about.Command2.Raise();
    EXPECT_EQ(host.unloads, 1);
}

TEST(About, CaptionsMatchWhatTheLinksStart) {
    using namespace about_text;
    EXPECT_EQ(std::wstring(kWebCommand), std::wstring(L"explorer.exe http://") + kLabel11 + L"/");
    EXPECT_EQ(std::wstring(kMailCommand), std::wstring(L"explorer.exe mailto:") + kLabel13);
}

}  // namespace
}  // namespace qrvl
