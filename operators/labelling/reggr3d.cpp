// 3D region growing: the shared raster labelling of region3d.hpp with the
// similarity |a - b| <= threshold, then the repainting of every region with
// its single-precision mean.

#include "reggr3d.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "region3d.hpp"
#include "volume.h"

namespace {

// Every voxel takes part; similar when the difference is at most t.
struct Within {
    unsigned t;
    static bool member(unsigned) { return true; }
    bool similar(unsigned a, unsigned b) const { return (a > b ? a - b : b - a) <= t; }
};

// The low 8 bits of a reply read as an int.
unsigned char low_byte(int value) { return static_cast<unsigned char>(value); }

}  // namespace

extern "C" {

param* reggr3d_lect(reggr3d_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "reggr3d_lect");
    desc->nb_iter = low_byte(questions.integer("nb d'iteration "));
    desc->seuil = low_byte(questions.integer("seuil de depart aggreg de 2 regions "));
    desc->increment = low_byte(questions.integer("incrementation du seuil "));
    return questions.next();
}

int reggr3d_init(reggr3d_t* desc, ima3Du1* in, ima3Du4* lab) {
    lab->dimx = in->dimx;
    lab->dimy = in->dimy;
    lab->dimz = in->dimz;
    lab->entete = in->entete;
    lab->nb_bits = in->nb_bits;
    allouer_ima3Du4(lab);
    desc->nb_etiq = 0;
    desc->nb_label_effectif = 0;
    return NO_ERROR;
}

int reggr3d_calc(reggr3d_t* desc, ima3Du1* in, ima3Du4* lab) {
    if (lab->dimx != in->dimx || lab->dimy != in->dimy || lab->dimz != in->dimz || lab->data == nullptr)
        fw::fail(1, "\n>> ERREUR reggr3d_calc : volume d'etiquettes %dx%dx%d different du volume %dx%dx%d\n", lab->dimx,
                 lab->dimy, lab->dimz, in->dimx, in->dimy, in->dimz);
    for (int i = 0; i < desc->nb_iter; ++i) {
        const int seuil = desc->seuil + i * desc->increment;
        std::printf("-------Etiquettage %d --- seuil %d -----\n", i, seuil);
        etiquetage(in, lab, low_byte(seuil), &desc->nb_etiq, &desc->nb_label_effectif);
    }
    return NO_ERROR;
}

int etiquetage(ima3Du1* in, ima3Du4* lab, unsigned char seuil, int* nb_etiq, int* nb_label_effectif) {
    int* table = static_cast<int*>(std::malloc(region3d::kTableSize * sizeof(int)));
    if (table == nullptr) fw::fail(1, "Probleme d'allocation m\351moire (pt_etiq)\n");
    const int n = region3d::scan<int>(*in, lab->data, table, Within{seuil}, 0);
    region3d::report_labels(n);
    *nb_etiq = n + 1;
    reetiquetage(in, lab, table, n, nb_label_effectif);
    std::free(table);
    return NO_ERROR;
}

void label_management(int code, int l, int u, int z, unsigned* cell, int* table, int* counter) {
    *cell = static_cast<unsigned>(region3d::choose_label(static_cast<unsigned>(code), l, u, z, table, *counter));
}

int equivalence_2_label(int* table, int a, int b) { return region3d::equivalence_2(table, a, b); }

int equivalence_3_label(int* table, int a, int b, int c) { return region3d::equivalence_3(table, a, b, c); }

void reetiquetage(ima3Du1* in, ima3Du4* lab, int* table, int n, int* nb_label_effectif) {
    const std::size_t labels = static_cast<std::size_t>(n) + 1;
    auto* count = static_cast<std::int64_t*>(std::calloc(labels, sizeof(std::int64_t)));
    auto* mean = static_cast<float*>(std::calloc(labels, sizeof(float)));
    if (count == nullptr || mean == nullptr) fw::fail(1, "Probleme d'allocation memoire\n");
    const int dimx = in->dimx, dimy = in->dimy, dimz = in->dimz;

    region3d::resolve_roots(table, n);
    // Labels to roots, and the voxels of every root counted run by run
    // along the traces.
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y) {
            unsigned* trace = lab->data[z][y];
            unsigned current = static_cast<unsigned>(table[trace[0]]);
            std::int64_t run = 0;
            for (int x = 0; x < dimx; ++x) {
                const unsigned root = static_cast<unsigned>(table[trace[x]]);
                trace[x] = root;
                if (root != current) {
                    count[current] += run;
                    current = root;
                    run = 0;
                }
                ++run;
            }
            count[current] += run;
        }

    // Each quotient is a double, each sum is rounded to single precision
    // (eleven voxels of 1 sum to 0.99999988), so the means depend on the
    // order of the sums: the scan's (planes, then x, then y).
    // Along a column the label seldom changes: its running mean stays in a
    // register until it does.
    for (int z = 0; z < dimz; ++z) {
        unsigned char* const* plane = in->data[z];
        unsigned* const* labels = lab->data[z];
        for (int x = 0; x < dimx; ++x) {
            unsigned current = labels[0][x];
            float sum = mean[current];
            double voxels = static_cast<double>(count[current]);
            for (int y = 0; y < dimy; ++y) {
                const unsigned label = labels[y][x];
                if (label != current) {
                    mean[current] = sum;
                    current = label;
                    sum = mean[current];
                    voxels = static_cast<double>(count[current]);
                }
                sum = static_cast<float>(sum + static_cast<double>(plane[y][x]) / voxels);
            }
            mean[current] = sum;
        }
    }

    int effective = 0;
    for (std::size_t l = 0; l < labels; ++l) effective += count[l] != 0;
    *nb_label_effectif = effective;
    std::printf("nb_label_effectif: %d\n", effective);

    // Truncated toward zero. Rounding in a long sum can carry the mean of a
    // large region of 255 just past 255 (never past twice the exact mean):
    // it is kept at 255.
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y) {
            unsigned char* trace = in->data[z][y];
            const unsigned* labels = lab->data[z][y];
            for (int x = 0; x < dimx; ++x)
                trace[x] = static_cast<unsigned char>(std::min(static_cast<int>(mean[labels[x]]), 255));
        }
    std::free(mean);
    std::free(count);
}

}  // extern "C"
