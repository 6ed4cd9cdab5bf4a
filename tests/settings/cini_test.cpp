// CINI's key-level members against an in-memory profile store.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "settings/cini.h"
#include "tests/settings/cini_fixtures.h"
#include "tests/settings/fake_profile_api.h"

namespace qrvl {
namespace {

using test::FakeProfileApi;

class CiniTest : public test::CiniFakeTest {
  protected:
    CiniTest() : CiniFakeTest(L"C:\\qrvl\\config.ini", L"QRVL") {}

    std::string stored(const std::string& key) {
        const std::string* v = api->findKey("C:\\qrvl\\config.ini", "QRVL", key);
        return v ? *v : "<missing>";
    }
};

TEST_F(CiniTest, WrittenValueReadsBack) {
    ini.Key(L"path");
    ini.Value(L"D:\\Games\\maps");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.Value(), L"D:\\Games\\maps");
    EXPECT_EQ(stored("path"), "D:\\Games\\maps");
}

TEST_F(CiniTest, MissingKeyReadsAsDefault) {
    ini.Key(L"scm");
    EXPECT_EQ(ini.Value(), L"");
    ini.Default(L"yes");
    EXPECT_EQ(ini.Value(), L"yes");
}

// A new object's fields are empty texts, and it has had no success yet.
TEST_F(CiniTest, ReadPassesTheFieldsAsTextsNeverAsAbsentArguments) {
    CINI fresh(api);
    EXPECT_EQ(fresh.LastReturnCode(), 0);
    EXPECT_FALSE(fresh.Success());
    fresh.Value();
    const auto& call = api->calls.back();
    EXPECT_EQ(call.section, std::optional<std::string>(""));
    EXPECT_EQ(call.key, std::optional<std::string>(""));
    EXPECT_EQ(call.text, std::optional<std::string>(""));
    EXPECT_EQ(call.file, "");
}

TEST_F(CiniTest, LongValuesReadBackWhole) {
    ini.Key(L"long");
    for (const std::size_t length : {253u, 254u, 255u, 300u, 509u, 70000u}) {
        std::wstring value(length, L'x');
        value.back() = L'!';
        ini.Value(value);
        EXPECT_EQ(ini.Value(), value) << length;
    }
}

TEST_F(CiniTest, LongValueReadsBackWholeWhenTheCutDropsAPartialCharacter) {
    ini.Key(L"long");
    const std::wstring value(300, L'x');
    ini.Value(value);
    for (const std::uint32_t mark : {2u, 3u, 4u}) {
        api->valueCutMark = mark;
        EXPECT_EQ(ini.Value(), value) << mark;
    }
}

TEST_F(CiniTest, LongDefaultReadsBackWhole) {
    ini.Key(L"missing");
    ini.Default(std::wstring(1000, L'd'));
    EXPECT_EQ(ini.Value(), std::wstring(1000, L'd'));
}

TEST_F(CiniTest, ValueLetDropsEveryNulWhereverItIs) {
    ini.Key(L"k");
    ini.Value(std::wstring(L"a\0b\0", 4));
    EXPECT_EQ(stored("k"), "ab");

    std::wstring far(40000, L'z');
    far[0] = L'\0';
    far[32766] = L'\0';
    far[32767] = L'\0';
    far[39999] = L'\0';
    ini.Value(far);
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(stored("k"), std::string(39996, 'z'));
}

TEST_F(CiniTest, DeleteKeyRemovesOnlyThatKey) {
    ini.Key(L"scm");
    ini.Value(L"yes");
    ini.Key(L"scx");
    ini.Value(L"no");
    ini.DeleteKey();
    EXPECT_EQ(api->writes().back(), "QRVL/scx=-");
    EXPECT_EQ(stored("scx"), "<missing>");
    EXPECT_EQ(stored("scm"), "yes");
}

TEST_F(CiniTest, DeleteSectionWritesWithoutKeyOrText) {
    ini.Key(L"scm");
    ini.Value(L"yes");
    ini.DeleteSection();
    EXPECT_EQ(api->writes().back(), "QRVL/-=-");
    EXPECT_EQ(stored("scm"), "<missing>");
}

TEST_F(CiniTest, LastReturnCodeFollowsWritesOnly) {
    api->writeResult = 7;
    ini.Key(L"a");
    ini.Value(L"1");
    EXPECT_EQ(ini.LastReturnCode(), 7);

    api->writeResult = 0;
    ini.DeleteKey();
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_FALSE(ini.Success());

    // Reads of any kind leave a failed write's result standing.
    api->writeResult = 1;
    ini.Value();
    ini.INISection();
    ini.Sections();
    NameArray names;
    std::int32_t count = 0;
    ini.EnumerateCurrentSection(names, count);
    ini.EnumerateAllSections(names, count);
    ini.CLngDefault(L"5");
    EXPECT_FALSE(ini.Success());

    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
}

TEST(CiniCodePage, FieldsPassedToACallComeBackAsTheCodePageRendersThem) {
    static const test::Latin1Codec latin1;
    auto api = std::make_shared<FakeProfileApi>(latin1);
    CINI ini(api);
    ini.path(L"caf\u00e9\u2013.ini");
    ini.Section(L"s\u03a9");
    ini.Key(L"k\u20ac");
    ini.Default(L"d\u2192");

    ini.DeleteSection();  // passes Section and path only
    EXPECT_EQ(ini.path(), L"caf\u00e9?.ini");
    EXPECT_EQ(ini.Section(), L"s?");
    EXPECT_EQ(ini.Key(), L"k\u20ac");
    EXPECT_EQ(ini.Default(), L"d\u2192");

    ini.Value();  // passes all four
    EXPECT_EQ(ini.Key(), L"k?");
    EXPECT_EQ(ini.Default(), L"d?");
    EXPECT_EQ(api->calls.back().section, std::optional<std::string>("s?"));
}

TEST(CiniCodePage, ValuesAreConvertedBothWays) {
    CINI ini(std::make_shared<FakeProfileApi>());
    ini.Key(L"k");
    ini.Value(L"\u00e9t\u00e9 \u20ac");
    EXPECT_EQ(ini.Value(), L"\u00e9t\u00e9 \u20ac");
}

struct ClngCase {
    const wchar_t* text;
    std::int32_t expected;

