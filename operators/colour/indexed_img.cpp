// Indexed colour image by a self-organising map on a ring.
//
// Training costs what the map defines: about E T / 75 visits, each of N
// distances and at most N + 1 neuron updates. The samples are read from the
// colour planes where they lie (sample t is column t / nr, row t % nr)
// rather than copied into a table of doubles, which would take 24 bytes a
// pixel. The nearest neuron of a colour depends on the colour alone: with
// many neurons the indexing computes it once per distinct colour and keeps
// it in a table of the 2^24 colours (zeroed on demand, so only the pages of
// the colours met are touched), every other pixel being one look-up.

#include "indexed_img.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fail.hpp"
#include "neighbourhood.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

constexpr const char* kWeightsFile = "WEIGHTS.TXT";

// From this many neurons on, a search costs more than a look-up in the
// table of the 2^24 colours, even one that misses the caches: the nearest
// neuron of each colour is then kept once found.
constexpr int kRememberedNeurons = 48;

struct Colour {
    double r, v, b;
};

// The weights of the N neurons, one array per component.
struct Weights {
    double* r;
    double* v;
    double* b;
};

Weights rows_of(const imadb& table) { return {table.pixels[0], table.pixels[1], table.pixels[2]}; }

// The first neuron nearest to a colour. The squared distances go to
// `squares` (a loop the compiler vectorises), their minimum is taken in
// four independent running minima (the order does not change a minimum).
// The winner is the first neuron whose distance, the square root, is the
// smallest: the first whose square is the smallest, unless an earlier
// neuron's square is a little larger but has the same root (only squares
// within a few units in the last place can), which the roots decide.
int nearest(const Weights& w, int n, const Colour& x, double* squares) {
    for (int k = 0; k < n; ++k) {
        const double dr = x.r - w.r[k], dv = x.v - w.v[k], db = x.b - w.b[k];
        squares[k] = dr * dr + dv * dv + db * db;
    }
    double m[4] = {squares[0], squares[0], squares[0], squares[0]};
    int k = 0;
    for (; k + 4 <= n; k += 4)
        for (int j = 0; j < 4; ++j) m[j] = squares[k + j] < m[j] ? squares[k + j] : m[j];
    for (; k < n; ++k) m[0] = squares[k] < m[0] ? squares[k] : m[0];
    const double smallest = std::min(std::min(m[0], m[1]), std::min(m[2], m[3]));
    const double bound = smallest + smallest * 0x1p-48;
    for (k = 0;; ++k)
        if (squares[k] <= bound && (squares[k] == smallest || std::sqrt(squares[k]) == std::sqrt(smallest))) return k;
}

void train(indexed_img_t& d, const imarvb& in) {
    const int n = d.nb_couches, epochs = d.nb_epoques;
    const std::size_t nr = static_cast<std::size_t>(in.nr);
    const std::size_t total = nr * static_cast<std::size_t>(in.nc);
    const auto sample = [&](std::size_t t) {
        const std::size_t x = t / nr, y = t % nr;
        return Colour{static_cast<double>(in.r[y][x]), static_cast<double>(in.v[y][x]), static_cast<double>(in.b[y][x])};
    };
    const Weights w = rows_of(d.poids), work = rows_of(d.poids_travail);
    double* squares = d.distances.pixels[0];
    const unsigned char* wins = d.victoires.pixels[0];

    std::printf("\nOn cree l'ensemble des donnees pour l'entrainement ...");
    const std::size_t step = total / static_cast<std::size_t>(n);
    for (int k = 0; k < n; ++k) {
        const Colour x = sample(static_cast<std::size_t>(k) * step);
        w.r[k] = work.r[k] = x.r;
        w.v[k] = work.v[k] = x.v;
        w.b[k] = work.b[k] = x.b;
    }
    std::printf("fait\n");

    std::printf("\nOn entraine le reseau ...\n");
    const double sigma0 = colour::initial_width(n), sigmaf = colour::final_width();
    double sigma = sigma0;
    double gain[INDEXED_IMG_MAX_COUCHES / 2 + 1];
    const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(double);
    for (int e = 1; e <= std::max(epochs, 1); ++e) {
        std::srand(0);  // every epoch visits the same samples
        const int radius = colour::neighbourhood_radius(n, epochs, e - 1);
        for (int k = 0; k <= radius; ++k) gain[k] = std::exp(-static_cast<double>(k * k) / (2.0 * sigma * sigma));
        // The progress line is the same for every visit of the epoch: shown
        // once, when the epoch starts.
        std::printf("%cEpoque %d / %d en cours...", '\r', e, epochs);
        std::fflush(stdout);
        for (std::size_t t = 0; t < total;) {
            const Colour x = sample(t);
            const int c = nearest(w, n, x, squares);
            const float alpha = 4.75f / (4.75f + static_cast<float>(wins[c]));
            for (int k = c - radius; k <= c + radius; ++k) {
                const int j = k < 0 ? k + n : k >= n ? k - n : k;
                const double rate = alpha * gain[k < c ? c - k : k - c];
                work.r[j] = w.r[j] + rate * (x.r - w.r[j]);
                work.v[j] = w.v[j] + rate * (x.v - w.v[j]);
                work.b[j] = w.b[j] + rate * (x.b - w.b[j]);
            }
            std::memcpy(w.r, work.r, bytes);
            std::memcpy(w.v, work.v, bytes);
            std::memcpy(w.b, work.b, bytes);
            t += static_cast<std::size_t>(static_cast<long long>(std::rand()) * 150 / 2147483647);
        }
        if (epochs > 0) sigma = std::max(sigmaf, sigma - (sigma0 - sigmaf) / epochs);
    }
    std::printf("fait");
}

