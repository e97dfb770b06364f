// Lee's filter for additive noise, pixel by pixel from the local statistics.

#include "lee_add.h"

#include <climits>
#include <cstdio>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "adaptive_filter.hpp"

namespace {

// The formula, counting into a 64-bit counter.
inline double lee(double I, double M, double M2, double var_bruit, long long& count) {
    const double v = M2 - M * M;
    // Where the noise explains the whole variation, or there is none, the
    // mean is kept.
    if (v - var_bruit < 0 || v == 0) {
        ++count;
        return M;
    }
    return M + (v - var_bruit) * (I - M) / v;
}

template <class IImage, class M2Image>
int init(lee_add_t* d, const IImage& I, const IImage& M, const M2Image& M2, IImage* out, const char* who) {
    filters::speckle_init(I, M, M2, out, "lee_add", d->colonnes, d->lignes, who);
    return NO_ERROR;
}

template <class IImage, class M2Image>
int calc(lee_add_t* d, const IImage& I, const IImage& M, const M2Image& M2, IImage* out, const char* who,
         const char* tail) {
    const double var_bruit = d->var_bruit;
    const long long count = filters::speckle_calc(I, M, M2, out, who, [var_bruit](double i, double m, double m2, long long& n) {
        return lee(i, m, m2, var_bruit, n);
    });
    std::printf("\n ATT %s : %lld points tels que var_image < var_bruit%s\n", who, count, tail);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* lee_add_lect(lee_add_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "lee_add_lect");
    desc->colonnes = questions.integer("fenetre d'estimation, nombre de colonnes (impaire)");
    desc->lignes = questions.integer("fenetre d'estimation, nombre de lignes (impaire)");
    if (desc->colonnes < 1 || desc->colonnes % 2 == 0 || desc->lignes < 1 || desc->lignes % 2 == 0)
        fw::fail(1, "\n>> ERREUR lee_add_lect : dimensions incorrectes\n");
    desc->var_bruit = questions.real("variance du bruit dans l'image initiale");
    return questions.next();
}

int lee_addu1_init(lee_add_t* d, imau1 I, imau1 M, imafl M2, imau1* out) { return init(d, I, M, M2, out, "lee_addu1_init"); }
int lee_addu2_init(lee_add_t* d, imau2 I, imau2 M, imafl M2, imau2* out) { return init(d, I, M, M2, out, "lee_addu2_init"); }
int lee_addfl_init(lee_add_t* d, imafl I, imafl M, imafl M2, imafl* out) { return init(d, I, M, M2, out, "lee_addfl_init"); }
int lee_adddb_init(lee_add_t* d, imadb I, imadb M, imadb M2, imadb* out) { return init(d, I, M, M2, out, "lee_adddb_init"); }

int lee_addu1_calc(lee_add_t* d, imau1 I, imau1 M, imafl M2, imau1* out) {
    return calc(d, I, M, M2, out, "lee_addu1_calc", "");
}
// The 16-bit variant's count line has a blank before its line feed.
int lee_addu2_calc(lee_add_t* d, imau2 I, imau2 M, imafl M2, imau2* out) {
    return calc(d, I, M, M2, out, "lee_addu2_calc", " ");
}
int lee_addfl_calc(lee_add_t* d, imafl I, imafl M, imafl M2, imafl* out) {
    return calc(d, I, M, M2, out, "lee_addfl_calc", "");
}
int lee_adddb_calc(lee_add_t* d, imadb I, imadb M, imadb M2, imadb* out) {
    return calc(d, I, M, M2, out, "lee_adddb_calc", "");
}

double filt_lee_add(double I, double M, double M2, double var_bruit, int* count) {
    long long n = 0;
    const double result = lee(I, M, M2, var_bruit, n);
    if (n != 0 && *count < INT_MAX) ++*count;
    return result;
}

}  // extern "C"
