// Byte-level helpers shared by the value readers of RegistryRoutines.
#include "registry/registry_data.h"

namespace qrvl::reg {

std::size_t withoutTrailingNuls(const std::vector<std::uint8_t>& data, std::size_t maxNuls) {
    std::size_t n = data.size();
    for (std::size_t dropped = 0; dropped < maxNuls && n > 0 && data[n - 1] == 0; ++dropped) {
        --n;
    }
    return n;
}

std::int32_t littleEndianInt32(const std::vector<std::uint8_t>& data) {
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < 4 && i < data.size(); ++i) {
        n |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    }
    return static_cast<std::int32_t>(n);
}

std::wstring hexText(const std::vector<std::uint8_t>& data) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(data.size() * 3);
    for (const auto byte : data) {
        if (!text.empty()) {
            text.push_back(L' ');
        }
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

}  // namespace qrvl::reg
