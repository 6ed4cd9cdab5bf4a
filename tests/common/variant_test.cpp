// Conversions of the dynamic value raise the numbered errors the classes rely on.
#include <gtest/gtest.h>

#include "common/error.h"
#include "common/variant.h"
#include "tests/error_number.h"

namespace qrvl {
namespace {

using test::errorNumberOf;

TEST(Variant, EmptyIsDistinctFromEmptyText) {
    EXPECT_TRUE(isEmpty(Variant{}));
    EXPECT_FALSE(isEmpty(Variant{std::wstring{}}));
}

TEST(VariantToText, ConvertsEmptyTextAndNumbersButNotBytes) {
    EXPECT_EQ(toText(Variant{}), L"");
    EXPECT_EQ(toText(Variant{std::wstring(L"a\0b", 3)}), std::wstring(L"a\0b", 3));
    EXPECT_EQ(toText(Variant{std::int32_t{-7}}), L"-7");
    EXPECT_EQ(errorNumberOf([] { toText(Variant{Bytes{1}}); }), 13);
}

TEST(VariantToInt32, ConvertsNumbersAndRaisesOnEverythingElse) {
    EXPECT_EQ(toInt32(Variant{std::int32_t{5}}), 5);
    EXPECT_EQ(toInt32(Variant{std::wstring(L" 12 ")}), 12);
    EXPECT_EQ(toInt32(Variant{std::wstring(L"2.5")}), 2);
    EXPECT_EQ(toInt32(Variant{std::wstring(L"3.5")}), 4);
    EXPECT_EQ(toInt32(Variant{}), 0);
    EXPECT_EQ(errorNumberOf([] { toInt32(Variant{std::wstring(L"FAIL")}); }), 13);
    EXPECT_EQ(errorNumberOf([] { toInt32(Variant{std::wstring(L"")}); }), 13);
    EXPECT_EQ(errorNumberOf([] { toInt32(Variant{std::wstring(L"12x")}); }), 13);
    EXPECT_EQ(errorNumberOf([] { toInt32(Variant{std::wstring(L"2147483648")}); }), 6);
    EXPECT_EQ(errorNumberOf([] { toInt32(Variant{Bytes{1}}); }), 13);
}

TEST(VariantToBytes, RaisesOutOfRangeForAnArrayWithoutElements) {
    EXPECT_EQ(toBytes(Variant{Bytes{1, 2}}), (Bytes{1, 2}));
    EXPECT_EQ(errorNumberOf([] { toBytes(Variant{Bytes{}}); }), 9);
    EXPECT_EQ(errorNumberOf([] { toBytes(Variant{std::wstring(L"ab")}); }), 13);
}

}  // namespace
}  // namespace qrvl
