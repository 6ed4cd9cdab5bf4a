// RegistryRoutines' key members and listings over the in-memory store: what each answers, what a
// listing holds when a call fails midway, and how the collection it fills finds its keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/registry/registry_routines_fixture.h"

namespace qrvl::test {
namespace {

using namespace std::string_literals;

const std::string kKey = "Software\\Test\\Sub";

// ---- KeyedCollection ----

TEST(KeyedCollectionTest, FindsItemsByPositionFromOneAndByKeyInAnyCase) {
    KeyedCollection<int> c;
    c.Add(10, L"Alpha");
    c.Add(20, L"\u00C9t\u00E9");
    c.Add(30);
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Item(1), 10);
    EXPECT_EQ(c.Item(3), 30);
    EXPECT_EQ(c.Item(L"ALPHA"), 10);
    EXPECT_EQ(c.Item(L"alpha"), 10);
    EXPECT_EQ(c.Item(L"\u00E9T\u00C9"), 20);
    EXPECT_EQ(c.Key(1), std::optional<std::wstring>(L"Alpha"));
    EXPECT_FALSE(c.Key(3).has_value());
}

TEST(KeyedCollectionTest, RaisesNineForABadPositionAndFiveForAnUnknownKey) {
    KeyedCollection<int> c;
    EXPECT_EQ(errorNumberOf([&] { c.Item(1); }), 9);
    c.Add(1, L"a");
    EXPECT_EQ(errorNumberOf([&] { c.Item(0); }), 9);
    EXPECT_EQ(errorNumberOf([&] { c.Item(2); }), 9);
    EXPECT_EQ(errorNumberOf([&] { c.Item(-1); }), 9);
    EXPECT_EQ(errorNumberOf([&] { c.Item(L"b"); }), 5);
    EXPECT_EQ(errorNumberOf([&] { c.Item(L"a "); }), 5);
}

TEST(KeyedCollectionTest, RefusesAKeyAlreadyTakenInAnotherCase) {
    KeyedCollection<int> c;
    c.Add(1, L"Key");
    EXPECT_EQ(errorNumberOf([&] { c.Add(2, L"kEY"); }), 5);
    EXPECT_EQ(c.Count(), 1);
    c.Add(3, L"");
    EXPECT_EQ(c.Item(L""), 3);
}

TEST(KeyedCollectionTest, FoldsLettersBeyondAsciiButNotLookalikes) {
    EXPECT_EQ(foldKey(L"\u0101\u0148\u00FF\u03C2\u0436\u0451"),
              std::wstring(L"\u0100\u0147\u0178\u03A3\u0416\u0401"));
    EXPECT_EQ(foldKey(L"\u00F7\u00D7\u0131[_"), std::wstring(L"\u00F7\u00D7\u0131[_"));
}

// ---- KeyExists, CreateKey, DeleteKey, DeleteValue ----

TEST_F(RegistryRoutinesTest, KeyExistsOnlyForAKeyThatOpensForReading) {
    EXPECT_FALSE(routines.KeyExists());
    seedKey(kKey);
    EXPECT_TRUE(routines.KeyExists());
    EXPECT_TRUE(routines.KeyExists());
    EXPECT_EQ(recorder->opens.back().access, reg::kKeyRead);
    routines.hKey(0);
    EXPECT_FALSE(routines.KeyExists());
}

TEST_F(RegistryRoutinesTest, CreateKeyWithoutANameCreatesTheObjectsKey) {
    EXPECT_EQ(routines.CreateKey(), L"0");
    EXPECT_TRUE(keyPresent(kKey));
    EXPECT_EQ(routines.CreateKey(), L"0");
    EXPECT_EQ(recorder->opens.back().path, "Software\\Test\\Sub");
    EXPECT_EQ(recorder->opens.back().access, reg::kKeyAllAccess);
}

TEST_F(RegistryRoutinesTest, CreateKeyWithANameUsesItInPlaceOfSubkeyAndGivesItBackAsText) {
    Variant name = std::int32_t{12};
    EXPECT_EQ(routines.CreateKey(name), L"0");
    EXPECT_EQ(name, Variant(std::wstring(L"12")));
    EXPECT_TRUE(keyPresent("Software\\Test\\12"));
    EXPECT_FALSE(keyPresent(kKey));
}

TEST_F(RegistryRoutinesTest, CreateKeyAnswersAnEmptyTextOnFailure) {
    routines.hKey(0);
    EXPECT_EQ(routines.CreateKey(), L"");
    Variant bytes = Bytes{1};
    routines.hKey(kRoot);
    EXPECT_EQ(errorNumberOf([&] { routines.CreateKey(bytes); }), 13);
}

TEST_F(RegistryRoutinesTest, DeleteKeyPassesThePlatformCodeOn) {
    seedKey("Software\\Test\\Leaf");
    seedKey("Software\\Test\\Tree\\Child");
    EXPECT_NE(routines.DeleteKey(L"Absent"), 0);
    EXPECT_NE(routines.DeleteKey(L"Tree"), 0);
    EXPECT_EQ(routines.DeleteKey(L"Leaf"), 0);
    EXPECT_FALSE(keyPresent("Software\\Test\\Leaf"));
    EXPECT_EQ(recorder->deletedKeys.back(), "Software\\Test\\Leaf");
}

TEST_F(RegistryRoutinesTest, DeleteValueAnswersTheOpenOrTheDeletionCode) {
    std::wstring name = L"v";
    EXPECT_EQ(routines.DeleteValue(name), reg::kFileNotFound);
    seed(kKey, "v", 1, bytesOf("x\0"s));
    std::wstring absent = L"w";
    EXPECT_EQ(routines.DeleteValue(absent), reg::kFileNotFound);
    EXPECT_EQ(routines.DeleteValue(name), 0);
    EXPECT_EQ(name, L"v");
    EXPECT_EQ(raw(kKey, "v").rc, reg::kFileNotFound);
    EXPECT_EQ(recorder->opens.back().access, reg::kKeyAllAccess);
}

TEST_F(RegistryRoutinesTest, DeleteValueGivesTheNameBackAsTheCodePageHasIt) {
    seedKey(kKey);
    std::wstring name = L"a\xD800";  // a lone surrogate has no form in any code page
    EXPECT_EQ(routines.DeleteValue(name), reg::kFileNotFound);
    EXPECT_EQ(name, L"a\xFFFD");
}

// ---- EnumRegistryKeys ----

TEST_F(RegistryRoutinesTest, ListingsOfAMissingKeyAreEmpty) {
    EXPECT_EQ(routines.EnumRegistryKeys(kRoot, L"Software\\Nowhere").Count(), 0);
    EXPECT_EQ(routines.EnumRegistryValues(kRoot, L"Software\\Nowhere").Count(), 0);
}

TEST_F(RegistryRoutinesTest, EnumKeysListsSubkeysInOrderKeyedByName) {
    seedKey("Software\\E\\Alpha");
    seedKey("Software\\E\\beta");
    routines.hKey(0);  // the object's own settings play no part
    const auto keys = routines.EnumRegistryKeys(kRoot, L"Software\\E");
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.Item(1), L"Alpha");
    EXPECT_EQ(keys.Item(2), L"beta");
    EXPECT_EQ(keys.Item(L"ALPHA"), L"Alpha");
    EXPECT_EQ(keys.Item(L"Beta"), L"beta");
    // A class buffer too small for a sub-key's class makes advapi32 withhold the name.
    EXPECT_FALSE(recorder->classNameAsked);
}

