// Distance image with masks optimised for rectangular pixels: the five real
// coefficients of the aspect ratio L, scaled by n and rounded, drive the two
// scans of chamfer_scan.hpp on one plane of ints; the results are then
// rescaled to 0 ... 255 through a table of the 20001 possible values.

#include "distance_imau1.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "block.hpp"
#include "chamfer_scan.hpp"
#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "vector_clones.hpp"

namespace {

// The aspect ratios accepted: within them the single-precision formulas
// below stay within 5e-4 of their exact values, beyond they degrade
// quickly (cancellations in s41 - 2L and s4 - 2) and end in meaningless or
// undefined weights.
constexpr double kSmallestL = 0.0625;
constexpr double kLargestL = 16.0;

constexpr int kInfinity = chamfer::kInfinity<int>;

float square(float x) { return x * x; }

// The real coefficients of the mask for pixels L wide and 1 high.
struct Coefficients {
    float kA, kB, kC, kD, kE;
};

// Every named value is a float; square roots are taken in double precision
// and the expression around one is finished in double before it is stored,
// as C evaluates these formulas.
Coefficients coefficients(float L) {
    const float L2 = square(L);
    const float s1 = static_cast<float>(std::sqrt(static_cast<double>(L2 + 1)));
    const float s4 = static_cast<float>(std::sqrt(static_cast<double>(L2 + 4)));
    const float s41 = static_cast<float>(std::sqrt(static_cast<double>(4 * L2 + 1)));
    const float v = s41 - 2 * L;
    Coefficients k{};
    k.kA = static_cast<float>((std::sqrt(static_cast<double>((square(v) + 1) * 4 * L2)) - 2 * L) / square(v));
    k.kC = k.kA * s41 / L;
    const float G = (2 * L2 + 1) * k.kC - 2 * L2 / s1;
    const float H = 4 * L2 + 1 - L2 / (L2 + 1);
    const float I = square(k.kC) * (L2 + 1) - 4 * L2;
    // The discriminant is not negative; should rounding take it below 0, it
    // counts as 0 rather than giving no root.
    const float discriminant = std::max(square(G) - I * H, 0.0f);
    k.kB = static_cast<float>((G + std::sqrt(static_cast<double>(discriminant))) / H);
    const float t = s4 - 2;
    k.kD = static_cast<float>((2 * L * std::sqrt(static_cast<double>(L2 + square(t))) - 2 * L2) / square(t));
    k.kE = k.kD * s4;
    return k;
}

// The integer weights, floor(k * n + 0.5), held wide enough for any int n.
struct Weights {
    long long A, B, C, D, E;

