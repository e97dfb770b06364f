// picture.cpp: 8-bit pictures of images and volumes.

#include "picture.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>

#include "fail.hpp"
#include "volume.h"

namespace cycle {
namespace {

// Scales n values, read through value(i), onto 0 ... 255: the smallest
// finite value gives 0, the largest 255. Two passes, no allocation.
template <class Value>
void scale_to_bytes(std::size_t n, Value value, unsigned char* out) {
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = value(i);
        if (std::isfinite(v)) {
            if (v < lo) lo = v;
            if (v > hi) hi = v;
        }
    }
    // A flat (or finite-less) image: every product below is 0 or NaN, so 0.
    const double k = hi > lo ? 255.0 / (hi - lo) : 0.0;
    if (!(hi > lo)) lo = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double t = (value(i) - lo) * k;
        if (!(t >= 0.0)) t = 0.0;  // NaN, -inf and below the range
        if (t > 255.0) t = 255.0;
        out[i] = static_cast<unsigned char>(t + 0.5);
    }
}

template <class Pixel>
double magnitude(const Pixel& p) {
    if constexpr (std::is_arithmetic_v<Pixel>)
        return static_cast<double>(p);
    else
        return std::hypot(static_cast<double>(p.re), static_cast<double>(p.im));
}

Picture sized(int nc, int nr, int channels) {
    Picture picture;
    picture.nc = nc;
    picture.nr = nr;
    picture.channels = channels;
    picture.pixels.resize(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr) *
                          static_cast<std::size_t>(channels));
    return picture;
}

Picture picture_of_u1(const imau1& in) {
    const std::size_t n = static_cast<std::size_t>(in.nc) * static_cast<std::size_t>(in.nr);
    const unsigned char* p = in.pixels[0];
    if (in.lutr == nullptr || in.lutv == nullptr || in.lutb == nullptr) {
        Picture picture = sized(in.nc, in.nr, 1);
        std::copy(p, p + n, picture.pixels.begin());
        return picture;
    }
    Picture picture = sized(in.nc, in.nr, 3);
    unsigned char* out = picture.pixels.data();
    for (std::size_t i = 0; i < n; ++i, out += 3) {
        out[0] = in.lutr[p[i]];
        out[1] = in.lutv[p[i]];
        out[2] = in.lutb[p[i]];
    }
    return picture;
}

Picture picture_of_rvb(const imarvb& in) {
    const std::size_t n = static_cast<std::size_t>(in.nc) * static_cast<std::size_t>(in.nr);
    Picture picture = sized(in.nc, in.nr, 3);
    const unsigned char *r = in.r[0], *g = in.v[0], *b = in.b[0];
    unsigned char* out = picture.pixels.data();
    for (std::size_t i = 0; i < n; ++i, out += 3) {
        out[0] = r[i];
        out[1] = g[i];
        out[2] = b[i];
    }
    return picture;
}

template <class Image>
Picture scaled_picture(const Image& in) {
    Picture picture = sized(in.nc, in.nr, 1);
    const auto* p = in.pixels[0];
    scale_to_bytes(
        picture.pixels.size(), [p](std::size_t i) { return magnitude(p[i]); }, picture.pixels.data());
    return picture;
}

// The plane read (data[0]) as an XY section (row x, column y), its samples
// as they are (8 bits) or scaled.
template <class Volume>
Picture section_of(const Volume& v, bool scale) {
    Picture picture = sized(v.dimy, v.dimx, 1);
    std::vector<double> values;
    values.reserve(picture.pixels.size());
    for (int x = 0; x < v.dimx; ++x)
        for (int y = 0; y < v.dimy; ++y) values.push_back(static_cast<double>(v.data[0][y][x]));
    if (scale)
        scale_to_bytes(
            values.size(), [&values](std::size_t i) { return values[i]; }, picture.pixels.data());
    else
        std::copy(values.begin(), values.end(), picture.pixels.begin());
    return picture;
}

// Reads the plane asked by the reader with `read` into a volume of type
// Volume, and makes its picture.
template <class Volume>
Picture read_section(read_vol_t* reader, int (*read)(read_vol_t*, Volume*), void (*release)(Volume*), bool scale) {
    Volume v{};
    read(reader, &v);
    Picture picture = section_of(v, scale);
    release(&v);
    return picture;
}

}  // namespace

Picture picture_of(const AnyImage& image) {
    return std::visit(
        [](const auto& in) {
            using Image = std::decay_t<decltype(in)>;
            if constexpr (std::is_same_v<Image, imau1>)
                return picture_of_u1(in);
            else if constexpr (std::is_same_v<Image, imarvb>)
                return picture_of_rvb(in);
            else
                return scaled_picture(in);
        },
        image);
}

Picture middle_section(read_vol_t* reader, const char* who) {
    ima3Du1 header{};
    read_vol_entete(reader, &header);
    if (header.nb_bits != 8 && header.nb_bits != 16 && header.nb_bits != 64)
        fw::fail(1, "\n>> ERREUR %s : volume %s de %d bits par echantillon non traite (8, 16 ou 64)\n", who,
                 reader->nom, header.nb_bits);
    reader->premier = reader->dernier = header.dimz / 2 + 1;
    if (header.nb_bits == 8) return read_section(reader, read_volu1_init, liberer_ima3Du1, false);
    if (header.nb_bits == 16) return read_section(reader, read_vols2_init, liberer_ima3Ds2, true);
    return read_section(reader, read_vold_init, liberer_ima3Dd, true);
}

}  // namespace cycle
