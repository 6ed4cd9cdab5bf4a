// The real main window under Wine: layout at the window's DPI, menus, clicks that reach
// config.ini and the game's registry value, the tray round trip and the first-run dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "common/twips.h"
#include "tests/ui/gui_support.h"
#include "ui/res/resource.h"
#include "ui/tray.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/main_window.h"

namespace qrvl::win32 {
namespace {

using namespace std::chrono_literals;
using gui_test::GameKey;
using gui_test::readConfig;
using gui_test::RecordingShell;
using gui_test::ScratchFolder;
using gui_test::writeConfig;

std::wstring className(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[64]{};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

// One window over a scratch folder that holds config.ini and a few maps.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : folder_(L"gui-main") {
        scmMap_ = folder_.touch(L"maps\\one.scm");
        scxMap_ = folder_.touch(L"maps\\two.scx");
        deepScm_ = folder_.touch(L"maps\\deep\\three.scm");
    }

    std::wstring mapsDir() const { return folder_.text() + L"\\maps\\"; }

    void configure(const std::wstring& scm, const std::wstring& scx) {
        writeConfig(folder_.text(), L"path", mapsDir());
        writeConfig(folder_.text(), L"scm", scm);
        writeConfig(folder_.text(), L"scx", scx);
    }

    MainWindow& open(bool realFolderDialog = false) {
        if (realFolderDialog) {
            shell_->dialog = [](const BrowseInfoA& info) {
                return win32ShellApi()->SHBrowseForFolderA(&info);
            };
        }
        MainWindowOptions options;
        options.shell = shell_;
        options.appPath = folder_.text();
        options.end = [this] { ++ends_; };
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->Open(SW_SHOWNORMAL);
        return *window_;
    }

    UINT dpi() const { return windowDpi(window_->handle()); }

    ScratchFolder folder_;
    GameKey game_;
    std::shared_ptr<RecordingShell> shell_ = std::make_shared<RecordingShell>(win32ShellApi());
    std::unique_ptr<MainWindow> window_;
    std::wstring scmMap_, scxMap_, deepScm_;
    int ends_ = 0;
};

struct ControlCase {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    TwipsRect twips;
};

TEST_F(MainWindowTest, PlacesEveryControlAtItsTwipsRectangleForTheWindowsDpiInTabOrder) {
    configure(L"no", L"no");
    MainWindow& window = open();
    const HWND main = window.handle();
    ASSERT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(windowText(main), L"Quorvel picker");

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the border is fixed";

    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, twipsToPixels(4695, static_cast<int>(dpi())));
    EXPECT_EQ(client.bottom, twipsToPixels(1275, static_cast<int>(dpi())));

