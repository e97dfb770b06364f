// Fuzzy c-means against a plain transcription of its arithmetic (every sum
// in its own loop) on random data sets, the texts it prints, the three
// initialisations and the refusals of its reading and initialisation.

#include "fuzzy_c_means.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "records.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;
using records::Input;
using records::Output;
using records::Rows;

namespace {

using Centres = std::vector<std::vector<int>>;  // [class][attribute]

fuzzy_c_means_t descriptor(int classes, float m, float threshold, int iterations, const std::string& init) {
    fuzzy_c_means_t d{};
    d.nb_class = classes;
    d.fuzzy_coeff = m;
    d.threshold = threshold;
    d.nb_it = iterations;
    std::snprintf(d.initialisation, sizeof d.initialisation, "%s", init.c_str());
    return d;
}

Centres centres_of(const fuzzy_c_means_t& d, int attributes) {
    Centres c(static_cast<std::size_t>(d.nb_class));
    for (int j = 0; j < d.nb_class; ++j) c[j].assign(d.centres[j], d.centres[j] + attributes);
    return c;
}

void release(fuzzy_c_means_t& d) {
    std::free(d.centres[0]);
    std::free(d.centres);
}

// What one clustering leaves: the memberships, the centres and the closing line.
struct Result {
    Rows u;
    Centres centres;
    std::string ending;
};

// The closing line of the computation after `ran` iterations (-1: ran out).
std::string ending(int cycles) {
    if (cycles < 0) return "\nNb. maximum d'it\351rations atteint !!! \n";
    return "L'algorithme a termin\351 le calcul apr\350s  " + std::to_string(cycles) + " cycles.\n\n";
}

Result cluster(fuzzy_c_means_t d, const Rows& x) {
    const Input in(x);
    Output out;
    const std::string printed = quietly([&] {
        fuzzy_c_means_init(&d, in, &out);
        fuzzy_c_means_calc(&d, in, &out);
    });
    Result r{records::rows_of(out), centres_of(d, in.nb_attributs),
             printed.substr(printed.rfind("Calcul effectu\351!") + 16)};
    release(d);
    return r;
}

// The algorithm as written: initial memberships from the centres for each
// attribute in turn, then each iteration's sums one (class, attribute) at
// a time and each membership from its own distances.
Result plain(const fuzzy_c_means_t& d, const Rows& x, Centres c) {
    const int classes = d.nb_class, attributes = static_cast<int>(x.size()), n = static_cast<int>(x[0].size());
    const float m = d.fuzzy_coeff;
    Rows u(classes, std::vector<float>(n));
    for (int a = 0; a < attributes; ++a)
        for (int p = 0; p < n; ++p) {
            int s = 0;
            for (int k = 0; k < classes; ++k)
                s = static_cast<int>(static_cast<float>(s) + std::fabs(c[k][a] - x[a][p]));
            for (int k = 0; k < classes; ++k)
                u[k][p] = s == 0 ? 1.0f / classes : std::fabs(c[k][a] - x[a][p]) / static_cast<float>(s);
        }
    int i = 0;
    for (; i < d.nb_it; ++i) {
        for (int a = 0; a < attributes; ++a)
            for (int j = 0; j < classes; ++j) {
                float num = 0, den = 0;
                for (int p = 0; p < n; ++p) {
                    num += std::pow(u[j][p], m) * x[a][p];
                    den += std::pow(u[j][p], m);
                }
                if (den != 0) c[j][a] = static_cast<int>(num / den);
            }
        auto inverse = [&](int k, int p) {
            float dist = 0;
            for (int a = 0; a < attributes; ++a)
                dist += (x[a][p] - static_cast<float>(c[k][a])) * (x[a][p] - static_cast<float>(c[k][a]));
            return 1.0f / std::pow(dist + 0.001f, 1.0f / (m - 1.0f));
        };
        float variation = 0;
        for (int p = 0; p < n; ++p)
            for (int j = 0; j < classes; ++j) {
                float total = 0;
                for (int k = 0; k < classes; ++k) total += inverse(k, p);
                const float v = inverse(j, p) / total;
                variation += 10.0f * std::fabs(u[j][p] - v);
                u[j][p] = v;
            }
        if (variation / static_cast<float>(n * classes) < d.threshold) break;
    }
    return {u, c, ending(i < d.nb_it ? i + 1 : -1)};
}

// A random data set of 8-bit values, clustered from random centres ("1").
struct Case {
    Rows x;
    fuzzy_c_means_t d;
    unsigned seed;
    std::string describe() const {
        return std::to_string(x.size()) + " attributes x " + std::to_string(x[0].size()) + " points, " +
               std::to_string(d.nb_class) + " classes, m " + std::to_string(d.fuzzy_coeff) + ", " +
               std::to_string(d.nb_it) + " iterations";
    }
    std::string where(std::size_t i) const { return "value " + std::to_string(i); }
};

// Memberships, then centres, then the number of cycles, as one list.
std::vector<double> flat(const Result& r) {
    std::vector<double> v;
    for (const auto& row : r.u) v.insert(v.end(), row.begin(), row.end());
    for (const auto& row : r.centres) v.insert(v.end(), row.begin(), row.end());
    v.push_back(static_cast<double>(std::hash<std::string>{}(r.ending) % 1000003));
    return v;
}

}  // namespace

