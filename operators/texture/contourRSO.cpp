// Oriented contours by a ratio test. The sums of squares of the eight
// half-windows of every pixel come from running sums over the image, in
// constant time per pixel whatever the window: each row is turned into
// prefix sums of its squares, and the window rows are summed along
// verticals (the halves split by the vertical and horizontal lines) and
// along diagonals and anti-diagonals of the prefix rows (the triangles of
// the diagonal lines), each updated by one row entering and one leaving.
// The squares of 16-bit values rounded to single precision are integers
// below 2^32, so these 64-bit sums are exactly the extended-precision sums
// of the definition.

#include "contourRSO.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "text_input.hpp"

namespace {

using Sum = std::uint64_t;

constexpr const char* kMaskNames[4] = {"msqv", "msqh", "msqdp", "msqds"};
// Codes of each ratio when its first half is brighter (r > 1) and when its
// second half is (r < 1).
constexpr unsigned char kAbove[4] = {1, 64, 96, 32};
constexpr unsigned char kBelow[4] = {128, 192, 224, 160};

bool valid_window(int w) { return w >= 1 && w <= 127 && w % 2 == 1; }
bool valid_flag(int flag) { return flag == 0 || flag == 1; }

// The cell (i, j) of mask k of side w.
unsigned char mask_cell(int k, int i, int j, int w) {
    const int h = w / 2;
    switch (k) {
        case 0:
            return j < h ? 1 : j > h ? 2 : 0;
        case 1:
            return i < h ? 1 : i > h ? 2 : 0;
        case 2:
            return j > i ? 1 : j < i ? 2 : 0;
        default:
            return i + j < w - 1 ? 1 : i + j > w - 1 ? 2 : 0;
    }
}

float normalised(float r) { return r > 1 ? 1.0f / r : r; }

// Strengths and codes on the bits of the ratios: ratios and normalised
// ratios are non-negative floats, whose order is that of their bit
// patterns read as integers, and integer comparisons let rows of pixels
// run in vector registers (float comparisons and quotients would have to
// stay behind branches, in case they trap).
constexpr std::int32_t kOne = std::bit_cast<std::int32_t>(1.0f);

inline std::int32_t bits(float v) { return std::bit_cast<std::int32_t>(v); }

// n[j] = min(r[j], 1 / r[j]) for j in [first, last); the quotients first,
// in a loop of their own.
void normalise_row(const float* __restrict r, float* __restrict n, std::size_t first, std::size_t last) {
    for (std::size_t j = first; j < last; ++j) n[j] = 1.0f / r[j];
    for (std::size_t j = first; j < last; ++j) n[j] = bits(r[j]) > kOne ? n[j] : r[j];
}

struct Strongest {
    std::int32_t value;  // bits of the strength
    int code;
};

// valdirmax: r1 decides first (r1 = 1 gives 1.0 and code 0); each later
// ratio replaces it when its normalised value n is strictly smaller.
inline __attribute__((always_inline)) Strongest strongest(const std::int32_t (&r)[4], const std::int32_t (&n)[4]) {
    Strongest s{n[0], r[0] < kOne ? kBelow[0] : r[0] > kOne ? kAbove[0] : 0};
    for (int k = 1; k < 4; ++k) {
        const int code = r[k] < kOne ? kBelow[k] : kAbove[k];
        const bool better = n[k] < s.value;
        s.value = better ? n[k] : s.value;
        s.code = better ? code : s.code;
    }
    return s;
}

// The strengths and codes of columns [first, last) from the ratio rows r
// and their normalised rows n.
void strongest_row(const float* const r[4], const float* const n[4], std::size_t first, std::size_t last,
                   float* __restrict value, unsigned char* __restrict code) {
    const float* __restrict r0 = r[0];
    const float* __restrict r1 = r[1];
    const float* __restrict r2 = r[2];
    const float* __restrict r3 = r[3];
    const float* __restrict n0 = n[0];
    const float* __restrict n1 = n[1];
    const float* __restrict n2 = n[2];
    const float* __restrict n3 = n[3];
    for (std::size_t j = first; j < last; ++j) {
        const std::int32_t ratios[4] = {bits(r0[j]), bits(r1[j]), bits(r2[j]), bits(r3[j])};
        const std::int32_t normalised[4] = {bits(n0[j]), bits(n1[j]), bits(n2[j]), bits(n3[j])};
        const Strongest s = strongest(ratios, normalised);
        value[j] = std::bit_cast<float>(s.value);
        code[j] = static_cast<unsigned char>(s.code);
    }
}

// Normalised ratio rows 0, 1, 2 (previous, current, next) of each mask.
using NormalisedRows = std::array<std::array<const float*, 3>, 4>;

// maxlocgrad over columns [first, last) of the current row (first >= 1):
// a pixel of strength value[j] and code[j] is kept when its strength is at
// most the normalised ratio of its own mask at both neighbours across that
// mask's line; kept pixels go to out_value and out_code, the others get
// 1.0 and 0. Every mask's test is made and the code's chosen, so that the
// row runs in vector registers.
void local_maxima(const float* __restrict value, const unsigned char* __restrict code, const NormalisedRows& n,
                  std::size_t first, std::size_t last, float* __restrict out_value,
                  unsigned char* __restrict out_code) {
    const float* __restrict v1 = n[0][1];
    const float* __restrict h0 = n[1][0];
    const float* __restrict h2 = n[1][2];
    const float* __restrict d0 = n[2][0];
    const float* __restrict d2 = n[2][2];
    const float* __restrict a0 = n[3][0];
    const float* __restrict a2 = n[3][2];
    for (std::size_t j = first; j < last; ++j) {
        const std::int32_t v = bits(value[j]);
        const int c = code[j];
        const bool vertical = (v <= bits(v1[j - 1])) & (v <= bits(v1[j + 1]));
        const bool horizontal = (v <= bits(h0[j])) & (v <= bits(h2[j]));
        const bool diagonal = (v <= bits(d0[j + 1])) & (v <= bits(d2[j - 1]));
        const bool anti = (v <= bits(a0[j - 1])) & (v <= bits(a2[j + 1]));
        const bool keep = (((c == 1) | (c == 128)) & vertical) | (((c == 64) | (c == 192)) & horizontal) |
                          (((c == 96) | (c == 224)) & diagonal) | (((c == 32) | (c == 160)) & anti);
        out_value[j] = std::bit_cast<float>(keep ? v : kOne);
        out_code[j] = static_cast<unsigned char>(keep ? c : 0);
    }
}

// The quotient of two exact sums, below 2^46 (at most 16129 squares below
// 2^32), rounded to extended precision then to single precision, as the
// definition's extended-precision sums give it; the largest float when
// only s2 is 0, 1.0 when both are.
float ratio(Sum s1, Sum s2) {
    if (s2 != 0) return static_cast<float>(static_cast<long double>(s1) / static_cast<long double>(s2));
    return s1 != 0 ? FLT_MAX : 1.0f;
}

// A sum below 2^52 as a double, exactly, by its bits (a form that
// vectorises: the processor has no packed conversion of 64-bit integers).
inline double exact(Sum x) { return std::bit_cast<double>(x | 0x4330000000000000ull) - 4503599627370496.0; }

// The ratios s1[j] / s2[j] of a row, j in [first, last), as ratio() gives
// them. The double quotient is correctly rounded from the same exact value
// as the extended one, so both round to the same float unless the double
// lies within a few of its units of a float midpoint (the low 29 of its 52
// fraction bits near 2^28): only those, and the zero denominators, are
// redone one by one. The rest runs in vector registers.
void ratio_row(const Sum* __restrict s1, const Sum* __restrict s2, double* __restrict quotient, float* __restrict r,
               std::size_t first, std::size_t last) {
    for (std::size_t j = first; j < last; ++j) quotient[j] = exact(s1[j]) / exact(s2[j]);
    for (std::size_t j = first; j < last; ++j) r[j] = static_cast<float>(quotient[j]);
    constexpr std::uint64_t kLow = (std::uint64_t{1} << 29) - 1, kHalf = std::uint64_t{1} << 28;
    for (std::size_t j = first; j < last; ++j)
        if (s2[j] == 0 || ((std::bit_cast<std::uint64_t>(quotient[j]) & kLow) - (kHalf - 4)) <= 8)
            r[j] = ratio(s1[j], s2[j]);
}

// The four ratios of successive image rows, columns h ... nc-h-1.
class RatioRows {
public:
    RatioRows(const imau2& in, int w, const std::vector<Sum>& squares)
        : in_(in),
          squares_(squares),
          h_(w / 2),
          width_(static_cast<std::size_t>(in.nc) + 1),
          ring_(static_cast<std::size_t>(w + 1) * width_),
          above_(width_),
          below_(width_),
          vertical_(width_),
          diagonal_(static_cast<std::size_t>(in.nc) + in.nr + 1),
          anti_(diagonal_.size()),
          first_(width_),
          second_(width_),
          quotient_(width_) {}

