// Builders of volume and LVF files byte by byte, and small volume helpers,
// for the volume tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support.hpp"
#include "volume.h"

namespace volume_files {

// An 80-byte volume header: 'a' everywhere but the five big-endian fields.
inline std::string volume_header(int dimx, int dimy, int dimz, int bits, int entete = 80) {
    std::string h(static_cast<std::size_t>(entete > 80 ? entete : 80), 'a');
    auto put = [&h](std::size_t at, int value) { h.replace(at, 4, testing_support::be32(static_cast<unsigned>(value))); };
    put(4, dimx);
    put(8, dimy);
    put(12, dimz);
    put(36, bits);
    put(72, entete);
    return h;
}

// An LVF file: six host-order integers, then the samples.
inline std::string lvf_file(int dimx, int dimy, int dimz, const std::string& samples, int magic = 128, int entete = 24,
                            int bits = 8) {
    const std::int32_t fields[6] = {magic, entete, dimx, dimy, dimz, bits};
    return std::string(reinterpret_cast<const char*>(fields), sizeof fields) + samples;
}

// A dimx x dimy x dimz 8-bit volume whose sample (x, y, z) is f(x, y, z).
template <class F>
ima3Du1 make_u1(int dimx, int dimy, int dimz, F f) {
    ima3Du1 v{};
    v.dimx = dimx;
    v.dimy = dimy;
    v.dimz = dimz;
    allouer_ima3Du1(&v);
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x) v.data[z][y][x] = static_cast<unsigned char>(f(x, y, z));
    return v;
}

// The samples of a volume, plane after plane, trace after trace.
inline std::string samples_of(const ima3Du1& v) {
    std::string s;
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y) s.append(reinterpret_cast<const char*>(v.data[z][y]), static_cast<std::size_t>(v.dimx));
    return s;
}

}  // namespace volume_files
