// Seeded generators of the images and volumes that the samples, the tests
// and the benchmarks run on. Every generator is a pure function of its
// arguments (and of the state of the Lcg it is handed), so that the same
// call always yields the same bytes on every machine.
//
// Buffers are plain bytes: an image row after row (x fastest), a volume
// plane after plane and, within a plane, trace after trace. Callers copy
// them into image records or write them to files.
//
// Header-only, standard library only: make-samples and the benchmarks use
// it without linking the test framework.

#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace gen {

using Bytes = std::vector<unsigned char>;

// 32-bit linear congruential generator (multiplier 1664525, increment 1013904223).
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}

    // Advances the state once and returns the new state.
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_;
    }

    // Advances once and returns the top 8 bits of the new state (0..255).
    std::uint32_t high8() { return next() >> 24; }

    // Advances once and returns the top 24 bits of the new state.
    std::uint32_t high24() { return next() >> 8; }

    // The current state, as the next call to next() will advance it.
    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_;
};

namespace detail {

inline std::size_t area(int nc, int nr) { return static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr); }

}  // namespace detail

// The smooth pattern at (x, y) of an nc x nr image: a diagonal ramp from
// about 30 to 230 with concentric rings of amplitude 40, clamped to 0..255.
inline unsigned char pattern(int x, int y, int nc, int nr) {
    const double dx = x - nc / 2.0, dy = y - nr / 2.0;
    const double ring = 40.0 * std::sin(std::sqrt(dx * dx + dy * dy) / 6.0);
    const double ramp = 200.0 * (x + y) / (nc + nr);
    return static_cast<unsigned char>(std::lround(std::fmin(255.0, std::fmax(0.0, ramp + ring + 30.0))));
}

// The nc x nr image of pattern().
inline Bytes pattern_image(int nc, int nr) {
    Bytes p(detail::area(nc, nr));
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) p[static_cast<std::size_t>(y) * nc + x] = pattern(x, y, nc, nr);
    return p;
}

// dimx x dimy x dimz: a ball of 210 and a tube of 160 across a gradient
// 40..99 along x; each voxel turns 0 with odds noise_per_mille/2 in 1000
// and 255 with the rest of noise_per_mille in 1000 (one draw per voxel).
inline Bytes phantom_volume(int dimx, int dimy, int dimz, std::uint32_t seed, int noise_per_mille) {
    Bytes v(detail::area(dimx, dimy) * static_cast<std::size_t>(dimz));
    Lcg rng(seed);
    std::size_t i = 0;
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x, ++i) {
                const double bx = x - dimx * 0.4, by = y - dimy * 0.5, bz = z - dimz * 0.5;
                const double tube = (y - dimy * 0.3) * (y - dimy * 0.3) + (z - dimz * 0.7) * (z - dimz * 0.7);
                int value = 40 + 60 * x / dimx;
                if (bx * bx + by * by + bz * bz < (dimz * 0.3) * (dimz * 0.3)) value = 210;
                else if (tube < (dimz * 0.08) * (dimz * 0.08)) value = 160;
                const int dice = static_cast<int>(rng.high24() % 1000);
                if (dice < noise_per_mille / 2) value = 0;
                else if (dice < noise_per_mille) value = 255;
                v[i] = static_cast<unsigned char>(value);
            }
    return v;
}

// count bytes of uniform noise, each the top 8 bits of one draw of rng.
inline Bytes noise_bytes(Lcg& rng, std::size_t count) {
    Bytes p(count);
    for (auto& v : p) v = static_cast<unsigned char>(rng.high8());
    return p;
}

