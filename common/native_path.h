// Program text as a file-system path, the same in every locale.
#pragma once

#include <filesystem>
#include <string>

namespace qrvl {

// Windows takes the text as it is. Elsewhere file names are bytes meant as UTF-8, and the text
// becomes those bytes: the standard library's own conversion follows the C library's locale,
// which in the "C" locale a program starts in throws on every character outside ASCII.
std::filesystem::path nativePath(const std::wstring& text);

// The text of a file-system path, the reverse of nativePath.
std::wstring pathText(const std::filesystem::path& path);

// `text` made absolute against the current folder (GetFullPathNameW on Windows); the text itself
// when that cannot be done.
std::wstring absolutePath(const std::wstring& text);

// The last part of a path, after its last slash or backslash: a map's name where it has no title.
inline std::wstring fileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace qrvl
