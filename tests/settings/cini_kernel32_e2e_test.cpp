// CINI over kernel32's own profile calls: the settings file comes out as Windows writes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

#include "settings/cini.h"
#include "settings/profile_api_win32.h"
#include "tests/settings/cini_fixtures.h"
#include "tests/settings/fake_form_window.h"

namespace qrvl {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

std::string kernel32Read(const char* section, const char* key, const fs::path& file) {
    char buffer[1024] = {};
    const DWORD n = ::GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer,
                                               file.string().c_str());
    return std::string(buffer, n);
}

class CiniOverKernel32 : public test::CiniFileTest {
  protected:
    CiniOverKernel32() : CiniFileTest(std::make_shared<Win32ProfileApi>()) {}
};

TEST_F(CiniOverKernel32, ProgramSettingsFileMatchesWhatKernel32WritesItself) {
    set(L"scm", L"yes");
    set(L"scx", L"yes");
    set(L"path", L"C:\\Games\\Starcraft\\Maps");
    set(L"scx", L"no");

    const fs::path reference = folder / "reference.ini";
    const std::string ref = reference.string();
    ::WritePrivateProfileStringA("QRVL", "scm", "yes", ref.c_str());
    ::WritePrivateProfileStringA("QRVL", "scx", "yes", ref.c_str());
    ::WritePrivateProfileStringA("QRVL", "path", "C:\\Games\\Starcraft\\Maps", ref.c_str());
    ::WritePrivateProfileStringA("QRVL", "scx", "no", ref.c_str());

    const fs::path config = folder / "config.ini";
    ASSERT_FALSE(readBytes(config).empty());
    EXPECT_EQ(readBytes(config), readBytes(reference));

    EXPECT_EQ(kernel32Read("QRVL", "path", config), "C:\\Games\\Starcraft\\Maps");
    EXPECT_EQ(kernel32Read("QRVL", "scm", config), "yes");
    EXPECT_EQ(kernel32Read("QRVL", "scx", config), "no");

    ini.Key(L"path");
    EXPECT_EQ(ini.Value(), L"C:\\Games\\Starcraft\\Maps");
    EXPECT_EQ(ini.INISection(), std::wstring(L"scm\0scx\0path\0", 13));
    EXPECT_EQ(ini.Sections(), std::wstring(L"QRVL\0", 5));
}

TEST_F(CiniOverKernel32, MissingFileReadsAsDefaultAndEnumeratesNothing) {
    ini.Key(L"path");
    EXPECT_EQ(ini.Value(), L"");
    ini.Default(L"fallback");
    EXPECT_EQ(ini.Value(), L"fallback");
    NameArray names;
    std::int32_t count = -1;
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 0);
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(fs::exists(folder / "config.ini"));
}

TEST_F(CiniOverKernel32, LongValuesAndLongListsComeBackWhole) {
    expectLongValuesAndListsComeBackWhole();
}

TEST_F(CiniOverKernel32, DeletesRemoveKeysAndSections) {
    set(L"scm", L"yes");
    set(L"scx", L"yes");
    ini.Key(L"scm");
    ini.DeleteKey();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.INISection(), std::wstring(L"scx\0", 4));
    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.Sections(), L"");
}

TEST_F(CiniOverKernel32, FieldsComeBackAsTheAnsiCodePageRendersThem) {
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "written for the Western European code page";
    }
    ini.Section(L"QRVL \u3042");  // not in code page 1252
    ini.Key(L"caf\u00e9");
    ini.Value(L"\u00e9t\u00e9");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.Section(), L"QRVL ?");
    EXPECT_EQ(ini.Key(), L"caf\u00e9");
    EXPECT_EQ(ini.Value(), L"\u00e9t\u00e9");
    EXPECT_EQ(kernel32Read("QRVL ?", "caf\xE9", folder / "config.ini"), "\xE9t\xE9");
}

TEST_F(CiniOverKernel32, WriteToAMissingFolderFails) {
    ini.path(folder.wstring() + L"\\no such folder\\config.ini");
    ini.Key(L"scm");
    ini.Value(L"yes");
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_FALSE(ini.Success());
}

TEST_F(CiniOverKernel32, WindowPlacementRoundTripsThroughTheFile) {
    test::FakeWindow saved;
    saved.left = 2000, saved.top = 1500, saved.width = 6000, saved.height = 4500;
    ini.SaveFormPosition(saved);
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(kernel32Read("QRVL", "Width", folder / "config.ini"), "6000");

    test::FakeWindow restored;
    ini.LoadFormPosition(restored);
    ASSERT_EQ(restored.moves.size(), 1u);
    EXPECT_EQ(restored.moves[0], (test::Rect{2000, 1500, 6000, 4500}));
}

}  // namespace
}  // namespace qrvl
