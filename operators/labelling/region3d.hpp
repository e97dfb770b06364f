// region3d.hpp: the raster labelling of a volume shared by the 3D region
// growing (reggr3d) and the object statistics (eval_volume).
//
// The volume is scanned plane by plane (z); within a plane the outer loop
// runs along a trace (x) and the inner loop across the traces (y), voxel
// (0, 0, 0) first. A voxel's neighbours are the voxels scanned before it
// along each axis: L = (x-1, y, z), U = (x, y-1, z), Z = (x, y, z-1). Its
// code holds six similarity bits: the voxel with each neighbour, and the
// neighbours with each other (a bit is 0 when one of its voxels does not
// exist). The neighbours connected to the voxel through these relations,
// followed transitively, decide its label: none, a new label; one, the
// table entry of that neighbour's label; two or three, the merge of their
// label chains.
//
// The equivalence table has 17 000 000 entries. A label's entry is set to
// the label itself when the label is made, and no entry is read before
// that, so a pass touches only the entries of the labels it makes. Labels
// beyond the last entry are not made: the last label is given again.
#pragma once

#include <array>
#include <cstdio>

#include "image.h"

namespace region3d {

inline constexpr int kTableSize = 17000000;
inline constexpr int kLastLabel = kTableSize - 1;

// Bits of a voxel's code.
inline constexpr unsigned kVoxelZ = 1;  // voxel similar to Z
inline constexpr unsigned kVoxelL = 2;  // voxel similar to L
inline constexpr unsigned kVoxelU = 4;  // voxel similar to U
inline constexpr unsigned kLZ = 8;      // L similar to Z
inline constexpr unsigned kUZ = 16;     // U similar to Z
inline constexpr unsigned kUL = 32;     // U similar to L

// Sets of neighbours.
inline constexpr unsigned kL = 1;
inline constexpr unsigned kU = 2;
inline constexpr unsigned kZ = 4;

// The neighbours connected to the voxel by the relations of a code.
constexpr unsigned connected_neighbours(unsigned code) {
    unsigned set = ((code & kVoxelL) ? kL : 0) | ((code & kVoxelU) ? kU : 0) | ((code & kVoxelZ) ? kZ : 0);
    // Two rounds reach every neighbour that a chain of relations joins.
    for (int round = 0; round < 2; ++round) {
        if ((code & kLZ) && (set & (kL | kZ))) set |= kL | kZ;
        if ((code & kUZ) && (set & (kU | kZ))) set |= kU | kZ;
        if ((code & kUL) && (set & (kU | kL))) set |= kU | kL;
    }
    return set;
}

inline constexpr std::array<unsigned char, 64> kConnected = [] {
    std::array<unsigned char, 64> table{};
    for (unsigned code = 0; code < 64; ++code) table[code] = static_cast<unsigned char>(connected_neighbours(code));
    return table;
}();

// Points every entry of the chain from a to r, up to an entry that already
// points to r.
template <class Label>
inline void point_chain_to(Label* table, Label a, Label r) {
    while (table[a] != r) {
        const Label next = table[a];
        table[a] = r;
        a = next;
    }
}

// Merges the chains of two labels into the smaller one, which becomes a
// root; returns it.
template <class Label>
inline Label equivalence_2(Label* table, Label a, Label b) {
    const Label r = a < b ? a : b;
    point_chain_to(table, a, r);
    point_chain_to(table, b, r);
    return r;
}

// Merges the chains of three labels into r: a if a is smaller than both
// others, else b if b is smaller than both others, else c (so with a = b
// below c, r is c). r becomes a root; returns it.
template <class Label>
inline Label equivalence_3(Label* table, Label a, Label b, Label c) {
    const Label r = (a < b && a < c) ? a : (b < a && b < c) ? b : c;
    point_chain_to(table, a, r);
    point_chain_to(table, b, r);
    point_chain_to(table, c, r);
    return r;
}

// The label of a voxel of the given code whose neighbours carry labels l, u
// and z (read only when the code connects them); n is the label counter.
template <class Label>
inline Label choose_label(unsigned code, Label l, Label u, Label z, Label* table, int& n) {
    switch (kConnected[code & 63]) {
        case 0:
            if (n < kLastLabel) {
                ++n;
                table[n] = static_cast<Label>(n);
            }
            return static_cast<Label>(n);
        case kL:
            return table[l];
        case kU:
            return table[u];
        case kZ:
            return table[z];
        case kL | kU:
            return equivalence_2(table, l, u);
        case kL | kZ:
            return equivalence_2(table, l, z);
        case kU | kZ:
            return equivalence_2(table, u, z);
        default:
            return equivalence_3(table, l, u, z);
    }
}

// One labelling pass of the 8-bit volume `in` into the label volume `lab`
// (same sizes, labels of type Out). Rule gives member(v), whether a voxel
// of value v is labelled at all (others get label 0 and take part in no
// merge), and similar(a, b). Voxel (0, 0, 0), when a member, gets label
// `first`, which is also where the counter starts (else label 0, counter 0).
// Returns the counter: the last label made.
template <class Label, class Out, class Rule>
int scan(const ima3Du1& in, Out*** lab, Label* table, const Rule& rule, int first) {
    const int dimx = in.dimx, dimy = in.dimy, dimz = in.dimz;
    table[0] = 0;
    int n = 0;
    if (rule.member(in.data[0][0][0])) {
        n = first;
        table[n] = static_cast<Label>(n);
        lab[0][0][0] = static_cast<Out>(n);
    } else {
        lab[0][0][0] = 0;
    }

    // The voxels of column x (y = y0 ... dimy-1) of plane z, with or without
    // an L and a Z neighbour; U exists from y = 1.
    auto column = [&]<bool HasL, bool HasZ>(int x, int z, int y0) {
        unsigned char* const* plane = in.data[z];
        unsigned char* const* below = HasZ ? in.data[z - 1] : nullptr;
        Out* const* labels = lab[z];
        Out* const* labels_below = HasZ ? lab[z - 1] : nullptr;
        auto voxel = [&]<bool HasU>(int y) {
            const unsigned v = plane[y][x];
            if (!rule.member(v)) {
                labels[y][x] = 0;
                return;
            }
            unsigned l = 0, u = 0, zv = 0, code = 0;
            if constexpr (HasL) {
                l = plane[y][x - 1];
                code |= rule.similar(v, l) ? kVoxelL : 0;
            }
            if constexpr (HasU) {
                u = plane[y - 1][x];
                code |= rule.similar(v, u) ? kVoxelU : 0;
            }
            if constexpr (HasZ) {
                zv = below[y][x];
                code |= rule.similar(v, zv) ? kVoxelZ : 0;
            }
            if constexpr (HasL && HasZ) code |= rule.similar(l, zv) ? kLZ : 0;
            if constexpr (HasU && HasZ) code |= rule.similar(u, zv) ? kUZ : 0;
            if constexpr (HasU && HasL) code |= rule.similar(u, l) ? kUL : 0;
            Label ll = 0, lu = 0, lz = 0;
            if constexpr (HasL) ll = static_cast<Label>(labels[y][x - 1]);
            if constexpr (HasU) lu = static_cast<Label>(labels[y - 1][x]);
            if constexpr (HasZ) lz = static_cast<Label>(labels_below[y][x]);
            labels[y][x] = static_cast<Out>(choose_label(code, ll, lu, lz, table, n));
        };
        int y = y0;
        if (y == 0) voxel.template operator()<false>(y++);
        for (; y < dimy; ++y) voxel.template operator()<true>(y);
    };

    for (int z = 0; z < dimz; ++z)
        for (int x = 0; x < dimx; ++x) {
            const int y0 = z == 0 && x == 0 ? 1 : 0;
            if (x == 0) {
                if (z == 0) column.template operator()<false, false>(x, z, y0);
                else column.template operator()<false, true>(x, z, y0);
            } else {
                if (z == 0) column.template operator()<true, false>(x, z, y0);
                else column.template operator()<true, true>(x, z, y0);
            }
        }
    return n;
}

// The line every pass prints after its scan, and the warning when the
// labels ran out.
inline void report_labels(int n) {
    std::printf("nb_etiq = %d (max %d)\n", n + 1, kTableSize);
    if (n == kLastLabel) std::printf("-----DANGER Pas assez d'etiquettes !!!----\n");
}

// Replaces every entry of labels 0 ... n by the root its chain reaches
// (compressing each chain on the way, which changes no root).
template <class Label>
void resolve_roots(Label* table, int n) {
    for (int i = 0; i <= n; ++i) {
        Label r = static_cast<Label>(i);
        while (table[r] != r) r = table[r];
        point_chain_to(table, static_cast<Label>(i), r);
    }
}

// Calls f(label) for the label of every voxel of a volume, trace by trace,
// and stores what f returns in its place.
template <class Out, class F>
void rewrite_labels(Out*** lab, int dimx, int dimy, int dimz, F f) {
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y) {
            Out* trace = lab[z][y];
            for (int x = 0; x < dimx; ++x) trace[x] = f(trace[x]);
        }
}

}  // namespace region3d
