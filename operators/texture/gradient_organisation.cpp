// Organisation of the 3D gradient: gradients once per plane into rings, the
// structure tensor over a sliding box (running column sums), its
// eigenvalues by the trigonometric roots of the characteristic polynomial,
// an optional Deriche smoothing of the eigenvalue planes, and one attribute
// per voxel, plane by plane from an LVF window to an LVF writer. Nothing
// ever holds more than a few planes.

#include "gradient_organisation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fail.hpp"
#include "lvf_volume.h"
#include "questions.hpp"

#if defined(__x86_64__) && defined(__GNUC__)
#define WITH_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#else
#define WITH_AVX2_CLONE
#endif

namespace {

constexpr const char* kAttributes[] = {
    "\n\t         1 : v1",
    "\n\t         2 : v2",
    "\n\t         3 : v3",
    "\n\t         4 : v1+v2+v3",
    "\n\t         5 : v2-v3",
    "\n\t         6 : (v2-v3)/(v1+v2+v3)",
    "\n\t         7 : v2+v3",
    "\n\t         8 : (v2+v3)/(v1+v2+v3)",
    "\n\t         9 : erreur de flux",
    "\n\t        10 : v3/(v1+v2+v3)",
    "\n\t        11 : v2*v3",
    "\n\t        12 : (v2*v3)/(v1+v2+v3)'2",
    "\n\t        13 : v1*v2*v3",
    "\n\t        14 : (v1*v2*v3)/(v1+v2+v3)'3",
    "\n\t        15 : (v2+v3)'n/(v1+v2+v3)'p",
    "\n\t        16 : v2/(v1+v3)",
    "\n\t        17 : (v2-v3)/(v2+v3)",
};

// Attribute 15 is listed but has no defined value (its exponents are never
// asked), so it is refused like a type outside the list.
bool valid_type(int type) { return type >= 1 && type <= 17 && type != 15; }
bool positive_odd(int size) { return size > 0 && size % 2 == 1; }

std::size_t plane_size(int nc, int nr) { return static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr); }

// A zero-filled block of `count` values, or the end of the process.
template <class T>
T* zeroed(std::size_t count) {
    T* block = static_cast<T*>(std::calloc(count, sizeof(T)));
    if (block == nullptr) fw::fail(1, "\n>> ERREUR gradient_organisation_init : allocation impossible\n");
    return block;
}

// Scratch storage kept between calls (the suite is single-threaded), so
// that the per-plane functions allocate only when a plane grows.
template <class T>
T* scratch(std::vector<T>& storage, std::size_t count) {
    if (storage.size() < count) storage.resize(count);
    return storage.data();
}

// The normalised kernels of the gradient filters, offsets 0 ... n:
// smoothing f(i) = (alpha i + 1) e^(-alpha i), derivative g(i) = i e^(-alpha i),
// each divided by its sum over both sides.
struct Kernels {
    std::vector<float> f, g;
};

Kernels gradient_kernels(float alpha, int n) {
    std::vector<double> f(static_cast<std::size_t>(n) + 1), g(f.size());
    double sum_f = 0, sum_g = 0;
    for (int i = 0; i <= n; ++i) {
        const double decay = std::exp(-static_cast<double>(alpha) * i);
        f[i] = (static_cast<double>(alpha) * i + 1) * decay;
        g[i] = i * decay;
        sum_f += (i == 0 ? 1 : 2) * f[i];
        sum_g += (i == 0 ? 1 : 2) * g[i];
    }
    Kernels k{std::vector<float>(f.size()), std::vector<float>(f.size())};
    for (std::size_t i = 0; i < f.size(); ++i) {
        k.f[i] = static_cast<float>(f[i] / sum_f);
        k.g[i] = static_cast<float>(g[i] / sum_g);
    }
    return k;
}

// Symmetric matrix entries in the order xx, xy, xz, yy, yz, zz.
using Tensor = double[6];

