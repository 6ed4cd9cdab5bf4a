// PNG files made from pictures in memory, by the platform's own codec: WIC on Windows, libpng
// elsewhere.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/rgb_image.h"

namespace qrvl {

// The bytes of a PNG file that decodes to exactly `image`'s pixels, 8 bits a channel. nullopt
// when the codec cannot be had or fails, or when the image has no pixels or its buffer does not
// hold width × height × 3 bytes. Callable from any thread; on Windows it joins the calling
// thread to COM for the call when no one has, and leaves it as it found it.
std::optional<std::vector<std::uint8_t>> encodePng(const RgbImage& image);

}  // namespace qrvl