void write_weights(const indexed_img_t& d) {
    std::FILE* f = std::fopen(kWeightsFile, "w");
    if (f == nullptr) return;  // the file is a by-product: the indexing goes on without it
    const Weights w = rows_of(d.poids);
    for (int k = 0; k < d.nb_couches; ++k) std::fprintf(f, "%8.4f  %8.4f  %8.4f\n", w.r[k], w.v[k], w.b[k]);
    std::fclose(f);
}

void index_pixels(const indexed_img_t& d, const imarvb& in, imau1* out) {
    std::printf("\nOn cree l'image indexee ...");
    const int n = d.nb_couches;
    const Weights w = rows_of(d.poids);
    for (int k = 0; k < 256; ++k) {
        out->lutr[k] = k < n ? static_cast<unsigned char>(std::ceil(w.r[k])) : 0;
        out->lutv[k] = k < n ? static_cast<unsigned char>(std::ceil(w.v[k])) : 0;
        out->lutb[k] = k < n ? static_cast<unsigned char>(std::ceil(w.b[k])) : 0;
    }
    double* squares = d.distances.pixels[0];
    const std::size_t total = static_cast<std::size_t>(in.nc) * static_cast<std::size_t>(in.nr);
    const unsigned char *r = in.r[0], *v = in.v[0], *b = in.b[0];
    unsigned char* index = out->pixels[0];
    const auto search = [&](std::size_t p) {
        return static_cast<unsigned char>(nearest(w, n, {double(r[p]), double(v[p]), double(b[p])}, squares));
    };
    if (n < kRememberedNeurons) {
        for (std::size_t p = 0; p < total; ++p) index[p] = search(p);
    } else {
        // known[colour] is 1 + the index of the colour's nearest neuron, 0
        // while the colour has not been met.
        std::unique_ptr<std::uint16_t, decltype(&std::free)> known(
            static_cast<std::uint16_t*>(std::calloc(std::size_t{1} << 24, sizeof(std::uint16_t))), &std::free);
        if (!known) fw::fail(1, "\n>> ERREUR indexed_img_calc : allocation impossible\n");
        std::uint16_t* table = known.get();
        for (std::size_t p = 0; p < total; ++p) {
            std::uint16_t& entry = table[std::size_t{r[p]} << 16 | std::size_t{v[p]} << 8 | b[p]];
            if (entry == 0) entry = static_cast<std::uint16_t>(1 + search(p));
            index[p] = static_cast<unsigned char>(entry - 1);
        }
    }
    std::printf("fait \n");
}

template <class Image>
void allocate(Image* image, int nr, int nc) {
    image->nr = nr;
    image->nc = nc;
    fw::alloc_image(image);
}

template <class Image>
void release(Image* image) {
    if (image->pixels != nullptr) fw::free_image(image);
    image->pixels = nullptr;
}

}  // namespace

extern "C" {

param* indexed_img_lect(indexed_img_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "indexed_img_lect");
    desc->nb_couches = questions.integer("Nombre de couches - val. max 256 (entier)", INDEXED_IMG_MIN_COUCHES,
                                         INDEXED_IMG_MAX_COUCHES);
    desc->nb_epoques = questions.integer("Nombre d'epoques (entier)", 0, INT32_MAX);
    desc->distances.pixels = desc->poids.pixels = desc->poids_travail.pixels = nullptr;
    desc->victoires.pixels = nullptr;
    return questions.next();
}

int indexed_img_init(indexed_img_t* desc, imarvb in, imau1* out) {
    const int n = desc->nb_couches;
    if (n < INDEXED_IMG_MIN_COUCHES || n > INDEXED_IMG_MAX_COUCHES || desc->nb_epoques < 0)
        fw::fail(1, "\n>> ERREUR indexed_img_init : %d couches (4 a 256) et %d epoques (0 ou plus) refuses\n", n,
                 desc->nb_epoques);
    out->nc = in.nc;
    out->nr = in.nr;
    std::snprintf(out->nom, sizeof out->nom, "%s", in.nom);
    alloc_imau1(out);
    alloc_lut_u12(out);
    allocate(&desc->distances, n, 1);
    allocate(&desc->poids, 3, n);
    allocate(&desc->poids_travail, 3, n);
    allocate(&desc->victoires, n, 1);
    std::memset(desc->victoires.pixels[0], 0, static_cast<std::size_t>(n));
    return NO_ERROR;
}

int indexed_img_calc(indexed_img_t* desc, imarvb in, imau1* out) {
    if (desc->distances.pixels == nullptr || desc->distances.nr != desc->nb_couches || out->lutr == nullptr ||
        in.nc != out->nc || in.nr != out->nr)
        fw::fail(1, "\n>> ERREUR indexed_img_calc : phase d'initialisation absente pour cette image\n");
    train(*desc, in);
    write_weights(*desc);
    index_pixels(*desc, in, out);
    release(&desc->victoires);
    release(&desc->poids_travail);
    release(&desc->distances);
    return NO_ERROR;
}

void alloc_lut_u12(imau1* img) {
    if (img->lutr != nullptr && img->lutv != nullptr && img->lutb != nullptr) free_lut_u12(img);
    img->lutr = static_cast<unsigned char*>(std::malloc(256));
    img->lutv = static_cast<unsigned char*>(std::malloc(256));
    img->lutb = static_cast<unsigned char*>(std::malloc(256));
    if (img->lutr == nullptr || img->lutv == nullptr || img->lutb == nullptr)
        fw::fail(1, "lutr, lutv, lutb: ERREUR allocation impossible\n");
}

void free_lut_u12(imau1* img) {
    std::free(img->lutr);
    std::free(img->lutv);
    std::free(img->lutb);
    img->lutr = img->lutv = img->lutb = nullptr;
}

}  // extern "C"