    // The largest weight of the mask, doubled ones included.
    long long largest() const { return std::max({2 * A, 2 * B, 2 * D, C, E}); }
    long long smallest() const { return std::min({A, B, C, D, E}); }
};

long long weight(float k, int n) { return static_cast<long long>(std::floor(k * static_cast<float>(n) + 0.5)); }

Weights weights(const Coefficients& k, int n) {
    return {weight(k.kA, n), weight(k.kB, n), weight(k.kC, n), weight(k.kD, n), weight(k.kE, n)};
}

// The scales n an aspect ratio allows: every weight at least 1 (a weight
// of 0 would carry the sources' 0 to their neighbours), and 20000 plus the
// largest weight within an int (the candidates of the scans). Weights grow
// with n, so both ends are found by bisection.
struct Scales {
    int lo, hi;
};

Scales scales(float L) {
    const Coefficients k = coefficients(L);
    auto first = [](long long lo, long long hi, auto holds) {  // the first n of lo ... hi that holds, or hi + 1
        while (lo <= hi) {
            const long long mid = lo + (hi - lo) / 2;
            if (holds(static_cast<int>(mid))) hi = mid - 1;
            else lo = mid + 1;
        }
        return lo;
    };
    const long long lo = first(1, INT_MAX, [&](int n) { return weights(k, n).smallest() >= 1; });
    const long long past = first(1, INT_MAX, [&](int n) { return weights(k, n).largest() > INT_MAX - kInfinity; });
    return {static_cast<int>(std::min<long long>(lo, INT_MAX)), static_cast<int>(past - 1)};
}

bool accepted_L(float L) { return L >= kSmallestL && L <= kLargestL; }

// Both scans over the propagation plane, in a clone for each processor.
WITH_AVX2_CLONE void scan_plane(int* plane, std::size_t nc, std::size_t nr, const chamfer::Mask<int>& mask) {
    chamfer::scan(plane, nc, nr, mask);
}

// The whole computation: weights and sizes printed, *out filled with the
// rescaled distances.
void distance(imau1 in, imau1* out, float L, int n) {
    const std::size_t nc = static_cast<std::size_t>(in.nc), nr = static_cast<std::size_t>(in.nr);
    const std::size_t bytes = fw::image_bytes(in.nc, in.nr, sizeof(int));
    int* plane = static_cast<int*>(fw::allocate_block(bytes == 0 ? 1 : bytes, false));
    if (plane == nullptr || (bytes == 0 && nc * nr != 0))
        fw::fail(1, "\n>> ERREUR distance_imau1 : plan de propagation de %dx%d entiers impossible a allouer\n", in.nc,
                 in.nr);

    const Weights w = weights(coefficients(L), n);
    std::printf("Aopt=%lld  Bopt=%lld  Copt=%lld  Dopt=%lld   Eopt=%lld\n", w.A, w.B, w.C, w.D, w.E);
    std::printf("pour n=%d  et L=%f\n", n, L);
    std::printf("largeur= %d  hauteur= %d\n", in.nc, in.nr);

    const chamfer::Mask<int> mask{
        .row1 = static_cast<int>(w.A),
        .row2 = static_cast<int>(2 * w.A),
        .column1 = static_cast<int>(w.D),
        .column2 = static_cast<int>(2 * w.D),
        .diagonal1 = static_cast<int>(w.B),
        .diagonal2 = static_cast<int>(2 * w.B),
        .knight_row = static_cast<int>(w.C),
        .knight_column = static_cast<int>(w.E),
    };
    const std::size_t count = nc * nr;
    const unsigned char* binary = in.pixels[0];
    for (std::size_t k = 0; k < count; ++k) plane[k] = binary[k] != 0 ? kInfinity : 0;
    scan_plane(plane, nc, nr, mask);
    chamfer::clear_frame(plane, nc, nr);

    // Every result lies in 0 ... 20000: one table entry per value.
    const int largest = count == 0 ? 0 : *std::max_element(plane, plane + count);
    unsigned char* result = out->pixels[0];
    if (largest == 0) {
        std::memset(result, 0, count);
    } else {
        std::array<unsigned char, kInfinity + 1> rescaled{};
        for (int r = 0; r <= largest; ++r) rescaled[static_cast<std::size_t>(r)] = static_cast<unsigned char>(r * 255.0 / largest);
        for (std::size_t k = 0; k < count; ++k) result[k] = rescaled[static_cast<std::size_t>(plane[k])];
    }

    std::printf("\nFIN IMAGE DE DISTANCE: \n\n");
    std::free(plane);
}

}  // namespace

extern "C" {

param* distance_imau1_lect(distance_imau1_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "distance_imau1_lect");
    desc->L = static_cast<float>(questions.real("Valeur de l (reel)", kSmallestL, kLargestL));
    const Scales allowed = scales(desc->L);
    desc->n = questions.integer("Valeur de n (entier)", allowed.lo, allowed.hi);
    return questions.next();
}

int distance_imau1_init(distance_imau1_t*, imau1 in, imau1* out) {
    out->nr = in.nr;
    out->nc = in.nc;
    alloc_imau1(out);
    return NO_ERROR;
}

int distance_imau1_calc(distance_imau1_t* desc, imau1 in, imau1* out) {
    if (!accepted_L(desc->L))
        fw::fail(1, "\n>> ERREUR distance_imau1_calc : L=%g refuse (reel de %g a %g)\n", desc->L, kSmallestL, kLargestL);
    const Scales allowed = scales(desc->L);
    if (desc->n < allowed.lo || desc->n > allowed.hi)
        fw::fail(1, "\n>> ERREUR distance_imau1_calc : n=%d refuse pour L=%g (entier de %d a %d)\n", desc->n, desc->L,
                 allowed.lo, allowed.hi);
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR distance_imau1_calc : image resultat %dx%d differente de l'image initiale %dx%d\n",
                 out->nc, out->nr, in.nc, in.nr);
    distance(in, out, desc->L, desc->n);
    return NO_ERROR;
}

}  // extern "C"
