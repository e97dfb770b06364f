#include "block.hpp"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace fw {

namespace {
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void* allocate_block(std::size_t bytes, bool zero_filled) {
    if (bytes < kLargeBlock) return zero_filled ? std::calloc(bytes, 1) : std::malloc(bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block == nullptr) return nullptr;
    ::madvise(block, rounded, MADV_HUGEPAGE);
    if (zero_filled) std::memset(block, 0, bytes);
    return block;
}

}  // namespace fw
