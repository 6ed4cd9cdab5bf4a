// The registry seam's contract: every implementation must answer these calls as Windows does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "registry/registry_api.h"
#include "tests/registry/registry_contract_factories.h"
#include "tests/registry/registry_contract_fixture.h"

namespace qrvl::reg::contract {
namespace {

// --- Names and paths ---

TEST_P(RegistryContract, KeyNamesMatchWithoutCaseAndKeepTheCaseTheyWereCreatedWith) {
    std::uint32_t disposition = 0;
    api->RegCloseKey(create("MiXed Case", kKeyAllAccess, &disposition));
    EXPECT_EQ(disposition, 1u);
    api->RegCloseKey(create("mixed CASE", kKeyAllAccess, &disposition));
    EXPECT_EQ(disposition, 2u);
    Handle h;
    ASSERT_EQ(open("MIXED case", kKeyRead, &h), kSuccess);
    api->RegCloseKey(h);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{"MiXed Case"});

    // Letters beyond ASCII match without case too.
    const std::string upper = api->codec().encode(L"\u00C9t\u00C9");
    const std::string lower = api->codec().encode(L"\u00E9t\u00E9");
    api->RegCloseKey(create(upper));
    ASSERT_EQ(open(lower, kKeyRead, &h), kSuccess);
    api->RegCloseKey(h);
}

TEST_P(RegistryContract, ValueNamesMatchWithoutCaseAndKeepTheFirstSpelling) {
    set(base, "VaL", kTypeDword, {1, 0, 0, 0});
    set(base, "val", kTypeDword, {2, 0, 0, 0});
    EXPECT_EQ(valueNames(base), std::vector<std::string>{"VaL"});
    EXPECT_EQ(query(base, "VAL"), (Bytes{2, 0, 0, 0}));
    // A backslash in a value name is part of the name, not a path.
    set(base, "x\\y", kTypeSz, bytesOf("z"));
    EXPECT_EQ(query(base, "X\\Y"), bytesOf("z"));
    EXPECT_TRUE(subKeys(base).empty());
}

TEST_P(RegistryContract, ATrailingBackslashNamesTheSameKey) {
    std::uint32_t disposition = 0;
    api->RegCloseKey(create("Sub\\", kKeyAllAccess, &disposition));
    EXPECT_EQ(disposition, 1u);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{"Sub"});

    Handle h;
    ASSERT_EQ(open("sub\\", kKeyAllAccess, &h), kSuccess);
    set(h, "v", kTypeSz, bytesOf("in sub"));
    api->RegCloseKey(h);
    ASSERT_EQ(open("Sub", kKeyRead, &h), kSuccess);
    EXPECT_EQ(query(h, "v"), bytesOf("in sub"));
    api->RegCloseKey(h);

    api->RegCloseKey(create("Sub\\Deeper"));
    ASSERT_EQ(open("Sub\\Deeper\\", kKeyRead, &h), kSuccess);
    api->RegCloseKey(h);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Sub\\Deeper\\"), kSuccess);
    EXPECT_EQ(subKeys(base), std::vector<std::string>{"Sub"});
}

TEST_P(RegistryContract, APathThatBeginsWithABackslashIsABadPathName) {
    for (const char* path : {"\\", "\\Sub"}) {
        for (Handle parent : {base, kCurrentUser}) {
            Handle h = kUntouched;
            EXPECT_EQ(api->RegOpenKeyExA(parent, path, 0, kKeyRead, &h), kBadPathName) << path;
            EXPECT_EQ(h, 0) << path;
            h = kUntouched;
            EXPECT_EQ(
                api->RegCreateKeyExA(parent, path, 0, "", 0, kKeyAllAccess, &security, &h, nullptr),
                kBadPathName)
                << path;
        }
    }
    EXPECT_TRUE(subKeys(base).empty());
}

