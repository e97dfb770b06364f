// Image and volume records for tests: made from a function of the position,
// and read back as flat arrays for comparison.
#pragma once

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
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

// The pixel block of an image as bytes, row after row (for 8-bit pixels,
// what a raw file holds).
template <class Image>
std::string bytes_of(const Image& image) {
    const auto* first = reinterpret_cast<const char*>(image.pixels[0]);
    const auto n = static_cast<std::size_t>(image.nc) * static_cast<std::size_t>(image.nr);
    return {first, first + sizeof(fw::pixel_t<Image>) * n};
}

// The red, green and blue planes of an imarvb in turn.
inline std::string bytes_of(const imarvb& image) {
    const auto n = static_cast<std::size_t>(image.nc) * static_cast<std::size_t>(image.nr);
    std::string s;
    for (unsigned char** plane : {image.r, image.v, image.b}) s.append(reinterpret_cast<const char*>(plane[0]), n);
    return s;
}

// Whether row y of an image starts y * nc pixels into its block, for every
// row (of every plane of an imarvb).
template <class Image>
bool rows_linked(const Image& image) {
    for (int y = 0; y < image.nr; ++y)
        if (image.pixels[y] != image.pixels[0] + static_cast<std::ptrdiff_t>(y) * image.nc) return false;
    return true;
}
inline bool rows_linked(const imarvb& image) {
    for (unsigned char** plane : {image.r, image.v, image.b})
        for (int y = 0; y < image.nr; ++y)
            if (plane[y] != plane[0] + static_cast<std::ptrdiff_t>(y) * image.nc) return false;
    return true;
}

// The pixel function of an image whose pixels, row after row, are `values`.
template <class T>
auto pixels_from(std::vector<T> values, int nc) {
    return [values = std::move(values), nc](int x, int y) { return values[static_cast<std::size_t>(y * nc + x)]; };
}

// The three colour tables of an imau1 (red, green, blue), or "" without.
inline std::string luts_of(const imau1& image) {
    if (image.lutr == nullptr) return "";
    std::string s;
    for (const unsigned char* table : {image.lutr, image.lutv, image.lutb})
        s.append(reinterpret_cast<const char*>(table), 256);
    return s;
}

// "<nc>x<nr>" of an image, "<dimx>x<dimy>x<dimz>" of a volume: all sizes in
// one comparison.
template <class Record>
std::string shape(const Record& r) {
    if constexpr (requires { r.nc; }) return std::to_string(r.nc) + "x" + std::to_string(r.nr);
    else return std::to_string(r.dimx) + "x" + std::to_string(r.dimy) + "x" + std::to_string(r.dimz);
}

// The allocation and release functions of every volume record, by overload.
inline void allocate(ima3Du1* v) { allouer_ima3Du1(v); }
inline void allocate(ima3Ds2* v) { allouer_ima3Ds2(v); }
inline void allocate(ima3Du4* v) { allouer_ima3Du4(v); }
inline void allocate(ima3Du8* v) { allouer_ima3Du8(v); }
inline void allocate(ima3Dd* v) { allouer_ima3Dd(v); }
inline void release(ima3Du1* v) { liberer_ima3Du1(v); }
inline void release(ima3Ds2* v) { liberer_ima3Ds2(v); }
inline void release(ima3Du4* v) { liberer_ima3Du4(v); }
inline void release(ima3Du8* v) { liberer_ima3Du8(v); }
inline void release(ima3Dd* v) { liberer_ima3Dd(v); }

// The sample type of a volume record.
template <class Volume>
using sample_t = std::remove_reference_t<decltype(***std::declval<Volume>().data)>;

// A dimx x dimy x dimz volume (8-bit unless told) whose sample (x, y, z) is
// f(x, y, z).
template <class Volume = ima3Du1, class F>
Volume make_volume(int dimx, int dimy, int dimz, F f) {
    Volume v{};
    v.dimx = dimx;
    v.dimy = dimy;
    v.dimz = dimz;
    allocate(&v);
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x) v.data[z][y][x] = static_cast<sample_t<Volume>>(f(x, y, z));
    return v;
}

// Copies samples laid plane after plane, trace after trace (x fastest) into
// an allocated 8-bit volume of the same size.
inline void fill_volume(ima3Du1& v, const std::vector<unsigned char>& samples) {
    auto from = samples.begin();
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y, from += v.dimx) std::copy_n(from, v.dimx, v.data[z][y]);
}

// A new dimx x dimy x dimz 8-bit volume holding those samples.
inline ima3Du1 volume_of(int dimx, int dimy, int dimz, const std::vector<unsigned char>& samples) {
    ima3Du1 v{};
    v.dimx = dimx;
    v.dimy = dimy;
    v.dimz = dimz;
    allouer_ima3Du1(&v);
    fill_volume(v, samples);
    return v;
}

// The samples of a volume of any type, plane after plane, trace after trace.
template <class Volume>
std::vector<sample_t<Volume>> values_of(const Volume& v) {
    std::vector<sample_t<Volume>> values;
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y) values.insert(values.end(), v.data[z][y], v.data[z][y] + v.dimx);
    return values;
}

// The samples of a volume, plane after plane, trace after trace.
inline std::string samples_of(const ima3Du1& v) {
    std::string s;
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y) s.append(reinterpret_cast<const char*>(v.data[z][y]), static_cast<std::size_t>(v.dimx));
    return s;
}

// An 8-bit volume as text for one comparison: sizes, header length, bits
// per sample, then the samples.
inline std::string described(const ima3Du1& v) {
    return shape(v) + " entete " + std::to_string(v.entete) + " bits " + std::to_string(v.nb_bits) + ":" +
           samples_of(v);
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