    // Computes the ratios of image row i into r[0 ... 3] (columns h ...
    // nc-h-1). The first call is for row h, each next one for the next row.
    void row(int i, float* const r[4]) {
        if (current_ < 0)
            start(i);
        else
            advance();
        const std::size_t h = static_cast<std::size_t>(h_), nc = static_cast<std::size_t>(in_.nc);
        const Sum* centre = prefix(i);
        for (std::size_t c = 0; c < width_; ++c) vertical_[c] = above_[c] + centre[c] + below_[c];
        const Sum* vp = vertical_.data();
        const Sum* up = above_.data();
        const Sum* down = below_.data();
        const Sum* dg = diagonal_.data() + (in_.nr - i);  // dg[c]: diagonal through column c of row i
        const Sum* ad = anti_.data() + i;                 // ad[c]: anti-diagonal through column c of row i
        Sum* __restrict s1 = first_.data();
        Sum* __restrict s2 = second_.data();
        const std::size_t a = h, b = nc - h;
        for (std::size_t j = a; j < b; ++j) {
            s1[j] = vp[j] - vp[j - h];
            s2[j] = vp[j + h + 1] - vp[j + 1];
        }
        ratio_row(s1, s2, quotient_.data(), r[0], a, b);
        for (std::size_t j = a; j < b; ++j) {
            s1[j] = up[j + h + 1] - up[j - h];
            s2[j] = down[j + h + 1] - down[j - h];
        }
        ratio_row(s1, s2, quotient_.data(), r[1], a, b);
        for (std::size_t j = a; j < b; ++j) {
            s1[j] = vp[j + h + 1] - dg[j + 1];
            s2[j] = dg[j] - vp[j - h];
        }
        ratio_row(s1, s2, quotient_.data(), r[2], a, b);
        for (std::size_t j = a; j < b; ++j) {
            s1[j] = ad[j] - vp[j - h];
            s2[j] = vp[j + h + 1] - ad[j + 1];
        }
        ratio_row(s1, s2, quotient_.data(), r[3], a, b);
    }

private:
    // Prefix sums of the squares of image row y: p[c] = sum of columns < c.
    Sum* prefix(int y) { return ring_.data() + static_cast<std::size_t>(y % (2 * h_ + 2)) * width_; }

