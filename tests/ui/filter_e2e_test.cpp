// The shipped exe with a map filter in config.ini, over maps the tests build: every write names a
// map that fits, none fitting writes nothing, and "/pick" says why it wrote nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/text_codec.h"
#include "tests/mapfile/mpq_writer.h"
#include "tests/ui/gui_support.h"
#include "tests/ui/program_run.h"
#include "ui/res/resource.h"
#include "ui/win32/filter_window.h"
#include "ui/win32/main_window.h"

namespace qrvl {
namespace {

using namespace std::chrono_literals;

// `era` numbers the tileset as the scenario does: 4 is Jungle, 6 Ice.
void writeMap(const std::wstring& path, int players, int era) {
    const test::Bytes map =
        test::simpleMap(test::chkBytes(test::plainScenario("Map", players, 64, 64, era)));
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(map.data()), static_cast<std::streamsize>(map.size()));
}

// Waits for a visible window of the class in any process. A first start in a new Wine session
// also starts Wine's desktop, which can take many seconds on a busy machine.
HWND waitForWindow(const wchar_t* className) {
    HWND found = nullptr;
    gui_test::pumpUntil(
        [&] {
            found = FindWindowW(className, nullptr);
            return found && IsWindowVisible(found);
        },
        120s);
    return found && IsWindowVisible(found) ? found : nullptr;
}

std::size_t leadingCount(const std::vector<std::wstring>& list, const std::wstring& entry) {
    std::size_t count = 0;
    while (count < list.size() && list[count] == entry) {
        ++count;
    }
    return count;
}

class FilterE2E : public ::testing::Test {
  protected:
    FilterE2E() {
        CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE);
        gui_test::writeConfig(app.text(), L"path", maps.text() + L"\\");
        gui_test::writeConfig(app.text(), L"scm", L"yes");
        gui_test::writeConfig(app.text(), L"scx", L"yes");
        writeMap(duel, 2, 4);
        writeMap(duelToo, 2, 0);
        writeMap(eight, 8, 4);
        std::ofstream(std::filesystem::path(broken)) << "not a map";
        game.setRecentMaps({});
    }
    ~FilterE2E() override {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, INFINITE);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    // Starts the window and gives it once it shows.
    HWND start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + exe + L"\"";
        EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, app.text().c_str(), &startup, &process_));
        return waitForWindow(win32::kMainWindowClass);
    }

    // Every entry the game's list holds over `duration`.
    std::set<std::wstring> entriesFor(std::chrono::seconds duration) {
        std::set<std::wstring> seen;
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            for (const std::wstring& entry : game.recentMaps()) {
                seen.insert(entry);
            }
            std::this_thread::sleep_for(50ms);
        }
        return seen;
    }

    gui_test::ScratchFolder app{L"filter-app"};
    gui_test::ScratchFolder maps{L"filter-maps"};
    gui_test::GameKey game;
    const std::wstring exe = app.text() + L"\\qrvl.exe";
    const std::wstring duel = maps.text() + L"\\duel.scm";
    const std::wstring duelToo = maps.text() + L"\\duel.scx";
    const std::wstring eight = maps.text() + L"\\eight.scm";
    const std::wstring broken = maps.text() + L"\\broken.scx";

  private:
    PROCESS_INFORMATION process_{};
};

TEST_F(FilterE2E, EveryWriteInTwentySecondsNamesATwoPlayerMap) {
    gui_test::writeConfig(app.text(), L"players", L"2");
    ASSERT_NE(start(), nullptr);
    const std::set<std::wstring> seen = entriesFor(20s);
    EXPECT_FALSE(seen.empty());
    for (const std::wstring& entry : seen) {
        EXPECT_TRUE(entry == duel || entry == duelToo) << utf8Codec().encode(entry);
    }
}

TEST_F(FilterE2E, WithNoMapOfTheTilesetNothingIsWritten) {
    gui_test::writeConfig(app.text(), L"tilesets", L"Ice");
    game.setRecentMaps({L"C:\\old.scm"});
    ASSERT_NE(start(), nullptr);
    // The cache is written once every map is read: from then on, two ticks find nothing to pick.
    const std::wstring cache = app.text() + L"\\qrvl-maps.cache";
    EXPECT_TRUE(gui_test::pumpUntil(
        [&] { return GetFileAttributesW(cache.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60s));
    EXPECT_EQ(entriesFor(5s), std::set<std::wstring>{L"C:\\old.scm"});
}

TEST_F(FilterE2E, TheFilterWindowsOkTakesEffectAtTheNextTick) {
    gui_test::writeConfig(app.text(), L"players", L"2");
    HWND main = start();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_SYSCOMMAND, IDM_MAP_FILTER, 0);
    HWND filter = waitForWindow(win32::kFilterWindowClass);
    ASSERT_NE(filter, nullptr);
    // 2 players off, 8 on, then OK, as clicks on the real controls. The click returns once OK
    // has taken effect, so every write after it puts the 8-player map in front of the list as
    // it stood then (cleared here, an update begun meanwhile would put back what it had read).
    SendMessageW(GetDlgItem(filter, IDC_FILTER_PLAYER1 + 1), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(filter, IDC_FILTER_PLAYER1 + 7), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(filter, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(gui_test::readConfig(app.text(), L"players"), L"8");

    const std::vector<std::wstring> atOk = game.recentMaps();
    const std::vector<std::wstring> olderAtOk(atOk.begin() + leadingCount(atOk, eight), atOk.end());
    const std::size_t writesAwaited = std::min<std::size_t>(5, leadingCount(atOk, eight) + 2);
    std::vector<std::wstring> list = atOk;
    const bool twoWrites = gui_test::pumpUntil(
        [&] {
            list = game.recentMaps();
            const std::size_t picks = leadingCount(list, eight);
            const std::vector<std::wstring> older(list.begin() + picks, list.end());
            const bool onlyPushedDown = older.size() <= olderAtOk.size() &&
                                        std::equal(older.begin(), older.end(), olderAtOk.begin());
            EXPECT_TRUE(onlyPushedDown) << "a map other than the 8-player one was written";
            return !onlyPushedDown || picks >= writesAwaited;
        },
        30s);
    EXPECT_TRUE(twoWrites);
}

TEST_F(FilterE2E, PickHonoursTheFilterAndSaysWhenNoMapFits) {
    gui_test::writeConfig(app.text(), L"players", L"8");
    const gui_test::ProgramRun picked = gui_test::runProgram(exe, L"/pick");
    EXPECT_EQ(picked.status, 0u) << picked.standardError;
    ASSERT_FALSE(game.recentMaps().empty());
    EXPECT_EQ(game.recentMaps().front(), eight);

    gui_test::writeConfig(app.text(), L"tilesets", L"ice");
    const gui_test::ProgramRun none = gui_test::runProgram(exe, L"/pick");
    EXPECT_EQ(none.status, 1u);
    EXPECT_EQ(none.standardError.rfind(
                  "qrvl: no maps fit players 8 and tilesets Ice (4 maps, 1 unreadable)", 0),
              0u)
        << none.standardError;
    EXPECT_EQ(game.recentMaps().front(), eight);
}

}  // namespace
}  // namespace qrvl
