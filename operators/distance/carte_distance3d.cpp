// 3D chamfer distance map with a 5 x 5 x 5 integer mask. The scans work
// trace by trace: a voxel's candidates on other traces (twelve traces of
// four columns each, whose values are final when the trace is reached) are
// folded into the trace first, in loops over consecutive samples that the
// compiler vectorises (in a clone for each processor, vector_clones.hpp),
// then the candidates on the trace itself are taken from voxel to voxel.
// As in the 2D chamfer scans, "value = min(value, candidates)" is exactly
// the smallest of the centre and the candidates.

#include "carte_distance3d.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "fail.hpp"
#include "vector_clones.hpp"

namespace {

using Sample = unsigned int;

constexpr int kUnits = 67;               // integer units per unit of real distance
constexpr float kLargestWeight = 16777216.0f;  // 2^24: beyond, floats no longer hold every integer

float square(float x) { return x * x; }

[[noreturn]] void refuse_voxel(float L, float H, float P) {
    std::printf("\n>> ERREUR calculer_masque : taille de voxel L=%f,H=%f,P=%f refusee (reels positifs donnant des "
                "poids entiers de 1 a 16777216)\n",
                L, H, P);
    fw::quit(1);
}

// The scale F: the real weight of one step along the rows for P >= L, and
// its mirror on the planes otherwise. Every named value is a float; square
// roots are taken in double precision and the expression around one is
// finished in double before it is stored, as C evaluates these formulas.
float scale(float L, float H, float P) {
    if (P >= L) {
        const float a = static_cast<float>(std::sqrt(static_cast<double>(square(L) + 4 * square(H))));
        const float b = static_cast<float>(std::sqrt(static_cast<double>(square(L) + 4 * square(H) + square(P))));
        const float G = square(a - 2 * H) / square(L) + square(b - a) / square(P);
        return static_cast<float>((-2 * H + 2 * H * std::sqrt(static_cast<double>(G + 1))) / G);
    }
    const float a = static_cast<float>(std::sqrt(static_cast<double>(square(H) + 4 * square(P))));
    const float b = static_cast<float>(std::sqrt(static_cast<double>(square(L) + square(H) + 4 * square(P))));
    const float G = square(b - a) / square(L) + square(a - 2 * P) / square(H);
    return static_cast<float>((L / P) * (-2 * P + 2 * P * std::sqrt(static_cast<double>(G + 1))) / G);
}

// The candidates of one scan on another trace than the voxel's: the trace's
// plane and row offsets, and the weights of its columns -2 ... +1.
struct Trace {
    int dz, dy;
    Sample w[4];
};

DISTANCE_INLINE Sample lesser(Sample a, Sample b) { return b < a ? b : a; }

// Folds into v[2 ... nx-4] the candidates of trace s.
DISTANCE_INLINE void fold(Sample* __restrict v, const Sample* __restrict s, int nx, const Sample (&w)[4]) {
    for (int x = 2; x <= nx - 4; ++x)
        v[x] = lesser(lesser(lesser(lesser(v[x], s[x - 2] + w[0]), s[x - 1] + w[1]), s[x] + w[2]), s[x + 1] + w[3]);
}

// The twelve other traces of one scan: the five rows of the planes at
// plane offsets `planes` (two of them), then the two rows at row offsets
// `rows` of the voxel's own plane.
void other_traces(const carte_distance3d_t& des, const int (&planes)[2], const int (&rows)[2], Trace (&traces)[12]) {
    int t = 0;
    auto add = [&](int dz, int dy) {
        traces[t] = {dz, dy, {}};
        for (int k = 0; k < 4; ++k) traces[t].w[k] = static_cast<Sample>(des.mask_av[dz + 2][dy + 2][k]);
        ++t;
    };
    for (int dz : planes)
        for (int dy = -2; dy <= 2; ++dy) add(dz, dy);
    for (int dy : rows) add(0, dy);
}

// The forward scan: the traces of planes 2 ... nz-4, rows 2 ... ny-4 in
// increasing order, each folded with the twelve traces before it, then
// taking its own columns x-1 and x-2 (weights left1, left2) from left to
// right.
WITH_AVX2_CLONE void forward_scan(Sample*** data, int nx, int ny, int nz, const Trace (&traces)[12], Sample left1,
                                  Sample left2) {
    for (int z = 2; z <= nz - 4; ++z)
        for (int y = 2; y <= ny - 4; ++y) {
            Sample* v = data[z][y];
            for (const Trace& t : traces) fold(v, data[z + t.dz][y + t.dy], nx, t.w);
            Sample second = v[0], first = v[1];  // the results two and one samples back
            for (int x = 2; x <= nx - 4; ++x) {
                const Sample value = lesser(lesser(v[x], second + left2), first + left1);
                v[x] = value;
                second = first;
                first = value;
            }
        }
}

// The backward scan: the same traces in decreasing order, each folded with
// the twelve traces after it, then taking its own column x+1 (weight
// right1) from right to left.
WITH_AVX2_CLONE void backward_scan(Sample*** data, int nx, int ny, int nz, const Trace (&traces)[12], Sample right1) {
    for (int z = nz - 4; z >= 2; --z)
        for (int y = ny - 4; y >= 2; --y) {
            Sample* v = data[z][y];
            for (const Trace& t : traces) fold(v, data[z + t.dz][y + t.dy], nx, t.w);
            Sample next = v[nx - 3];
            for (int x = nx - 4; x >= 2; --x) next = v[x] = lesser(v[x], next + right1);
        }
}

}  // namespace

