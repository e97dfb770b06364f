// bidon: the sample operator on an 8-bit image. Its result is a copy of the
// input; its mask shows an operator building an image of its own.

#include "bidon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "fail.hpp"
#include "proto2D.h"
#include "sample_questions.hpp"

extern "C" {

param* bidon_lect(bidon_t* desc, param* ptp, const char* debq) {
    return samples::ask_parameters(desc, ptp, debq, "bidon_lect");
}

int bidonu1_init(bidon_t* desc, imau1 in, imau1* out) {
    const char* who = "bidonu1_init";
    const bool rectangle = std::strcmp(desc->forme, "rectangle") == 0;
    if (!rectangle && std::strcmp(desc->forme, "triangle") != 0)
        fw::fail(1, "\n>>ERREUR bidonu1_init : masque %s inconnu\n", desc->forme);
    if (desc->dimX <= 0 || desc->dimY <= 0)
        fw::fail(1, "\n>> ERREUR %s : masque %dx%d incorrect (dimX et dimY entiers positifs)\n", who, desc->dimX,
                 desc->dimY);

    out->nc = in.nc;
    out->nr = in.nr;
    std::snprintf(out->nom, sizeof out->nom, "%.150s_bidon_%dx%d", in.nom, desc->dimX, desc->dimY);
    alloc_imau1(out);

    // A mask too large for memory ends the process in the allocation.
    desc->masque = imafl{};
    desc->masque.nc = desc->dimX;
    desc->masque.nr = desc->dimY;
    alloc_imafl(&desc->masque);
    std::printf("\n>>bidonu1_init : masque %s %dx%d\n", desc->forme, desc->dimX, desc->dimY);
    // A triangle has no values of its own: its mask holds 0.
    float* first = desc->masque.pixels[0];
    std::fill(first, first + static_cast<std::size_t>(desc->dimX) * desc->dimY, rectangle ? desc->gain : 0.0f);
    return NO_ERROR;
}

int bidonu1_calc(bidon_t*, imau1 in, imau1* out) {
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR bidonu1_calc : image resultat %dx%d differente de l'image initiale %dx%d\n", out->nc,
                 out->nr, in.nc, in.nr);
    std::memcpy(out->pixels[0], in.pixels[0], static_cast<std::size_t>(in.nc) * in.nr);
    return NO_ERROR;
}

}  // extern "C"