    friend void PrintTo(const ClngCase& c, std::ostream* os) {
        *os << ::testing::PrintToString(std::wstring(c.text)) << " -> " << c.expected;
    }
};

class CiniClngDefault : public ::testing::TestWithParam<ClngCase> {};

TEST_P(CiniClngDefault, ConvertsPlainDecimalsOrGivesTheDefault) {
    const CINI ini(std::make_shared<FakeProfileApi>());
    EXPECT_EQ(ini.CLngDefault(GetParam().text, -99), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CiniClngDefault,
    ::testing::Values(
        ClngCase{L"12", 12}, ClngCase{L"-7", -7}, ClngCase{L"+7", 7}, ClngCase{L"2.5", 2},
        ClngCase{L"3.5", 4}, ClngCase{L"-2.5", -2}, ClngCase{L"-3.5", -4}, ClngCase{L"2.51", 3},
        ClngCase{L"2.4999", 2}, ClngCase{L"2.50000000000000000001", 3}, ClngCase{L"0.5", 0},
        ClngCase{L".5", 0}, ClngCase{L"7.", 7}, ClngCase{L"-0", 0}, ClngCase{L" \t15 ", 15},
        ClngCase{L"000000000000042", 42}, ClngCase{L"2147483647", 2147483647},
        ClngCase{L"-2147483648", -2147483647 - 1}, ClngCase{L"2147483647.4", 2147483647},
        ClngCase{L"2147483647.5", -99}, ClngCase{L"2147483648", -99}, ClngCase{L"-2147483649", -99},
        ClngCase{L"99999999999999999999", -99}, ClngCase{L"", -99}, ClngCase{L"   ", -99},
        ClngCase{L"FAIL", -99}, ClngCase{L"12abc", -99}, ClngCase{L"1 2", -99},
        ClngCase{L"- 5", -99}, ClngCase{L"1e3", -99}, ClngCase{L"&H10", -99},
        ClngCase{L"0x10", -99}, ClngCase{L"1,000", -99}, ClngCase{L"2,5", -99}, ClngCase{L".", -99},
        ClngCase{L"-", -99}, ClngCase{L"inf", -99}, ClngCase{L"nan", -99},
        ClngCase{L"\uff11\uff12", -99}));

// A text with a NUL inside is no number, whatever comes before the NUL.
TEST(CiniClngDefaultFallback, IsZeroWhenNotGivenAndEmbeddedNulIsNotANumber) {
    const CINI ini(std::make_shared<FakeProfileApi>());
    EXPECT_EQ(ini.CLngDefault(L"FAIL"), 0);
    EXPECT_EQ(ini.CLngDefault(L"2147483648"), 0);
    EXPECT_EQ(ini.CLngDefault(std::wstring(L"1\0"
                                           L"2",
                                           3),
                              5),
              5);
}

}  // namespace
}  // namespace qrvl
