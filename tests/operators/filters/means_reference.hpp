// Plain references of the sliding means: every window summed afresh, the
// 8- and 16-bit horizontal means rounded before the vertical pass, as the
// filters define them. On values whose sums are exact in double (integers,
// or multiples of 1/256 of moderate size) they give the filters' results
// bit for bit.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <type_traits>
#include <vector>

namespace reference {

// An image and a window of the sweeps, with its report of a difference.
template <class Pixel>
struct Case {
    std::vector<Pixel> image;
    int nc, nr, colonnes, lignes;

    std::string describe() const {
        return std::to_string(nc) + "x" + std::to_string(nr) + " image, window " + std::to_string(colonnes) + "x" +
               std::to_string(lignes);
    }
    std::string where(std::size_t i) const {
        return "pixel (" + std::to_string(i % nc) + ", " + std::to_string(i / nc) + ")";
    }
};

// Results are equal but for doubles, whose running sums of inexact means
// round differently from sums made afresh: within a few units of the last
// place.
template <class T>
bool same(T a, T b) {
    if constexpr (std::is_same_v<T, double>) return std::abs(a - b) <= 1e-12 * std::max(1.0, std::abs(b));
    else return a == b;
}

// The mean over the window of half size h around x, cut to [0, length):
// sum(first, last) / count, as `mean` turns it into a value.
template <class Out, class Sum, class Mean>
std::vector<Out> line_means(int length, int h, Sum sum, Mean mean) {
    std::vector<Out> out(static_cast<std::size_t>(length));
    for (int x = 0; x < length; ++x) {
        const int first = std::max(0, x - h), last = std::min(length - 1, x + h);
        out[static_cast<std::size_t>(x)] = mean(sum(first, last), last - first + 1);
    }
    return out;
}

// Separable means of an nc x nr image given row after row: value(p) turns a
// pixel into the summed quantity, mean(sum, count) a sum into a result.
template <class Out, class Pixel, class Value, class Mean>
std::vector<Out> separable(const std::vector<Pixel>& image, int nc, int nr, int colonnes, int lignes, Value value,
                           Mean mean) {
    std::vector<Out> h(image.size()), out(image.size());
    for (int y = 0; y < nr; ++y) {
        const auto row = line_means<Out>(nc, colonnes / 2, [&](int a, int b) {
            double s = 0;
            for (int x = a; x <= b; ++x) s += value(image[static_cast<std::size_t>(y) * nc + x]);
            return s;
        }, mean);
        std::copy(row.begin(), row.end(), h.begin() + static_cast<std::ptrdiff_t>(y) * nc);
    }
    for (int x = 0; x < nc; ++x) {
        const auto column = line_means<Out>(nr, lignes / 2, [&](int a, int b) {
            double s = 0;
            for (int y = a; y <= b; ++y) s += static_cast<double>(h[static_cast<std::size_t>(y) * nc + x]);
            return s;
        }, mean);
        for (int y = 0; y < nr; ++y) out[static_cast<std::size_t>(y) * nc + x] = column[static_cast<std::size_t>(y)];
    }
    return out;
}

// The means of moy2D: rounded for 8- and 16-bit pixels, the sum in single
// precision over the count for floats, in double for doubles.
template <class Pixel>
Pixel mean(double sum, int count) {
    if constexpr (std::is_integral_v<Pixel>) return static_cast<Pixel>(sum / count + 0.5);
    else if constexpr (std::is_same_v<Pixel, float>) return static_cast<float>(sum) / static_cast<float>(count);
    else return sum / count;
}

}  // namespace reference
