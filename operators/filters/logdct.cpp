// Logarithm and DCT across a stack of 16-bit images.
//
// The logarithms of the 65 536 levels are tabulated once, at init. The
// images are walked as their contiguous pixel blocks, one stretch of
// dct::kStretch pixels at a time: the logarithms of the stretch of every
// input are gathered into the work area, then each output's stretch is
// summed over m, one whole stretch per term, so that the sum vectorises
// across pixels while each pixel's terms are still added in increasing m.
// The per-pixel cost is n table look-ups and n^2 multiply-adds.

#include "logdct.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "dct_matrix.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

constexpr const char* kInit = "logdct_u2_init";

// coefficient[j] = sum over m of weights[m] * logs[m * kStretch + j], for
// j < count, summed in increasing m. The sum starts from the first term
// rather than from 0: weights[0] > 0 (sqrt(1/n), or cos(k pi / 2n) * sqrt(2/n)
// with k < n) and logarithms are >= +0, so the first term is never -0 and
// 0 + term would give the same bits.
void sum_terms(float* __restrict coefficient, const float* __restrict weights, const float* __restrict logs, int n,
               std::size_t count) {
    const float first = weights[0];
    for (std::size_t j = 0; j < count; ++j) coefficient[j] = first * logs[j];
    for (int m = 1; m < n; ++m) {
        const float weight = weights[m];
        const float* term = logs + static_cast<std::size_t>(m) * dct::kStretch;
        for (std::size_t j = 0; j < count; ++j) coefficient[j] += weight * term[j];
    }
}

void transform(const logdct_t& desc, const imau2* in, imafl* out) {
    const int n = desc.nb_images;
    const std::size_t total = static_cast<std::size_t>(in[0].nc) * static_cast<std::size_t>(in[0].nr);
    const float* table = desc.tab_log;
    float* logs = desc.vecteur;
    for (std::size_t start = 0; start < total; start += dct::kStretch) {
        const std::size_t count = std::min(dct::kStretch, total - start);
        for (int m = 0; m < n; ++m) {
            const unsigned short* level = in[m].pixels[0] + start;
            float* log_row = logs + static_cast<std::size_t>(m) * dct::kStretch;
            for (std::size_t j = 0; j < count; ++j) log_row[j] = table[level[j]];
        }
        for (int k = 0; k < n; ++k) sum_terms(out[k].pixels[0] + start, desc.matrice[k], logs, n, count);
    }
}

}  // namespace

extern "C" {

param* logdct_lect(logdct_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "logdct_lect");
    desc->nb_images = questions.integer("nombre d'images", 1, LOGDCT_MAX_IMAGES);
    return questions.next();
}

int logdct_u2_init(logdct_t* desc, imau2* in, imafl* out) {
    const int n = desc->nb_images;
    dct::check_count(n, LOGDCT_MAX_IMAGES, kInit);
    dct::check_sizes(in, n, "image", kInit);

    for (int k = 0; k < n; ++k) {
        out[k].nc = in[0].nc;
        out[k].nr = in[0].nr;
        dct::name_output(out[k].nom, in[0].nom, "logdct", k);
        alloc_imafl(&out[k]);
    }

    dct::allocate(n, static_cast<std::size_t>(n) * dct::kStretch, kInit, &desc->vecteur, &desc->matrice);
    for (int k = 0; k < n; ++k)
        for (int m = 0; m < n; ++m) desc->matrice[k][m] = dct::entry(n, k, m);

    desc->tab_log[0] = desc->tab_log[1] = 0.0f;
    for (int v = 2; v < LOGDCT_LEVELS; ++v) desc->tab_log[v] = static_cast<float>(std::log(static_cast<double>(v)));
    return NO_ERROR;
}

int logdct_u2_calc(logdct_t* desc, imau2* in, imafl* out) {
    transform(*desc, in, out);
    return NO_ERROR;
}

}  // extern "C"
