// An operator written in C compiles against image.h and proto2D.h and runs
// inside a C++ program.

#include <gtest/gtest.h>

#include <string>

#include "files.hpp"
#include "images.hpp"

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
    seuil_t desc;
    const Outcome run = run_phase(
        {"100"},
        [&](param* head) {
            char debq[] = ">> seuillage :";
            return seuil_lect(&desc, head, debq);
        },
        [&](param*, param*) {
            imau1 in = make_image<imau1>(3, 2, pixels_from<int>({0, 99, 100, 101, 255, 7}, 3));
            std::snprintf(in.nom, sizeof in.nom, "in.ima");
            imau1 out{};
            seuilu1_init(&desc, in, &out);
            seuilu1_calc(&desc, in, &out);
            seuil_ferm(&desc);
            std::fprintf(stderr, "%s:", out.nom);
            for (int value : pixels_of(out)) std::fprintf(stderr, " %d", value);
        });
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\n>> seuillage : seuil (entier) = 100\n"), std::string::npos);
    EXPECT_EQ(run.err, "in.ima_seuil: 0 0 255 255 255 0");
}
