// Co-occurrence texture features of an 8-bit volume. The matrix of the
// first window is filled once; from then on the window moves one voxel at a
// time in a serpentine, and each move takes one slab of pairs out of the
// matrix and puts one in. Every pair change updates the running sums of the
// selected features (the same update functions that the attribute table
// exposes, inlined here); a feature's value is then a few divisions, or one
// scan of the 511-bin sum histogram for the sum entropy.

#include "Mcoocur.h"

#include <sys/time.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "fail.hpp"
#include "questions.hpp"
#include "volume.h"

namespace {

using Count = unsigned int;
using Wide = unsigned long long;

constexpr long long kMostPairs = 4294967295LL;  // counts are 32-bit

// n log10 n, tabulated for the small counts that windows mostly hold (the
// same product as computed directly, so the table changes no result).
constexpr unsigned kTabulated = 4096;
const std::array<double, kTabulated> kXLogX = [] {
    std::array<double, kTabulated> t{};
    for (unsigned n = 1; n < kTabulated; ++n) t[n] = static_cast<double>(n) * std::log10(static_cast<double>(n));
    return t;
}();

inline double x_log10_x(Wide n) {
    return n < kTabulated ? kXLogX[n] : static_cast<double>(n) * std::log10(static_cast<double>(n));
}

inline int square(int v) { return v * v; }

// The scalar running sums of a GlcmData, as a local record that the
// compiler keeps in registers along a slab (the matrix and the histogram
// stay in memory; writes to them could otherwise alias the sums).
struct Sums {
    int N;
    Wide Scon, Sdir;
    double S;
    Wide T, Shom;
    double Slh;
    Wide Ssa, Suni;

    explicit Sums(const GlcmData& d)
        : N(d.N), Scon(d.Scon), Sdir(d.Sdir), S(d.S), T(d.T), Shom(d.Shom), Slh(d.Slh), Ssa(d.Ssa), Suni(d.Suni) {}
    void store(GlcmData& d) const {
        d.N = N;
        d.Scon = Scon;
        d.Sdir = Sdir;
        d.S = S;
        d.T = T;
        d.Shom = Shom;
        d.Slh = Slh;
        d.Ssa = Ssa;
        d.Suni = Suni;
    }
};

// The running sums of feature F when cell (a, b) goes from old to now.
// Unsigned 64-bit arithmetic wraps on the way, but every sum ends at its
// true value, which fits.
template <int F>
inline void update(int a, int b, Count old, Count now, Sums& s, GlcmData& d) {
    const Wide delta = static_cast<Wide>(now) - static_cast<Wide>(old);  // modulo 2^64
    if constexpr (F == MCOOCUR_CONTRAST) {
        s.Scon += static_cast<Wide>(square(a - b)) * delta;
    } else if constexpr (F == MCOOCUR_DIRECTIVITY) {
        s.Sdir += delta * static_cast<Wide>(a == b);  // no branch: a == b is frequent and irregular
    } else if constexpr (F == MCOOCUR_ENTROPY) {
        // The new cell's term replaces the old one's, in one addition.
        s.S += x_log10_x(now) - x_log10_x(old);
        s.T += delta;
    } else if constexpr (F == MCOOCUR_HOMOGENEITY) {
        s.Shom += static_cast<Wide>(now) * now - static_cast<Wide>(old) * old;
    } else if constexpr (F == MCOOCUR_LOCAL_HOMOGENEITY) {
        s.Slh += static_cast<double>(static_cast<long long>(now) - static_cast<long long>(old)) /
                 static_cast<double>(square(a - b) + 1);
    } else if constexpr (F == MCOOCUR_SUM_AVERAGE) {
        s.Ssa += static_cast<Wide>(a + b) * delta;
    } else if constexpr (F == MCOOCUR_SUM_ENTROPY) {
        Wide& h = d.h[a + b];
        const bool was = h != 0;
        h += delta;
        if (was != (h != 0)) d.h_nonzero[(a + b) >> 6] ^= Wide{1} << ((a + b) & 63);
    } else if constexpr (F == MCOOCUR_UNIFORMITY) {
        s.Suni += (static_cast<Wide>(now) * now - static_cast<Wide>(old) * old) * static_cast<Wide>(a == b);
    }
    // Correlation keeps no sum.
}

template <int F>
void update_op(int a, int b, unsigned int old, unsigned int now, GlcmData* d) {
    Sums s(*d);
    update<F>(a, b, old, now, s, *d);
    s.store(*d);
}

using Real = long double;

Real contrast(const GlcmData* d) { return static_cast<Real>(d->Scon) / d->N; }
Real correlation(const GlcmData*) { return std::numeric_limits<Real>::quiet_NaN(); }
Real directivity(const GlcmData* d) { return static_cast<Real>(d->Sdir) / d->N; }
// With one non-zero cell, log10 N is 0 and the formula has no value; such
// a matrix is perfectly ordered (every pair has the same two levels), and
// its entropy is 0.
Real entropy(const GlcmData* d) {
    if (d->N == 1) return 0;
    const Real log_n = std::log10(static_cast<Real>(d->N));
    return 1 - (static_cast<Real>(d->S) - static_cast<Real>(d->T) * log_n) / (d->N * log_n);
}
Real homogeneity(const GlcmData* d) { return static_cast<Real>(d->Shom) / d->N; }
Real local_homogeneity(const GlcmData* d) { return static_cast<Real>(d->Slh) / d->N; }
Real sum_average(const GlcmData* d) { return static_cast<Real>(d->Ssa) / d->N; }
// The terms h log10 h of the non-zero bins in increasing order (found
// through the bit map), in double precision (tabulated), summed in
// extended.
Real sum_entropy(const GlcmData* d) {
    Real sum = 0;
    for (int word = 0; word < 8; ++word)
        for (Wide bits = d->h_nonzero[word]; bits != 0; bits &= bits - 1)
            sum += x_log10_x(d->h[word * 64 + __builtin_ctzll(bits)]);
    return sum / d->N;
}
Real uniformity(const GlcmData* d) { return static_cast<Real>(d->Suni) / (static_cast<Real>(d->N) * d->N); }

constexpr unsigned bit(int feature) { return 1u << feature; }

// The features whose running sums are kept, as bits.
unsigned selection(const Mcoocur_t& desc) {
    unsigned mask = 0;
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i)
        if (desc.selected[i] != 0) mask |= bit(i);
    return mask;
}

