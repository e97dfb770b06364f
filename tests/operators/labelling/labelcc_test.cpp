// The labelling core against the plain two-scan reference, and the
// behaviours users rely on: numbering order, connexities, thresholds,
// folding, saturation and the dialogue.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "labelcc.h"
#include "labelcc_reference.hpp"
#include "proto2D.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

struct Labelled {
    std::vector<std::uint16_t> labels;
    int objects;
    std::string printed;
};

// Runs ETIQ on an nc x nr image given row after row.
Labelled etiq(const std::vector<std::uint8_t>& pixels, int nc, int nr, int connexite, int seuil, int contraste,
              int plage = 2) {
    imau1 in = make_image<imau1>(nc, nr, [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * nc + x]; });
    imau2 out = make_image<imau2>(nc, nr, [](int, int) { return 0; });
    Labelled result;
    result.printed = quietly([&] { result.objects = ETIQ(in, out, &connexite, &seuil, &contraste, &plage); });
    result.labels = pixels_of(out);
    result.labels.resize(pixels.size());
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

// An image and the parameters of one labelling. Results compared are the
// object count followed by the labels.
struct Case {
    std::vector<std::uint8_t> image;
    int nc, nr, connexite, seuil, contraste, plage;

    std::string describe() const {
        return std::to_string(nc) + "x" + std::to_string(nr) + " image, connexity " + std::to_string(connexite) +
               ", threshold " + std::to_string(seuil) + ", contrast " + std::to_string(contraste) + ", range " +
               std::to_string(plage);
    }
    std::string where(std::size_t i) const {
        if (i == 0) return "the object count";
        return "pixel (" + std::to_string((i - 1) % nc) + ", " + std::to_string((i - 1) / nc) + ")";
    }
};

std::vector<unsigned> fast(const Case& c) {
    const Labelled l = etiq(c.image, c.nc, c.nr, c.connexite, c.seuil, c.contraste, c.plage);
    EXPECT_EQ(l.printed, message(static_cast<unsigned>(l.objects)));
    std::vector<unsigned> result = {static_cast<unsigned>(l.objects)};
    result.insert(result.end(), l.labels.begin(), l.labels.end());
    return result;
}

std::vector<unsigned> plain(const Case& c) {
    const reference::Result ref = reference::label(c.image, c.nc, c.nr, c.connexite, c.seuil, c.contraste, c.plage);
    EXPECT_FALSE(ref.saturated) << c.describe();
    std::vector<unsigned> result = {ref.objects};
    result.insert(result.end(), ref.labels.begin(), ref.labels.end());
    return result;
}

}  // namespace

TEST(Labelling, MatchesTheReferenceOnRandomImagesOfEveryDensity) {
    // Each image once as bright objects, once as dark objects with folding.
    const double densities[] = {0.02, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99};
    auto make = [&](std::mt19937& random, int trial) {
        const int nc = 1 + static_cast<int>(random() % 48), nr = 1 + static_cast<int>(random() % 48);
        std::vector<std::uint8_t> img(static_cast<std::size_t>(nc) * nr);
        std::bernoulli_distribution object(densities[trial / 2 % 7]);
        for (auto& p : img)
            p = object(random) ? static_cast<std::uint8_t>(100 + random() % 156) : static_cast<std::uint8_t>(random() % 100);
        const int connexite = trial / 2 % 2 ? 8 : 4;
        if (trial % 2 == 0) return Case{img, nc, nr, connexite, 100, 1, 2};
        return Case{img, nc, nr, connexite, 99, -1, static_cast<int>(random() % 3) - 1};
    };
    reference_sweep(2024, 1400, make, fast, plain);
}

TEST(Labelling, MatchesTheReferenceOnBlobsAndEveryThresholdMode) {
    // Random discs of random grey levels on a noisy ground, at nine
    // thresholds, both connexities and three contrasts.
    const int thresholds[] = {-7, 0, 1, 2, 3, 128, 255, 256, 100000};
    gen::Bytes blobs;
    auto make = [&](std::mt19937& random, int trial) {
        const int image = trial / 6;
        const int nc = 20 + image % 90, nr = 20 + image * 7 % 90;
        if (trial % 6 == 0) blobs = gen::random_blobs(random, nc, nr, 25);
        const int contrasts[] = {-1, 0, 5};
        return Case{{blobs.begin(), blobs.end()}, nc, nr, trial % 2 ? 8 : 4, thresholds[image % 9], contrasts[trial % 6 / 2], 2};
    };
    reference_sweep(7, 720, make, fast, plain);
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
    EXPECT_EQ(fast({comb, n, n, 4, 1, 0, 2}), plain({comb, n, n, 4, 1, 0, 2}));
    EXPECT_EQ(etiq(comb, n, n, 4, 1, 0).objects, 1);

    std::vector<std::uint8_t> stairs(static_cast<std::size_t>(n) * n, 0);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if ((x + y) % 7 == 0 || x == n - 1 - y) stairs[static_cast<std::size_t>(y) * n + x] = 255;
    for (int connexite : {4, 8}) EXPECT_EQ(fast({stairs, n, n, connexite, 1, 0, 2}), plain({stairs, n, n, connexite, 1, 0, 2}));
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
    const Outcome run = run_phase(
        {"8", "40", "-2"},
        [](param* head) {
            labelcc_t desc;
            param* next = labelcc_lect(&desc, head, ">> etiquetage :");
            std::fprintf(stderr, "%d %d %d|", desc.connexite, desc.seuil, desc.contraste);
            imau1 in = make_image<imau1>(3, 1, [](int x, int) { return x == 0 ? 10 : x == 1 ? 90 : 40; });
            std::snprintf(in.nom, sizeof in.nom, "cells.ima");
            imau2 out{};
            labelccu1_init(&desc, in, &out);
            std::fprintf(stderr, "%s %dx%d|", out.nom, out.nc, out.nr);
            const int n = labelccu1_calc(&desc, in, &out);
            std::fprintf(stderr, "%d: %d %d %d|", n, out.pixels[0][0], out.pixels[0][1], out.pixels[0][2]);
            return next;
        },
        [](param* next, param* head) { std::fprintf(stderr, "%d", next == head->suiv->suiv->suiv); });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "8 40 -2|cells.ima_label_s40 3x1|2: 1 0 2|1");
    EXPECT_NE(run.out.find("\n>> etiquetage : connexite : 4 ou 8 = 8\n\n>> etiquetage : seuil : premier niveau de gris "
                           "des objets = 40\n\n>> etiquetage : contraste : <0 = objets sombres, >=0 = objets claires = "
                           "-2\n"),
              std::string::npos);

    // A connexity other than 4 or 8 gets its own message; a number beyond
    // int is refused as such, not wrapped to 4.
    auto connexity = [](const char* reply) {
        return run_phase({reply, "1", "0"}, [](param* head) {
            labelcc_t desc;
            return labelcc_lect(&desc, head, ">> etiquetage :");
        }, [](param*, param*) {});
    };
    const Outcome six = connexity("6");
    EXPECT_EQ(six.status, 1);
    EXPECT_NE(six.out.find("\n>>ERREUR labelcc_lect : connexite 6 inconnu (4 ou 8)\n"), std::string::npos);
    const Outcome wrapped = connexity("4294967300");
    EXPECT_EQ(wrapped.status, 1);
    EXPECT_NE(wrapped.out.find("\n>> ERREUR labelcc_lect : reponse \"4294967300\" refusee"), std::string::npos);
}
