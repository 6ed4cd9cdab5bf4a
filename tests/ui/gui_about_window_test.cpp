// The real About window under Wine, opened from the main window's "About" item: its layout,
// texts, fonts, links, modality, and the main window's timer that keeps running behind it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "common/twips.h"
#include "tests/ui/gui_support.h"
#include "ui/about.h"
#include "ui/res/resource.h"
#include "ui/win32/about_window.h"
#include "ui/win32/dpi_layout.h"
#include "ui/win32/main_window.h"

namespace qrvl::win32 {
namespace {

using namespace std::chrono_literals;

LOGFONTW fontOf(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

struct LabelCase {
    int id;
    const wchar_t* text;
    bool link;
};

// What the About window showed while it was open, gathered from inside its modal loop.
struct Seen {
    bool opened = false;
    bool ownerEnabled = true;
    bool okHasFocus = false;
    std::wstring caption;
    RECT client{};
    POINT clientOrigin{};
    std::wstring version;
    int okLeft = 0;
    int okTop = 0;
    int linkColourCheck = 0;
    std::size_t startsAfterLinks = 0;
    std::size_t updatesWhileOpen = 0;
    bool comicSansOrFallback = false;
    bool linksUnderlined = false;
    bool othersPlain = true;
    std::vector<std::wstring> mismatches;
    HICON icon = nullptr;
    RECT banner{};
};

class AboutWindowTest : public ::testing::Test {
  public:
    AboutWindowTest() : folder_(L"gui-about") {
        folder_.touch(L"maps\\one.scm");
        gui_test::writeConfig(folder_.text(), L"path", folder_.text() + L"\\maps\\");
        gui_test::writeConfig(folder_.text(), L"scm", L"yes");
        gui_test::writeConfig(folder_.text(), L"scx", L"no");
        MainWindowOptions options;
        options.shell = shell_;
        options.appPath = folder_.text();
        options.end = [] {};
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->Open(SW_SHOWNORMAL);
    }

    // Public: the checks run from a timer procedure inside the About window's loop.
    gui_test::ScratchFolder folder_;
    gui_test::GameKey game_;
    std::shared_ptr<gui_test::RecordingShell> shell_ =
        std::make_shared<gui_test::RecordingShell>(win32ShellApi());
    std::unique_ptr<MainWindow> window_;
};

constexpr LabelCase kLabels[] = {
    {IDC_ABOUT_LABEL1, about_text::kLabel1, false},
    {IDC_ABOUT_LABEL2, about_text::kLabel2, false},
    {IDC_ABOUT_LABEL3, about_text::kLabel3, false},
    {IDC_ABOUT_LABEL4, about_text::kLabel4, false},
    {IDC_ABOUT_LABEL6, about_text::kLabel6, false},
    {IDC_ABOUT_LABEL7, about_text::kLabel7, false},
    {IDC_ABOUT_LABEL8, about_text::kLabel8, false},
    {IDC_ABOUT_LABEL9, about_text::kLabel9, false},
    {IDC_ABOUT_LABEL11, about_text::kLabel11, true},
    {IDC_ABOUT_LABEL12, about_text::kLabel12, false},
    {IDC_ABOUT_LABEL13, about_text::kLabel13, true},
};

TEST_F(AboutWindowTest, OpensModallyWithItsContentAndLinksWhileTheMainTimerRuns) {
    const HWND main = window_->handle();
    // The game keeps five maps: on a slow start, five updates may have filled the list before
    // this line, and no later one could lengthen it. Updates run on this thread, so the one map
    // left here stays alone until the next update.
    game_.setRecentMaps({L"C:\\old.scm"});
    const std::size_t before = game_.recentMaps().size();
    Seen seen;
    // A thread timer fires inside the About window's own loop and inspects it from there.
    static Seen* current = nullptr;
    static AboutWindowTest* test = nullptr;
    current = &seen;
    test = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Seen& s = *current;
        HWND about = gui_test::findProcessWindow(kAboutWindowClass);
        if (!about)
            return;
        s.opened = true;
        s.ownerEnabled = IsWindowEnabled(test->window_->handle()) != FALSE;
        s.okHasFocus = GetFocus() == GetDlgItem(about, IDC_ABOUT_OK);
        s.caption = windowText(about);
        GetClientRect(about, &s.client);
        ClientToScreen(about, &s.clientOrigin);
        s.version = windowText(GetDlgItem(about, IDC_ABOUT_LABEL10));
        s.icon = reinterpret_cast<HICON>(SendMessageW(about, WM_GETICON, ICON_BIG, 0));
        const RECT ok = gui_test::rectInParent(GetDlgItem(about, IDC_ABOUT_OK));
        GetClientRect(GetDlgItem(about, IDC_ABOUT_IMAGE1), &s.banner);
        s.okLeft = ok.left;
        s.okTop = ok.top;
        s.linksUnderlined = true;
        for (const LabelCase& c : kLabels) {
            HWND label = GetDlgItem(about, c.id);
            if (windowText(label) != c.text)
                s.mismatches.push_back(c.text);
            const LOGFONTW lf = fontOf(label);
            if (c.link && !lf.lfUnderline)
                s.linksUnderlined = false;
            if (!c.link && (lf.lfUnderline || lf.lfWeight != FW_NORMAL))
                s.othersPlain = false;
        }
        const LOGFONTW labelFont = fontOf(GetDlgItem(about, IDC_ABOUT_LABEL1));
        s.comicSansOrFallback = !fontInstalled(L"Comic Sans MS") ||
                                std::wstring(labelFont.lfFaceName) == L"Comic Sans MS";
        // Clicking the links starts programs and leaves the window open.
        for (int id : {IDC_ABOUT_LABEL11, IDC_ABOUT_LABEL13}) {
            HWND label = GetDlgItem(about, id);
            SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        }
        s.startsAfterLinks = test->shell_->starts.size();
        // The owner's timer goes on ticking under the modal loop.
        gui_test::pumpUntil([&] { return test->game_.recentMaps().size() > 1; },
                            std::chrono::seconds(6));
        s.updatesWhileOpen = test->game_.recentMaps().size();
        SendMessageW(GetDlgItem(about, IDC_ABOUT_OK), BM_CLICK, 0, 0);
    });
    ASSERT_NE(timer, 0u);

    SendMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);

    ASSERT_TRUE(seen.opened);
    EXPECT_EQ(gui_test::findProcessWindow(kAboutWindowClass), nullptr) << "&Ok unloaded it";
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(seen.okHasFocus);
    EXPECT_EQ(seen.caption, L"About Quorvel picker");
    EXPECT_EQ(seen.version, L"Quorvel picker V. 1.00 A");
    EXPECT_EQ(seen.icon, reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0)));

    const int dpi = static_cast<int>(windowDpi(main));
    EXPECT_EQ(seen.client.right, twipsToPixels(3345, dpi));
    EXPECT_EQ(seen.client.bottom, twipsToPixels(4560, dpi));
    EXPECT_EQ(seen.clientOrigin.x, twipsToPixels(8130, dpi));
    EXPECT_EQ(seen.clientOrigin.y, twipsToPixels(2460, dpi));
    // The banner fills the picture's inside: its border takes two pixels on every side, so at
    // 96 dpi the inside is the picture's own 204 x 56.
    EXPECT_EQ(seen.banner.right, twipsToPixels(3120, dpi) - 4);
    EXPECT_EQ(seen.banner.bottom, twipsToPixels(900, dpi) - 4);
    EXPECT_EQ(seen.okLeft, twipsToPixels(120, dpi));
    EXPECT_EQ(seen.okTop, twipsToPixels(4080, dpi));

    EXPECT_TRUE(seen.mismatches.empty()) << seen.mismatches.size() << " labels differ";
    EXPECT_TRUE(seen.comicSansOrFallback);
    EXPECT_TRUE(seen.linksUnderlined);
    EXPECT_TRUE(seen.othersPlain);

    ASSERT_EQ(seen.startsAfterLinks, 2u);
    EXPECT_EQ(shell_->starts[0].commandLine, "explorer.exe http://www.quorvel.example/");
    EXPECT_EQ(shell_->starts[0].show, 2u);
    EXPECT_EQ(shell_->starts[1].commandLine, "explorer.exe mailto:picker@quorvel.example");
    EXPECT_GT(seen.updatesWhileOpen, before);
}

TEST_F(AboutWindowTest, EscapeUnloadsItAndTheNextOpeningLoadsAfresh) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::wstring version;
        static std::wstring* seenVersion = nullptr;
        seenVersion = &version;
        SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            HWND about = gui_test::findProcessWindow(kAboutWindowClass);
            if (!about)
                return;
            *seenVersion = windowText(GetDlgItem(about, IDC_ABOUT_LABEL10));
            PostMessageW(GetDlgItem(about, IDC_ABOUT_OK), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        showAbout(window_->handle(), *shell_);
        EXPECT_EQ(version, L"Quorvel picker V. 1.00 A");
        EXPECT_TRUE(IsWindowEnabled(window_->handle()));
    }
}

}  // namespace
}  // namespace qrvl::win32
