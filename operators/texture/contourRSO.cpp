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

float ratio(Sum s1, Sum s2) {
    if (s2 != 0) return static_cast<float>(static_cast<long double>(s1) / static_cast<long double>(s2));
    return s1 != 0 ? FLT_MAX : 1.0f;
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
          anti_(diagonal_.size()) {}

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
        for (std::size_t j = h; j < nc - h; ++j) {
            r[0][j] = ratio(vp[j] - vp[j - h], vp[j + h + 1] - vp[j + 1]);
            r[1][j] = ratio(up[j + h + 1] - up[j - h], down[j + h + 1] - down[j - h]);
            r[2][j] = ratio(vp[j + h + 1] - dg[j + 1], dg[j] - vp[j - h]);
            r[3][j] = ratio(ad[j] - vp[j - h], vp[j + h + 1] - ad[j + 1]);
        }
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

    if (!desc->max_locaux) {
        std::vector<float> rows(4 * static_cast<std::size_t>(nc));
        float* const r[4] = {rows.data(), rows.data() + nc, rows.data() + 2 * nc, rows.data() + 3 * nc};
        for (int i = h; i < nr - h; ++i) {
            ratios.row(i, r);
            for (std::size_t j = first; j < last; ++j)
                valdirmax(r[0][j], r[1][j], r[2][j], r[3][j], &val->pixels[i][j], &dir->pixels[i][j]);
        }
        return NO_ERROR;
    }

    // Three rows of ratios per mask, rotated by exchanging their storage;
    // the rows' order is put back at the end, so that the records stay
    // whole. Rows before the first computed one, after the last, and
    // columns outside [first, last) hold 1.0, which never beats a contour.
    float* original[4][3];
    for (int k = 0; k < 4; ++k) {
        fill(&desc->rapports[k], 1.0f);
        std::copy(desc->rapports[k].pixels, desc->rapports[k].pixels + 3, original[k]);
    }
    auto row_of = [&](int index) {
        return std::array<float*, 4>{desc->rapports[0].pixels[index], desc->rapports[1].pixels[index],
                                     desc->rapports[2].pixels[index], desc->rapports[3].pixels[index]};
    };
    // The pixels of ratio row 1, which lies on image row i.
    auto keep_maxima = [&](int i) {
        const std::array<float*, 4> r = row_of(1);
        for (std::size_t j = first; j < last; ++j) {
            float value;
            unsigned char code;
            valdirmax(r[0][j], r[1][j], r[2][j], r[3][j], &value, &code);
            if (maxlocgrad(value, code, static_cast<int>(j), desc)) {
                val->pixels[i][j] = value;
                dir->pixels[i][j] = code;
            }
        }
    };
    ratios.row(h, row_of(1).data());
    for (int i = h + 1; i < nr - h; ++i) {
        ratios.row(i, row_of(2).data());
        keep_maxima(i - 1);
        for (int k = 0; k < 4; ++k) {
            float** p = desc->rapports[k].pixels;
            std::rotate(p, p + 1, p + 3);
        }
    }
    for (float* r : row_of(2)) std::fill(r + first, r + last, 1.0f);
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
    if (r1 < 1) {
        *valeur = r1;
        *code = kBelow[0];
    } else if (r1 > 1) {
        *valeur = 1.0f / r1;
        *code = kAbove[0];
    } else {
        *valeur = 1.0f;
        *code = 0;
    }
    const float r[3] = {r2, r3, r4};
    for (int k = 1; k < 4; ++k) {
        const float v = normalised(r[k - 1]);
        if (v < *valeur) {
            *valeur = v;
            *code = r[k - 1] < 1 ? kBelow[k] : kAbove[k];
        }
    }
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
