// Text compared without regard to case, in any script, as the platform folds it.
#pragma once

#include <string>
#include <string_view>

namespace qrvl {

// `text` in lower case by the platform's own tables: LCMapStringEx over the invariant locale on
// Windows, the C library's wide-character tables of the C.UTF-8 locale elsewhere. Scripts
// without case (Hangul, Han) come back as they are; the length never changes.
std::wstring foldCase(std::wstring_view text);

}  // namespace qrvl
