// volume_alloc.hpp: the layout of volume records in memory, shared by the
// volume-file and LVF modules: a table of planes, a table of trace pointers
// per plane, and one allocation per trace.
#pragma once

#include <cstdlib>

#include "image.h"

namespace vol {

// Releases every trace, every trace table and the plane table of a layout
// of `planes` planes of `dimy` traces (missing parts are skipped).
template <class T>
void release(T*** data, int dimy, int planes) {
    if (data == nullptr) return;
    for (int z = 0; z < planes; ++z) {
        if (data[z] == nullptr) continue;
        for (int y = 0; y < dimy; ++y) std::free(data[z][y]);
        std::free(data[z]);
    }
    std::free(data);
}

// Allocates `planes` planes of `dimy` traces of `dimx` samples (zero-filled
// on request). Returns null, with nothing left allocated, when memory runs
// out. The sizes must be positive.
template <class T>
T*** try_allocate(int dimx, int dimy, int planes, bool zero_filled) {
    auto*** data = static_cast<T***>(std::calloc(static_cast<std::size_t>(planes), sizeof(T**)));
    if (data == nullptr) return nullptr;
    const std::size_t trace = static_cast<std::size_t>(dimx) * sizeof(T);
    for (int z = 0; z < planes; ++z) {
        data[z] = static_cast<T**>(std::calloc(static_cast<std::size_t>(dimy), sizeof(T*)));
        if (data[z] == nullptr) {
            release(data, dimy, planes);
            return nullptr;
        }
        for (int y = 0; y < dimy; ++y) {
            data[z][y] = static_cast<T*>(zero_filled ? std::calloc(1, trace) : std::malloc(trace));
            if (data[z][y] == nullptr) {
                release(data, dimy, planes);
                return nullptr;
            }
        }
    }
    return data;
}

inline unsigned char*** try_allocate_u1(int dimx, int dimy, int planes) {
    return try_allocate<unsigned char>(dimx, dimy, planes, true);
}

}  // namespace vol