    void load(int y) {
        Sum* p = prefix(y);
        const unsigned short* v = in_.pixels[y];
        p[0] = 0;
        for (std::size_t c = 1; c < width_; ++c) p[c] = p[c - 1] + squares_[v[c - 1]];
    }

    // Diagonal sum through column c of row i: sum over the window rows of
    // the prefix at column c + di (sign 1) or c - di (sign -1).
    Sum direct(int i, int c, int sign) {
        Sum s = 0;
        for (int d = -h_; d <= h_; ++d) s += prefix(i + d)[c + sign * d];
        return s;
    }

    void start(int i) {
        current_ = i;
        for (int y = i - h_; y <= i + h_; ++y) load(y);
        std::fill(above_.begin(), above_.end(), 0);
        std::fill(below_.begin(), below_.end(), 0);
        for (int d = 1; d <= h_; ++d)
            for (std::size_t c = 0; c < width_; ++c) {
                above_[c] += prefix(i - d)[c];
                below_[c] += prefix(i + d)[c];
            }
        for (int c = h_; c <= in_.nc - h_; ++c) {
            diagonal_[static_cast<std::size_t>(c - i + in_.nr)] = direct(i, c, 1);
            anti_[static_cast<std::size_t>(c + i)] = direct(i, c, -1);
        }
    }

