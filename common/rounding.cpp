// Rounding half to even, through the floating-point unit's default rounding mode.
#include "common/rounding.h"

#include <cmath>

namespace qrvl {

std::optional<std::int32_t> roundHalfEvenToInt32(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // The default mode (to nearest, ties to even) is never changed in this program.
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace qrvl
