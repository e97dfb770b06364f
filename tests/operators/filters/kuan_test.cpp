// Kuan's filter: the formula, its fallbacks to the mean, the 16-bit
// clamping and the count.

#include <gtest/gtest.h>

#include <string>

#include "files.hpp"
#include "images.hpp"
#include "kuan.h"

using namespace testing_support;

TEST(Kuan, FormulaAndFallbacks) {
    int count = 0;
    // M = 10, M2 = 125: e = 0.25; L = 10: Cs2 = 0.1, f = 0.15 / 1.1.
    EXPECT_DOUBLE_EQ(filt_kuan(14, 10, 125, 0.1, &count), 10 + (0.15 / 1.1) * 4 / 0.25);
    EXPECT_EQ(count, 0);
    // Many looks: Cs2 near 0, the result tends to I.
    EXPECT_NEAR(filt_kuan(14, 10, 125, 1e-12, &count), 14, 1e-9);
    // e below Cs2: the mean, counted; a zero mean: the mean, counted.
    EXPECT_EQ(filt_kuan(14, 10, 101, 0.1, &count), 10);
    EXPECT_EQ(filt_kuan(3, 0, 9, 0.1, &count), 0);
    EXPECT_EQ(count, 2);
}

TEST(Kuan, VariantsPrintTheirCountAndClamp) {
    const Outcome run = run_captured([] {
        // Pixel 0: kept mean (e = 0); pixel 1: 65 530 + 1.2 * 5 with e = 1, Cs2 = 1 / 6.
        imau2 I = make_image<imau2>(2, 1, [](int x, int) { return x ? 65535 : 7; });
        imau2 M = make_image<imau2>(2, 1, [](int x, int) { return x ? 65530 : 7; });
        imafl M2 = make_image<imafl>(2, 1, [](int x, int) { return x ? 2.0 * 65530 * 65530 : 49.0; });
        imau2 out{};
        kuan_t d{3, 3, -1.0 / 0.4};  // Cs2 = -0.4: f = 1.4 / 0.6
        std::snprintf(I.nom, sizeof I.nom, "s.imw");
        kuanu2_init(&d, I, M, M2, &out);
        kuanu2_calc(&d, I, M, M2, &out);
        std::fprintf(stderr, "%s %d %d", out.nom, out.pixels[0][0], out.pixels[0][1]);
    });
    EXPECT_EQ(run.out, "\n ATT kuanu2_calc : resultat superieur a 65535\n\n ATT kuanu2_calc : 1 points tels que CV_image < "
                       "CV_speckle\n");
    EXPECT_EQ(run.err, "s.imw(kuan3x3) 7 65535");

    const Outcome floats = run_captured([] {
        imafl I = make_image<imafl>(1, 1, [](int, int) { return 14; }), M = make_image<imafl>(1, 1, [](int, int) { return 10; });
        imafl M2 = make_image<imafl>(1, 1, [](int, int) { return 125; }), out{};
        kuan_t d{3, 3, 10};
        kuanfl_init(&d, I, M, M2, &out);
        kuanfl_calc(&d, I, M, M2, &out);
        std::fprintf(stderr, "%.5f", static_cast<double>(out.pixels[0][0]));
    });
    EXPECT_EQ(floats.err, "12.18182");
    EXPECT_EQ(floats.out, "\n ATT kuanfl_calc : 0 points tels que CV_image < CV_speckle\n");

    const Outcome doubles = run_captured([] {
        imadb I = make_image<imadb>(2, 1, [](int x, int) { return x ? 14 : 3; });
        imadb M = make_image<imadb>(2, 1, [](int x, int) { return x ? 10 : 0; });
        imadb M2 = make_image<imadb>(2, 1, [](int x, int) { return x ? 125 : 9; }), out{};
        kuan_t d{5, 3, 10};
        std::snprintf(I.nom, sizeof I.nom, "d.imf");
        kuandb_init(&d, I, M, M2, &out);
        kuandb_calc(&d, I, M, M2, &out);
        std::fprintf(stderr, "%s %g %.12g", out.nom, out.pixels[0][0], out.pixels[0][1]);
    });
    EXPECT_EQ(doubles.err, "d.imf(kuan5x3) 0 12.1818181818");
    EXPECT_EQ(doubles.out, "\n ATT kuandb_calc : 1 points tels que CV_image < CV_speckle\n");
}

TEST(Kuan, ReadingPhaseRefusesLooksThatAreNotPositive) {
    auto ask = [](const char* looks) {
        return run_phase({"3", "3", looks}, [](param* head) {
            kuan_t d;
            param* next = kuan_lect(&d, head, ">> filtre de Kuan :");
            std::fprintf(stderr, "%g", d.nb_vues);
            return next;
        }, [](param*, param*) {});
    };
    EXPECT_EQ(ask("4").err, "4");
    EXPECT_TRUE(ended_saying(ask("0"), 1,
                             "\n>> ERREUR kuan_lect : reponse \"0\" refusee a la question \">> filtre de Kuan : nombre de "
                             "vues (equivalent) de l'image initiale\" (reel strictement positif)\n"));
    EXPECT_TRUE(ended_saying(ask("-2"), 1, "(reel strictement positif)"));
}
