// Co-occurrence features: every value the serpentine stores against the
// matrix of its window built from scratch and the features computed from
// their definitions, on random volumes, windows and displacements (counts
// beyond the tabulated logarithms, all 65 536 cells, squares beyond 32
// bits); the uniform windows by eye; the public update functions; the
// refused sizes and the dialogue. The program end to end:
// tests/programs/cooccurrence_tool_test.cpp.

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
    Mcoocur_t desc;

    int at(int x, int y, int z) const { return v[(static_cast<std::size_t>(z) * ny + y) * nx + x]; }
    std::string describe() const {
        const Mcoocur_t& d = desc;
        return std::to_string(nx) + "x" + std::to_string(ny) + "x" + std::to_string(nz) + ", window " + std::to_string(d.winx) + "x" +
               std::to_string(d.winy) + "x" + std::to_string(d.winz) + ", displacement " + std::to_string(d.dx) + "," +
               std::to_string(d.dy) + "," + std::to_string(d.dz);
    }
    std::string where(std::size_t i) const {
        const std::size_t n = static_cast<std::size_t>(nx) * ny * nz, s = i % n;
        return std::string(attributes[i / n].name) + " at (" + std::to_string(s % nx) + ", " +
               std::to_string(s / nx % ny) + ", " + std::to_string(s / nx / ny) + ")";
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
    return {double(con / N), NAN,           double(dir / N), double(ent),         double(hom / N),
            double(lho / N), double(sav / N), double(sen / N), double(uni / (N * N))};
}

// Every origin's window built from scratch: the nine feature volumes, one
// after the other, 0 where no window stores.
std::vector<double> reference(const Case& c) {
    const Mcoocur_t& d = c.desc;
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
                const std::size_t s = (static_cast<std::size_t>(z0 + (d.winz + d.dz) / 2) * c.ny + y0 +
                                       (d.winy + d.dy) / 2) * c.nx + x0 + (d.winx + d.dx) / 2;
                for (int i = 0; i < kAll; ++i)
                    if (d.selected[i]) out[i * n + s] = f[i];
            }
    return out;
}

// init and calc as a program runs them, in a scratch folder (nonZeros.dump):
// the nine volumes flat (unselected ones 0), having checked that exactly the
// selected features got a 64-bit volume with the input's header length.
std::vector<double> cooccurrence(const Case& c) {
    TempDir dir;
    ima3Du1 in = make_volume(c.nx, c.ny, c.nz, [&](int x, int y, int z) { return c.at(x, y, z); });
    in.entete = 80;
    Mcoocur_t desc = c.desc;
    ima3Dd* out[kAll];
    std::vector<double> flat;
    quietly([&] {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        Mcoocur_init(&desc, in, out);
        Mcoocur_calc(&desc, in, out);
        EXPECT_EQ(chdir(cwd), 0);
    });
    for (int i = 0; i < kAll; ++i) {
        EXPECT_EQ(out[i] != nullptr, desc.selected[i] != 0) << attributes[i].name;
        if (out[i] == nullptr) {
            flat.insert(flat.end(), c.v.size(), 0.0);
            continue;
        }
        EXPECT_EQ(shape(*out[i]) + " " + std::to_string(out[i]->entete) + " " + std::to_string(out[i]->nb_bits),
                  shape(in) + " 80 64");
        const std::vector<double> values = values_of(*out[i]);
        flat.insert(flat.end(), values.begin(), values.end());
        liberer_ima3Dd(out[i]);
        std::free(out[i]);
    }
    liberer_ima3Du1(&in);
    return flat;
}

// Equal, both NaN, or within 1e-9 relative (the sums of logarithms and of
// fractions are kept up to date step by step, not recomputed).
bool same_value(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(b));
}

Case random_case(std::mt19937& random, int trial) {
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
    Case c{pick(2, 11), pick(2, 11), pick(2, 11), {}, {}};
    int d[3], w[3];
    const int n[3] = {c.nx, c.ny, c.nz};
    for (int k = 0; k < 3; ++k) {
        d[k] = pick(0, std::min(3, n[k] - 2));
        w[k] = pick(1, n[k] - d[k] - 1);
    }
    c.desc = all_features(w[0], w[1], w[2], d[0], d[1], d[2]);
    if (trial % 5 == 4)  // a few features only
        for (int& s : c.desc.selected) s = static_cast<int>(random() % 2);
    c.v = gen::random_volume(random, c.nx, c.ny, c.nz, gen::kContents[trial % 7]);
    return c;
}

}  // namespace

