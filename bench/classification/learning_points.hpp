// Labelled learning points as learning-set-tool writes them from 8-bit
// attribute images, for the benchmarks of the rules learning and of the
// preprocessing.
#pragma once

#include <algorithm>
#include <vector>

#include "generators.hpp"

namespace bench_data {

// `classes` classes of `per_class` points, `attributes` values each
// (values[a][point], points grouped by class): every class has a centre of
// one level per attribute (rng.high8(), class after class, attribute after
// attribute, kept within 32 ... 223), and each value of a point is its
// class centre plus two uniform draws of -16 ... +15 (rng.high8() / 8 - 16
// twice), so values are whole levels of 0 ... 255 spread around the centre.
inline std::vector<std::vector<float>> learning_points(gen::Lcg& rng, int classes, int per_class, int attributes) {
    std::vector<int> centre(static_cast<std::size_t>(classes * attributes));
    for (int& c : centre) c = std::clamp(static_cast<int>(rng.high8()), 32, 223);
    std::vector<std::vector<float>> values(static_cast<std::size_t>(attributes),
                                           std::vector<float>(static_cast<std::size_t>(classes * per_class)));
    for (int k = 0, p = 0; k < classes; ++k)
        for (int i = 0; i < per_class; ++i, ++p)
            for (int a = 0; a < attributes; ++a) {
                const int v = centre[k * attributes + a] + static_cast<int>(rng.high8() / 8) - 16 +
                              static_cast<int>(rng.high8() / 8) - 16;
                values[a][p] = static_cast<float>(v);
            }
    return values;
}

}  // namespace bench_data
