// The labelling core against the plain two-scan reference, and the
// behaviours users rely on: numbering order, connexities, thresholds,
// folding, saturation and the dialogue.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "labelcc.h"
#include "proto2D.h"
#include "reference_labeller.hpp"
#include "support.hpp"

using testing_support::run_captured;

namespace {

struct Labelled {
    std::vector<std::uint16_t> labels;
    int objects;
    std::string printed;
};

// Runs ETIQ on an nc x nr image given row after row.
Labelled etiq(const std::vector<std::uint8_t>& pixels, int nc, int nr, int connexite, int seuil, int contraste,
              int plage = 2) {
    imau1 in{};
    in.nc = nc;
    in.nr = nr;
    alloc_imau1(&in);
    if (!pixels.empty()) std::memcpy(in.pixels[0], pixels.data(), pixels.size());
    imau2 out{};
    out.nc = nc;
    out.nr = nr;
    alloc_imau2(&out);
    Labelled result;
    testing::internal::CaptureStdout();
    result.objects = ETIQ(in, out, &connexite, &seuil, &contraste, &plage);
    result.printed = testing::internal::GetCapturedStdout();
    const std::size_t n = pixels.size();
    result.labels.assign(out.pixels[0], out.pixels[0] + n);
    free_imau1(&in);
    free_imau2(&out);
    return result;
}

// Builds an image from text rows: '#' object (255), '.' background (0).
std::vector<std::uint8_t> picture(const std::vector<std::string>& rows) {
    std::vector<std::uint8_t> p;
    for (const std::string& r : rows)
        for (char c : r) p.push_back(c == '#' ? 255 : 0);
    return p;
}

std::string message(unsigned n) { return "\n*** ETIQ *** " + std::to_string(n) + " objets d\202nombr\202s.\n"; }

void expect_same_as_reference(const std::vector<std::uint8_t>& img, int nc, int nr, int connexite, int seuil,
                              int contraste, int plage) {
    const reference::Result ref = reference::label(img, nc, nr, connexite, seuil, contraste, plage);
    ASSERT_FALSE(ref.saturated);
    const Labelled fast = etiq(img, nc, nr, connexite, seuil, contraste, plage);
    ASSERT_EQ(static_cast<unsigned>(fast.objects), ref.objects);
    ASSERT_EQ(fast.labels, ref.labels);
    ASSERT_EQ(fast.printed, message(ref.objects));
}

}  // namespace

TEST(Labelling, MatchesTheReferenceOnRandomImagesOfEveryDensity) {
    std::mt19937 random(2024);
    const double densities[] = {0.02, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99};
    for (int trial = 0; trial < 700; ++trial) {
        const int nc = 1 + static_cast<int>(random() % 48);
        const int nr = 1 + static_cast<int>(random() % 48);
        const double density = densities[trial % 7];
        std::vector<std::uint8_t> img(static_cast<std::size_t>(nc) * nr);
        std::bernoulli_distribution object(density);
        for (auto& p : img) p = object(random) ? static_cast<std::uint8_t>(100 + random() % 156) : static_cast<std::uint8_t>(random() % 100);
        const int connexite = trial % 2 ? 8 : 4;
        SCOPED_TRACE("trial " + std::to_string(trial));
        expect_same_as_reference(img, nc, nr, connexite, 100, 1, 2);
        // The same image seen as dark objects, with folding.
        expect_same_as_reference(img, nc, nr, connexite, 99, -1, trial % 3 - 1);
    }
}

TEST(Labelling, MatchesTheReferenceOnBlobsAndEveryThresholdMode) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 120; ++trial) {
        const int nc = 20 + static_cast<int>(random() % 90), nr = 20 + static_cast<int>(random() % 90);
        // Blobs: random discs of random grey levels on a noisy background.
        std::vector<std::uint8_t> img(static_cast<std::size_t>(nc) * nr);
        for (auto& p : img) p = static_cast<std::uint8_t>(random() % 4);
        for (int disc = 0; disc < 25; ++disc) {
            const int cx = static_cast<int>(random() % nc), cy = static_cast<int>(random() % nr);
            const int r = 1 + static_cast<int>(random() % 9);
            const auto g = static_cast<std::uint8_t>(random() % 256);
            for (int y = std::max(0, cy - r); y < std::min(nr, cy + r + 1); ++y)
                for (int x = std::max(0, cx - r); x < std::min(nc, cx + r + 1); ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) img[static_cast<std::size_t>(y) * nc + x] = g;
        }
        const int thresholds[] = {-7, 0, 1, 2, 3, 128, 255, 256, 100000};
        const int seuil = thresholds[trial % 9];
        SCOPED_TRACE("trial " + std::to_string(trial) + " seuil " + std::to_string(seuil));
        for (int connexite : {4, 8})
            for (int contraste : {-1, 0, 5}) expect_same_as_reference(img, nc, nr, connexite, seuil, contraste, 2);
    }
}

