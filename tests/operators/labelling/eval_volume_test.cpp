// Object statistics against a plain reference (6-connected objects of the
// class found by a union-find, their volumes and surfaces counted from the
// definitions), the Part's cases checked by eye, both report files, their
// failures, and the dialogue.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "eval_volume.h"
#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "region3d_reference.hpp"
#include "sweep.hpp"
#include "volume.h"

using namespace testing_support;
using reference::Volume;

namespace {

struct Case {
    Volume vol;
    unsigned char classe;

    std::string describe() const { return vol.describe() + ", class " + std::to_string(classe); }
    std::string where(std::size_t i) const { return "character " + std::to_string(i); }
};

// The attribute lines of objects 1 ... N of a labelling held flat, and
// their mean compactness, from the definitions.
std::string attributes(const Volume& vol, const std::vector<unsigned long long>& labels, int N, double* mean) {
    std::vector<long long> V(static_cast<std::size_t>(N) + 1), S(V.size());
    for (int z = 0; z < vol.dz; ++z)
        for (int y = 0; y < vol.dy; ++y)
            for (int x = 0; x < vol.dx; ++x) {
                const unsigned long long l = labels[vol.at(x, y, z)];
                if (l == 0) continue;
                ++V[l];
                bool surface = false;
                for (int dz = -1; dz <= 1; ++dz)
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int a = x + dx, b = y + dy, c = z + dz;
                            const bool outside = a < 0 || b < 0 || c < 0 || a >= vol.dx || b >= vol.dy || c >= vol.dz;
                            surface = surface || outside || labels[vol.at(a, b, c)] != l;
                        }
                S[l] += surface;
            }
    std::string lines;
    *mean = 0;
    for (int i = 1; i <= N; ++i) {
        const double K = static_cast<double>(V[i]) / (std::pow(S[i] / 3.141592653589793, 1.5) * 4.1887902047863905);
        char line[128];
        std::snprintf(line, sizeof line, "%d %lld %lld %.4f\n", i, V[i], S[i], K);
        lines += line;
        *mean += K / N;
    }
    return lines;
}

// The labelling and the attribute file (in a temporary folder) of a case:
// the label count, the object count and the partition. The file and the
// lines printed are checked on the way against the definitions, object by
// object of the labels made.
std::string evaluate(const Case& c) {
    TempDir dir;
    ima3Du1 in = reference::to_record(c.vol);
    eval_volume_t desc{c.classe, nullptr};
    int nb_etiq = 0, N = 0;
    const std::string printed = quietly([&] {
        eval_volume_init(&desc, &in);
        eval_etiquetage_strict(&in, desc.etiquettes, desc.classe, &nb_etiq, &N);
        calcul_attributs_objets(&desc, dir.file("attr.txt").c_str(), N);
    });
    const std::vector<unsigned long long> labels = values_of(*desc.etiquettes);
    // Objects are numbered 1 ... N, every number used; the rest is 0.
    std::vector<bool> used(static_cast<std::size_t>(N) + 1, false);
    bool numbered = true;
    for (std::size_t p = 0; p < labels.size(); ++p) {
        numbered = numbered && (labels[p] == 0) == (c.vol.v[p] != c.classe) && labels[p] <= static_cast<unsigned>(N);
        if (numbered) used[labels[p]] = true;
    }
    EXPECT_TRUE(numbered && std::count(used.begin() + 1, used.end(), true) == N) << c.describe();
    if (numbered) {
        double mean = 0;
        EXPECT_EQ(read_file(dir.file("attr.txt")), attributes(c.vol, labels, N, &mean)) << c.describe();
        char tail[256];
        std::snprintf(tail, sizeof tail,
                      " (max 17000000)\nCalcul des attributs en cours\nSauvagarde des r\351sultats dans %s\n"
                      "Compacitee moyenne: %f\n",
                      dir.file("attr.txt").c_str(), mean);
        EXPECT_EQ(printed, "nb_etiq = " + std::to_string(nb_etiq) + tail) << c.describe();
    }
    eval_volume_ferm(&desc);
    liberer_ima3Du1(&in);
    return std::to_string(nb_etiq) + " " + std::to_string(N) + "\n" + reference::partition(labels);
}

std::string plain_evaluate(const Case& c) {
    const Volume& vol = c.vol;
    reference::UnionFind uf(vol.v.size());
    auto member = [&](std::size_t p) { return vol.v[p] == c.classe; };
    // Labels made: voxel (0, 0, 0) of the class starts at 1, then one for
    // every voxel of the class with no neighbour of the class before it.
    int made = member(0) ? 1 : 0;
    reference::in_scan_order(vol, [&](int x, int y, int z) {
        const std::size_t p = vol.at(x, y, z);
        if (p == 0 || !member(p)) return;
        bool joined = false;
        if (x > 0 && member(vol.at(x - 1, y, z))) uf.unite(p, vol.at(x - 1, y, z)), joined = true;
        if (y > 0 && member(vol.at(x, y - 1, z))) uf.unite(p, vol.at(x, y - 1, z)), joined = true;
        if (z > 0 && member(vol.at(x, y, z - 1))) uf.unite(p, vol.at(x, y, z - 1)), joined = true;
        made += !joined;
    });
    std::vector<std::size_t> roots(vol.v.size());
    std::vector<bool> object(vol.v.size(), false);
    for (std::size_t p = 0; p < roots.size(); ++p) {
        roots[p] = member(p) ? uf.root(p) : vol.v.size();
        if (member(p)) object[roots[p]] = true;
    }
    const auto N = std::count(object.begin(), object.end(), true);
    return std::to_string(made + 1) + " " + std::to_string(N) + "\n" + reference::partition(roots);
}