// The eigen-decomposition of Equation3D. Only the eigenvector of the first
// value is computed unless all three are wanted.
template <bool AllVectors>
void decompose(const Tensor t, int mode, double values[3], double vectors[3][3]) {
    const double xx = t[0], xy = t[1], xz = t[2], yy = t[3], yz = t[4], zz = t[5];
    const double c2 = -(xx + yy + zz);
    const double c1 = xx * yy + xx * zz + yy * zz - xy * xy - xz * xz - yz * yz;
    const double c0 = -(xx * yy * zz + 2 * xy * xz * yz - zz * xy * xy - yy * xz * xz - xx * yz * yz);
    if (xx == 0 && xy == 0 && xz == 0 && yy == 0 && yz == 0 && zz == 0) {
        // The zero matrix, the most frequent one (no gradient): the formulas
        // below give exactly these values and no vector.
        for (int k = 0; k < 3; ++k) values[k] = 0;
        for (int k = 0; k < (AllVectors ? 3 : 1); ++k) {
            vectors[k][0] = 1;
            vectors[k][1] = vectors[k][2] = 0;
        }
    } else {
        // A symmetric matrix has real roots: p <= 0 and a discriminant <= 0.
        // Positive values are rounding (a double or triple root) and are
        // taken as 0, which gives the multiple root instead of losing all
        // three eigenvalues.
        const double p = std::min(0.0, c1 - c2 * c2 / 3);
        const double q = c2 * c1 / (-3) + c0 + 2 * c2 * c2 * c2 / 27;
        const double delta = std::min(0.0, q * q + 4 * p * p * p / 27);
        // The roots are r cos(angle) - c2/3 for the angles phi/3, (phi +
        // 6.2832)/3 and (phi + 12.5664)/3, that is phi/3 shifted by 2.0944
        // and 4.1888 (decimal steps, not exact thirds of a turn): one cosine
        // and one sine of phi/3 give the three by the addition formula.
        static const double kCos1 = std::cos(2.0944), kSin1 = std::sin(2.0944);
        static const double kCos2 = std::cos(4.1888), kSin2 = std::sin(4.1888);
        const double third = delta == 0 && q == 0 ? 0.0 : std::atan2(std::sqrt(-delta), -q) / 3;
        const double c = std::cos(third), s = std::sin(third);
        const double cosines[3] = {c, c * kCos1 - s * kSin1, c * kCos2 - s * kSin2};
        const double r = 2 * std::sqrt(-p / 3);
        for (int k = 0; k < 3; ++k) values[k] = r * cosines[k] - c2 / 3;
        if (std::fabs(values[0]) < std::fabs(values[1])) std::swap(values[0], values[1]);
        if (std::fabs(values[0]) < std::fabs(values[2])) std::swap(values[0], values[2]);
        if (std::fabs(values[1]) < std::fabs(values[2])) std::swap(values[1], values[2]);

        for (int k = 0; k < (AllVectors ? 3 : 1); ++k) {
            const double l = values[k];
            double* v = vectors[k];
            const double d1 = (yy - l) * (zz - l) - yz * yz;
            const double d2 = (xx - l) * (yy - l) - xy * xy;
            const double d3 = (xx - l) * (zz - l) - xz * xz;
            // Each branch solves two rows of (m - l) v = 0 with one
            // component set to 1; the first minor far enough from 0 wins.
            if (std::fabs(d1) > 0.01) {
                v[0] = 1;
                v[1] = (yz * xz - (zz - l) * xy) / d1;
                v[2] = (xy * yz - (yy - l) * xz) / d1;
            } else if (std::fabs(d2) > 0.01) {
                v[0] = (yz * xy - (yy - l) * xz) / d2;
                v[1] = (xy * xz - (xx - l) * yz) / d2;
                v[2] = 1;
            } else if (std::fabs(d3) > 0.01) {
                v[0] = (yz * xz + (l - zz) * xy) / d3;
                v[1] = 1;
                v[2] = (xz * xy + (l - xx) * yz) / d3;
            } else {
                v[0] = v[1] = v[2] = 0;
            }
            const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            if (length > 0.01) {
                for (int c = 0; c < 3; ++c) v[c] /= length;
            } else {
                v[0] = 1;
                v[1] = v[2] = 0;
            }
        }
    }
    if (mode == 1) {
        values[0] = std::fabs(c2);
        values[1] = std::fabs(c1);
        values[2] = std::fabs(c0);
    }
}

