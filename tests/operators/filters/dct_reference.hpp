// The log-DCT and its inverse written from their definitions, one pixel at
// a time: the constants (ln v, the cosines and square roots of the matrix)
// are the exact values rounded to the nearest float, every product and sum
// of a pixel is a float operation, the sums run in increasing m from 0.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace dct_reference {

// ln v rounded to the nearest float, 0 for v = 0 and 1.
inline float log_level(unsigned v) { return v < 2 ? 0.0f : static_cast<float>(std::log(static_cast<double>(v))); }

// Entry (k, m) of the orthonormal n-point DCT-II matrix with both factors
// rounded to float before their float product.
inline float forward_entry(int n, int k, int m) {
    if (k == 0) return static_cast<float>(std::sqrt(1.0 / n));
    const float cosine = static_cast<float>(std::cos(k * (2 * m + 1) * std::numbers::pi / (2 * n)));
    const float scale = static_cast<float>(std::sqrt(2.0 / n));
    return cosine * scale;
}

// Entry (i, j) of the DCT-III matrix: sqrt(1/n) in column 0,
// cos((2i + 1) j pi / (2n)) * sqrt(2/n) elsewhere.
inline float inverse_entry(int n, int i, int j) {
    if (j == 0) return static_cast<float>(std::sqrt(1.0 / n));
    const float cosine = static_cast<float>(std::cos((2 * i + 1) * j * std::numbers::pi / (2 * n)));
    const float scale = static_cast<float>(std::sqrt(2.0 / n));
    return cosine * scale;
}

// stack[m][i] is pixel i of image m; result[k][i] is coefficient k of
// pixel i.
inline std::vector<std::vector<float>> log_dct(const std::vector<std::vector<std::uint16_t>>& stack) {
    const int n = static_cast<int>(stack.size());
    std::vector<std::vector<float>> result(stack.size(), std::vector<float>(stack[0].size()));
    std::vector<float> p(stack.size());
    for (std::size_t i = 0; i < stack[0].size(); ++i) {
        for (int m = 0; m < n; ++m) p[m] = log_level(stack[m][i]);
        for (int k = 0; k < n; ++k) {
            float sum = 0.0f;
            for (int m = 0; m < n; ++m) {
                const float product = forward_entry(n, k, m) * p[m];
                sum = sum + product;
            }
            result[k][i] = sum;
        }
    }
    return result;
}

// The 16-bit value of b = e^a / biais + 0.5: 65535 from 65536 on, 0 at 0
// and below (and for NaN), else b truncated.
inline std::uint16_t level(float b) {
    if (b >= 65536.0f) return 65535;
    if (!(b > 0.0f)) return 0;
    return static_cast<std::uint16_t>(b);
}

// coefficients[m][i] is coefficient m of pixel i; result[k][i] is value k.
inline std::vector<std::vector<std::uint16_t>> idct_exp(const std::vector<std::vector<float>>& coefficients,
                                                        float biais) {
    const int n = static_cast<int>(coefficients.size());
    std::vector<std::vector<std::uint16_t>> result(coefficients.size(),
                                                   std::vector<std::uint16_t>(coefficients[0].size()));
    for (std::size_t i = 0; i < coefficients[0].size(); ++i)
        for (int k = 0; k < n; ++k) {
            float a = 0.0f;
            for (int m = 0; m < n; ++m) {
                const float product = inverse_entry(n, k, m) * coefficients[m][i];
                a = a + product;
            }
            const float e = std::exp(a);
            const float b = e / biais + 0.5f;
            result[k][i] = level(b);
        }
    return result;
}

}  // namespace dct_reference
