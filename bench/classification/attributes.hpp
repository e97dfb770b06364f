// Three correlated 8-bit attribute images with a few clusters, for the
// classification benchmarks.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "generators.hpp"

namespace bench_data {

// Three n x n attribute images of `clusters` clusters (at most 256), and
// the cluster of each pixel: a smooth blobs image (cells of 64 pixels,
// gen::blobs_image) chooses the cluster of each pixel by its level (level x
// clusters / 256); each cluster has a centre of three levels drawn from rng
// (rng.high8(), cluster after cluster, attribute after attribute), and each
// attribute of a pixel is its centre's level plus a uniform draw of
// -16 ... +15 (rng.high8() / 8 - 16, attribute after attribute), clamped to
// 0 ... 255. The three images thus vary together. Images 0 to 2 are the
// attributes, image 3 the clusters (0 ... clusters - 1).
inline std::array<gen::Bytes, 4> cluster_attributes(gen::Lcg& rng, int n, int clusters) {
    const gen::Bytes map = gen::blobs_image(rng, n, 64);
    std::array<int, 3 * 256> centre{};
    for (int c = 0; c < clusters; ++c)
        for (int a = 0; a < 3; ++a) centre[3 * c + a] = static_cast<int>(rng.high8());
    std::array<gen::Bytes, 4> images;
    for (auto& image : images) image.resize(map.size());
    for (std::size_t i = 0; i < map.size(); ++i) {
        const int c = map[i] * clusters / 256;
        images[3][i] = static_cast<unsigned char>(c);
        for (int a = 0; a < 3; ++a) {
            const int v = centre[3 * c + a] + static_cast<int>(rng.high8() / 8) - 16;
            images[a][i] = static_cast<unsigned char>(std::clamp(v, 0, 255));
        }
    }
    return images;
}

}  // namespace bench_data
