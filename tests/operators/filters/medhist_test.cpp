// The square median filter against a plain sort of every window on random
// images of many sizes, contents and windows (smaller than the window
// included), the cases users check by eye, the border, filtering in place,
// and the refusals of the dialogue, calc and mstd2d.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "medhist.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

// An image held flat, row after row, and a window side.
struct Case {
    int nc, nr;
    gen::Bytes v;
    int w;

    std::uint8_t at(int x, int y) const { return v[static_cast<std::size_t>(y) * nc + x]; }
    std::string describe() const {
        return "image " + std::to_string(nc) + "x" + std::to_string(nr) + ", window " + std::to_string(w);
    }
    std::string where(std::size_t i) const {
        return "pixel (" + std::to_string(i % nc) + ", " + std::to_string(i / nc) + ")";
    }
};

// The definition: the ((w*w+1)/2)-th smallest level of each window that
// fits in the image; every other pixel keeps its input value.
gen::Bytes reference_median(const Case& c) {
    gen::Bytes out = c.v;
    const int h = c.w / 2;
    std::vector<std::uint8_t> window;
    for (int y = h; y < c.nr - h; ++y)
        for (int x = h; x < c.nc - h; ++x) {
            window.clear();
            for (int dy = -h; dy <= h; ++dy)
                for (int dx = -h; dx <= h; ++dx) window.push_back(c.at(x + dx, y + dy));
            const auto middle = window.begin() + static_cast<std::ptrdiff_t>((window.size() + 1) / 2 - 1);
            std::nth_element(window.begin(), middle, window.end());
            out[static_cast<std::size_t>(y) * c.nc + x] = *middle;
        }
    return out;
}

imau1 to_image(const Case& c) { return make_image<imau1>(c.nc, c.nr, [&](int x, int y) { return c.at(x, y); }); }

// init then calc, as a program runs them.
gen::Bytes median(const Case& c) {
    imau1 in = to_image(c);
    imau1 out{};
    medhist_t desc{c.w};
    medhist_init(&desc, in, &out);
    EXPECT_EQ(medhist_calc(&desc, in, &out), 0);
    const std::vector<unsigned char> result = pixels_of(out);
    free_imau1(&in);
    free_imau1(&out);
    return result;
}

Case uniform(int nc, int nr, std::uint8_t value, int w) {
    return {nc, nr, gen::Bytes(static_cast<std::size_t>(nc) * nr, value), w};
}

}  // namespace

TEST(Medhist, MatchesTheReferenceOnRandomImagesAndWindows) {
    // Most cases: sizes 1 ... 40 (a quarter one or two pixels thin) with
    // windows 1 ... 21, often wider or taller than the image. One in 25:
    // long rows under wide windows, where the median wanders across coarse
    // bins whose fine bins are caught up both step by step and afresh. The
    // last five: windows of 255 x 255 = 65 025 pixels, the most 16-bit counts
    // hold, and 257 x 257 = 66 049, which needs wider counts (the very last
    // uniform: one bin holds the whole window).
    constexpr int kTrials = 1000;
    auto make = [](std::mt19937& random, int trial) {
        const gen::Content content = gen::kContents[trial % 7];
        if (trial >= kTrials - 5) {
            if (trial == kTrials - 1) return uniform(259, 258, 200, 257);
            return Case{261, 259, gen::random_volume(random, 261, 259, 1, content), trial % 2 ? 257 : 255};
        }
        if (trial % 25 == 24) {
            const int w = 9 + 6 * static_cast<int>(random() % 7);
            const int nc = 60 + static_cast<int>(random() % 140), nr = w + 1 + static_cast<int>(random() % 12);
            return Case{nc, nr, gen::random_volume(random, nc, nr, 1, content), w};
        }
        int nc = 1 + static_cast<int>(random() % 40), nr = 1 + static_cast<int>(random() % 40);
        if (trial % 4 == 0) (trial % 8 ? nc : nr) = 1 + static_cast<int>(random() % 2);
        const int w = trial % 5 == 0 ? 1 : 1 + 2 * static_cast<int>(random() % 11);
        return Case{nc, nr, gen::random_volume(random, nc, nr, 1, content), w};
    };
    reference_sweep(17, kTrials, make, median, reference_median);
}

TEST(Medhist, ThreeByThreeWindowsMatchTheReference) {
    // The 3 x 3 window has a path of its own: sizes 1 ... 70 of every content.
    auto make = [](std::mt19937& random, int trial) {
        const int nc = 1 + static_cast<int>(random() % 70), nr = 1 + static_cast<int>(random() % 70);
        return Case{nc, nr, gen::random_volume(random, nc, nr, 1, gen::kContents[trial % 7]), 3};
    };
    reference_sweep(18, 300, make, median, reference_median);
}