TEST_P(RegistryContract, OverlongPathsAndNamesAreRefused) {
    struct Case {
        const char* label;
        std::string path;
        std::int32_t rc;
    };
    const Case cases[] = {
        {"a path of 261", std::string(100, 'a') + "\\" + std::string(160, 'b'), kMoreData},
        {"a name of 257", std::string(257, 'k'), kInvalidParameter},
        {"a name of 257 below a parent", "a\\" + std::string(257, 'k'), kInvalidParameter},
        {"a path of 260", std::string(100, 'a') + "\\" + std::string(159, 'b'), kSuccess},
        {"a name of 256", std::string(256, 'k') + "\\", kSuccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Handle h = kUntouched;
        const std::int32_t created = api->RegCreateKeyExA(base, c.path.c_str(), 0, "", 0,
                                                          kKeyAllAccess, &security, &h, nullptr);
        EXPECT_EQ(created, c.rc);
        if (created == kSuccess) {
            api->RegCloseKey(h);
        }
        EXPECT_EQ(open(c.path, kKeyRead, &h), c.rc);
        if (c.rc == kSuccess) {
            api->RegCloseKey(h);
        } else {
            EXPECT_EQ(h, c.rc == kMoreData ? kUntouched : 0) << "234 leaves the handle alone";
        }
        EXPECT_EQ(api->RegDeleteKeyA(base, c.path.c_str()), c.rc);
    }
    const std::uint8_t data[] = {'x', 0};
    EXPECT_EQ(api->RegSetValueExA(base, std::string(16383, 'v').c_str(), 0, kTypeSz, data, 2),
              kSuccess);
    EXPECT_EQ(api->RegSetValueExA(base, std::string(16384, 'v').c_str(), 0, kTypeSz, data, 2),
              kInvalidParameter);
}

TEST_P(RegistryContract, AnEmptyPathOpensTheKeyItself) {
    Handle h = kUntouched;
    ASSERT_EQ(api->RegOpenKeyExA(kCurrentUser, "", 0, kKeyRead, &h), kSuccess);
    EXPECT_EQ(h, kCurrentUser) << "a predefined key comes back as itself";
    h = kUntouched;
    ASSERT_EQ(api->RegOpenKeyExA(kCurrentUser, nullptr, 0, kKeyRead, &h), kSuccess);
    EXPECT_EQ(h, kCurrentUser);

    set(base, "v", kTypeSz, bytesOf("here"));
    ASSERT_EQ(open("", kKeyRead, &h), kSuccess);
    EXPECT_NE(h, base) << "an opened key gets a handle of its own";
    EXPECT_EQ(query(h, "v"), bytesOf("here"));
    EXPECT_EQ(api->RegCloseKey(h), kSuccess);
    EXPECT_EQ(query(base, "v"), bytesOf("here"));
}

// --- Handles ---

TEST_P(RegistryContract, HandleZeroIsInvalidForEveryCall) {
    Handle h = kUntouched;
    EXPECT_EQ(api->RegOpenKeyExA(0, "Software", 0, kKeyRead, &h), kInvalidHandle);
    EXPECT_EQ(api->RegOpenKeyExA(0, "\\", 0, kKeyRead, &h), kInvalidHandle);
    EXPECT_EQ(api->RegOpenKeyExA(0, "", 0, kKeyRead, &h), kInvalidHandle);
    EXPECT_EQ(h, kUntouched);
    std::uint32_t type = 99;
    std::uint32_t size = 10;
    std::uint8_t data[10];
    EXPECT_EQ(api->RegQueryValueExA(0, "x", nullptr, &type, data, &size), kInvalidHandle);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(api->RegSetValueExA(0, "x", 0, kTypeSz, data, 1), kInvalidHandle);
    EXPECT_EQ(api->RegCreateKeyExA(0, "a", 0, "", 0, kKeyAllAccess, &security, &h, nullptr),
              kInvalidHandle);
    EXPECT_EQ(api->RegDeleteKeyA(0, "a"), kInvalidHandle);
    EXPECT_EQ(api->RegDeleteValueA(0, "a"), kInvalidHandle);
    char name[10];
    std::uint32_t length = sizeof name;
    EXPECT_EQ(api->RegEnumKeyExA(0, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kInvalidHandle);
    EXPECT_EQ(api->RegEnumValueA(0, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kInvalidHandle);
    EXPECT_EQ(api->RegCloseKey(0), kInvalidHandle);
}

TEST_P(RegistryContract, AClosedHandleIsInvalidAndClosingARootKeyDoesNothing) {
    Handle h;
    ASSERT_EQ(open("", kKeyAllAccess, &h), kSuccess);
    EXPECT_EQ(api->RegCloseKey(h), kSuccess);
    EXPECT_EQ(api->RegCloseKey(h), kInvalidHandle);
    std::uint32_t type = 99;
    std::uint32_t size = 0;
    EXPECT_EQ(api->RegQueryValueExA(h, "x", nullptr, &type, nullptr, &size), kInvalidHandle);
    EXPECT_EQ(type, 0u) << "the type is cleared before the handle is looked at";
    EXPECT_EQ(api->RegSetValueExA(h, "x", 0, kTypeBinary, nullptr, 0), kInvalidHandle);

    EXPECT_EQ(api->RegCloseKey(kCurrentUser), kSuccess);
    Handle again;
    EXPECT_EQ(open(basePath, kKeyRead, &again, kCurrentUser), kSuccess);
    api->RegCloseKey(again);
}

TEST_P(RegistryContract, AHandleKeepsTheAccessItWasOpenedWith) {
    set(base, "v", kTypeSz, bytesOf("x"));
    api->RegCloseKey(create("Child"));
    Handle reader;
    Handle writer;
    Handle none;
    ASSERT_EQ(open("", kKeyRead, &reader), kSuccess);
    ASSERT_EQ(open("", kKeyWrite, &writer), kSuccess);
    ASSERT_EQ(open("", 0, &none), kSuccess);
    const std::uint8_t one[] = {'y', 'X'};
    std::uint8_t data[16];
    std::uint32_t size = sizeof data;
    char name[16];
    std::uint32_t length = sizeof name;

    EXPECT_EQ(api->RegSetValueExA(reader, "v", 0, kTypeSz, one, 1), kAccessDenied);
    EXPECT_EQ(api->RegDeleteValueA(reader, "v"), kAccessDenied);
    EXPECT_EQ(api->RegQueryValueExA(reader, "v", nullptr, nullptr, data, &size), kSuccess);
    EXPECT_EQ(api->RegEnumKeyExA(reader, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    // Sub-keys are made and removed without any right on the parent.
    Handle made = 0;
    EXPECT_EQ(
        api->RegCreateKeyExA(reader, "Made", 0, "", 0, kKeyAllAccess, &security, &made, nullptr),
        kSuccess);
    api->RegCloseKey(made);
    EXPECT_EQ(api->RegDeleteKeyA(reader, "Made"), kSuccess);

    size = sizeof data;
    length = sizeof name;
    EXPECT_EQ(api->RegQueryValueExA(writer, "v", nullptr, nullptr, data, &size), kAccessDenied);
    EXPECT_EQ(api->RegEnumValueA(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kAccessDenied);
    EXPECT_EQ(api->RegEnumKeyExA(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kAccessDenied);
    EXPECT_EQ(api->RegSetValueExA(writer, "w", 0, kTypeSz, one, 1), kSuccess);
    EXPECT_EQ(api->RegDeleteValueA(writer, "w"), kSuccess);

    size = sizeof data;
    EXPECT_EQ(api->RegQueryValueExA(none, "v", nullptr, nullptr, data, &size), kAccessDenied);

    Handle created = create("ReadOnly", kKeyRead);
    EXPECT_EQ(api->RegSetValueExA(created, "v", 0, kTypeSz, one, 1), kAccessDenied);
    for (Handle h : {reader, writer, none, created}) {
        EXPECT_EQ(api->RegCloseKey(h), kSuccess);
    }
}

// --- Missing keys and values ---

TEST_P(RegistryContract, MissingKeysAndValuesGiveFileNotFound) {
    Handle h;
    EXPECT_EQ(open("Missing", kKeyRead, &h), kFileNotFound);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(open("Missing\\Deeper", kKeyRead, &h), kFileNotFound);

    std::uint32_t type = 99;
    std::uint32_t size = 8;
    std::uint8_t data[8] = {};
    EXPECT_EQ(api->RegQueryValueExA(base, "missing", nullptr, &type, data, &size), kFileNotFound);
    EXPECT_EQ(type, 0u);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(api->RegDeleteValueA(base, "missing"), kFileNotFound);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Missing"), kFileNotFound);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Missing\\Deeper"), kFileNotFound);

    set(base, "once", kTypeSz, bytesOf("x"));
    EXPECT_EQ(api->RegDeleteValueA(base, "ONCE"), kSuccess);
    EXPECT_EQ(api->RegDeleteValueA(base, "once"), kFileNotFound);
}

// --- Reading sizes ---

TEST_P(RegistryContract, AShortBufferGivesMoreDataWithTheNeededSizeAndIsLeftAlone) {
    set(base, "bin", kTypeBinary, {1, 2, 3, 4, 5, 6});
    set(base, "text", kTypeSz, bytesOf(std::string("hello", 6)));

    struct Case {
        const char* name;
        std::uint32_t capacity;
        std::int32_t rc;
    };
    for (const Case& c :
         {Case{"bin", 3, kMoreData}, Case{"bin", 0, kMoreData}, Case{"bin", 6, kSuccess},
          Case{"text", 5, kMoreData}, Case{"text", 6, kSuccess}}) {
        Bytes buffer(8, '#');
        std::uint32_t type = 99;
        std::uint32_t size = c.capacity;
        EXPECT_EQ(api->RegQueryValueExA(base, c.name, nullptr, &type, buffer.data(), &size), c.rc)
            << c.name << " " << c.capacity;
        EXPECT_EQ(size, 6u);
        EXPECT_EQ(type, std::string(c.name) == "bin" ? kTypeBinary : kTypeSz);
        if (c.rc == kMoreData) {
            EXPECT_EQ(buffer, Bytes(8, '#')) << c.name << " " << c.capacity;
        }
    }

    std::uint32_t type = 99;
    std::uint32_t size = 0;
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", nullptr, &type, nullptr, &size), kSuccess);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", nullptr, &type, nullptr, nullptr), kSuccess);
    std::uint8_t data[8];
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", nullptr, &type, data, nullptr), kInvalidParameter);
    std::uint32_t reserved = 0;
    size = sizeof data;
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", &reserved, &type, data, &size), kInvalidParameter);
}

TEST_P(RegistryContract, AValueOfThreeThousandBytesNeedsASecondQuery) {
    const std::string big(2999, 'q');
    set(base, "big", kTypeSz, bytesOf(big + '\0'));
    Bytes buffer(1024);
    std::uint32_t size = 1024;
    std::uint32_t type = 0;
    EXPECT_EQ(api->RegQueryValueExA(base, "big", nullptr, &type, buffer.data(), &size), kMoreData);
    EXPECT_EQ(size, 3000u);
    buffer.resize(size);
    EXPECT_EQ(api->RegQueryValueExA(base, "big", nullptr, &type, buffer.data(), &size), kSuccess);
    EXPECT_EQ(buffer, bytesOf(big + '\0'));
}

// --- Exact bytes ---

struct StoredValue {
    const char* label;
    std::uint32_t type;
    std::string bytes;
};

TEST_P(RegistryContract, EveryTypeKeepsExactlyTheBytesGiven) {
    const StoredValue values[] = {
        {"none empty", kTypeNone, ""},
        {"none", kTypeNone, "xy"},
        {"text without NUL", kTypeSz, "abc"},
        {"text with NUL", kTypeSz, std::string("abc", 4)},
        {"text empty", kTypeSz, ""},
        {"text NUL inside", kTypeSz, std::string("a\0b", 3)},
        {"text one NUL", kTypeSz, std::string(1, '\0')},
        {"expandable", kTypeExpandSz, "%PATH%;x"},
        {"binary", kTypeBinary, std::string("\x00\xFF\x10\x80", 4)},
        {"binary empty", kTypeBinary, ""},
        {"dword", kTypeDword, std::string("\x01\x02\x03\x04", 4)},
        {"dword short", kTypeDword, std::string("\x01\x02", 2)},
        {"dword big endian", kTypeDwordBigEndian, std::string("\x00\x00\x00\x01", 4)},
        {"link", kTypeLink, "link"},
        {"multi", kTypeMultiSz, std::string("a\0b\0\0", 5)},
        {"multi unterminated", kTypeMultiSz, std::string("a\0b", 3)},
        {"multi empty", kTypeMultiSz, ""},
        {"high type", 0x12345, "xyz"},
        {"high type empty", 0xFFFFFFFF, ""},
    };
    for (const StoredValue& v : values) {
        set(base, v.label, v.type, bytesOf(v.bytes));
    }
    for (const StoredValue& v : values) {
        SCOPED_TRACE(v.label);
        Bytes buffer(v.bytes.size() + 4, '#');
        std::uint32_t type = 99;
        auto size = static_cast<std::uint32_t>(buffer.size());
        ASSERT_EQ(api->RegQueryValueExA(base, v.label, nullptr, &type, buffer.data(), &size),
                  kSuccess);
        EXPECT_EQ(type, v.type);
        ASSERT_EQ(size, v.bytes.size());
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), bytesOf(v.bytes));
        // Text that does not end in NUL gets one after it when there is room; nothing else
        // is written past the data.
        const bool textType =
            v.type == kTypeSz || v.type == kTypeExpandSz || v.type == kTypeMultiSz;
        const bool terminated = !v.bytes.empty() && textType && v.bytes.back() != '\0';
        EXPECT_EQ(buffer[size], terminated ? 0 : '#');
        EXPECT_EQ(buffer[size + 1], '#');
    }
    // Listing gives the same type and bytes.
    for (std::uint32_t i = 0;; ++i) {
        char name[64];
        std::uint32_t length = sizeof name;
        Bytes buffer(64, '#');
        std::uint32_t type = 99;
        std::uint32_t size = 64;
        const std::int32_t rc =
            api->RegEnumValueA(base, i, name, &length, nullptr, &type, buffer.data(), &size);
        if (rc == kNoMoreItems) {
            EXPECT_EQ(i, std::size(values));
            break;
        }
        ASSERT_EQ(rc, kSuccess);
        auto match = std::find_if(std::begin(values), std::end(values), [&](const StoredValue& v) {
            return name == std::string(v.label);
        });
        ASSERT_NE(match, std::end(values)) << name;
        EXPECT_EQ(type, match->type) << name;
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), bytesOf(match->bytes)) << name;
    }
}

