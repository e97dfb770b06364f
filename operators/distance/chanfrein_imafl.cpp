// Chamfer distance map of a binary image: the two scans of chamfer_scan.hpp
// in single precision, run in the output image itself. The output starts as
// the propagation plane (0 at the zero pixels, 20000 elsewhere), the scans
// leave in it the backward results, which are the forward results where
// those are smaller, and the frame, which the scans only read, is cleared
// last; no working plane is needed.

#include "chanfrein_imafl.h"

#include <cstddef>
#include <cstdio>

#include "chamfer_scan.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "vector_clones.hpp"

namespace {

// The three real coefficients of the square grid, in single precision:
// A for one step along a row or a column, B for a diagonal step, C for a
// knight's step.
constexpr float kA = 1.0f;
constexpr float kB = 1.4142135f;
constexpr float kC = 2.236068f;

constexpr chamfer::Mask<float> kMask{
    .row1 = kA,
    .row2 = 2.0f,
    .column1 = kA,
    .column2 = 2.0f,
    .diagonal1 = kB,
    .diagonal2 = 2.828427f,
    .knight_row = kC,
    .knight_column = kC,
};

// Both scans over the propagation plane, in a clone for each processor.
WITH_AVX2_CLONE void scan_plane(float* plane, std::size_t nc, std::size_t nr) { chamfer::scan(plane, nc, nr, kMask); }

// The whole computation: the coefficients and sizes printed, the output
// filled with the distance map.
void distance(imau1 in, imafl* out) {
    std::printf("Coefficients reels du masque 5x5 de Chanfrein (Maillage Carre)\n");
    std::printf("A=%f  B=%f  C=%f\n", kA, kB, kC);
    std::printf("largeur= %d  hauteur= %d\n", in.nc, in.nr);

    const std::size_t nc = static_cast<std::size_t>(in.nc), nr = static_cast<std::size_t>(in.nr);
    const unsigned char* binary = in.pixels[0];
    float* plane = out->pixels[0];
    for (std::size_t k = 0; k < nc * nr; ++k) plane[k] = binary[k] != 0 ? chamfer::kInfinity<float> : 0.0f;
    scan_plane(plane, nc, nr);
    chamfer::clear_frame(plane, nc, nr);

    std::printf("\nFIN IMAGE DE DISTANCE: \n\n");
}

}  // namespace

extern "C" {

int chanfrein_imafl_init(imau1 in, imafl* out) {
    out->nr = in.nr;
    out->nc = in.nc;
    alloc_imafl(out);
    return NO_ERROR;
}

int chanfrein_imafl_calc(imau1 in, imafl* out) {
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR chanfrein_imafl_calc : image resultat %dx%d differente de l'image initiale %dx%d\n",
                 out->nc, out->nr, in.nc, in.nr);
    distance(in, out);
    return NO_ERROR;
}

}  // extern "C"
