// PNG files read back by the platform's own decoder (libpng natively, WIC under Wine), so that
// the tests check what the encoder wrote against an independent reader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "common/rgb_image.h"

namespace qrvl::test {

// The file's pixels as 8-bit RGB; nullopt when it does not decode.
std::optional<RgbImage> decodePng(std::span<const std::uint8_t> bytes);

}  // namespace qrvl::test