TEST_P(RegistryContract, WritingWithoutDataStoresNothingOrFailsForANonZeroSize) {
    EXPECT_EQ(api->RegSetValueExA(base, "n", 0, kTypeBinary, nullptr, 3), kBadBuffer);
    std::uint32_t size = 0;
    EXPECT_EQ(api->RegQueryValueExA(base, "n", nullptr, nullptr, nullptr, &size), kFileNotFound);
    EXPECT_EQ(api->RegSetValueExA(base, "n", 0, kTypeSz, nullptr, 0), kSuccess);
    std::uint32_t type = 0;
    EXPECT_TRUE(query(base, "n", &type).empty());
    EXPECT_EQ(type, kTypeSz);
}

// --- Default value ---

TEST_P(RegistryContract, TheDefaultValueHasTheEmptyName) {
    set(base, "", kTypeSz, bytesOf(std::string("dflt", 5)));
    EXPECT_EQ(query(base, nullptr), bytesOf(std::string("dflt", 5)));
    set(base, nullptr, kTypeDword, {7, 0, 0, 0});
    EXPECT_EQ(query(base, ""), (Bytes{7, 0, 0, 0}));

    char name[8] = "#######";
    std::uint32_t length = sizeof name;
    ASSERT_EQ(api->RegEnumValueA(base, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(name[0], '\0');

    EXPECT_EQ(api->RegDeleteValueA(base, ""), kSuccess);
    EXPECT_EQ(api->RegDeleteValueA(base, nullptr), kFileNotFound);
}

// --- Environment expansion ---

struct Expansion {
    const char* source;
    std::uint32_t capacity;
    std::uint32_t result;
    const char* text;  // nullptr: the destination is left alone
};

TEST_P(RegistryContract, ExpansionFollowsTheWindowsResultAndTruncationRules) {
    setEnvironmentVariable("QRVL_CONTRACT_X", "abcdef");
    setEnvironmentVariable("QRVL_CONTRACT_Y", "%QRVL_CONTRACT_X%");
    const Expansion cases[] = {
        {"", 64, 1, ""},
        {"plain", 64, 6, "plain"},
        {"%QRVL_CONTRACT_X%", 64, 7, "abcdef"},
        {"a%QRVL_CONTRACT_X%b", 64, 9, "aabcdefb"},
        {"%qrvl_contract_x%", 64, 7, "abcdef"},
        {"%QRVL_CONTRACT_X%%QRVL_CONTRACT_X%", 64, 13, "abcdefabcdef"},
        {"%QRVL_CONTRACT_NONE%", 64, 21, "%QRVL_CONTRACT_NONE%"},
        {"%", 64, 2, "%"},
        {"%%", 64, 3, "%%"},
        {"50%", 64, 4, "50%"},
        {"%QRVL_CONTRACT_X", 64, 17, "%QRVL_CONTRACT_X"},
        {"%QRVL_CONTRACT_X%%", 64, 8, "abcdef%"},
        // A name that is not set is kept whole, its closing "%" too, and the scan goes on
        // after it.
        {"%%QRVL_CONTRACT_X%%", 64, 20, "%%QRVL_CONTRACT_X%%"},
        {"x%QRVL_CONTRACT_NONE%QRVL_CONTRACT_X%y", 64, 39,
         "x%QRVL_CONTRACT_NONE%QRVL_CONTRACT_X%y"},
        // A value is not expanded again.
        {"%QRVL_CONTRACT_Y%", 64, 18, "%QRVL_CONTRACT_X%"},
        // A short destination takes what fits and a NUL; the result is still the full need.
        {"a%QRVL_CONTRACT_X%b", 0, 9, nullptr},
        {"a%QRVL_CONTRACT_X%b", 1, 9, ""},
        {"a%QRVL_CONTRACT_X%b", 3, 9, "aa"},
        {"a%QRVL_CONTRACT_X%b", 8, 9, "aabcdef"},
        {"a%QRVL_CONTRACT_X%b", 9, 9, "aabcdefb"},
        {"plain", 5, 6, "plai"},
        {"plain", 6, 6, "plain"},
        {"", 1, 1, ""},
    };
    for (const Expansion& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " in " + std::to_string(c.capacity));
        std::string out(64, '#');
        EXPECT_EQ(api->ExpandEnvironmentStringsA(c.source, out.data(), c.capacity), c.result);
        if (c.text == nullptr) {
            EXPECT_EQ(out, std::string(64, '#'));
        } else {
            EXPECT_EQ(out.substr(0, std::strlen(c.text) + 1), std::string(c.text) + '\0');
        }
    }
    EXPECT_EQ(api->ExpandEnvironmentStringsA("abc", nullptr, 0), 4u);
}

// --- Creating and deleting keys ---

TEST_P(RegistryContract, CreateOpensAKeyThatExistsAndMakesMissingParents) {
    std::uint32_t disposition = 0;
    Handle first = create("A\\B\\C", kKeyAllAccess, &disposition);
    EXPECT_EQ(disposition, 1u);
    set(first, "kept", kTypeSz, bytesOf("yes"));
    Handle second = create("a\\b\\c", kKeyAllAccess, &disposition);
    EXPECT_EQ(disposition, 2u);
    EXPECT_NE(second, first);
    EXPECT_EQ(query(second, "kept"), bytesOf("yes"));
    Handle middle;
    EXPECT_EQ(open("A\\B", kKeyRead, &middle), kSuccess);
    api->RegCloseKey(middle);
    api->RegCloseKey(first);
    api->RegCloseKey(second);

    // An empty path gives a new handle to the key itself, reported as created.
    Handle self = create("", kKeyAllAccess, &disposition);
    EXPECT_EQ(disposition, 1u);
    EXPECT_NE(self, base);
    EXPECT_EQ(subKeys(self), std::vector<std::string>{"A"});
    api->RegCloseKey(self);
}

TEST_P(RegistryContract, AKeyWithSubKeysIsNotDeleted) {
    api->RegCloseKey(create("Parent\\Child"));
    EXPECT_EQ(api->RegDeleteKeyA(base, "Parent"), kAccessDenied);
    Handle h;
    ASSERT_EQ(open("Parent\\Child", kKeyRead, &h), kSuccess);
    api->RegCloseKey(h);
    EXPECT_EQ(api->RegDeleteKeyA(base, "parent\\child"), kSuccess);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Parent"), kSuccess);
    EXPECT_TRUE(subKeys(base).empty());
    EXPECT_EQ(api->RegDeleteKeyA(base, nullptr), kInvalidParameter);
    EXPECT_EQ(api->RegDeleteKeyA(base, "\\"), kBadPathName);
    EXPECT_EQ(api->RegDeleteKeyA(kCurrentUser, ""), kAccessDenied);
}

TEST_P(RegistryContract, HandlesToADeletedKeyAnswerKeyDeleted) {
    Handle gone = create("Gone");
    Handle self = create("Self");
    EXPECT_EQ(api->RegDeleteKeyA(base, "Gone"), kSuccess);
    EXPECT_EQ(api->RegDeleteKeyA(self, ""), kSuccess) << "an empty path deletes the key itself";
    EXPECT_TRUE(subKeys(base).empty());

    for (Handle h : {gone, self}) {
        std::uint32_t size = 0;
        EXPECT_EQ(api->RegQueryValueExA(h, "x", nullptr, nullptr, nullptr, &size), kKeyDeleted);
        const std::uint8_t one[] = {'a', 'X'};
        EXPECT_EQ(api->RegSetValueExA(h, "x", 0, kTypeSz, one, 1), kKeyDeleted);
        char name[8];
        std::uint32_t length = sizeof name;
        EXPECT_EQ(api->RegEnumKeyExA(h, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
                  kKeyDeleted);
        Handle child = kUntouched;
        EXPECT_EQ(api->RegCreateKeyExA(h, "z", 0, "", 0, kKeyAllAccess, &security, &child, nullptr),
                  kKeyDeleted);
        EXPECT_EQ(api->RegOpenKeyExA(h, "", 0, kKeyRead, &child), kKeyDeleted);
        EXPECT_EQ(api->RegCloseKey(h), kSuccess);
    }
}

// --- Enumeration ---

TEST_P(RegistryContract, SubKeysAndValuesListInCaseFoldedOrder) {
    const std::vector<std::string> created{"b", "_x", "B2",  "a",  "ab", "Abc",
                                           "[", "~",  "a b", "A-", "1",  "Zed"};
    for (const auto& name : created) {
        api->RegCloseKey(create(name));
        set(base, name.c_str(), kTypeDword, {1, 0, 0, 0});
    }
    const std::vector<std::string> expected{"1",  "[",   "_x", "a",  "a b", "A-",
                                            "ab", "Abc", "b",  "B2", "Zed", "~"};
    EXPECT_EQ(subKeys(base), expected);
    EXPECT_EQ(valueNames(base), expected);

    char name[16] = "untouched";
    std::uint32_t length = sizeof name;
    std::uint32_t type = 99;
    std::uint32_t size = 16;
    std::uint8_t data[16] = {};
    EXPECT_EQ(api->RegEnumKeyExA(base, 12, name, &length, nullptr, nullptr, nullptr, nullptr),
              kNoMoreItems);
    EXPECT_EQ(api->RegEnumValueA(base, 99, name, &length, nullptr, &type, data, &size),
              kNoMoreItems);
    EXPECT_STREQ(name, "untouched");
    EXPECT_EQ(length, 16u);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(size, 16u);
}

struct ShortEnumValue {
    const char* label;
    std::uint32_t nameRoom;
    std::uint32_t dataRoom;
    std::int32_t rc;
    std::uint32_t lengthAfter;
    const char* nameAfter;  // nullptr: the name buffer is left alone
    bool dataCopied;
};

TEST_P(RegistryContract, EnumValueReportsMoreDataForAShortNameOrDataBuffer) {
    set(base, "Name1", kTypeBinary, {1, 2, 3, 4, 5, 6});
    const ShortEnumValue cases[] = {
        {"data short", 64, 2, kMoreData, 64, nullptr, false},
        {"data room 0", 64, 0, kMoreData, 64, nullptr, false},
        {"name short", 3, 64, kMoreData, 3, "Na", true},
        {"name without room for NUL", 5, 64, kMoreData, 5, "Name", true},
        {"name just fits", 6, 64, kSuccess, 5, "Name1", true},
        {"both short", 3, 2, kMoreData, 3, nullptr, false},
    };
    for (const ShortEnumValue& c : cases) {
        SCOPED_TRACE(c.label);
        std::string name(64, '#');
        Bytes data(64, '#');
        std::uint32_t length = c.nameRoom;
        std::uint32_t size = c.dataRoom;
        std::uint32_t type = 99;
        EXPECT_EQ(
            api->RegEnumValueA(base, 0, name.data(), &length, nullptr, &type, data.data(), &size),
            c.rc);
        EXPECT_EQ(length, c.lengthAfter);
        EXPECT_EQ(size, 6u);
        EXPECT_EQ(type, kTypeBinary);
        if (c.nameAfter == nullptr) {
            EXPECT_EQ(name, std::string(64, '#'));
        } else {
            EXPECT_EQ(name.substr(0, std::strlen(c.nameAfter) + 1),
                      std::string(c.nameAfter) + '\0');
        }
        EXPECT_EQ(data[0], c.dataCopied ? 1 : '#');
    }
    char name[8];
    std::uint32_t length = sizeof name;
    std::uint32_t size = 0;
    EXPECT_EQ(api->RegEnumValueA(base, 0, name, &length, nullptr, nullptr, nullptr, &size),
              kSuccess);
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(name, "Name1");
}

TEST_P(RegistryContract, EnumKeyReportsMoreDataForAShortNameOrClassBuffer) {
    api->RegCloseKey(create("A-"));
    struct Case {
        std::uint32_t room;
        std::int32_t rc;
        std::uint32_t lengthAfter;
    };
    for (const Case& c : {Case{0, kMoreData, 0}, Case{2, kMoreData, 2}, Case{3, kSuccess, 2}}) {
        std::string name(8, '#');
        std::uint32_t length = c.room;
        EXPECT_EQ(
            api->RegEnumKeyExA(base, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr),
            c.rc)
            << c.room;
        EXPECT_EQ(length, c.lengthAfter) << c.room;
        EXPECT_EQ(name, c.rc == kSuccess ? std::string("A-\0#####", 8) : std::string(8, '#'));
    }

    // A class buffer, when given, must hold the class name and its NUL too.
    Handle classy = 0;
    ASSERT_EQ(api->RegCreateKeyExA(base, "B", 0, "MyClass", 0, kKeyAllAccess, &security, &classy,
                                   nullptr),
              kSuccess);
    api->RegCloseKey(classy);
    struct ClassCase {
        std::uint32_t key;
        std::uint32_t room;
        std::int32_t rc;
        std::uint32_t roomAfter;
    };
    for (const ClassCase& c : {ClassCase{0, 1, kSuccess, 0}, ClassCase{0, 0, kMoreData, 0},
                               ClassCase{1, 7, kMoreData, 7}, ClassCase{1, 8, kSuccess, 7}}) {
        SCOPED_TRACE(std::to_string(c.key) + " " + std::to_string(c.room));
        char name[8];
        std::uint32_t length = sizeof name;
        char className[8] = "#######";
        std::uint32_t classLength = c.room;
        FileTime written;
        EXPECT_EQ(api->RegEnumKeyExA(base, c.key, name, &length, nullptr, className, &classLength,
                                     &written),
                  c.rc);
        EXPECT_EQ(classLength, c.roomAfter);
        if (c.rc == kSuccess) {
            EXPECT_STREQ(className, c.key == 0 ? "" : "MyClass");
            EXPECT_NE(written.dwHighDateTime, 0u);
        } else {
            EXPECT_EQ(length, sizeof name);
        }
    }
    char name[8];
    std::uint32_t length = sizeof name;
    EXPECT_EQ(api->RegEnumKeyExA(base, 1, name, &length, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_STREQ(name, "B");
}

// --- Other computers ---

TEST_P(RegistryContract, ThisComputerIsReachedUnderItsOwnNameOrNone) {
    const std::string own = localComputerName();
    ASSERT_FALSE(own.empty());
    std::string lowered = "\\\\" + own;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    set(base, "v", kTypeSz, bytesOf("remote"));
    for (const char* machine :
         {static_cast<const char*>(nullptr), "", own.c_str(), lowered.c_str()}) {
        SCOPED_TRACE(machine != nullptr ? machine : "(null)");
        Handle remote = kUntouched;
        ASSERT_EQ(api->RegConnectRegistryA(machine, kCurrentUser, &remote), kSuccess);
        EXPECT_EQ(remote, kCurrentUser) << "Wine hands back the key it was given";
        Handle key;
        ASSERT_EQ(open(basePath, kKeyAllAccess, &key, remote), kSuccess);
        EXPECT_EQ(query(key, "v"), bytesOf("remote"));
        EXPECT_EQ(api->RegCloseKey(key), kSuccess);
        EXPECT_EQ(api->RegCloseKey(remote), kSuccess);
    }
    Handle remote = kUntouched;
    ASSERT_EQ(api->RegConnectRegistryA(own.c_str(), kLocalMachine, &remote), kSuccess);
    EXPECT_EQ(remote, kLocalMachine);
}

TEST_P(RegistryContract, AComputerThatCannotBeReachedGivesBadNetPathPromptly) {
    for (const char* machine : {"\\\\qrvl-no-such-host.invalid", "qrvl-no-such-host.invalid"}) {
        Handle remote = kUntouched;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(api->RegConnectRegistryA(machine, kCurrentUser, &remote), kBadNetPath) << machine;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(remote, kUntouched);
    }
}

INSTANTIATE_TEST_SUITE_P(Implementations, RegistryContract, ::testing::ValuesIn(apiFactories()),
                         [](const ::testing::TestParamInfo<ApiFactory>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace qrvl::reg::contract
