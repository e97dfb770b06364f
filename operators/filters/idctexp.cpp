// Inverse DCT and exponential across a stack of coefficient images.
//
// The images are walked as their contiguous pixel blocks, one stretch of
// dct::kStretch pixels at a time: for each output, the sums over m of the
// stretch are made in the work area by dct::weighted_sums (vectorised
// across pixels while each pixel's terms are still added in increasing m),
// then their exponentials, then the 16-bit values (a vectorised pass). The
// per-pixel cost is n^2 multiply-adds and n exponentials.

#include "idctexp.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <string>

#include "dct_matrix.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

constexpr const char* kInit = "idctexp_u2_init";

// A 16-bit value from b = e^a / biais + 0.5: 65535 from 65536 on, 0 at 0
// and below and for a b that is not a number (NaN coefficients), else b
// truncated.
inline unsigned short to_level(float b) {
    if (b >= 65536.0f) return 65535;
    return b > 0.0f ? static_cast<unsigned short>(static_cast<int>(b)) : 0;
}

void transform(const idctexp_t& desc, const imafl* in, imau2* out) {
    const int n = desc.nb_images;
    const float biais = desc.biais;
    const std::size_t total = static_cast<std::size_t>(in[0].nc) * static_cast<std::size_t>(in[0].nr);
    float* __restrict a = desc.vecteur;
    for (std::size_t start = 0; start < total; start += dct::kStretch) {
        const std::size_t count = std::min(dct::kStretch, total - start);
        const auto coefficients = [in, start](int m) { return in[m].pixels[0] + start; };
        for (int k = 0; k < n; ++k) {
            // A sum that starts from a first term of -0 may end -0 where
            // 0 + -0 would give +0: e^-0 = e^+0 = 1, the values are the same.
            dct::weighted_sums(a, desc.matrice[k], n, coefficients, count);
            for (std::size_t j = 0; j < count; ++j) a[j] = std::exp(a[j]);
            unsigned short* __restrict level = out[k].pixels[0] + start;
            for (std::size_t j = 0; j < count; ++j) level[j] = to_level(a[j] / biais + 0.5f);
        }
    }
}

// Whether a bias can divide: positive and finite.
bool usable_bias(float biais) { return biais > 0.0f && biais <= FLT_MAX; }

}  // namespace

extern "C" {

param* idctexp_lect(idctexp_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "idctexp_lect");
    desc->nb_images = questions.integer("nombre d'images", 1, IDCTEXP_MAX_IMAGES);
    param* bias_record = questions.next();
    desc->biais = questions.real_float("biais a corriger (division apres l'exponentielle)");
    if (!usable_bias(desc->biais)) {
        const char* text = "biais a corriger (division apres l'exponentielle)";
        const std::string question = debq == nullptr ? text : std::string(debq) + " " + text;
        fw::refuse_reply("idctexp_lect", question.c_str(), bias_record->rep, "reel strictement positif");
    }
    return questions.next();
}

int idctexp_u2_init(idctexp_t* desc, imafl* in, imau2* out) {
    const int n = desc->nb_images;
    dct::check_count(n, IDCTEXP_MAX_IMAGES, kInit);
    if (!usable_bias(desc->biais))
        fw::fail(1, "\n ERREUR %s : biais %g refuse (reel strictement positif)\n", kInit,
                 static_cast<double>(desc->biais));
    dct::check_sizes(in, n, "coefficient", kInit);
    for (int k = 0; k < n; ++k)
        if (out[k].pixels != nullptr) dct::check_size(out[k], "image resultat", k + 1, in[0], "coefficient", n, kInit);

    for (int k = 0; k < n; ++k) {
        if (out[k].pixels != nullptr) continue;
        out[k].nc = in[0].nc;
        out[k].nr = in[0].nr;
        dct::name_output(out[k].nom, in[0].nom, "idctexp", k);
        alloc_imau2(&out[k]);
    }

    dct::allocate(n, dct::kStretch, kInit, &desc->vecteur, &desc->matrice);
    // Entry (k, m) of the inverse is entry (m, k) of the forward matrix.
    for (int k = 0; k < n; ++k)
        for (int m = 0; m < n; ++m) desc->matrice[k][m] = dct::entry(n, m, k);
    return NO_ERROR;
}

int idctexp_u2_calc(idctexp_t* desc, imafl* in, imau2* out) {
    transform(*desc, in, out);
    return NO_ERROR;
}

int idctexp_ferm(idctexp_t* desc) {
    dct::release(&desc->vecteur, &desc->matrice);
    return NO_ERROR;
}

}  // extern "C"
