// dct_matrix.hpp: what logdct and idctexp share: the entries of the
// orthonormal DCT matrix, the allocation of their work area and matrix, and
// the checks of a stack's sizes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>

#include "fail.hpp"
#include "image.h"

namespace dct {

// Pixels handled at once: the work areas hold this many values per image,
// so that one stretch of every image and the output being summed stay in
// the first-level cache, whatever the size of the images.
inline constexpr std::size_t kStretch = 512;

// Four pixels' values, added and multiplied lane by lane (the compiler's
// vector extension: SSE registers on x86-64, plain code elsewhere).
using Lanes = float __attribute__((vector_size(16)));
inline constexpr std::size_t kLanes = sizeof(Lanes) / sizeof(float);

// sums[j] = weights[0] * term(0)[j] + ... + weights[n-1] * term(n-1)[j]
// for j < count, term(m) being a pointer to count values: products and sums
// in single precision, added in increasing m. The sum starts from the first
// product rather than from 0, which differs only when that product is -0
// and every other is zero (callers say why that does not matter to them).
// Pixels go by blocks of kBlock whose sums stay in registers while the n
// terms are added, so a term costs one load, one product and one sum per
// pixel, four pixels per instruction, with eight independent sums in flight.
template <class Term>
inline void weighted_sums(float* __restrict sums, const float* __restrict weights, int n, Term term,
                          std::size_t count) {
    constexpr std::size_t kVectors = 8, kBlock = kVectors * kLanes;
    auto load = [](const float* at) {
        Lanes v;
        std::memcpy(&v, at, sizeof v);
        return v;
    };
    std::size_t j0 = 0;
    for (; j0 + kBlock <= count; j0 += kBlock) {
        Lanes block[kVectors];
        const float* first = term(0) + j0;
        for (std::size_t v = 0; v < kVectors; ++v) block[v] = weights[0] * load(first + v * kLanes);
        for (int m = 1; m < n; ++m) {
            const float weight = weights[m];
            const float* values = term(m) + j0;
            for (std::size_t v = 0; v < kVectors; ++v) block[v] += weight * load(values + v * kLanes);
        }
        for (std::size_t v = 0; v < kVectors; ++v) std::memcpy(sums + j0 + v * kLanes, &block[v], sizeof(Lanes));
    }
    for (std::size_t j = j0; j < count; ++j) {
        float sum = weights[0] * term(0)[j];
        for (int m = 1; m < n; ++m) sum += weights[m] * term(m)[j];
        sums[j] = sum;
    }
}

// Entry (k, m) of the orthonormal n-point DCT-II matrix: sqrt(1/n) on row
// 0; cos(k (2m + 1) pi / (2n)) * sqrt(2/n) below it, each factor rounded to
// single precision before their single-precision product. The DCT-III
// matrix of the inverse transform is its transpose.
inline float entry(int n, int k, int m) {
    if (k == 0) return static_cast<float>(std::sqrt(1.0 / n));
    const double angle = static_cast<double>(k) * (2 * m + 1) * std::numbers::pi / (2.0 * n);
    const float cosine = static_cast<float>(std::cos(angle));
    const float scale = static_cast<float>(std::sqrt(2.0 / n));
    return cosine * scale;
}

// Allocates a work area of `values` floats and an n x n matrix (n row
// pointers over one block), in that order, for the init phase named `who`;
// a failure ends the process with status 1 after the line of what failed.
inline void allocate(int n, std::size_t values, const char* who, float** work, float*** matrix) {
    *work = static_cast<float*>(std::malloc(values * sizeof(float)));
    if (*work == nullptr) fw::fail(1, "\n ERREUR %s : allocation vecteur impossible", who);
    const auto size = static_cast<std::size_t>(n);
    *matrix = static_cast<float**>(std::malloc(size * sizeof(float*)));
    if (*matrix == nullptr) fw::fail(1, "\n ERREUR %s : allocation matrice impossible", who);
    float* block = static_cast<float*>(std::malloc(size * size * sizeof(float)));
    if (block == nullptr) fw::fail(1, "\n ERREUR %s : allocation image impossible", who);
    for (std::size_t k = 0; k < size; ++k) (*matrix)[k] = block + k * size;
}

// Names output k "<first>_<operator>_<k>", cut to the LONG_NOM - 1
// characters a record's name holds.
inline void name_output(char* nom, const char* first, const char* operator_name, int k) {
    const std::string name = std::string(first) + "_" + operator_name + "_" + std::to_string(k);
    const std::size_t length = std::min<std::size_t>(name.size(), LONG_NOM - 1);
    std::memcpy(nom, name.data(), length);
    nom[length] = '\0';
}

// Releases what allocate made and nulls the pointers.
inline void release(float** work, float*** matrix) {
    std::free(*work);
    if (*matrix != nullptr) std::free((*matrix)[0]);
    std::free(*matrix);
    *work = nullptr;
    *matrix = nullptr;
}

// Ends the process with status 1 unless 1 <= n <= most.
inline void check_count(int n, int most, const char* who) {
    if (n < 1 || n > most) fw::fail(1, "\n ERREUR %s : nombre d'images %d refuse (entier de 1 a %d)\n", who, n, most);
}

// Ends the process with status 1, naming both images and their sizes,
// unless image (number `index` of n, from 1, of the stack `what`) has the
// size of the first image of the input stack `first_what`.
template <class Image, class First>
void check_size(const Image& image, const char* what, int index, const First& first, const char* first_what, int n,
                const char* who) {
    if (image.nc != first.nc || image.nr != first.nr)
        fw::fail(1, "\n ERREUR %s : tailles differentes : %s %d/%d (%s) %dx%d, %s 1/%d (%s) %dx%d\n", who, what, index,
                 n, image.nom, image.nc, image.nr, first_what, n, first.nom, first.nc, first.nr);
}

// The same for every image of an input stack of n.
template <class Image>
void check_sizes(const Image* stack, int n, const char* what, const char* who) {
    for (int m = 1; m < n; ++m) check_size(stack[m], what, m + 1, stack[0], what, n, who);
}

}  // namespace dct
