// Confusion matrix of a classified volume against a ground truth.
//
// The reading phase reads the files as soon as their names are known, so
// that a ground truth too small for the volume is refused within the
// dialogue. The initialisation maps grey levels to classes through a table
// of 256 entries built once; the count walks the volume trace by trace, or
// the plane in bands of traces against a ground-truth image.

#include "confusion_matrix.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "volume.h"

namespace {

constexpr const char* kLect = "confusion_matrix_lect";

// Reads the whole volume file `name` into *v.
void read_volume(const std::string& name, ima3Du1* v) {
    std::FILE* f = lect_ima3Du1(name.c_str(), v, 0, 0, 0);
    std::fclose(f);
}

// Refuses a ground truth that does not cover the volume to evaluate, and a
// count that an int could not hold.
void check_ground_truth(const confusion_matrix_t& d, const char* who) {
    const ima3Du1& v = d.vol_eval;
    if (d.mode == 0) {
        const imau1& t = d.ima_test;
        if (t.nr < v.dimx || t.nc < v.dimy)
            fw::fail(1,
                     "\n>> ERREUR %s : image de test %s de %d lignes et %d colonnes, il lui faut au moins %d lignes "
                     "(echantillons par trace) et %d colonnes (traces par plan) du volume a evaluer\n",
                     who, t.nom, t.nr, t.nc, v.dimx, v.dimy);
    } else if (d.mode == 1) {
        const ima3Du1& t = d.vol_test;
        if (t.dimx < v.dimx || t.dimy < v.dimy || t.dimz < v.dimz)
            fw::fail(1, "\n>> ERREUR %s : volume de test de %dx%dx%d plus petit que le volume a evaluer de %dx%dx%d\n",
                     who, t.dimx, t.dimy, t.dimz, v.dimx, v.dimy, v.dimz);
    }
    // Every count fits an int when the voxels compared do.
    const long long compared = static_cast<long long>(v.dimx) * v.dimy * (d.mode == 0 ? 1 : v.dimz);
    if ((d.mode == 0 || d.mode == 1) && compared > INT_MAX)
        fw::fail(1, "\n>> ERREUR %s : %lld voxels a comparer, plus de %d\n", who, compared, INT_MAX);
}

}  // namespace

extern "C" {

param* confusion_matrix_lect(confusion_matrix_t* desc, param* ptp) {
    fw::Questions questions(ptp, nullptr, kLect);
    desc->nb_regions = questions.integer(" Nombre de region a etudier: ", 1, 255);
    read_volume(questions.file_name(" Nom du fichier contenant l'image \303\240 \303\251valuer: "), &desc->vol_eval);
    desc->mode = questions.integer(" Image de test 2D (0) ou 3D (1): ");
    desc->coupe = 0;
    if (desc->mode == 0) {
        std::printf("\n Image contenant l'ensemble de test ");
        param* next = read_ima_lect(&desc->lecteur, questions.next(), "");
        read_imau1_init(&desc->lecteur, &desc->ima_test);
        check_ground_truth(*desc, kLect);
        fw::Questions plane(next, nullptr, kLect);
        desc->coupe = plane.integer(" Numero de la coupe: ", 0, desc->vol_eval.dimz - 1);
        return plane.next();
    }
    if (desc->mode == 1) {
        read_volume(questions.file_name(" Nom du fichier contenant l'ensemble de test: "), &desc->vol_test);
        check_ground_truth(*desc, kLect);
    }
    return questions.next();
}

int confusion_matrix_init(confusion_matrix_t* desc) {
    const char* who = "confusion_matrix_init";
    const int N = desc->nb_regions;
    ima3Du1& v = desc->vol_eval;
    if (N < 1 || N > 255) fw::fail(1, "\n>> ERREUR %s : nombre de regions %d refuse (de 1 a 255)\n", who, N);
    if (desc->mode == 0 && (desc->coupe < 0 || desc->coupe >= v.dimz))
        fw::fail(1, "\n>> ERREUR %s : coupe %d hors du volume (de 0 a %d)\n", who, desc->coupe, v.dimz - 1);
    check_ground_truth(*desc, who);

    unsigned char classes[256];
    for (int e = 0; e < 256; ++e) classes[e] = static_cast<unsigned char>(e * N / 255);
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y) {
            unsigned char* trace = v.data[z][y];
            for (int x = 0; x < v.dimx; ++x) trace[x] = classes[trace[x]];
        }
    return NO_ERROR;
}

int confusion_matrix_calc(confusion_matrix_t* desc, int** matrix) {
    const unsigned N = static_cast<unsigned>(desc->nb_regions);
    const ima3Du1& v = desc->vol_eval;
    auto count = [&](unsigned t, unsigned e) {
        if (t <= N && e <= N) ++matrix[t][e];
    };
    if (desc->mode == 0) {
        // The image is read transposed: bands of kBand traces, walked sample
        // by sample, keep both the image's rows and the traces sequential.
        constexpr int kBand = 64;
        unsigned char* const* truth = desc->ima_test.pixels;
        unsigned char* const* plane = v.data[desc->coupe];
        for (int y0 = 0; y0 < v.dimy; y0 += kBand) {
            const int y1 = std::min(v.dimy, y0 + kBand);
            for (int x = 0; x < v.dimx; ++x) {
                const unsigned char* row = truth[x];
                for (int y = y0; y < y1; ++y) count(row[y], plane[y][x]);
            }
        }
    } else if (desc->mode == 1) {
        for (int z = 0; z < v.dimz; ++z)
            for (int y = 0; y < v.dimy; ++y) {
                const unsigned char* truth = desc->vol_test.data[z][y];
                const unsigned char* found = v.data[z][y];
                for (int x = 0; x < v.dimx; ++x) count(truth[x], found[x]);
            }
    }
    return NO_ERROR;
}

int confusion_matrix_ferm(confusion_matrix_t* desc) {
    liberer_ima3Du1(&desc->vol_eval);
    if (desc->mode == 0) {
        free_imau1(&desc->ima_test);
        free_lut_u1(&desc->ima_test);
    } else if (desc->mode == 1) {
        liberer_ima3Du1(&desc->vol_test);
    }
    return NO_ERROR;
}

}  // extern "C"
