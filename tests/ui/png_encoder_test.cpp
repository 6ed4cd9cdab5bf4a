// The PNG seam's contract, on each platform against that platform's own decoder: what is written
// reads back as the same pixels, 8-bit RGB.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/ui/png_decoder.h"
#include "ui/png_encoder.h"

namespace qrvl::test {
namespace {

// Many byte values in every channel, and rows whose length is no multiple of 4 (bitmap APIs pad
// rows to 4 bytes; a picture has no padding).
RgbImage pattern(int width, int height) {
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int i = y * width + x;
            image.rgb.push_back(static_cast<std::uint8_t>(i));
            image.rgb.push_back(static_cast<std::uint8_t>(i * 7 + y));
            image.rgb.push_back(static_cast<std::uint8_t>(255 - x));
        }
    }
    return image;
}

TEST(PngEncoder, WritesWhatTheDecoderReadsBack) {
    const struct {
        const char* what;
        RgbImage image;
    } rows[] = {
        {"one pixel", pattern(1, 1)},     {"odd width", pattern(3, 2)},
        {"one row", pattern(257, 1)},     {"one column", pattern(1, 300)},
        {"many values", pattern(61, 47)}, {"preview sized", pattern(2048, 11)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto png = encodePng(row.image);
        ASSERT_TRUE(png.has_value());
        // The signature, then IHDR: bit depth 8, colour type 2 (RGB, no alpha, no palette).
        ASSERT_GT(png->size(), 26u);
        EXPECT_EQ(std::string(png->begin(), png->begin() + 8), "\x89PNG\r\n\x1A\n");
        EXPECT_EQ(std::string(png->begin() + 12, png->begin() + 16), "IHDR");
        EXPECT_EQ((*png)[24], 8);
        EXPECT_EQ((*png)[25], 2);
        EXPECT_EQ(decodePng(*png), row.image);
    }
}

TEST(PngEncoder, RefusesPicturesWithoutPixelsOrWithTheWrongBuffer) {
    const RgbImage rows[] = {
        {0, 0, {}},
        {0, 5, {}},
        {2, 2, std::vector<std::uint8_t>(11)},
        {2, 2, std::vector<std::uint8_t>(13)},
    };
    for (const RgbImage& image : rows) {
        EXPECT_EQ(encodePng(image), std::nullopt) << image.width << "x" << image.height;
    }
}

}  // namespace
}  // namespace qrvl::test
