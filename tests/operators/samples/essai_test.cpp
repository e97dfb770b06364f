// The sample volume operator: the offset in single precision and the sum
// modulo 256 of every sample.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "essai.h"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

TEST(Essai, OffsetModulo256) {
    struct Case {
        int dimX, dimY;
        float gain;
        int offset;
    } cases[] = {{3, 4, 0.5f, 12}, {3, 4, -12.5f, 0}, {1, 1, -3.9f, -2}, {0, 5, 255.99f, 255},
                 // 16777217 is not a float: the sum rounds to 16777216.
                 {16777217, 1, 0.0f, 16777216}, {65536, 65536, 0.0f, 0}};
    ima3Du1 in = volume_of(2, 1, 2, {250, 0, 3, 255});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dimX) + " x " + std::to_string(c.dimY) + " + " + std::to_string(c.gain));
        essai_t desc{c.dimX, c.dimY, c.gain, "", 0};
        ima3Du1 out{};
        const Outcome run = run_captured([&] {
            essaiu1_init(&desc, in, &out);
            essaiu1_calc(&desc, in, &out);
            std::fprintf(stderr, "%d:", desc.decalage);
            for (int v : values_of(out)) std::fprintf(stderr, " %d", v);
        });
        if (c.dimX == 65536) {
            EXPECT_TRUE(ended_saying(run, 1, "\n>> ERREUR essaiu1_init : decalage 4.29497e+09 hors des entiers"));
            continue;
        }
        std::string expected = std::to_string(c.offset) + ":";
        for (int v : {250, 0, 3, 255}) expected += " " + std::to_string((v + c.offset % 256 + 256) % 256);
        EXPECT_EQ(run.err, expected);
    }
    liberer_ima3Du1(&in);
}
