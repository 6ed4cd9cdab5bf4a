// The real Filter window under Wine, reached from the main window's system menu and right-click
// menu: what OK, Enter, Cancel, Esc and the close box leave in config.ini, its layout at two
// DPIs, and its count line following the maps while it is open.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "common/twips.h"
#include "tests/ui/gui_support.h"
#include "ui/res/resource.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/filter_window.h"
#include "ui/win32/main_window.h"

namespace qrvl::win32 {
namespace {

using namespace std::chrono_literals;

constexpr int kPlayer2 = IDC_FILTER_PLAYER1 + 1;
constexpr int kPlayer3 = IDC_FILTER_PLAYER1 + 2;
constexpr int kJungle = IDC_FILTER_TILESET1 + 4;

enum class Open { SystemMenu, RightClickOnClientArea, RightClickOnACheckBox };
enum class Close { OkButton, Enter, CancelButton, Escape, CloseBox };

// Two unreadable (empty) maps and a saved filter of three players.
class FilterWindowTest : public ::testing::Test {
  protected:
    FilterWindowTest() : folder_(L"gui-filter") {
        folder_.touch(L"maps\\one.scm");
        folder_.touch(L"maps\\two.scm");
        gui_test::writeConfig(folder_.text(), L"path", folder_.text() + L"\\maps\\");
        gui_test::writeConfig(folder_.text(), L"scm", L"yes");
        gui_test::writeConfig(folder_.text(), L"scx", L"no");
    }

    // A main window over the saved filter of three players.
    void open() {
        gui_test::writeConfig(folder_.text(), L"players", L"3");
        gui_test::writeConfig(folder_.text(), L"tilesets", L"");
        window_.reset();
        MainWindowOptions options;
        options.appPath = folder_.text();
        options.end = [] {};
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->Open(SW_SHOWNORMAL);
    }

    // Opens the Filter window as a user would and runs `inside` on another thread once it
    // shows; `inside` must close it. Returns the text of the menu item picked to open it.
    std::wstring openFilter(Open how, const std::function<void(HWND)>& inside) {
        const HWND main = window_->handle();
        std::wstring item;
        std::atomic<bool> done{false};
        {
            gui_test::WindowWatcher menu(L"#32768", [&](HWND popup) {
                const auto shown = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
                const int last = GetMenuItemCount(shown) - 1;
                wchar_t text[64]{};
                GetMenuStringW(shown, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
                item = text;
                // Up from no selection lands on the last item, the system menu's new one.
                PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
                PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
            });
            gui_test::WindowWatcher filter(kFilterWindowClass, [&](HWND window) {
                inside(window);
                done = true;
            });
            if (how == Open::SystemMenu) {
                // Alt+Space
                PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, L' ');
            } else {
                // Right of the label and above the directory box, or on the box's caption.
                const bool onBox = how == Open::RightClickOnACheckBox;
                const HWND target = onBox ? window_->control(IDC_SCX) : main;
                const LPARAM at = onBox ? MAKELPARAM(40, 5) : MAKELPARAM(250, 4);
                PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, at);
                PostMessageW(target, WM_RBUTTONUP, 0, at);
            }
            EXPECT_TRUE(gui_test::pumpUntil(
                [&] { return done && !gui_test::findProcessWindow(kFilterWindowClass); }, 30s));
        }
        return item;
    }