inline void count_cells(Count old, Count now, Sums& s) {
    s.N += static_cast<int>(old == 0 && now != 0) - static_cast<int>(old != 0 && now == 0);
}

// Every selected update, in table order, inlined: the branches test bits
// that do not change during a computation.
inline void update_selected(unsigned mask, int a, int b, Count old, Count now, Sums& s, GlcmData& d) {
    if (mask & bit(MCOOCUR_CONTRAST)) update<MCOOCUR_CONTRAST>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_DIRECTIVITY)) update<MCOOCUR_DIRECTIVITY>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_ENTROPY)) update<MCOOCUR_ENTROPY>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_HOMOGENEITY)) update<MCOOCUR_HOMOGENEITY>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_LOCAL_HOMOGENEITY)) update<MCOOCUR_LOCAL_HOMOGENEITY>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_SUM_AVERAGE)) update<MCOOCUR_SUM_AVERAGE>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_SUM_ENTROPY)) update<MCOOCUR_SUM_ENTROPY>(a, b, old, now, s, d);
    if (mask & bit(MCOOCUR_UNIFORMITY)) update<MCOOCUR_UNIFORMITY>(a, b, old, now, s, d);
    count_cells(old, now, s);
}

double seconds_since(const timeval& start) {
    timeval now;
    gettimeofday(&now, nullptr);
    return static_cast<double>(now.tv_sec - start.tv_sec) + static_cast<double>(now.tv_usec - start.tv_usec) * 1e-6;
}

// The window in motion: the matrix and sums of its current position.
class Window {
public:
    Window(const Mcoocur_t& desc, const ima3Du1& in, GlcmData& d)
        : d_(d),
          v_(in.data),
          dx_(desc.dx),
          dy_(desc.dy),
          dz_(desc.dz),
          wx_(desc.winx),
          wy_(desc.winy),
          wz_(desc.winz),
          mask_(selection(desc)) {}

    // The matrix of the window at origin (0, 0, 0), then the sums from it,
    // cell by cell in order.
    void fill_first() {
        for (int z = 0; z < wz_; ++z)
            for (int y = 0; y < wy_; ++y) {
                const unsigned char* first = v_[z][y];
                const unsigned char* second = v_[z + dz_][y + dy_] + dx_;
                for (int x = 0; x < wx_; ++x) ++d_.M[first[x]][second[x]];
            }
        Sums s(d_);
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b) update_selected(mask_, a, b, 0, d_.M[a][b], s, d_);
        s.store(d_);
    }

    // One voxel along the columns, rows or planes; `forward` towards larger
    // coordinates. The slab that leaves is taken out before the one that
    // enters is put in.
    void step_x(bool forward) {
        if (forward) {
            column<-1>(x0_);
            column<+1>(x0_ + wx_);
            ++x0_;
        } else {
            column<-1>(x0_ + wx_ - 1);
            column<+1>(x0_ - 1);
            --x0_;
        }
    }
    void step_y(bool forward) {
        if (forward) {
            row<-1>(y0_);
            row<+1>(y0_ + wy_);
            ++y0_;
        } else {
            row<-1>(y0_ + wy_ - 1);
            row<+1>(y0_ - 1);
            --y0_;
        }
    }
    void step_z() {
        plane<-1>(z0_);
        plane<+1>(z0_ + wz_);
        ++z0_;
    }

    int x0() const { return x0_; }
    int y0() const { return y0_; }
    int z0() const { return z0_; }

