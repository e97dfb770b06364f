// 3D Haar wavelet coefficients. One level turns every 2 x 2 x 2 block into
// its sum and seven signed differences with three rounds of butterflies
// (along x, then y, then z), the eight voxels read before anything of the
// block is written, so that the approximation can go back into the volume
// it is read from.
//
// The sliding operator does not decompose every window again. A window's
// level-l approximation at (q) is the level-l approximation of the
// 2^l box at the window's origin + 2^l q, whatever the window: level 1 is
// the floor of a 2 x 2 x 2 box's mean, level l the floor of the mean of
// eight level-(l-1) values 2^(l-1) apart. So the volume is reduced once,
// in place, to the level-S value of the box at every voxel, and each window
// reads its coefficients off a lattice of step 2^S. The means take whole
// rows of lattice sums at once; the entropy counts the coefficients.

#include "haar_wavelet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fail.hpp"
#include "questions.hpp"
#include "volume.h"

namespace {

using Voxels = unsigned char***;

constexpr int kMostLevels = 30;  // 2^S fits an int; larger scales exceed every size

long long scale_side(int S) { return S > kMostLevels ? (1LL << 31) : (1LL << S); }

inline unsigned char detail(int difference) { return static_cast<unsigned char>(difference / 8 + 128); }

// One level on the X x Y x Z region at the corner of src: the details into
// their octants of out, the approximation into approx (the first octant of
// out, or src itself).
void level(Voxels src, Voxels out, Voxels approx, int X, int Y, int Z) {
    const int hx = X / 2, hy = Y / 2, hz = Z / 2;
    for (int z = 0; z < Z; z += 2)
        for (int y = 0; y < Y; y += 2) {
            const unsigned char *p00 = src[z][y], *p01 = src[z][y + 1], *p10 = src[z + 1][y], *p11 = src[z + 1][y + 1];
            // o[high along z][high along y]: the output rows of the bands.
            unsigned char* o00 = out[z / 2][y / 2];
            unsigned char* o01 = out[z / 2][y / 2 + hy];
            unsigned char* o10 = out[z / 2 + hz][y / 2];
            unsigned char* o11 = out[z / 2 + hz][y / 2 + hy];
            unsigned char* a = approx[z / 2][y / 2];
            for (int x = 0; x < X; x += 2) {
                // Along x: sums s and differences d of each (dz, dy) pair.
                const int s00 = p00[x] + p00[x + 1], d00 = p00[x] - p00[x + 1];
                const int s01 = p01[x] + p01[x + 1], d01 = p01[x] - p01[x + 1];
                const int s10 = p10[x] + p10[x + 1], d10 = p10[x] - p10[x + 1];
                const int s11 = p11[x] + p11[x + 1], d11 = p11[x] - p11[x + 1];
                // Along y, within each plane of the block.
                const int ss0 = s00 + s01, ds0 = s00 - s01, sd0 = d00 + d01, dd0 = d00 - d01;
                const int ss1 = s10 + s11, ds1 = s10 - s11, sd1 = d10 + d11, dd1 = d10 - d11;
                const int h = x / 2;
                // Along z; every value is computed before the approximation
                // may overwrite a voxel of the block.
                const auto low = static_cast<unsigned char>((ss0 + ss1) >> 3);
                o10[h] = detail(ss0 - ss1);       // z
                o01[h] = detail(ds0 + ds1);       // y
                o11[h] = detail(ds0 - ds1);       // z y
                o00[h + hx] = detail(sd0 + sd1);  // x
                o10[h + hx] = detail(sd0 - sd1);  // z x
                o01[h + hx] = detail(dd0 + dd1);  // y x
                o11[h + hx] = detail(dd0 - dd1);  // z y x
                a[h] = low;
            }
        }
}

// The refusals of the sliding operator's sizes.
void check_window(const hw_coef_on_window_t& d, int dimx, int dimy, int dimz) {
    const long long v = scale_side(d.S);
    if (d.winx < v || d.winy < v || d.winz < v)
        fw::fail(1, "\n>> ERREUR hw_coef_on_window : fenetre %dx%dx%d plus petite que 2^S (echelle %d)\n", d.winx,
                 d.winy, d.winz, d.S);
    if (d.winx > dimx - 2 || d.winy > dimy - 2 || d.winz > dimz - 2)
        fw::fail(1,
                 "\n>> ERREUR hw_coef_on_window : fenetre %dx%dx%d trop grande pour le volume %dx%dx%d (plus petite "
                 "d'au moins 2 selon chaque axe)\n",
                 d.winx, d.winy, d.winz, dimx, dimy, dimz);
}

// Reduces the copy of the volume in a, in place, to the level-S value of
// the box at every voxel that has one (r + 2^S - 1 inside the volume): at
// level l, a[r] = floor of the sum of the level-(l-1) values at
// r + 2^(l-1) (dz, dy, dx) / 8. Each row is computed into `row` from rows
// that are still at level l-1 (its own, and later ones), then copied back.
void reduce(Voxels a, int nx, int ny, int nz, int S, std::vector<unsigned char>& row) {
    for (int l = 1; l <= S; ++l) {
        const int s = 1 << (l - 1), last = 2 * s;  // the box of level l spans 2s voxels
        for (int z = 0; z + last <= nz; ++z)
            for (int y = 0; y + last <= ny; ++y) {
                const unsigned char *p00 = a[z][y], *p01 = a[z][y + s], *p10 = a[z + s][y], *p11 = a[z + s][y + s];
                const int n = nx - last + 1;
                unsigned char* __restrict r = row.data();
                for (int x = 0; x < n; ++x)
                    r[x] = static_cast<unsigned char>(
                        (p00[x] + p00[x + s] + p01[x] + p01[x + s] + p10[x] + p10[x + s] + p11[x] + p11[x + s]) >> 3);
                std::memcpy(a[z][y], r, static_cast<std::size_t>(n));
            }
    }
}

// The means: lattice sums along x for every row, then for each plane and
// row origin the sum of the wz/v x wy/v rows of lattice sums it covers.
void means(const hw_coef_on_window_t& d, Voxels a, int nx, int ny, int nz, ima3Du1* out, int v) {
    const int mx = d.wx / v, my = d.wy / v, mz = d.wz / v;
    const int kx = nx - d.wx - 1, ky = ny - d.wy - 1, kz = nz - d.wz - 1;  // origins per axis
    const unsigned count = static_cast<unsigned>(mx * my * mz);
    // rows[(z * ny + y) * kx + k]: sum of a[z][y][k + v q], q < mx (at most
    // 255 x 255).
    std::vector<std::uint16_t> rows(static_cast<std::size_t>(nz) * ny * kx, 0);
    for (int z = 0; z < nz; ++z)
        for (int y = 0; y < ny; ++y) {
            std::uint16_t* __restrict r = &rows[(static_cast<std::size_t>(z) * ny + y) * kx];
            for (int q = 0; q < mx; ++q) {
                const unsigned char* p = a[z][y] + v * q;
                for (int k = 0; k < kx; ++k) r[k] = static_cast<std::uint16_t>(r[k] + p[k]);
            }
        }
    std::vector<std::uint32_t> sum(static_cast<std::size_t>(kx));
    for (int i = 0; i < kz; ++i) {
        std::printf("section %u/%u\n", static_cast<unsigned>(i + 1), static_cast<unsigned>(nz));
        for (int j = 0; j < ky; ++j) {
            std::fill(sum.begin(), sum.end(), 0u);
            std::uint32_t* __restrict s = sum.data();
            for (int qz = 0; qz < mz; ++qz)
                for (int qy = 0; qy < my; ++qy) {
                    const std::uint16_t* r = &rows[(static_cast<std::size_t>(i + v * qz) * ny + j + v * qy) * kx];
                    for (int k = 0; k < kx; ++k) s[k] += r[k];
                }
            unsigned char* target = out->data[i + d.wz / 2][j + d.wy / 2] + d.wx / 2;
            for (int k = 0; k < kx; ++k) target[k] = static_cast<unsigned char>(s[k] / count);
        }
    }
}

// -p log10 p of a level present `n` times among `count` coefficients, in
// single precision (tabulated up to 65535).
class EntropyTerms {
public:
    explicit EntropyTerms(unsigned count) : count_(count), table_(std::min(count, 65535u) + 1) {
        for (unsigned n = 1; n < table_.size(); ++n) table_[n] = term(n);
    }
    float operator()(unsigned n) const { return n < table_.size() ? table_[n] : term(n); }

private:
    float term(unsigned n) const {
        const float p = static_cast<float>(n) / static_cast<float>(count_);
        return p * std::log10(p);
    }
    unsigned count_;
    std::vector<float> table_;
};

// The entropies: each window's coefficients counted, the levels present
// marked in a bit map so that the sum runs over them in increasing order
// and only their counts are cleared.
void entropies(hw_coef_on_window_t& d, Voxels a, int nx, int ny, int nz, ima3Du1* out, int v) {
    const int mx = d.wx / v, my = d.wy / v, mz = d.wz / v;
    const int kx = nx - d.wx - 1, ky = ny - d.wy - 1, kz = nz - d.wz - 1;
    const unsigned count = static_cast<unsigned>(mx * my * mz);
    const EntropyTerms terms(count);
    const double log256 = std::log10(256.0);
    unsigned* histogram = d.histogram;
    for (int i = 0; i < kz; ++i) {
        std::printf("section %u/%u\n", static_cast<unsigned>(i + 1), static_cast<unsigned>(nz));
        for (int j = 0; j < ky; ++j) {
            unsigned char* target = out->data[i + d.wz / 2][j + d.wy / 2] + d.wx / 2;
            for (int k = 0; k < kx; ++k) {
                std::uint64_t present[4] = {0, 0, 0, 0};
                for (int qz = 0; qz < mz; ++qz)
                    for (int qy = 0; qy < my; ++qy) {
                        const unsigned char* p = a[i + v * qz][j + v * qy] + k;
                        for (int q = 0; q < mx * v; q += v) {
                            const unsigned level = p[q];
                            ++histogram[level];
                            present[level >> 6] |= std::uint64_t{1} << (level & 63);
                        }
                    }
                float H = 0;
                for (int w = 0; w < 4; ++w)
                    for (std::uint64_t bits = present[w]; bits != 0; bits &= bits - 1) {
                        const int level = w * 64 + __builtin_ctzll(bits);
                        H -= terms(histogram[level]);
                        histogram[level] = 0;
                    }
                target[k] = static_cast<unsigned char>(static_cast<int>(H / log256 * 255));
            }
        }
    }
}

}  // namespace

