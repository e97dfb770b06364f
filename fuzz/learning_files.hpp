// learning_files.hpp: what the two learning-data harnesses share.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace fuzz {

// The sizes of `classes` classes (malloc, as the dialogue allocates them,
// released by the phase's _ferm): least + bits 0-4 of one byte each.
inline int* class_sizes(const std::uint8_t* bytes, int classes, int least) {
    int* sizes = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(classes)));
    if (sizes == nullptr) std::abort();
    for (int k = 0; k < classes; ++k) sizes[k] = least + (bytes[k] & 31);
    return sizes;
}

}  // namespace fuzz
