// Rounding half to even, and the 32-bit range.
#include <gtest/gtest.h>

#include <limits>

#include "common/rounding.h"
#include "common/twips.h"

namespace qrvl {
namespace {

TEST(RoundHalfEven, RoundsExactHalvesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEvenToInt32(2.5), 2);
    EXPECT_EQ(roundHalfEvenToInt32(3.5), 4);
    EXPECT_EQ(roundHalfEvenToInt32(-2.5), -2);
    EXPECT_EQ(roundHalfEvenToInt32(2.4999), 2);
    EXPECT_EQ(roundHalfEvenToInt32(2.5001), 3);
}

TEST(RoundHalfEven, RefusesValuesOutsideTheSigned32BitRange) {
    EXPECT_EQ(roundHalfEvenToInt32(2147483647.4), 2147483647);
    EXPECT_EQ(roundHalfEvenToInt32(-2147483648.4), -2147483647 - 1);
    EXPECT_FALSE(roundHalfEvenToInt32(2147483647.5));
    EXPECT_FALSE(roundHalfEvenToInt32(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(roundHalfEvenToInt32(std::numeric_limits<double>::infinity()));
}

TEST(Twips, ConvertAtTheWindowsDpi) {
    EXPECT_EQ(twipsToPixels(4695, 96), 313);
    EXPECT_EQ(twipsToPixels(4695, 144), 470);
    EXPECT_EQ(twipsToPixels(15, 96), 1);
    EXPECT_DOUBLE_EQ(twipsPerPixel(96), 15.0);
}

}  // namespace
}  // namespace qrvl
