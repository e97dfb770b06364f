// Co-occurrence features: every value the serpentine stores against the
// matrix of its window built from scratch, on random volumes, windows and
// displacements, and on three large cases; the public update functions;
// the refused sizes. The dialogue, the files and the features of
// a uniform window by eye: tests/programs/cooccurrence_tool_test.cpp.

#include "Mcoocur.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "sweep.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

constexpr int kAll = MCOOCUR_NB_ATTRIBUTES;

struct Case {
    int nx, ny, nz;
    gen::Bytes v;
    Mcoocur_t d;

    int at(int x, int y, int z) const { return v[(static_cast<std::size_t>(z) * ny + y) * nx + x]; }
    std::string describe() const {
        char text[160];
        std::snprintf(text, sizeof text, "%dx%dx%d, window %dx%dx%d, displacement %d,%d,%d", nx, ny, nz, d.winx, d.winy,
                      d.winz, d.dx, d.dy, d.dz);
        return text;
    }
    std::string where(std::size_t i) const {
        return std::string(attributes[i / v.size()].name) + " at sample " + std::to_string(i % v.size());
    }
};

Mcoocur_t all_features(int wx, int wy, int wz, int dx, int dy, int dz) {
    return {wx, wy, wz, dx, dy, dz, {1, 1, 1, 1, 1, 1, 1, 1, 1}};
}

// The features of a matrix (cells in order) from their definitions.
std::vector<double> features_of(const std::map<int, long long>& M) {
    const long double N = static_cast<long double>(M.size());
    long double con = 0, dir = 0, s = 0, t = 0, hom = 0, lho = 0, sav = 0, uni = 0, sen = 0;
    std::map<int, long long> h;
    for (const auto& [cell, m] : M) {
        const int a = cell / 256, b = cell % 256;
        con += static_cast<long double>((a - b) * (a - b)) * m;
        s += m * std::log10(static_cast<long double>(m));
        t += m;
        hom += static_cast<long double>(m) * m;
        lho += static_cast<long double>(m) / ((a - b) * (a - b) + 1);
        sav += static_cast<long double>(a + b) * m;
        if (a == b) dir += m, uni += static_cast<long double>(m) * m;
        h[a + b] += m;
    }
    for (const auto& [k, count] : h) sen += count * std::log10(static_cast<long double>(count));
    const long double ent = N == 1 ? 0 : 1 - (s - t * std::log10(N)) / (N * std::log10(N));
    const long double values[] = {con / N, NAN, dir / N, ent, hom / N, lho / N, sav / N, sen / N, uni / (N * N)};
    return {std::begin(values), std::end(values)};
}

// Every origin's window built from scratch: the nine feature volumes one
// after the other, 0 where no window stores and for unselected features.
std::vector<double> reference(const Case& c) {
    const Mcoocur_t& d = c.d;
    const std::size_t n = c.v.size();
    std::vector<double> out(kAll * n, 0.0);
    for (int z0 = 0; z0 < c.nz - d.winz - d.dz; ++z0)
        for (int y0 = 0; y0 < c.ny - d.winy - d.dy; ++y0)
            for (int x0 = 0; x0 < c.nx - d.winx - d.dx; ++x0) {
                std::map<int, long long> M;
                for (int z = z0; z < z0 + d.winz; ++z)
                    for (int y = y0; y < y0 + d.winy; ++y)
                        for (int x = x0; x < x0 + d.winx; ++x)
                            ++M[c.at(x, y, z) * 256 + c.at(x + d.dx, y + d.dy, z + d.dz)];
                const std::vector<double> f = features_of(M);
                const std::size_t s =
                    (static_cast<std::size_t>(z0 + (d.winz + d.dz) / 2) * c.ny + y0 + (d.winy + d.dy) / 2) * c.nx + x0 +
                    (d.winx + d.dx) / 2;
                for (int i = 0; i < kAll; ++i)
                    if (d.selected[i]) out[i * n + s] = f[i];
            }
    return out;
}

// init and calc as a program runs them, in a scratch folder (for
// nonZeros.dump): the nine volumes flat, unselected ones 0.
std::vector<double> cooccurrence(const Case& c) {
    TempDir dir;
    ima3Du1 in = make_volume(c.nx, c.ny, c.nz, [&](int x, int y, int z) { return c.at(x, y, z); });
    Mcoocur_t desc = c.d;
    ima3Dd* out[kAll];
    char cwd[4096];
    EXPECT_TRUE(getcwd(cwd, sizeof cwd) != nullptr && chdir(dir.path().c_str()) == 0);
    quietly([&] {
        Mcoocur_init(&desc, in, out);
        Mcoocur_calc(&desc, in, out);
    });
    EXPECT_EQ(chdir(cwd), 0);
    std::vector<double> flat;
    for (int i = 0; i < kAll; ++i) {
        EXPECT_EQ(out[i] != nullptr, desc.selected[i] != 0) << attributes[i].name;
        const std::vector<double> values = out[i] ? values_of(*out[i]) : std::vector<double>(c.v.size(), 0.0);
        flat.insert(flat.end(), values.begin(), values.end());
        if (out[i]) liberer_ima3Dd(out[i]), std::free(out[i]);
    }
    liberer_ima3Du1(&in);
    return flat;
}

// Equal, both NaN, or within 1e-9 relative (the sums of logarithms and of
// fractions are kept up to date step by step, not recomputed).
bool same_value(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(b));
}

}  // namespace