TEST(FuzzyCMeans, MatchesThePlainAlgorithmAndMembershipsSumToOne) {
    auto make = [](std::mt19937& random, int) {
        Case c;
        const int attributes = 1 + static_cast<int>(random() % 3), n = 2 + static_cast<int>(random() % 40);
        c.x.assign(attributes, std::vector<float>(n));
        // A few clusters with some spread.
        for (int p = 0; p < n; ++p) {
            const int cluster = static_cast<int>(random() % 3);
            for (auto& row : c.x) row[p] = static_cast<float>((cluster * 90 + random() % 40) % 256);
        }
        const float ms[] = {1.5f, 2.0f, 2.5f, 3.0f};
        const float thresholds[] = {0.0f, 0.001f, 0.05f};
        c.d = descriptor(1 + static_cast<int>(random() % 4), ms[random() % 4], thresholds[random() % 3],
                         static_cast<int>(random() % 12), "1");
        c.seed = random();
        return c;
    };
    auto fast = [](const Case& c) {
        std::srand(c.seed);
        const Result r = cluster(c.d, c.x);
        for (int p = 0; p < static_cast<int>(c.x[0].size()) && c.d.nb_it > 0; ++p) {
            double sum = 0;
            for (const auto& row : r.u) sum += row[p];
            EXPECT_NEAR(sum, 1.0, 1e-5) << c.describe() << ", point " << p;
        }
        return flat(r);
    };
    auto reference = [](const Case& c) {
        // Mode "1": rand() % (largest value), attribute by attribute, class by class.
        float largest = 0;
        for (const auto& row : c.x)
            for (float v : row) largest = std::max(largest, v);
        std::srand(c.seed);
        Centres centres(c.d.nb_class, std::vector<int>(c.x.size()));
        for (std::size_t a = 0; a < c.x.size(); ++a)
            for (auto& centre : centres) centre[a] = std::rand() % static_cast<int>(largest);
        return flat(plain(c.d, c.x, centres));
    };
    reference_sweep(12, 300, make, fast, reference);
}

TEST(FuzzyCMeans, PrintsEachIterationAndHowItEnded) {
    TempDir dir;
    write_file(dir.file("one.txt"), "15");
    const Input in({{10, 20}});
    const struct {
        int iterations;
        float threshold;
        std::string printed;
    } cases[] = {
        {0, 0.001f, "\nfcm calc...\nNb. de iterations[nb_it]=0\n\n\n\nCalcul effectu\351!" + ending(-1)},
        {5, 0.001f,
         "\nfcm calc...\nNb. de iterations[nb_it]=5\n\n\n It\351ration num\351ro 0\n\ncentre[0][0] = 15\n\n"
         "===> seuil = 0.00100   --->>    la variation actuelle = 0.00000\n\nCalcul effectu\351!" +
             ending(1)},
        {2, -1.0f,
         "\nfcm calc...\nNb. de iterations[nb_it]=2\n\n"
         "\n It\351ration num\351ro 0\n\ncentre[0][0] = 15\n\n===> seuil = -1.00000   --->>    la variation actuelle = "
         "0.00000  ...  donc, continue"
         "\n It\351ration num\351ro 1\n\ncentre[0][0] = 15\n\n===> seuil = -1.00000   --->>    la variation actuelle = "
         "0.00000\n\nCalcul effectu\351!" +
             ending(-1)},
    };
    for (const auto& c : cases) {
        fuzzy_c_means_t d = descriptor(1, 2.0f, c.threshold, c.iterations, dir.file("one.txt"));
        Output out;
        EXPECT_EQ(quietly([&] { fuzzy_c_means_init(&d, in, &out); }),
                  "\n fuzzy_c_mean init......initialisation par fichier = lecture dans '" + dir.file("one.txt") +
                      "' les coeff suivants :\n\ncentre[0][0] = 15 \t\n\ninit fcm OK.");
        EXPECT_EQ(quietly([&] { fuzzy_c_means_calc(&d, in, &out); }), c.printed);
        release(d);
    }
}

