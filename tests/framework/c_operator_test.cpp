// An operator written in C compiles against image.h and proto2D.h and runs
// inside a C++ program.

#include <gtest/gtest.h>

#include <cstring>

#include "proto2D.h"
#include "support.hpp"

using namespace testing_support;

extern "C" {
typedef struct {
    int seuil;
} seuil_t;
param* seuil_lect(seuil_t* desc, param* ptp, char* debq);
int seuilu1_init(seuil_t* desc, imau1 in, imau1* out);
int seuilu1_calc(seuil_t* desc, imau1 in, imau1* out);
int seuil_ferm(seuil_t* desc);
}

TEST(COperator, RunsItsPhasesThroughTheFramework) {
    auto run = run_captured([] {
        char name[] = "prog";
        char arg[] = "100";
        char* argv[] = {name, arg, nullptr};
        param head;
        param_debut(2, argv, &head);
        seuil_t desc;
        char debq[] = ">> seuillage :";
        seuil_lect(&desc, &head, debq);

        imau1 in{};
        in.nc = 3;
        in.nr = 2;
        std::snprintf(in.nom, sizeof in.nom, "in.ima");
        alloc_imau1(&in);
        const unsigned char values[] = {0, 99, 100, 101, 255, 7};
        std::memcpy(in.pixels[0], values, 6);
        imau1 out{};
        seuilu1_init(&desc, in, &out);
        seuilu1_calc(&desc, in, &out);
        seuil_ferm(&desc);
        std::fprintf(stderr, "%s:", out.nom);
        for (int i = 0; i < 6; ++i) std::fprintf(stderr, " %d", out.pixels[0][i]);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\n>> seuillage : seuil (entier) = 100\n"), std::string::npos);
    EXPECT_EQ(run.err, "in.ima_seuil: 0 0 255 255 255 0");
}
