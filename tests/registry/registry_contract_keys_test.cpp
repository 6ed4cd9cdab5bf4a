// The registry seam's contract for keys: names, paths, handles, creating, deleting and listing.
// Every implementation must answer these calls as Windows does.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
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
    EXPECT_EQ(api->RegCloseKey(kCurrentUser), kSuccess) << "closing a predefined key does nothing";
    ASSERT_EQ(open(basePath, kKeyRead, &h, kCurrentUser), kSuccess);
    api->RegCloseKey(h);

    set(base, "v", kTypeSz, bytesOf("here"));
    ASSERT_EQ(open("", kKeyRead, &h), kSuccess);
    EXPECT_NE(h, base) << "an opened key gets a handle of its own";
    EXPECT_EQ(query(h, "v"), bytesOf("here"));
    EXPECT_EQ(api->RegCloseKey(h), kSuccess);
    EXPECT_EQ(query(base, "v"), bytesOf("here"));
}

// --- Handles ---

// How a handle can be unusable.
enum class Unusable { Zero, Closed, Deleted, DeletedThroughItself };

struct UnusableHandle {
    const char* label;
    Unusable how;
    std::uint32_t access;   // what the handle was opened with
    std::int32_t reach;     // opening, creating and deleting a sub-key, which need no right
    std::int32_t read;      // querying and listing values
    std::int32_t write;     // setting and deleting a value
    std::int32_t listKeys;  // listing sub-keys
    std::int32_t close;
    std::int32_t overlong;  // opening, creating or deleting a path too long, which is not looked
                            // at through handle 0, and otherwise before the handle
    // A failed open or create sets its out handle to 0, a query its type to 0, and a query
    // for the size alone that size to 0; through handle 0 all stay as they were.
    bool clears;
};

