// Region growing by threshold steps: one raster pass per labelling over the
// image seen as a single line of pixels, a table of 65 535 label links, and
// a painting pass with the input's mean over every region.
//
// A pass first computes the neighbourhood codes of a whole row (a loop over
// bytes that the compiler vectorises), then labels the row pixel by pixel.
// A pixel joined to its upper neighbour alone takes table[up], one look-up
// that stays inside the region; only a pixel that joins two labels searches
// their roots, and links the larger root to the smaller one, so every link
// goes from a larger label to a smaller one and the table is resolved in
// one increasing sweep at the end of the pass.

#include "reggrow.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "block.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

constexpr int kTableSize = 65535;  // labels 0 ... 65 534
constexpr int kLastLabel = kTableSize - 1;

// Neighbourhood code bits.
constexpr unsigned char kUp = 1;      // pixel similar to up
constexpr unsigned char kLeft = 2;    // pixel similar to left
constexpr unsigned char kLeftUp = 4;  // left similar to up

// Ends the process after printing `line`; the status is the number of
// characters printed, which is never 0.
[[noreturn]] void fail_counting(const char* line) { fw::fail(static_cast<int>(std::strlen(line)), "%s", line); }

[[noreturn]] void too_many_labels(int n) {
    char line[64];
    std::snprintf(line, sizeof line, "too many labels nblab=%d\n", n);
    fail_counting(line);
}

// Root of a label, halving the path on the way (links stay from larger to
// smaller labels).
inline int find_root(int* table, int label) {
    while (table[label] != label) {
        table[label] = table[table[label]];
        label = table[label];
    }
    return label;
}

// The label of one pixel from its code (see ordre in the header).
inline void label_pixel(unsigned code, std::ptrdiff_t nc, int* cell, int* table, int& n) {
    switch (code) {
        case 0:
        case kLeftUp:
            if (n == kLastLabel) too_many_labels(n + 1);
            ++n;
            table[n] = n;
            *cell = n;
            return;
        case kUp:
            *cell = table[cell[-nc]];
            return;
        case kLeft:
            *cell = cell[-1];
            return;
        default: {
            const int up = table[cell[-nc]], left = cell[-1];
            if (up == left) {
                *cell = left;
                return;
            }
            int a = find_root(table, up), b = find_root(table, left);
            if (a > b) std::swap(a, b);
            table[b] = a;
            *cell = a;
        }
    }
}

// Whether |a - b| < t, for t already limited to 0 ... 256.
inline bool similar(int a, int b, int t) { return (a > b ? a - b : b - a) < t; }

// One labelling pass (etiq and etiq1 without their own lines). The codes of
// a row depend on the pixels only: they are computed first into the row's
// label cells, where the labelling reads each code before it writes the
// label over it.
void labelling_pass(const unsigned char* ima, int* labels, int nr, int nc, int seuil, int* used, int* effective) {
    if (nr <= 0 || nc <= 0) {
        *used = *effective = 0;
        return;
    }
    int* table = static_cast<int*>(std::malloc(kTableSize * sizeof(int)));
    if (table == nullptr) fw::fail(1, "error ALLOC\n");
    // Differences lie in 0 ... 255: any threshold above 256 acts as 256.
    const int t = std::clamp(seuil, 0, 256);
    const std::ptrdiff_t width = nc;

    // A label's table entry is set when the label is made; no entry is read
    // before that.
    int n = 0;
    table[0] = 0;
    labels[0] = 0;
    for (int x = 1; x < nc; ++x) labels[x] = similar(ima[x], ima[x - 1], t) ? kLeft : 0;
    for (int x = 1; x < nc; ++x) label_pixel(static_cast<unsigned>(labels[x]), width, labels + x, table, n);

    for (int y = 1; y < nr; ++y) {
        // The left neighbour of a row's first pixel is the last pixel of the
        // row above: the block is scanned as one line.
        const unsigned char* p = ima + static_cast<std::ptrdiff_t>(y) * width;
        int* row = labels + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < nc; ++x) {
            const int here = p[x], left = p[x - 1], up = p[x - width];
            row[x] = (similar(here, up, t) ? kUp : 0) | (similar(here, left, t) ? kLeft : 0) |
                     (similar(left, up, t) ? kLeftUp : 0);
        }
        for (int x = 0; x < nc; ++x) label_pixel(static_cast<unsigned>(row[x]), width, row + x, table, n);
    }

    retiq(labels, nr, nc, table, n, used, effective);
    std::free(table);
}

// The thresholds seuil + k * increment, k = 0 ... nb_iter, must be ints;
// being linear in k, they are when both ends are.
void check_thresholds(const reggrow_t* desc) {
    const long long last = desc->seuil + static_cast<long long>(std::max(desc->nb_iter, 0)) * desc->increment;
    if (last < std::numeric_limits<int>::min() || last > std::numeric_limits<int>::max())
        fw::fail(1,
                 "\n>> ERREUR reggrow : seuil %lld hors des entiers a la derniere iteration (seuil de depart %d, "
                 "increment %d, %d iterations)\n",
                 last, desc->seuil, desc->increment, desc->nb_iter);
}

}  // namespace

extern "C" {

param* reggrow_lect(reggrow_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "reggrow_lect");
    desc->nb_iter = questions.integer("nb d'iteration ");
    desc->seuil = questions.integer("seuil de depart aggreg de 2 regions ");
    desc->increment = questions.integer("increment du seuil ");
    desc->taille_min = questions.integer("taille minimum d'une region ");
    return questions.next();
}