extern "C" {

param* hw_coef_entire_image_lect(hw_coef_entire_image_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "hw_coef_entire_image_lect");
    desc->S = static_cast<unsigned char>(questions.integer("Scale:", 0, 255));
    return questions.next();
}

int hw_coef_entire_image_check(const hw_coef_entire_image_t* desc, int dimx, int dimy, int dimz) {
    const long long v = scale_side(desc->S);
    if (v > dimx || v > dimy || v > dimz)
        fw::fail(1,
                 "\n>> ERREUR hw_coef_entire_image : echelle %d trop grande pour le volume %dx%dx%d (2^S au plus egal "
                 "a chaque dimension)\n",
                 desc->S, dimx, dimy, dimz);
    return 0;
}

int hw_coef_entire_image_init(hw_coef_entire_image_t* desc, ima3Du1 in, ima3Du1* out) {
    hw_coef_entire_image_check(desc, in.dimx, in.dimy, in.dimz);
    out->dimx = in.dimx;
    out->dimy = in.dimy;
    out->dimz = in.dimz;
    out->nb_bits = in.nb_bits;
    allouer_ima3Du1(out);
    return 0;
}

int hw_coef_entire_image_calc(hw_coef_entire_image_t* desc, ima3Du1* in, ima3Du1* out) {
    hw_coef_entire_image_check(desc, in->dimx, in->dimy, in->dimz);
    const int S = desc->S, v = 1 << S;
    int X = in->dimx - in->dimx % v, Y = in->dimy - in->dimy % v, Z = in->dimz - in->dimz % v;
    std::printf("dim opt x:%d y:%d z:%d\n", X, Y, Z);
    if (S == 0) {
        for (int z = 0; z < Z; ++z)
            for (int y = 0; y < Y; ++y) std::memcpy(out->data[z][y], in->data[z][y], static_cast<std::size_t>(X));
        return 0;
    }
    for (int l = 1; l <= S; ++l, X /= 2, Y /= 2, Z /= 2) {
        std::printf("Calcul echelle %d\n", l);
        level(in->data, out->data, l == S ? out->data : in->data, X, Y, Z);
    }
    return 0;
}

