// Registry fixtures as .reg text: loaded and saved through each registry implementation alike.
#include <gtest/gtest.h>

#include <string>

#include "registry/portable_registry_text.h"
#include "tests/registry/registry_contract_fixture.h"

namespace qrvl::reg::contract {
namespace {

class RegistryText : public RegistryContract {
  protected:
    std::string keyLine(const std::string& below = "") const {
        return "[HKEY_CURRENT_USER\\" + basePath + below + "]\n";
    }
};

TEST_P(RegistryText, AFixtureCreatesItsKeysWithExactlyTheBytesListed) {
    const std::string text = "REGEDIT4\n; the game's key\n" + keyLine("\\Starcraft") +
                             "\"Recent Maps\"=hex(7):61,00,62,00,00\n"
                             "@=\"the \\\"default\\\" C:\\\\\"\r\n"
                             "\"Count\"=dword:0000012c\n"
                             "\"Raw\"=hex:0a,ff,\\\n"
                             "  03\n"
                             "\"Empty\"=hex(0):\n"
                             "\n[HKCU\\" +
                             basePath + "\\Other\\Deep]\n";
    std::string error;
    ASSERT_TRUE(loadRegistryText(*api, text, &error)) << error;

    Handle game;
    ASSERT_EQ(open("Starcraft", kKeyRead, &game), kSuccess);
    std::uint32_t type = 0;
    EXPECT_EQ(query(game, "Recent Maps", &type), bytesOf(std::string("a\0b\0\0", 5)));
    EXPECT_EQ(type, kTypeMultiSz);
    EXPECT_EQ(query(game, "", &type), bytesOf(std::string("the \"default\" C:\\\0", 18)));
    EXPECT_EQ(type, kTypeSz);
    EXPECT_EQ(query(game, "Count", &type), (Bytes{0x2c, 0x01, 0, 0}));
    EXPECT_EQ(type, kTypeDword);
    EXPECT_EQ(query(game, "Raw", &type), (Bytes{0x0a, 0xff, 0x03}));
    EXPECT_EQ(type, kTypeBinary);
    EXPECT_TRUE(query(game, "Empty", &type).empty());
    EXPECT_EQ(type, kTypeNone);
    api->RegCloseKey(game);
    Handle deep;
    ASSERT_EQ(open("Other\\Deep", kKeyRead, &deep), kSuccess);
    api->RegCloseKey(deep);
}

TEST_P(RegistryText, SavedTextLoadsBackToTheSameKeysAndBytes) {
    Handle key = create("Saved\\Child");
    set(key, "text", kTypeSz, bytesOf(std::string("plain\0", 6)));
    set(key, "unterminated", kTypeSz, bytesOf("abc"));
    set(key, "quote\"and\\slash", kTypeExpandSz, bytesOf(std::string("%PATH%\0", 7)));
    set(key, "dword", kTypeDword, {1, 2, 3, 4});
    set(key, "short dword", kTypeDword, {1, 2});
    set(key, "high", 0x12345, bytesOf("xyz"));
    set(key, "empty", kTypeBinary, {});
    set(key, "", kTypeMultiSz, bytesOf(std::string("a\0b\0\0", 5)));
    api->RegCloseKey(key);
    api->RegCloseKey(create("Saved\\Empty"));

    const std::string saved = saveRegistryText(*api, kCurrentUser, basePath + "\\Saved\\");
    ASSERT_FALSE(saved.empty());
    deleteTree(base);
    ASSERT_TRUE(subKeys(base).empty());
    std::string error;
    ASSERT_TRUE(loadRegistryText(*api, saved, &error)) << error << "\n" << saved;
    EXPECT_EQ(saveRegistryText(*api, kCurrentUser, basePath + "\\Saved"), saved);
    EXPECT_NE(saved.find("\"text\"=\"plain\"\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"dword\"=dword:04030201\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"unterminated\"=hex(1):61,62,63\n"), std::string::npos) << saved;
}

TEST_P(RegistryText, ABadLineIsReportedByItsNumberAndTheRestStillLoads) {
    struct Case {
        std::string line;
        const char* why;
    };
    const Case cases[] = {
        {"[HKEY_NOWHERE\\x]", "unknown root key"},
        {"[HKEY_CURRENT_USER\\x", "must end in ]"},
        {"name=\"x\"", "must begin with @ or a quoted name"},
        {"\"v\"=dword:123", "data cannot be read"},
        {"\"v\"=hex:0g", "data cannot be read"},
        {"\"v\"=hex:01,", "data cannot be read"},
        {"\"v\"=hex(zz):01", "data cannot be read"},
        {"\"v\"=\"unclosed", "data cannot be read"},
        {"\"v\"=text", "data cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string error;
        EXPECT_FALSE(loadRegistryText(*api, keyLine() + c.line + "\n\"after\"=\"ok\"\n", &error));
        EXPECT_NE(error.find("line 2: "), std::string::npos) << error;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(loadRegistryText(*api, "\"v\"=\"x\"\n", &error));
    EXPECT_EQ(error, "line 1: a value outside any key");
    EXPECT_EQ(query(base, "after"), bytesOf(std::string("ok\0", 3)));
}

INSTANTIATE_TEST_SUITE_P(Implementations, RegistryText, ::testing::ValuesIn(apiFactories()),
                         [](const ::testing::TestParamInfo<ApiFactory>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace qrvl::reg::contract
