// The real Maps window under Wine: opened with Ctrl+M from the main window, narrowed by typing
// in its search box, the selected map in the preview pane, and a map played next that the game's
// list holds across the ticks.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/mapfile/mpq_writer.h"
#include "tests/ui/gui_support.h"
#include "ui/res/resource.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/main_window.h"
#include "ui/win32/maps_window.h"
#include "ui/win32/message_loop.h"

namespace qrvl::win32 {
namespace {

using namespace std::chrono_literals;

// As the program's own loop does: the window's shortcuts and dialog keys first.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return gui_test::pumpUntil(done, timeout, [](MSG& message) { dispatch(message); });
}

// A key as the thread sees it typed: its state down while the message is handled.
void press(HWND target, WPARAM key, bool control) {
    std::array<BYTE, 256> keys{};
    GetKeyboardState(keys.data());
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys.data());
    PostMessageW(target, WM_KEYDOWN, key, 0);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        dispatch(message);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys.data());
}

class MapsWindowTest : public ::testing::Test {
  protected:
    MapsWindowTest() : folder_(L"gui-maps") {
        std::filesystem::create_directories(folder_.path() / "maps");
        const struct {
            const wchar_t* file;
            const char* title;
            int players;
            int width;
        } maps[] = {{L"lt.scm", "Lost Temple", 2, 128},
                    {L"py.scx", "Python", 4, 64},
                    {L"fs.scx", "Fighting Spirit", 2, 64}};
        for (const auto& map : maps) {
            const test::Bytes bytes = test::simpleMap(
                test::chkBytes(test::plainScenario(map.title, map.players, map.width, 64, 4)));
            std::ofstream(folder_.path() / "maps" / map.file, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
        gui_test::writeConfig(folder_.text(), L"path", folder_.text() + L"\\maps\\");
        gui_test::writeConfig(folder_.text(), L"scm", L"yes");
        gui_test::writeConfig(folder_.text(), L"scx", L"yes");
        game_.setRecentMaps({});
        MainWindowOptions options;
        options.appPath = folder_.text();
        options.end = [] {};
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->Open(SW_SHOWNORMAL);
    }

    int rows() const {
        return static_cast<int>(
            SendMessageW(GetDlgItem(window_->mapsWindow(), IDC_MAPS_LIST), LVM_GETITEMCOUNT, 0, 0));
    }
    std::wstring status() const {
        wchar_t text[512]{};
        SendMessageW(GetDlgItem(window_->mapsWindow(), IDC_MAPS_STATUS), SB_GETTEXTW, 0,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }
    std::wstring cell(int row, int column) const {
        wchar_t text[256]{};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(GetDlgItem(window_->mapsWindow(), IDC_MAPS_LIST), LVM_GETITEMTEXTW,
                     static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }

    gui_test::ScratchFolder folder_;
    gui_test::GameKey game_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(MapsWindowTest, CtrlMOpensItTypingNarrowsItAndPlayNextHoldsTheMapAcrossTicks) {
    press(window_->control(IDC_TEXT1), 'M', true);
    ASSERT_TRUE(pumpUntil(
        [&] { return window_->mapsWindow() && IsWindowVisible(window_->mapsWindow()); }, 30s));
    HWND maps = window_->mapsWindow();
    EXPECT_EQ(gui_test::findProcessWindow(kMapsWindowClass), maps);
    // Every map read, then the list shows all three.
    ASSERT_TRUE(pumpUntil(
        [&] { return status().find(L"to read") == std::wstring::npos && rows() == 3; }, 30s))
        << std::string(status().begin(), status().end());
    EXPECT_EQ(status(), L"3 maps \u00B7 0 favourites \u00B7 0 never \u00B7 0 unreadable");

    // The down arrow in the list moves the preview pane to the next map, by title.
    HWND list = GetDlgItem(maps, IDC_MAPS_LIST);
    HWND pane = GetDlgItem(maps, IDC_MAPS_PREVIEW);
    SetFocus(list);
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    EXPECT_EQ(windowText(pane), L"Fighting Spirit");
    press(list, VK_DOWN, false);
    EXPECT_EQ(windowText(pane), L"Lost Temple");

    HWND search = GetDlgItem(maps, IDC_MAPS_SEARCH);
    SetFocus(search);
    for (const wchar_t c : std::wstring(L"TEMP"))
        PostMessageW(search, WM_CHAR, c, 0);
    ASSERT_TRUE(pumpUntil([&] { return rows() == 1; }, 10s));
    EXPECT_EQ(cell(0, 1), L"Lost Temple");
    EXPECT_EQ(cell(0, 2), L"2");
    EXPECT_EQ(cell(0, 3), L"128 \u00D7 64");

    SetFocus(list);
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    // The pane names the map at once, and its picture comes from the drawing thread: the map
    // (no units, Jungle) twice as wide as high, in Jungle's colour, its middle across the pane.
    EXPECT_EQ(windowText(pane), L"Lost Temple");
    const auto pixel = [pane](int x, int y) {
        UpdateWindow(pane);
        HDC dc = GetDC(pane);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(pane, dc);
        return colour;
    };
    RECT area{};
    GetClientRect(pane, &area);
    const int middle = std::min(area.right, area.bottom * 2 / 3) / 2;
    const COLORREF jungle = RGB(48, 88, 40);
    EXPECT_TRUE(pumpUntil([&] { return pixel(area.right / 2, middle) == jungle; }, 10s));
    // Above and below the picture, the pane's own face.
    EXPECT_NE(pixel(area.right / 2, 1), jungle);

    // Enter on the selected row plays it next.
    press(list, VK_RETURN, false);
    const std::wstring held = folder_.text() + L"\\maps\\lt.scm";
    ASSERT_FALSE(game_.recentMaps().empty());
    EXPECT_EQ(game_.recentMaps().front(), held);
    const std::vector<std::wstring> list0 = game_.recentMaps();

    // Three ticks write nothing while the map is held.
    int ticks = 0;
    Form1& form = window_->form();
    const auto tick = form.Timer1.OnTimer;
    form.Timer1.OnTimer = [&] {
        ++ticks;
        tick();
    };
    EXPECT_TRUE(pumpUntil([&] { return ticks >= 3; }, 20s));
    EXPECT_EQ(game_.recentMaps(), list0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(maps, IDC_MAPS_RESUME)));

    // Resume: the next tick writes again, and closing keeps the window's place in config.ini.
    SendMessageW(GetDlgItem(maps, IDC_MAPS_RESUME), BM_CLICK, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return game_.recentMaps() != list0; }, 20s));
    PostMessageW(maps, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return !window_->mapsWindow(); }, 10s));
    wchar_t width[32]{};
    GetPrivateProfileStringW(L"Maps window", L"Width", L"", width, 32,
                             (folder_.text() + L"\\config.ini").c_str());
    EXPECT_NE(std::wstring(width), L"");
}

}  // namespace
}  // namespace qrvl::win32