TEST(Mcoocur, EveryStoredValueIsThatOfItsWindowsMatrix) {
    reference_sweep(71, 300, random_case, cooccurrence, reference, same_value);
}

TEST(Mcoocur, LargeWindowsAllCellsAndWideSums) {
    // Counts beyond the tabulated n log10 n (sparse content: one cell holds
    // most of 8000 pairs); every one of the 65 536 cells once (N * N beyond
    // int); a uniform window of 68 600 pairs (squares beyond 32 bits).
    std::mt19937 random(5);
    const Case cases[] = {
        {22, 22, 22, gen::random_volume(random, 22, 22, 22, gen::Content::sparse), all_features(20, 20, 20, 1, 0, 1)},
        {257, 257, 3, gen::Bytes(257 * 257 * 3), all_features(256, 256, 1, 0, 0, 1)},
        {71, 71, 15, gen::Bytes(71 * 71 * 15, 9), all_features(70, 70, 14, 0, 0, 0)},
    };
    auto make = [&](std::mt19937&, int trial) {
        Case c = cases[trial];
        if (trial == 1)  // plane 0 holds the column, plane 1 the row: pair (x, y)
            for (int y = 0; y < 257; ++y)
                for (int x = 0; x < 257; ++x) c.v[y * 257 + x] = x % 256, c.v[257 * 257 + y * 257 + x] = y % 256;
        return c;
    };
    reference_sweep(0, 3, make, cooccurrence, reference, same_value);
}

TEST(Mcoocur, UniformWindowsByEye) {
    // Level g everywhere: one cell M[g][g] of P pairs, N = 1: contrast 0,
    // directivity P, entropy 0 (defined so for one cell), homogeneity P^2,
    // local homogeneity P, sum average 2gP, sum entropy P log10 P,
    // uniformity P^2; correlation is not computed.
    struct Row {
        int g, wx, wy, wz, dx, dy, dz;
    };
    for (const Row r : {Row{7, 2, 3, 1, 1, 0, 2}, Row{0, 1, 1, 1, 0, 0, 0}, Row{255, 3, 2, 2, 0, 1, 0}}) {
        const double P = r.wx * r.wy * r.wz;
        const std::vector<double> expected = {0, NAN, P, 0, P * P, P, 2 * r.g * P, P * std::log10(P), P * P};
        const Case c{6, 5, 5, gen::Bytes(150, static_cast<unsigned char>(r.g)),
                     all_features(r.wx, r.wy, r.wz, r.dx, r.dy, r.dz)};
        const std::vector<double> all = cooccurrence(c);
        // The first window's sample.
        const std::size_t s = ((r.wz + r.dz) / 2 * 5 + (r.wy + r.dy) / 2) * 6 + (r.wx + r.dx) / 2;
        std::vector<double> got;
        for (int i = 0; i < kAll; ++i) got.push_back(all[i * 150 + s]);
        for (int i = 0; i < kAll; ++i) EXPECT_TRUE(same_value(got[i], expected[i])) << attributes[i].name << " g " << r.g;
    }
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
        const int k = remove ? added[random() % added.size()] : static_cast<int>(random() % (7 * 4 * 4));
        const int x = k % 7, y = k / 7 % 4, z = k / 28;
        pixelUpdateGlcmData(x, y, z, remove ? -1 : 1, &data, &in, &desc);
        const int cell = v[(z * 6 + y) * 8 + x] * 256 + v[((z + 1) * 6 + y + 2) * 8 + x + 1];
        if (remove) {
            added.erase(std::find(added.begin(), added.end(), k));
            if (--M[cell] == 0) M.erase(cell);
        } else {
            added.push_back(k);
            ++M[cell];
        }
    }
    ASSERT_EQ(data.N, static_cast<int>(M.size()));
    const std::vector<double> expected = features_of(M);
    for (int i = 0; i < kAll; ++i)
        EXPECT_TRUE(same_value(static_cast<double>(attributes[i].finalise(&data)), expected[i])) << attributes[i].name;
    liberer_ima3Du1(&in);
}