param* hw_coef_on_window_lect(hw_coef_on_window_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "hw_coef_on_window_lect");
    desc->S = static_cast<unsigned char>(questions.integer("Scale:", 0, 255));
    desc->winx = static_cast<unsigned char>(questions.integer("Window size X:", 0, 255));
    desc->winy = static_cast<unsigned char>(questions.integer("Window size Y:", 0, 255));
    desc->winz = static_cast<unsigned char>(questions.integer("Window size Z:", 0, 255));
    desc->direction = static_cast<unsigned char>(questions.integer("Direction:", 0, 255));
    desc->feature = static_cast<unsigned char>(questions.integer("Feature:", 0, 255));
    return questions.next();
}

int hw_coef_on_window_check(const hw_coef_on_window_t* desc, int dimx, int dimy, int dimz) {
    check_window(*desc, dimx, dimy, dimz);
    return 0;
}

int hw_coef_on_window_init(hw_coef_on_window_t* desc, ima3Du1 in, ima3Du1* out) {
    check_window(*desc, in.dimx, in.dimy, in.dimz);
    out->entete = in.entete;
    out->dimx = in.dimx;
    out->dimy = in.dimy;
    out->dimz = in.dimz;
    out->nb_bits = in.nb_bits;
    allouer_ima3Du1(out);
    desc->histogram = static_cast<unsigned*>(std::calloc(256, sizeof(unsigned)));
    if (desc->histogram == nullptr) fw::fail(1, "\n>> ERREUR hw_coef_on_window_init : allocation impossible\n");
    const int v = 1 << desc->S;  // S <= 7: the windows are at least 2^S
    desc->wx = static_cast<unsigned char>(desc->winx - desc->winx % v);
    desc->wy = static_cast<unsigned char>(desc->winy - desc->winy % v);
    desc->wz = static_cast<unsigned char>(desc->winz - desc->winz % v);
    std::printf("Dim win optimal: %d %d %d\n", desc->wx, desc->wy, desc->wz);
    desc->approximation = ima3Du1{};
    desc->approximation.dimx = in.dimx;
    desc->approximation.dimy = in.dimy;
    desc->approximation.dimz = in.dimz;
    allouer_ima3Du1(&desc->approximation);
    return 0;
}