TEST(Mcoocur, EveryStoredValueIsThatOfItsWindowsMatrix) {
    // Random cases; then mostly 0 (one cell holds most of 8000 pairs:
    // counts beyond the tabulated n log10 n), every one of the 65 536 cells
    // once (plane 0 holds the column, plane 1 the row: N * N beyond int), a
    // uniform window of 68 600 pairs (squares beyond 32 bits).
    std::mt19937 seeded(5);
    Case large[] = {
        {22, 22, 22, gen::random_volume(seeded, 22, 22, 22, gen::Content::sparse), all_features(20, 20, 20, 1, 0, 1)},
        {257, 257, 3, gen::Bytes(257 * 257 * 3), all_features(256, 256, 1, 0, 0, 1)},
        {71, 71, 15, gen::Bytes(71 * 71 * 15, 9), all_features(70, 70, 14, 0, 0, 0)},
    };
    for (int y = 0; y < 257; ++y)
        for (int x = 0; x < 257; ++x) large[1].v[y * 257 + x] = x % 256, large[1].v[257 * 257 + y * 257 + x] = y % 256;
    auto make = [&](std::mt19937& random, int trial) {
        if (trial >= 300) return large[trial - 300];
        auto pick = [&](int lo, int hi) {
            return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1));
        };
        Case c{pick(2, 11), pick(2, 11), pick(2, 11), {}, {}};
        int d[3], w[3];
        const int n[3] = {c.nx, c.ny, c.nz};
        for (int k = 0; k < 3; ++k) {
            d[k] = pick(0, std::min(3, n[k] - 2));
            w[k] = pick(1, n[k] - d[k] - 1);
        }
        c.d = all_features(w[0], w[1], w[2], d[0], d[1], d[2]);
        if (trial % 5 == 4)  // a few features only
            for (int& s : c.d.selected) s = static_cast<int>(random() % 2);
        c.v = gen::random_volume(random, c.nx, c.ny, c.nz, gen::kContents[trial % 7]);
        return c;
    };
    reference_sweep(71, 303, make, cooccurrence, reference, same_value);
}

TEST(Mcoocur, PublicUpdatesKeepTheSumsOfTheMatrixTheyChange) {
    // Pairs added and removed in random order through pixelUpdateGlcmData;
    // the finalisations then match the matrix left, and N its non-zero cells.
    std::mt19937 random(9);
    const gen::Bytes v = gen::random_volume(random, 8, 6, 5, gen::Content::few_values);
    ima3Du1 in = make_volume(8, 6, 5, [&](int x, int y, int z) { return v[(z * 6 + y) * 8 + x]; });
    const Mcoocur_t desc = all_features(1, 1, 1, 1, 2, 1);
    GlcmData data;
    initGlcmData(&data);
    std::map<int, long long> M;
    std::vector<int> added;
    for (int step = 0; step < 400; ++step) {
        const bool remove = !added.empty() && random() % 3 == 0;
        const std::size_t pick = random() % std::max<std::size_t>(added.size(), 1);
        const int k = remove ? added[pick] : static_cast<int>(random() % (7 * 4 * 4));
        const int x = k % 7, y = k / 7 % 4, z = k / 28;
        pixelUpdateGlcmData(x, y, z, remove ? -1 : 1, &data, &in, &desc);
        const int cell = v[(z * 6 + y) * 8 + x] * 256 + v[((z + 1) * 6 + y + 2) * 8 + x + 1];
        if (remove) {
            added.erase(added.begin() + static_cast<long>(pick));
            if (--M[cell] == 0) M.erase(cell);
        } else {
            added.push_back(k);
            ++M[cell];
        }
    }
    std::vector<double> got;
    for (const Mcoocur_attribute_t& a : attributes) got.push_back(static_cast<double>(a.finalise(&data)));
    const std::vector<double> expected = features_of(M);
    EXPECT_EQ(data.N, static_cast<int>(M.size()));
    for (int i = 0; i < kAll; ++i) EXPECT_TRUE(same_value(got[i], expected[i])) << attributes[i].name;
    liberer_ima3Du1(&in);
}

TEST(Mcoocur, SizesThatDoNotFitTheVolumeAreRefused) {
    // Sums beyond int, a negative displacement (the program refuses it in
    // its dialogue), the most voxels a window may hold; the program shows
    // the other refusals.
    struct Row {
        Mcoocur_t d;
        int nx, ny, nz;
        const char* message;  // "" when accepted
    };
    const Row rows[] = {
        {all_features(2147483647, 1, 1, 2147483647, 0, 0), 2147483647, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 2147483647x1x1 et deplacement (2147483647, 0, 0) trop grands pour le volume "
         "2147483647x5x5 (fenetre + deplacement < dimension, selon chaque axe)\n"},
        {all_features(1, 1, 1, 0, -1, 0), 5, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 1x1x1 ou deplacement (0, -1, 0) refuse (fenetre d'au moins 1, deplacement "
         "d'au moins 0)\n"},
        {all_features(2000, 2000, 1073, 0, 0, 0), 2001, 2001, 1074, ""},
    };
    for (const Row& r : rows)
        EXPECT_TRUE(ended(run_captured([&] { Mcoocur_check(&r.d, r.nx, r.ny, r.nz); }), *r.message ? 1 : 0, r.message));
}
