// truncation.hpp: float-to-integer truncations shared by the classification modules.
#pragma once

#include <climits>

namespace classification {

// v truncated toward zero into an int; values beyond the range of int give
// its nearest end and NaN gives 0, where a plain conversion would be
// undefined.
inline int truncated(float v) {
    if (v >= 2147483648.0f) return INT_MAX;
    if (v > -2147483648.0f) return static_cast<int>(v);
    return v <= -2147483648.0f ? INT_MIN : 0;
}

// v truncated toward zero into 0 ... 65535, values beyond clamped, NaN 0.
inline unsigned short truncated_u16(float v) {
    return static_cast<unsigned short>(v >= 0.0f ? (v < 65535.0f ? v : 65535.0f) : 0.0f);
}

}  // namespace classification
