// Sliding means of squared grey levels over odd windows, in constant time
// per pixel (the machinery of running_mean.hpp). The sums are doubles; for
// 8- and 16-bit images the squares come from a table built once.

#include "moycarre2D.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "running_mean.hpp"
#include "text_input.hpp"

namespace {

// A pass's mean: the sum in single precision divided by the count in single
// precision for float results, in double for double results.
template <class Out>
inline Out mean(double sum, int count) {
    if constexpr (std::is_same_v<Out, float>) return static_cast<float>(sum) / static_cast<float>(count);
    else return sum / count;
}

// A value of the vertical pass set to 0 because it was below 0: a copied
// row mean (som_lig) or a running sum (somme), at column x, row y.
struct Reset {
    int x, kind, y;
    double value;
    bool operator<(const Reset& o) const { return std::tie(x, kind, y) < std::tie(o.x, o.kind, o.y); }
};

// Filters in into out. With `who` (the 8- and 16-bit variants), negative
// values of the vertical pass are set to 0 and reported, column by column
// as a column-wise pass meets them.
template <class In, class Out>
void filter(filters::ColumnSums<Out, double>& columns, const moycarre2D_t& d, In* const* in, Out* const* out,
            const double* squares, const char* who) {
    const int nc = columns.nc(), hx = d.colonnes / 2;
    std::vector<Reset> resets;
    columns.run(
        [&](int y, Out* row) {
            const In* line = in[y];
            auto square = [&](int x) {
                if constexpr (std::is_integral_v<In>) return squares[line[x]];
                else return static_cast<double>(line[x]) * static_cast<double>(line[x]);
            };
            filters::running_line<double>(nc, hx, square, [row](int x, double sum, int count) { row[x] = mean<Out>(sum, count); });
        },
        [&](int y, Out* row) {
            if (who == nullptr) return;
            for (int x = 0; x < nc; ++x)
                if (row[x] < 0) {
                    resets.push_back({x, 0, y, static_cast<double>(row[x])});
                    row[x] = 0;
                }
        },
        [&](int y, double* sums, int count, bool first) {
            Out* row = out[y];
            if (who != nullptr && !first && *std::min_element(sums, sums + nc) < 0) {
                for (int x = 0; x < nc; ++x) {
                    if (sums[x] < 0) {
                        resets.push_back({x, 1, y, sums[x]});
                        sums[x] = 0;
                        row[x] = 0;
                    } else {
                        row[x] = mean<Out>(sums[x], count);
                    }
                }
                return;
            }
            for (int x = 0; x < nc; ++x) row[x] = mean<Out>(sums[x], count);
        });
    std::sort(resets.begin(), resets.end());
    for (const Reset& r : resets)
        std::printf("\n>> ATT %s : %s(%d,%d)=%f mis a 0\n", who, r.kind == 0 ? "som_lig" : "somme", r.x, r.y, r.value);
}

// The table of squares of every level of In (8- and 16-bit pixels).
template <class In>
bool make_squares(moycarre2D_t* d) {
    std::free(d->carres);
    const std::size_t levels = std::size_t{1} << (8 * sizeof(In));
    d->carres = static_cast<double*>(std::malloc(levels * sizeof(double)));
    if (d->carres == nullptr) return false;
    for (std::size_t v = 0; v < levels; ++v) d->carres[v] = static_cast<double>(v) * static_cast<double>(v);
    return true;
}

template <class InImage, class OutImage>
int init(moycarre2D_t* d, const InImage& in, OutImage* out, const char* who, const char* table_who) {
    using In = fw::pixel_t<InImage>;
    using Out = fw::pixel_t<OutImage>;
    out->nc = in.nc;
    out->nr = in.nr;
    const char* kind = std::is_same_v<Out, double> ? "(moy" : "(moycarre";
    fw::copy_text(out->nom, std::string(in.nom) + kind + std::to_string(d->colonnes) + "x" +
                                std::to_string(d->lignes) + ")");
    fw::alloc_image(out);
    if (!filters::make_scratch<Out, double>(&d->tampon, in.nc, in.nr, d->lignes / 2))
        fw::fail(1, "\n>> ERREUR %s : allocation impossible\n", who);
    if constexpr (std::is_integral_v<In>)
        if (!make_squares<In>(d)) fw::fail(1, "\n>> ERREUR %s : allocation impossible\n", table_who);
    return NO_ERROR;
}

template <class InImage, class OutImage>
int calc(moycarre2D_t* d, const InImage& in, OutImage* out, const char* who) {
    using In = fw::pixel_t<InImage>;
    using Out = fw::pixel_t<OutImage>;
    if (out->nc != in.nc || out->nr != in.nr)
        fw::fail(1, "\n>> ERREUR %s : image resultat %dx%d differente de l'image initiale %dx%d\n", who, out->nc,
                 out->nr, in.nc, in.nr);
    auto* columns = filters::scratch_of<Out, double>(d->tampon, in.nc, in.nr);
    if (columns == nullptr || (std::is_integral_v<In> && d->carres == nullptr))
        fw::fail(1, "\n>> ERREUR %s : phase d'initialisation absente pour cette image\n", who);
    filter(*columns, *d, in.pixels, out->pixels, d->carres, std::is_integral_v<In> ? who : nullptr);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* moycarre2D_lect(moycarre2D_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "moycarre2D_lect");
    desc->colonnes = questions.integer("nombre de colonnes moyennees (impaire)");
    desc->lignes = questions.integer("nombre de lignes moyennees (impaire)");
    desc->carres = nullptr;
    desc->tampon = nullptr;
    if (desc->colonnes < 1 || desc->colonnes % 2 == 0 || desc->lignes < 1 || desc->lignes % 2 == 0)
        fw::fail(1, "\n>> ERREUR moycarre2D_lect : dimensions incorrectes\n");
    return questions.next();
}

int moycarre2Du1_init(moycarre2D_t* desc, imau1 in, imafl* out) {
    return init(desc, in, out, "moycarre2Du1_init", "moycarre2Du1_init");
}
int moycarre2Du2_init(moycarre2D_t* desc, imau2 in, imafl* out) {
    return init(desc, in, out, "moycarre2Du2_init", "estimRu2_init");
}
int moycarre2Dfl_init(moycarre2D_t* desc, imafl in, imafl* out) { return init(desc, in, out, "moycarre2Dfl_init", ""); }
int moycarre2Ddb_init(moycarre2D_t* desc, imadb in, imadb* out) { return init(desc, in, out, "moycarre2Ddb_init", ""); }

int moycarre2Du1_calc(moycarre2D_t* desc, imau1 in, imafl* out) { return calc(desc, in, out, "moycarre2Du1_calc"); }
int moycarre2Du2_calc(moycarre2D_t* desc, imau2 in, imafl* out) { return calc(desc, in, out, "moycarre2Du2_calc"); }
int moycarre2Dfl_calc(moycarre2D_t* desc, imafl in, imafl* out) { return calc(desc, in, out, "moycarre2Dfl_calc"); }
int moycarre2Ddb_calc(moycarre2D_t* desc, imadb in, imadb* out) { return calc(desc, in, out, "moycarre2Ddb_calc"); }

int moycarre2D_ferm(moycarre2D_t* desc) {
    std::free(desc->carres);
    desc->carres = nullptr;
    filters::release_scratch(&desc->tampon);
    return NO_ERROR;
}

}  // extern "C"