void check_mode(int mode, const char* who) {
    if (mode != 0 && mode != 1) fw::fail(1, "\n>> ERREUR %s : mode %d inconnu (0 ou 1)\n", who, mode);
}

// The descriptor's parameters, however it was filled.
void check_parameters(const gradient_organisation_t* d, const char* who) {
    if (!(d->alpha >= 0) || !std::isfinite(d->alpha))
        fw::fail(1, "\n>> ERREUR %s : alpha %g incorrect (reel positif ou nul)\n", who, d->alpha);
    if (!positive_odd(d->acp_x) || !positive_odd(d->acp_y) || !positive_odd(d->acp_z))
        fw::fail(1, "\n>> ERREUR %s : taille ACP %dx%dx%d incorrecte (entiers impairs positifs)\n", who, d->acp_x,
                 d->acp_y, d->acp_z);
    if (d->taille_gradient < 2)
        fw::fail(1, "\n>> ERREUR %s : taille gradient %d incorrecte (au moins 2)\n", who, d->taille_gradient);
    if (!valid_type(d->type_attribut))
        fw::fail(1, "\n>> ERREUR %s : type d'attribut %d inconnu (1 a 17, sauf 15)\n", who, d->type_attribut);
}

// The attribute of every pixel of a plane, scaled, as 8-bit traces.
void store_attributes(const gradient_organisation_t* d, unsigned char** traces) {
    const int type = d->type_attribut;
    const float coef = d->coef_normalisation;
    for (int y = 0; y < d->nr; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(d->nc);
        unsigned char* out = traces[y];
        for (int x = 0; x < d->nc; ++x)
            out[x] = gradient_organisation_valeur(
                gradient_organisation_attribut(type, d->v1[row + x], d->v2[row + x], d->v3[row + x]), coef);
    }
}

// One pass of the gradient filters at samples [xa, xb) of a row: along x
// from the row v itself, along y from the rows around v (rows `width`
// apart). A derivative is g(1)(v(1) - v(-1)) + ... from 0, a smoothing
// f(0)v(0) + f(1)(v(-1) + v(1)) + ..., each term added in this order.
template <bool Derive>
void along_x(const float* v, float* o, std::size_t xa, std::size_t xb, const float* f, const float* g, int n) {
    for (std::size_t x = xa; x < xb; ++x) o[x] = Derive ? 0.0f : f[0] * v[x];
    for (int i = 1; i <= n; ++i) {
        const std::size_t d = static_cast<std::size_t>(i);
        for (std::size_t x = xa; x < xb; ++x)
            o[x] += Derive ? g[i] * (v[x + d] - v[x - d]) : f[i] * (v[x - d] + v[x + d]);
    }
}

template <bool Derive>
void along_y(const float* v, std::size_t width, float* o, std::size_t xa, std::size_t xb, const float* f,
             const float* g, int n) {
    for (std::size_t x = xa; x < xb; ++x) o[x] = Derive ? 0.0f : f[0] * v[x];
    for (int i = 1; i <= n; ++i) {
        const float* before = v - i * width;
        const float* after = v + i * width;
        for (std::size_t x = xa; x < xb; ++x)
            o[x] += Derive ? g[i] * (after[x] - before[x]) : f[i] * (before[x] + after[x]);
    }
}

// Adds the six products of the gradients (a, b, c) of n pixels to the sums
// xx, xy, xz, yy, yz, zz. Each product of two 16-bit values fits 32 bits.
inline __attribute__((always_inline)) void add_products(const short* __restrict a, const short* __restrict b,
                                                        const short* __restrict c, std::size_t n,
                                                        std::int64_t* __restrict xx, std::int64_t* __restrict xy,
                                                        std::int64_t* __restrict xz, std::int64_t* __restrict yy,
                                                        std::int64_t* __restrict yz, std::int64_t* __restrict zz) {
    for (std::size_t x = 0; x < n; ++x) {
        const int u = a[x], v = b[x], w = c[x];
        xx[x] += u * u;
        xy[x] += u * v;
        xz[x] += u * w;
        yy[x] += v * v;
        yz[x] += v * w;
        zz[x] += w * w;
    }
}

