// Sliding means over odd windows, in constant time per pixel: a running sum
// along each row, then running sums down the columns of the row means (the
// machinery of running_mean.hpp).

#include "moy2D.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "running_mean.hpp"
#include "text_input.hpp"

namespace {

// The mean of `count` values summing to `sum`, as the pixel type stores it:
// 8- and 16-bit means rounded (0.5 added to the quotient, then truncated),
// float means the sum in single precision divided by the count, double
// means in double.
template <class Pixel, class Acc>
inline Pixel mean(Acc sum, int count) {
    if constexpr (std::is_integral_v<Pixel>) {
        return static_cast<Pixel>(static_cast<double>(sum) / count + 0.5);
    } else if constexpr (std::is_same_v<Pixel, float>) {
        return static_cast<float>(sum) / static_cast<float>(count);
    } else {
        return sum / count;
    }
}

// Running sums of 8- and 16-bit pixels are exact integers: 32 bits while
// the largest window sum fits, 64 beyond.
template <class Pixel>
bool wide_sums(const moy2D_t& d, int nc, int nr) {
    if constexpr (!std::is_integral_v<Pixel>) {
        return false;
    } else {
        const long long count = std::max(std::min<long long>(d.colonnes, nc), std::min<long long>(d.lignes, nr));
        return count * std::numeric_limits<Pixel>::max() > UINT32_MAX;
    }
}

template <class Pixel>
using NarrowAcc = std::conditional_t<std::is_integral_v<Pixel>, std::uint32_t, double>;
template <class Pixel>
using WideAcc = std::conditional_t<std::is_integral_v<Pixel>, std::uint64_t, double>;

template <class Pixel, class Acc>
void filter(filters::ColumnSums<Pixel, Acc>& columns, const moy2D_t& d, Pixel* const* in, Pixel* const* out) {
    const int nc = columns.nc(), hx = d.colonnes / 2;
    columns.run(
        [&](int y, Pixel* row) {
            const Pixel* line = in[y];
            filters::running_line<Acc>(
                nc, hx, [line](int x) { return static_cast<Acc>(line[x]); },
                [row](int x, Acc sum, int count) { row[x] = mean<Pixel>(sum, count); });
        },
        [](int, Pixel*) {},
        [&](int y, const Acc* sums, int count, bool) {
            Pixel* row = out[y];
            for (int x = 0; x < nc; ++x) row[x] = mean<Pixel>(sums[x], count);
        });
}

template <class Image>
int init(moy2D_t* d, const Image& in, Image* out, const char* who) {
    using Pixel = fw::pixel_t<Image>;
    out->nc = in.nc;
    out->nr = in.nr;
    fw::copy_text(out->nom, std::string(in.nom) + "(moy" + std::to_string(d->colonnes) + "x" +
                                std::to_string(d->lignes) + ")");
    fw::alloc_image(out);
    const int hy = d->lignes / 2;
    const bool made = wide_sums<Pixel>(*d, in.nc, in.nr)
                          ? filters::make_scratch<Pixel, WideAcc<Pixel>>(&d->tampon, in.nc, in.nr, hy)
                          : filters::make_scratch<Pixel, NarrowAcc<Pixel>>(&d->tampon, in.nc, in.nr, hy);
    if (!made) fw::fail(1, "\n>> ERREUR %s : allocation impossible\n", who);
    return NO_ERROR;
}

template <class Image>
int calc(moy2D_t* d, const Image& in, Image* out, const char* who) {
    using Pixel = fw::pixel_t<Image>;
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR %s : image resultat %dx%d differente de l'image initiale %dx%d\n", who, out->nc,
                 out->nr, in.nc, in.nr);
    if (auto* narrow = filters::scratch_of<Pixel, NarrowAcc<Pixel>>(d->tampon, in.nc, in.nr))
        filter(*narrow, *d, in.pixels, out->pixels);
    else if (auto* wide = filters::scratch_of<Pixel, WideAcc<Pixel>>(d->tampon, in.nc, in.nr))
        filter(*wide, *d, in.pixels, out->pixels);
    else
        fw::fail(1, "\n>> ERREUR %s : phase d'initialisation absente pour cette image\n", who);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* moy2D_lect(moy2D_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "moy2D_lect");
    desc->colonnes = questions.integer("nombre de colonnes moyennees (impaire)");
    desc->lignes = questions.integer("nombre de lignes moyennees (impaire)");
    desc->tampon = nullptr;
    if (desc->colonnes < 1 || desc->colonnes % 2 == 0 || desc->lignes < 1 || desc->lignes % 2 == 0)
        fw::fail(1, "\n>> ERREUR moy2D_lect : dimensions incorrectes\n");
    return questions.next();
}

int moy2Du1_init(moy2D_t* desc, imau1 in, imau1* out) { return init(desc, in, out, "moy2Du1_init"); }
int moy2Du2_init(moy2D_t* desc, imau2 in, imau2* out) { return init(desc, in, out, "moy2Du2_init"); }
int moy2Dfl_init(moy2D_t* desc, imafl in, imafl* out) { return init(desc, in, out, "moy2Dfl_init"); }
int moy2Ddb_init(moy2D_t* desc, imadb in, imadb* out) { return init(desc, in, out, "moy2Ddb_init"); }

int moy2Du1_calc(moy2D_t* desc, imau1 in, imau1* out) { return calc(desc, in, out, "moy2Du1_calc"); }
int moy2Du2_calc(moy2D_t* desc, imau2 in, imau2* out) { return calc(desc, in, out, "moy2Du2_calc"); }
int moy2Dfl_calc(moy2D_t* desc, imafl in, imafl* out) { return calc(desc, in, out, "moy2Dfl_calc"); }
int moy2Ddb_calc(moy2D_t* desc, imadb in, imadb* out) { return calc(desc, in, out, "moy2Ddb_calc"); }

int moy2D_ferm(moy2D_t* desc) {
    filters::release_scratch(&desc->tampon);
    return NO_ERROR;
}

}  // extern "C"
