// Byte reversal of single values and arrays of values.

#include "pixel_traits.hpp"
#include "proto2D.h"

extern "C" {

// Byte reversal: the helpers reverse unconditionally; the readers and
// writers call them because the files are big-endian and the host is not.
void permuteShort(void* value) { fw::reverse_each<2>(value, 1); }
void permuteInt(void* value) { fw::reverse_each<4>(value, 1); }
void permuteFloat(void* value) { fw::reverse_each<4>(value, 1); }
void permuteLong(void* value) { fw::reverse_each<8>(value, 1); }

void permuteShortTab(void* values, int n) {
    if (n > 0) fw::reverse_each<2>(values, static_cast<std::size_t>(n));
}
void permuteIntTab(void* values, int n) {
    if (n > 0) fw::reverse_each<4>(values, static_cast<std::size_t>(n));
}
void permuteFloatTab(void* values, int n) {
    if (n > 0) fw::reverse_each<4>(values, static_cast<std::size_t>(n));
}
void permuteLongTab(void* values, int n) {
    if (n > 0) fw::reverse_each<8>(values, static_cast<std::size_t>(n));
}

}  // extern "C"
