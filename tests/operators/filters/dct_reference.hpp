// The log-DCT and its inverse written from their definitions, one pixel at
// a time: the constants (ln v, the cosines and square roots) are the exact
// values rounded to the nearest float; every product and sum of a pixel is
// a float operation, summed in increasing m from 0.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace dct_reference {

using Levels = std::vector<std::vector<std::uint16_t>>;  // [image][pixel]
using Coefficients = std::vector<std::vector<float>>;    // [coefficient][pixel]

// ln v rounded to the nearest float, 0 for v = 0 and 1.
inline float log_level(unsigned v) { return v < 2 ? 0.0f : static_cast<float>(std::log(static_cast<double>(v))); }

// Entry (k, m) of the DCT-II matrix; the inverse's entry (i, j) is (j, i).
inline float entry(int n, int k, int m) {
    if (k == 0) return static_cast<float>(std::sqrt(1.0 / n));
    return static_cast<float>(std::cos(k * (2 * m + 1) * std::numbers::pi / (2 * n))) *
           static_cast<float>(std::sqrt(2.0 / n));
}

inline Coefficients log_dct(const Levels& stack) {
    const int n = static_cast<int>(stack.size());
    Coefficients out(stack.size(), std::vector<float>(stack[0].size()));
    for (std::size_t i = 0; i < stack[0].size(); ++i)
        for (int k = 0; k < n; ++k) {
            float sum = 0.0f;
            for (int m = 0; m < n; ++m) sum = sum + entry(n, k, m) * log_level(stack[m][i]);
            out[k][i] = sum;
        }
    return out;
}

inline Levels idct_exp(const Coefficients& stack, float biais) {
    const int n = static_cast<int>(stack.size());
    Levels out(stack.size(), std::vector<std::uint16_t>(stack[0].size()));
    for (std::size_t i = 0; i < stack[0].size(); ++i)
        for (int k = 0; k < n; ++k) {
            float a = 0.0f;
            for (int m = 0; m < n; ++m) a = a + entry(n, m, k) * stack[m][i];
            const float b = std::exp(a) / biais + 0.5f;
            out[k][i] = b >= 65536.0f ? 65535 : b > 0.0f ? static_cast<std::uint16_t>(b) : 0;
        }
    return out;
}

}  // namespace dct_reference
