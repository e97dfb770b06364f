// Connected-component labelling in two scans of the input, without any
// intermediate label image.
//
// Both scans cut each row into runs of object pixels; the first tests the
// pixels against the threshold and keeps the result as one bit per pixel
// (an eighth of the input's size), which the second scan reads instead of
// testing the image again. The first scan gives provisional labels and records in t_lut which of them touch (a union-find
// whose roots are always the smallest label of their set); between the
// scans t_lut becomes the map from provisional to final label; the second
// scan repeats the run cutting and writes each run's final label straight
// into the output.
//
// A new provisional label is made exactly where a pixel-by-pixel scan of the
// neighbourhood code would make one: at the first pixel of a run whose upper
// neighbour (and, with 8-connexity, upper-left neighbour) is background.
// Labels are therefore created in the raster order of those pixels, the root
// of each object is the label made at its first pixel, and the count of
// provisional labels (hence the 65 535-label saturation) is that of the
// pixel-by-pixel scan. Roots are found with path halving, so no image can
// build long chains.

#include "labelcc.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "block.hpp"
#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "text_input.hpp"

namespace {

// ---- Module state of ETIQ (overwritten by every call) ----------------------

unsigned char** ENTREE;   // input rows
unsigned short** SORTIE;  // output rows
int np;                   // pixels per row
int nl;                   // rows
int seuil;                // effective threshold
int negatif;              // 1: dark objects
int connex_8;             // 1: 8-connexity
int masque;               // neighbourhood code mask: 15 (8-connexity) or 7
unsigned short etiq;      // provisional labels made by the last scan
unsigned short* t_lut;    // label links, then provisional -> final map

constexpr unsigned kMaxLabel = 65535;

[[noreturn]] void out_of_memory() { fw::fail_to(stderr, 2, "\n*** ETIQ *** Memoire insuffisante.\n"); }

// The object pixels of the image, one bit each, rows of whole 64-bit words:
// filled by the scan that tests the pixels, read by a scan that follows.
// A local of whoever runs the scans, so nothing of it outlives a call.
class BitPlane {
public:
    BitPlane()
        : words_((static_cast<std::size_t>(np) + 63) / 64),
          bits_(static_cast<std::uint64_t*>(fw::allocate_block(
              std::max<std::size_t>(words_ * static_cast<std::size_t>(nl), 1) * sizeof(std::uint64_t), false))) {
        if (bits_ == nullptr) out_of_memory();
    }
    BitPlane(const BitPlane&) = delete;
    BitPlane& operator=(const BitPlane&) = delete;
    ~BitPlane() { std::free(bits_); }

    std::size_t words() const { return words_; }
    std::uint64_t* row(int y) { return bits_ + static_cast<std::size_t>(y) * words_; }

private:
    std::size_t words_;
    std::uint64_t* bits_;
};

// The runs of object pixels of one row: run i covers [start(i), end(i)) and
// carries label[i]. Run bounds are kept as one array of edges (the pixel
// where a run starts, the pixel after its end, alternately), which the run
// cutter appends to without a branch.
struct RunList {
    std::vector<int> edge;
    std::vector<unsigned short> label;
    std::size_t count = 0;

    int start(std::size_t i) const { return edge[2 * i]; }
    int end(std::size_t i) const { return edge[2 * i + 1]; }
};

// Cuts rows into runs of object pixels. A scan that binarises tests every
// pixel (one range check, a loop the compiler vectorises) and packs the
// results into the bit plane; a scan that follows it reads the packed rows
// instead of the image. Run edges are read off the words' transitions, a
// count-trailing-zeros each.
class RowRuns {
public:
    RowRuns(BitPlane& plane, bool binarise) : plane_(plane), binarise_(binarise) {
        const std::size_t most = static_cast<std::size_t>(np) / 2 + 1;
        try {
            if (binarise) mask_.assign(plane.words() * 64, 0);
            for (RunList* list : {&previous_, &current_}) {
                list->edge.resize(2 * most);
                list->label.resize(most);
            }
        } catch (const std::bad_alloc&) {
            out_of_memory();
        }
        // Objects are the grey levels lo ... hi.
        const int lo = negatif ? 0 : seuil;
        const int hi = negatif ? seuil : 255;
        empty_ = lo > 255 || hi < 0 || lo > hi;
        lo_ = static_cast<unsigned char>(std::clamp(lo, 0, 255));
        span_ = static_cast<unsigned char>(std::clamp(hi, 0, 255) - lo_);
    }

    // Runs of the row cut last, and of the row before it.
    RunList& current() { return current_; }
    const RunList& previous() const { return previous_; }

