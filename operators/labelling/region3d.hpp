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
    const unsigned joined = kConnected[code & 63];
    // Inside a region the neighbours joined usually carry one same root,
    // which every case below would give back with the table unchanged.
    if (joined != 0) {
        const Label r = (joined & kL) ? l : (joined & kU) ? u : z;
        const bool same =
            ((joined & kL) == 0 || l == r) & ((joined & kU) == 0 || u == r) & ((joined & kZ) == 0 || z == r);
        if (same && table[r] == r) return r;
    }
    switch (joined) {
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

// Code of a voxel that is not labelled at all.
inline constexpr unsigned kOutside = 64;

// Writes into out[x] the code of every voxel x of a trace (the trace's
// voxels, the trace before it in the plane, `up`, and the same trace of
// the plane before, `below`; either may be missing). A loop over
// consecutive samples, without branches, that the compiler vectorises.
template <bool HasU, bool HasZ, class Out, class Rule>
void trace_codes(const unsigned char* trace, const unsigned char* up, const unsigned char* below, Out* out, int dimx,
                 const Rule& rule) {
    auto code_of = [&](int x, bool has_l) {
        const unsigned v = trace[x];
        const unsigned l = has_l ? trace[x - 1] : 0;
        unsigned code = has_l && rule.similar(v, l) ? kVoxelL : 0;
        if constexpr (HasU) code |= rule.similar(v, up[x]) ? kVoxelU : 0;
        if constexpr (HasZ) code |= rule.similar(v, below[x]) ? kVoxelZ : 0;
        if constexpr (HasZ) code |= has_l && rule.similar(l, below[x]) ? kLZ : 0;
        if constexpr (HasU && HasZ) code |= rule.similar(up[x], below[x]) ? kUZ : 0;
        if constexpr (HasU) code |= has_l && rule.similar(up[x], l) ? kUL : 0;
        return static_cast<Out>(rule.member(v) ? code : kOutside);
    };
    out[0] = code_of(0, false);
    for (int x = 1; x < dimx; ++x) out[x] = code_of(x, true);
}

// One labelling pass of the 8-bit volume `in` into the label volume `lab`
// (same sizes, labels of type Out). Rule gives member(v), whether a voxel
// of value v is labelled at all (others get label 0 and take part in no
// merge), and similar(a, b). Voxel (0, 0, 0), when a member, gets label
// `first`, which is also where the counter starts (else label 0, counter 0).
// Returns the counter: the last label made.
//
// Each plane's codes depend on the voxels only: they are computed first,
// trace by trace, into the plane's label cells, where the scan reads each
// code before it writes the label over it.
template <class Label, class Out, class Rule>
int scan(const ima3Du1& in, Out*** lab, Label* table, const Rule& rule, int first) {
    const int dimx = in.dimx, dimy = in.dimy, dimz = in.dimz;
    table[0] = 0;
    int n = 0;

    for (int z = 0; z < dimz; ++z) {
        unsigned char* const* plane = in.data[z];
        Out* const* labels = lab[z];
        Out* const* labels_below = z > 0 ? lab[z - 1] : nullptr;
        for (int y = 0; y < dimy; ++y) {
            const unsigned char* up = y > 0 ? plane[y - 1] : nullptr;
            const unsigned char* below = z > 0 ? in.data[z - 1][y] : nullptr;
            if (y > 0 && z > 0)
                trace_codes<true, true>(plane[y], up, below, labels[y], dimx, rule);
            else if (y > 0)
                trace_codes<true, false>(plane[y], up, below, labels[y], dimx, rule);
            else if (z > 0)
                trace_codes<false, true>(plane[y], up, below, labels[y], dimx, rule);
            else
                trace_codes<false, false>(plane[y], up, below, labels[y], dimx, rule);
        }

        // Column x of the plane, y = y0 ... dimy-1. U is the voxel labelled
        // just before in the column: its label is carried over.
        auto column = [&]<bool HasL, bool HasZ>(int x, int y0) {
            Label lu = y0 > 0 ? static_cast<Label>(labels[y0 - 1][x]) : 0;
            for (int y = y0; y < dimy; ++y) {
                Out* out = labels[y];
                const auto code = static_cast<unsigned>(out[x]);
                Label label = 0;
                if (code != kOutside) {
                    const Label ll = HasL ? static_cast<Label>(out[HasL ? x - 1 : x]) : 0;
                    const Label lz = HasZ ? static_cast<Label>(labels_below[y][x]) : 0;
                    label = choose_label(code, ll, lu, lz, table, n);
                }
                out[x] = static_cast<Out>(label);
                lu = label;
            }
        };
        int y0 = 0;
        if (z == 0) {
            // Voxel (0, 0, 0) starts the first label.
            if (labels[0][0] != static_cast<Out>(kOutside)) {
                n = first;
                table[n] = static_cast<Label>(n);
                labels[0][0] = static_cast<Out>(n);
            } else {
                labels[0][0] = 0;
            }
            y0 = 1;
        }
        if (z == 0)
            column.template operator()<false, false>(0, y0);
        else
            column.template operator()<false, true>(0, y0);
        for (int x = 1; x < dimx; ++x) {
            if (z == 0)
                column.template operator()<true, false>(x, 0);
            else
                column.template operator()<true, true>(x, 0);
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
