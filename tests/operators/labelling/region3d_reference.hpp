// Plain references for the 3D labellings: volumes held flat (plane after
// plane, trace after trace), a union-find over voxels, and the neighbours a
// code joins to the voxel found by a search over its four voxels.
#pragma once

#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "generators.hpp"
#include "images.hpp"

namespace reference {

struct Volume {
    int dx, dy, dz;
    gen::Bytes v;

    std::size_t at(int x, int y, int z) const {
        return (static_cast<std::size_t>(z) * dy + static_cast<std::size_t>(y)) * dx + static_cast<std::size_t>(x);
    }
    std::string describe() const {
        return "volume " + std::to_string(dx) + "x" + std::to_string(dy) + "x" + std::to_string(dz);
    }
};

inline ima3Du1 to_record(const Volume& c) {
    return testing_support::make_volume(c.dx, c.dy, c.dz, [&](int x, int y, int z) { return c.v[c.at(x, y, z)]; });
}

// Calls f(x, y, z) in the scan order of the passes: planes, then x, then y.
template <class F>
void in_scan_order(const Volume& c, F f) {
    for (int z = 0; z < c.dz; ++z)
        for (int x = 0; x < c.dx; ++x)
            for (int y = 0; y < c.dy; ++y) f(x, y, z);
}

struct UnionFind {
    std::vector<std::size_t> parent;
    explicit UnionFind(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::size_t{0}); }
    std::size_t root(std::size_t a) {
        while (parent[a] != a) a = parent[a];
        return a;
    }
    void unite(std::size_t a, std::size_t b) { parent[root(a)] = root(b); }
};

// The neighbours (L 1, U 2, Z 4) joined to the voxel through the relations
// of a code: 1 voxel-Z, 2 voxel-L, 4 voxel-U, 8 L-Z, 16 U-Z, 32 U-L.
inline unsigned joined_neighbours(unsigned code) {
    enum { kVoxel, kL, kU, kZ };
    const int relations[6][3] = {{1, kVoxel, kZ}, {2, kVoxel, kL}, {4, kVoxel, kU}, {8, kL, kZ}, {16, kU, kZ}, {32, kU, kL}};
    bool reached[4] = {true, false, false, false};
    for (int round = 0; round < 4; ++round)
        for (const auto& r : relations)
            if ((code & static_cast<unsigned>(r[0])) && (reached[r[1]] || reached[r[2]])) reached[r[1]] = reached[r[2]] = true;
    return (reached[kL] ? 1u : 0u) | (reached[kU] ? 2u : 0u) | (reached[kZ] ? 4u : 0u);
}

// The labels of a volume as text, each written as the index of the first
// voxel (in memory order) of the same label: equal for two labellings
// exactly when they make the same partition.
template <class Labels>
std::string partition(const Labels& labels) {
    std::string text;
    std::map<unsigned long long, std::size_t> first;
    for (std::size_t i = 0; i < labels.size(); ++i) text += std::to_string(first.emplace(labels[i], i).first->second) + " ";
    return text;
}

}  // namespace reference
