// Rounding to the nearest whole number, an exact half to the even neighbour.
#pragma once

#include <cstdint>
#include <optional>

namespace qrvl {

// 2.5 gives 2, 3.5 gives 4, -2.5 gives -2. Empty when the result lies outside the signed 32-bit
// range or the value is not a finite number.
std::optional<std::int32_t> roundHalfEvenToInt32(double value);

}  // namespace qrvl
