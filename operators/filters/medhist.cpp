// Square median filter of an 8-bit image: the 3D sliding-histogram median
// (sliding_median.hpp) on a volume of one plane with a window one plane
// deep. Each column keeps the histogram of its w pixels of the current
// window rows; one step down the image moves one pixel out of and one into
// every column histogram, and along a row the window histogram is the sum
// of w column histograms, slid by adding one and removing one. The cost per
// pixel is therefore the same for every window size.

#include "medhist.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "sliding_median.hpp"
#include "text_input.hpp"

namespace {

constexpr const char* kSizeQuestion = "taillefenetre (impaire)";

bool positive_odd(int size) { return size > 0 && size % 2 == 1; }

inline unsigned char median_of_3(unsigned char a, unsigned char b, unsigned char c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The 3 x 3 medians of the interior rows and columns. With the three values
// of every column sorted (low, middle, high), the median of a window is the
// median of the largest of its three lows, the median of its three middles
// and the smallest of its three highs; every step is a minimum or a maximum
// of bytes, so the loops vectorise.
void median_3x3(const unsigned char* in, unsigned char* out, std::size_t nc, std::size_t nr) {
    std::vector<unsigned char> low(nc), middle(nc), high(nc);
    for (std::size_t y = 1; y + 1 < nr; ++y) {
        const unsigned char* a = in + (y - 1) * nc;
        const unsigned char* b = a + nc;
        const unsigned char* c = b + nc;
        for (std::size_t x = 0; x < nc; ++x) {
            const unsigned char s = std::min(a[x], b[x]), t = std::max(a[x], b[x]);
            low[x] = std::min(s, c[x]);
            const unsigned char u = std::max(s, c[x]);
            middle[x] = std::min(t, u);
            high[x] = std::max(t, u);
        }
        unsigned char* row = out + y * nc;
        for (std::size_t x = 1; x + 1 < nc; ++x) {
            const unsigned char lows = std::max(std::max(low[x - 1], low[x]), low[x + 1]);
            const unsigned char highs = std::min(std::min(high[x - 1], high[x]), high[x + 1]);
            row[x] = median_of_3(lows, median_of_3(middle[x - 1], middle[x], middle[x + 1]), highs);
        }
    }
}

// Whether the n-byte blocks at a and b share a byte.
bool overlap(const unsigned char* a, const unsigned char* b, std::size_t n) {
    const auto x = reinterpret_cast<std::uintptr_t>(a), y = reinterpret_cast<std::uintptr_t>(b);
    return x < y + n && y < x + n;
}

}  // namespace

extern "C" {

param* medhist_lect(medhist_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "medhist_lect");
    desc->taillefenetre = questions.integer(kSizeQuestion);
    if (desc->taillefenetre % 2 == 0) fw::fail(1, "\n>> ERREUR taillefenetre : dimensions incorrectes\n");
    if (desc->taillefenetre < 0) questions.refuse_last("entier impair positif");
    return questions.next();
}

int medhist_init(medhist_t* desc, imau1 in, imau1* out) {
    out->nc = in.nc;
    out->nr = in.nr;
    fw::copy_text(out->nom, std::string(in.nom) + "(medhist " + std::to_string(desc->taillefenetre) + ")");
    alloc_imau1(out);
    return NO_ERROR;
}

int medhist_calc(medhist_t* desc, imau1 in, imau1* out) {
    if (!positive_odd(desc->taillefenetre))
        fw::fail(1, "\n>> ERREUR medhist_calc : taillefenetre %d incorrecte (entier impair positif)\n",
                 desc->taillefenetre);
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR medhist_calc : image resultat %dx%d differente de l'image initiale %dx%d\n", out->nc,
                 out->nr, in.nc, in.nr);
    mstd2d(in.pixels[0], out->pixels[0], in.nc, in.nr, desc->taillefenetre);
    return NO_ERROR;
}

void mstd2d(const unsigned char* in, unsigned char* out, int nc, int nr, int w) {
    if (!positive_odd(w)) fw::fail(1, "\n>> ERREUR mstd2d : taille de fenetre %d incorrecte (entier impair positif)\n", w);
    if (nc < 0 || nr < 0) fw::fail(1, "\n>> ERREUR mstd2d : dimensions %dx%d incorrectes\n", nc, nr);
    const std::size_t width = static_cast<std::size_t>(nc);
    const std::size_t n = width * static_cast<std::size_t>(nr);
    if (n == 0) return;
    if (in == nullptr || out == nullptr) fw::fail(1, "\n>> ERREUR mstd2d : bloc de pixels absent\n");

    // The filter reads input rows after it has written output rows above
    // them: an output that overlaps the input is computed from a copy.
    std::vector<unsigned char> copy;
    if (overlap(in, out, n)) {
        copy.assign(in, in + n);
        in = copy.data();
    }
    // No window fits: every pixel is a border pixel.
    if (w > nc || w > nr) {
        std::memcpy(out, in, n);
        return;
    }

    // The border keeps the input: the first and last h rows, and the first
    // and last h pixels of the rows between.
    const std::size_t h = static_cast<std::size_t>(w / 2);
    const std::size_t rows = static_cast<std::size_t>(nr);
    std::memcpy(out, in, h * width);
    std::memcpy(out + (rows - h) * width, in + (rows - h) * width, h * width);
    for (std::size_t y = h; y < rows - h; ++y) {
        std::memcpy(out + y * width, in + y * width, h);
        std::memcpy(out + y * width + width - h, in + y * width + width - h, h);
    }

    if (w == 3) {
        median_3x3(in, out, width, rows);
        return;
    }
    sliding_median::median_filter(
        {nc, nr, 1}, {w, w, 1}, [&](int y, int) { return in + static_cast<std::size_t>(y) * width; },
        [&](int y, int) { return out + static_cast<std::size_t>(y) * width; });
}

}  // extern "C"
