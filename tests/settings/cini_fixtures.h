// CINI test fixtures: over the in-memory profile store, and over a real engine and file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "settings/cini.h"
#include "settings/profile_api.h"
#include "tests/scratch_folder.h"
#include "tests/settings/fake_profile_api.h"

namespace qrvl::test {

// CINI over the in-memory profile store, already pointed at a file and a section.
class CiniFakeTest : public ::testing::Test {
  protected:
    CiniFakeTest(const wchar_t* path, const wchar_t* section) {
        ini.path(path);
        ini.Section(section);
    }

    std::shared_ptr<FakeProfileApi> api = std::make_shared<FakeProfileApi>();
    CINI ini{api};
};

// CINI over a real engine and a settings file in a fresh folder of its own.
class CiniFileTest : public ::testing::Test {
  protected:
    explicit CiniFileTest(std::shared_ptr<ProfileApi> api) : ini(std::move(api)) {}

    void SetUp() override {
        ini.path((folder / "config.ini").wstring());
        ini.Section(L"QRVL");
    }

    void set(const std::wstring& key, const std::wstring& value) {
        ini.Key(key);
        ini.Value(value);
        EXPECT_TRUE(ini.Success()) << "writing " << std::filesystem::path(key).string();
    }

    std::string configBytes() const { return readBytes(folder / "config.ini"); }

    // A value of 300 characters, and 500 keys of 20 characters: more than one first read of a
    // value or of a list can hold.
    void expectLongValuesAndListsComeBackWhole() {
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
        ini.EnumerateCurrentSection(names, count);
        EXPECT_EQ(count, 500);
        ini.EnumerateAllSections(names, count);
        EXPECT_EQ(count, 2);
        EXPECT_EQ(names.Item(2), L"many");
    }

    // One folder per test, so a test never sees a file another one left behind.
    const ScratchFolder scratch{L"cini"};
    const std::filesystem::path folder = scratch.path();
    CINI ini;
};

}  // namespace qrvl::test
