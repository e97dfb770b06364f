// chamfer_scan.hpp: the two raster scans of a 5 x 5 chamfer propagation on
// a plane of nc x nr values, shared by the chamfer distance (floats) and the
// distance image with optimised masks (integers).
//
// The plane arrives holding 0 at the sources and kInfinity (20000)
// everywhere else. The forward scan visits rows 2 ... nr-3 top to bottom,
// columns 2 ... nc-3 left to right, and gives each visited pixel the
// smallest of 20000 and the twelve candidates already visited in that
// order (the five pixels of each of the two rows above and the two pixels
// on its left), each being the neighbour's value plus the mask weight of
// its offset. The backward scan does the same from the bottom right with
// the twelve mirrored candidates, keeping the forward value when it is
// smaller. A source keeps 0 in both scans. The two-pixel frame is never
// visited: it keeps its values and takes part as neighbours.
//
// Written as "value = min(value, candidates)": the value held at a pixel
// is 20000 before its forward visit and its forward result before its
// backward visit, and a source's 0 is below every candidate since the
// weights are positive, so this single rule gives exactly the results of
// the two scans above. Each row is done in two passes: first the ten
// candidates of the two rows already finished, a loop without dependencies
// between pixels that the compiler vectorises, then the two candidates of
// the row itself, from pixel to pixel, with the two previous results held
// in registers and only one addition and one minimum waiting for the
// previous pixel. The functions are inlined into the callers' clones
// (vector_clones.hpp).
#pragma once

#include <cstddef>

#include "vector_clones.hpp"

namespace chamfer {

// The value that stands for an infinite distance: the initial value of the
// pixels that are not sources, and the largest value a scan produces.
template <class T>
inline constexpr T kInfinity = T(20000);

// The weights of the mask by offset (rows, columns); the mask is symmetric
// in both directions. All weights must be positive.
template <class T>
struct Mask {
    T row1;           // (0, +-1)
    T row2;           // (0, +-2)
    T column1;        // (+-1, 0)
    T column2;        // (+-2, 0)
    T diagonal1;      // (+-1, +-1)
    T diagonal2;      // (+-2, +-2)
    T knight_row;     // (+-1, +-2)
    T knight_column;  // (+-2, +-1)
};

// The smaller of a and b, written as the comparison that vector minimum
// instructions make, so that the loops below vectorise without relaxed
// floating-point rules.
template <class T>
DISTANCE_INLINE T lesser(T a, T b) {
    return b < a ? b : a;
}

namespace detail {

// Folds into row[2 ... nc-3] the candidates of two finished rows: `near`,
// one row away, and `far`, two rows away (above in the forward scan, below
// in the backward scan).
template <class T>
DISTANCE_INLINE void fold_rows(T* __restrict row, const T* __restrict near, const T* __restrict far, std::size_t nc,
               const Mask<T>& w) {
    for (std::size_t j = 2; j + 2 < nc; ++j) {
        T m = row[j];
        m = lesser(m, far[j - 2] + w.diagonal2);
        m = lesser(m, far[j - 1] + w.knight_column);
        m = lesser(m, far[j] + w.column2);
        m = lesser(m, far[j + 1] + w.knight_column);
        m = lesser(m, far[j + 2] + w.diagonal2);
        m = lesser(m, near[j - 2] + w.knight_row);
        m = lesser(m, near[j - 1] + w.diagonal1);
        m = lesser(m, near[j] + w.column1);
        m = lesser(m, near[j + 1] + w.diagonal1);
        m = lesser(m, near[j + 2] + w.knight_row);
        row[j] = m;
    }
}

}  // namespace detail

// Runs the forward and the backward scan over the plane (nc x nr values,
// row after row), in place. Planes narrower or lower than 5 are left as
// they are.
template <class T>
DISTANCE_INLINE void scan(T* plane, std::size_t nc, std::size_t nr, const Mask<T>& w) {
    if (nc < 5 || nr < 5) return;
    for (std::size_t i = 2; i + 2 < nr; ++i) {
        T* row = plane + i * nc;
        detail::fold_rows(row, row - nc, row - 2 * nc, nc, w);
        T second = row[0], first = row[1];  // the results two and one pixels back
        for (std::size_t j = 2; j + 2 < nc; ++j) {
            const T value = lesser(lesser(row[j], second + w.row2), first + w.row1);
            row[j] = value;
            second = first;
            first = value;
        }
    }
    for (std::size_t i = nr - 3; i >= 2; --i) {
        T* row = plane + i * nc;
        detail::fold_rows(row, row + nc, row + 2 * nc, nc, w);
        T second = row[nc - 1], first = row[nc - 2];
        for (std::size_t j = nc - 3; j >= 2; --j) {
            const T value = lesser(lesser(row[j], second + w.row2), first + w.row1);
            row[j] = value;
            second = first;
            first = value;
        }
    }
}

// Sets to 0 the two-pixel frame of the plane (every value when the plane
// is narrower or lower than 5): the scans never visit it, and their result
// there is 0.
template <class T>
inline void clear_frame(T* plane, std::size_t nc, std::size_t nr) {
    if (nc < 5 || nr < 5) {
        for (std::size_t k = 0; k < nc * nr; ++k) plane[k] = T(0);
        return;
    }
    for (std::size_t j = 0; j < 2 * nc; ++j) {
        plane[j] = T(0);
        plane[(nr - 2) * nc + j] = T(0);
    }
    for (std::size_t i = 2; i + 2 < nr; ++i) {
        T* row = plane + i * nc;
        row[0] = row[1] = row[nc - 2] = row[nc - 1] = T(0);
    }
}

}  // namespace chamfer
