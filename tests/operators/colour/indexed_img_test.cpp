// The indexed colour image against a plain reference (the training set
// built as a table, every distance a square root, the radius from the
// formula in doubles) on random images, the radius where it is an exact
// integer, and the behaviours users rely on.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "indexed_img.h"
#include "neighbourhood.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Case {
    int nc, nr, n, epochs;
    std::vector<std::array<unsigned char, 3>> pixels;  // row after row
    std::string describe() const {
        std::ostringstream s;
        s << nc << "x" << nr << ", " << n << " neurons, " << epochs << " epochs";
        return s.str();
    }
    // Results: the indices, the 768 palette entries, then the 3 N weights.
    std::string where(std::size_t i) const {
        const std::size_t pixels = static_cast<std::size_t>(nc * nr);
        if (i < pixels) return "index of pixel " + std::to_string(i);
        if (i < pixels + 768) return "palette entry " + std::to_string(i - pixels);
        return "weight " + std::to_string(i - pixels - 768);
    }
};

// Runs code with the working folder set to `folder`.
template <class F>
void in_folder(const std::string& folder, F f) {
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    f();
    ASSERT_EQ(chdir(previous), 0);
}

// The indexing through the module, run in `folder` (which gets WEIGHTS.TXT).
std::vector<double> indexed(const Case& c, const std::string& folder) {
    imarvb in{};
    in.nc = c.nc;
    in.nr = c.nr;
    alloc_imarvb(&in);
    for (std::size_t i = 0; i < c.pixels.size(); ++i)
        in.r[0][i] = c.pixels[i][0], in.v[0][i] = c.pixels[i][1], in.b[0][i] = c.pixels[i][2];
    indexed_img_t d{};
    d.nb_couches = c.n;
    d.nb_epoques = c.epochs;
    imau1 out{};
    in_folder(folder, [&] {
        quietly([&] {
            indexed_img_init(&d, in, &out);
            indexed_img_calc(&d, in, &out);
        });
    });
    std::vector<double> result(out.pixels[0], out.pixels[0] + c.pixels.size());
    for (const unsigned char* table : {out.lutr, out.lutv, out.lutb}) result.insert(result.end(), table, table + 256);
    for (int row = 0; row < 3; ++row) result.insert(result.end(), d.poids.pixels[row], d.poids.pixels[row] + c.n);
    free_imadb(&d.poids);
    free_lut_u12(&out);
    free_imau1(&out);
    free_imarvb(&in);
    return result;
}

std::vector<double> indexed_here(const Case& c) {
    TempDir dir;
    return indexed(c, dir.path());
}

using Colour = std::array<double, 3>;

int first_nearest(const std::vector<Colour>& w, const Colour& x) {
    int best = 0;
    double smallest = INFINITY;
    for (std::size_t k = 0; k < w.size(); ++k) {
        const double d = std::sqrt((x[0] - w[k][0]) * (x[0] - w[k][0]) + (x[1] - w[k][1]) * (x[1] - w[k][1]) +
                                   (x[2] - w[k][2]) * (x[2] - w[k][2]));
        if (d < smallest) smallest = d, best = static_cast<int>(k);
    }
    return best;
}

std::vector<double> reference(const Case& c) {
    const int n = c.n, t_count = c.nc * c.nr;
    std::vector<Colour> set;  // column by column
    for (int x = 0; x < c.nc; ++x)
        for (int y = 0; y < c.nr; ++y) {
            const auto& p = c.pixels[static_cast<std::size_t>(y * c.nc + x)];
            set.push_back({double(p[0]), double(p[1]), double(p[2])});
        }
    std::vector<Colour> w;
    for (int k = 0; k < n; ++k) w.push_back(set[static_cast<std::size_t>(k * (t_count / n))]);
    std::vector<Colour> work = w;
    const double s0 = std::sqrt(n / (2 * std::log(10.0))), sf = std::sqrt(1 / std::log(10.0));
    double sigma = s0;
    for (int e = 1; e <= std::max(c.epochs, 1); ++e) {
        std::srand(0);
        // Nudged up so that a radius equal to an integer is not lost to rounding.
        const int r = static_cast<int>(((n / 2 - 1) * sigma + s0 - 0.5 * n * sf) / (s0 - sf) + 1e-9);
        for (long long t = 0; t < t_count; t += static_cast<long long>(std::rand()) * 150 / 2147483647) {
            const Colour x = set[static_cast<std::size_t>(t)];
            const int winner = first_nearest(w, x);
            const float alpha = 4.75f / (4.75f + 0);
            for (int k = winner - r; k <= winner + r; ++k) {
                const int j = ((k % n) + n) % n;
                const double g = std::exp(-static_cast<double>((k - winner) * (k - winner)) / (2 * sigma * sigma));
                for (int i = 0; i < 3; ++i) work[j][i] = w[j][i] + alpha * g * (x[i] - w[j][i]);
            }
            w = work;
        }
        if (c.epochs > 0) sigma = std::max(sf, sigma - (s0 - sf) / c.epochs);
    }
    std::vector<double> result;
    for (const auto& p : c.pixels) result.push_back(first_nearest(w, {double(p[0]), double(p[1]), double(p[2])}));
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 256; ++k) result.push_back(k < n ? static_cast<unsigned char>(std::ceil(w[k][i])) : 0);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < n; ++k) result.push_back(w[k][i]);
    return result;
}

