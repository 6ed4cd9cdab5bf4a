// Case folding through the C library's tables for C.UTF-8, whatever locale the program runs in.
#include <locale.h>
#include <wctype.h>

#include "common/case_fold.h"

namespace qrvl {

std::wstring foldCase(std::wstring_view text) {
    // The "C" locale a program starts in knows only ASCII's cases.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    std::wstring folded(text);
    for (wchar_t& c : folded) {
        c = utf8 ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), utf8))
                 : static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
    }
    return folded;
}

}  // namespace qrvl
