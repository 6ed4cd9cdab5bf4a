// A path made absolute by Windows itself. std::filesystem would do the same, but would bring the
// C++ library's streams and locales into the exe with it, more than doubling its size.
#include <windows.h>

#include "common/native_path.h"

namespace qrvl {

std::wstring absolutePath(const std::wstring& text) {
    if (text.empty()) {
        return text;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD length =
            GetFullPathNameW(text.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return text;
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        // Too small: `length` is the room needed, its terminating null included.
        full.resize(length);
    }
    return text;
}

}  // namespace qrvl
