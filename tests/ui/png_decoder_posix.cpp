// PNG decoding through libpng's simplified API.
#include <png.h>

#include "tests/ui/png_decoder.h"

namespace qrvl::test {

std::optional<RgbImage> decodePng(std::span<const std::uint8_t> bytes) {
    png_image description{};
    description.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&description, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    description.format = PNG_FORMAT_RGB;
    RgbImage image;
    image.width = static_cast<int>(description.width);
    image.height = static_cast<int>(description.height);
    image.rgb.resize(PNG_IMAGE_SIZE(description));
    if (!png_image_finish_read(&description, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&description);
        return std::nullopt;
    }
    return image;
}

}  // namespace qrvl::test
