// Learning-set preprocessing: the smallest spacing against every pair, the
// competitive agglomeration (clusters by blob, merging of close clusters),
// the convex verification (a group kept whole, a sparse one split into
// quadrants), and the chain's three traces on a small learning set.

#include "traitement_donnees.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "preprocessing.hpp"
#include "support.hpp"
#include "sweep.hpp"

namespace {

// Points as the groups trace lists them ("%f %f \n"), or with a cluster.
std::string listed(const std::vector<float>& x, const std::vector<float>& y, int cluster = -1) {
    std::string s;
    char line[96];
    for (std::size_t p = 0; p < x.size(); ++p) {
        if (cluster < 0)
            std::snprintf(line, sizeof line, "%f %f \n", x[p], y[p]);
        else
            std::snprintf(line, sizeof line, "%f %f %d \n", x[p], y[p], cluster);
        s += line;
    }
    return s;
}

TEST(Preprocessing, SmallestSpacingAgainstEveryPair) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        std::uniform_int_distribution<int> count(1, 30), value(-20, 20);
        std::vector<float> v(static_cast<std::size_t>(count(random)));
        for (float& x : v) x = static_cast<float>(value(random)) * 0.37f;
        double expected = 0;
        for (float a : v)
            for (float b : v) {
                const double d = std::fabs(static_cast<double>(a) - b);
                if (d > 0 && (expected == 0 || d < expected)) expected = d;
            }
        ASSERT_EQ(preprocessing::dmin(v.data(), static_cast<int>(v.size())), expected) << "trial " << trial;
        ASSERT_EQ(preprocessing::cell_size(v.data(), static_cast<int>(v.size())), expected == 0 ? 0.003 : 3 * expected);
    }
}

// Random points on a small lattice in random clusters with random
// spacings, for the agglomeration step.
struct Clusters {
    std::vector<float> x, y;
    std::vector<double> sx, sy;
    std::vector<int> label;
    std::string describe() const {
        return std::to_string(x.size()) + " points, " + std::to_string(sx.size()) + " clusters";
    }
    std::string where(std::size_t i) const { return i < x.size() ? "label of point " + std::to_string(i) : "a count"; }
};

// Labels, then counts, after the step.
std::vector<int> agglomerated(const Clusters& c, bool plain) {
    std::vector<int> label = c.label, count(c.sx.size(), 0);
    for (const int l : label) ++count[l];
    const int n = static_cast<int>(c.x.size());
    if (!plain) preprocessing::agglomerate(c.x.data(), c.y.data(), n, c.sx, c.sy, label, count);
    for (bool changed = plain; changed;) {
        changed = false;
        for (int p = 0; p + 1 < n; ++p)
            for (int q = p + 1; q < n; ++q) {
                const int a = label[p], b = label[q];
                if (a == b || !(std::fabs(double(c.x[p]) - c.x[q]) < 1.5 * std::min(c.sx[a], c.sx[b])) ||
                    !(std::fabs(double(c.y[p]) - c.y[q]) < 1.5 * std::min(c.sy[a], c.sy[b])))
                    continue;
                const int from = count[a] > count[b] ? q : p, to = count[a] > count[b] ? a : b;
                --count[label[from]];
                ++count[to];
                label[from] = to;
                changed = true;
            }
    }
    label.insert(label.end(), count.begin(), count.end());
    return label;
}

TEST(Preprocessing, AgglomerationStepAgainstEveryPairInOrder) {
    testing_support::reference_sweep(
        21, 300,
        [](std::mt19937& random, int trial) {
            std::uniform_int_distribution<int> clusters(1, 10), coordinate(0, 40), spacing(0, 8);
            Clusters c;
            const int k0 = clusters(random), n = 1 + trial % 3 * 150 + trial % 37;
            for (int k = 0; k < k0; ++k) {
                c.sx.push_back(spacing(random) * 0.5);
                c.sy.push_back(spacing(random) * 0.5);
            }
            for (int p = 0; p < n; ++p) {
                c.x.push_back(static_cast<float>(coordinate(random)) * 0.1f);
                c.y.push_back(static_cast<float>(coordinate(random)) * 0.1f);
                c.label.push_back(std::uniform_int_distribution<int>(0, k0 - 1)(random));
            }
            return c;
        },
        [](const Clusters& c) { return agglomerated(c, false); },
        [](const Clusters& c) { return agglomerated(c, true); });
}

struct Verified {
    const char* name;
    std::vector<float> x, y;
    std::string expected;
};

