// The shipped exe with the player's marks, over maps the tests build: "/mark" as a script runs
// it, what a "never" mark leaves to pick, a favourite that keeps its mark when renamed, and
// "/pick PATH".
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "common/text_codec.h"
#include "tests/mapfile/mpq_writer.h"
#include "tests/ui/gui_support.h"
#include "tests/ui/program_run.h"
#include "ui/win32/main_window.h"

namespace qrvl {
namespace {

using namespace std::chrono_literals;

// Each map has a title of its own, so that no two have the same content.
void writeMap(const std::wstring& path, const std::string& title, int players) {
    const test::Bytes map =
        test::simpleMap(test::chkBytes(test::plainScenario(title, players, 64, 64, 4)));
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(map.data()), static_cast<std::streamsize>(map.size()));
}

class MapsE2E : public ::testing::Test {
  protected:
    MapsE2E() {
        CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE);
        gui_test::writeConfig(app.text(), L"path", maps.text() + L"\\");
        gui_test::writeConfig(app.text(), L"scm", L"yes");
        gui_test::writeConfig(app.text(), L"scx", L"yes");
        writeMap(duelA, "Duel A", 2);
        writeMap(duelB, "Duel B", 2);
        writeMap(duelC, "Duel C", 2);
        writeMap(four, "Four", 4);
        game.setRecentMaps({});
    }

    gui_test::ProgramRun run(const std::wstring& arguments) {
        return gui_test::runProgram(exe, arguments);
    }

    gui_test::ScratchFolder app{L"maps-app"};
    gui_test::ScratchFolder maps{L"maps-maps"};
    gui_test::GameKey game;
    const std::wstring exe = app.text() + L"\\qrvl.exe";
    const std::wstring duelA = maps.text() + L"\\duel-a.scm";
    const std::wstring duelB = maps.text() + L"\\duel-b.scx";
    const std::wstring duelC = maps.text() + L"\\duel-c.scm";
    const std::wstring four = maps.text() + L"\\four.scm";
};

TEST_F(MapsE2E, NeverOnEveryTwoPlayerMapButOneLeavesOnlyThatOneToPick) {
    for (const std::wstring& map : {duelA, duelB}) {
        const gui_test::ProgramRun marked = run(L"/mark never \"" + map + L"\"");
        ASSERT_EQ(marked.status, 0u) << marked.standardError;
        EXPECT_EQ(marked.windowsCreated, 0);
    }
    gui_test::writeConfig(app.text(), L"players", L"2");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               app.text().c_str(), &startup, &process));
    // A first start in a new Wine session also starts Wine's desktop: the count begins once the
    // window shows.
    EXPECT_TRUE(gui_test::pumpUntil(
        [] {
            HWND main = FindWindowW(win32::kMainWindowClass, nullptr);
            return main && IsWindowVisible(main);
        },
        120s));
    std::set<std::wstring> seen;
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        for (const std::wstring& entry : game.recentMaps()) {
            seen.insert(entry);
        }
        std::this_thread::sleep_for(50ms);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(seen, std::set<std::wstring>{duelC});
}

TEST_F(MapsE2E, ARenamedFavouriteIsStillAFavouriteAndABadPathIsRefused) {
    ASSERT_EQ(run(L"/mark favourite \"" + four + L"\"").status, 0u);
    const std::wstring renamed = maps.text() + L"\\renamed.scm";
    ASSERT_TRUE(MoveFileW(four.c_str(), renamed.c_str()));
    const gui_test::ProgramRun listed = run(L"/list");
    ASSERT_EQ(listed.status, 0u) << listed.standardError;
    EXPECT_EQ(
        listed.standardOutput.rfind("path\ttitle\tplayers\twidth\theight\ttileset\tmark\terror", 0),
        0u);
    EXPECT_NE(listed.standardOutput.find(utf8Codec().encode(renamed) +
                                         "\tFour\t4\t64\t64\tJungle\tfavourite\n"),
              std::string::npos)
        << listed.standardOutput;
    EXPECT_NE(
        listed.standardOutput.find(utf8Codec().encode(duelA) + "\tDuel A\t2\t64\t64\tJungle\t\n"),
        std::string::npos);

    const std::wstring broken = maps.text() + L"\\broken.scx";
    std::ofstream(std::filesystem::path(broken)) << "not a map";
    const gui_test::ProgramRun refused = run(L"/mark never \"" + broken + L"\"");
    EXPECT_EQ(refused.status, 1u);
    EXPECT_EQ(refused.standardError.rfind("qrvl: \"", 0), 0u) << refused.standardError;
    EXPECT_NE(refused.standardError.find("is not a readable map"), std::string::npos);
    EXPECT_EQ(run(L"/mark sometimes \"" + four + L"\"").status, 2u);
}

TEST_F(MapsE2E, PickOfANamedMapPutsItFirstAndRefusesWhatIsNoMap) {
    game.setRecentMaps({L"C:\\old.scm"});
    const gui_test::ProgramRun picked = run(L"/pick \"" + duelB + L"\"");
    EXPECT_EQ(picked.status, 0u) << picked.standardError;
    EXPECT_EQ(picked.windowsCreated, 0);
    EXPECT_EQ(game.recentMaps(), (std::vector<std::wstring>{duelB, L"C:\\old.scm"}));

    const gui_test::ProgramRun missing = run(L"/pick \"" + maps.text() + L"\\gone.scm\"");
    EXPECT_EQ(missing.status, 1u);
    EXPECT_EQ(game.recentMaps().front(), duelB);
}

}  // namespace
}  // namespace qrvl