    // From row i to row i + 1: one prefix row enters, one leaves.
    void advance() {
        const int i = current_++, h = h_;
        load(i + h + 1);
        const Sum* entering = prefix(i + h + 1);
        const Sum* leaving = prefix(i - h);
        const Sum* centre = prefix(i);
        const Sum* next = prefix(i + 1);
        for (std::size_t c = 0; c < width_; ++c) {
            above_[c] += centre[c] - leaving[c];
            below_[c] += entering[c] - next[c];
        }
        // Diagonal k = c - row + nr keeps its index from row to row: the
        // one through column c - 1 of row i passes column c of row i + 1.
        const int nc = in_.nc, nr = in_.nr;
        Sum* dg = diagonal_.data() + (nr - (i + 1));
        for (int c = h + 1; c <= nc - h; ++c) dg[c] += entering[c + h] - leaving[c - 1 - h];
        dg[h] = direct(i + 1, h, 1);
        // Anti-diagonal k = c + row: column c + 1 of row i, column c of row i + 1.
        Sum* ad = anti_.data() + (i + 1);
        for (int c = h; c < nc - h; ++c) ad[c] += entering[c - h] - leaving[c + 1 + h];
        ad[nc - h] = direct(i + 1, nc - h, -1);
    }

    const imau2& in_;
    const std::vector<Sum>& squares_;
    int h_;
    std::size_t width_;  // nc + 1 prefix values a row
    int current_ = -1;
    std::vector<Sum> ring_;                      // prefix rows i-h ... i+h+1
    std::vector<Sum> above_, below_, vertical_;  // prefixes summed over rows i-h..i-1, i+1..i+h, i-h..i+h
    std::vector<Sum> diagonal_, anti_;
    std::vector<Sum> first_, second_;  // the two half sums of one mask along the row
    std::vector<double> quotient_;
};

void check_descriptor(const contourRSO_t* d, const char* who) {
    if (!valid_window(d->taille))
        fw::fail(1, "\n>> ERREUR %s : fenetre %d incorrecte (entier impair de 1 a 127)\n", who, d->taille);
    if (!valid_flag(d->sauve_masques) || !valid_flag(d->max_locaux))
        fw::fail(1, "\n>> ERREUR %s : choix %d et %d incorrects (0 ou 1)\n", who, d->sauve_masques, d->max_locaux);
}

template <class Image>
void fill(Image* image, fw::pixel_t<Image> value) {
    std::fill(image->pixels[0], image->pixels[0] + static_cast<std::size_t>(image->nc) * image->nr, value);
}

}  // namespace

extern "C" {

param* contourRSO_lect(contourRSO_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "contourRSO_lect");
    const int w = questions.integer("dimension fenetre d'analyse (impair)");
    if (!valid_window(w)) questions.refuse_last("entier impair de 1 a 127");
    desc->taille = static_cast<signed char>(w);
    desc->sauve_masques = static_cast<unsigned char>(questions.choice("sauver imagette masque (oui=1/non=0)", {0, 1}));
    desc->max_locaux =
        static_cast<unsigned char>(questions.choice("selection des contours max locaux (oui=1/non=0)", {0, 1}));
    return questions.next();
}

int contourRSOu2_init(contourRSO_t* desc, imau2 in, imafl* val, imau1* dir) {
    const char* who = "contourRSOu2_init";
    check_descriptor(desc, who);
    const int w = desc->taille;
    if (w >= in.nc || w >= in.nr)
        fw::fail(1, "\n>> ERREUR %s : fenetre %dx%d trop grande pour l'image %dx%d\n", who, w, w, in.nc, in.nr);
    const std::string size = std::to_string(w) + "x" + std::to_string(w);
    val->nc = dir->nc = in.nc;
    val->nr = dir->nr = in.nr;
    fw::copy_text(val->nom, std::string(in.nom) + "_ctr_val" + size);
    fw::copy_text(dir->nom, std::string(in.nom) + "_ctr_dir" + size);
    alloc_imafl(val);
    alloc_imau1(dir);
    for (int k = 0; k < 4; ++k) {
        imau1& m = desc->masques[k];
        m.nc = m.nr = w;
        alloc_imau1(&m);
        fw::copy_text(m.nom, kMaskNames[k]);
        for (int i = 0; i < w; ++i)
            for (int j = 0; j < w; ++j) m.pixels[i][j] = mask_cell(k, i, j, w);
        if (desc->max_locaux) {
            desc->rapports[k].nc = in.nc;
            desc->rapports[k].nr = 3;
            alloc_imafl(&desc->rapports[k]);
            fill(&desc->rapports[k], 1.0f);
        }
    }
    if (desc->sauve_masques) {
        write_ima_t writers[4];
        for (int k = 0; k < 4; ++k) {
            fw::copy_text(writers[k].nom, kMaskNames[k]);
            fw::copy_text(writers[k].ext, "ima");
            write_ima_init(&writers[k]);
        }
        for (int k = 0; k < 4; ++k) write_imau1_ferm(&writers[k], desc->masques[k]);
    }
    return NO_ERROR;
}

