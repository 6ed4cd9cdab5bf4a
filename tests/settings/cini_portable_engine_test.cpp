// CINI over the portable INI engine: the program's settings file as kernel32 would write it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

#include "settings/cini.h"
#include "settings/portable_profile_engine.h"

namespace qrvl {
namespace {

namespace fs = std::filesystem;

class CiniOverPortableEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("qrvl-cini-engine-") + info->name());
        fs::remove_all(folder);
        ASSERT_TRUE(fs::create_directories(folder));
        ini.path((folder / "config.ini").wstring());
        ini.Section(L"QRVL");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void set(const std::wstring& key, const std::wstring& value) {
        ini.Key(key);
        ini.Value(value);
        EXPECT_TRUE(ini.Success());
    }

    std::string configBytes() const {
        std::ifstream in(folder / "config.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
    CINI ini{std::make_shared<PortableProfileEngine>()};
};

TEST_F(CiniOverPortableEngine, ProgramSettingsFileHasTheBytesKernel32Writes) {
    set(L"scm", L"yes");
    set(L"scx", L"yes");
    set(L"path", L"C:\\Games\\Starcraft\\Maps");
    set(L"scx", L"no");
    // What kernel32 (as Wine implements it) writes for the same four calls.
    EXPECT_EQ(configBytes(), "[QRVL]\r\nscm=yes\r\nscx=no\r\npath=C:\\Games\\Starcraft\\Maps\r\n");
    ini.Key(L"path");
    EXPECT_EQ(ini.Value(), L"C:\\Games\\Starcraft\\Maps");
}

TEST_F(CiniOverPortableEngine, LongValuesAndListsComeBackWhole) {
    const std::wstring value = std::wstring(299, L'v') + L'!';
    set(L"long", value);
    ini.Key(L"long");
    EXPECT_EQ(ini.Value(), value);

    std::wstring expected;
    ini.Section(L"many");
    for (int i = 0; i < 500; ++i) {
        std::wstring key = L"key" + std::to_wstring(100000 + i);
        key.resize(20, L'_');
        expected += key + L'\0';
        set(key, L"1");
    }
    EXPECT_EQ(ini.INISection(), expected);
    NameArray names;
    std::int32_t count = 0;
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names.Item(2), L"many");
}

}  // namespace
}  // namespace qrvl