TEST(Medhist, CasesCheckedByEye) {
    struct Example {
        const char* what;
        Case c;
        gen::Bytes expected;
    };
    // A bright 7 x 5 ground of 200 with a dark pixel, a bright line, a dark column.
    Case dark_pixel = uniform(7, 5, 200, 3);
    dark_pixel.v[2 * 7 + 3] = 10;
    Case line = uniform(7, 5, 40, 3);
    for (int x = 0; x < 7; ++x) line.v[2 * 7 + static_cast<std::size_t>(x)] = 250;
    Case column = uniform(7, 5, 40, 3);
    for (int y = 0; y < 5; ++y) column.v[static_cast<std::size_t>(y) * 7 + 3] = 250;
    gen::Bytes line_filtered = line.v;  // interior of the line's row back to 40
    for (int x = 1; x < 6; ++x) line_filtered[2 * 7 + static_cast<std::size_t>(x)] = 40;
    gen::Bytes column_filtered = column.v;  // the column stays only on the top and bottom rows
    for (int y = 1; y < 4; ++y) column_filtered[static_cast<std::size_t>(y) * 7 + 3] = 40;

    const Example examples[] = {
        // Only the centre is written: the 5th smallest of the nine.
        {"3 x 3, w = 3", {3, 3, {90, 10, 70, 30, 50, 80, 20, 60, 40}, 3}, {90, 10, 70, 30, 50, 80, 20, 60, 40}},
        {"3 x 3, w = 3, centre differs", {3, 3, {9, 1, 7, 3, 200, 8, 2, 6, 4}, 3}, {9, 1, 7, 3, 6, 8, 2, 6, 4}},
        {"a single dark pixel", dark_pixel, uniform(7, 5, 200, 3).v},
        {"a one-pixel line", line, line_filtered},
        {"a one-pixel column", column, column_filtered},
        // w = 1: every pixel is interior and copied.
        {"w = 1", {4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, 1}, {1, 2, 3, 4, 5, 6, 7, 8}},
        // A window wider or taller than the image: a copy.
        {"wider than the image", {2, 3, {5, 0, 5, 0, 5, 0}, 3}, {5, 0, 5, 0, 5, 0}},
        {"taller than the image", {5, 2, {1, 9, 1, 9, 1, 9, 1, 9, 1, 9}, 3}, {1, 9, 1, 9, 1, 9, 1, 9, 1, 9}},
        {"a huge window", {3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, INT_MAX}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const Example& e : examples) EXPECT_EQ(median(e.c), e.expected) << e.what;
}

TEST(Medhist, InPlaceAndOverlappingBlocksGiveTheSameResult) {
    std::mt19937 random(4);
    const Case c{31, 19, gen::random_volume(random, 31, 19, 1, gen::Content::smooth_noisy), 5};
    const gen::Bytes expected = reference_median(c);
    gen::Bytes same = c.v;
    mstd2d(same.data(), same.data(), 31, 19, 5);
    EXPECT_EQ(same, expected);
    // The output starts one row into the input.
    gen::Bytes shifted(c.v.size() + 31);
    std::copy(c.v.begin(), c.v.end(), shifted.begin());
    mstd2d(shifted.data(), shifted.data() + 31, 31, 19, 5);
    EXPECT_EQ(gen::Bytes(shifted.begin() + 31, shifted.end()), expected);
    // An empty image needs no block.
    mstd2d(nullptr, nullptr, 0, 5, 3);
    mstd2d(nullptr, nullptr, 7, 0, 3);
}

TEST(Medhist, InitSizesAndNamesTheResult) {
    imau1 in = make_image<imau1>(6, 4, [](int x, int) { return x; });
    std::snprintf(in.nom, sizeof in.nom, "%s", "cells.ima");
    imau1 out{};
    medhist_t desc{5};
    EXPECT_EQ(medhist_init(&desc, in, &out), 0);
    EXPECT_EQ(shape(out), "6x4");
    EXPECT_STREQ(out.nom, "cells.ima(medhist 5)");
    EXPECT_NE(out.pixels[0], in.pixels[0]);
    EXPECT_EQ(out.lutr, nullptr);
    free_imau1(&in);
    free_imau1(&out);
}

TEST(Medhist, CalcAndMstd2dRefuseWhatTheyCannotFilter) {
    struct Refusal {
        const char* what;
        std::function<void()> run;
        std::string message;
    };
    auto calc = [](int w, int out_nc, int out_nr) {
        return [=] {
            imau1 in = make_image<imau1>(5, 4, [](int, int) { return 0; });
            imau1 out = make_image<imau1>(out_nc, out_nr, [](int, int) { return 0; });
            medhist_t desc{w};
            medhist_calc(&desc, in, &out);
        };
    };
    gen::Bytes block(20);
    const Refusal refusals[] = {
        {"even", calc(4, 5, 4), "\n>> ERREUR medhist_calc : taillefenetre 4 incorrecte (entier impair positif)\n"},
        {"negative", calc(-3, 5, 4), "\n>> ERREUR medhist_calc : taillefenetre -3 incorrecte (entier impair positif)\n"},
        {"zero", calc(0, 5, 4), "\n>> ERREUR medhist_calc : taillefenetre 0 incorrecte (entier impair positif)\n"},
        {"other sizes", calc(3, 4, 5),
         "\n>> ERREUR medhist_calc : image resultat 4x5 differente de l'image initiale 5x4\n"},
        {"mstd2d even", [&] { mstd2d(block.data(), block.data(), 5, 4, 2); },
         "\n>> ERREUR mstd2d : taille de fenetre 2 incorrecte (entier impair positif)\n"},
        {"mstd2d INT_MIN", [&] { mstd2d(block.data(), block.data(), 5, 4, INT_MIN); },
         "\n>> ERREUR mstd2d : taille de fenetre -2147483648 incorrecte (entier impair positif)\n"},
        {"mstd2d negative size", [&] { mstd2d(block.data(), block.data(), -5, 4, 3); },
         "\n>> ERREUR mstd2d : dimensions -5x4 incorrectes\n"},
        {"mstd2d no block", [] { mstd2d(nullptr, nullptr, 5, 4, 3); }, "\n>> ERREUR mstd2d : bloc de pixels absent\n"},
    };
    for (const Refusal& r : refusals) EXPECT_TRUE(ended(run_captured(r.run), 1, r.message)) << r.what;
}

TEST(Medhist, DialogueAsksTheWindowAndRefusesEvenAndNegativeSizes) {
    auto ask = [](const std::vector<std::string>& replies) {
        return run_phase(replies, [](param* head) {
            medhist_t desc{};
            param* next = medhist_lect(&desc, head, ">> mediane :");
            std::fprintf(stderr, "%d %s", desc.taillefenetre, next->rep);
            return next;
        }, [](param*, param*) {});
    };
    const Outcome asked = ask({"5", "next"});
    ASSERT_EQ(asked.status, 0);
    EXPECT_EQ(asked.err, "5 next");
    EXPECT_NE(asked.out.find("\n>> mediane : taillefenetre (impaire) = 5\n"), std::string::npos);
    // strtol's reading: trailing text ignored.
    EXPECT_EQ(ask({"7 pixels", "x"}).err, "7 x");

    struct Refused {
        const char* reply;
        std::string tail;  // what the run ends with
    };
    const std::string generic = "\n>> ERREUR medhist_lect : reponse \"%\" refusee a la question \">> mediane : "
                                "taillefenetre (impaire)\" (%)\n";
    auto refusal = [&](const std::string& reply, const std::string& accepted) {
        std::string s = generic;
        s.replace(s.find('%'), 1, reply);
        s.replace(s.find('%'), 1, accepted);
        return s;
    };
    const Refused refused[] = {
        {"4", "\n>> ERREUR taillefenetre : dimensions incorrectes\n"},
        {"0", "\n>> ERREUR taillefenetre : dimensions incorrectes\n"},
        {"abc", "\n>> ERREUR taillefenetre : dimensions incorrectes\n"},  // no number reads as 0
        {"-4", "\n>> ERREUR taillefenetre : dimensions incorrectes\n"},
        {"-3", refusal("-3", "entier impair positif")},
        {"-2147483647", refusal("-2147483647", "entier impair positif")},
        {"4294967297", refusal("4294967297", "entier de -2147483648 a 2147483647")},
    };
    for (const Refused& r : refused) {
        const Outcome run = ask({r.reply, "next"});
        EXPECT_EQ(run.status, 1) << r.reply;
        ASSERT_GE(run.out.size(), r.tail.size()) << r.reply;
        EXPECT_EQ(run.out.substr(run.out.size() - r.tail.size()), r.tail) << r.reply;
        EXPECT_EQ(run.err, "") << r.reply;
    }
}