private:
    // One pair out (Delta -1) or in (+1); Delta known at compile time lets
    // the compiler simplify the updates (now^2 - old^2 becomes 2 old + 1).
    template <int Delta>
    inline void pair(const unsigned char* first, const unsigned char* second, int x, Sums& s) {
        const int a = first[x], b = second[x];
        Count& cell = d_.M[a][b];
        const Count old = cell, now = old + static_cast<Count>(Delta);
        cell = now;
        update_selected(mask_, a, b, old, now, s, d_);
    }
    template <int Delta>
    void column(int x) {
        Sums s(d_);
        for (int z = z0_; z < z0_ + wz_; ++z)
            for (int y = y0_; y < y0_ + wy_; ++y) pair<Delta>(v_[z][y], v_[z + dz_][y + dy_] + dx_, x, s);
        s.store(d_);
    }
    template <int Delta>
    void row(int y) {
        Sums s(d_);
        for (int z = z0_; z < z0_ + wz_; ++z) {
            const unsigned char* first = v_[z][y];
            const unsigned char* second = v_[z + dz_][y + dy_] + dx_;
            for (int x = x0_; x < x0_ + wx_; ++x) pair<Delta>(first, second, x, s);
        }
        s.store(d_);
    }
    template <int Delta>
    void plane(int z) {
        Sums s(d_);
        for (int y = y0_; y < y0_ + wy_; ++y) {
            const unsigned char* first = v_[z][y];
            const unsigned char* second = v_[z + dz_][y + dy_] + dx_;
            for (int x = x0_; x < x0_ + wx_; ++x) pair<Delta>(first, second, x, s);
        }
        s.store(d_);
    }

    GlcmData& d_;
    unsigned char*** v_;
    const int dx_, dy_, dz_, wx_, wy_, wz_;
    const unsigned mask_;
    int x0_ = 0, y0_ = 0, z0_ = 0;
};

}  // namespace

extern "C" {

const Mcoocur_attribute_t attributes[MCOOCUR_NB_ATTRIBUTES] = {
    {"Constrast", "Con", update_op<MCOOCUR_CONTRAST>, contrast},
    {"Correlation", "Cor", update_op<MCOOCUR_CORRELATION>, correlation},
    {"Directivity", "Dir", update_op<MCOOCUR_DIRECTIVITY>, directivity},
    {"Entropy", "Ent", update_op<MCOOCUR_ENTROPY>, entropy},
    {"Homogeneity", "Hom", update_op<MCOOCUR_HOMOGENEITY>, homogeneity},
    {"Local Homogeneity", "LHo", update_op<MCOOCUR_LOCAL_HOMOGENEITY>, local_homogeneity},
    {"Sum average", "SAv", update_op<MCOOCUR_SUM_AVERAGE>, sum_average},
    {"Sum entropy", "SEn", update_op<MCOOCUR_SUM_ENTROPY>, sum_entropy},
    {"Uniformity", "Uni", update_op<MCOOCUR_UNIFORMITY>, uniformity},
};

param* Mcoocur_lect(Mcoocur_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "Mcoocur_lect");
    desc->winx = questions.integer("winx", 1, INT_MAX);
    desc->winy = questions.integer("winy", 1, INT_MAX);
    desc->winz = questions.integer("winz", 1, INT_MAX);
    desc->dx = questions.integer("dx ", 0, INT_MAX);
    desc->dy = questions.integer("dy", 0, INT_MAX);
    desc->dz = questions.integer("dz ", 0, INT_MAX);
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i) {
        const std::string question = std::string(attributes[i].name) + " (0/1)";
        desc->selected[i] = questions.text(question.c_str())[0] == '1' ? 1 : 0;
    }
    return questions.next();
}

int Mcoocur_check(const Mcoocur_t* desc, int dimx, int dimy, int dimz) {
    const Mcoocur_t& c = *desc;
    if (c.winx < 1 || c.winy < 1 || c.winz < 1 || c.dx < 0 || c.dy < 0 || c.dz < 0)
        fw::fail(1,
                 "\n>> ERREUR Mcoocur : fenetre %dx%dx%d ou deplacement (%d, %d, %d) refuse (fenetre d'au moins 1, "
                 "deplacement d'au moins 0)\n",
                 c.winx, c.winy, c.winz, c.dx, c.dy, c.dz);
    const auto fits = [](int win, int d, int n) { return static_cast<long long>(win) + d < n; };
    if (!fits(c.winx, c.dx, dimx) || !fits(c.winy, c.dy, dimy) || !fits(c.winz, c.dz, dimz))
        fw::fail(1,
                 "\n>> ERREUR Mcoocur : fenetre %dx%dx%d et deplacement (%d, %d, %d) trop grands pour le volume "
                 "%dx%dx%d (fenetre + deplacement < dimension, selon chaque axe)\n",
                 c.winx, c.winy, c.winz, c.dx, c.dy, c.dz, dimx, dimy, dimz);
    const long long pairs = static_cast<long long>(c.winx) * c.winy * c.winz;  // each below 2^31
    if (pairs > kMostPairs)
        fw::fail(1, "\n>> ERREUR Mcoocur : fenetre de %lld voxels refusee (au plus %lld)\n", pairs, kMostPairs);
    return 0;
}

