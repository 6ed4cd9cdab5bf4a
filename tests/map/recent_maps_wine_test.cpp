// The whole update on Windows: a maps tree on disk and the game's real key in the registry.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "map/recent_maps.h"
#include "registry/registry_api.h"
#include "tests/map/registry_fixture.h"
#include "tests/registry/recording_registry.h"

namespace fs = std::filesystem;

namespace qrvl {
namespace {

const char kParentKey[] = "software\\Blizzard Entertainment";

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

// Reads "Recent Maps" straight through advapi32, without the program's classes.
std::optional<RawValue> readRaw() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, test::kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    RawValue value;
    DWORD size = 0;
    std::optional<RawValue> result;
    if (RegQueryValueExA(key, "Recent Maps", nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::vector<char> data(size + 2);
        if (RegQueryValueExA(key, "Recent Maps", nullptr, &value.type,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
            value.bytes.assign(data.data(), size);
            result = value;
        }
    }
    RegCloseKey(key);
    return result;
}

bool keyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, test::kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::vector<std::string> entriesOf(const std::string& bytes) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < bytes.size() && bytes[start] != '\0') {
        const std::size_t end = bytes.find('\0', start);
        entries.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::set<std::string> pathsOf(const MapCollection& col) {
    std::set<std::string> out;
    for (std::int32_t i = 1; i <= col.Count(); ++i) {
        out.insert(fs::path(col.Item(i)).string());
    }
    return out;
}

class GameRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("qrvl-e2e-" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (const char* file : {"a.scm", "b.scx", "notes.txt", "UPPER.SCX", "one/c.scm",
                                 "one/two/d.scx", "one/two/e.scm", "three/f.scx"}) {
            const fs::path path = root_ / file;
            fs::create_directories(path.parent_path());
            std::ofstream(path).put('x');
        }
        catalogue_.rebuildCatalogue(root_.wstring());
        ASSERT_EQ(catalogue_.allMaps().Count(), 6);

        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, test::kGameKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueA(key, "Recent Maps");
        RegCloseKey(key);
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, test::kGameKey);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_;
    Catalogue catalogue_;
    std::shared_ptr<test::RecordingRegistry> api_ =
        std::make_shared<test::RecordingRegistry>(reg::systemRegistryApi());
    RecentMapsUpdate update_{api_};
};

TEST_F(GameRegistry, SuccessiveUpdatesPushOlderPicksDownAndKeepFive) {
    ASSERT_FALSE(readRaw().has_value());
    const std::set<std::string> all = pathsOf(catalogue_.allMaps());
    std::vector<std::string> previous;
    for (int i = 0; i < 9; ++i) {
        update_.chooseList(true, true, catalogue_);
        const auto raw = readRaw();
        ASSERT_TRUE(raw.has_value()) << i;
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_MULTI_SZ));
        // Read back, the value is byte for byte what the update handed to the registry.
        EXPECT_EQ(api_->writtenType, static_cast<std::uint32_t>(REG_MULTI_SZ));
        EXPECT_EQ(raw->bytes, api_->writtenBytes);

        const std::vector<std::string> entries = entriesOf(raw->bytes);
        ASSERT_FALSE(entries.empty());
        EXPECT_TRUE(all.count(entries.front())) << entries.front();
        std::vector<std::string> expected{entries.front()};
        for (std::size_t k = 0; k < previous.size() && k < 4; ++k) {
            expected.push_back(previous[k]);
        }
        EXPECT_EQ(entries, expected);
        EXPECT_EQ(raw->bytes, test::multiString(expected));
        previous = entries;
    }
    EXPECT_EQ(previous.size(), 5u);
}

TEST_F(GameRegistry, AMissingKeyIsNeitherWrittenNorCreated) {
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, test::kGameKey), ERROR_SUCCESS);
    ASSERT_FALSE(keyExists());

    update_.chooseList(true, true, catalogue_);
    update_.chooseList(true, false, catalogue_);

    EXPECT_EQ(api_->writes, 0);
    EXPECT_FALSE(keyExists());
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kParentKey, 0, KEY_READ, &parent), ERROR_SUCCESS);
    DWORD subKeys = 99;
    RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(parent);
    EXPECT_EQ(subKeys, 0u);
}

TEST_F(GameRegistry, TheTickedBoxesDecideWhichMapsArePicked) {
    struct Case {
        bool scm;
        bool scx;
        std::set<std::string> allowed;  // empty: nothing is written
    };
    const Case cases[] = {
        {true, false, pathsOf(catalogue_.scmMaps())},
        {false, true, pathsOf(catalogue_.scxMaps())},
        {true, true, pathsOf(catalogue_.allMaps())},
        {false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scm) + "/" + std::to_string(c.scx));
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, test::kGameKey, 0, KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        RegDeleteValueA(key, "Recent Maps");
        RegCloseKey(key);

        std::set<std::string> picked;
        for (int i = 0; i < 40; ++i) {
            update_.chooseList(c.scm, c.scx, catalogue_);
            if (const auto raw = readRaw()) {
                picked.insert(entriesOf(raw->bytes).front());
            }
        }
        if (c.allowed.empty()) {
            EXPECT_FALSE(readRaw().has_value());
        } else {
            for (const std::string& path : picked) {
                EXPECT_TRUE(c.allowed.count(path)) << path;
            }
            // Forty draws over at most six maps reach more than one of them.
            EXPECT_GT(picked.size(), 1u);
        }
    }
}

}  // namespace
}  // namespace qrvl
