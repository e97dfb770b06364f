// 3D median filter: the exact median of every box, read off histograms
// that slide through the volume (sliding_median.hpp) instead of sorting
// each box.

#include "median3d.h"

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "sliding_median.hpp"
#include "volume.h"

namespace {

bool positive_odd(int size) { return size > 0 && size % 2 == 1; }

}  // namespace

extern "C" {

param* median3d_lect(median3d_t* desc, param* ptp, const char* debq) {
    // Any int: the program decides what it does with sizes that are not
    // positive and odd.
    fw::Questions questions(ptp, debq, "median3d_lect");
    desc->winX = questions.integer("winX (entier impair positif)");
    desc->winY = questions.integer("winY (entier impair positif)");
    desc->winZ = questions.integer("winZ (entier impair positif)");
    return questions.next();
}

int median3d_init(ima3Du1* out, ima3Du1 in) {
    out->dimx = in.dimx;
    out->dimy = in.dimy;
    out->dimz = in.dimz;
    allouer_ima3Du1(out);
    out->entete = in.entete;
    out->nb_bits = in.nb_bits;
    return NO_ERROR;
}

int median3d_calc(median3d_t* desc, ima3Du1* out, ima3Du1 in) {
    if (!positive_odd(desc->winX) || !positive_odd(desc->winY) || !positive_odd(desc->winZ))
        fw::fail(1, "\n>> ERREUR median3d_calc : fenetre %dx%dx%d incorrecte (entiers impairs positifs)\n", desc->winX,
                 desc->winY, desc->winZ);
    if (out->dimx != in.dimx || out->dimy != in.dimy || out->dimz != in.dimz)
        fw::fail(1, "\n>> ERREUR median3d_calc : volume resultat %dx%dx%d different du volume source %dx%dx%d\n",
                 out->dimx, out->dimy, out->dimz, in.dimx, in.dimy, in.dimz);
    // An axis shorter than its window has no interior voxel.
    if (desc->winX > in.dimx || desc->winY > in.dimy || desc->winZ > in.dimz) return NO_ERROR;

    sliding_median::median_filter(
        {in.dimx, in.dimy, in.dimz}, {desc->winX, desc->winY, desc->winZ},
        [&](int y, int z) -> const unsigned char* { return in.data[z][y]; },
        [&](int y, int z) -> unsigned char* { return out->data[z][y]; });
    return NO_ERROR;
}

}  // extern "C"
