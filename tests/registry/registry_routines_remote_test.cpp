// Reaching another computer's registry: the connection's failures, the key path, and that the
// conversions are the local ones.
#include <gtest/gtest.h>

#include <string>

#include "tests/registry/registry_routines_fixture.h"

namespace qrvl::test {
namespace {

using namespace std::string_literals;

const std::string kKey = "Software\\Test\\Sub";
const Variant kError = std::wstring(L"Error!");

TEST_F(RegistryRoutinesTest, UnreachableComputerReadsErrorAndFailsTheWriteWithThirteen) {
    seed(kKey, "v", 1, bytesOf("x\0"s));
    EXPECT_EQ(routines.ReadRemoteRegistryValue(L"\\\\faraway", kRoot, L"v"), kError);
    EXPECT_EQ(errorNumberOf([&] {
                  routines.WriteRemoteRegistryValue(L"faraway", kRoot, L"v", std::wstring(L"y"), 1);
              }),
              13);
    EXPECT_TRUE(recorder->opens.empty());
    EXPECT_EQ(raw(kKey, "v").data, bytesOf("x\0"s));
}

TEST_F(RegistryRoutinesTest, ComputerNameGoesToTheConnectionUnchanged) {
    routines.ReadRemoteRegistryValue(L"\\\\LocalBox", reg::kLocalMachine, L"v");
    ASSERT_EQ(recorder->connects.size(), 1u);
    EXPECT_EQ(recorder->connects[0], "\\\\LocalBox");
}

TEST_F(RegistryRoutinesTest, RemoteMembersUseTheObjectsPathUnlessAKeyPathIsGiven) {
    routines.KeyRoot(L"a");
    routines.Subkey(L"b");
    routines.ReadRemoteRegistryValue(L"", kRoot, L"v");
    routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::int32_t{1}, 4);
    routines.ReadRemoteRegistryValue(L"", kRoot, L"v", L"x\\y");
    routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::int32_t{1}, 4, L"x\\y");
    ASSERT_EQ(recorder->opens.size(), 4u);
    EXPECT_EQ(recorder->opens[0].path, "a\\b");
    EXPECT_EQ(recorder->opens[1].path, "a\\b");
    EXPECT_EQ(recorder->opens[2].path, "x\\y");
    EXPECT_EQ(recorder->opens[3].path, "x\\y");
    for (const auto& open : recorder->opens) {
        EXPECT_EQ(open.access, reg::kKeyAllAccess);
    }
}

TEST_F(RegistryRoutinesTest, RemoteReadGivesTheEmptyValueForAMissingKeyOrValue) {
    EXPECT_TRUE(isEmpty(routines.ReadRemoteRegistryValue(L"", kRoot, L"v")));
    seedKey(kKey);
    EXPECT_TRUE(isEmpty(routines.ReadRemoteRegistryValue(L"", kRoot, L"v")));
}

TEST_F(RegistryRoutinesTest, RemoteReadClosesTheKeyBeforeTheConnection) {
    seed(kKey, "v", 4, bytesOf("\x05\0\0\0"s));
    EXPECT_EQ(routines.ReadRemoteRegistryValue(L"", kRoot, L"v"), Variant(std::int32_t{5}));
    ASSERT_EQ(recorder->closes.size(), 2u);
    ASSERT_FALSE(recorder->opens.empty());
    EXPECT_EQ(recorder->closes[1], recorder->opens[0].parent);
}

TEST_F(RegistryRoutinesTest, RemoteWriteStoresWhatTheLocalWriteStores) {
    seedKey(kKey);
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"", kRoot, L"s", std::wstring(L"abc"), 1));
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"", kRoot, L"m", std::wstring(L"a\0b", 3), 7));
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"", kRoot, L"d", std::int32_t{-1}, 4));
    EXPECT_EQ(raw(kKey, "s").data, bytesOf("abc\0"s));
    EXPECT_EQ(raw(kKey, "m").data, bytesOf("a\0b"s));
    EXPECT_EQ(raw(kKey, "d").data, bytesOf("\xFF\xFF\xFF\xFF"));
}

TEST_F(RegistryRoutinesTest, RemoteWriteOfATypeWithoutEncodingWritesNothingAndAnswersTrue) {
    seedKey(kKey);
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::wstring(L"x"), 6));
    EXPECT_EQ(raw(kKey, "v").rc, reg::kFileNotFound);
    // Without the key as well: nothing was to be written, so nothing failed.
    EXPECT_TRUE(routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::wstring(L"x"), 6,
                                                  L"Software\\Nowhere"));
}

TEST_F(RegistryRoutinesTest, RemoteWriteToAMissingKeyFailsButStillChecksTheValue) {
    EXPECT_FALSE(routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::wstring(L"x"), 1));
    EXPECT_FALSE(keyPresent(kKey));
    EXPECT_EQ(errorNumberOf([&] {
                  routines.WriteRemoteRegistryValue(L"", kRoot, L"v", std::wstring(L"x"), 4);
              }),
              13);
}

TEST_F(RegistryRoutinesTest, RemoteConversionFaultStillClosesEverything) {
    seedKey(kKey);
    EXPECT_EQ(
        errorNumberOf([&] { routines.WriteRemoteRegistryValue(L"", kRoot, L"v", Bytes{}, 3); }), 9);
    EXPECT_EQ(recorder->closes.size(), 2u);
}

struct RemoteReadCase {
    const char* what;
    std::uint32_t type;
    std::string data;
    Variant expected;
};

class RemoteReadConversionTest : public RegistryRoutinesTest,
                                 public ::testing::WithParamInterface<RemoteReadCase> {};

TEST_P(RemoteReadConversionTest, ConvertsAsTheLocalReadWithTheEmptyValueAsDefault) {
    seed(kKey, "v", GetParam().type, bytesOf(GetParam().data));
    EXPECT_EQ(routines.ReadRemoteRegistryValue(L"", kRoot, L"v"), GetParam().expected)
        << GetParam().what;
    EXPECT_EQ(routines.GetRegistryValue(L"v"), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Types, RemoteReadConversionTest,
    ::testing::Values(RemoteReadCase{"dword", 4, "\x05\0\0\0"s, std::int32_t{5}},
                      RemoteReadCase{"short dword", 4, "\xFF", std::int32_t{255}},
                      RemoteReadCase{"sz without NUL", 1, "abc", std::wstring(L"abc")},
                      RemoteReadCase{"sz of 0 bytes", 1, "", Variant()},
                      RemoteReadCase{"expand", 2, "%QRVL_WIDE%\0"s,
                                     std::wstring(L"wide-expansion")},
                      RemoteReadCase{"binary of 0 bytes", 3, "", Bytes{}},
                      RemoteReadCase{"multi of one char", 7, "z", std::wstring(L"z")},
                      RemoteReadCase{"multi empty first item", 7, "\0z\0\0"s, Variant()},
                      RemoteReadCase{"none", 0, "x", Variant()}));

TEST_F(RegistryRoutinesTest, RemoteReadOfALargeValueUsesASecondQuery) {
    seed(kKey, "v", 3, std::vector<std::uint8_t>(3000, 7));
    EXPECT_EQ(routines.ReadRemoteRegistryValue(L"", kRoot, L"v"), Variant(Bytes(3000, 7)));
}

}  // namespace
}  // namespace qrvl::test
