// adaptive_filter.hpp: what the speckle filters share: the check of their three
// images, the pass over every pixel, and how a result becomes a pixel.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <type_traits>

#include "fail.hpp"
#include "pixel_traits.hpp"
#include "text_input.hpp"

namespace filters {

// Sizes and names the output like I (name "<I.nom>(<kind><colonnes>x<lignes>)")
// and allocates it; M and M2 of another size than I end the process.
template <class IImage, class MImage, class M2Image>
void speckle_init(const IImage& I, const MImage& M, const M2Image& M2, IImage* out, const char* kind, int colonnes,
                  int lignes, const char* who) {
    if (M.nc != I.nc || M.nr != I.nr || M2.nc != I.nc || M2.nr != I.nr)
        fw::fail(1, "\n>> ERREUR %s : images de tailles differentes (%dx%d, moyenne %dx%d, moyenne des carres %dx%d)\n",
                 who, I.nc, I.nr, M.nc, M.nr, M2.nc, M2.nr);
    out->nc = I.nc;
    out->nr = I.nr;
    fw::copy_text(out->nom, std::string(I.nom) + "(" + kind + std::to_string(colonnes) + "x" + std::to_string(lignes) +
                                ")");
    fw::alloc_image(out);
}

// A filter's result as a pixel: floats and doubles as they are; 8- and
// 16-bit results rounded (0.5 added, then truncated) and clamped to the
// pixel's range, with a warning for each pixel clamped.
template <class Pixel>
inline Pixel speckle_pixel(double result, const char* who) {
    if constexpr (!std::is_integral_v<Pixel>) {
        return static_cast<Pixel>(result);
    } else {
        const double x = result + 0.5;
        if (!(x >= 0)) {  // NaN too
            std::printf("\n ATT %s : resultat negatif!\n", who);
            return 0;
        }
        if constexpr (sizeof(Pixel) == 1) {
            if (x >= 256.0) {
                std::printf("\n ATT %s : resultat superieur a 256\n", who);
                return 255;
            }
        } else if (x >= 65536.0) {
            std::printf("\n ATT %s : resultat superieur a %d\n", who, 65535);
            return 65535;
        }
        return static_cast<Pixel>(x);
    }
}

// Applies formula(I, M, M2, count) to every pixel, row after row, into out;
// returns how many pixels the formula counted.
template <class IImage, class MImage, class M2Image, class Formula>
long long speckle_calc(const IImage& I, const MImage& M, const M2Image& M2, IImage* out, const char* who,
                       Formula formula) {
    using Pixel = fw::pixel_t<IImage>;
    if (out->nc != I.nc || out->nr != I.nr || M.nc != I.nc || M.nr != I.nr || M2.nc != I.nc || M2.nr != I.nr)
        fw::fail(1, "\n>> ERREUR %s : images de tailles differentes\n", who);
    const std::size_t n = static_cast<std::size_t>(I.nc) * static_cast<std::size_t>(I.nr);
    const auto* i = I.pixels[0];
    const auto* m = M.pixels[0];
    const auto* m2 = M2.pixels[0];
    Pixel* o = out->pixels[0];
    long long count = 0;
    for (std::size_t k = 0; k < n; ++k)
        o[k] = speckle_pixel<Pixel>(
            formula(static_cast<double>(i[k]), static_cast<double>(m[k]), static_cast<double>(m2[k]), count), who);
    return count;
}

}  // namespace filters