// The six products of the gradients at offset `at` of each of the bz ring
// planes, summed over the planes into six blocks of `width` (64-bit).
// Compiled also for AVX2, whose vectors widen and multiply eight values at
// a time (the loader picks the clone the processor runs).
WITH_AVX2_CLONE void row_products(short* const* gx, short* const* gy, short* const* gz, int bz, std::size_t at,
                                  std::size_t width, std::int64_t* out) {
    std::fill(out, out + 6 * width, 0);
    for (int p = 0; p < bz; ++p)
        add_products(gx[p] + at, gy[p] + at, gz[p] + at, width, out, out + width, out + 2 * width, out + 3 * width,
                     out + 4 * width, out + 5 * width);
}

}  // namespace

extern "C" {

param* gradient_organisation_lect(gradient_organisation_t* desc, param* ptp, const char* /*debq*/) {
    fw::Questions questions(ptp, nullptr, "gradient_organisation_lect");
    desc->alpha = questions.real_float("Alpha (filtre de Deriche):");
    if (desc->alpha < 0) questions.refuse_last("reel positif ou nul");
    desc->acp_x = questions.odd_window("Taille ACP x:");
    desc->acp_y = questions.odd_window("Taille ACP y:");
    desc->acp_z = questions.odd_window("Taille ACP z:");
    desc->taille_gradient = questions.integer("Taille gradient:");
    if (desc->taille_gradient < 2) questions.refuse_last("entier d'au moins 2");
    std::printf("\nListe des attributs");
    for (const char* line : kAttributes) std::printf("%s", line);
    desc->type_attribut = questions.integer("Type d'attribut:");
    if (!valid_type(desc->type_attribut)) questions.refuse_last("entier de 1 a 17, sauf 15");
    desc->coef_normalisation = questions.real_float("Coefficient de normalisation:");
    return questions.next();
}

int gradient_organisation_init(gradient_organisation_t* desc, ima3Du1 in) {
    const char* who = "gradient_organisation_init";
    check_parameters(desc, who);
    const long long span = 2LL * (desc->taille_gradient / 2) + 1;
    if (span > in.dimx || span > in.dimy || span > in.dimz)
        fw::fail(1,
                 "\n>> ERREUR %s : taille gradient %d (filtres de %lld voxels) trop grande pour le volume %dx%dx%d\n",
                 who, desc->taille_gradient, span, in.dimx, in.dimy, in.dimz);
    if (desc->acp_x > in.dimx || desc->acp_y > in.dimy || desc->acp_z > in.dimz)
        fw::fail(1, "\n>> ERREUR %s : taille ACP %dx%dx%d trop grande pour le volume %dx%dx%d\n", who, desc->acp_x,
                 desc->acp_y, desc->acp_z, in.dimx, in.dimy, in.dimz);
    desc->nc = in.dimx;
    desc->nr = in.dimy;
    const std::size_t n = plane_size(in.dimx, in.dimy);
    for (short*** ring : {&desc->gx, &desc->gy, &desc->gz}) {
        *ring = zeroed<short*>(static_cast<std::size_t>(desc->acp_z));
        for (int slot = 0; slot < desc->acp_z; ++slot) (*ring)[slot] = zeroed<short>(n);
    }
    for (float** plane : {&desc->dir_x, &desc->dir_y, &desc->dir_z, &desc->v1, &desc->v2, &desc->v3})
        *plane = zeroed<float>(n);
    desc->alpha_gradient = CalculAlpha(desc->taille_gradient, 50, 0.02f);
    return NO_ERROR;
}

int gradient_organisation_calc(gradient_organisation_t* desc, ima3Du1* in, ima3Du1* out) {
    const char* who = "gradient_organisation_calc";
    check_parameters(desc, who);
    const int n = desc->taille_gradient / 2, nc = desc->nc, nr = desc->nr, planes = in->dimz;
    const int depth = desc->acp_z, half = depth / 2;
    if (desc->gx == nullptr || in->dimx != nc || in->dimy != nr)
        fw::fail(1, "\n>> ERREUR %s : operateur non initialise pour des plans de %dx%d\n", who, in->dimx, in->dimy);
    if (in->data == nullptr || in->fichier == nullptr || in->nb_seq != 2 * n + 1 || in->courant != n)
        fw::fail(
            1, "\n>> ERREUR %s : fenetre de lecture incorrecte (%d plans centres sur le plan %d, attendu %d sur %d)\n",
            who, in->nb_seq, in->courant, 2 * n + 1, n);
    if (out->data == nullptr || out->fichier == nullptr || out->dimx != nc || out->dimy != nr || out->nb_seq < 1 ||
        out->courant != 0)
        fw::fail(1, "\n>> ERREUR %s : fenetre d'ecriture incorrecte\n", who);

    const std::size_t area = plane_size(nc, nr);
    // The gradient of input plane k (from 0) into ring slot `slot`: zero
    // outside the volume and within n planes of its ends, where the filters
    // across planes do not fit. The window is centred on file plane courant
    // (counted from 1), so plane k needs courant = k + 1.
    auto gradient_of = [&](int slot, int k) {
        if (k < n || k > planes - 1 - n) {
            std::memset(desc->gx[slot], 0, area * sizeof(short));
            std::memset(desc->gy[slot], 0, area * sizeof(short));
            std::memset(desc->gz[slot], 0, area * sizeof(short));
            return;
        }
        while (in->courant < k + 1)
            if (lect_volume_u1_sequence_next(in) != 0)
                fw::fail(1, "\n>> ERREUR %s : lecture du plan %d du volume initial impossible\n", who,
                         in->courant + n + 1);
        gradient3D(in->data, desc->gx[slot], desc->gy[slot], desc->gz[slot], nc, nr, desc->alpha_gradient, n);
    };

    for (int slot = 0; slot < depth; ++slot) gradient_of(slot, slot - half);
    for (int s = 1; s <= planes; ++s) {
        std::printf("Section %d/%d...\n", s, planes);
        Acp3D_NS(desc->gx, desc->gy, desc->gz, nc, nr, desc->dir_x, desc->dir_y, desc->dir_z, desc->v1, desc->v2,
                 desc->v3, desc->acp_x, desc->acp_y, depth, 0);
        if (desc->alpha != 0)
            for (float* v : {desc->v1, desc->v2, desc->v3}) LissageDeriche(desc->alpha, v, nc, nr);
        store_attributes(desc, out->data[0]);
        if (write_volume_u1_sequence_next(out) != 0)
            fw::fail(1, "\n>> ERREUR %s : ecriture du plan %d du volume resultat impossible\n", who, s);
        if (s == planes) break;
        // Output plane s (from 0) centres its box on input plane s.
        for (short** ring : {desc->gx, desc->gy, desc->gz}) std::rotate(ring, ring + 1, ring + depth);
        gradient_of(depth - 1, s + half);
    }
    return NO_ERROR;
}

int gradient_organisation_ferm(gradient_organisation_t* desc) {
    for (short*** ring : {&desc->gx, &desc->gy, &desc->gz}) {
        if (*ring == nullptr) continue;
        for (int slot = 0; slot < desc->acp_z; ++slot) std::free((*ring)[slot]);
        std::free(*ring);
        *ring = nullptr;
    }
    for (float** plane : {&desc->dir_x, &desc->dir_y, &desc->dir_z, &desc->v1, &desc->v2, &desc->v3}) {
        std::free(*plane);
        *plane = nullptr;
    }
    return NO_ERROR;
}

float CalculAlpha(int T, int iterations, float x) {
    const double e5 = std::exp(-5.0);
    const double k5 = (1 - e5) * (1 - e5) / (1 + 10 * e5 - std::exp(-10.0));
    double low = 0, high = 10, alpha = 5;
    for (int i = 0; i < iterations; ++i) {
        if (k5 * (T * alpha + 1) * std::exp(-T * alpha) - x < 0)
            high = alpha;
        else
            low = alpha;
        alpha = (low + high) / 2;
    }
    return static_cast<float>(alpha);
}

void gradient3D(unsigned char*** planes, short* gx, short* gy, short* gz, int nc, int nr, float alpha, int n) {
    if (n < 1 || 2 * n + 1 > nc || 2 * n + 1 > nr)
        fw::fail(1, "\n>> ERREUR gradient3D : demi-taille %d incorrecte pour des plans de %dx%d\n", n, nc, nr);
    const Kernels k = gradient_kernels(alpha, n);
    const float* f = k.f.data();
    const float* g = k.g.data();
    const std::size_t width = static_cast<std::size_t>(nc), area = plane_size(nc, nr);
    static std::vector<float> storage;
    float* smooth_z = scratch(storage, 3 * area + width);  // smoothing across planes
    float* deriv_z = smooth_z + area;                      // derivative across planes
    float* pass = deriv_z + area;                          // first pass along a plane axis

    // Across planes, every pixel.
    for (int y = 0; y < nr; ++y) {
        const unsigned char* centre = planes[n][y];
        float* s = smooth_z + y * width;
        float* d = deriv_z + y * width;
        for (std::size_t x = 0; x < width; ++x) {
            s[x] = f[0] * static_cast<float>(centre[x]);
            d[x] = 0;
        }
        for (int i = 1; i <= n; ++i) {
            const unsigned char* before = planes[n - i][y];
            const unsigned char* after = planes[n + i][y];
            for (std::size_t x = 0; x < width; ++x) {
                s[x] += f[i] * (static_cast<float>(before[x]) + static_cast<float>(after[x]));
                d[x] += g[i] * (static_cast<float>(after[x]) - static_cast<float>(before[x]));
            }
        }
    }

    const std::size_t x0 = static_cast<std::size_t>(n), x1 = width - x0;  // filtered columns [x0, x1)
    const int y0 = n, y1 = nr - n;                                        // filtered rows [y0, y1)
    float* row = pass + area;
    auto to_16_bits = [&](short* to, int y) {
        // The filters keep values within +-256 (unit-sum smoothing, a
        // derivative kernel summing to 1/2 on each side): the conversion holds.
        for (std::size_t x = x0; x < x1; ++x) to[y * width + x] = static_cast<short>(row[x]);
    };
    // gx: derivative along x of the smoothing across planes, then smoothing along y.
    for (int y = 0; y < nr; ++y) along_x<true>(smooth_z + y * width, pass + y * width, x0, x1, f, g, n);
    for (int y = y0; y < y1; ++y) {
        along_y<false>(pass + y * width, width, row, x0, x1, f, g, n);
        to_16_bits(gx, y);
    }
    // gy: derivative along y of the smoothing across planes, then smoothing along x.
    for (int y = y0; y < y1; ++y) along_y<true>(smooth_z + y * width, width, pass + y * width, 0, width, f, g, n);
    for (int y = y0; y < y1; ++y) {
        along_x<false>(pass + y * width, row, x0, x1, f, g, n);
        to_16_bits(gy, y);
    }
    // gz: derivative across planes, smoothing along x, then along y.
    for (int y = 0; y < nr; ++y) along_x<false>(deriv_z + y * width, pass + y * width, x0, x1, f, g, n);
    for (int y = y0; y < y1; ++y) {
        along_y<false>(pass + y * width, width, row, x0, x1, f, g, n);
        to_16_bits(gz, y);
    }
}

void Acp3D_NS(short** gx, short** gy, short** gz, int nc, int nr, float* dir_x, float* dir_y, float* dir_z, float* v1,
              float* v2, float* v3, int bx, int by, int bz, int mode) {
    check_mode(mode, "Acp3D_NS");
    const std::size_t width = static_cast<std::size_t>(nc), area = plane_size(nc, nr);
    for (float* plane : {dir_x, dir_y, dir_z, v1, v2, v3}) std::fill(plane, plane + area, 0.0f);
    if (bx < 1 || by < 1 || bz < 1 || bx > nc || by > nr) return;
    const int hx = bx / 2, hy = by / 2;
    const double count = static_cast<double>(bx) * by * bz;

    // For each column, the six sums over the box's rows and all the ring's
    // planes: xx, xy, xz, yy, yz, zz, six blocks of nc. The products of
    // each row are summed over the planes once, when the row enters the
    // box, and kept until it leaves (a ring of by + 1 rows).
    const std::size_t block = 6 * width;
    static std::vector<std::int64_t> storage;
    std::int64_t* column = scratch(storage, block * (static_cast<std::size_t>(by) + 2));
    std::int64_t* rows = column + block;
    auto row_of = [&](int y) { return rows + static_cast<std::size_t>(y % (by + 1)) * block; };
    std::fill(column, column + block, 0);
    for (int y = 0; y < by; ++y) {
        row_products(gx, gy, gz, bz, static_cast<std::size_t>(y) * width, width, row_of(y));
        for (std::size_t i = 0; i < block; ++i) column[i] += row_of(y)[i];
    }

    for (int y = hy; y < nr - hy; ++y) {
        std::int64_t box[6] = {0, 0, 0, 0, 0, 0};
        for (int k = 0; k < 6; ++k)
            for (int x = 0; x < bx; ++x) box[k] += column[k * width + x];
        for (int x = hx; x < nc - hx; ++x) {
            Tensor t;
            for (int k = 0; k < 6; ++k) t[k] = static_cast<double>(box[k]) / count;
            double values[3], vectors[3][3];
            decompose<false>(t, mode, values, vectors);
            const std::size_t at = static_cast<std::size_t>(y) * width + x;
            v1[at] = static_cast<float>(values[0]);
            v2[at] = static_cast<float>(values[1]);
            v3[at] = static_cast<float>(values[2]);
            const double turn = vectors[0][0] < 0 ? -1 : 1;
            dir_x[at] = static_cast<float>(turn * vectors[0][0]);
            dir_y[at] = static_cast<float>(turn * vectors[0][1]);
            dir_z[at] = static_cast<float>(turn * vectors[0][2]);
            if (x + hx + 1 < nc)
                for (int k = 0; k < 6; ++k) box[k] += column[k * width + x + hx + 1] - column[k * width + x - hx];
        }
        if (y + hy + 1 < nr) {
            std::int64_t* entering = row_of(y + hy + 1);
            const std::int64_t* leaving = row_of(y - hy);
            row_products(gx, gy, gz, bz, static_cast<std::size_t>(y + hy + 1) * width, width, entering);
            for (std::size_t i = 0; i < block; ++i) column[i] += entering[i] - leaving[i];
        }
    }
}

void Equation3D(const double m[3][3], double valeurs[3], double vecteurs[3][3], int mode) {
    check_mode(mode, "Equation3D");
    const Tensor t = {m[0][0], m[0][1], m[0][2], m[1][1], m[1][2], m[2][2]};
    decompose<true>(t, mode, valeurs, vecteurs);
}

void LissageDeriche(float alpha, float* plane, int nc, int nr) {
    const double a = alpha, e = std::exp(-a), e2 = std::exp(-2 * a);
    const double k = (1 - e) * (1 - e) / (1 + 2 * a * e - e2);
    const double a0 = k, a1 = k * e * (a - 1), a2 = k * e * (a + 1), a3 = -k * e2, b1 = 2 * e, b2 = -e2;
    const double edge = 1 - b1 - b2;
    const std::size_t width = static_cast<std::size_t>(nc), height = static_cast<std::size_t>(nr);
    if (width == 0 || height == 0) return;
    static std::vector<double> wide;
    static std::vector<float> narrow;

    // Rows: the causal pass into y1, then the anticausal pass from the end,
    // reading the row's original samples from a copy.
    double* y1 = scratch(wide, std::max(width, height) * width + 3 * width);
    float* x = scratch(narrow, std::max(width, 3 * width));
    for (std::size_t r = 0; r < height; ++r) {
        float* row = plane + r * width;
        std::copy(row, row + width, x);
        const std::size_t L = width;
        y1[0] = x[0] * (a0 + a1) / edge;
        if (L > 1) y1[1] = a0 * x[1] + a1 * x[0] + (b1 + b2) * y1[0];
        for (std::size_t i = 2; i < L; ++i) y1[i] = a0 * x[i] + a1 * x[i - 1] + b1 * y1[i - 1] + b2 * y1[i - 2];
        double next = x[L - 1] * (a2 + a3) / edge;  // y2(i+1)
        row[L - 1] = static_cast<float>(y1[L - 1] + next);
        if (L > 1) {
            double after = next;  // y2(i+2)
            next = (a2 + a3) * x[L - 1] + (b1 + b2) * after;
            row[L - 2] = static_cast<float>(y1[L - 2] + next);
            for (std::size_t i = L - 2; i-- > 0;) {
                const double y2 = a2 * x[i + 1] + a3 * x[i + 2] + b1 * next + b2 * after;
                row[i] = static_cast<float>(y1[i] + y2);
                after = next;
                next = y2;
            }
        }
    }

    // Columns, all at once row by row: y1 of every sample, then the
    // anticausal pass upwards with the original samples of the two rows
    // below kept aside before they are overwritten.
    const std::size_t L = height;
    double* y2_next = y1 + L * width;    // y2 of the row below
    double* y2_after = y2_next + width;  // y2 two rows below
    double* y2_here = y2_after + width;
    float* x_next = x;  // original samples of the row below
    float* x_after = x + width;
    float* x_here = x + 2 * width;
    for (std::size_t c = 0; c < width; ++c) y1[c] = plane[c] * (a0 + a1) / edge;
    if (L > 1)
        for (std::size_t c = 0; c < width; ++c)
            y1[width + c] = a0 * plane[width + c] + a1 * plane[c] + (b1 + b2) * y1[c];
    for (std::size_t i = 2; i < L; ++i) {
        const float* xi = plane + i * width;
        const float* x_above = xi - width;
        double* o = y1 + i * width;
        const double* above = o - width;
        const double* above2 = above - width;
        for (std::size_t c = 0; c < width; ++c) o[c] = a0 * xi[c] + a1 * x_above[c] + b1 * above[c] + b2 * above2[c];
    }
    for (std::size_t i = L; i-- > 0;) {
        float* xi = plane + i * width;
        const double* o = y1 + i * width;
        if (i == L - 1) {
            for (std::size_t c = 0; c < width; ++c) y2_here[c] = xi[c] * (a2 + a3) / edge;
        } else if (i == L - 2) {
            for (std::size_t c = 0; c < width; ++c) y2_here[c] = (a2 + a3) * x_next[c] + (b1 + b2) * y2_next[c];
        } else {
            for (std::size_t c = 0; c < width; ++c)
                y2_here[c] = a2 * x_next[c] + a3 * x_after[c] + b1 * y2_next[c] + b2 * y2_after[c];
        }
        std::copy(xi, xi + width, x_here);
        for (std::size_t c = 0; c < width; ++c) xi[c] = static_cast<float>(o[c] + y2_here[c]);
        std::swap(x_after, x_next);
        std::swap(x_next, x_here);
        std::swap(y2_after, y2_next);
        std::swap(y2_next, y2_here);
    }
}

float gradient_organisation_attribut(int type, float v1, float v2, float v3) {
    const float s = v1 + v2 + v3;
    switch (type) {
        case 1:
            return v1;
        case 2:
            return v2;
        case 3:
            return v3;
        case 4:
            return s;
        case 5:
            return v2 - v3;
        case 6:
            return s > 0.01f ? (v2 - v3) / s : 0.0f;
        case 7:
            return v2 + v3;
        case 8:
            return s > 0.01f ? (v2 + v3) / s : 0.0f;
        case 9:
            // The flux error; a NaN (v3 <= 0 makes P >= 1) is stored as 0.
            if (v2 > v3 && v2 != 0) {
                const float p = std::sqrt((v2 - v3) / v2);
                return std::log((1 + p) / (1 - p)) * v3 / p;
            }
            return v2;
        case 10:
            return s > 0.01f ? v3 / s : 0.0f;
        case 11:
            return v2 * v3;
        case 12:
            return s > 0.01f ? v2 * v3 / (s * s) : 0.0f;
        case 13:
            return v1 * v2 * v3;
        case 14:
            return s > 0.01f ? v1 * v2 * v3 / (s * s * s) : 0.0f;
        case 16:
            return v1 > 0.01f ? v2 / (v1 + v3) : 0.0f;
        case 17:
            return v1 - v2 > 0.01f ? (v2 - v3) / (v1 - v2) : 0.0f;
        default:
            return 0.0f;
    }
}

unsigned char gradient_organisation_valeur(float attribut, float coef) {
    const float value = std::fabs(attribut * coef);
    if (std::isnan(value)) return 0;
    return value >= 255.0f ? 255 : static_cast<unsigned char>(value);
}

}  // extern "C"
