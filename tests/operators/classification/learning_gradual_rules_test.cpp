// Learning of gradual rules: the worked hulls and their rule lines, the
// outline against a transcription of its list insertions, the hull against
// a gift-wrapping reference, and the corners and rules files of raw and
// preprocessed learning sets.

#include "learning_gradual_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "gradual_rules.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;
using gradual_rules::Point;

namespace {

struct Xy {
    std::vector<float> x, y;
    std::string describe() const {
        std::string d = std::to_string(x.size()) + " points";
        for (std::size_t i = 0; i < x.size(); ++i) d += " (" + std::to_string(x[i]) + ", " + std::to_string(y[i]) + ")";
        return d;
    }
    std::string where(std::size_t i) const { return (i % 2 ? "y of node " : "x of node ") + std::to_string(i / 2); }
};

// Nodes as x, y, x, y, ...
using Flat = std::vector<double>;

std::vector<Point> hull_of(const Xy& s) {
    return gradual_rules::conv_hull(
        gradual_rules::contour_extraction(s.x.data(), s.y.data(), 0, static_cast<int>(s.x.size())));
}


std::string corners_and_rules(const std::vector<Point>& hull) {
    return written([&](std::FILE* f) { gradual_rules::write_corners(f, hull); }) + "|" +
           written([&](std::FILE* f) { gradual_rules::rules_calc(f, hull); });
}

const std::string kStars = "*************************\n";

TEST(GradualRules, WorkedHullsAndTheirRules) {
    struct Row {
        const char* name;
        Xy points;
        std::string expected;  // corners | rules
    };
    const Row rows[] = {
        {"square",
         {{0, 1, 1, 0}, {0, 0, 1, 1}},
         "1.000000 0.000000\n0.000000 0.000000\n0.000000 1.000000\n1.000000 1.000000\n" + kStars +
             "|A0 5 0.000000 1.000000\nB0 0\nA1 1\nB1 4 0.000000 1.000000\n" + kStars},
        {"triangle",
         {{0, 2, 1}, {0, 0, 2}},
         "2.000000 0.000000\n0.000000 0.000000\n1.000000 2.000000\n" + kStars +
             "|A0 3 0.000000 1.000000\nB0 3 0.000000 2.000000\nA1 2 1.000000 2.000000\nB1 3 0.000000 2.000000\n"
             "A2 5 0.000000 2.000000\nB2 0\nA3 1\nB3 4 0.000000 2.000000\n" +
             kStars},
        // Points on the edges and inside, repeated points: corners only.
        {"collinear on edges",
         {{0, 1, 2, 2, 2, 1, 0, 0, 1, 2}, {0, 0, 0, 1, 2, 2, 2, 1, 1, 2}},
         "2.000000 0.000000\n0.000000 0.000000\n0.000000 2.000000\n2.000000 2.000000\n" + kStars +
             "|A0 5 0.000000 2.000000\nB0 0\nA1 1\nB1 4 0.000000 2.000000\n" + kStars},
        {"one point",
         {{3, 3}, {4, 4}},
         "3.000000 4.000000\n" + kStars + "|A0 5 3.000000 3.000000\nB0 0\nA1 1\nB1 4 4.000000 4.000000\n" + kStars},
        // Two points, and collinear points: the two extremes, pivot first;
        // the slanted segment gives a rule each way.
        {"segment",
         {{1, 2, 3, 0}, {1, 2, 3, 0}},
         "0.000000 0.000000\n3.000000 3.000000\n" + kStars +
             "|A0 3 0.000000 3.000000\nB0 3 0.000000 3.000000\nA1 2 0.000000 3.000000\nB1 2 0.000000 3.000000\n"
             "A2 5 0.000000 3.000000\nB2 0\nA3 1\nB3 4 0.000000 3.000000\n" +
             kStars},
        {"vertical",
         {{5, 5}, {1, -1}},
         "5.000000 -1.000000\n5.000000 1.000000\n" + kStars +
             "|A0 5 5.000000 5.000000\nB0 0\nA1 1\nB1 4 -1.000000 1.000000\n" + kStars},
    };
    for (const Row& row : rows) EXPECT_EQ(corners_and_rules(hull_of(row.points)), row.expected) << row.name;
}

TEST(GradualRules, CounterclockwiseVerticesSwapTheCodes) {
    // Given directly (a hull is never counterclockwise): t < 0.
    const std::vector<Point> ccw = {{0, 0}, {2, 1}, {1, 3}};
    EXPECT_EQ(written([&](std::FILE* f) { gradual_rules::rules_calc(f, ccw); }),
              "A0 2 0.000000 2.000000\nB0 2 0.000000 1.000000\nA1 2 1.000000 2.000000\nB1 3 1.000000 3.000000\n"
              "A2 3 0.000000 1.000000\nB2 3 0.000000 3.000000\nA3 5 0.000000 2.000000\nB3 0\nA4 1\n"
              "B4 4 0.000000 3.000000\n" +
                  kStars);
}

// Random points on a small lattice (many shared x, y, repeats, collinear
// runs), at an offset inside larger arrays.
Xy random_points(std::mt19937& random, int trial) {
    std::uniform_int_distribution<int> count(1, 3 + trial % 40), coordinate(-4, 4);
    Xy s;
    for (int n = count(random); n > 0; --n) {
        s.x.push_back(static_cast<float>(coordinate(random)) * 0.5f);
        s.y.push_back(static_cast<float>(coordinate(random)));
    }
    return s;
}

TEST(GradualRules, OutlineAsTheListInsertionsGiveIt) {
    reference_sweep(
        11, 400, random_points,
        [](const Xy& s) {
            std::vector<float> x = s.x, y = s.y;
            x.insert(x.begin(), 99.0f);
            y.insert(y.begin(), 99.0f);
            Flat got;
            for (const Point& p :
                 gradual_rules::contour_extraction(x.data(), y.data(), 1, static_cast<int>(s.x.size())))
                got.insert(got.end(), {p.x, p.y});
            return got;
        },
        [](const Xy& s) {
            // Each list starts with the first point; a new y is inserted
            // after the list's first node, a known y keeps the extreme x.
            auto list = [&](bool right) {
                std::vector<std::pair<double, double>> l = {{s.x[0], s.y[0]}};
                for (std::size_t p = 0; p < s.x.size(); ++p) {
                    bool found = false;
                    for (auto& node : l)
                        if (node.second == s.y[p]) {
                            found = true;
                            if (right ? s.x[p] > node.first : s.x[p] < node.first) node.first = s.x[p];
                        }
                    if (!found) l.insert(l.begin() + 1, {s.x[p], s.y[p]});
                }
                return l;
            };
            Flat ring;
            for (const bool right : {true, false})
                for (const auto& node : list(right)) ring.insert(ring.end(), {node.first, node.second});
            return ring;
        });
}

TEST(GradualRules, HullAgainstGiftWrapping) {
    reference_sweep(
        12, 600, random_points,
        [](const Xy& s) {
            Flat got;
            for (const Point& p : hull_of(s)) got.insert(got.end(), {p.x, p.y});
            return got;
        },
        [](const Xy& s) {
            // From the pivot, the next corner is the point every other
            // point lies to the right of (isleft >= 0 seen from the
            // current corner), the farthest among aligned ones.
            std::vector<Point> p;
            for (std::size_t i = 0; i < s.x.size(); ++i) p.push_back({s.x[i], s.y[i]});
            Point pivot = p[0];
            for (const Point& q : p)
                if (q.y < pivot.y || (q.y == pivot.y && q.x > pivot.x)) pivot = q;
            Flat hull = {pivot.x, pivot.y};
            Point current = pivot;
            for (;;) {
                Point next = current;
                auto d2 = [&](Point q) {
                    return (q.x - current.x) * (q.x - current.x) + (q.y - current.y) * (q.y - current.y);
                };
                for (const Point& q : p) {
                    if (q.x == current.x && q.y == current.y) continue;
                    if (next.x == current.x && next.y == current.y) {
                        next = q;
                        continue;
                    }
                    const double turn = gradual_rules::isleft(current, next, q);
                    if (turn < 0 || (turn == 0 && d2(q) > d2(next))) next = q;
                }
                if ((next.x == pivot.x && next.y == pivot.y) || (next.x == current.x && next.y == current.y)) break;
                hull.insert(hull.end(), {next.x, next.y});
                current = next;
            }
            return hull;
        });
}

// The corners and rules files of one run of the operator on `data`.
std::pair<std::string, std::string> learn(const std::string& data, short pretraite, int attributes,
                                          std::vector<int> sizes = {}) {
    TempDir dir;
    write_file(dir.file("data.txt"), data);
    const std::string names[] = {dir.file("data.txt"), dir.file("corners.txt"), dir.file("rules.txt")};
    learning_gradual_rules_t d{names[0].c_str(), names[1].c_str(), names[2].c_str(), static_cast<int>(sizes.size()),
                               attributes,       sizes.data(),     pretraite};
    EXPECT_EQ(learning_gradual_rules_init(&d), 0);
    EXPECT_EQ(learning_gradual_rules_calc(&d), 0);
    return {read_file(names[1]), read_file(names[2])};
}

TEST(GradualRules, RawPointsEveryPairAndClass) {
    // Class 0: a triangle in (0, 1); class 1: two points. Three attributes:
    // pairs (0, 1), (0, 2), (1, 2), one header with class -1.
    const auto [corners, rules] = learn(
        "0 0 5 7\n2 0 5 7\n1 2 6 7\n"
        "4 4 4 9\n5 4 3 9\n",
        0, 3, {3, 2});
    const std::string c0 = "2.000000 0.000000\n0.000000 0.000000\n1.000000 2.000000\n" + kStars;
    EXPECT_EQ(corners, "0 1\n\n****-1****\n" + c0 + "5.000000 4.000000\n4.000000 4.000000\n" + kStars +
                           "2.000000 5.000000\n0.000000 5.000000\n1.000000 6.000000\n" + kStars +
                           "5.000000 3.000000\n4.000000 4.000000\n" + kStars +
                           "0.000000 5.000000\n2.000000 6.000000\n" + kStars +
                           "4.000000 3.000000\n4.000000 4.000000\n" + kStars);
    EXPECT_EQ(rules.substr(0, 16), "0 1\n\n****-1****\n");
    EXPECT_EQ(rules.find("****-1****", 16), std::string::npos);
    std::size_t hulls = 0;
    for (std::size_t at = rules.find(kStars); at != std::string::npos; at = rules.find(kStars, at + 1)) ++hulls;
    EXPECT_EQ(hulls, 6u);
    EXPECT_NE(rules.find("A0 3 0.000000 1.000000\nB0 3 0.000000 2.000000\nA1 2 1.000000 2.000000\n"),
              std::string::npos);
}

TEST(GradualRules, PreprocessedGroupsPerPairAndClass) {
    // Two classes, two attributes: class 0 in two groups, class 1 in one.
    const auto [corners, rules] = learn("2\n0 1\n2\n3 1 \n0 0\n2 0\n1 2\n7 7\n1\n2 \n1 1\n3 2\n", 1, 2);
    EXPECT_EQ(corners, "\n0 1\n****0****\n2.000000 0.000000\n0.000000 0.000000\n1.000000 2.000000\n" + kStars +
                           "7.000000 7.000000\n" + kStars + "\n0 1\n****1****\n1.000000 1.000000\n3.000000 2.000000\n" +
                           kStars);
    EXPECT_EQ(rules,
              "\n0 1\n****0****\nA0 3 0.000000 1.000000\nB0 3 0.000000 2.000000\nA1 2 1.000000 2.000000\n"
              "B1 3 0.000000 2.000000\nA2 5 0.000000 2.000000\nB2 0\nA3 1\nB3 4 0.000000 2.000000\n" +
                  kStars + "A0 5 7.000000 7.000000\nB0 0\nA1 1\nB1 4 7.000000 7.000000\n" + kStars +
                  "\n0 1\n****1****\nA0 3 1.000000 3.000000\nB0 3 1.000000 2.000000\nA1 2 1.000000 3.000000\n"
                  "B1 2 1.000000 2.000000\nA2 5 1.000000 3.000000\nB2 0\nA3 1\nB3 4 1.000000 2.000000\n" +
                  kStars);
}

}  // namespace
