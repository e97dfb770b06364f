// pixel_traits.hpp: what templates need to know about each image record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "proto2D.h"

namespace fw {

// Pixel type of a 2D record: the element of its row table.
template <class Image>
using pixel_t = std::remove_pointer_t<std::remove_pointer_t<decltype(std::declval<Image>().pixels)>>;

// The scalar that byte reversal works on: the pixel itself, or each of the
// two parts of a complex pixel.
template <class Pixel>
struct component {
    using type = Pixel;
    static constexpr std::size_t per_pixel = 1;
};
template <>
struct component<complexe4> {
    using type = short;
    static constexpr std::size_t per_pixel = 2;
};
template <>
struct component<complexe8> {
    using type = float;
    static constexpr std::size_t per_pixel = 2;
};
template <>
struct component<complexe16> {
    using type = double;
    static constexpr std::size_t per_pixel = 2;
};

// Reverses the bytes of one scalar of 1, 2, 4 or 8 bytes.
template <class T>
inline T byte_reversed(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (sizeof(T) == 1) {
        return value;
    } else if constexpr (sizeof(T) == 2) {
        std::uint16_t bits;
        std::memcpy(&bits, &value, 2);
        bits = __builtin_bswap16(bits);
        std::memcpy(&value, &bits, 2);
        return value;
    } else if constexpr (sizeof(T) == 4) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        bits = __builtin_bswap32(bits);
        std::memcpy(&value, &bits, 4);
        return value;
    } else {
        static_assert(sizeof(T) == 8);
        std::uint64_t bits;
        std::memcpy(&bits, &value, 8);
        bits = __builtin_bswap64(bits);
        std::memcpy(&value, &bits, 8);
        return value;
    }
}

// Copies `count` scalars of `Size` bytes from `src` to `dst`, reversing the
// bytes of each (dst may equal src; unaligned storage is fine). A plain pass
// that the compiler vectorises.
template <std::size_t Size>
inline void reverse_copy_each(void* dst, const void* src, std::size_t count) {
    using Word = std::conditional_t<Size == 2, std::uint16_t, std::conditional_t<Size == 4, std::uint32_t, std::uint64_t>>;
    static_assert(sizeof(Word) == Size);
    auto* out = static_cast<unsigned char*>(dst);
    const auto* in = static_cast<const unsigned char*>(src);
    for (std::size_t i = 0; i < count; ++i) {
        Word w;
        std::memcpy(&w, in + i * Size, Size);
        w = byte_reversed(w);
        std::memcpy(out + i * Size, &w, Size);
    }
}

// Reverses, in place, the bytes of each of `count` scalars of `Size` bytes.
template <std::size_t Size>
inline void reverse_each(void* bytes, std::size_t count) {
    reverse_copy_each<Size>(bytes, bytes, count);
}

// Copies `pixels` pixels of type Pixel from src to dst with every scalar
// (each part of a complex pixel) byte-reversed; dst may equal src.
template <class Pixel>
inline void reverse_copy_pixels(void* dst, const void* src, std::size_t pixels) {
    using C = typename component<Pixel>::type;
    if constexpr (sizeof(C) > 1) {
        reverse_copy_each<sizeof(C)>(dst, src, pixels * component<Pixel>::per_pixel);
    } else if (dst != src) {
        std::memcpy(dst, src, pixels * sizeof(Pixel));
    }
}

// The allocation and release functions of every 2D record, by overload, so
// that templates allocate the record they are given.
inline void alloc_image(imau1* ima) { alloc_imau1(ima); }
inline void alloc_image(imau2* ima) { alloc_imau2(ima); }
inline void alloc_image(imas2* ima) { alloc_imas2(ima); }
inline void alloc_image(imau4* ima) { alloc_imau4(ima); }
inline void alloc_image(imas4* ima) { alloc_imas4(ima); }
inline void alloc_image(imafl* ima) { alloc_imafl(ima); }
inline void alloc_image(imadb* ima) { alloc_imadb(ima); }
inline void alloc_image(imacx4* ima) { alloc_imacx4(ima); }
inline void alloc_image(imacx8* ima) { alloc_imacx8(ima); }
inline void alloc_image(imacx16* ima) { alloc_imacx16(ima); }
inline void alloc_image(imarvb* ima) { alloc_imarvb(ima); }
inline void free_image(imau1* ima) { free_imau1(ima); }
inline void free_image(imau2* ima) { free_imau2(ima); }
inline void free_image(imas2* ima) { free_imas2(ima); }
inline void free_image(imau4* ima) { free_imau4(ima); }
inline void free_image(imas4* ima) { free_imas4(ima); }
inline void free_image(imafl* ima) { free_imafl(ima); }
inline void free_image(imadb* ima) { free_imadb(ima); }
inline void free_image(imacx4* ima) { free_imacx4(ima); }
inline void free_image(imacx8* ima) { free_imacx8(ima); }
inline void free_image(imacx16* ima) { free_imacx16(ima); }
inline void free_image(imarvb* ima) { free_imarvb(ima); }

// Number of bytes of an image of nc x nr pixels of `pixel_size` bytes, or 0
// when a size is negative or the count does not fit in memory.
inline std::size_t image_bytes(long long nc, long long nr, std::size_t pixel_size) {
    if (nc < 0 || nr < 0) return 0;
    unsigned long long pixels = static_cast<unsigned long long>(nc) * static_cast<unsigned long long>(nr);
    if (nr != 0 && pixels / static_cast<unsigned long long>(nr) != static_cast<unsigned long long>(nc)) return 0;
    if (pixels > static_cast<unsigned long long>(PTRDIFF_MAX) / pixel_size) return 0;
    return static_cast<std::size_t>(pixels * pixel_size);
}

}  // namespace fw