TEST_P(RegistryContract, AnUnusableHandleFailsEveryCallAsWindowsDoes) {
    const UnusableHandle cases[] = {
        {"handle 0", Unusable::Zero, 0, kInvalidHandle, kInvalidHandle, kInvalidHandle,
         kInvalidHandle, kInvalidHandle, kInvalidHandle, false},
        {"a closed handle", Unusable::Closed, kKeyAllAccess, kInvalidHandle, kInvalidHandle,
         kInvalidHandle, kInvalidHandle, kInvalidHandle, kMoreData, true},
        {"a deleted key", Unusable::Deleted, kKeyAllAccess, kKeyDeleted, kKeyDeleted, kKeyDeleted,
         kKeyDeleted, kSuccess, kMoreData, true},
        {"a key deleted through its own handle", Unusable::DeletedThroughItself, kKeyAllAccess,
         kKeyDeleted, kKeyDeleted, kKeyDeleted, kKeyDeleted, kSuccess, kMoreData, true},
        // The handle's rights are looked at before the key's deletion.
        {"a deleted key opened for reading", Unusable::Deleted, kKeyRead, kKeyDeleted, kKeyDeleted,
         kAccessDenied, kKeyDeleted, kSuccess, kMoreData, true},
        {"a deleted key opened with no right", Unusable::Deleted, 0, kKeyDeleted, kAccessDenied,
         kAccessDenied, kAccessDenied, kSuccess, kMoreData, true},
    };
    auto unusable = [&](const UnusableHandle& c) -> Handle {
        if (c.how == Unusable::Zero) {
            return 0;
        }
        const Handle made = create("Unusable");
        if (c.how == Unusable::Closed) {
            EXPECT_EQ(api->RegCloseKey(made), kSuccess);
            // At once: Wine hands the same value out again for keys it opens itself.
            EXPECT_EQ(api->RegCloseKey(made), c.close) << "closed twice";
            return made;
        }
        if (c.how == Unusable::DeletedThroughItself) {
            EXPECT_EQ(api->RegDeleteKeyA(made, ""), kSuccess) << "an empty path deletes the key";
            return made;
        }
        Handle h = 0;
        EXPECT_EQ(open("Unusable", c.access, &h), kSuccess);
        api->RegCloseKey(made);
        EXPECT_EQ(api->RegDeleteKeyA(base, "Unusable"), kSuccess);
        return h;
    };
    for (const UnusableHandle& c : cases) {
        SCOPED_TRACE(c.label);
        const Handle h = unusable(c);
        const Handle cleared = c.clears ? 0 : kUntouched;
        for (const char* path : {"x", "", "\\"}) {
            Handle out = kUntouched;
            EXPECT_EQ(api->RegOpenKeyExA(h, path, 0, kKeyRead, &out), c.reach) << path;
            EXPECT_EQ(out, cleared) << path;
        }
        Handle out = kUntouched;
        EXPECT_EQ(api->RegCreateKeyExA(h, "x", 0, "", 0, kKeyAllAccess, &security, &out, nullptr),
                  c.reach);
        EXPECT_EQ(out, cleared);
        EXPECT_EQ(api->RegDeleteKeyA(h, "x"), c.reach);
        const std::string overlong(261, 'o');
        out = kUntouched;
        EXPECT_EQ(api->RegOpenKeyExA(h, overlong.c_str(), 0, kKeyRead, &out), c.overlong);
        EXPECT_EQ(api->RegCreateKeyExA(h, overlong.c_str(), 0, "", 0, kKeyAllAccess, &security,
                                       &out, nullptr),
                  c.overlong);
        EXPECT_EQ(out, kUntouched);
        EXPECT_EQ(api->RegDeleteKeyA(h, overlong.c_str()), c.overlong);

        std::uint32_t type = 99;
        std::uint32_t size = 8;
        std::uint8_t data[8];
        EXPECT_EQ(api->RegQueryValueExA(h, "x", nullptr, &type, data, &size), c.read);
        EXPECT_EQ(type, c.clears ? kTypeNone : 99u);
        EXPECT_EQ(size, 8u) << "the size of a buffer given is left alone";
        EXPECT_EQ(api->RegQueryValueExA(h, "x", nullptr, nullptr, nullptr, &size), c.read);
        EXPECT_EQ(size, c.clears ? 0u : 8u);
        const std::uint8_t one[] = {'a', 'X'};
        EXPECT_EQ(api->RegSetValueExA(h, "x", 0, kTypeSz, one, 1), c.write);
        EXPECT_EQ(api->RegDeleteValueA(h, "x"), c.write);

        char name[8] = "#######";
        std::uint32_t length = sizeof name;
        type = 99;
        size = 8;
        EXPECT_EQ(api->RegEnumKeyExA(h, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
                  c.listKeys);
        EXPECT_EQ(api->RegEnumValueA(h, 0, name, &length, nullptr, &type, data, &size), c.read);
        EXPECT_STREQ(name, "#######");
        EXPECT_EQ(length, sizeof name);
        EXPECT_EQ(type, 99u);
        EXPECT_EQ(size, 8u);
        if (c.how != Unusable::Closed) {
            EXPECT_EQ(api->RegCloseKey(h), c.close);
        }
    }
    EXPECT_TRUE(subKeys(base).empty());
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
}

struct ClassCase {
    const char* label;
    std::vector<std::pair<const char*, const char*>> creations;  // paths and classes, in order
    const char* listed;                                          // whose first sub-key is listed
    std::uint32_t room;
    std::int32_t rc;
    std::uint32_t roomAfter;
    const char* className;  // nullptr: the class buffer is left alone
};

TEST_P(RegistryContract, EnumKeyGivesTheClassTheLatestCreateGaveWhenItFits) {
    const ClassCase cases[] = {
        {"no class", {{"A", ""}}, "", 1, kSuccess, 0, ""},
        {"no class and no room", {{"A", ""}}, "", 0, kMoreData, 0, nullptr},
        {"no room for the NUL", {{"B", "MyClass"}}, "", 7, kMoreData, 7, nullptr},
        {"room for the NUL", {{"B", "MyClass"}}, "", 8, kSuccess, 7, "MyClass"},
        {"created again", {{"B", "First"}, {"b", "MyClass"}}, "", 8, kSuccess, 7, "MyClass"},
        {"created again without a class",
         {{"B", "First"}, {"B\\", nullptr}},
         "",
         8,
         kSuccess,
         0,
         ""},
        {"a parent made on the way", {{"P\\C", "MyClass"}}, "", 8, kSuccess, 7, "MyClass"},
        {"a parent that was there", {{"P", "Own"}, {"p\\C", "MyClass"}}, "", 8, kSuccess, 3, "Own"},
        {"the key below it", {{"P", "Own"}, {"p\\C", "MyClass"}}, "P", 8, kSuccess, 7, "MyClass"},
    };
    for (const ClassCase& c : cases) {
        SCOPED_TRACE(c.label);
        const Handle row = create("Row");
        for (const auto& [path, className] : c.creations) {
            Handle h = 0;
            ASSERT_EQ(api->RegCreateKeyExA(row, path, 0, className, 0, kKeyAllAccess, &security, &h,
                                           nullptr),
                      kSuccess);
            api->RegCloseKey(h);
        }
        Handle listed = 0;
        ASSERT_EQ(open(c.listed, kKeyRead, &listed, row), kSuccess);
        char name[8];
        std::uint32_t length = sizeof name;
        char className[8] = "#######";
        std::uint32_t classLength = c.room;
        FileTime written;
        EXPECT_EQ(api->RegEnumKeyExA(listed, 0, name, &length, nullptr, className, &classLength,
                                     &written),
                  c.rc);
        EXPECT_EQ(classLength, c.roomAfter);
        EXPECT_STREQ(className, c.className != nullptr ? c.className : "#######");
        if (c.rc == kSuccess) {
            EXPECT_NE(written.dwHighDateTime, 0u);
        } else {
            EXPECT_EQ(length, sizeof name) << "nothing is written";
        }
        api->RegCloseKey(listed);
        deleteTree(row);
        api->RegCloseKey(row);
        EXPECT_EQ(api->RegDeleteKeyA(base, "Row"), kSuccess);
    }
}

INSTANTIATE_TEST_SUITE_P(Implementations, RegistryContract, ::testing::ValuesIn(apiFactories()),
                         [](const ::testing::TestParamInfo<ApiFactory>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace qrvl::reg::contract