TEST(Preprocessing, ConvexVerification) {
    const Verified rows[] = {
        {"three points", {5, 6, 5}, {5, 5, 7}, "1\n3 \n" + listed({5, 6, 5}, {5, 5, 7})},
        {"filled square", {0, 1, 0, 1}, {0, 0, 1, 1}, "1\n4 \n" + listed({0, 1, 0, 1}, {0, 0, 1, 1})},
        // Cells 3 wide and 90 high: 2 occupied cells of an outline 11
        // cells wide; quadrants 2 then 3 around (16.5, 60).
        {"sparse square",
         {0, 1, 30, 0, 30},
         {0, 0, 0, 30, 30},
         "2\n3 2 \n" + listed({0, 1, 0, 30, 30}, {0, 0, 30, 0, 30})},
        // All x equal: cells 0.003 wide; the diagonal of cells fills its
        // outline.
        {"one x", {2, 2, 2, 2}, {0, 1, 2, 3}, "1\n4 \n" + listed({2, 2, 2, 2}, {0, 1, 2, 3})},
    };
    // Values 1e-7 apart over a range of 100: the outline would cross 10^9
    // cells of the verification grid.
    std::vector<float> fine_x = {0, 1e-7f, 100, 50}, fine_y = {0, 50, 100, 1e-7f};
    EXPECT_TRUE(testing_support::ended_saying(
        testing_support::run_captured([&] {
            std::FILE* sink = std::fopen("/dev/null", "w");
            preprocessing::convex_verif(fine_x.data(), fine_y.data(), 4, sink);
        }),
        1, "ERREUR traitement_donnees : le contour d'un groupe de 4 points demande le trace de"));
    for (const Verified& row : rows) {
        std::vector<float> x = row.x, y = row.y;
        EXPECT_EQ(testing_support::written([&](std::FILE* f) {
                      preprocessing::convex_verif(x.data(), y.data(), static_cast<int>(x.size()), f);
                  }),
                  row.expected)
            << row.name;
    }
}

// The agglomeration's traces and result for interleaved points.
struct Agglomerated {
    int clusters;
    std::string compet, groups;
    std::vector<float> x, y;
};

Agglomerated agglomerate(std::vector<float> x, std::vector<float> y) {
    Agglomerated a{};
    std::string compet;
    a.groups = testing_support::written([&](std::FILE* groups) {
        compet = testing_support::written([&](std::FILE* c) {
            const preprocessing::Traces traces{nullptr, c, groups};
            a.clusters =
                preprocessing::competitive_agglomeration(x.data(), y.data(), static_cast<int>(x.size()), traces);
        });
    });
    a.compet = compet;
    a.x = x;
    a.y = y;
    return a;
}

TEST(Preprocessing, AgglomerationKeepsFarBlobsApartAndMergesCloseClusters) {
    // Two diagonals far apart, interleaved: two clusters made contiguous in
    // their original order, each kept whole by the verification.
    std::vector<float> x, y, a, b;
    for (int i = 0; i < 10; ++i) {
        x.insert(x.end(), {float(i), float(100 + i)});
        a.push_back(float(i));
        b.push_back(float(100 + i));
    }
    y = x;
    const Agglomerated two = agglomerate(x, y);
    EXPECT_EQ(two.clusters, 2);
    EXPECT_EQ(two.compet, listed(a, a, 0) + listed(b, b, 1) + "\n");
    EXPECT_EQ(two.groups, "2\n1\n10 \n" + listed(a, a) + "1\n10 \n" + listed(b, b));
    // One diagonal of 20 points: two chunks whose touching ends merge,
    // one point a pass, into one cluster (numbered 0).
    std::vector<float> d;
    for (int i = 0; i < 20; ++i) d.push_back(float(i));
    const Agglomerated one = agglomerate(d, d);
    EXPECT_EQ(one.clusters, 1);
    EXPECT_EQ(one.compet, listed(d, d, 0) + "\n");
    EXPECT_EQ(one.groups, "1\n");
    // Initial clusters: 25 points give 2, 250 give 10 (one per chunk of
    // points far apart from the others).
    for (const int n : {25, 250}) {
        std::vector<float> px, py;
        for (int i = 0; i < n; ++i) {
            px.push_back(float(i / (n / (n == 25 ? 2 : 10)) * 1000 + i % 7));
            py.push_back(float(i % 5));
        }
        EXPECT_EQ(agglomerate(px, py).clusters, n == 25 ? 2 : 10) << n;
    }
}

TEST(Preprocessing, ChainTracesOnASmallLearningSet) {
    // Class 0: a square with (0, 0) twice; class 1: two heavy points and a
    // lone far one, dropped by the sparse-cell filter.
    std::vector<float> x = {0, 0, 1, 0, 1}, y = {0, 0, 0, 1, 1};
    for (int i = 0; i < 6; ++i) x.push_back(0), y.push_back(0);
    for (int i = 0; i < 6; ++i) x.push_back(1), y.push_back(0);
    x.push_back(9), y.push_back(9);
    std::string clean, compet;
    const std::string groups = testing_support::written([&](std::FILE* g) {
        compet = testing_support::written([&](std::FILE* c) {
            clean = testing_support::written([&](std::FILE* l) { preprocessing::process_chain(x, y, {5, 13}, {l, c, g}); });
        });
    });
    EXPECT_EQ(clean,
              "0.000000 0.000000 2\n1.000000 0.000000 1\n0.000000 1.000000 1\n1.000000 1.000000 1\n\n"
              "0.000000 0.000000 6\n1.000000 0.000000 6\n9.000000 9.000000 1\n\n");
    EXPECT_EQ(compet, listed({0, 1}, {0, 0}, 0) + listed({0, 1}, {1, 1}, 1) + "\n" + listed({0}, {0}, 0) +
                          listed({1}, {0}, 1) + "\n");
    EXPECT_EQ(groups, "0 1\n2\n1\n2 \n" + listed({0, 1}, {0, 0}) + "1\n2 \n" + listed({0, 1}, {1, 1}) + "2\n1\n1 \n" +
                          listed({0}, {0}) + "1\n1 \n" + listed({1}, {0}));
}

}  // namespace