// n x n smooth blobs: a coarse grid of (n / cell + 2)^2 draws of rng.high8(),
// row after row, bilinearly interpolated over cells of cell x cell pixels
// (about half of the pixels at or above 128).
inline Bytes blobs_image(Lcg& rng, int n, int cell) {
    const int grid = n / cell + 2;
    std::vector<int> coarse(detail::area(grid, grid));
    for (auto& v : coarse) v = static_cast<int>(rng.high8());
    auto at = [&](int i, int j) { return coarse[static_cast<std::size_t>(j) * grid + i]; };
    Bytes p(detail::area(n, n));
    for (int y = 0; y < n; ++y) {
        const int gy = y / cell, fy = y % cell;
        for (int x = 0; x < n; ++x) {
            const int gx = x / cell, fx = x % cell;
            const int top = at(gx, gy) * (cell - fx) + at(gx + 1, gy) * fx;
            const int bottom = at(gx, gy + 1) * (cell - fx) + at(gx + 1, gy + 1) * fx;
            p[static_cast<std::size_t>(y) * n + x] = static_cast<unsigned char>((top * (cell - fy) + bottom * fy) / (cell * cell));
        }
    }
    return p;
}

// Sets to 255, in the n-wide image p, a comb of n / spacing one-pixel teeth
// (columns 0, spacing, ...) over rows top .. top + height - 1, whose
// neighbours are bridged from right to left, each bridge two rows below
// the previous one starting at row top + 1 (height must exceed
// 2 * (n / spacing) - 3). A labeller that never shortens its label links
// builds a chain through all the teeth and walks it for every later tooth.
inline void draw_bridged_comb(Bytes& p, int n, int spacing, int top, int height) {
    auto set = [&](int x, int y) { p[static_cast<std::size_t>(y) * n + x] = 255; };
    const int teeth = n / spacing;
    for (int t = 0; t < teeth; ++t)
        for (int y = top; y < top + height; ++y) set(spacing * t, y);
    for (int t = teeth - 1; t >= 1; --t) {
        const int y = top + 1 + (teeth - 1 - t) * 2;
        for (int x = spacing * (t - 1); x <= spacing * t; ++x) set(x, y);
    }
}

// n x n, 0 but for one bridged comb of teeth spacing apart over the full height.
inline Bytes bridged_combs_image(int n, int spacing) {
    Bytes p(detail::area(n, n), 0);
    draw_bridged_comb(p, n, spacing, 0, n);
    return p;
}

// n x n (a multiple of 1024, at most 8192), 0 but for: in the top half,
// bands of 1024 rows each holding a bridged comb of teeth 16 apart and 1023
// rows tall; in the bottom half, a square spiral of one-pixel walls eight
// pixels apart.
inline Bytes adversarial_image(int n) {
    Bytes p(detail::area(n, n), 0);
    const int band = 1024;
    for (int top = 0; top < n / 2; top += band) draw_bridged_comb(p, n, 16, top, band - 1);
    auto set = [&](int x, int y) { p[static_cast<std::size_t>(y) * n + x] = 255; };
    for (int ring = 0;; ++ring) {
        const int lo = ring * 8, hi = n - 1 - ring * 8, ylo = n / 2 + ring * 8, yhi = n - 1 - ring * 8;
        if (ylo + 8 >= yhi || lo + 8 >= hi) break;
        for (int x = lo; x <= hi; ++x) set(x, ylo);
        for (int y = ylo; y <= yhi; ++y) set(hi, y);
        for (int x = lo; x <= hi; ++x) set(x, yhi);
        for (int y = ylo + 8; y <= yhi; ++y) set(lo, y);
        for (int x = lo; x <= lo + 8; ++x) set(x, ylo + 8);
    }
    return p;
}

// n x n: 255 on even columns and on the last row, 0 elsewhere (vertical
// one-pixel stripes one apart, joined at the bottom: the most runs a
// single-object image can have).
inline Bytes stripes_image(int n) {
    Bytes p(detail::area(n, n));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) p[static_cast<std::size_t>(y) * n + x] = (x % 2 == 0 || y == n - 1) ? 255 : 0;
    return p;
}