TEST_F(RegistryRoutinesTest, EnumKeysWithoutANameListsTheHandleItselfAndLeavesItOpen) {
    seedKey("Software\\E\\One");
    reg::Handle own = 0;
    ASSERT_EQ(store->RegOpenKeyExA(kRoot, "Software\\E", 0, reg::kKeyRead, &own), 0);
    const auto keys = routines.EnumRegistryKeys(own, L"");
    EXPECT_EQ(keys.Count(), 1);
    EXPECT_TRUE(recorder->closes.empty());
    store->RegCloseKey(own);
}

TEST_F(RegistryRoutinesTest, EnumKeysRaisesFiveWhenAFailedCallLeavesNoName) {
    EXPECT_EQ(errorNumberOf([&] { routines.EnumRegistryKeys(0, L""); }), 5);

    seedKey("Software\\E\\One");
    seedKey("Software\\E\\Two");
    recorder->onEnumKey = [](std::uint32_t index, char*, std::uint32_t*) {
        return index == 1 ? std::optional<std::int32_t>(reg::kAccessDenied) : std::nullopt;
    };
    EXPECT_EQ(errorNumberOf([&] { routines.EnumRegistryKeys(kRoot, L"Software\\E"); }), 5);
}

TEST_F(RegistryRoutinesTest, EnumKeysTakesANameThatAnotherAnswerLeftBehind) {
    recorder->onEnumKey = [](std::uint32_t index, char* name,
                             std::uint32_t* cch) -> std::optional<std::int32_t> {
        if (index == 0) {
            std::memcpy(name, "Classy", 7);
            *cch = 6;
            return reg::kMoreData;
        }
        return reg::kNoMoreItems;
    };
    seedKey("Software\\E");
    const auto keys = routines.EnumRegistryKeys(kRoot, L"Software\\E");
    ASSERT_EQ(keys.Count(), 1);
    EXPECT_EQ(keys.Item(L"classy"), L"Classy");
}