int reggrow_init(reggrow_t* desc, imau1* in, imau1* out) {
    check_thresholds(desc);
    alloc_imau1_as(in, out);
    return NO_ERROR;
}

int reggrow_calc(reggrow_t* desc, imau1* in, imau1* out) {
    check_thresholds(desc);
    if (out->nc != in->nc || out->nr != in->nr)
        fw::fail(1, "\n>> ERREUR reggrow_calc : image resultat %dx%d differente de l'image initiale %dx%d\n", out->nc,
                 out->nr, in->nc, in->nr);
    const int nr = in->nr, nc = in->nc;
    if (nr <= 0 || nc <= 0) return NO_ERROR;
    // Every label of the plane is written by each pass before it is read.
    int* labels = static_cast<int*>(
        fw::allocate_block(static_cast<std::size_t>(nr) * static_cast<std::size_t>(nc) * sizeof(int), false));
    if (labels == nullptr)
        fw::fail(1, "\n>> ERREUR reggrow_calc : allocation du plan d'etiquettes (%dx%d) impossible\n", nc, nr);
    const unsigned char* source = in->pixels[0];
    unsigned char* result = out->pixels[0];

    int t = desc->seuil, used = 0, effective = 0, kept = 0;
    etiq(source, labels, nr, nc, t, &used, &effective);
    std::printf("nb d'etiquettes utilisees = %d \n", used);
    std::printf("nb d'etiquettes effectives avant agregation = %d\n", effective);
    moyenne(source, result, labels, nr, nc, used, 0, &kept);
    std::printf("nb d'etiquettes effectives apres agregation = %d\n", kept);

    for (int k = 0; k < desc->nb_iter; ++k) {
        std::printf("iteration %d\n", k);
        t += desc->increment;
        std::printf("seuil: %d\n", t);
        // Regions are found on the previous result, painted from the input.
        etiq1(result, labels, nr, nc, t, &used, &effective);
        std::printf("nb d'etiquettes utilisees = %d\n", used);
        std::printf("nb d'etiquettes effectives avant agregation = %d\n", effective);
        moyenne(source, result, labels, nr, nc, used, k == desc->nb_iter - 1 ? desc->taille_min : 0, &kept);
        std::printf("nb d'etiquettes effectives apres agregation = %d\n", kept);
    }
    std::free(labels);
    return NO_ERROR;
}

void etiq(const unsigned char* ima, int* etiquettes, int nr, int nc, int seuil, int* nb_utilisees, int* nb_effectives) {
    // Every label of the plane is written by the pass, so the plane needs
    // no clearing first.
    std::printf("init image\n");
    labelling_pass(ima, etiquettes, nr, nc, seuil, nb_utilisees, nb_effectives);
}

void etiq1(const unsigned char* ima, int* etiquettes, int nr, int nc, int seuil, int* nb_utilisees,
           int* nb_effectives) {
    labelling_pass(ima, etiquettes, nr, nc, seuil, nb_utilisees, nb_effectives);
}

void ordre(int code, int nc, int* cell, int* table, int* n) {
    label_pixel(static_cast<unsigned>(code), nc, cell, table, *n);
}

void retiq(int* etiquettes, int nr, int nc, int* table, int n, int* nb_utilisees, int* nb_effectives) {
    // Links go from larger to smaller labels: in increasing order, a label's
    // link already points to a resolved label.
    for (int i = 0; i <= n; ++i)
        if (table[i] != i) table[i] = table[table[i]];
    const std::size_t total = static_cast<std::size_t>(nr) * static_cast<std::size_t>(nc);
    int maximum = 0, maxima = 0;
    for (std::size_t p = 0; p < total; ++p) {
        const int label = table[etiquettes[p]];
        etiquettes[p] = label;
        if (label > maximum) {
            maximum = label;
            ++maxima;
        }
    }
    *nb_utilisees = maximum + 1;
    *nb_effectives = maxima + 1;
}

void moyenne(const unsigned char* in, unsigned char* out, const int* etiquettes, int nr, int nc, int nb, int taille_min,
             int* nb_gardees) {
    const std::size_t labels = static_cast<std::size_t>(std::max(nb, 1));
    auto* count = static_cast<std::int64_t*>(std::calloc(labels, sizeof(std::int64_t)));
    auto* sum = static_cast<std::int64_t*>(std::calloc(labels, sizeof(std::int64_t)));
    auto* mean = static_cast<unsigned char*>(std::malloc(labels));
    if (count == nullptr || sum == nullptr || mean == nullptr) fail_counting("no more free space\n");

    // Counted run by run: along a row the label seldom changes.
    const std::size_t total = static_cast<std::size_t>(std::max(nr, 0)) * static_cast<std::size_t>(std::max(nc, 0));
    for (std::size_t p = 0; p < total;) {
        const int label = etiquettes[p];
        const std::size_t start = p;
        std::int64_t run_sum = 0;
        for (; p < total && etiquettes[p] == label; ++p) run_sum += in[p];
        count[label] += static_cast<std::int64_t>(p - start);
        sum[label] += run_sum;
    }
    // A label that owns no pixel paints nothing and is not kept, whatever
    // the minimum size.
    int kept = 0;
    for (int l = 0; l < nb; ++l) {
        if (count[l] > 0 && count[l] > taille_min) {
            mean[l] = static_cast<unsigned char>(sum[l] / count[l]);
            ++kept;
        } else {
            mean[l] = 0;
        }
    }
    for (std::size_t p = 0; p < total; ++p) out[p] = mean[etiquettes[p]];
    *nb_gardees = kept;
    std::free(mean);
    std::free(sum);
    std::free(count);
}

}  // extern "C"
