// The confusion matrix: the counts of both kinds of ground truth against a
// plain count on random volumes (grey levels to classes for N of 1 ... 255,
// ground truths larger than the volume, labels above N), and the checks of
// the initialisation. The dialogue and the files: tests/programs/
// confusion_tool_test.cpp.

#include "confusion_matrix.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "images.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

// A volume dx x dy x dz of grey levels eval [z][y][x] against a ground
// truth: a volume tx x ty x tz, or an image of tx rows and ty columns
// (truth [row][column]).
struct Case {
    int N, mode, coupe, dx, dy, dz, tx, ty, tz;
    std::vector<int> eval, truth;
    std::string describe() const {
        return "N " + std::to_string(N) + ", mode " + std::to_string(mode) + ", plane " + std::to_string(coupe);
    }
    std::string where(std::size_t i) const {
        return "count [" + std::to_string(i / (N + 1)) + "][" + std::to_string(i % (N + 1)) + "]";
    }
};

std::vector<int> counted(const Case& c) {
    confusion_matrix_t d{};
    d.nb_regions = c.N, d.mode = c.mode, d.coupe = c.coupe;
    d.vol_eval = make_volume(c.dx, c.dy, c.dz, [&](int x, int y, int z) { return c.eval[(z * c.dy + y) * c.dx + x]; });
    if (c.mode == 0)
        d.ima_test = make_image<imau1>(c.ty, c.tx, [&](int col, int r) { return c.truth[r * c.ty + col]; });
    if (c.mode == 1)
        d.vol_test =
            make_volume(c.tx, c.ty, c.tz, [&](int x, int y, int z) { return c.truth[(z * c.ty + y) * c.tx + x]; });
    std::vector<int> counts(static_cast<std::size_t>((c.N + 1) * (c.N + 1)), 0);
    std::vector<int*> rows;
    for (int t = 0; t <= c.N; ++t) rows.push_back(counts.data() + t * (c.N + 1));
    EXPECT_EQ(confusion_matrix_init(&d) + confusion_matrix_calc(&d, rows.data()), 0);
    confusion_matrix_ferm(&d);
    return counts;
}

// Every voxel's pair: the image's row is the sample, its column the trace.
std::vector<int> reference(const Case& c) {
    std::vector<int> counts(static_cast<std::size_t>((c.N + 1) * (c.N + 1)), 0);
    for (int z = 0; z < c.dz; ++z)
        for (int y = 0; y < c.dy; ++y)
            for (int x = 0; x < c.dx; ++x) {
                const int e = c.eval[(z * c.dy + y) * c.dx + x] * c.N / 255;
                const int t = c.mode == 0   ? c.truth[x * c.ty + y]
                              : c.mode == 1 ? c.truth[(z * c.ty + y) * c.tx + x]
                                            : -1;
                if ((c.mode == 1 || (c.mode == 0 && z == c.coupe)) && t <= c.N && e <= c.N) ++counts[t * (c.N + 1) + e];
            }
    return counts;
}

}  // namespace

TEST(ConfusionMatrix, CountsMatchThePlainCount) {
    // Modes 0, 1 and another (nothing counted); ground truths up to 2 larger
    // along each axis; labels up to N + 2 (above N: not counted); some planes
    // of more than one band of 64 traces.
    auto make = [](std::mt19937& random, int trial) {
        auto size = [&](int at_least) { return at_least + static_cast<int>(random() % 3); };
        Case c{};
        c.N = 1 + static_cast<int>(random() % (trial % 4 ? 6 : 255));
        c.mode = trial % 3 == 2 ? 5 : trial % 3;
        c.dx = size(1 + static_cast<int>(random() % 9)),
        c.dy = size(1 + static_cast<int>(random() % (trial % 10 ? 9 : 150))), c.dz = size(1);
        c.coupe = static_cast<int>(random() % static_cast<unsigned>(c.dz));
        for (int i = 0; i < c.dx * c.dy * c.dz; ++i) c.eval.push_back(static_cast<int>(random() % 256));
        c.tx = size(c.dx), c.ty = size(c.dy), c.tz = c.mode == 0 ? 1 : size(c.dz);
        for (int i = 0; i < c.tx * c.ty * c.tz; ++i) c.truth.push_back(static_cast<int>(random() % (c.N + 3)));
        return c;
    };
    reference_sweep(5, 300, make, counted, reference);
}

TEST(ConfusionMatrix, InitRefusesWhatTheCountCannotRead) {
    // A 4 x 3 x 2 volume against a 4 x 3 x 1 volume or an image.
    const struct {
        int N, mode, coupe, image_rows, image_columns;
        const char* message;
    } rows[] = {
        {3, 0, 2, 4, 3, "coupe 2 hors du volume (de 0 a 1)"},
        {3, 0, -1, 4, 3, "coupe -1 hors du volume (de 0 a 1)"},
        {3, 0, 0, 4, 2,
         "image de test t.ima de 4 lignes et 2 colonnes, il lui faut au moins 4 lignes (echantillons par trace) et 3 "
         "colonnes (traces par plan) du volume a evaluer"},
        {3, 1, 0, 4, 3, "volume de test de 4x3x1 plus petit que le volume a evaluer de 4x3x2"},
        {256, 1, 0, 4, 3, "nombre de regions 256 refuse (de 1 a 255)"},
    };
    for (const auto& r : rows) {
        const Outcome run = run_captured([&] {
            confusion_matrix_t d{};
            d.nb_regions = r.N, d.mode = r.mode, d.coupe = r.coupe;
            d.vol_eval = make_volume(4, 3, 2, [](int, int, int) { return 0; });
            d.vol_test = make_volume(4, 3, 1, [](int, int, int) { return 0; });
            d.ima_test = make_image<imau1>(r.image_columns, r.image_rows, [](int, int) { return 0; });
            std::snprintf(d.ima_test.nom, LONG_NOM, "t.ima");
            confusion_matrix_init(&d);
        });
        EXPECT_TRUE(ended(run, 1, std::string("\n>> ERREUR confusion_matrix_init : ") + r.message + "\n"));
    }
}