TEST(Labelling, ObjectsAreNumberedByTheirFirstPixel) {
    // The U's arms start on the first row and meet only at the bottom.
    const auto img = picture({
        "#.#..##",
        "#.#...#",
        "###..#.",
    });
    const Labelled four = etiq(img, 7, 3, 4, 1, 0);
    EXPECT_EQ(four.objects, 3);
    const std::vector<std::uint16_t> expected = {1, 0, 1, 0, 0, 2, 2, 1, 0, 1, 0, 0, 0, 2, 1, 1, 1, 0, 0, 3, 0};
    EXPECT_EQ(four.labels, expected);
    // With 8-connexity the isolated pixel touches the right object diagonally.
    const Labelled eight = etiq(img, 7, 3, 8, 1, 0);
    EXPECT_EQ(eight.objects, 2);
    EXPECT_EQ(eight.labels[19], 2);
}

TEST(Labelling, CheckerboardAndConnexities) {
    const auto img = picture({"#.#.", ".#.#", "#.#.", ".#.#"});
    EXPECT_EQ(etiq(img, 4, 4, 4, 1, 0).objects, 8);
    const Labelled eight = etiq(img, 4, 4, 8, 1, 0);
    EXPECT_EQ(eight.objects, 1);
    // Any connexity value other than 4 means 8.
    EXPECT_EQ(etiq(img, 4, 4, 6, 1, 0).objects, 1);
}

TEST(Labelling, ThresholdAndContrastRules) {
    const std::vector<std::uint8_t> img = {0, 1, 2, 3, 0, 200};
    // Bright objects never include 0, even with a threshold of 0 or below.
    for (int seuil : {-5, 0, 1}) {
        const Labelled l = etiq(img, 6, 1, 4, seuil, 0);
        EXPECT_EQ(l.objects, 2) << seuil;
        EXPECT_EQ(l.labels, (std::vector<std::uint16_t>{0, 1, 1, 1, 0, 2}));
    }
    EXPECT_EQ(etiq(img, 6, 1, 4, 3, 0).labels, (std::vector<std::uint16_t>{0, 0, 0, 1, 0, 2}));
    // Dark objects: pixels at or below the threshold; a negative one acts as 0.
    EXPECT_EQ(etiq(img, 6, 1, 4, -3, -1).labels, (std::vector<std::uint16_t>{1, 0, 0, 0, 2, 0}));
    EXPECT_EQ(etiq(img, 6, 1, 4, 2, -1).labels, (std::vector<std::uint16_t>{1, 1, 1, 0, 2, 0}));
    EXPECT_EQ(etiq(img, 6, 1, 4, 255, -1).objects, 1);
    EXPECT_EQ(etiq(img, 6, 1, 4, 256, 0).objects, 0);
}

TEST(Labelling, EmptyAndTinyImages) {
    const Labelled none = etiq(std::vector<std::uint8_t>(12, 0), 4, 3, 8, 1, 0);
    EXPECT_EQ(none.objects, 0);
    EXPECT_EQ(none.printed, message(0));
    EXPECT_EQ(none.labels, std::vector<std::uint16_t>(12, 0));
    const Labelled one = etiq({9}, 1, 1, 4, 1, 0);
    EXPECT_EQ(one.objects, 1);
    EXPECT_EQ(one.labels, std::vector<std::uint16_t>{1});
    EXPECT_EQ(etiq({}, 0, 5, 4, 1, 0).objects, 0);
    EXPECT_EQ(etiq({}, 5, 0, 8, 1, 0).printed, message(0));
}