int Mcoocur_init(Mcoocur_t* desc, ima3Du1 in, ima3Dd** out) {
    Mcoocur_check(desc, in.dimx, in.dimy, in.dimz);
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i) {
        out[i] = nullptr;
        if (desc->selected[i] == 0) continue;
        auto* v = static_cast<ima3Dd*>(std::calloc(1, sizeof(ima3Dd)));
        if (v == nullptr) fw::fail(1, "\n>> ERREUR Mcoocur_init : allocation impossible\n");
        v->dimx = in.dimx;
        v->dimy = in.dimy;
        v->dimz = in.dimz;
        allouer_ima3Dd(v);
        v->entete = in.entete;
        v->nb_bits = 64;
        out[i] = v;
    }
    return 0;
}

int Mcoocur_calc(Mcoocur_t* desc, ima3Du1 in, ima3Dd** out) {
    Mcoocur_check(desc, in.dimx, in.dimy, in.dimz);
    timeval start;
    gettimeofday(&start, nullptr);

    // Origins per axis, and the offset from an origin to its output sample.
    const int cx = in.dimx - desc->winx - desc->dx, cy = in.dimy - desc->winy - desc->dy,
              cz = in.dimz - desc->winz - desc->dz;
    const int hx = (desc->winx + desc->dx) / 2, hy = (desc->winy + desc->dy) / 2, hz = (desc->winz + desc->dz) / 2;

    // The selected features' outputs, and their finalisations.
    double*** targets[MCOOCUR_NB_ATTRIBUTES];
    long double (*finalise[MCOOCUR_NB_ATTRIBUTES])(const GlcmData*);
    int selected = 0;
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i)
        if (desc->selected[i] != 0) {
            targets[selected] = out[i]->data;
            finalise[selected++] = attributes[i].finalise;
        }

    const auto data = std::make_unique<GlcmData>();
    initGlcmData(data.get());
    Window window(*desc, in, *data);
    window.fill_first();
    std::printf(">> Mcoocur_calc : matrice de la premiere fenetre en %.3f s\n", seconds_since(start));

    std::FILE* dump = std::fopen("nonZeros.dump", "w");
    if (dump == nullptr) std::printf(">> ATT Mcoocur_calc : fichier nonZeros.dump non cree\n");

    auto store = [&] {
        const int z = window.z0() + hz, y = window.y0() + hy, x = window.x0() + hx;
        for (int k = 0; k < selected; ++k) targets[k][z][y][x] = static_cast<double>(finalise[k](data.get()));
    };
    bool rightwards = true, downwards = true;
    for (int z = 0; z < cz; ++z) {
        if (z > 0) {
            window.step_z();
            rightwards = !rightwards;
        }
        for (int y = 0; y < cy; ++y) {
            if (y > 0) {
                window.step_y(downwards);
                rightwards = !rightwards;
            }
            store();
            for (int x = 1; x < cx; ++x) {
                window.step_x(rightwards);
                store();
            }
        }
        downwards = !downwards;
    }

    if (dump != nullptr) std::fclose(dump);
    std::printf(">> Mcoocur_calc : %lld fenetres en %.3f s\n", static_cast<long long>(cx) * cy * cz,
                seconds_since(start));
    return 0;
}

void initGlcmData(GlcmData* data) { std::memset(data, 0, sizeof *data); }

void valueUpdateGlcmData(int a, int b, unsigned int old, unsigned int now, GlcmData* data, const Mcoocur_t* desc) {
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i)
        if (desc->selected[i] != 0) attributes[i].update(a, b, old, now, data);
    Sums s(*data);
    count_cells(old, now, s);
    s.store(*data);
}

void pixelUpdateGlcmData(int x, int y, int z, int delta, GlcmData* data, const ima3Du1* in, const Mcoocur_t* desc) {
    const int a = in->data[z][y][x];
    const int b = in->data[z + desc->dz][y + desc->dy][x + desc->dx];
    const unsigned int old = data->M[a][b];
    data->M[a][b] = old + static_cast<unsigned int>(delta);
    valueUpdateGlcmData(a, b, old, data->M[a][b], data, desc);
}

}  // extern "C"
