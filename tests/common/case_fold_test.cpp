// Case folding, natively by the C library and under Wine by LCMapStringEx: a search must find a
// title in any script.
#include <gtest/gtest.h>

#include "common/case_fold.h"

namespace qrvl::test {
namespace {

TEST(CaseFoldTest, LowersEveryScriptThatHasCaseAndLeavesTheOthers) {
    const struct {
        const wchar_t* text;
        const wchar_t* folded;
    } rows[] = {
        {L"", L""},
        {L"Lost TEMPLE (2)", L"lost temple (2)"},
        {L"\u00C9COLE \u00C0 \u00D6RE", L"\u00E9cole \u00E0 \u00F6re"},  // accented Latin
        {L"\u041F\u0420\u0418\u0412\u0415\u0422",
         L"\u043F\u0440\u0438\u0432\u0435\u0442"},                               // Cyrillic
        {L"\u03A9\u039C\u0395\u0393\u0391", L"\u03C9\u03BC\u03B5\u03B3\u03B1"},  // Greek
        {L"\uD22C\uD63C\uC758 \uC12C", L"\uD22C\uD63C\uC758 \uC12C"},            // Hangul
        {L"\u6226\u5834 X", L"\u6226\u5834 x"},                                  // Han
    };
    for (const auto& row : rows) {
        EXPECT_EQ(foldCase(row.text), row.folded);
    }
}

}  // namespace
}  // namespace qrvl::test