TEST_F(RegistryRoutinesTest, EnumKeysKeepsNamesThatCollideAfterConversion) {
    recorder->onEnumKey = [](std::uint32_t index, char* name,
                             std::uint32_t* cch) -> std::optional<std::int32_t> {
        if (index < 2) {
            std::memcpy(name, "?x", 3);
            *cch = 2;
            return reg::kSuccess;
        }
        return reg::kNoMoreItems;
    };
    const auto keys = routines.EnumRegistryKeys(kRoot, L"");
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys.Key(1), std::optional<std::wstring>(L"?x"));
    EXPECT_FALSE(keys.Key(2).has_value());
}

// ---- EnumRegistryValues ----

struct ListCase {
    const char* what;
    std::uint32_t type;
    std::string data;
    Variant listed;
};

class ListConversionTest : public RegistryRoutinesTest,
                           public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListConversionTest, ListsTheNameAndTheConvertedData) {
    seed("Software\\L", "val", GetParam().type, bytesOf(GetParam().data));
    const auto values = routines.EnumRegistryValues(kRoot, L"Software\\L");
    ASSERT_EQ(values.Count(), 1) << GetParam().what;
    EXPECT_EQ(values.Item(1)[0], Variant(std::wstring(L"val")));
    EXPECT_EQ(values.Item(L"VAL")[1], GetParam().listed) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ListConversionTest,
    ::testing::Values(ListCase{"dword", 4, "\x05\0\0\0"s, std::int32_t{5}},
                      ListCase{"short dword", 4, "\x05", std::int32_t{5}},
                      ListCase{"multi", 7, "a\0b\0\0"s, std::wstring(L"a,b")},
                      ListCase{"multi empty first item", 7, "\0b\0\0"s, std::wstring(L",b")},
                      ListCase{"multi of one char", 7, "a", std::wstring(L"a")},
                      ListCase{"multi of one NUL", 7, "\0"s, std::wstring()},
                      ListCase{"multi of 0 bytes", 7, "", std::wstring()},
                      ListCase{"sz of 0 bytes", 1, "", std::wstring()},
                      ListCase{"sz", 1, "abc\0"s, std::wstring(L"abc")},
                      ListCase{"sz without NUL", 1, "abc", std::wstring(L"abc")},
                      ListCase{"binary", 3, "\x0A\xFF\x03", std::wstring(L"0A FF 03")},
                      ListCase{"one byte", 3, "\x00"s, std::wstring(L"00")},
                      ListCase{"binary of 0 bytes", 3, "", std::wstring()},
                      ListCase{"expand", 2, "[%QRVL_WIDE%]\0"s, std::wstring(L"[wide-expansion]")},
                      ListCase{"expand of 0 bytes", 2, "", std::wstring()},
                      ListCase{"none", 0, "abc", Variant()},
                      ListCase{"big endian", 5, "\0\0\0\x01"s, Variant()},
                      ListCase{"qword", 11, "\x01\0\0\0\0\0\0\0"s, Variant()}));

TEST_F(RegistryRoutinesTest, EnumValuesFormatsBinaryOfAnySize) {
    seed("Software\\L", "blob", 3, std::vector<std::uint8_t>(40000, 0xAB));
    const auto values = routines.EnumRegistryValues(kRoot, L"Software\\L");
    ASSERT_EQ(values.Count(), 1);
    const auto text = std::get<std::wstring>(values.Item(1)[1]);
    EXPECT_EQ(text.size(), 40000u * 3 - 1);
    EXPECT_EQ(text.substr(0, 6), L"AB AB ");
}

