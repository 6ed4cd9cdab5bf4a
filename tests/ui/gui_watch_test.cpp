// The real main window following its maps directory under Wine, on real files: maps added,
// removed and renamed, a burst of a thousand, a change of directory, and the watch at work
// inside the About window's and the folder dialog's own loops.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "map/catalogue.h"
#include "map/catalogue_follower.h"
#include "map/directory_lister.h"
#include "tests/map/map_items.h"
#include "tests/ui/gui_support.h"
#include "ui/win32/about_window.h"
#include "ui/win32/main_window.h"

namespace qrvl::win32 {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Long enough for the settle time and a rebuild on a loaded machine.
constexpr auto kFollowTimeout = 30s;
// Waited out where nothing may happen: the settle time and a margin.
constexpr auto kQuietWait = std::chrono::milliseconds(kSettleMilliseconds) + 1500ms;

// The system's lister, counting how often each directory text is opened: each rebuild opens the
// text of the box once.
class CountingLister final : public DirectoryLister {
  public:
    std::unique_ptr<Directory> open(const std::wstring& path) override {
        ++opened[path];
        return real_->open(path);
    }
    std::map<std::wstring, int> opened;

  private:
    std::shared_ptr<DirectoryLister> real_ = systemDirectoryLister();
};

using test::items;

class WatchTest : public ::testing::Test {
  protected:
    WatchTest() : folder_(L"gui-watch") {
        for (const wchar_t* file :
             {L"maps\\one.scm", L"maps\\two.scx", L"maps\\notes.txt", L"maps\\deep\\three.scm",
              L"maps\\burst\\readme.txt", L"other\\far.scx", L"outside\\pack\\packed.scm"}) {
            folder_.touch(file);
        }
    }

    std::wstring dir(const wchar_t* name) const { return folder_.text() + L"\\" + name + L"\\"; }
    fs::path at(const wchar_t* relative) const { return folder_.path() / relative; }

    MainWindow& open(const wchar_t* scm, const wchar_t* scx) {
        gui_test::writeConfig(folder_.text(), L"path", dir(L"maps"));
        gui_test::writeConfig(folder_.text(), L"scm", scm);
        gui_test::writeConfig(folder_.text(), L"scx", scx);
        MainWindowOptions options;
        options.shell = shell_;
        options.appPath = folder_.text();
        options.seams.directories = lister_;
        options.end = [] {};
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->Open(SW_SHOWNORMAL);
        return *window_;
    }

    // True when the window's collections are what a full rebuild of the box's text gives now.
    bool inStep() {
        Catalogue fresh;
        fresh.rebuildCatalogue(window_->form().Text1.Text());
        Catalogue& followed = window_->form().catalogue();
        return items(followed.allMaps()) == items(fresh.allMaps()) &&
               items(followed.scmMaps()) == items(fresh.scmMaps()) &&
               items(followed.scxMaps()) == items(fresh.scxMaps());
    }

    int rebuilds(const wchar_t* name) { return lister_->opened[dir(name)]; }

