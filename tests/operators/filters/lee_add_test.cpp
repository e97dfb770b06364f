// Lee's filter: the formula, its fallback to the mean, rounding and
// clamping of 8- and 16-bit results with their warnings, and the count.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "lee_add.h"

using namespace testing_support;

namespace {

// One pixel (I, M, M2) through the variant of Image; returns the pixel and
// what was printed.
template <class Image, class M2Image = std::conditional_t<std::is_same_v<Image, imadb>, imadb, imafl>>
std::pair<double, std::string> one_pixel(double i, double m, double m2, double var_bruit) {
    Image I = make_image<Image>(1, 1, [&](int, int) { return i; });
    Image M = make_image<Image>(1, 1, [&](int, int) { return m; });
    M2Image M2 = make_image<M2Image>(1, 1, [&](int, int) { return m2; });
    Image out{};
    lee_add_t d{3, 3, var_bruit};
    std::string printed;
    printed = quietly([&] {
        lee_add_init(&d, I, M, M2, &out);
        lee_add_calc(&d, I, M, M2, &out);
    });
    const double pixel = static_cast<double>(out.pixels[0][0]);
    for (Image* image : {&I, &M, &out}) fw::free_image(image);
    fw::free_image(&M2);
    return {pixel, printed};
}

std::string count_line(const char* who, int n, const char* tail = "") {
    return "\n ATT " + std::string(who) + " : " + std::to_string(n) + " points tels que var_image < var_bruit" + tail + "\n";
}

}  // namespace

TEST(LeeAdd, FormulaAndFallbacks) {
    int count = 0;
    // v = 100 - 64 = 36, noise 9: 8 + 27 * (14 - 8) / 36.
    EXPECT_DOUBLE_EQ(filt_lee_add(14, 8, 100, 9, &count), 12.5);
    EXPECT_EQ(count, 0);
    // No noise on texture: the image itself.
    EXPECT_DOUBLE_EQ(filt_lee_add(3, 8, 100, 0, &count), 3);
    // Variance below the noise's: the mean, counted.
    EXPECT_EQ(filt_lee_add(14, 8, 70, 9, &count), 8);
    EXPECT_EQ(count, 1);
    // A uniform region (v = 0) with no noise: the mean, counted, no division by 0.
    EXPECT_EQ(filt_lee_add(5, 5, 25, 0, &count), 5);
    EXPECT_EQ(count, 2);
}

TEST(LeeAdd, RoundingAndClampingOfEachVariant) {
    // M + w (I - M) with w = (v - noise) / v above 1 (a negative noise
    // variance) reaches beyond the pixel range.
    const struct {
        const char* what;
        std::pair<double, std::string> got;
        double pixel;
        std::string printed;
    } cases[] = {
        {"255.6 clamped", one_pixel<imau1>(255, 250, 62600, -12), 255,
         "\n ATT lee_addu1_calc : resultat superieur a 256\n" + count_line("lee_addu1_calc", 0)},
        {"255.4 rounded down", one_pixel<imau1>(255, 250, 62600, -8), 255, count_line("lee_addu1_calc", 0)},
        {"-0.4 to 0", one_pixel<imau1>(0, 1, 101, -40), 0, count_line("lee_addu1_calc", 0)},
        {"-0.6 clamped", one_pixel<imau1>(0, 1, 101, -60), 0,
         "\n ATT lee_addu1_calc : resultat negatif!\n" + count_line("lee_addu1_calc", 0)},
        {"a tie at .5 rounds up", one_pixel<imau1>(10, 9, 181, 50), 10, count_line("lee_addu1_calc", 0)},
        // M2 of 16-bit images is a float: 65 280 squared plus 512 is exact.
        {"65 536 clamped", one_pixel<imau2>(65535, 65280, 65280.0 * 65280 + 512, -5.12), 65535,
         "\n ATT lee_addu2_calc : resultat superieur a 65535\n" + count_line("lee_addu2_calc", 0, " ")},
        {"16-bit negative", one_pixel<imau2>(0, 1, 101, -100), 0,
         "\n ATT lee_addu2_calc : resultat negatif!\n" + count_line("lee_addu2_calc", 0, " ")},
        {"16-bit count", one_pixel<imau2>(7, 5, 26, 3), 5, count_line("lee_addu2_calc", 1, " ")},
        {"float kept as it is", one_pixel<imafl>(-3, 1, 5, 0), -3, count_line("lee_addfl_calc", 0)},
        {"double kept as it is", one_pixel<imadb>(2.25, 1, 2, 0.5), 1.625, count_line("lee_adddb_calc", 0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got.first, c.pixel) << c.what;
        EXPECT_EQ(c.got.second, c.printed) << c.what;
    }
}

TEST(LeeAdd, ReadingPhaseAndSizes) {
    const Outcome run = run_phase({"5", "3", "12.5"}, [](param* head) {
        lee_add_t d;
        param* next = lee_add_lect(&d, head, ">> filtre de Lee :");
        std::fprintf(stderr, "%d %d %g", d.colonnes, d.lignes, d.var_bruit);
        return next;
    }, [](param*, param*) {});
    EXPECT_EQ(run.err, "5 3 12.5");
    EXPECT_NE(run.out.find("\n>> filtre de Lee : variance du bruit dans l'image initiale = 12.5\n"), std::string::npos);
    const Outcome even = run_phase({"5", "4", "1"}, [](param* head) {
        lee_add_t d;
        return lee_add_lect(&d, head, ">> filtre de Lee :");
    }, [](param*, param*) {});
    EXPECT_TRUE(ended_saying(even, 1, "\n>> ERREUR lee_add_lect : dimensions incorrectes\n"));
    // The three images must have the same size.
    const Outcome sizes = run_captured([] {
        imau1 I = make_image<imau1>(3, 2, [](int, int) { return 0; }), M = make_image<imau1>(2, 2, [](int, int) { return 0; });
        imafl M2 = make_image<imafl>(3, 2, [](int, int) { return 0; });
        imau1 out{};
        lee_add_t d{3, 3, 1};
        lee_addu1_init(&d, I, M, M2, &out);
    });
    EXPECT_TRUE(ended(sizes, 1, "\n>> ERREUR lee_addu1_init : images de tailles differentes (3x2, moyenne 2x2, moyenne "
                                "des carres 3x2)\n"));
}