// n x n x n: a coarse grid of (n / cell + 2)^3 draws of rng.high8(),
// trilinearly interpolated over cubes of cell^3 voxels, plus noise in
// -amplitude .. amplitude (one draw per voxel, after the grid), clamped.
inline Bytes smooth_noisy_volume(Lcg& rng, int n, int cell, int amplitude) {
    const int grid = n / cell + 2;
    std::vector<int> coarse(detail::area(grid, grid) * static_cast<std::size_t>(grid));
    for (int& c : coarse) c = static_cast<int>(rng.high8());
    auto at = [&](int i, int j, int k) { return coarse[(static_cast<std::size_t>(k) * grid + j) * grid + i]; };
    Bytes v(detail::area(n, n) * static_cast<std::size_t>(n));
    std::size_t at_voxel = 0;
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x, ++at_voxel) {
                const int gx = x / cell, gy = y / cell, gz = z / cell;
                const int fx = x % cell, fy = y % cell, fz = z % cell;
                long sum = 0;
                for (int k = 0; k < 2; ++k)
                    for (int j = 0; j < 2; ++j)
                        for (int i = 0; i < 2; ++i)
                            sum += static_cast<long>(at(gx + i, gy + j, gz + k)) * (i ? fx : cell - fx) *
                                   (j ? fy : cell - fy) * (k ? fz : cell - fz);
                const int smooth = static_cast<int>(sum / (static_cast<long>(cell) * cell * cell));
                const int noise = static_cast<int>(rng.high8()) % (2 * amplitude + 1) - amplitude;
                v[at_voxel] = static_cast<unsigned char>(std::clamp(smooth + noise, 0, 255));
            }
    return v;
}

// nc x nr: the smooth pattern with uniform noise of +-amplitude and, with
// odds per_mille in 1000 for each pixel, an impulse (0 or 255, evenly), one
// draw per pixel and one more per impulse; clamped to 0..255.
inline Bytes noisy_image(int nc, int nr, int amplitude, int per_mille, std::uint32_t seed) {
    Bytes p(detail::area(nc, nr));
    Lcg rng(seed);
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            const std::uint32_t draw = rng.high24();
            int value = pattern(x, y, nc, nr) + static_cast<int>(draw % static_cast<std::uint32_t>(2 * amplitude + 1)) - amplitude;
            if (static_cast<int>(draw >> 12) % 1000 < per_mille) value = rng.high8() < 128 ? 0 : 255;
            p[static_cast<std::size_t>(y) * nc + x] = static_cast<unsigned char>(std::clamp(value, 0, 255));
        }
    return p;
}

// `count` registered nc x nr 16-bit images of one scene, row after row: a
// reflectivity of 400 to 4400 (the smooth pattern, scaled) times a speckle
// of `looks` looks for each image and pixel (the mean of `looks`
// exponential draws, so of mean 1), clamped to 1..65535.
inline std::vector<std::vector<std::uint16_t>> speckle_stack(int nc, int nr, int count, int looks, std::uint32_t seed) {
    Lcg rng(seed);
    std::vector<std::vector<std::uint16_t>> stack(static_cast<std::size_t>(count));
    for (auto& image : stack) {
        image.resize(detail::area(nc, nr));
        for (int y = 0; y < nr; ++y)
            for (int x = 0; x < nc; ++x) {
                double speckle = 0;
                for (int k = 0; k < looks; ++k) speckle -= std::log((rng.high24() + 0.5) / 16777216.0);
                const double value = (400.0 + 16.0 * pattern(x, y, nc, nr)) * speckle / looks;
                image[static_cast<std::size_t>(y) * nc + x] = static_cast<std::uint16_t>(std::clamp(value, 1.0, 65535.0));
            }
    }
    return stack;
}

// The bytes of an image or volume made binary: 255 where the value is at
// least `threshold`, 0 elsewhere.
inline Bytes binary(const Bytes& values, unsigned char threshold) {
    Bytes b(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) b[i] = values[i] >= threshold ? 255 : 0;
    return b;
}

// Kinds of random content for the tests' reference sweeps.
enum class Content {
    uniform,       // every level equally likely
    few_values,    // three levels: many ties
    narrow_range,  // four neighbouring levels
    two_extremes,  // 0 and 255
    coarse_edges,  // levels on both sides of multiples of 16 (15/16, 31/32, ...)
    smooth_noisy,  // a slanted ramp with noise of +-10
    sparse,        // mostly 0, one voxel in ten random
};
inline constexpr Content kContents[] = {Content::uniform,      Content::few_values,   Content::narrow_range,
                                        Content::two_extremes, Content::coarse_edges, Content::smooth_noisy,
                                        Content::sparse};