extern "C" {

param* carte_distance3d_lect(carte_distance3d_t* des, param* ptp) {
    des->L = des->H = des->P = 1.0f;
    return ptp;
}

int carte_distance3d_init(carte_distance3d_t* des) {
    calculer_masque(des);
    return 0;
}

void calculer_masque(carte_distance3d_t* des) {
    const float L = des->L, H = des->H, P = des->P;
    if (!(L > 0 && H > 0 && P > 0)) refuse_voxel(L, H, P);
    const float F = scale(L, H, P);

    // d[x][y][z] for x columns, y rows, z planes; D the integer weights.
    float d[3][3][3] = {};
    int D[3][3][3] = {};
    for (int x = 0; x <= 2; ++x)
        for (int y = 0; y <= 2; ++y)
            for (int z = 0; z <= 2; ++z) {
                if (x + y + z == 0) continue;
                const float sum = square(static_cast<float>(x) * L) + square(static_cast<float>(y) * H) +
                                  square(static_cast<float>(z) * P);
                // One step in each direction used: single precision; an offset
                // with a 2 takes the root and the product in double.
                const bool with_two = x == 2 || y == 2 || z == 2;
                d[x][y][z] = with_two ? static_cast<float>(static_cast<double>(F) * std::sqrt(static_cast<double>(sum)) / H)
                                      : F * std::sqrt(sum) / H;
                const float units = std::nearbyint(kUnits * d[x][y][z]);
                if (!(units >= 1.0f && units <= kLargestWeight)) refuse_voxel(L, H, P);
                D[x][y][z] = static_cast<int>(units);
            }

    std::printf("L=%f,H=%f,P=%f\n", L, H, P);
    std::printf("d100=%f,d110=%f,d111=%f\n", d[1][0][0], d[1][1][0], d[1][1][1]);
    std::printf("d210=%f,d211=%f,d221=%f\n", d[2][1][0], d[2][1][1], d[2][2][1]);
    std::printf("N=%d\n", kUnits);
    std::printf("D100=%d,D110=%d,D111=%d\n", D[1][0][0], D[1][1][0], D[1][1][1]);
    std::printf("D210=%d,D211=%d,D221=%d\n", D[2][1][0], D[2][1][1], D[2][2][1]);
    std::printf("L=%f,H=%f,P=%f\n", L, H, P);

    for (int dz = -2; dz <= 2; ++dz)
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int x = std::abs(dx), y = std::abs(dy), z = std::abs(dz);
                int& entry = des->mask_av[dz + 2][dy + 2][dx + 2];
                if (x + y + z == 0) entry = 0;
                else if (x != 1 && y != 1 && z != 1) entry = 2 * D[x / 2][y / 2][z / 2];  // twice the half offset
                else entry = D[x][y][z];
            }
    std::printf("des->mask_av[0][0][0]=%d\n", des->mask_av[0][0][0]);
}

int carte_distance3d_calc(carte_distance3d_t* des, ima3Du4* vol) {
    im_distance_555(des, vol);
    return 0;
}

void im_distance_555(carte_distance3d_t* des, ima3Du4* vol) {
    std::printf("im_distance: parcours avant des->mask_av[0][0][0]=%d\n", des->mask_av[0][0][0]);
    const int nx = vol->dimx, ny = vol->dimy, nz = vol->dimz;
    Sample*** data = vol->data;

    // A volume of 5 or fewer samples, traces or planes has no voxel to scan.
    const bool scanned = nx > 5 && ny > 5 && nz > 5;

    Trace traces[12];
    other_traces(*des, {-2, -1}, {-2, -1}, traces);
    if (scanned)
        forward_scan(data, nx, ny, nz, traces, static_cast<Sample>(des->mask_av[2][2][1]),
                     static_cast<Sample>(des->mask_av[2][2][0]));
    std::printf("fin parcour avant\n");

    other_traces(*des, {1, 2}, {1, 2}, traces);
    if (scanned) backward_scan(data, nx, ny, nz, traces, static_cast<Sample>(des->mask_av[2][2][3]));
}

}  // extern "C"