Case random_case(std::mt19937& random, int trial) {
    const int dx = 1 + static_cast<int>(random() % 9), dy = 1 + static_cast<int>(random() % 9),
              dz = 1 + static_cast<int>(random() % 9);
    // Two or three levels, so that objects are many and shaped at random.
    const gen::Content contents[] = {gen::Content::two_extremes, gen::Content::few_values, gen::Content::sparse};
    gen::Bytes v = gen::random_volume(random, dx, dy, dz, contents[trial % 3]);
    const unsigned char classe = trial % 10 == 0 ? 77 : v[random() % v.size()];
    return {{dx, dy, dz, std::move(v)}, classe};
}

Case flat(int dx, int dy, int dz, gen::Bytes v, unsigned char classe) { return {{dx, dy, dz, std::move(v)}, classe}; }

// Runs f in a child whose working folder is `folder`.
template <class F>
Outcome run_in(const std::string& folder, F f) {
    return run_captured([&] {
        if (::chdir(folder.c_str()) != 0) std::_Exit(120);
        f();
    });
}

}  // namespace

TEST(EvalVolume, MatchesTheReferenceOnRandomVolumes) {
    reference_sweep(51, 400, random_case, evaluate, plain_evaluate);
}

TEST(EvalVolume, CasesCheckedByEye) {
    struct Example {
        const char* what;
        Case c;
        std::vector<unsigned long long> labels;  // memory order
        std::string attributes, mean;
    };
    gen::Bytes centre(27, 0);
    centre[13] = 9;
    const Example examples[] = {
        {"a single voxel", flat(3, 3, 3, centre, 9), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
                                                     0, 0, 0, 0, 0},
         "1 1 1 1.3293\n", "1.329340"},
        {"no voxel of the class", flat(2, 2, 1, {1, 2, 3, 4}, 9), {0, 0, 0, 0}, "", "0.000000"},
        {"two voxels touching by an edge", flat(2, 2, 1, {9, 0, 0, 9}, 9), {1, 0, 0, 2}, "1 1 1 1.3293\n2 1 1 1.3293\n",
         "1.329340"},
        {"two voxels touching by a corner", flat(2, 2, 2, {9, 0, 0, 0, 0, 0, 0, 9}, 9), {1, 0, 0, 0, 0, 0, 0, 2},
         "1 1 1 1.3293\n2 1 1 1.3293\n", "1.329340"},
        {"two voxels touching by a face", flat(2, 2, 1, {9, 9, 0, 0}, 9), {1, 1, 0, 0}, "1 2 2 0.9400\n", "0.939986"},
        // Every voxel on a face of the volume is on the surface: all but the centre.
        {"an object filling the volume", flat(3, 3, 3, gen::Bytes(27, 9), 9), std::vector<unsigned long long>(27, 1),
         "1 27 26 0.2707\n", "0.270732"},
        // The class is the reply's low 8 bits: 0 here, the background 5.
        {"class 0", flat(3, 1, 1, {0, 5, 0}, 0), {1, 0, 2}, "1 1 1 1.3293\n2 1 1 1.3293\n", "1.329340"},
    };
    for (const Example& e : examples) {
        TempDir dir;
        ima3Du1 in = reference::to_record(e.c.vol);
        eval_volume_t desc{e.c.classe, nullptr};
        const Outcome run = run_in(dir.path(), [&] {
            eval_volume_init(&desc, &in);
            std::printf("<%d>", eval_volume_calc(&desc, &in));
            const std::vector<unsigned long long> labels = values_of(*desc.etiquettes);
            std::fprintf(stderr, "%s", labels == e.labels ? "labels as expected" : "other labels");
        });
        const std::string objects = std::to_string(std::count(e.attributes.begin(), e.attributes.end(), '\n'));
        EXPECT_TRUE(ended_saying(run, 0,
                                 "\nNombre d'objets: " + objects + "\nCalcul compacite ...\nCalcul des attributs en "
                                 "cours\nSauvagarde des r\351sultats dans attr.txt\nCompacitee moyenne: " + e.mean +
                                 "\n<" + objects + ">"))
            << e.what;
        EXPECT_EQ(run.err, "labels as expected") << e.what;
        EXPECT_EQ(read_file(dir.file("attr.txt")), e.attributes) << e.what;
        EXPECT_EQ(evaluate(e.c), plain_evaluate(e.c)) << e.what;
        liberer_ima3Du1(&in);
    }
}

