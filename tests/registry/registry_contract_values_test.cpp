// The registry seam's contract for values: names, sizes, exact bytes and listing. Every
// implementation must answer these calls as Windows does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "registry/registry_api.h"
#include "tests/registry/registry_contract_fixture.h"

namespace qrvl::reg::contract {
namespace {

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

// --- Missing keys and values ---

TEST_P(RegistryContract, MissingKeysAndValuesGiveFileNotFound) {
    Handle h;
    EXPECT_EQ(open("Missing", kKeyRead, &h), kFileNotFound);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(open("Missing\\Deeper", kKeyRead, &h), kFileNotFound);

    EXPECT_EQ(api->RegDeleteValueA(base, "missing"), kFileNotFound);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Missing"), kFileNotFound);
    EXPECT_EQ(api->RegDeleteKeyA(base, "Missing\\Deeper"), kFileNotFound);

    set(base, "once", kTypeSz, bytesOf("x"));
    EXPECT_EQ(api->RegDeleteValueA(base, "ONCE"), kSuccess);
    EXPECT_EQ(api->RegDeleteValueA(base, "once"), kFileNotFound);
}

// --- Reading sizes ---

struct Query {
    const char* label;
    const char* name;
    std::uint32_t access;  // of the handle queried through
    bool buffer;           // whether a data buffer is given, or only its size asked for
    std::uint32_t capacity;
    std::int32_t rc;
    std::uint32_t sizeAfter;
    std::uint32_t typeAfter;
};

TEST_P(RegistryContract, AQueryAnswersTheSizeNeededAndFillsOnlyABufferThatHoldsIt) {
    set(base, "bin", kTypeBinary, {1, 2, 3, 4, 5, 6});
    set(base, "text", kTypeSz, bytesOf(std::string("hello", 6)));
    const Query cases[] = {
        {"short", "bin", kKeyRead, true, 3, kMoreData, 6, kTypeBinary},
        {"no room", "bin", kKeyRead, true, 0, kMoreData, 6, kTypeBinary},
        {"just room", "bin", kKeyRead, true, 6, kSuccess, 6, kTypeBinary},
        {"text one short", "text", kKeyRead, true, 5, kMoreData, 6, kTypeSz},
        {"text just room", "text", kKeyRead, true, 6, kSuccess, 6, kTypeSz},
        {"the size alone", "bin", kKeyRead, false, 0, kSuccess, 6, kTypeBinary},
        // A failed query leaves a buffer's size alone, but sets a size asked for alone to 0.
        {"missing", "missing", kKeyRead, true, 8, kFileNotFound, 8, kTypeNone},
        {"missing, the size alone", "missing", kKeyRead, false, 8, kFileNotFound, 0, kTypeNone},
        {"no right to read", "bin", kKeyWrite, true, 8, kAccessDenied, 8, kTypeNone},
        {"no right, the size alone", "bin", kKeyWrite, false, 8, kAccessDenied, 0, kTypeNone},
    };
    for (const Query& c : cases) {
        SCOPED_TRACE(c.label);
        Handle h = 0;
        ASSERT_EQ(open("", c.access, &h), kSuccess);
        Bytes buffer(8, '#');
        std::uint32_t type = 99;
        std::uint32_t size = c.capacity;
        EXPECT_EQ(api->RegQueryValueExA(h, c.name, nullptr, &type,
                                        c.buffer ? buffer.data() : nullptr, &size),
                  c.rc);
        EXPECT_EQ(size, c.sizeAfter);
        EXPECT_EQ(type, c.typeAfter);
        if (c.rc != kSuccess) {
            EXPECT_EQ(buffer, Bytes(8, '#'));
        }
        api->RegCloseKey(h);
    }

    std::uint32_t type = 99;
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", nullptr, &type, nullptr, nullptr), kSuccess);
    std::uint8_t data[8];
    EXPECT_EQ(api->RegQueryValueExA(base, "bin", nullptr, &type, data, nullptr), kInvalidParameter);
    std::uint32_t reserved = 0;
    std::uint32_t size = sizeof data;
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

}  // namespace
}  // namespace qrvl::reg::contract