TEST(Labelling, LongChainsOfLinksStillGiveOneObject) {
    // A comb whose teeth join only at the bottom row and a staircase: both
    // make many provisional labels that are linked late.
    const int n = 200;
    std::vector<std::uint8_t> comb(static_cast<std::size_t>(n) * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; x += 2) comb[static_cast<std::size_t>(y) * n + x] = 255;
    for (int x = 0; x < n; ++x) comb[static_cast<std::size_t>(n - 1) * n + x] = 255;
    expect_same_as_reference(comb, n, n, 4, 1, 0, 2);
    EXPECT_EQ(etiq(comb, n, n, 4, 1, 0).objects, 1);

    std::vector<std::uint8_t> stairs(static_cast<std::size_t>(n) * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if ((x + y) % 7 == 0 || x == n - 1 - y) stairs[static_cast<std::size_t>(y) * n + x] = 255;
    for (int connexite : {4, 8}) expect_same_as_reference(stairs, n, n, connexite, 1, 0, 2);
}

TEST(Labelling, FoldedNumberingWrapsAfter255) {
    // 600 isolated pixels on one row: objects 1 ... 600.
    std::vector<std::uint8_t> img(1200, 0);
    for (int i = 0; i < 600; ++i) img[static_cast<std::size_t>(2 * i)] = 255;
    const Labelled wide = etiq(img, 1200, 1, 4, 1, 0, 2);
    EXPECT_EQ(wide.objects, 600);
    EXPECT_EQ(wide.labels[2 * 599], 600);
    const Labelled folded = etiq(img, 1200, 1, 4, 1, 0, 1);
    EXPECT_EQ(folded.objects, 600);
    EXPECT_EQ(folded.labels[2 * 254], 255);
    EXPECT_EQ(folded.labels[2 * 255], 1);
    EXPECT_EQ(folded.labels[2 * 509], 255);
    EXPECT_EQ(folded.labels[2 * 510], 1);
    EXPECT_EQ(etiq(img, 1200, 1, 4, 1, 0, -4).labels, folded.labels);
}

TEST(Labelling, SaturationEndsWithStatusTwo) {
    // 65 535 isolated pixels fit; one more does not.
    auto isolated = [](int count) {
        std::vector<std::uint8_t> img(static_cast<std::size_t>(512) * 512, 0);
        int made = 0;
        for (int y = 0; y < 512 && made < count; y += 2)
            for (int x = 0; x < 512 && made < count; x += 2, ++made) img[static_cast<std::size_t>(y) * 512 + x] = 255;
        return img;
    };
    // 8-connexity: 4 x 65 536 / 4 points spaced by 2 are all isolated.
    const auto fits = isolated(65535);
    EXPECT_EQ(etiq(fits, 512, 512, 8, 1, 0).objects, 65535);

    // Provisional labels are made only where an object pixel has no object
    // neighbour on its left, above or (8-connexity) above-left: 65 535 bars
    // two pixels high need exactly 65 535 of them.
    std::vector<std::uint8_t> bars(static_cast<std::size_t>(512) * 768, 0);
    for (int made = 0, y = 0; y < 768; y += 3)
        for (int x = 0; x < 512 && made < 65535; x += 2, ++made)
            bars[static_cast<std::size_t>(y) * 512 + x] = bars[static_cast<std::size_t>(y + 1) * 512 + x] = 255;
    for (int connexite : {4, 8}) EXPECT_EQ(etiq(bars, 512, 768, connexite, 1, 0).objects, 65535);

    const auto too_many = isolated(65536);
    EXPECT_TRUE(reference::label(too_many, 512, 512, 8, 1, 0, 2).saturated);
    auto run = run_captured([&] { etiq(too_many, 512, 512, 8, 1, 0); });
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "\n*** ETIQ *** table satur\202e\n");
    EXPECT_EQ(run.out, "");
}

TEST(Labelling, OperatorPhasesAndDialogue) {
    auto run = run_captured([] {
        char prog[] = "prog", a[] = "8", b[] = "40", c[] = "-2";
        char* argv[] = {prog, a, b, c, nullptr};
        param head;
        param_debut(4, argv, &head);
        labelcc_t desc;
        param* next = labelcc_lect(&desc, &head, ">> etiquetage :");
        std::fprintf(stderr, "%d %d %d %d|", desc.connexite, desc.seuil, desc.contraste,
                     next == head.suiv->suiv->suiv);
        imau1 in{};
        in.nc = 3;
        in.nr = 1;
        std::snprintf(in.nom, sizeof in.nom, "cells.ima");
        alloc_imau1(&in);
        in.pixels[0][0] = 10;
        in.pixels[0][1] = 90;
        in.pixels[0][2] = 40;
        imau2 out{};
        labelccu1_init(&desc, in, &out);
        std::fprintf(stderr, "%s %dx%d|", out.nom, out.nc, out.nr);
        const int n = labelccu1_calc(&desc, in, &out);
        std::fprintf(stderr, "%d: %d %d %d", n, out.pixels[0][0], out.pixels[0][1], out.pixels[0][2]);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "8 40 -2 1|cells.ima_label_s40 3x1|2: 1 0 2");
    EXPECT_NE(run.out.find("\n>> etiquetage : connexite : 4 ou 8 = 8\n\n>> etiquetage : seuil : premier niveau de gris "
                           "des objets = 40\n\n>> etiquetage : contraste : <0 = objets sombres, >=0 = objets claires = "
                           "-2\n"),
              std::string::npos);

    auto refused = run_captured([] {
        char prog[] = "prog", a[] = "6", b[] = "1";
        char* argv[] = {prog, a, b, nullptr};
        param head;
        param_debut(3, argv, &head);
        labelcc_t desc;
        labelcc_lect(&desc, &head, ">> etiquetage :");
    });
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\n>>ERREUR labelcc_lect : connexite 6 inconnu (4 ou 8)\n"), std::string::npos);
}
