// RegistryRoutines' value members and TrimNull over the in-memory store: how each type converts
// both ways, and what a query that goes wrong gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/registry/registry_routines_fixture.h"

namespace qrvl::test {
namespace {

using namespace std::string_literals;

const std::string kKey = "Software\\Test\\Sub";

// ---- GetRegistryValue conversions ----

struct ReadCase {
    const char* what;
    std::uint32_t type;
    std::string data;
    Variant expected;  // "DEFAULT" stands for the caller's default
};

const Variant kDefault = std::wstring(L"DEFAULT");

class ReadConversionTest : public RegistryRoutinesTest,
                           public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadConversionTest, ConvertsByType) {
    seed(kKey, "v", GetParam().type, bytesOf(GetParam().data));
    EXPECT_EQ(routines.GetRegistryValue(L"v", kDefault), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReadConversionTest,
    ::testing::Values(
        ReadCase{"sz with NUL", 1, "abc\0"s, std::wstring(L"abc")},
        ReadCase{"sz without NUL keeps its last char", 1, "abc", std::wstring(L"abc")},
        ReadCase{"sz of 0 bytes", 1, "", kDefault},
        ReadCase{"sz of one NUL", 1, "\0"s, std::wstring()},
        ReadCase{"sz keeps inner NULs", 1, "a\0b\0"s, std::wstring(L"a\0b", 3)},
        ReadCase{"sz drops only one NUL", 1, "ab\0\0"s, std::wstring(L"ab\0", 3)},
        ReadCase{"sz utf-8 text", 1, "\xC3\xA9t\xC3\xA9\0"s, std::wstring(L"\u00E9t\u00E9")},
        ReadCase{"sz larger than the first buffer reads whole", 1, std::string(2999, 'q') + '\0',
                 std::wstring(2999, L'q')},
        ReadCase{"expand of 0 bytes", 2, "", kDefault},
        ReadCase{"expand without references", 2, "plain\0"s, std::wstring(L"plain")},
        ReadCase{"expansion longer than the text comes back whole", 2, "%QRVL_WIDE%\\x\0"s,
                 std::wstring(L"wide-expansion\\x")},
        ReadCase{"expansion shorter than the text has no NUL at its end", 2, "<%QRVL_SHORT%>\0"s,
                 std::wstring(L"<a>")},
        ReadCase{"multi two items", 7, "a\0b\0\0"s, std::wstring(L"a\0b", 3)},
        ReadCase{"multi empty first item", 7, "\0b\0\0"s, kDefault},
        ReadCase{"multi of two NULs", 7, "\0\0"s, kDefault},
        ReadCase{"multi of 0 bytes", 7, "", kDefault},
        ReadCase{"multi of one char", 7, "a", std::wstring(L"a")},
        ReadCase{"multi of one NUL", 7, "\0"s, kDefault},
        ReadCase{"multi missing list end", 7, "a\0b\0"s, std::wstring(L"a\0b", 3)},
        ReadCase{"multi without NULs", 7, "ab", std::wstring(L"ab")},
        ReadCase{"multi drops at most two", 7, "a\0\0\0"s, std::wstring(L"a\0", 2)},
        ReadCase{"multi with a very long first item reads whole", 7,
                 std::string(40000, 'm') + "\0n\0\0"s,
                 std::wstring(40000, L'm') + std::wstring(L"\0n", 2)},
        ReadCase{"binary", 3, "\x0A\xFF\x03", Bytes{0x0A, 0xFF, 0x03}},
        ReadCase{"binary of 0 bytes", 3, "", Bytes{}},
        ReadCase{"dword -1", 4, "\xFF\xFF\xFF\xFF", std::int32_t{-1}},
        ReadCase{"dword 5", 4, "\x05\0\0\0"s, std::int32_t{5}},
        ReadCase{"short dword", 4, "\x01\x02", std::int32_t{0x0201}},
        ReadCase{"dword of 0 bytes", 4, "", std::int32_t{0}},
        ReadCase{"long dword uses first four", 4, "\x01\0\0\0\x09"s, std::int32_t{1}},
        ReadCase{"none", 0, "abc", kDefault},
        ReadCase{"big endian dword", 5, "\0\0\0\x05"s, kDefault},
        ReadCase{"link", 6, "abc", kDefault}, ReadCase{"resource list", 8, "abc", kDefault},
        ReadCase{"qword", 11, "\x01\0\0\0\0\0\0\0"s, kDefault}));

TEST_F(RegistryRoutinesTest, MissingValueGivesTheEmptyValueNotAnEmptyText) {
    seedKey(kKey);
    const Variant v = routines.GetRegistryValue(L"absent");
    EXPECT_TRUE(isEmpty(v));
}

TEST_F(RegistryRoutinesTest, MissingKeyGivesTheDefault) {
    EXPECT_EQ(routines.GetRegistryValue(L"v", std::wstring(L"x")), Variant(std::wstring(L"x")));
    EXPECT_TRUE(recorder->openHandles.empty());
}

TEST_F(RegistryRoutinesTest, UnsetHandleTakesTheFailurePath) {
    RegistryRoutines fresh(recorder);
    EXPECT_EQ(fresh.GetRegistryValue(L"v", std::int32_t{7}), Variant(std::int32_t{7}));
    EXPECT_FALSE(fresh.SetRegistryValue(L"v", L"x", 1));
}

TEST_F(RegistryRoutinesTest, ValueOfExactlyTheFirstBufferNeedsOneQuery) {
    seed(kKey, "v", 3, std::vector<std::uint8_t>(1024, 0x11));
    EXPECT_EQ(routines.GetRegistryValue(L"v"), Variant(Bytes(1024, 0x11)));
    EXPECT_EQ(recorder->queries, 1);
}

// ---- queries that go wrong ----

TEST_F(RegistryRoutinesTest, ValueThatGrowsBetweenTheQueriesGivesTheDefault) {
    seed(kKey, "v", 1, bytesOf("x\0"s));
    int calls = 0;
    recorder->onQuery = [&](std::uint32_t* type, std::uint8_t*,
                            std::uint32_t* size) -> std::optional<std::int32_t> {
        *type = 1;
        *size = 2000u * static_cast<std::uint32_t>(++calls);
        return reg::kMoreData;
    };
    EXPECT_EQ(routines.GetRegistryValue(L"v", kDefault), kDefault);
    EXPECT_EQ(calls, 2);
}

TEST_F(RegistryRoutinesTest, ReportedSizeBeyondTheBufferIsNeverRead) {
    seed(kKey, "v", 3, bytesOf("x"));
    int calls = 0;
    recorder->onQuery = [&](std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) -> std::optional<std::int32_t> {
        *type = 3;
        if (++calls == 1) {
            *size = 2000;
            return reg::kMoreData;
        }
        std::fill(data, data + 2000, 0x5A);
        *size = 9000;
        return reg::kSuccess;
    };
    EXPECT_EQ(routines.GetRegistryValue(L"v"), Variant(Bytes(2000, 0x5A)));
}

TEST_F(RegistryRoutinesTest, FailedQueryNeverConvertsWhatItLeftBehind) {
    seed(kKey, "v", 1, bytesOf("x\0"s));
    recorder->onQuery = [](std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* size) -> std::optional<std::int32_t> {
        *type = 1;
        data[0] = 'g';
        *size = 2;
        return reg::kAccessDenied;
    };
    EXPECT_EQ(routines.GetRegistryValue(L"v", kDefault), kDefault);
}

// ---- SetRegistryValue ----

struct WriteCase {
    const char* what;
    Variant value;
    std::int32_t type;
    std::string stored;
};

class WriteEncodingTest : public RegistryRoutinesTest,
                          public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteEncodingTest, StoresExactlyTheseBytes) {
    seedKey(kKey);
    EXPECT_TRUE(routines.SetRegistryValue(L"v", GetParam().value, GetParam().type));
    const Raw r = raw(kKey, "v");
    ASSERT_EQ(r.rc, reg::kSuccess) << GetParam().what;
    EXPECT_EQ(r.type, static_cast<std::uint32_t>(GetParam().type));
    EXPECT_EQ(r.data, bytesOf(GetParam().stored)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Types, WriteEncodingTest,
    ::testing::Values(WriteCase{"sz gets one NUL", std::wstring(L"abc"), 1, "abc\0"s},
                      WriteCase{"expand sz is not expanded", std::wstring(L"%X%"), 2, "%X%\0"s},
                      WriteCase{"empty sz is one NUL", std::wstring(), 1, "\0"s},
                      WriteCase{"number as sz", std::int32_t{42}, 1, "42\0"s},
                      WriteCase{"sz utf-8", std::wstring(L"\u00E9"), 1, "\xC3\xA9\0"s},
                      WriteCase{"multi exactly as given", std::wstring(L"a\0b", 3), 7, "a\0b"s},
                      WriteCase{"multi with its ends", std::wstring(L"a\0b\0\0", 5), 7,
                                "a\0b\0\0"s},
                      WriteCase{"binary", Bytes{0x01, 0x00, 0xFE}, 3, "\x01\0\xFE"s},
                      WriteCase{"dword", std::int32_t{5}, 4, "\x05\0\0\0"s},
                      WriteCase{"negative dword", std::int32_t{-2}, 4, "\xFE\xFF\xFF\xFF"},
                      WriteCase{"dword from text", std::wstring(L" 258 "), 4, "\x02\x01\0\0"s}));

class WriteTypeWithoutEncodingTest : public RegistryRoutinesTest,
                                     public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(WriteTypeWithoutEncodingTest, AnswersTrueAndWritesNothing) {
    seedKey(kKey);
    EXPECT_TRUE(routines.SetRegistryValue(L"v", std::wstring(L"abc"), GetParam()));
    EXPECT_EQ(raw(kKey, "v").rc, reg::kFileNotFound);
}

INSTANTIATE_TEST_SUITE_P(Types, WriteTypeWithoutEncodingTest,
                         ::testing::Values(0, 5, 6, 8, 11, -1));

struct WriteFaultCase {
    const char* what;
    Variant value;
    std::int32_t type;
    int error;
};

class WriteFaultTest : public RegistryRoutinesTest,
                       public ::testing::WithParamInterface<WriteFaultCase> {};

TEST_P(WriteFaultTest, RaisesTheConversionErrorAndClosesTheKey) {
    seedKey(kKey);
    EXPECT_EQ(
        errorNumberOf([&] { routines.SetRegistryValue(L"v", GetParam().value, GetParam().type); }),
        GetParam().error)
        << GetParam().what;
    EXPECT_EQ(raw(kKey, "v").rc, reg::kFileNotFound);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WriteFaultTest,
    ::testing::Values(WriteFaultCase{"bytes as text", Bytes{1}, 1, 13},
                      WriteFaultCase{"bytes as multi", Bytes{1}, 7, 13},
                      WriteFaultCase{"word as dword", std::wstring(L"abc"), 4, 13},
                      WriteFaultCase{"dword out of range", std::wstring(L"3000000000"), 4, 6},
                      WriteFaultCase{"text as binary", std::wstring(L"ab"), 3, 13},
                      WriteFaultCase{"no bytes as binary", Bytes{}, 3, 9}));

TEST_F(RegistryRoutinesTest, WriteToAMissingKeyFailsAndCreatesNothing) {
    EXPECT_FALSE(routines.SetRegistryValue(L"v", std::wstring(L"x"), 1));
    EXPECT_FALSE(routines.SetRegistryValue(L"v", std::wstring(L"x"), 5));
    EXPECT_FALSE(keyPresent(kKey));
}

TEST_F(RegistryRoutinesTest, RefusedWriteAnswersFalse) {
    seedKey(kKey);
    recorder->onSet = [] { return std::optional<std::int32_t>(reg::kAccessDenied); };
    EXPECT_FALSE(routines.SetRegistryValue(L"v", std::int32_t{1}, 4));
}

TEST_F(RegistryRoutinesTest, RecentMapsListSurvivesARoundTrip) {
    routines.KeyRoot(L"software\\Blizzard Entertainment\\Starcraft");
    routines.Subkey(L"");
    seedKey("software\\Blizzard Entertainment\\Starcraft");
    const std::wstring maps(L"C:\\maps\\b.scx\0C:\\maps\\a.scm\0\0", 29);
    ASSERT_TRUE(routines.SetRegistryValue(L"Recent Maps", maps, 7));
    EXPECT_EQ(routines.GetRegistryValue(L"Recent Maps"),
              Variant(std::wstring(L"C:\\maps\\b.scx\0C:\\maps\\a.scm", 27)));
}

// ---- TrimNull ----

struct TrimCase {
    std::wstring item;
    std::wstring trimmed;
};

class TrimNullTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimNullTest, CutsAtTheFirstNulInPlace) {
    std::wstring item = GetParam().item;
    EXPECT_EQ(RegistryRoutines::TrimNull(item), GetParam().trimmed);
    EXPECT_EQ(item, GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Texts, TrimNullTest,
                         ::testing::Values(TrimCase{std::wstring(L"ab\0cd", 5), L"ab"},
                                           TrimCase{L"abc", L"abc"},
                                           TrimCase{std::wstring(L"\0x", 2), L""},
                                           TrimCase{L"", L""},
                                           TrimCase{std::wstring(40000, L'z') + L'\0' + L'y',
                                                    std::wstring(40000, L'z')}));

}  // namespace
}  // namespace qrvl::test
