// 16-bit to 8-bit conversion: the interval [lo, hi] from the histogram
// (methods 1 and 2) or from K alone (method 3), a table of the 65 536
// output levels, then one lookup per pixel.
//
// The statistics are computed in single precision, so they carry its
// rounding; where that rounding (or an extreme K) would lead outside what
// the arithmetic can represent, the value is pinned to the nearest one that
// means the same: a variance below 0 (cancellation on a flat image) or of
// fewer than two pixels is 0, a quantile walk that never reaches its target
// ends past the last level, and reals beyond the range of int saturate.

#include "conv16to8.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "text_input.hpp"

namespace {

constexpr int kLevels = CONV16TO8_NIVEAUX;

// The integer part of v, or the nearest end of the range of int beyond it;
// 0 for a NaN.
int saturated_int(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0f) return INT_MAX;
    if (v < -2147483648.0f) return INT_MIN;
    return static_cast<int>(v);
}

void count_levels(conv16to8_t& desc, const unsigned short* pixels, std::size_t n) {
    unsigned long long* histo = desc.histo;
    std::fill_n(histo, kLevels, 0ULL);
    for (std::size_t i = 0; i < n; ++i) ++histo[pixels[i]];
}

// The interval, from the histogram or K, with the report line.
struct Interval {
    int lo, hi;
};

Interval smallest_to_mean_plus_k_sigma(conv16to8_t& desc, float n) {
    // The smallest level present (0 for an image without pixels).
    const unsigned long long* histo = desc.histo;
    int lo = 0;
    if (n > 0.0f)
        while (histo[lo] == 0) ++lo;

    float sum = 0.0f, s2 = 0.0f;
    for (int i = 1; i < kLevels; ++i) {
        const float level = static_cast<float>(i), count = static_cast<float>(histo[i]);
        sum += level * count;
        s2 += level * level * count;
    }
    const float m = n > 0.0f ? sum / n : 0.0f;
    float variance = n > 1.0f ? (s2 - n * (m * m)) / (n - 1.0f) : 0.0f;
    if (!(variance > 0.0f)) variance = 0.0f;
    const float sigma = std::sqrt(variance);
    const int hi = saturated_int(sigma * desc.K + m + 0.5f);
    std::snprintf(desc.rapport, sizeof desc.rapport,
                  "conversion lineaire sur [min:%d, moy(%.2f) + %.2f * sigma(%.2f) = %d]\n", lo, static_cast<double>(m),
                  static_cast<double>(desc.K), static_cast<double>(sigma), hi);
    return {lo, hi};
}

Interval between_quantiles(conv16to8_t& desc, float n) {
    const unsigned long long* histo = desc.histo;
    const double q = static_cast<double>(n * desc.K / 100.0f + 0.5f);
    // Each walk stops at the first level where its running count reaches
    // q, or past the last level (65 536 upward, -1 downward).
    unsigned long long total = 0;
    int up = 0;
    for (; up < kLevels; ++up) {
        total += histo[up];
        if (static_cast<double>(total) >= q) break;
    }
    total = 0;
    int down = kLevels - 1;
    for (; down >= 0; --down) {
        total += histo[down];
        if (static_cast<double>(total) >= q) break;
    }
    const int lo = up + 1 > kLevels ? kLevels : up + 1;
    const int hi = down - 1 < -1 ? -1 : down - 1;
    std::snprintf(desc.rapport, sizeof desc.rapport, "conversion lineaire sur [n(%.2f%%):%d, n(100-%.2f%%):%d]\n",
                  static_cast<double>(desc.K), lo, static_cast<double>(desc.K), hi);
    return {lo, hi};
}

Interval zero_to_k(conv16to8_t& desc) {
    const int hi = saturated_int(desc.K);
    std::snprintf(desc.rapport, sizeof desc.rapport, "conversion lineaire sur [%d, %d]\n", 0, hi);
    return {0, hi};
}

void fill_table(unsigned char* table, Interval range) {
    const int lo = range.lo, hi = range.hi;
    if (hi <= lo) {
        // No interval to stretch: a step at lo.
        for (int i = 0; i < kLevels; ++i) table[i] = i <= lo ? 0 : 255;
        return;
    }
    const auto e = static_cast<float>(255.9999 / (static_cast<double>(hi) - static_cast<double>(lo)));
    const float g = -e * static_cast<float>(lo);
    for (int i = 0; i < kLevels; ++i) {
        if (i <= lo) {
            table[i] = 0;
        } else if (i >= hi) {
            table[i] = 255;
        } else {
            const float v = static_cast<float>(i) * e + g + 0.5f;
            table[i] = static_cast<unsigned char>(v <= 0.0f ? 0 : std::min(255, static_cast<int>(v)));
        }
    }
}

}  // namespace

extern "C" {

param* conv16to8_lect(conv16to8_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "conv16to8_lect");
    desc->methode = questions.integer("methode de conversion : 1=[min,moy+K*sigma], 2=[n(K%), n(100-k%)], 3=[0, K]");
    if (desc->methode < 1 || desc->methode > 3)
        fw::fail(1, "\n>> ERREUR conv16to8_lect : methode %d inconnue \n", desc->methode);
    desc->K = questions.real_float("valeur du parametre K");
    return questions.next();
}

int conv16to8_init(conv16to8_t* desc, imau2 in, imau1* out) {
    out->nc = in.nc;
    out->nr = in.nr;
    fw::copy_text(out->nom, std::string(in.nom) + "(conv16to8m" + std::to_string(desc->methode) + ")");
    alloc_imau1(out);
    if (desc->methode == 1 || desc->methode == 2) std::fill_n(desc->histo, kLevels, 0ULL);
    return NO_ERROR;
}

int conv16to8_calc(conv16to8_t* desc, imau2 in, imau1* out) {
    if (desc->methode < 1 || desc->methode > 3)
        fw::fail(1, "\n>> ERREUR conv16to8_calc : methode %d inconnue \n", desc->methode);
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR conv16to8_calc : image resultat %dx%d differente de l'image initiale %dx%d\n", out->nc,
                 out->nr, in.nc, in.nr);
    const std::size_t n = static_cast<std::size_t>(in.nc) * static_cast<std::size_t>(in.nr);
    const unsigned short* pixels = in.pixels[0];

    Interval range{};
    if (desc->methode == 3) {
        range = zero_to_k(*desc);
    } else {
        // Counted afresh on every call, so that a second call sees the
        // same histogram as the first.
        count_levels(*desc, pixels, n);
        const auto count = static_cast<float>(n);
        range = desc->methode == 1 ? smallest_to_mean_plus_k_sigma(*desc, count) : between_quantiles(*desc, count);
    }
    std::printf("\n>>conv16to8 : %s\n", desc->rapport);
    fill_table(desc->table, range);

    const unsigned char* table = desc->table;
    unsigned char* result = out->pixels[0];
    for (std::size_t i = 0; i < n; ++i) result[i] = table[pixels[i]];
    return NO_ERROR;
}

}  // extern "C"
