// Crisp classes from fuzzy memberships, ties settled by the 3 x 3 sums.
//
// The first pass walks each row of the rectangle in stretches of
// kStretch points: the running maximum, its class and the number of
// classes holding it are kept in small arrays and updated class row after
// class row, in loops that the compiler vectorises. The few uncertain
// points are then settled one by one.

#include "defuzzyfication.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fail.hpp"

namespace {

constexpr int kStretch = 256;

// The class of the largest value among values(c) for c < classes, the
// maximum starting from 0.0 and replaced by strictly greater values; sets
// *ties to the number of classes equal to that maximum.
template <class Value>
int choose(int classes, Value values, int* ties, float* maximum) {
    float best = 0.0f;
    int chosen = 0;
    for (int c = 0; c < classes; ++c)
        if (values(c) > best) {
            best = values(c);
            chosen = c;
        }
    int equal = 0;
    for (int c = 0; c < classes; ++c) equal += values(c) == best;
    *ties = equal;
    *maximum = best;
    return chosen;
}

// First pass over the `count` points from `first` on, within one row;
// those at x_lo ... x_hi of the stretch are interior and may stay
// uncertain. Returns the number of uncertain points.
int decide_stretch(float* const* m, int classes, int first, int count, int x_lo, int x_hi, int* labels,
                   int* uncertain) {
    float best[kStretch];
    int chosen[kStretch], ties[kStretch];
    std::fill(best, best + count, 0.0f);
    std::fill(chosen, chosen + count, 0);
    std::fill(ties, ties + count, 0);
    for (int c = 0; c < classes; ++c) {
        const float* v = m[c] + first;
        for (int j = 0; j < count; ++j) {
            const bool greater = v[j] > best[j];
            best[j] = greater ? v[j] : best[j];
            chosen[j] = greater ? c : chosen[j];
        }
    }
    for (int c = 0; c < classes; ++c) {
        const float* v = m[c] + first;
        for (int j = 0; j < count; ++j) ties[j] += v[j] == best[j];
    }
    int found = 0;
    for (int j = 0; j < count; ++j) {
        const bool open = j >= x_lo && j <= x_hi && ties[j] != 1;
        uncertain[first + j] = open;
        found += open;
        if (!open) labels[first + j] = chosen[j];
    }
    return found;
}

}  // namespace

extern "C" {

param* defuzzyfication_voisinage_3x3_lect(defuzzyfication_voisinage_3x3_t*, param* ptp) { return ptp; }

int defuzzyfication_voisinage_3x3_init(defuzzyfication_voisinage_3x3_t* desc, data_output in, data_output* out) {
    std::printf("\nDefuzzyfication init...");
    if (in.type != DATA_OUTPUT_FUZZY || in.nb_classes < 1)
        fw::fail(1, "\nErreur defuzz init : sortie floue d'au moins une classe attendue (type %d, %d classes)\n",
                 in.type, in.nb_classes);
    if (in.equ_nb_rows < 0 || in.equ_nb_cols < 0 ||
        static_cast<long long>(in.equ_nb_rows) * in.equ_nb_cols != in.nb_pts)
        fw::fail(1, "\nErreur defuzz init : les %d points ne forment pas une image de %d lignes x %d colonnes\n",
                 in.nb_pts, in.equ_nb_rows, in.equ_nb_cols);
    desc->nb_classes = in.nb_classes;
    out->nb_classes = in.nb_classes;
    out->nb_pts = in.nb_pts;
    out->equ_nb_rows = in.equ_nb_rows;
    out->equ_nb_cols = in.equ_nb_cols;
    out->type = DATA_OUTPUT_CRISP;
    alloc_classifier_data_output(out);
    desc->sommes = static_cast<float*>(std::calloc(static_cast<std::size_t>(in.nb_classes), sizeof(float)));
    desc->incertain = static_cast<int*>(std::calloc(static_cast<std::size_t>(std::max(in.nb_pts, 1)), sizeof(int)));
    if (desc->sommes == nullptr || desc->incertain == nullptr) fw::fail(1, "Erreur defuzz init memoire insuffisante\n");
    desc->nb_incertains = desc->nb_incertains_restants = 0;
    desc->max_courant = 0.0f;
    std::printf("OK\n");
    return NO_ERROR;
}

int defuzzyfication_voisinage_3x3_calc(defuzzyfication_voisinage_3x3_t* desc, data_output in, data_output* out) {
    std::printf("\nDefuzzyfication calcul...");
    if (desc->incertain == nullptr || desc->nb_classes != in.nb_classes || in.type != DATA_OUTPUT_FUZZY ||
        out->type != DATA_OUTPUT_CRISP || out->nb_pts != in.nb_pts ||
        in.nb_pts != static_cast<long long>(in.equ_nb_rows) * in.equ_nb_cols)
        fw::fail(1, "\nErreur defuzz calc : donnees differentes de celles de l'initialisation\n");
    const int w = in.equ_nb_cols, h = in.equ_nb_rows, classes = in.nb_classes;
    float* const* m = in.data.fuzzy;
    int* labels = out->data.crisp;

    // First pass: interior points (rows 1 ... h - 2, columns 1 ... w - 2)
    // with a maximum held by other than one class stay uncertain.
    desc->nb_incertains = desc->nb_incertains_restants = 0;
    for (int y = 0; y < h; ++y) {
        const bool interior_row = y >= 1 && y <= h - 2;
        for (int x0 = 0; x0 < w; x0 += kStretch) {
            const int count = std::min(kStretch, w - x0);
            const int x_lo = interior_row ? std::max(0, 1 - x0) : count;
            const int x_hi = interior_row ? std::min(count - 1, w - 2 - x0) : -1;
            desc->nb_incertains += decide_stretch(m, classes, y * w + x0, count, x_lo, x_hi, labels, desc->incertain);
        }
    }

    std::printf("Nb. de donn\351es incertaines initiales = %d.", desc->nb_incertains);
    if (desc->nb_incertains < 0) fw::fail(1, "Erreur defuzz calc : nb de data < 0");
    if (desc->nb_incertains == 0) {
        std::printf("Donc pas besoin de fen\352tre de v\351rification.\n");
        return NO_ERROR;
    }
    std::printf(
        " Incorrect. \nN\351cessit\351 d'un post traitement des donn\351es incertaines avec fen\352tre 3x3...\n");

    // Second pass: the uncertain points by their 3 x 3 sums.
    float* sums = desc->sommes;
    for (int i = 0; i < in.nb_pts; ++i) {
        if (desc->incertain[i] != 1) continue;
        for (int c = 0; c < classes; ++c) {
            const float* v = m[c];
            float s = 0.0f;
            for (int r = -1; r <= 1; ++r)
                for (int d = -1; d <= 1; ++d) s += v[i + r * w + d];
            sums[c] = s;
        }
        int ties;
        labels[i] = choose(
            classes, [sums](int c) { return sums[c]; }, &ties, &desc->max_courant);
        if (ties > 1) ++desc->nb_incertains_restants;
    }
    if (desc->nb_incertains_restants > 0)
        std::printf("\nApr\350s la v\351rification avec la fen\352tre 3x3 il y a encore %d incertitudes.\n",
                    desc->nb_incertains_restants);
    else
        std::printf("\nLa fen\352tre 3x3 a supprim\351 les incertitudes\n");
    return NO_ERROR;
}

}  // extern "C"
