// The 16-to-8-bit conversion: the intervals of the three methods against
// plain references (sorted pixels for the quantiles, double precision for
// the mean and deviation), the table on the cases users check, the report
// lines byte for byte, the values the single-precision arithmetic or an
// extreme K would otherwise leave undefined, and the dialogue's refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "conv16to8.h"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

using Levels = std::vector<unsigned short>;

// What one conversion gave: the report line, what calc printed, the table
// and the output pixels.
struct Converted {
    std::string report, printed;
    std::vector<unsigned char> table, pixels;
    int lo = 0, hi = 0;  // read back from the report
};

// Converts an nc x nr image of the given levels with init then calc, as a
// program runs them.
Converted convert(int methode, float k, const Levels& levels, int nc, int nr) {
    auto desc = std::make_unique<conv16to8_t>();
    desc->methode = methode;
    desc->K = k;
    imau2 in = make_image<imau2>(nc, nr, [&](int x, int y) { return levels[static_cast<std::size_t>(y) * nc + x]; });
    std::snprintf(in.nom, sizeof in.nom, "%s", "depth.imw");
    imau1 out{};
    conv16to8_init(desc.get(), in, &out);
    Converted c;
    c.printed = quietly([&] { EXPECT_EQ(conv16to8_calc(desc.get(), in, &out), 0); });
    c.report = desc->rapport;
    c.table.assign(desc->table, desc->table + CONV16TO8_NIVEAUX);
    c.pixels = pixels_of(out);
    free_imau2(&in);
    free_imau1(&out);
    // The interval is the report's last two integers.
    const std::size_t close = c.report.rfind(']');
    const std::size_t before_hi = c.report.find_last_of(":=,", close);
    c.hi = std::stoi(c.report.substr(before_hi + 1));
    const std::size_t colon = c.report.find_last_of(":[", c.report.find_last_of(",", before_hi));
    c.lo = std::stoi(c.report.substr(colon + 1));
    return c;
}

Converted convert(int methode, float k, const Levels& levels) {
    return convert(methode, k, levels, static_cast<int>(levels.size()), 1);
}

// Table of a step at lo: 0 up to lo, 255 above.
std::vector<unsigned char> step_at(long lo) {
    std::vector<unsigned char> t(CONV16TO8_NIVEAUX);
    for (long i = 0; i < CONV16TO8_NIVEAUX; ++i) t[static_cast<std::size_t>(i)] = i <= lo ? 0 : 255;
    return t;
}

Levels random_levels(std::mt19937& random, std::size_t n, int base, int spread) {
    Levels v(n);
    std::uniform_int_distribution<int> level(0, spread);
    for (auto& p : v) p = static_cast<unsigned short>(std::min(65535, base + level(random)));
    return v;
}

}  // namespace

TEST(Conv16to8, CasesCheckedByEye) {
    // Method 3 with K = 1000: 0 -> 0, 500 -> 128, 999 (just below hi) and
    // 1000 and above -> 255.
    const Converted fixed = convert(3, 1000.0f, {0, 1, 500, 999, 1000, 1001, 65535});
    EXPECT_EQ(fixed.pixels, (std::vector<unsigned char>{0, 0, 128, 255, 255, 255, 255}));
    EXPECT_EQ(fixed.table[250], 64);
    // Every level between lo and hi is stretched, never beyond 255, never
    // decreasing, within one of the exact stretch.
    for (int i = 1; i < 1000; ++i) {
        const double exact = std::floor(i * (255.9999 / 1000) + 0.5);
        ASSERT_LE(std::abs(fixed.table[static_cast<std::size_t>(i)] - std::min(255.0, exact)), 1) << i;
        ASSERT_GE(fixed.table[static_cast<std::size_t>(i)], fixed.table[static_cast<std::size_t>(i - 1)]) << i;
    }

    // Method 2 with K = 0: q = 0.5, so lo is one above the lowest level
    // present and hi one below the highest.
    const Converted extremes = convert(2, 0.0f, {5000, 300, 7000, 301, 300});
    EXPECT_EQ(extremes.lo, 301);
    EXPECT_EQ(extremes.hi, 6999);
    EXPECT_EQ(extremes.pixels, (std::vector<unsigned char>{180, 0, 255, 0, 0}));

    // Method 1 on a flat image: sigma 0 and hi = lo = the level; then every
    // level up to it is 0 and every level above 255.
    const Converted flat = convert(1, 2.0f, Levels(12, 1000), 4, 3);
    EXPECT_EQ(flat.report, "conversion lineaire sur [min:1000, moy(1000.00) + 2.00 * sigma(0.00) = 1000]\n");
    EXPECT_EQ(flat.table, step_at(1000));
    EXPECT_EQ(flat.pixels, std::vector<unsigned char>(12, 0));

    // An interval of 1000 levels: the level just below hi is 255, not beyond.
    const Converted thousand = convert(2, 0.0f, {2000, 2001, 2500, 3000, 3001});
    EXPECT_EQ(thousand.lo, 2001);
    EXPECT_EQ(thousand.hi, 3000);
    EXPECT_EQ(thousand.table[2999], 255);
    EXPECT_EQ(thousand.table[2001], 0);
    EXPECT_EQ(thousand.table[2002], 0);
    EXPECT_EQ(thousand.table[2003], 1);
}

