// "qrvl.exe /list" as a script runs it, over maps the tests build: its lines, and the cache that
// spares a second run from opening any map.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/text_codec.h"
#include "tests/mapfile/mpq_writer.h"
#include "tests/ui/gui_support.h"
#include "tests/ui/program_run.h"

namespace qrvl {
namespace {

void writeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << bytes;
}

// The path as the game is given it: itself when the ANSI code page spells it, else its short name.
std::string gamePath(const std::wstring& path) {
    char narrow[MAX_PATH] = {};
    wchar_t back[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    MultiByteToWideChar(CP_ACP, 0, narrow, -1, back, MAX_PATH);
    if (path == back) {
        return utf8Codec().encode(path);
    }
    wchar_t shortName[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), shortName, MAX_PATH);
    return utf8Codec().encode(shortName);
}

void writeMap(const std::wstring& path, const std::string& title, int players, int era) {
    const test::Bytes map =
        test::simpleMap(test::chkBytes(test::plainScenario(title, players, 64, 96, era)));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeFile(path, std::string(map.begin(), map.end()));
}

FILETIME lastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void setLastWrite(const std::wstring& path, FILETIME time) {
    HANDLE file =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

class ListCommandE2E : public ::testing::Test {
  protected:
    ListCommandE2E() {
        CopyFileW(gui_test::builtExe().c_str(), exe.c_str(), FALSE);
        gui_test::writeConfig(app.text(), L"path", maps.text());
        gui_test::writeConfig(app.text(), L"scm", L"no");
        writeMap(plain, "\x03Lost \x04Temple ", 4, 4);
        // 지도, "map", in the Korean code page.
        writeMap(korean, "\xC1\xF6\xB5\xB5", 2, 6);
        writeFile(broken, "MPQ\x1A not really a map");
    }

    std::string list() {
        const gui_test::ProgramRun run = gui_test::runProgram(exe, L"/list");
        EXPECT_EQ(run.status, 0u) << run.standardError;
        EXPECT_EQ(run.standardError, "");
        EXPECT_EQ(run.windowsCreated, 0);
        return run.standardOutput;
    }

    std::string expected(const std::string& plainLine) const {
        return "path\ttitle\tplayers\twidth\theight\ttileset\tmark\terror\n" + gamePath(plain) +
               "\t" + plainLine + "\n" + gamePath(broken) + "\t\t\t\t\t\t\tnot a map archive\n" +
               gamePath(korean) + "\t\xEC\xA7\x80\xEB\x8F\x84\t2\t64\t96\tIce\t\n";
    }

    gui_test::ScratchFolder app{L"list-app"};
    gui_test::ScratchFolder maps{L"list-maps"};
    const std::wstring exe = app.text() + L"\\qrvl.exe";
    const std::wstring cache = app.text() + L"\\qrvl-maps.cache";
    const std::wstring plain = maps.text() + L"\\a.scm";
    const std::wstring korean = maps.text() + L"\\\uc9c0\ub3c4.scx";
    const std::wstring broken = maps.text() + L"\\broken.scx";
};

TEST_F(ListCommandE2E, ListsEveryMapWithItsTitleAsTheGameShowsIt) {
    EXPECT_EQ(list(), expected("Lost Temple\t4\t64\t96\tJungle\t"));
}

TEST_F(ListCommandE2E, ASecondRunOpensNoMapAndAChangedMapIsReadAgain) {
    const std::string first = list();
    ASSERT_TRUE(std::filesystem::exists(cache));
    // The same size and last write, other bytes: only a run that opened the map would notice.
    const FILETIME written = lastWrite(plain);
    const std::string bytes = gui_test::fileBytes(plain);
    writeFile(plain, std::string(bytes.size(), 'x'));
    setLastWrite(plain, written);
    EXPECT_EQ(list(), first);

    FILETIME later = written;
    later.dwHighDateTime += 1;
    setLastWrite(plain, later);
    EXPECT_EQ(list(), expected("\t\t\t\t\t\tnot a map archive"));
}

TEST_F(ListCommandE2E, ADamagedCacheIsIgnoredAndWrittenAnew) {
    const std::string first = list();
    const std::string sound = gui_test::fileBytes(cache);
    for (const std::string& damaged : {std::string("QRVLMAPC"), sound.substr(0, sound.size() / 2),
                                       std::string(sound.size(), '\0')}) {
        writeFile(cache, damaged);
        EXPECT_EQ(list(), first);
        EXPECT_EQ(gui_test::fileBytes(cache).substr(0, 8), "QRVLMAPC");
    }
}

}  // namespace
}  // namespace qrvl
