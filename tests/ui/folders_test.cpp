// The folder dialog's description, its two kinds of answer, and the release of its list.
#include "ui/folders.h"

#include <gtest/gtest.h>

#include "tests/ui/recording_shell.h"

namespace qrvl {
namespace {

TEST(BrowseForFolder, DescribesTheDialogAfreshOnEveryCall) {
    test::RecordingShell shell;
    shell.answers = {L"C:\\one", std::nullopt};
    BrowseForFolder(shell, 0x42);
    BrowseForFolder(shell, 0);
    ASSERT_EQ(shell.dialogs.size(), 2u);
    for (const BrowseInfoA& info : shell.dialogs) {
        EXPECT_EQ(info.pidlRoot, nullptr);
        EXPECT_EQ(info.pszDisplayName, nullptr);
        EXPECT_EQ(info.ulFlags, 1u);
        EXPECT_EQ(info.lpfn, 0u);
        EXPECT_EQ(info.lParam, 0);
        EXPECT_EQ(info.iImage, 0);
    }
    EXPECT_EQ(shell.dialogs[0].hwndOwner, 0x42u);
    EXPECT_EQ(shell.dialogs[1].hwndOwner, 0u);
    EXPECT_EQ(shell.titles[1], "Select the folder to pick the map from:");
}

TEST(BrowseForFolder, CancelGivesAnEmptyTextAndFreesNothing) {
    test::RecordingShell shell;
    shell.answers = {std::nullopt};
    EXPECT_EQ(BrowseForFolder(shell, 0), L"");
    EXPECT_TRUE(shell.freed.empty());
    EXPECT_TRUE(shell.pathLists.empty());
}

TEST(BrowseForFolder, ConfirmGivesTheWidePathWithoutNulOrBlanksAndFreesTheList) {
    test::RecordingShell shell;
    shell.answers = {L"C:\\Cartes d'\u00e9t\u00e9\\\uc9c0\ub3c4"};
    EXPECT_EQ(BrowseForFolder(shell, 0), L"C:\\Cartes d'\u00e9t\u00e9\\\uc9c0\ub3c4");
    EXPECT_EQ(shell.bufferSeen, std::wstring(512, L' '));
    ASSERT_EQ(shell.freed.size(), 1u);
    EXPECT_EQ(shell.freed[0], shell.pathLists.at(0));
}

TEST(BrowseForFolder, AnItemWithoutFileSystemPathGivesAnEmptyTextAndIsFreed) {
    test::RecordingShell shell;
    shell.answers = {L""};
    EXPECT_EQ(BrowseForFolder(shell, 0), L"");
    EXPECT_EQ(shell.freed.size(), 1u);
}

}  // namespace
}  // namespace qrvl