// dx x dy x dz 8-bit values of the given kind, drawn from random (a
// volume, or an image when dz is 1).
inline Bytes random_volume(std::mt19937& random, int dx, int dy, int dz, Content content) {
    Bytes v(detail::area(dx, dy) * static_cast<std::size_t>(dz));
    std::uniform_int_distribution<int> level(0, 255);
    const int few[] = {level(random), level(random), level(random)};
    const int base = level(random);
    const int fx = 1 + static_cast<int>(random() % 5), fy = 1 + static_cast<int>(random() % 5);
    std::size_t i = 0;
    for (int z = 0; z < dz; ++z)
        for (int y = 0; y < dy; ++y)
            for (int x = 0; x < dx; ++x, ++i) {
                int value = 0;
                switch (content) {
                    case Content::uniform: value = level(random); break;
                    case Content::few_values: value = few[random() % 3]; break;
                    case Content::narrow_range: value = std::min(255, base + static_cast<int>(random() % 4)); break;
                    case Content::two_extremes: value = random() % 2 ? 255 : 0; break;
                    case Content::coarse_edges:
                        value = 16 * static_cast<int>(1 + random() % 15) - static_cast<int>(random() % 2);
                        break;
                    case Content::smooth_noisy:
                        value = std::clamp((x * fx * 9 + y * fy * 7 + z * 11) % 256 + static_cast<int>(random() % 21) - 10,
                                           0, 255);
                        break;
                    case Content::sparse: value = random() % 10 == 0 ? level(random) : 0; break;
                }
                v[i] = static_cast<unsigned char>(value);
            }
    return v;
}

// nc x nr: random discs (radius 1 ... 9) of random grey levels over a
// ground of levels 0 ... 3.
inline Bytes random_blobs(std::mt19937& random, int nc, int nr, int discs) {
    Bytes img(detail::area(nc, nr));
    for (auto& p : img) p = static_cast<unsigned char>(random() % 4);
    for (int disc = 0; disc < discs; ++disc) {
        const int cx = static_cast<int>(random() % nc), cy = static_cast<int>(random() % nr);
        const int r = 1 + static_cast<int>(random() % 9);
        const auto g = static_cast<unsigned char>(random() % 256);
        for (int y = std::max(0, cy - r); y < std::min(nr, cy + r + 1); ++y)
            for (int x = std::max(0, cx - r); x < std::min(nc, cx + r + 1); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) img[static_cast<std::size_t>(y) * nc + x] = g;
    }
    return img;
}

// A rule base of 27 rules over three inputs a1, a2, a3 of three terms each
// (low, mid, high) and an output "classe" of three terms c0, c1, c2: the
// rule of terms (a, b, c) concludes c((a + b + c) mod 3), weight 1 or 0.75
// in turn. Triangular terms for the symbolic classifier, ramps and
// intervals for the gradual one.
inline std::string rule_base27(bool gradual) {
    const char* symbolic_terms = "3 low 0 0 128 mid 0 128 255 high 128 255 255";
    const char* gradual_terms = "3 low 3 64 128 mid 4 64 192 high 2 128 192";
    const char* terms = gradual ? gradual_terms : symbolic_terms;
    std::string text = "4\n";
    for (const char* name : {"a1", "a2", "a3"}) text += std::string(name) + " " + terms + "\n";
    text += gradual ? "classe 3 c0 2 0 1 c1 2 1 2 c2 2 2 3\n27\n" : "classe 3 c0 0 0 1 c1 0 1 2 c2 1 2 2\n27\n";
    const char* names[] = {"low", "mid", "high"};
    for (int i = 0; i < 27; ++i) {
        const int a = i / 9, b = i / 3 % 3, c = i % 3;
        text += std::string(names[a]) + " " + names[b] + " " + names[c] + " c" + std::to_string((a + b + c) % 3) +
                (i % 2 == 0 ? " 1\n" : " 0.75\n");
    }
    return text;
}

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


}  // namespace gen