    const ControlCase cases[] = {
        {IDC_LABEL1, L"Static", L"Maps directory where to pick the map:", kLabel1Twips},
        {IDC_SCM, L"Button", L"Starcraft maps (*.scm)", kScmTwips},
        {IDC_SCX, L"Button", L"Brood war maps (*.scx)", kScxTwips},
        {IDC_TEXT1, L"Edit", nullptr, kText1Twips},
        {IDC_COMMAND1, L"Button", L"...", kCommand1Twips},
        {IDC_COMMAND2, L"Button", L"E&xit", kCommand2Twips},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.id);
        HWND child = window.control(c.id);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(_wcsicmp(className(child).c_str(), c.className), 0) << className(child);
        if (c.text) {
            EXPECT_EQ(windowText(child), c.text);
        }
        const RECT expected = twipsToPixelRect(c.twips, dpi());
        const RECT actual = gui_test::rectInParent(child);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
    // Tab walks the controls in their designed order and comes round again.
    const int tabOrder[] = {IDC_SCM, IDC_SCX, IDC_TEXT1, IDC_COMMAND1, IDC_COMMAND2, IDC_SCM};
    HWND at = window.control(IDC_COMMAND2);
    for (int id : tabOrder) {
        at = GetNextDlgTabItem(main, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), id);
    }

    // The directory box holds the saved path, cannot be typed into, and the boxes stay clear.
    HWND text1 = window.control(IDC_TEXT1);
    EXPECT_EQ(windowText(text1), mapsDir());
    EXPECT_TRUE(GetWindowLongPtrW(text1, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(SendMessageW(window.control(IDC_SCM), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(window.control(IDC_SCX), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(SendMessageW(main, WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(MainWindowTest, MovingToAScreenOfAnotherDpiLaysTheWindowOutAgainInTwips) {
    configure(L"no", L"no");
    MainWindow& window = open();
    const HWND main = window.handle();
    RECT suggested{};
    GetWindowRect(main, &suggested);
    const UINT newDpi = 144;
    SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                 reinterpret_cast<LPARAM>(&suggested));

    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, twipsToPixels(4695, newDpi));
    EXPECT_EQ(client.bottom, twipsToPixels(1275, newDpi));
    for (const auto& [id, twips] : {std::pair{IDC_LABEL1, kLabel1Twips},
                                    {IDC_SCX, kScxTwips},
                                    {IDC_COMMAND2, kCommand2Twips}}) {
        SCOPED_TRACE(id);
        const RECT expected = twipsToPixelRect(twips, newDpi);
        const RECT actual = gui_test::rectInParent(window.control(id));
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.bottom, expected.bottom);
        EXPECT_EQ(actual.right, expected.right);
    }
    // The text grows with the screen: 8 points are 16 pixels at 144 dpi, or a pixel less.
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.control(IDC_SCM), WM_GETFONT, 0, 0)),
               sizeof lf, &lf);
    EXPECT_LE(lf.lfHeight, -14);
}

TEST_F(MainWindowTest, MenuBarHasFileExitAndAnAboutItemWithoutSubItems) {
    configure(L"no", L"no");
    HMENU bar = GetMenu(open().handle());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(menuText(bar, 0), L"File");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 1);
    EXPECT_EQ(menuText(file, 0), L"E&xit");
    EXPECT_EQ(menuText(bar, 1), L"About");
    EXPECT_EQ(GetSubMenu(bar, 1), nullptr);
}

TEST_F(MainWindowTest, EveryExitEndsTheProgram) {
    configure(L"no", L"no");
    MainWindow& window = open();
    const HWND main = window.handle();
    SendMessageW(window.control(IDC_COMMAND2), BM_CLICK, 0, 0);
    EXPECT_EQ(ends_, 1);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_FILE_EXIT, 0), 0);
    EXPECT_EQ(ends_, 2);
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(ends_, 3);
    EXPECT_TRUE(IsWindow(main)) << "ending is Form1's call, not the window's";
}

