// "qrvl.exe /pick" run as a launcher runs it: the built exe in a folder of its own, its exit
// status, its one line on standard error, the game's value byte for byte, and never a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/gui_support.h"
#include "tests/ui/program_run.h"
#include "ui/pick_command.h"

namespace qrvl {
namespace {

constexpr wchar_t kGameKey[] = L"software\\Blizzard Entertainment\\Starcraft";

// The exe's path comes in through the build (a Windows path under Wine).
std::string ansi(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The usage line as standard error carries it.
std::string usageLine() {
    const std::wstring line = kUsageLine;
    return std::string(line.begin(), line.end()) + "\n";
}

// "Recent Maps" as stored, or nothing when the key or the value is missing.
std::optional<std::string> storedRecentMaps() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> bytes;
    DWORD size = 0;
    if (RegQueryValueExA(key, "Recent Maps", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::string data(size, '\0');
        if (RegQueryValueExA(key, "Recent Maps", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
            data.resize(size);
            bytes = data;
        }
    }
    RegCloseKey(key);
    return bytes;
}

TEST(PickCommandE2E, WritesOnePickAndEndsOrSaysWhyWithoutEverShowingAWindow) {
    gui_test::ScratchFolder folder(L"pick");
    const std::wstring map = folder.touch(L"maps\\a.scm");
    folder.touch(L"maps\\readme.txt");
    const std::string old = std::string("C:\\old.scx") + '\0';
    const std::string picked = ansi(map) + '\0' + old + '\0';

    // Each reason for a status of 1 has its row in the tests over fakes; here one per status,
    // and the game's key, which only advapi32 can be without.
    const struct {
        const char* what;
        bool config;
        bool gameKey;
        const wchar_t* arguments;
        DWORD status;
        std::string line;  // how the one line on standard error starts; empty: no line
        std::optional<std::string> recentMaps;
    } rows[] = {
        {"a pick", true, true, L"/pick", 0, "", picked},
        {"no config.ini", false, true, L"/pick", 1, "qrvl: no config.ini at ", old + '\0'},
        {"no game key", true, false, L"/pick", 1, "qrvl: cannot write \"Recent Maps\"",
         std::nullopt},
        {"two more arguments", true, true, L"/pick now later", 2, usageLine(), old + '\0'},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        gui_test::ScratchFolder app(L"pick-app");
        const std::wstring exe = app.text() + L"\\qrvl.exe";
        ASSERT_TRUE(CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE));
        if (row.config) {
            gui_test::writeConfig(app.text(), L"path", folder.text() + L"\\maps\\");
            gui_test::writeConfig(app.text(), L"scm", L"yes");
            gui_test::writeConfig(app.text(), L"scx", L"yes");
        }
        const std::filesystem::path configFile = app.path() / L"config.ini";
        const std::string config = gui_test::fileBytes(configFile);
        std::optional<gui_test::GameKey> game;
        if (row.gameKey) {
            game.emplace();
            game->setRecentMaps({L"C:\\old.scx"});
        } else {
            RegDeleteKeyW(HKEY_CURRENT_USER, kGameKey);
        }

        const gui_test::ProgramRun run = gui_test::runProgram(exe, row.arguments);
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.windowsCreated, 0);
        if (row.line.empty()) {
            EXPECT_EQ(run.standardError, "");
        } else {
            EXPECT_EQ(run.standardError.rfind(row.line, 0), 0u) << run.standardError;
            EXPECT_EQ(run.standardError.find('\n'), run.standardError.size() - 1)
                << run.standardError;
        }
        EXPECT_EQ(storedRecentMaps(), row.recentMaps);
        // config.ini is only read, and none is made when it is missing.
        EXPECT_EQ(std::filesystem::exists(configFile), row.config);
        EXPECT_EQ(gui_test::fileBytes(configFile), config);
    }
    gui_test::GameKey restored;
}

// The window hook sees the windows of the same exe started without the switch, so that the
// count of none above means no window rather than a hook that saw nothing.
TEST(PickCommandE2E, TheWindowHookSeesTheMainWindowOfAPlainStart) {
    gui_test::ScratchFolder app(L"pick-window");
    const std::wstring exe = app.text() + L"\\qrvl.exe";
    ASSERT_TRUE(CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE));
    gui_test::writeConfig(app.text(), L"scm", L"no");
    const gui_test::ProgramRun run = gui_test::runProgram(exe, L"", std::chrono::seconds(5));
    EXPECT_GT(run.windowsCreated, 0);
}

}  // namespace
}  // namespace qrvl
