// PNG encoding through libpng's simplified API, which reports errors as values: no longjmp
// crosses our frames.
#include "ui/png_encoder.h"

#include <png.h>

namespace qrvl {

std::optional<std::vector<std::uint8_t>> encodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
        return std::nullopt;
    }
    png_image description{};
    description.version = PNG_IMAGE_VERSION;
    description.width = static_cast<png_uint_32>(image.width);
    description.height = static_cast<png_uint_32>(image.height);
    description.format = PNG_FORMAT_RGB;
    // The bound libpng gives for any image of this size, so that one pass is enough.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(description);
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&description, bytes.data(), &size, 0, image.rgb.data(), 0,
                                   nullptr)) {
        png_image_free(&description);
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace qrvl
