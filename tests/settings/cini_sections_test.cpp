// CINI's section lists and name enumerations against an in-memory profile store.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/cini.h"
#include "tests/error_number.h"
#include "tests/settings/fake_profile_api.h"

namespace qrvl {
namespace {

using test::FakeProfileApi;

std::vector<std::wstring> all(const NameArray& names) {
    return {names.begin(), names.end()};
}

class CiniSectionsTest : public ::testing::Test {
  protected:
    CiniSectionsTest() {
        ini.path(L"config.ini");
        ini.Section(L"QRVL");
    }

    void set(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        ini.Section(section);
        ini.Key(key);
        ini.Value(value);
    }

    std::shared_ptr<FakeProfileApi> api = std::make_shared<FakeProfileApi>();
    CINI ini{api};
    NameArray names;
    std::int32_t count = -1;
};

TEST_F(CiniSectionsTest, KeyListIsEachNameFollowedByOneNul) {
    set(L"QRVL", L"path", L"C:\\maps");
    set(L"QRVL", L"scm", L"yes");
    set(L"QRVL", L"scx", L"yes");
    EXPECT_EQ(ini.INISection(), std::wstring(L"path\0scm\0scx\0", 13));

    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(all(names), (std::vector<std::wstring>{L"path", L"scm", L"scx"}));
}

TEST_F(CiniSectionsTest, SectionListNamesEverySection) {
    set(L"QRVL", L"scm", L"yes");
    EXPECT_EQ(ini.Sections(), std::wstring(L"QRVL\0", 5));
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(all(names), std::vector<std::wstring>{L"QRVL"});

    set(L"Other", L"k", L"v");
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(all(names), (std::vector<std::wstring>{L"QRVL", L"Other"}));
}

TEST_F(CiniSectionsTest, ListReadsPassAbsentKeyAndSectionWhereTheyList) {
    ini.Key(L"ignored");
    ini.INISection();
    EXPECT_EQ(api->calls.back().section, std::optional<std::string>("QRVL"));
    EXPECT_FALSE(api->calls.back().key.has_value());
    ini.Sections();
    EXPECT_FALSE(api->calls.back().section.has_value());
    EXPECT_FALSE(api->calls.back().key.has_value());
}

TEST_F(CiniSectionsTest, EmptyOrMissingSectionEmptiesTheArray) {
    names.Add(L"left over");
    names.Add(L"from before");
    ini.Section(L"nothing here");
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(names.Count(), 0);

    names.Add(L"again");
    ini.EnumerateAllSections(names, count);  // the file does not exist either
    EXPECT_EQ(count, 0);
    EXPECT_EQ(names.Count(), 0);
}

TEST_F(CiniSectionsTest, EmptyNamesAreKeptForKeysAndDroppedForSections) {
    api->listAnswer = std::string("a\0\0b\0", 5);
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(all(names), (std::vector<std::wstring>{L"a", L"", L"b"}));

    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(all(names), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(CiniSectionsTest, TextAfterTheLastNulIsNeverAName) {
    api->listAnswer = "no separator";
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 0);

    api->listAnswer = std::string("one\0tail", 8);
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(all(names), std::vector<std::wstring>{L"one"});
}

TEST_F(CiniSectionsTest, ListsLongerThanTheFirstBufferComeBackWhole) {
    // 900 keys of 20 characters need 18,900 characters: a first read of 8192 is cut twice over.
    std::vector<std::wstring> keys;
    std::wstring expected;
    for (int i = 0; i < 900; ++i) {
        std::wstring key = L"key_" + std::to_wstring(100000 + i) + L"_padding_";
        key.resize(20, L'x');
        keys.push_back(key);
        expected += key + L'\0';
        set(L"big", key.c_str(), L"1");
        set(key.c_str(), L"k", L"1");
    }
    ini.Section(L"big");
    EXPECT_EQ(ini.INISection(), expected);
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 900);
    EXPECT_EQ(all(names), keys);
    EXPECT_EQ(api->calls.back().size, 32768u);

    ini.EnumerateAllSections(names, count);
    ASSERT_EQ(count, 901);
    EXPECT_EQ(names.Item(1), L"big");
    EXPECT_EQ(names.Item(901), keys.back());
}

TEST_F(CiniSectionsTest, LongListsComeBackWholeHoweverTheCutIsReported) {
    std::string list;
    for (int i = 0; i < 1000; ++i) {
        list += "name" + std::to_string(10000 + i) + '\0';  // 10,000 characters in all
    }
    api->listAnswer = list;
    for (const std::uint32_t mark : {1u, 2u, 3u, 5u}) {
        api->listCutMark = mark;
        ini.EnumerateCurrentSection(names, count);
        EXPECT_EQ(count, 1000) << mark;
        ini.EnumerateAllSections(names, count);
        EXPECT_EQ(count, 1000) << mark;
    }
}

TEST_F(CiniSectionsTest, ListThatExactlyFillsTheBufferIsComplete) {
    // 8190 characters of names: the read reports size - 2 although nothing was cut.
    api->listAnswer = std::string(8189, 'n') + '\0';
    EXPECT_EQ(ini.INISection().size(), 8190u);
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(names.Item(1).size(), 8189u);
}

TEST_F(CiniSectionsTest, AssigningTheSectionRemovesItWhateverTheText) {
    set(L"QRVL", L"scm", L"yes");
    set(L"Keep", L"k", L"v");
    ini.Section(L"QRVL");
    const std::wstring list = ini.INISection();
    ini.INISection(list);
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(api->writes().back(), "QRVL/-=scm");  // the text ends at the list's first NUL
    EXPECT_EQ(ini.Sections(), std::wstring(L"Keep\0", 5));

    api->writeResult = 0;
    ini.INISection(L"anything");
    EXPECT_EQ(ini.LastReturnCode(), 0);
}

TEST(NameArray, IndexesRunFromOneToCount) {
    NameArray names;
    EXPECT_THROW(names.Item(1), Error);
    names.Add(L"first");
    names.Add(L"second");
    EXPECT_EQ(names.Item(1), L"first");
    EXPECT_EQ(names.Item(2), L"second");
    for (const std::int32_t bad : {0, 3, -1}) {
        EXPECT_EQ(test::errorNumberOf([&] { names.Item(bad); }), 9) << bad;
    }
}

}  // namespace
}  // namespace qrvl