TEST(FuzzyCMeans, InitialisationsFromAFileAndAtRandom) {
    TempDir dir;
    write_file(dir.file("c.txt"), "0 \n 100\t\n 40");
    // Memberships d_k / S of the last attribute, S truncated after each
    // addition; S = 0 shares the point equally.
    const Input in({{7, 7, 7}, {0.5f, 100, 60.25f}});
    const struct {
        int classes;
        std::string file;
        Rows u;
    } files[] = {
        {2, "0 0\n100 100", {{0.5f / 99, 1, 60.25f / 99}, {99.5f / 99, 0, 39.75f / 99}}},
        {1, "20 100", {{99.5f / 99, 1, 39.75f / 39}}},
        {3, "1 100 2 100 3 100", Rows(3, {99.5f / 297, 1.f / 3, 39.75f / 117})},
    };
    for (const auto& f : files) {
        write_file(dir.file("c.txt"), f.file);
        fuzzy_c_means_t d = descriptor(f.classes, 2, 0, 1, dir.file("c.txt"));
        Output out;
        quietly([&] { fuzzy_c_means_init(&d, in, &out); });
        EXPECT_EQ(records::rows_of(out), f.u) << f.file;
        release(d);
    }

    // "0": draws of 0 ... 99 shared out so that each point's memberships sum to 1.
    fuzzy_c_means_t d = descriptor(4, 2, 0, 1, "0");
    Output out;
    EXPECT_EQ(quietly([&] { fuzzy_c_means_init(&d, in, &out); }),
              "\n fuzzy_c_mean init......Choix d'initialisation = 0\n\ninit fcm OK.");
    for (int p = 0; p < 3; ++p) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) sum += out.data.fuzzy[k][p];
        EXPECT_NEAR(sum, 1.0f, 1e-6f);
    }
    EXPECT_EQ(centres_of(d, 2), (Centres(4, {0, 0})));
    release(d);
}

TEST(FuzzyCMeans, DistantPointsGoWhollyToTheirNearestCentre) {
    // m close to 1: every power underflows or overflows in single precision.
    TempDir dir;
    write_file(dir.file("c.txt"), "0 200");
    const Result r = cluster(descriptor(2, 1.01f, 0, 1, dir.file("c.txt")), {{0, 200}});
    EXPECT_EQ(r.u, (Rows{{0, 1}, {1, 0}}));
    EXPECT_EQ(r.centres, (Centres{{200}, {0}}));
}

TEST(FuzzyCMeans, Refusals) {
    TempDir dir;
    write_file(dir.file("short.txt"), "1 2 3");
    write_file(dir.file("big.txt"), "1 2 70000 4");
    auto init = [](fuzzy_c_means_t d, Rows x) {
        return run_captured([=]() mutable { fuzzy_c_means_init(&d, Input(x), new Output); });
    };
    const Rows x = {{1, 2}, {3, 4}};
    const struct {
        fuzzy_c_means_t d;
        std::string message;
    } cases[] = {
        // "00" and "2" are names of centre files, not modes.
        {descriptor(2, 2, 0, 1, "00"),
         "...initialisation par fichier = lecture dans '00' les coeff suivants :\n\n"
         "\n>> ERREUR fuzzy_c_means_init : fichier des centres '00' impossible a ouvrir\n"},
        {descriptor(2, 2, 0, 1, "2"), "fichier des centres '2' impossible a ouvrir"},
        {descriptor(2, 2, 0, 1, dir.file("short.txt")),
         "centre[0][0] = 1 \tcentre[0][1] = 2 \t\ncentre[1][0] = 3 \t\n>> ERREUR fuzzy_c_means_init : le fichier "
         "des centres '" +
             dir.file("short.txt") +
             "' ne contient que 3 entiers lisibles sur les 4 attendus (2 "
             "classes x 2 attributs)\n"},
        {descriptor(2, 2, 0, 1, dir.file("big.txt")),
         "\n>> ERREUR fuzzy_c_means_init : centre[1][0] = 70000 hors de 0 ... 65535 dans '" + dir.file("big.txt")},
        {descriptor(2, 1, 0, 1, "1"), "\n>> ERREUR fuzzy_c_means_init : indice de flou 1 refuse (reel > 1)\n"},
        {descriptor(0, 2, 0, 1, "1"), "\n>> ERREUR fuzzy_c_means_init : nombre de classes 0 refuse (au moins 1)\n"},
    };
    for (const auto& c : cases) EXPECT_TRUE(ended_saying(init(c.d, x), 1, c.message)) << c.message;

    // The reading phase refuses m not above 1 and fewer than 1 class.
    auto ask = [](std::vector<std::string> replies) {
        return run_phase(
            replies, [](param* head) { return fuzzy_c_means_lect(new fuzzy_c_means_t, head, ">> fcm :"); },
            [](param*, param*) {});
    };
    EXPECT_TRUE(ended_saying(ask({"3", "1", "0.01", "40", "", "0"}), 1,
                             "reponse \"1\" refusee a la question \">> fcm : indice de flou [fuzzy_coeff] (>1) "
                             "(reel)\" (reel > 1)\n"));
    EXPECT_TRUE(ended_saying(ask({"0", "2", "0.01", "40", "", "0"}), 1, "(entier de 1 a 2147483647)\n"));
}
