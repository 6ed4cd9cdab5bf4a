// The whole-file read that both platforms share, over their readFileInto.
#include "mapfile/file_bytes.h"

namespace qrvl {

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::wstring& path,
                                                       std::uint64_t maxBytes, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!readFileInto(path, maxBytes, error, bytes)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace qrvl
