// Program text as a file-system path: UTF-8 bytes wherever paths are narrow.
#include "common/native_path.h"

#include <type_traits>

#include "common/text_codec.h"

namespace qrvl {

std::filesystem::path nativePath(const std::wstring& text) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t>) {
        return std::filesystem::path(text);
    } else {
        return std::filesystem::path(utf8Codec().encode(text));
    }
}

namespace {

template <typename Native>
std::wstring textOf(const Native& native) {
    if constexpr (std::is_same_v<Native, std::wstring>) {
        return native;
    } else {
        return utf8Codec().decode(native);
    }
}

}  // namespace

std::wstring pathText(const std::filesystem::path& path) {
    return textOf(path.native());
}

}  // namespace qrvl