TEST(Conv16to8, ReportLinesOfTheThreeMethods) {
    struct Report {
        int methode;
        float k;
        Levels levels;
        std::string line;
    };
    const Report reports[] = {
        {1, 1.5f, {10, 20, 30, 40}, "conversion lineaire sur [min:10, moy(25.00) + 1.50 * sigma(12.91) = 44]\n"},
        {1, 0.0f, {0, 0, 65535}, "conversion lineaire sur [min:0, moy(21845.00) + 0.00 * sigma(37836.65) = 21845]\n"},
        {2, 25.0f, {1, 2, 3, 4, 5, 6, 7, 8}, "conversion lineaire sur [n(25.00%):4, n(100-25.00%):5]\n"},
        {2, 12.5f, {100, 200, 300, 400, 500, 600, 700, 800},
         "conversion lineaire sur [n(12.50%):201, n(100-12.50%):699]\n"},
        {3, 4095.9f, {0}, "conversion lineaire sur [0, 4095]\n"},
        {3, -7.5f, {0}, "conversion lineaire sur [0, -7]\n"},
    };
    for (const Report& r : reports) {
        const Converted c = convert(r.methode, r.k, r.levels);
        EXPECT_EQ(c.report, r.line) << r.methode;
        EXPECT_EQ(c.printed, "\n>>conv16to8 : " + r.line + "\n") << r.methode;
    }
}

TEST(Conv16to8, IntervalsMatchPlainReferences) {
    // Method 2: lo is one above the ceil(q)-th smallest pixel and hi one
    // below the ceil(q)-th largest, q = N K / 100 + 0.5 (K < 50, so q <= N).
    // Method 1: lo the smallest pixel, hi within one level of the exact
    // sigma K + m + 0.5 computed in double precision, on images whose
    // deviation is of the order of their mean (a narrow spread far from 0
    // loses digits to cancellation in single precision; flat images, where
    // that matters most, are checked below).
    std::mt19937 random(41);
    for (int trial = 0; trial < 400; ++trial) {
        const int methode = 1 + trial % 2;
        const int nc = 1 + static_cast<int>(random() % 60), nr = 2 + static_cast<int>(random() % 40);
        const std::size_t n = static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr);
        const int spread = methode == 1 ? (trial % 4 ? 5000 : 65535) : trial % 3 == 0 ? 20 : trial % 3 == 1 ? 3000 : 65535;
        const int base = static_cast<int>(random() % (methode == 1 ? 2000 : 40000));
        const Levels v = random_levels(random, n, base, spread);
        const float k = static_cast<float>(random() % (methode == 1 ? 400 : 4900)) / 100.0f;
        const Converted c = convert(methode, k, v, nc, nr);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", " + std::to_string(n) + " pixels: " + c.report);

        Levels sorted = v;
        std::sort(sorted.begin(), sorted.end());
        if (methode == 2) {
            const double q = static_cast<double>(static_cast<float>(n) * k / 100.0f + 0.5f);
            const auto rank = static_cast<std::size_t>(std::ceil(q));
            ASSERT_EQ(c.lo, sorted[rank - 1] + 1);
            ASSERT_EQ(c.hi, sorted[n - rank] - 1);
        } else {
            double sum = 0, s2 = 0;
            for (unsigned short p : v) sum += p, s2 += static_cast<double>(p) * p;
            const double m = sum / static_cast<double>(n);
            const double sigma = std::sqrt(std::max(0.0, (s2 - static_cast<double>(n) * m * m) / static_cast<double>(n - 1)));
            ASSERT_EQ(c.lo, sorted[0]);
            ASSERT_LE(std::abs(c.hi - std::floor(sigma * k + m + 0.5)), 1);
        }
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(c.pixels[i], c.table[v[i]]);
    }
}

