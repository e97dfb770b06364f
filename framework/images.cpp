// Allocation and release of the 2D image records: one row table over one
// contiguous pixel block, so that pixels[0] walks the whole image.

#include <cstdlib>
#include <cstring>

#include "block.hpp"
#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"

namespace {

// Allocates a row table of nr entries over a block of nc x nr pixels and
// returns it (the pixels are zero-filled on request, else undefined). Empty
// images (nc or nr 0) still get a one-entry table and a one-byte block, so
// that pixels and pixels[0] are never null. Negative or overflowing sizes
// and exhausted memory end the process.
template <class Pixel>
Pixel** alloc_rows(int nc, int nr, bool zero_filled) {
    if (nc < 0 || nr < 0) fw::fail(1, "\n allocation image impossible\n");
    std::size_t bytes = fw::image_bytes(nc, nr, sizeof(Pixel));
    if (bytes == 0 && nc != 0 && nr != 0) fw::fail(1, "\n allocation image impossible\n");
    if (bytes == 0) bytes = 1;
    const std::size_t rows = nr > 0 ? static_cast<std::size_t>(nr) : 1;

    auto** table = static_cast<Pixel**>(zero_filled ? std::calloc(rows, sizeof(Pixel*)) : std::malloc(rows * sizeof(Pixel*)));
    auto* block = static_cast<Pixel*>(fw::allocate_block(bytes, zero_filled));
    if (table == nullptr || block == nullptr) fw::fail(1, "\n allocation image impossible\n");

    table[0] = block;
    for (int y = 1; y < nr; ++y) table[y] = block + static_cast<std::size_t>(y) * static_cast<std::size_t>(nc);
    return table;
}

template <class Pixel>
void free_rows(Pixel**& table) {
    if (table == nullptr) return;
    std::free(table[0]);
    std::free(table);
    table = nullptr;
}

template <class Image>
void alloc_pixels(Image* ima) {
    ima->pixels = alloc_rows<fw::pixel_t<Image>>(ima->nc, ima->nr, false);
}

}  // namespace

extern "C" {

void alloc_imau1(imau1* ima) {
    alloc_pixels(ima);
    ima->lutr = ima->lutv = ima->lutb = nullptr;
}
void alloc_imau2(imau2* ima) { alloc_pixels(ima); }
void alloc_imas2(imas2* ima) { alloc_pixels(ima); }
void alloc_imau4(imau4* ima) { alloc_pixels(ima); }
void alloc_imas4(imas4* ima) { alloc_pixels(ima); }
void alloc_imafl(imafl* ima) { alloc_pixels(ima); }
void alloc_imadb(imadb* ima) { alloc_pixels(ima); }
void alloc_imacx4(imacx4* ima) { alloc_pixels(ima); }
void alloc_imacx8(imacx8* ima) { alloc_pixels(ima); }
void alloc_imacx16(imacx16* ima) { alloc_pixels(ima); }

void alloc_imarvb(imarvb* ima) {
    ima->r = alloc_rows<unsigned char>(ima->nc, ima->nr, false);
    ima->v = alloc_rows<unsigned char>(ima->nc, ima->nr, false);
    ima->b = alloc_rows<unsigned char>(ima->nc, ima->nr, false);
}

void alloc_imau1_as(imau1* src, imau1* dst) {
    dst->nc = src->nc;
    dst->nr = src->nr;
    dst->lutr = src->lutr;
    dst->lutv = src->lutv;
    dst->lutb = src->lutb;
    if (dst != src) std::memmove(dst->nom, src->nom, sizeof dst->nom);
    dst->pixels = alloc_rows<unsigned char>(dst->nc, dst->nr, true);
}

void free_imau1(imau1* ima) { free_rows(ima->pixels); }
void free_imau2(imau2* ima) { free_rows(ima->pixels); }
void free_imas2(imas2* ima) { free_rows(ima->pixels); }
void free_imau4(imau4* ima) { free_rows(ima->pixels); }
void free_imas4(imas4* ima) { free_rows(ima->pixels); }
void free_imafl(imafl* ima) { free_rows(ima->pixels); }
void free_imadb(imadb* ima) { free_rows(ima->pixels); }
void free_imacx4(imacx4* ima) { free_rows(ima->pixels); }
void free_imacx8(imacx8* ima) { free_rows(ima->pixels); }
void free_imacx16(imacx16* ima) { free_rows(ima->pixels); }

void free_imarvb(imarvb* ima) {
    free_rows(ima->r);
    free_rows(ima->v);
    free_rows(ima->b);
}

}  // extern "C"
