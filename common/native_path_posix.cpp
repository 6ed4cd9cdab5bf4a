// A path made absolute through the standard library, which follows the current folder.
#include <filesystem>
#include <system_error>

#include "common/native_path.h"

namespace qrvl {

std::wstring absolutePath(const std::wstring& text) {
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(nativePath(text), failed);
    return failed ? text : pathText(absolute);
}

}  // namespace qrvl