    // Makes the current row the previous one and cuts row y into runs.
    void next_row(int y) {
        std::swap(previous_, current_);
        current_.count = 0;
        if (empty_) return;

        const std::size_t words = plane_.words();
        std::uint64_t* bits = plane_.row(y);
        if (binarise_) {
            const unsigned char* row = ENTREE[y];
            unsigned char* mask = mask_.data();
            const unsigned char lo = lo_, span = span_;
            for (int x = 0; x < np; ++x) mask[x] = static_cast<unsigned char>(row[x] - lo) <= span ? 0xff : 0;
            for (std::size_t w = 0; w < words; ++w) {
                std::uint64_t word = 0;
                for (int k = 0; k < 8; ++k) {
                    std::uint64_t eight;
                    std::memcpy(&eight, mask + w * 64 + static_cast<std::size_t>(k) * 8, 8);
                    word |= ((eight & 0x8080808080808080ull) * 0x0002040810204081ull >> 56) << (8 * k);
                }
                bits[w] = word;
            }
        }

        // A set bit of `edges` marks a pixel that differs from its left
        // neighbour: alternately a run's first pixel and the pixel after it.
        int* edge = current_.edge.data();
        std::size_t n = 0;
        std::uint64_t carry = 0;
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t word = bits[w];
            std::uint64_t edges = word ^ (word << 1 | carry);
            carry = word >> 63;
            const int base = static_cast<int>(w * 64);
            while (edges != 0) {
                edge[n++] = base + __builtin_ctzll(edges);
                edges &= edges - 1;
            }
        }
        if (n % 2 != 0) edge[n++] = np;
        current_.count = n / 2;
    }

private:
    BitPlane& plane_;
    bool binarise_;
    std::vector<unsigned char> mask_;  // padded to whole words, the padding stays 0
    RunList previous_;
    RunList current_;
    unsigned char lo_ = 0;
    unsigned char span_ = 0;
    bool empty_ = false;
};

// Walks the runs of the previous row that touch each run of the current row
// (left to right, each previous run visited at most twice).
class Neighbours {
public:
    explicit Neighbours(const RunList& previous) : above_(previous) {}

    // Moves to the current row's run [start, end). Returns whether its first
    // pixel has an object neighbour above (or above-left with 8-connexity),
    // in which case first() is the label of that neighbour's run.
    bool reach(int start, int end) {
        first_ = start - connex_8;
        last_ = end - 1 + connex_8;
        while (at_ < above_.count && above_.end(at_) - 1 < first_) ++at_;
        return at_ < above_.count && above_.start(at_) <= start;
    }

    unsigned short first() const { return above_.label[at_]; }

    // Calls f with the label of every run above touching the current run
    // but the first.
    template <class F>
    void others(F f) {
        std::size_t k = at_ + 1;
        for (; k < above_.count && above_.start(k) <= last_; ++k) f(above_.label[k]);
        // The last run touched may also touch the next current run.
        at_ = k - 1;
    }

    // Calls f with the label of every run above touching the current run.
    template <class F>
    void all(F f) {
        if (at_ < above_.count && above_.start(at_) <= last_) {
            f(above_.label[at_]);
            others(f);
        }
    }

private:
    const RunList& above_;
    std::size_t at_ = 0;
    int first_ = 0;
    int last_ = 0;
};

unsigned short find_root(unsigned short label) {
    while (t_lut[label] != label) {
        t_lut[label] = t_lut[t_lut[label]];
        label = t_lut[label];
    }
    return label;
}

// Joins the sets of two labels; the smaller root stays root.
unsigned short unite(unsigned short a, unsigned short b) {
    a = find_root(a);
    b = find_root(b);
    if (a == b) return a;
    if (a < b) {
        t_lut[b] = a;
        return a;
    }
    t_lut[a] = b;
    return b;
}

// Turns t_lut into the map provisional -> final label and returns N.
unsigned relabel(int plage) {
    const unsigned k = etiq;
    unsigned n = 0;
    // Every link goes from a larger label to a smaller one, so in increasing
    // order each label's parent is already flattened.
    for (unsigned i = 1; i <= k; ++i) t_lut[i] = t_lut[t_lut[i]];
    for (unsigned j = 1; j <= k; ++j) {
        if (t_lut[j] == j) {
            if (plage >= 2) {
                t_lut[j] = static_cast<unsigned short>(++n);
            } else {
                t_lut[j] = static_cast<unsigned short>(n % 255 + 1);
                ++n;
            }
        } else {
            t_lut[j] = t_lut[t_lut[j]];
        }
    }
    return n;
}