// Random images of 1 to 60 x 1 to 60 pixels, noise or a few colours (so
// that neurons and distances tie), 4 to 40 neurons, 47, 48 (the colours
// remembered from there on) or 256, 0 to 6 epochs.
Case random_case(std::mt19937& random, int trial) {
    Case c{1 + static_cast<int>(random() % 60), 1 + static_cast<int>(random() % 60),
           trial % 7 == 0 ? 256 : trial % 7 == 1 ? 47 + trial % 2 : 4 + static_cast<int>(random() % 37),
           static_cast<int>(random() % 7), {}};
    std::vector<std::array<unsigned char, 3>> few(1 + random() % 4);
    for (auto& colour : few)
        for (auto& v : colour) v = static_cast<unsigned char>(random());
    for (int i = 0; i < c.nc * c.nr; ++i) {
        std::array<unsigned char, 3> p;
        for (auto& v : p) v = static_cast<unsigned char>(random());
        c.pixels.push_back(trial % 2 ? p : few[random() % few.size()]);
    }
    return c;
}

}  // namespace

TEST(IndexedImg, MatchesThePlainReference) {
    reference_sweep(97, 120, random_case, indexed_here, reference);
}

TEST(IndexedImg, RadiusIsExactWhereItIsAnInteger) {
    const struct {
        int n, epochs;
        std::vector<int> radii;  // epoch after epoch
    } cases[] = {
        {16, 7, {8, 7, 6, 5, 4, 3, 2}},
        {8, 3, {4, 3, 2}},  // 3 would drop to 2 from the formula in doubles
        {32, 15, {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2}},
        {4, 0, {2}},
        {10, 3, {5, 3, 2}},
        {5, 4, {1, 0, 0, 0}},  // odd: (n - 1)/2 - ... - sigmaf / (2 (sigma0 - sigmaf))
        {7, 2, {2, 1}},
    };
    for (const auto& c : cases) {
        std::vector<int> got;
        for (int done = 0; done < std::max(c.epochs, 1); ++done) got.push_back(colour::neighbourhood_radius(c.n, c.epochs, done));
        EXPECT_EQ(got, c.radii) << c.n << " neurons, " << c.epochs << " epochs";
    }
    // Every radius for 100 neurons and 49 epochs: 50 - done.
    for (int done = 0; done < 49; ++done) EXPECT_EQ(colour::neighbourhood_radius(100, 49, done), 50 - done);
}

TEST(IndexedImg, WeightsFileHasOneLinePerNeuron) {
    // One colour: every neuron takes it, every index is 0 (the first of
    // equal neurons), palette entries beyond the neurons are 0.
    TempDir dir;
    const Case single{5, 4, 6, 2, std::vector<std::array<unsigned char, 3>>(20, {12, 200, 7})};
    const std::vector<double> one = indexed(single, dir.path());
    std::vector<double> expected(20, 0);  // the indices, then the first red entries
    expected.insert(expected.end(), {12, 12, 12, 12, 12, 12, 0, 0});
    EXPECT_EQ(std::vector<double>(one.begin(), one.begin() + 28), expected);
    std::string lines;
    for (int k = 0; k < 6; ++k) lines += " 12.0000  200.0000    7.0000\n";
    EXPECT_EQ(read_file(dir.file("WEIGHTS.TXT")), lines);
}

TEST(IndexedImg, ReadingPhaseAndRefusals) {
    auto ask = [](const std::string& n, const std::string& e) {
        return run_phase({n, e}, [](param* head) {
            indexed_img_t d;
            param* next = indexed_img_lect(&d, head, ">> image indexee :");
            std::fprintf(stderr, "%d %d", d.nb_couches, d.nb_epoques);
            return next;
        }, [](param*, param*) {});
    };
    EXPECT_EQ(ask("4", "0").err, "4 0");
    EXPECT_EQ(ask("256", "30 epoques").err, "256 30");
    const std::string layers = "refusee a la question \">> image indexee : Nombre de couches - val. max 256 (entier)\" (entier de 4 a 256)\n";
    for (const char* n : {"3", "257", "-1", "x"}) EXPECT_TRUE(ended_saying(ask(n, "1"), 1, layers)) << n;
    EXPECT_TRUE(ended_saying(ask("8", "-1"), 1, "Nombre d'epoques (entier)\" (entier de 0 a 2147483647)\n"));

    EXPECT_TRUE(ended(run_captured([] {
                          indexed_img_t d{};
                          d.nb_couches = 8;
                          const auto one = [](int, int) { return 1; };
                          imarvb in = make_rvb(2, 2, one, one, one);
                          imau1 out{};
                          indexed_img_calc(&d, in, &out);
                      }),
                      1, "\n>> ERREUR indexed_img_calc : phase d'initialisation absente pour cette image\n"));
}