    gui_test::ScratchFolder folder_;
    gui_test::GameKey game_;
    std::shared_ptr<gui_test::RecordingShell> shell_ =
        std::make_shared<gui_test::RecordingShell>(win32ShellApi());
    std::shared_ptr<CountingLister> lister_ = std::make_shared<CountingLister>();
    std::unique_ptr<MainWindow> window_;
};

TEST_F(WatchTest, MapsAddedRemovedAndRenamedAreFollowedWithOneRebuildEachAndOtherFilesCostNone) {
    struct Step {
        const char* what;
        std::function<void()> change;
        bool mapsChange;
    };
    const Step steps[] = {
        {"a map added", [&] { folder_.touch(L"maps\\new.scm"); }, true},
        {"a map added below", [&] { folder_.touch(L"maps\\deep\\four.scx"); }, true},
        {"a map removed", [&] { fs::remove(at(L"maps\\one.scm")); }, true},
        {"a map renamed away", [&] { fs::rename(at(L"maps\\two.scx"), at(L"maps\\two.txt")); },
         true},
        {"a file renamed to a map",
         [&] { fs::rename(at(L"maps\\notes.txt"), at(L"maps\\notes.scm")); }, true},
        {"a directory of maps renamed", [&] { fs::rename(at(L"maps\\deep"), at(L"maps\\deeper")); },
         true},
        {"a directory of maps moved in",
         [&] { fs::rename(at(L"outside\\pack"), at(L"maps\\pack")); }, true},
        {"a directory of maps removed", [&] { fs::remove_all(at(L"maps\\deeper")); }, true},
        {"other files",
         [&] {
             folder_.touch(L"maps\\readme.txt");
             fs::remove(at(L"maps\\two.txt"));
         },
         false},
    };
    open(L"no", L"no");
    ASSERT_TRUE(inStep());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const int before = rebuilds(L"maps");
        const auto start = std::chrono::steady_clock::now();
        step.change();
        if (step.mapsChange) {
            EXPECT_TRUE(gui_test::pumpUntil([&] { return inStep(); }, kFollowTimeout));
            std::printf(
                "%s: followed after %lld ms\n", step.what,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
            EXPECT_EQ(rebuilds(L"maps"), before + 1);
        } else {
            gui_test::pumpFor(std::chrono::duration_cast<std::chrono::milliseconds>(kQuietWait));
            EXPECT_EQ(rebuilds(L"maps"), before);
        }
    }
}

TEST_F(WatchTest, ABurstOfAThousandMapsCostsOneRebuild) {
    open(L"no", L"no");
    const int before = rebuilds(L"maps");
    // Written from another thread while the window handles its messages, as an unpacker would.
    std::atomic<bool> unpacked{false};
    std::thread unpacker([&] {
        for (int i = 0; i < 1000; ++i) {
            folder_.touch(L"maps\\burst\\map" + std::to_wstring(i) + (i % 2 ? L".scx" : L".scm"));
        }
        unpacked = true;
    });
    gui_test::pumpUntil([&] { return unpacked.load(); }, kFollowTimeout);
    unpacker.join();
    EXPECT_TRUE(gui_test::pumpUntil(
        [&] { return window_->form().catalogue().allMaps().Count() == 1003 && inStep(); },
        kFollowTimeout));
    EXPECT_EQ(rebuilds(L"maps"), before + 1);
}

TEST_F(WatchTest, TheWatchMovesWithTheDirectory) {
    MainWindow& window = open(L"no", L"no");
    window.form().Text1.Text(dir(L"missing"));
    EXPECT_EQ(window.form().catalogue().allMaps().Count(), 0);
    window.form().Text1.Text(dir(L"other"));
    const int maps = rebuilds(L"maps");

    folder_.touch(L"maps\\left-behind.scm");
    folder_.touch(L"other\\near.scm");
    EXPECT_TRUE(gui_test::pumpUntil(
        [&] { return window.form().catalogue().allMaps().Count() == 2 && inStep(); },
        kFollowTimeout));
    gui_test::pumpFor(std::chrono::duration_cast<std::chrono::milliseconds>(kQuietWait));
    EXPECT_EQ(rebuilds(L"maps"), maps);
    EXPECT_EQ(rebuilds(L"other"), 2);
}

TEST_F(WatchTest, TheWatchKeepsWorkingInsideTheAboutWindowAndTheFolderDialog) {
    struct Case {
        const char* what;
        const wchar_t* windowClass;
        const wchar_t* map;
        std::function<void(Form1&)> open;
    };
    const Case cases[] = {
        {"About", kAboutWindowClass, L"maps\\about.scm", [](Form1& form) { form.info_Click(); }},
        {"folder dialog", L"#32770", L"maps\\dialog.scm",
         [](Form1& form) { form.Command1_Click(); }},
    };
    shell_->dialog = [](const BrowseInfoA& info) {
        return win32ShellApi()->SHBrowseForFolderA(&info);
    };
    // Only Starcraft maps are drawn, and there is none until one is added while the window is
    // open: the game's list shows it only if the watch, the settle timer and the rebuild all ran
    // inside that window's loop.
    fs::rename(at(L"maps\\one.scm"), at(L"maps\\one.txt"));
    fs::rename(at(L"maps\\deep\\three.scm"), at(L"maps\\deep\\three.txt"));
    MainWindow& window = open(L"yes", L"no");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring map = folder_.text() + L"\\" + c.map;
        std::atomic<bool> picked{false};
        gui_test::WindowWatcher watcher(c.windowClass, [&](HWND modal) {
            folder_.touch(c.map);
            const auto deadline = std::chrono::steady_clock::now() + kFollowTimeout;
            while (!picked && std::chrono::steady_clock::now() < deadline) {
                const auto recent = game_.recentMaps();
                picked = !recent.empty() && recent.front() == map;
                std::this_thread::sleep_for(100ms);
            }
            PostMessageW(modal, WM_CLOSE, 0, 0);
        });
        c.open(window.form());
        EXPECT_TRUE(watcher.found());
        EXPECT_TRUE(picked);
        fs::rename(map, fs::path(map).replace_extension(L".txt"));
    }
}

}  // namespace
}  // namespace qrvl::win32
