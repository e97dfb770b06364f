// Image and volume records for tests: made from a function of the position,
// and read back as flat arrays for comparison.
#pragma once

#include <string>
#include <vector>

#include "pixel_traits.hpp"
#include "proto2D.h"
#include "volume.h"

namespace testing_support {

// An nc x nr image of any record type (imarvb aside) whose pixel (x, y) is
// pixel(x, y), allocated with the record's own allocation function.
template <class Image, class F>
Image make_image(int nc, int nr, F pixel) {
    Image image{};
    image.nc = nc;
    image.nr = nr;
    fw::alloc_image(&image);
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) image.pixels[y][x] = static_cast<fw::pixel_t<Image>>(pixel(x, y));
    return image;
}

// An imarvb whose planes hold red(x, y), green(x, y), blue(x, y).
template <class F>
imarvb make_rvb(int nc, int nr, F red, F green, F blue) {
    imarvb image{};
    image.nc = nc;
    image.nr = nr;
    alloc_imarvb(&image);
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            image.r[y][x] = static_cast<unsigned char>(red(x, y));
            image.v[y][x] = static_cast<unsigned char>(green(x, y));
            image.b[y][x] = static_cast<unsigned char>(blue(x, y));
        }
    return image;
}

// The pixels of an image, row after row.
template <class Image>
std::vector<fw::pixel_t<Image>> pixels_of(const Image& image) {
    const auto* first = image.pixels[0];
    return {first, first + static_cast<std::size_t>(image.nc) * static_cast<std::size_t>(image.nr)};
}

// The same bytes, as a string (what a raw file of 8-bit pixels holds).
inline std::string bytes_of(const imau1& image) {
    const auto pixels = pixels_of(image);
    return {pixels.begin(), pixels.end()};
}

// A dimx x dimy x dimz 8-bit volume whose sample (x, y, z) is f(x, y, z).
template <class F>
ima3Du1 make_volume(int dimx, int dimy, int dimz, F f) {
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

// Samples f(x, y, z) as a volume file or LVF file stores them.
template <class F>
std::string samples(int dimx, int dimy, int dimz, F f) {
    std::string s;
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x) s += static_cast<char>(f(x, y, z));
    return s;
}

}  // namespace testing_support