int hw_coef_on_window_calc(hw_coef_on_window_t* desc, ima3Du1 in, ima3Du1* out) {
    check_window(*desc, in.dimx, in.dimy, in.dimz);
    const int nx = in.dimx, ny = in.dimy, nz = in.dimz, v = 1 << desc->S;
    Voxels a = desc->approximation.data;
    const int kx = nx - desc->wx - 1, ky = ny - desc->wy - 1, kz = nz - desc->wz - 1;
    if (desc->feature == 1 || desc->feature == 2) {
        for (int z = 0; z < nz; ++z)
            for (int y = 0; y < ny; ++y) std::memcpy(a[z][y], in.data[z][y], static_cast<std::size_t>(nx));
        std::vector<unsigned char> row(static_cast<std::size_t>(nx));
        reduce(a, nx, ny, nz, desc->S, row);
    }
    if (desc->feature == 1) {
        means(*desc, a, nx, ny, nz, out, v);
    } else if (desc->feature == 2) {
        entropies(*desc, a, nx, ny, nz, out, v);
    } else {
        for (int i = 0; i < kz; ++i) {
            std::printf("section %u/%u\n", static_cast<unsigned>(i + 1), static_cast<unsigned>(nz));
            for (int j = 0; j < ky; ++j)
                std::memset(out->data[i + desc->wz / 2][j + desc->wy / 2] + desc->wx / 2, 255,
                            static_cast<std::size_t>(kx));
        }
    }
    return nz - desc->wz - 1;
}

int hw_coef_on_window_ferm(hw_coef_on_window_t* desc) {
    std::free(desc->histogram);
    desc->histogram = nullptr;
    liberer_ima3Du1(&desc->approximation);
    return 0;
}

}  // extern "C"
