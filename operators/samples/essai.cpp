// essai: the sample operator on an 8-bit volume: a constant offset added
// to every sample, modulo 256.

#include "essai.h"

#include <array>
#include <cmath>
#include <cstring>

#include "fail.hpp"
#include "sample_questions.hpp"

extern "C" {

param* essai_lect(essai_t* desc, param* ptp, const char* debq) {
    return samples::ask_parameters(desc, ptp, debq, "essai_lect");
}

int essaiu1_init(essai_t* desc, ima3Du1 in, ima3Du1* out) {
    out->dimx = in.dimx;
    out->dimy = in.dimy;
    out->dimz = in.dimz;
    out->entete = in.entete;
    out->nb_bits = 8;
    allouer_ima3Du1(out);
    // dimX x dimY + gain in single precision, as the float gain makes it;
    // the product itself is exact (64-bit) before it is rounded to a float.
    const float sum = static_cast<float>(static_cast<long long>(desc->dimX) * desc->dimY) + desc->gain;
    const float offset = std::trunc(sum);
    if (!(offset >= -2147483648.0f && offset < 2147483648.0f))
        fw::fail(1, "\n>> ERREUR essaiu1_init : decalage %g hors des entiers (dimX x dimY + gain)\n",
                 static_cast<double>(sum));
    desc->decalage = static_cast<int>(offset);
    return NO_ERROR;
}

int essaiu1_calc(essai_t* desc, ima3Du1 in, ima3Du1* out) {
    if (out->dimx != in.dimx || out->dimy != in.dimy || out->dimz != in.dimz)
        fw::fail(1, "\n>> ERREUR essaiu1_calc : volume resultat %dx%dx%d different du volume initial %dx%dx%d\n",
                 out->dimx, out->dimy, out->dimz, in.dimx, in.dimy, in.dimz);
    // The sum modulo 256 of every sample value, built once.
    std::array<unsigned char, 256> shifted;
    const unsigned offset = static_cast<unsigned>(desc->decalage) & 255u;
    for (unsigned v = 0; v < 256; ++v) shifted[v] = static_cast<unsigned char>(v + offset);
    for (int z = 0; z < in.dimz; ++z)
        for (int y = 0; y < in.dimy; ++y) {
            const unsigned char* source = in.data[z][y];
            unsigned char* target = out->data[z][y];
            for (int x = 0; x < in.dimx; ++x) target[x] = shifted[source[x]];
        }
    return NO_ERROR;
}

}  // extern "C"