TEST(EvalVolume, VolumeReportWritesEveryObjectAndItsStatistics) {
    // Runs of 9, 10, 99, 100, 999, 1000, 9999 and 10000 voxels along one
    // trace, each followed by a voxel of the background.
    const int runs[] = {9, 10, 99, 100, 999, 1000, 9999, 10000};
    gen::Bytes trace;
    std::string expected_file;
    for (int i = 0; i < 8; ++i) {
        trace.insert(trace.end(), static_cast<std::size_t>(runs[i]), 1);
        trace.push_back(0);
        expected_file += std::to_string(i + 1) + " " + std::to_string(runs[i]) + "\n";
    }
    struct Report {
        const char* what;
        Case c;
        int N;
        std::string file, printed;
    };
    const Report reports[] = {
        {"eight objects", flat(static_cast<int>(trace.size()), 1, 1, trace, 1), 8, expected_file,
         "un\nVolume minimal: 9\nVolume maximal: 10000\nVolume moyen: 2777.000000\nEcart type: 4187.841807\n"
         "R\351partion des volumes:\n0->9:\t 1\n10->99:\t 2\n100->999:\t 2\n1000->9999:\t 2\n10000-> + :\t 1\n"},
        {"no object", flat(3, 2, 1, gen::Bytes(6, 0), 1), 0, "",
         "un\nVolume minimal: 0\nVolume maximal: 0\nVolume moyen: 0.000000\nEcart type: 0.000000\n"
         "R\351partion des volumes:\n0->9:\t 0\n10->99:\t 0\n100->999:\t 0\n1000->9999:\t 0\n10000-> + :\t 0\n"},
    };
    for (const Report& r : reports) {
        TempDir dir;
        ima3Du1 in = reference::to_record(r.c.vol);
        eval_volume_t desc{r.c.classe, nullptr};
        int nb_etiq = 0, N = -1;
        quietly([&] {
            eval_volume_init(&desc, &in);
            eval_etiquetage_strict(&in, desc.etiquettes, desc.classe, &nb_etiq, &N);
        });
        EXPECT_EQ(N, r.N) << r.what;
        const std::string path = dir.file("vol.txt");
        EXPECT_EQ(quietly([&] { EXPECT_EQ(calcul_vol_objets(&desc, path.c_str(), N), 0); }), r.printed) << r.what;
        EXPECT_EQ(read_file(path), r.file) << r.what;
        EXPECT_TRUE(file_exists(path)) << r.what;
        eval_volume_ferm(&desc);
        EXPECT_EQ(desc.etiquettes, nullptr);
        liberer_ima3Du1(&in);
    }
}

TEST(EvalVolume, ReportsThatCannotBeCreatedEndTheProcess) {
    TempDir dir;
    const std::string path = dir.file("missing/attr.txt");
    ima3Du1 in = make_volume(2, 2, 2, [](int x, int, int) { return x; });
    struct Failure {
        const char* who;
        int (*report)(eval_volume_t*, const char*, int);
        const char* printed_first;
    };
    const Failure failures[] = {
        {"calcul_attributs_objets", calcul_attributs_objets,
         "Calcul des attributs en cours\nSauvagarde des r\351sultats dans "},
        {"calcul_vol_objets", calcul_vol_objets, "un\n"},
    };
    for (const Failure& f : failures) {
        const Outcome run = run_captured([&] {
            eval_volume_t desc{1, nullptr};
            int nb_etiq = 0, N = 0;
            eval_volume_init(&desc, &in);
            eval_etiquetage_strict(&in, desc.etiquettes, desc.classe, &nb_etiq, &N);
            std::printf("<%d>", N);
            f.report(&desc, path.c_str(), N);
        });
        EXPECT_TRUE(ended_saying(run, 1, "<1>" + std::string(f.printed_first))) << f.who;
        EXPECT_TRUE(ended_saying(run, 1, "Erreur ouverture de " + path + "\n")) << f.who;
        EXPECT_EQ(run.err, std::string("Dans ") + f.who + ": No such file or directory\n");
    }
    liberer_ima3Du1(&in);
}

TEST(EvalVolume, CalcNeedsTheLabelVolumeOfInit) {
    ima3Du1 in = make_volume(3, 2, 2, [](int, int, int) { return 1; });
    ima3Du1 other = make_volume(2, 2, 2, [](int, int, int) { return 1; });
    eval_volume_t none{1, nullptr}, made{1, nullptr};
    eval_volume_init(&made, &in);
    const std::pair<std::function<void()>, std::string> refusals[] = {
        {[&] { eval_volume_calc(&none, &in); }, "eval_volume_calc : volume d'etiquettes absent (eval_volume_init)"},
        {[&] { calcul_vol_objets(&none, "vol.txt", 0); }, "calcul_vol_objets : volume d'etiquettes absent (eval_volume_init)"},
        {[&] { eval_volume_calc(&made, &other); }, "eval_volume_calc : volume d'etiquettes 3x2x2 different du volume 2x2x2"},
    };
    for (const auto& [run, message] : refusals) EXPECT_TRUE(ended(run_captured(run), 1, "\n>> ERREUR " + message + "\n"));
    eval_volume_ferm(&made);
    liberer_ima3Du1(&in);
    liberer_ima3Du1(&other);
}
