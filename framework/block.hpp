// block.hpp: memory for large contiguous blocks (image pixels, bit planes).
#pragma once

#include <cstddef>

namespace fw {

// Allocates `bytes` bytes (zero-filled on request) that std::free releases,
// or returns null when memory is exhausted. Blocks of 4 MiB and more are
// aligned to, and backed by, 2 MiB pages where the system offers them:
// filling a large image then costs a few dozen page faults instead of one
// per 4 KiB.
void* allocate_block(std::size_t bytes, bool zero_filled);

}  // namespace fw