TEST_F(MainWindowTest, ScmClickWritesConfigAndPutsAScmMapAtTheHeadOfTheGamesList) {
    configure(L"no", L"no");
    game_.setRecentMaps({L"C:\\old\\a.scm", L"C:\\old\\b.scm"});
    MainWindow& window = open();

    SendMessageW(window.control(IDC_SCM), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(window.control(IDC_SCM), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(window.form().scm.Value(), CheckBox::kChecked);
    EXPECT_EQ(readConfig(folder_.text(), L"scm"), L"yes");
    const std::vector<std::wstring> after = game_.recentMaps();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_TRUE(after[0] == scmMap_ || after[0] == deepScm_) << after[0];
    EXPECT_EQ(after[1], L"C:\\old\\a.scm");

    SendMessageW(window.control(IDC_SCM), BM_CLICK, 0, 0);
    EXPECT_EQ(readConfig(folder_.text(), L"scm"), L"no");
    EXPECT_EQ(window.form().scm.Value(), CheckBox::kUnchecked);
}

TEST_F(MainWindowTest, SavedTicksRunTwoUpdatesAtStartAndTheTimerKeepsPicking) {
    configure(L"yes", L"yes");
    MainWindow& window = open();
    EXPECT_EQ(SendMessageW(window.control(IDC_SCM), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window.control(IDC_SCX), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(game_.recentMaps().size(), 2u);
    // The list grows by one per tick until the game's five.
    EXPECT_TRUE(gui_test::pumpUntil([&] { return game_.recentMaps().size() >= 4; }, 9s));
}

TEST_F(MainWindowTest, MinimisingHidesIntoTheTrayAndALeftClickOnTheIconRestores) {
    configure(L"no", L"no");
    MainWindow& window = open();
    const HWND main = window.handle();
    shell_->notifies.clear();

    ShowWindow(main, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(main));
    ASSERT_EQ(shell_->notifies.size(), 1u);
    const auto& add = shell_->notifies[0];
    EXPECT_EQ(add.message, kNimAdd);
    EXPECT_EQ(add.record.hWnd, reinterpret_cast<WindowHandle>(main));
    EXPECT_EQ(add.record.uID, 1u);
    EXPECT_EQ(add.record.uFlags, 7u);
    EXPECT_EQ(add.record.uCallbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(add.record.hIcon,
              static_cast<IconHandle>(SendMessageW(main, WM_GETICON, ICON_BIG, 0)));
    EXPECT_STREQ(add.record.szTip, "Quorvel picker");

    // Explorer restarted: the icon is asked for again.
    SendMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(shell_->notifies.size(), 2u);
    EXPECT_EQ(shell_->notifies[1].message, kNimAdd);

    // Mouse moves and presses over the icon do nothing; the release restores.
    SendMessageW(main, kTrayCallbackMessage, 1, WM_MOUSEMOVE);
    SendMessageW(main, kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(main));
    SendMessageW(main, kTrayCallbackMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsChild(main, GetFocus())) << "the input focus is back in the window";
    ASSERT_EQ(shell_->notifies.size(), 3u);
    EXPECT_EQ(shell_->notifies[2].message, kNimDelete);
    EXPECT_EQ(shell_->notifies[2].record.hWnd, reinterpret_cast<WindowHandle>(main));
}

TEST_F(MainWindowTest, RightClickOnTheIconOffersExitWhichEndsTheProgram) {
    configure(L"no", L"no");
    MainWindow& window = open();
    ShowWindow(window.handle(), SW_MINIMIZE);
    std::wstring item;
    // The pop-up menu runs its own loop; a thread picks its only item with the keyboard.
    gui_test::WindowWatcher watcher(L"#32768", [&](HWND menu) {
        HMENU shown = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        if (shown)
            item = menuText(shown, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    });
    SendMessageW(window.handle(), kTrayCallbackMessage, 1, WM_RBUTTONUP);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(item, L"Exit");
    EXPECT_EQ(ends_, 1);
}

TEST_F(MainWindowTest, FirstRunOpensTheShellFolderDialogBeforeTheWindowShows) {
    // No config.ini: defaults are written and the real dialog opens from the start-up sequence.
    bool mainVisibleMeanwhile = true;
    std::vector<std::wstring> dialogTexts;
    gui_test::WindowWatcher watcher(L"#32770", [&](HWND dialog) {
        HWND main = FindWindowW(kMainWindowClass, nullptr);
        mainVisibleMeanwhile = main && IsWindowVisible(main);
        dialogTexts = gui_test::childTexts(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    MainWindow& window = open(/*realFolderDialog=*/true);

    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(shell_->dialogs.size(), 1u);
    EXPECT_FALSE(mainVisibleMeanwhile);
    EXPECT_NE(std::find(dialogTexts.begin(), dialogTexts.end(),
                        L"Select the folder to pick the map from:"),
              dialogTexts.end());
    // Cancelled: the browse put one blank in the box, and reading "path" back (the profile call
    // drops surrounding blanks) left it empty; the key is in the file all the same.
    EXPECT_EQ(windowText(window.control(IDC_TEXT1)).find_first_not_of(L' '), std::wstring::npos);
    EXPECT_EQ(readConfig(folder_.text(), L"path"), L"");
    EXPECT_EQ(readConfig(folder_.text(), L"scm"), L"yes");
    EXPECT_EQ(readConfig(folder_.text(), L"scx"), L"yes");
    EXPECT_EQ(SendMessageW(window.control(IDC_SCM), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(game_.recentMaps().empty()) << "nothing to pick from without a directory";
    EXPECT_TRUE(IsWindowVisible(window.handle()));
}

}  // namespace
}  // namespace qrvl::win32
