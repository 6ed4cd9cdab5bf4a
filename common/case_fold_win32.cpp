// Case folding through LCMapStringEx, with the invariant locale: a search must not change with
// the player's language settings.
#include <windows.h>

#include "common/case_fold.h"

namespace qrvl {

std::wstring foldCase(std::wstring_view text) {
    std::wstring folded(text);
    if (!folded.empty()) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(),
                      static_cast<int>(text.size()), folded.data(), static_cast<int>(folded.size()),
                      nullptr, nullptr, 0);
    }
    return folded;
}

}  // namespace qrvl
