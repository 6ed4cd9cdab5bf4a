// The tray icon record as the shell receives it, and what add and remove send.
#include "ui/tray.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "common/error.h"
#include "tests/ui/recording_shell.h"

namespace qrvl {
namespace {

// The platform's first form of the record: 88 bytes on 32-bit, 104 with 64-bit handles.
static_assert(sizeof(NotifyIconDataA) == (sizeof(void*) == 8 ? 104 : 88));
static_assert(offsetof(NotifyIconDataA, szTip) == (sizeof(void*) == 8 ? 40 : 24));

struct Window : TrayWindow {
    WindowHandle hWnd() override { return failing ? throw Error(ErrorCode::TypeMismatch) : handle; }
    IconHandle Icon() override { return failing ? throw Error(ErrorCode::Overflow) : icon; }
    WindowHandle handle = 0x1234;
    IconHandle icon = 0x5678;
    bool failing = false;
};

std::string tipField(const NotifyIconDataA& record) {
    return std::string(record.szTip, sizeof record.szTip);
}

// A fresh tray, its shell and its window.
class TrayIcon : public ::testing::Test {
  protected:
    test::RecordingShell shell;
    Window window;
    Tray tray{shell, window};
};

TEST_F(TrayIcon, RemoveBeforeAnyAddSendsAnAllZeroRecord) {
    tray.RemoveTrayIcon();
    ASSERT_EQ(shell.notifies.size(), 1u);
    EXPECT_EQ(shell.notifies[0].message, kNimDelete);
    const NotifyIconDataA zero{};
    EXPECT_EQ(std::memcmp(&shell.notifies[0].record, &zero, sizeof zero), 0);
}

TEST_F(TrayIcon, AddFillsTheRecordAndRemoveSendsTheSameRecord) {
    tray.AddTrayIcon(L"Quorvel picker");
    EXPECT_TRUE(tray.IconShown());
    tray.RemoveTrayIcon();
    EXPECT_FALSE(tray.IconShown());

    ASSERT_EQ(shell.notifies.size(), 2u);
    EXPECT_EQ(shell.notifies[0].message, kNimAdd);
    EXPECT_EQ(shell.notifies[1].message, kNimDelete);
    const NotifyIconDataA& record = shell.notifies[0].record;
    EXPECT_EQ(record.cbSize, sizeof(NotifyIconDataA));
    EXPECT_EQ(record.hWnd, 0x1234u);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 0x8001u);
    EXPECT_EQ(record.hIcon, 0x5678u);
    EXPECT_EQ(tipField(record), "Quorvel picker" + std::string(1, '\0') + std::string(49, ' '));
    EXPECT_EQ(std::memcmp(&shell.notifies[1].record, &record, sizeof record), 0);
}

TEST_F(TrayIcon, FieldsThatCannotBeReadKeepTheirPreviousValues) {
    tray.AddTrayIcon(L"first");
    window.handle = 0x9999;
    window.failing = true;
    tray.AddTrayIcon(L"second");
    const NotifyIconDataA& record = shell.notifies.at(1).record;
    EXPECT_EQ(record.hWnd, 0x1234u);
    EXPECT_EQ(record.hIcon, 0x5678u);
    EXPECT_EQ(tipField(record).substr(0, 7), std::string("second") + '\0');
}

TEST(TrayIconTip, IsCutToWholeCharactersThatLeaveRoomForTheNul) {
    struct Case {
        std::wstring tip;
        std::string bytes;  // what stands before the NUL
    };
    const Case cases[] = {
        {L"", ""},
        {std::wstring(63, L'a'), std::string(63, 'a')},
        {std::wstring(64, L'b'), std::string(63, 'b')},
        {std::wstring(200, L'c'), std::string(63, 'c')},
        // Two bytes each in the shell's code page: 31 fit, the 32nd would split.
        {std::wstring(40, L'\u00e9'),
         [] {
             std::string s;
             for (int i = 0; i < 31; ++i)
                 s += "\xc3\xa9";
             return s;
         }()},
        // A character outside the basic plane is never cut in half.
        {std::wstring(62, L'd') + L"\U0001F600", std::string(62, 'd')},
    };
    for (const Case& c : cases) {
        test::RecordingShell shell;
        Window window;
        Tray tray(shell, window);
        tray.AddTrayIcon(c.tip);
        const std::string field = tipField(shell.notifies.at(0).record);
        const std::string expected =
            c.bytes + std::string(1, '\0') + std::string(63 - c.bytes.size(), ' ');
        EXPECT_EQ(field, expected) << c.bytes.size();
    }
}

}  // namespace
}  // namespace qrvl