TEST(Mcoocur, SizesThatDoNotFitTheVolumeAreRefused) {
    struct Row {
        Mcoocur_t desc;
        int nx, ny, nz;
        const char* message;  // "" when accepted
    };
    const Row rows[] = {
        {all_features(3, 3, 3, 1, 1, 1), 5, 5, 5, ""},
        {all_features(4, 3, 3, 1, 1, 1), 5, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 4x3x3 et deplacement (1, 1, 1) trop grands pour le volume 5x5x5 (fenetre + "
         "deplacement < dimension, selon chaque axe)\n"},
        {all_features(3, 3, 2, 0, 0, 3), 5, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 3x3x2 et deplacement (0, 0, 3) trop grands pour le volume 5x5x5 (fenetre + "
         "deplacement < dimension, selon chaque axe)\n"},
        {all_features(2147483647, 1, 1, 2147483647, 0, 0), 2147483647, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 2147483647x1x1 et deplacement (2147483647, 0, 0) trop grands pour le volume "
         "2147483647x5x5 (fenetre + deplacement < dimension, selon chaque axe)\n"},
        {all_features(0, 3, 3, 0, 0, 0), 5, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 0x3x3 ou deplacement (0, 0, 0) refuse (fenetre d'au moins 1, deplacement "
         "d'au moins 0)\n"},
        {all_features(1, 1, 1, 0, -1, 0), 5, 5, 5,
         "\n>> ERREUR Mcoocur : fenetre 1x1x1 ou deplacement (0, -1, 0) refuse (fenetre d'au moins 1, deplacement "
         "d'au moins 0)\n"},
        {all_features(2000, 2000, 1074, 0, 0, 0), 2001, 2001, 1075,
         "\n>> ERREUR Mcoocur : fenetre de 4296000000 voxels refusee (au plus 4294967295)\n"},
    };
    for (const Row& r : rows) {
        const Outcome run = run_captured([&] { Mcoocur_check(&r.desc, r.nx, r.ny, r.nz); });
        EXPECT_TRUE(ended(run, *r.message ? 1 : 0, r.message));
    }
}

TEST(Mcoocur, DialogueAsksSizesAndSelections) {
    const char* kFeatures[] = {"0", "1", "0", "1x", "2", "01", "1", "no", "1"};
    std::vector<std::string> replies = {"3", "2", "1", "1", "0", "2"};
    replies.insert(replies.end(), std::begin(kFeatures), std::end(kFeatures));
    const Outcome run = run_phase(
        replies,
        [](param* head) {
            Mcoocur_t d;
            param* next = Mcoocur_lect(&d, head, ">> cooccurrence :");
            std::fprintf(stderr, "%d %d %d %d %d %d |", d.winx, d.winy, d.winz, d.dx, d.dy, d.dz);
            for (int s : d.selected) std::fprintf(stderr, "%d", s);
            return next;
        },
        [](param* next, param* head) {
            int asked = 0;
            for (param* p = head; p != next; p = p->suiv) ++asked;
            std::fprintf(stderr, " %d", asked);
        });
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.err, "3 2 1 1 0 2 |010100101 15");
    EXPECT_NE(run.out.find(">> cooccurrence : dx  = 1\n"), std::string::npos);
    EXPECT_NE(run.out.find(">> cooccurrence : Local Homogeneity (0/1) = 01\n"), std::string::npos);
    EXPECT_NE(run.out.find(">> cooccurrence : Constrast (0/1) = 0\n"), std::string::npos);

    // Windows below 1 and displacements below 0, in the dialogue.
    struct Bad {
        int at;
        const char *reply, *question;
    };
    for (const auto& [at, reply, question] : {Bad{0, "0", "winx"}, Bad{2, "-3", "winz"}, Bad{4, "-1", "dy"}}) {
        std::vector<std::string> bad = {"3", "3", "3", "0", "0", "0"};
        bad[static_cast<std::size_t>(at)] = reply;
        const Outcome refused = run_phase(bad, [](param* head) {
            Mcoocur_t d;
            return Mcoocur_lect(&d, head, ">> cooccurrence :");
        }, [](param*, param*) {});
        EXPECT_TRUE(ended_saying(refused, 1,
                                 std::string("\n>> ERREUR Mcoocur_lect : reponse \"") + reply +
                                     "\" refusee a la question \">> cooccurrence : " + question + "\" (entier de " +
                                     (at < 3 ? "1" : "0") + " a 2147483647)\n"));
    }
}
