// Kuan's filter for multiplicative speckle, pixel by pixel from the local
// statistics.

#include "kuan.h"

#include <climits>
#include <cstdio>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "adaptive_filter.hpp"

namespace {

// The formula, counting into a 64-bit counter.
inline double kuan(double I, double M, double M2, double Cs2, long long& count) {
    // A zero mean has no coefficient of variation: the mean is kept.
    if (M == 0) {
        ++count;
        return M;
    }
    const double e = M2 / (M * M) - 1;
    const double f = (e - Cs2) / (1 + Cs2);
    // Without variation (e = 0) there is nothing to weigh by either.
    if (f < 0 || e == 0) {
        ++count;
        return M;
    }
    return M + f * (I - M) / e;
}

template <class IImage, class M2Image>
int init(kuan_t* d, const IImage& I, const IImage& M, const M2Image& M2, IImage* out, const char* who) {
    filters::speckle_init(I, M, M2, out, "kuan", d->colonnes, d->lignes, who);
    return NO_ERROR;
}

template <class IImage, class M2Image>
int calc(kuan_t* d, const IImage& I, const IImage& M, const M2Image& M2, IImage* out, const char* who) {
    const double Cs2 = 1 / d->nb_vues;
    const long long count = filters::speckle_calc(I, M, M2, out, who, [Cs2](double i, double m, double m2, long long& n) {
        return kuan(i, m, m2, Cs2, n);
    });
    std::printf("\n ATT %s : %lld points tels que CV_image < CV_speckle\n", who, count);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* kuan_lect(kuan_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "kuan_lect");
    desc->colonnes = questions.integer("fenetre d'estimation, nombre de colonnes (impaire)");
    desc->lignes = questions.integer("fenetre d'estimation, nombre de lignes (impaire)");
    if (desc->colonnes < 1 || desc->colonnes % 2 == 0 || desc->lignes < 1 || desc->lignes % 2 == 0)
        fw::fail(1, "\n>> ERREUR kuan_lect : dimensions incorrectes\n");
    // A number of looks must be positive: 1 / L is the speckle's variance.
    const char* text = "nombre de vues (equivalent) de l'image initiale";
    desc->nb_vues = questions.real(text);
    if (!(desc->nb_vues > 0)) questions.refuse_last("reel strictement positif");
    return questions.next();
}

int kuanu2_init(kuan_t* d, imau2 I, imau2 M, imafl M2, imau2* out) { return init(d, I, M, M2, out, "kuanu2_init"); }
int kuanfl_init(kuan_t* d, imafl I, imafl M, imafl M2, imafl* out) { return init(d, I, M, M2, out, "kuanfl_init"); }
int kuandb_init(kuan_t* d, imadb I, imadb M, imadb M2, imadb* out) { return init(d, I, M, M2, out, "kuandb_init"); }

int kuanu2_calc(kuan_t* d, imau2 I, imau2 M, imafl M2, imau2* out) { return calc(d, I, M, M2, out, "kuanu2_calc"); }
int kuanfl_calc(kuan_t* d, imafl I, imafl M, imafl M2, imafl* out) { return calc(d, I, M, M2, out, "kuanfl_calc"); }
int kuandb_calc(kuan_t* d, imadb I, imadb M, imadb M2, imadb* out) { return calc(d, I, M, M2, out, "kuandb_calc"); }

double filt_kuan(double I, double M, double M2, double Cs2, int* count) {
    long long n = 0;
    const double result = kuan(I, M, M2, Cs2, n);
    if (n != 0 && *count < INT_MAX) ++*count;
    return result;
}

}  // extern "C"