int contourRSOu2_calc(contourRSO_t* desc, imau2 in, imafl* val, imau1* dir) {
    const char* who = "contourRSOu2_calc";
    check_descriptor(desc, who);
    const int w = desc->taille, h = w / 2, nc = in.nc, nr = in.nr;
    if (val->nc != nc || val->nr != nr || dir->nc != nc || dir->nr != nr)
        fw::fail(1, "\n>> ERREUR %s : images resultats %dx%d et %dx%d differentes de l'image initiale %dx%d\n", who,
                 val->nc, val->nr, dir->nc, dir->nr, nc, nr);
    if (w >= nc || w >= nr)
        fw::fail(1, "\n>> ERREUR %s : fenetre %dx%d trop grande pour l'image %dx%d\n", who, w, w, nc, nr);
    if (desc->max_locaux && (desc->rapports[0].pixels == nullptr || desc->rapports[0].nc != nc))
        fw::fail(1, "\n>> ERREUR %s : lignes de rapports non allouees pour %d colonnes\n", who, nc);

    // The squares of the definition (single precision), as exact integers.
    std::vector<float> squares(65536);
    std::vector<Sum> exact(65536);
    for (std::size_t v = 0; v < squares.size(); ++v) {
        squares[v] = static_cast<float>(v) * static_cast<float>(v);
        exact[v] = static_cast<Sum>(squares[v]);
    }
    fill(val, 1.0f);
    fill(dir, static_cast<unsigned char>(0));
    RatioRows ratios(in, w, exact);
    const std::size_t first = static_cast<std::size_t>(h),
                      last = static_cast<std::size_t>(nc - h);  // columns [first, last)

    const std::size_t width = static_cast<std::size_t>(nc);
    if (!desc->max_locaux) {
        std::vector<float> rows(8 * width);
        float* const r[4] = {rows.data(), rows.data() + width, rows.data() + 2 * width, rows.data() + 3 * width};
        float* const n[4] = {r[3] + width, r[3] + 2 * width, r[3] + 3 * width, r[3] + 4 * width};
        for (int i = h; i < nr - h; ++i) {
            ratios.row(i, r);
            for (int k = 0; k < 4; ++k) normalise_row(r[k], n[k], first, last);
            strongest_row(r, n, first, last, val->pixels[i], dir->pixels[i]);
        }
        return NO_ERROR;
    }

    // Three rows of ratios per mask, rotated by exchanging their storage,
    // beside the same rows normalised; the ratio rows' order is put back at
    // the end, so that the records stay whole. Rows before the first
    // computed one, after the last, and columns outside [first, last) hold
    // 1.0, which never beats a contour.
    for (int k = 0; k < 4; ++k) fill(&desc->rapports[k], 1.0f);
    if (h == 0) return NO_ERROR;  // a window of 1: every ratio is 1, no contour
    float* original[4][3];
    std::vector<float> storage(14 * width, 1.0f);
    std::array<std::array<float*, 3>, 4> normalised;
    for (int k = 0; k < 4; ++k) {
        std::copy(desc->rapports[k].pixels, desc->rapports[k].pixels + 3, original[k]);
        for (int row = 0; row < 3; ++row) normalised[k][row] = storage.data() + (3 * k + row) * width;
    }
    float* strength = storage.data() + 12 * width;
    std::vector<unsigned char> codes(width);
    auto ratios_at = [&](int index) {
        return std::array<float*, 4>{desc->rapports[0].pixels[index], desc->rapports[1].pixels[index],
                                     desc->rapports[2].pixels[index], desc->rapports[3].pixels[index]};
    };
    auto normalised_row = [&](int index) {
        return std::array<float*, 4>{normalised[0][index], normalised[1][index], normalised[2][index],
                                     normalised[3][index]};
    };
    auto compute = [&](int i, int index) {
        const std::array<float*, 4> r = ratios_at(index), n = normalised_row(index);
        ratios.row(i, r.data());
        for (int k = 0; k < 4; ++k) normalise_row(r[k], n[k], first, last);
    };
    // The pixels of ratio row 1, which lies on image row i.
    auto keep_maxima = [&](int i) {
        const std::array<float*, 4> r = ratios_at(1), n = normalised_row(1);
        strongest_row(r.data(), n.data(), first, last, strength, codes.data());
        NormalisedRows rows;
        for (int k = 0; k < 4; ++k)
            for (int row = 0; row < 3; ++row) rows[k][row] = normalised[k][row];
        local_maxima(strength, codes.data(), rows, first, last, val->pixels[i], dir->pixels[i]);
    };
    compute(h, 1);
    for (int i = h + 1; i < nr - h; ++i) {
        compute(i, 2);
        keep_maxima(i - 1);
        for (int k = 0; k < 4; ++k) {
            std::rotate(desc->rapports[k].pixels, desc->rapports[k].pixels + 1, desc->rapports[k].pixels + 3);
            std::rotate(normalised[k].begin(), normalised[k].begin() + 1, normalised[k].end());
        }
    }
    for (int k = 0; k < 4; ++k) {
        std::fill(ratios_at(2)[k] + first, ratios_at(2)[k] + last, 1.0f);
        std::fill(normalised[k][2] + first, normalised[k][2] + last, 1.0f);
    }
    keep_maxima(nr - h - 1);
    for (int k = 0; k < 4; ++k) std::copy(original[k], original[k] + 3, desc->rapports[k].pixels);
    return NO_ERROR;
}

