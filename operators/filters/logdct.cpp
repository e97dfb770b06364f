// Logarithm and DCT across a stack of 16-bit images.
//
// The logarithms of the 65 536 levels are tabulated once, at init. The
// images are walked as their contiguous pixel blocks, one stretch of
// dct::kStretch pixels at a time: the logarithms of the stretch of every
// input are looked up into the work area, then each output's stretch is
// summed over m by dct::weighted_sums, vectorised across pixels while each
// pixel's terms are still added in increasing m. The per-pixel cost is n
// table look-ups and n^2 multiply-adds.

#include "logdct.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dct_matrix.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

constexpr const char* kInit = "logdct_u2_init";

// logs[j] = table[levels[j]] for j < count. Four levels are read with one
// load: the look-ups are random accesses into a table of 256 KiB, and
// sparing three loads in four lets more of them be under way at once.
void look_up(float* __restrict logs, const unsigned short* __restrict levels, const float* __restrict table,
             std::size_t count) {
    constexpr bool little = std::endian::native == std::endian::little;
    constexpr unsigned kShift[4] = {little ? 0u : 48u, little ? 16u : 32u, little ? 32u : 16u, little ? 48u : 0u};
    std::size_t j = 0;
    for (; j + 4 <= count; j += 4) {
        std::uint64_t four;
        std::memcpy(&four, levels + j, sizeof four);
        for (std::size_t i = 0; i < 4; ++i) logs[j + i] = table[four >> kShift[i] & 0xffff];
    }
    for (; j < count; ++j) logs[j] = table[levels[j]];
}

void transform(const logdct_t& desc, const imau2* in, imafl* out) {
    const int n = desc.nb_images;
    const std::size_t total = static_cast<std::size_t>(in[0].nc) * static_cast<std::size_t>(in[0].nr);
    const float* table = desc.tab_log;
    float* logs = desc.vecteur;
    for (std::size_t start = 0; start < total; start += dct::kStretch) {
        const std::size_t count = std::min(dct::kStretch, total - start);
        for (int m = 0; m < n; ++m)
            look_up(logs + static_cast<std::size_t>(m) * dct::kStretch, in[m].pixels[0] + start, table, count);
        // The first term of every sum is >= +0 (matrice[k][0] > 0: sqrt(1/n),
        // or cos(k pi / 2n) sqrt(2/n) with k < n; logarithms >= +0), so
        // starting from it gives the bits 0 + it would.
        const auto log_row = [logs](int m) { return logs + static_cast<std::size_t>(m) * dct::kStretch; };
        for (int k = 0; k < n; ++k) dct::weighted_sums(out[k].pixels[0] + start, desc.matrice[k], n, log_row, count);
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

int logdct_ferm(logdct_t* desc) {
    dct::release(&desc->vecteur, &desc->matrice);
    return NO_ERROR;
}

}  // extern "C"