TEST(Conv16to8, ValuesBeyondWhatTheArithmeticHoldsAreDefined) {
    struct Case {
        const char* what;
        int methode;
        float k;
        Levels levels;
        std::string report;
        std::vector<unsigned char> table;  // empty: not checked
    };
    const Levels ramp = {100, 200, 300, 400};
    const Case cases[] = {
        // Rounding makes the variance of these flat images negative.
        {"257 pixels of 65535", 1, 2.0f, Levels(257, 65535),
         "conversion lineaire sur [min:65535, moy(65535.00) + 2.00 * sigma(0.00) = 65535]\n", step_at(65535)},
        {"1363 pixels of 12345", 1, 3.0f, Levels(1363, 12345),
         "conversion lineaire sur [min:12345, moy(12345.00) + 3.00 * sigma(0.00) = 12345]\n", step_at(12345)},
        // N = 1: no deviation.
        {"one pixel", 1, 5.0f, {777}, "conversion lineaire sur [min:777, moy(777.00) + 5.00 * sigma(0.00) = 777]\n",
         step_at(777)},
        // hi beyond int saturates.
        {"huge K", 1, 3e38f, ramp,
         "conversion lineaire sur [min:100, moy(250.00) + 300000000549775575777803994281145270272.00 * "
         "sigma(129.10) = 2147483647]\n",
         step_at(65535)},
        {"huge negative K", 1, -3e38f, ramp,
         "conversion lineaire sur [min:100, moy(250.00) + -300000000549775575777803994281145270272.00 * "
         "sigma(129.10) = -2147483648]\n",
         step_at(100)},
        {"method 3, huge K", 3, 1e10f, {0}, "conversion lineaire sur [0, 2147483647]\n", step_at(65535)},
        {"method 3, huge negative K", 3, -1e30f, {0}, "conversion lineaire sur [0, -2147483648]\n", step_at(0)},
        {"method 3, K below 1", 3, 0.7f, {0}, "conversion lineaire sur [0, 0]\n", step_at(0)},
        // A quantile walk that never reaches q ends past the last level.
        {"K = 100", 2, 100.0f, ramp, "conversion lineaire sur [n(100.00%):65536, n(100-100.00%):-1]\n",
         std::vector<unsigned char>(CONV16TO8_NIVEAUX, 0)},
        {"K = 250", 2, 250.0f, ramp, "conversion lineaire sur [n(250.00%):65536, n(100-250.00%):-1]\n",
         std::vector<unsigned char>(CONV16TO8_NIVEAUX, 0)},
        {"K = 3e38", 2, 3e38f, ramp,
         "conversion lineaire sur [n(300000000549775575777803994281145270272.00%):65536, "
         "n(100-300000000549775575777803994281145270272.00%):-1]\n",
         std::vector<unsigned char>(CONV16TO8_NIVEAUX, 0)},
        // A negative K: q below 1 is reached at once, at both ends.
        {"K = -50", 2, -50.0f, ramp, "conversion lineaire sur [n(-50.00%):1, n(100--50.00%):65534]\n", {}},
        // No pixel: no smallest level, a mean of 0; q = 0.5 is never reached.
        {"no pixel, method 1", 1, 2.0f, {}, "conversion lineaire sur [min:0, moy(0.00) + 2.00 * sigma(0.00) = 0]\n",
         step_at(0)},
        {"no pixel, method 2", 2, 5.0f, {}, "conversion lineaire sur [n(5.00%):65536, n(100-5.00%):-1]\n", {}},
    };
    for (const Case& c : cases) {
        const Converted got = convert(c.methode, c.k, c.levels);
        EXPECT_EQ(got.report, c.report) << c.what;
        if (!c.table.empty()) {
            EXPECT_EQ(got.table, c.table) << c.what;
        }
        for (std::size_t i = 0; i < c.levels.size(); ++i) EXPECT_EQ(got.pixels[i], got.table[c.levels[i]]) << c.what;
    }
    // With hi one above lo the stretch is a step just the same.
    const Converted narrow = convert(2, 0.0f, {10, 11, 13, 14});
    EXPECT_EQ(narrow.lo, 11);
    EXPECT_EQ(narrow.hi, 13);
    EXPECT_EQ(narrow.table[11], 0);
    EXPECT_EQ(narrow.table[12], 128);
    EXPECT_EQ(narrow.table[13], 255);
}

TEST(Conv16to8, InitNamesTheResultAndASecondCalcCountsAfresh) {
    auto desc = std::make_unique<conv16to8_t>();
    std::fill_n(desc->histo, CONV16TO8_NIVEAUX, 9ULL);
    desc->methode = 1;
    desc->K = 1.0f;
    imau2 in = make_image<imau2>(3, 2, [](int x, int y) { return 1000 * (x + 3 * y); });
    std::snprintf(in.nom, sizeof in.nom, "%s", "depth.imw");
    imau1 out{};
    EXPECT_EQ(conv16to8_init(desc.get(), in, &out), 0);
    EXPECT_EQ(shape(out), "3x2");
    EXPECT_STREQ(out.nom, "depth.imw(conv16to8m1)");
    EXPECT_EQ(std::count(desc->histo, desc->histo + CONV16TO8_NIVEAUX, 0ULL), CONV16TO8_NIVEAUX);

    const std::string first = quietly([&] { conv16to8_calc(desc.get(), in, &out); });
    const std::vector<unsigned char> pixels = pixels_of(out);
    EXPECT_EQ(desc->histo[2000], 1u);
    EXPECT_EQ(quietly([&] { conv16to8_calc(desc.get(), in, &out); }), first);
    EXPECT_EQ(pixels_of(out), pixels);
    EXPECT_EQ(desc->histo[2000], 1u);
    free_imau2(&in);
    free_imau1(&out);
}