TEST_F(RegistryRoutinesTest, EnumValuesListsLargeDataAndGoesOn) {
    seed("Software\\L", "first", 1, bytesOf("1\0"s));
    std::vector<std::uint8_t> large(5000, 'z');
    large.back() = '\0';
    seed("Software\\L", "large", 1, large);
    seed("Software\\L", "last", 4, bytesOf("\x03\0\0\0"s));
    const auto values = routines.EnumRegistryValues(kRoot, L"Software\\L");
    ASSERT_EQ(values.Count(), 3);
    EXPECT_TRUE(values.Item(L"large")[1] == Variant(std::wstring(4999, L'z')));
    EXPECT_EQ(values.Item(3)[0], Variant(std::wstring(L"last")));
    for (const auto size : recorder->enumNameSizes) {
        EXPECT_EQ(size, 260u);
    }
}

TEST_F(RegistryRoutinesTest, EnumValuesRetriesWithTheWholeNameBuffer) {
    std::vector<std::uint8_t> large(5000, 'z');
    large.back() = '\0';
    seed("Software\\L", "large", 1, large);
    int calls = 0;
    // Windows may cut the name length down to the name's own on ERROR_MORE_DATA.
    recorder->onEnumValue = [&](std::uint32_t, char*, std::uint32_t* cch, std::uint32_t*,
                                std::uint8_t*, std::uint32_t* size) -> std::optional<std::int32_t> {
        if (++calls > 1) {
            return std::nullopt;
        }
        *cch = 5;
        *size = 5000;
        return reg::kMoreData;
    };
    const auto values = routines.EnumRegistryValues(kRoot, L"Software\\L");
    ASSERT_EQ(values.Count(), 1);
    EXPECT_EQ(std::get<std::wstring>(values.Item(L"large")[1]).size(), 4999u);
}

TEST_F(RegistryRoutinesTest, EnumValuesEndsQuietlyAtAFailingCall) {
    seed("Software\\L", "a", 4, bytesOf("\x01\0\0\0"s));
    seed("Software\\L", "b", 4, bytesOf("\x02\0\0\0"s));
    seed("Software\\L", "c", 4, bytesOf("\x03\0\0\0"s));
    recorder->onEnumValue = [](std::uint32_t index, char*, std::uint32_t*, std::uint32_t*,
                               std::uint8_t*, std::uint32_t* size) -> std::optional<std::int32_t> {
        if (index != 1) {
            return std::nullopt;
        }
        *size += 5000;  // grows on every look
        return reg::kMoreData;
    };
    const auto values = routines.EnumRegistryValues(kRoot, L"Software\\L");
    ASSERT_EQ(values.Count(), 1);
    EXPECT_EQ(values.Item(L"a")[1], Variant(std::int32_t{1}));
}

TEST_F(RegistryRoutinesTest, EnumValuesTakesTheNameLengthTheCallReports) {
    recorder->onEnumValue = [](std::uint32_t index, char* name, std::uint32_t* cch,
                               std::uint32_t* type, std::uint8_t*,
                               std::uint32_t* size) -> std::optional<std::int32_t> {
        if (index > 0) {
            return reg::kNoMoreItems;
        }
        std::memcpy(name, "abcdef", 7);
        *cch = 3;
        *type = 0;
        *size = 0;
        return reg::kSuccess;
    };
    const auto values = routines.EnumRegistryValues(kRoot, L"");
    ASSERT_EQ(values.Count(), 1);
    EXPECT_EQ(values.Item(L"ABC")[0], Variant(std::wstring(L"abc")));
}

TEST_F(RegistryRoutinesTest, EnumValuesKeysTheDefaultValueByTheEmptyText) {
    seed("Software\\L", "", 1, bytesOf("dflt\0"s));
    seed("Software\\L", "named", 1, bytesOf("n\0"s));
    reg::Handle own = 0;
    ASSERT_EQ(store->RegOpenKeyExA(kRoot, "Software\\L", 0, reg::kKeyRead, &own), 0);
    const auto values = routines.EnumRegistryValues(own, L"");
    store->RegCloseKey(own);
    ASSERT_EQ(values.Count(), 2);
    EXPECT_EQ(values.Item(L"")[1], Variant(std::wstring(L"dflt")));
    EXPECT_EQ(values.Item(2)[1], Variant(std::wstring(L"n")));
}

}  // namespace
}  // namespace qrvl::test