float appl_masque12(imau2 in, imau1 masque, int row, int col, const float* squares) {
    const int hm = masque.nr / 2;
    long double s1 = 0, s2 = 0;
    for (int di = -hm; di <= hm; ++di)
        for (int dj = -hm; dj <= hm; ++dj) {
            const unsigned char cell = masque.pixels[di + hm][dj + hm];
            const float square = squares[in.pixels[row + di][col + dj]];
            if (cell == 1)
                s1 += square;
            else if (cell == 2)
                s2 += square;
        }
    if (s2 != 0) return static_cast<float>(s1 / s2);
    return s1 != 0 ? FLT_MAX : 1.0f;
}

void valdirmax(float r1, float r2, float r3, float r4, float* valeur, unsigned char* code) {
    const std::int32_t r[4] = {bits(r1), bits(r2), bits(r3), bits(r4)};
    const std::int32_t n[4] = {bits(normalised(r1)), bits(normalised(r2)), bits(normalised(r3)), bits(normalised(r4))};
    const Strongest s = strongest(r, n);
    *valeur = std::bit_cast<float>(s.value);
    *code = static_cast<unsigned char>(s.code);
}

int maxlocgrad(float valeur, unsigned char code, int col, contourRSO_t* desc) {
    // Per mask: the neighbours across its dividing line, as (ratio row,
    // column offset) pairs.
    static constexpr int kAcross[4][2][2] = {{{1, -1}, {1, 1}}, {{0, 0}, {2, 0}}, {{0, 1}, {2, -1}}, {{0, -1}, {2, 1}}};
    if (code == 0) return 0;
    int k = 0;
    while (k < 4 && code != kAbove[k] && code != kBelow[k]) ++k;
    if (k == 4) fw::fail(1, "\n\n>> ERREUR maxlocgrad : direction %d inconnue\n\n", code);
    float* const* rows = desc->rapports[k].pixels;
    for (const auto& n : kAcross[k])
        if (!(valeur <= normalised(rows[n[0]][col + n[1]]))) return 0;
    return 1;
}

}  // extern "C"