TEST(Conv16to8, CalcRefusesAnUnknownMethodAndMismatchedImages) {
    auto calc = [](int methode, int out_nc) {
        return run_captured([=] {
            auto desc = std::make_unique<conv16to8_t>();
            desc->methode = methode;
            desc->K = 1.0f;
            imau2 in = make_image<imau2>(4, 3, [](int, int) { return 0; });
            imau1 out = make_image<imau1>(out_nc, 3, [](int, int) { return 0; });
            conv16to8_calc(desc.get(), in, &out);
        });
    };
    EXPECT_TRUE(ended(calc(0, 4), 1, "\n>> ERREUR conv16to8_calc : methode 0 inconnue \n"));
    EXPECT_TRUE(ended(calc(4, 4), 1, "\n>> ERREUR conv16to8_calc : methode 4 inconnue \n"));
    EXPECT_TRUE(ended(calc(2, 5), 1,
                      "\n>> ERREUR conv16to8_calc : image resultat 5x3 differente de l'image initiale 4x3\n"));
}

TEST(Conv16to8, DialogueAsksMethodThenKAndRefusesUnknownMethodsFirst) {
    const std::string method_question =
        ">> conversion 16 -> 8 bits : methode de conversion : 1=[min,moy+K*sigma], 2=[n(K%), n(100-k%)], 3=[0, K]";
    const std::string k_question = ">> conversion 16 -> 8 bits : valeur du parametre K";
    auto ask = [](const std::vector<std::string>& replies) {
        return run_phase(replies, [](param* head) {
            static conv16to8_t desc_storage;
            conv16to8_t* desc = &desc_storage;
            param* next = conv16to8_lect(desc, head, ">> conversion 16 -> 8 bits :");
            std::fprintf(stderr, "%d %g %s", desc->methode, static_cast<double>(desc->K), next->rep);
            return next;
        }, [](param*, param*) {});
    };
    const Outcome asked = ask({"2", "1.5", "next"});
    ASSERT_EQ(asked.status, 0);
    EXPECT_EQ(asked.err, "2 1.5 next");
    EXPECT_NE(asked.out.find("\n" + method_question + " = 2\n\n" + k_question + " = 1.5\n"), std::string::npos)
        << asked.out;
    EXPECT_EQ(ask({"3 methode", "1e3 niveaux", "x"}).err, "3 1000 x");

    struct Refused {
        std::vector<std::string> replies;
        std::string tail;
        bool k_asked;
    };
    const Refused refused[] = {
        {{"4", "1"}, "\n>> ERREUR conv16to8_lect : methode 4 inconnue \n", false},
        {{"0", "1"}, "\n>> ERREUR conv16to8_lect : methode 0 inconnue \n", false},
        {{"-1", "1"}, "\n>> ERREUR conv16to8_lect : methode -1 inconnue \n", false},
        {{"quatre", "1"}, "\n>> ERREUR conv16to8_lect : methode 0 inconnue \n", false},
        {{"4294967297", "1"},
         "\n>> ERREUR conv16to8_lect : reponse \"4294967297\" refusee a la question \"" + method_question +
             "\" (entier de -2147483648 a 2147483647)\n",
         false},
        {{"3", "1e39"},
         "\n>> ERREUR conv16to8_lect : reponse \"1e39\" refusee a la question \"" + k_question +
             "\" (reel de -3.40282e+38 a 3.40282e+38)\n",
         true},
        {{"3", "inf"},
         "\n>> ERREUR conv16to8_lect : reponse \"inf\" refusee a la question \"" + k_question +
             "\" (reel de -3.40282e+38 a 3.40282e+38)\n",
         true},
    };
    for (const Refused& r : refused) {
        const Outcome run = ask(r.replies);
        EXPECT_EQ(run.status, 1) << r.replies[0];
        ASSERT_GE(run.out.size(), r.tail.size()) << r.replies[0];
        EXPECT_EQ(run.out.substr(run.out.size() - r.tail.size()), r.tail) << r.replies[0];
        EXPECT_EQ(run.out.find(k_question) != std::string::npos, r.k_asked) << r.replies[0];
    }
}