// The first scan over the plane it fills.
void first_scan(BitPlane& plane) {
    unsigned counter = 0;
    RowRuns rows(plane, true);
    for (int y = 0; y < nl; ++y) {
        rows.next_row(y);
        Neighbours above(rows.previous());
        RunList& runs = rows.current();
        for (std::size_t i = 0; i < runs.count; ++i) {
            unsigned short label;
            auto join = [&](unsigned short other) { label = unite(label, other); };
            if (above.reach(runs.start(i), runs.end(i))) {
                // Any label of the object will do: unite() finds the roots.
                label = above.first();
                above.others(join);
            } else {
                if (counter == kMaxLabel) {
                    etiq = static_cast<unsigned short>(kMaxLabel);
                    fw::fail_to(stderr, 2, "\n*** ETIQ *** table satur\202e\n");
                }
                label = static_cast<unsigned short>(++counter);
                t_lut[label] = label;
                above.all(join);
            }
            runs.label[i] = label;
        }
    }
    etiq = static_cast<unsigned short>(counter);
}

// The second scan, reading the plane the first scan filled, or testing the
// pixels again when `binarise`.
void second_scan(BitPlane& plane, bool binarise) {
    unsigned counter = 0;
    RowRuns rows(plane, binarise);
    for (int y = 0; y < nl; ++y) {
        rows.next_row(y);
        Neighbours above(rows.previous());
        unsigned short* out = SORTIE[y];
        std::memset(out, 0, static_cast<std::size_t>(np) * sizeof *out);
        RunList& runs = rows.current();
        for (std::size_t i = 0; i < runs.count; ++i) {
            const int start = runs.start(i), end = runs.end(i);
            // A run above that touches this one belongs to the same object
            // and already carries its final label.
            const unsigned short label = above.reach(start, end) ? above.first() : t_lut[++counter];
            runs.label[i] = label;
            for (int x = start; x < end; ++x) out[x] = label;
        }
    }
    etiq = static_cast<unsigned short>(counter);
}

}  // namespace

extern "C" {

// The scans on their own: each tests the pixels itself, into a bit plane of
// its own call.
void ETIQ_S1(void) {
    if (np <= 0 || nl <= 0) np = nl = 0;
    BitPlane plane;
    first_scan(plane);
}

void ETIQ_S2(void) {
    if (np <= 0 || nl <= 0) np = nl = 0;
    BitPlane plane;
    second_scan(plane, true);
}

int ETIQ(imau1 in, imau2 out, int* connexite, int* seuil_objets, int* contraste, int* plage) {
    connex_8 = *connexite == 4 ? 0 : 1;
    masque = connex_8 ? 15 : 7;
    negatif = *contraste < 0 ? 1 : 0;
    seuil = std::max(*seuil_objets, negatif ? 0 : 1);
    ENTREE = in.pixels;
    np = in.nc;
    nl = in.nr;
    SORTIE = out.pixels;
    t_lut = static_cast<unsigned short*>(std::calloc(kMaxLabel + 1, sizeof(unsigned short)));
    if (t_lut == nullptr) out_of_memory();
    t_lut[0] = 0;

    if (np <= 0 || nl <= 0) np = nl = 0;
    unsigned n;
    {
        BitPlane plane;
        first_scan(plane);
        n = relabel(*plage);
        std::printf("\n*** ETIQ *** %u objets d\202nombr\202s.\n", n);
        second_scan(plane, false);
    }
    std::free(t_lut);
    t_lut = nullptr;
    return static_cast<int>(n);
}

param* labelcc_lect(labelcc_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "labelcc_lect");
    desc->connexite = questions.integer("connexite : 4 ou 8");
    if (desc->connexite != 4 && desc->connexite != 8)
        fw::fail(1, "\n>>ERREUR labelcc_lect : connexite %d inconnu (4 ou 8)\n", desc->connexite);
    desc->seuil = questions.integer("seuil : premier niveau de gris des objets");
    desc->contraste = questions.integer("contraste : <0 = objets sombres, >=0 = objets claires");
    return questions.next();
}

int labelccu1_init(labelcc_t* desc, imau1 in, imau2* out) {
    out->nc = in.nc;
    out->nr = in.nr;
    fw::copy_text(out->nom, std::string(in.nom) + "_label_s" + std::to_string(desc->seuil));
    alloc_imau2(out);
    return NO_ERROR;
}

int labelccu1_calc(labelcc_t* desc, imau1 in, imau2* out) {
    int plage = 2;
    return ETIQ(in, *out, &desc->connexite, &desc->seuil, &desc->contraste, &plage);
}

}  // extern "C"