    gui_test::ScratchFolder folder_;
    gui_test::GameKey game_;
    std::unique_ptr<MainWindow> window_;
};

HWND focusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

bool checked(HWND filter, int id) {
    return SendMessageW(GetDlgItem(filter, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// What is wrong with the window's layout at `dpi`: a client area of the wrong size, a control
// outside it, a box outside its frame or over another control, a caption cut short.
std::vector<std::wstring> layoutFaults(HWND filter, UINT dpi) {
    std::vector<std::wstring> faults;
    RECT client{};
    GetClientRect(filter, &client);
    const int d = static_cast<int>(dpi);
    if (client.right != twipsToPixels(kFilterClientWidthTwips, d) ||
        client.bottom != twipsToPixels(kFilterClientHeightTwips, d)) {
        faults.push_back(L"client area");
    }
    std::vector<int> ids{IDC_FILTER_COUNT, IDC_FILTER_LAST_PICK, IDOK, IDCANCEL};
    for (int i = 0; i < 8; ++i) {
        ids.push_back(IDC_FILTER_PLAYER1 + i);
        ids.push_back(IDC_FILTER_TILESET1 + i);
    }
    const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + MulDiv(6, d, 96);
    for (int id : ids) {
        const HWND control = GetDlgItem(filter, id);
        const RECT r = gui_test::rectInParent(control);
        const std::wstring name = windowText(control);
        if (!inside(r, client))
            faults.push_back(name + L" outside the window");
        const bool player = id >= IDC_FILTER_PLAYER1 && id < IDC_FILTER_PLAYER1 + 8;
        const bool tileset = id >= IDC_FILTER_TILESET1 && id < IDC_FILTER_TILESET1 + 8;
        if (player || tileset) {
            const int frame = player ? IDC_FILTER_PLAYERS_FRAME : IDC_FILTER_TILESETS_FRAME;
            if (!inside(r, gui_test::rectInParent(GetDlgItem(filter, frame))))
                faults.push_back(name + L" outside its frame");
            HDC dc = GetDC(control);
            const HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            RECT text{};
            DrawTextW(dc, name.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            if (text.right + box > r.right - r.left)
                faults.push_back(name + L" cut short");
        }
        for (int other : ids) {
            RECT overlap{};
            const RECT o = gui_test::rectInParent(GetDlgItem(filter, other));
            if (other < id && IntersectRect(&overlap, &r, &o))
                faults.push_back(name + L" over " + windowText(GetDlgItem(filter, other)));
        }
    }
    return faults;
}

struct CloseCase {
    const char* name;
    Open open;
    int click;  // the box clicked before closing
    Close close;
    const wchar_t* players;  // config.ini's values afterwards
    const wchar_t* tilesets;
};

TEST_F(FilterWindowTest, OpensModallyWithTheSavedFilterAndSavesOnlyWhenConfirmed) {
    const CloseCase cases[] = {
        {"OK saves a box ticked", Open::SystemMenu, kPlayer2, Close::OkButton, L"2,3", L""},
        {"Enter saves a box cleared", Open::RightClickOnClientArea, kPlayer3, Close::Enter, L"",
         L""},
        {"OK saves a tileset", Open::RightClickOnACheckBox, kJungle, Close::OkButton, L"3",
         L"Jungle"},
        {"Cancel keeps the saved filter", Open::SystemMenu, kPlayer2, Close::CancelButton, L"3",
         L""},
        {"Esc keeps the saved filter", Open::RightClickOnClientArea, kJungle, Close::Escape, L"3",
         L""},
        {"The close box keeps the saved filter", Open::SystemMenu, kPlayer3, Close::CloseBox, L"3",
         L""},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        struct {
            std::wstring caption;
            bool ownerEnabled = true;
            bool firstBoxFocused = false;
            bool threeTicked = false;
            bool clickedChanged = false;
        } seen;
        const std::wstring item = openFilter(c.open, [&](HWND filter) {
            seen.caption = windowText(filter);
            seen.ownerEnabled = IsWindowEnabled(window_->handle()) != FALSE;
            seen.firstBoxFocused = focusOf(filter) == GetDlgItem(filter, IDC_FILTER_PLAYER1);
            seen.threeTicked = checked(filter, kPlayer3);
            const bool before = checked(filter, c.click);
            SendMessageW(GetDlgItem(filter, c.click), BM_CLICK, 0, 0);
            seen.clickedChanged = checked(filter, c.click) != before;
            const HWND focus = focusOf(filter) ? focusOf(filter) : filter;
            switch (c.close) {
                case Close::OkButton:
                    SendMessageW(GetDlgItem(filter, IDOK), BM_CLICK, 0, 0);
                    break;
                case Close::CancelButton:
                    SendMessageW(GetDlgItem(filter, IDCANCEL), BM_CLICK, 0, 0);
                    break;
                case Close::Enter:
                case Close::Escape:
                    PostMessageW(focus, WM_KEYDOWN, c.close == Close::Enter ? VK_RETURN : VK_ESCAPE,
                                 0);
                    break;
                case Close::CloseBox:
                    PostMessageW(filter, WM_SYSCOMMAND, SC_CLOSE, 0);
                    break;
            }
        });
        EXPECT_EQ(item, L"Map filter...");
        EXPECT_EQ(seen.caption, L"Map filter");
        EXPECT_FALSE(seen.ownerEnabled);
        EXPECT_TRUE(seen.firstBoxFocused);
        EXPECT_TRUE(seen.threeTicked);
        EXPECT_TRUE(seen.clickedChanged);
        EXPECT_TRUE(IsWindowEnabled(window_->handle()));
        EXPECT_EQ(gui_test::readConfig(folder_.text(), L"players"), c.players);
        EXPECT_EQ(gui_test::readConfig(folder_.text(), L"tilesets"), c.tilesets);
    }
}

TEST_F(FilterWindowTest, LaysOutAtEachDpiAndItsCountFollowsTheMapsWhileOpen) {
    std::vector<std::wstring> faults;
    std::vector<std::wstring> faultsAt144;
    std::wstring countAtOpen;
    std::wstring countAfterNewMap;
    std::wstring countAfterClearing;
    std::wstring lastPick;
    open();
    openFilter(Open::SystemMenu, [&](HWND filter) {
        const HWND count = GetDlgItem(filter, IDC_FILTER_COUNT);
        const auto countIs = [&](const std::wstring& text) {
            for (int i = 0; i < 200 && windowText(count) != text; ++i)
                Sleep(50);
            return windowText(count);
        };
        faults = layoutFaults(filter, windowDpi(filter));
        lastPick = windowText(GetDlgItem(filter, IDC_FILTER_LAST_PICK));
        countAtOpen = countIs(L"0 of 2 maps fit (2 unreadable)");
        // A map added while the window is open is read, and the line counts it.
        folder_.touch(L"maps\\three.scm");
        countAfterNewMap = countIs(L"0 of 3 maps fit (3 unreadable)");
        // No box ticked: any map fits, readable or not.
        SendMessageW(GetDlgItem(filter, kPlayer3), BM_CLICK, 0, 0);
        countAfterClearing = windowText(count);

        RECT suggested{};
        GetWindowRect(filter, &suggested);
        SendMessageW(filter, WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
        faultsAt144 = layoutFaults(filter, 144);
        PostMessageW(filter, WM_CLOSE, 0, 0);
    });
    for (const auto& fault : faults)
        ADD_FAILURE() << std::string(fault.begin(), fault.end());
    for (const auto& fault : faultsAt144)
        ADD_FAILURE() << "at 144 dpi: " << std::string(fault.begin(), fault.end());
    EXPECT_EQ(lastPick, L"Last pick: not read");
    EXPECT_EQ(countAtOpen, L"0 of 2 maps fit (2 unreadable)");
    EXPECT_EQ(countAfterNewMap, L"0 of 3 maps fit (3 unreadable)");
    EXPECT_EQ(countAfterClearing, L"3 of 3 maps fit (3 unreadable)");
    EXPECT_EQ(gui_test::readConfig(folder_.text(), L"players"), L"3");
}

}  // namespace
}  // namespace qrvl::win32
