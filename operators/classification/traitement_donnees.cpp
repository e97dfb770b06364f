// Preprocessing of learning sets: cleaning, sparse-cell filter,
// competitive agglomeration and convex verification of every class in the
// plane of every pair of attributes.
//
// The grids of the sparse-cell filter and of the verification follow the
// smallest spacing between values, which can make a dense grid far larger
// than the points: occupied cells are kept in hash tables, and the outline
// area only needs each row's extreme marked cells. Repeated points are
// found through a hash table instead of a search of the kept points, the
// smallest spacing through a sort instead of every pair, and the
// agglomeration skips the points of p's own cluster through bit sets.

#include "traitement_donnees.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "classifier_data.h"
#include "fail.hpp"
#include "gradual_rules.hpp"
#include "learning_text.hpp"
#include "preprocessing.hpp"
#include "questions.hpp"

namespace preprocessing {

namespace {

// A grid cell (ix, iy); floors of doubles, compared exactly.
struct Cell {
    double ix, iy;
    bool operator==(const Cell& o) const { return ix == o.ix && iy == o.iy; }
};

struct CellHash {
    std::size_t operator()(const Cell& c) const {
        std::uint64_t a, b;
        const double x = c.ix + 0.0, y = c.iy + 0.0;  // -0 as 0
        std::memcpy(&a, &x, sizeof a);
        std::memcpy(&b, &y, sizeof b);
        return std::hash<std::uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

// The grid of a point range: origin, cell sizes.
struct Grid {
    double x0, y0, tx, ty;
    Cell cell(float x, float y) const { return {std::floor((x - x0) / tx) + 1.0, std::floor((y - y0) / ty) + 1.0}; }
};

Grid grid_of(const float* xs, const float* ys, int n) {
    return {*std::min_element(xs, xs + n), *std::min_element(ys, ys + n), cell_size(xs, n), cell_size(ys, n)};
}

// Number of bits set, inline (the builtin is a library call without the
// popcnt instruction).
inline int bits_set(std::uint64_t v) {
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

// Points reordered stably by key (0 ... keys - 1); returns the counts.
std::vector<int> reorder(float* xs, float* ys, int n, const std::vector<int>& key, int keys) {
    std::vector<int> count(static_cast<std::size_t>(keys), 0), at(static_cast<std::size_t>(keys), 0);
    for (int p = 0; p < n; ++p) ++count[key[p]];
    for (int k = 1; k < keys; ++k) at[k] = at[k - 1] + count[k - 1];
    std::vector<float> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n));
    for (int p = 0; p < n; ++p) {
        const int to = at[key[p]]++;
        x[to] = xs[p];
        y[to] = ys[p];
    }
    std::copy(x.begin(), x.end(), xs);
    std::copy(y.begin(), y.end(), ys);
    return count;
}

void write_groups(std::FILE* groups, const float* xs, const float* ys, const std::vector<int>& sizes) {
    int non_empty = 0;
    for (const int s : sizes) non_empty += s > 0;
    std::fprintf(groups, "%d\n", non_empty);
    int n = 0;
    for (const int s : sizes)
        if (s > 0) {
            std::fprintf(groups, "%d ", s);
            n += s;
        }
    std::fputc('\n', groups);
    for (int p = 0; p < n; ++p)
        std::fprintf(groups, "%f %f \n", static_cast<double>(xs[p]), static_cast<double>(ys[p]));
}

// Most cells the outline of one group may draw: a few tens of
// milliseconds, and rows of 8 bytes each.
constexpr double kMaxTrace = 1 << 24;

// The outline area: the ring's cells numbered in ring order, consecutive
// numbered cells that are not neighbours joined by a line of cells, then
// per row of marked cells its width from the leftmost to the rightmost.
// Only each row's extreme marked cells matter, kept in a table of rows.
long long outline_area(const float* xs, const float* ys, int n, const Grid& grid) {
    const std::vector<gradual_rules::Point> ring = gradual_rules::contour_extraction(xs, ys, 0, n);
    std::unordered_set<Cell, CellHash> marked;
    std::vector<Cell> numbered;
    for (const gradual_rules::Point& v : ring) {
        const Cell c = grid.cell(static_cast<float>(v.x), static_cast<float>(v.y));
        if (marked.insert(c).second) numbered.push_back(c);
    }
    const std::size_t last = numbered.size();
    // The lines cross the grid between ring vertices in any order: their
    // length follows the extent of the values over their smallest spacing,
    // which real values written to six decimals can make astronomical.
    double steps = 0, top = 0, right = 0;
    for (std::size_t s = 0; s < last; ++s) {
        const Cell a = numbered[s], b = numbered[(s + 1) % last];
        steps += std::max(std::fabs(b.ix - a.ix), std::fabs(b.iy - a.iy));
        top = std::max(top, a.iy);
        right = std::max(right, a.ix);
    }
    if (steps > kMaxTrace || top > kMaxTrace || right > kMaxTrace)
        fw::fail(1,
                 "ERREUR traitement_donnees : le contour d'un groupe de %d points demande le trace de %.0f cellules "
                 "(au plus %.0f) : ses valeurs sont trop proches devant leur etendue (cellules de %g x %g)\n",
                 n, std::max(steps, std::max(top, right)), kMaxTrace, grid.tx, grid.ty);
    // Rows -1 ... top + 1 (a line's rounding may step one row out).
    std::vector<std::pair<int, int>> rows(static_cast<std::size_t>(top) + 3, {INT_MAX, INT_MIN});
    auto mark = [&rows](double ix, double iy) {
        const double r = iy + 1;
        if (r < 0 || r >= static_cast<double>(rows.size())) return;  // never: lines stay within their ends' rows
        auto& row = rows[static_cast<std::size_t>(r)];
        row.first = std::min(row.first, static_cast<int>(ix));
        row.second = std::max(row.second, static_cast<int>(ix));
    };
    for (const Cell& c : numbered) mark(c.ix, c.iy);
    for (std::size_t s = 0; s < last; ++s) {
        const Cell a = numbered[s], b = numbered[(s + 1) % last];
        const double dx = b.ix - a.ix, dy = b.iy - a.iy;
        if (std::fabs(dx) <= 1 && std::fabs(dy) <= 1) continue;
        const double m = static_cast<float>(dx != 0 ? dy / dx : dy / 0.001);
        const double intercept = a.iy - m * a.ix;
        if (std::fabs(dx) > std::fabs(dy)) {
            for (double j = std::min(a.ix, b.ix) + 1; j < std::max(a.ix, b.ix); ++j)
                mark(j, std::floor(m * j + intercept));
        } else {
            for (double k = std::min(a.iy, b.iy) + 1; k < std::max(a.iy, b.iy); ++k)
                mark(std::floor((k - intercept) / m), k);
        }
    }
    long long area = 0;
    for (const auto& [lo, hi] : rows)
        if (lo <= hi) area += static_cast<long long>(hi) - lo + 1;
    return area;
}

}  // namespace

double dmin(const float* v, int count) {
    std::vector<float> sorted(v, v + count);
    std::sort(sorted.begin(), sorted.end());
    double best = 0;
    for (int i = 1; i < count; ++i) {
        const double d = static_cast<double>(sorted[i]) - sorted[i - 1];
        if (d > 0 && (best == 0 || d < best)) best = d;
    }
    return best;
}

double cell_size(const float* v, int count) {
    const double t = 3 * dmin(v, count);
    return t == 0 ? 0.003 : t;
}

void convex_verif(float* xs, float* ys, int n, std::FILE* groups) {
    if (n <= 3) {
        write_groups(groups, xs, ys, {n});
        return;
    }
    const Grid grid = grid_of(xs, ys, n);
    const long long area = outline_area(xs, ys, n, grid);
    std::unordered_set<Cell, CellHash> occupied;
    for (int p = 0; p < n; ++p) occupied.insert(grid.cell(xs[p], ys[p]));
    if (static_cast<double>(occupied.size()) / static_cast<double>(area) >= 0.7) {
        write_groups(groups, xs, ys, {n});
        return;
    }
    const double cx = (grid.x0 + *std::max_element(xs, xs + n) + grid.tx) / 2;
    const double cy = (grid.y0 + *std::max_element(ys, ys + n) + grid.ty) / 2;
    std::vector<int> quadrant(static_cast<std::size_t>(n));
    for (int p = 0; p < n; ++p) {
        const bool right = xs[p] > cx, up = ys[p] > cy;
        quadrant[p] = up ? (right ? 0 : 1) : (right ? 3 : 2);
    }
    write_groups(groups, xs, ys, reorder(xs, ys, n, quadrant, 4));
}

void agglomerate(const float* xs, const float* ys, int n, const std::vector<double>& sx, const std::vector<double>& sy,
                 std::vector<int>& label, std::vector<int>& count) {
    const int k0 = static_cast<int>(sx.size());
    std::vector<double> wx(static_cast<std::size_t>(k0 * k0)), wy(static_cast<std::size_t>(k0 * k0));
    for (int a = 0; a < k0; ++a)
        for (int b = 0; b < k0; ++b) {
            wx[a * k0 + b] = 1.5 * std::min(sx[a], sx[b]);
            wy[a * k0 + b] = 1.5 * std::min(sy[a], sy[b]);
        }
    // Agglomeration: close points of two clusters, the smaller cluster's
    // point joining the other. Each move raises the sum of the squared
    // counts, so the passes end. The pairs (p, q > p) are taken in order,
    // 64 q at a time: a bit set per cluster gives the q of other clusters
    // than p's (none, once most points have joined one cluster), and a q is
    // first screened with the bounds of p's cluster (min(s_A, s_B) <= s_A)
    // in single precision with a margin above the rounding, which never
    // drops a pair the exact test accepts. Words with many candidates are
    // screened in a loop that vectorises.
    const int words = (n + 63) / 64;
    std::vector<std::uint64_t> members(static_cast<std::size_t>(k0) * static_cast<std::size_t>(words), 0);
    auto bit = [&](int cluster, int point) -> std::uint64_t& {
        return members[static_cast<std::size_t>(cluster) * static_cast<std::size_t>(words) +
                       static_cast<std::size_t>(point >> 6)];
    };
    for (int p = 0; p < n; ++p) bit(label[p], p) |= std::uint64_t{1} << (p & 63);
    auto move = [&](int point, int from, int to) {
        bit(from, point) &= ~(std::uint64_t{1} << (point & 63));
        bit(to, point) |= std::uint64_t{1} << (point & 63);
        label[point] = to;
        --count[from];
        ++count[to];
    };
    int near[64];
    for (bool changed = true; changed;) {
        changed = false;
        for (int p = 0; p + 1 < n; ++p) {
            const double x = xs[p], y = ys[p];
            const float xf = xs[p], yf = ys[p];
            int a = label[p];
            float bx = 0, by = 0;
            auto bounds = [&] {
                bx = static_cast<float>(1.5 * sx[a] * 1.000001);
                by = static_cast<float>(1.5 * sy[a] * 1.000001);
            };
            bounds();
            // The pair (p, q); true when p has moved to q's cluster.
            auto pair = [&](int q) {
                const int b = label[q];
                if (a == b || !(std::fabs(x - xs[q]) < wx[a * k0 + b] && std::fabs(y - ys[q]) < wy[a * k0 + b]))
                    return false;
                changed = true;
                if (count[a] > count[b]) {
                    move(q, b, a);
                    return false;
                }
                move(p, a, b);
                a = b;
                bounds();
                return true;
            };
            for (int q = p + 1; q < n;) {
                const int base = q & ~63, end = std::min(n, base + 64);
                std::uint64_t others = ~bit(a, q) & (~std::uint64_t{0} << (q - base));
                if (end - base < 64) others &= (std::uint64_t{1} << (end - base)) - 1;
                int resume = end;
                if (bits_set(others) <= 16) {
                    for (; others != 0; others &= others - 1) {
                        const int i = base + __builtin_ctzll(others);
                        if (std::fabs(xf - xs[i]) < bx && std::fabs(yf - ys[i]) < by && pair(i)) {
                            resume = i + 1;
                            break;
                        }
                    }
                } else {
                    int any = 0;
                    for (int i = q; i < end; ++i) {
                        const int v = static_cast<int>(label[i] != a) & static_cast<int>(std::fabs(xf - xs[i]) < bx) &
                                      static_cast<int>(std::fabs(yf - ys[i]) < by);
                        near[i - base] = v;
                        any |= v;
                    }
                    for (int i = q; any != 0 && i < end; ++i)
                        if (near[i - base] != 0 && pair(i)) {
                            resume = i + 1;
                            break;
                        }
                }
                q = resume;
            }
        }
    }
}

int competitive_agglomeration(float* xs, float* ys, int n, const Traces& traces) {
    const int k0 = std::min(10, std::max(2, n / 10)), chunk = n / k0;
    std::vector<int> label(static_cast<std::size_t>(n)), count(static_cast<std::size_t>(k0), 0);
    for (int p = 0; p < n; ++p) {
        label[p] = chunk > 0 ? std::min(p / chunk, k0 - 1) : k0 - 1;
        ++count[label[p]];
    }
    // Centres as means; an empty cluster has none and takes no point.
    std::vector<double> cx(static_cast<std::size_t>(k0)), cy(static_cast<std::size_t>(k0));
    std::vector<bool> alive(static_cast<std::size_t>(k0));
    auto centres = [&] {
        std::fill(cx.begin(), cx.end(), 0.0);
        std::fill(cy.begin(), cy.end(), 0.0);
        for (int p = 0; p < n; ++p) {
            cx[label[p]] += xs[p];
            cy[label[p]] += ys[p];
        }
        for (int k = 0; k < k0; ++k) {
            alive[k] = count[k] > 0;
            if (alive[k]) {
                cx[k] /= count[k];
                cy[k] /= count[k];
            }
        }
    };
    centres();
    for (int pass = 0; pass < 1000; ++pass) {
        bool moved = false;
        for (int p = 0; p < n; ++p) {
            const int current = label[p];
            // Euclidean distances compared as the square roots they are;
            // a square that is not smaller cannot give a smaller root, so
            // the root is taken only for a smaller square.
            auto square = [&](int k) {
                const double dx = xs[p] - cx[k], dy = ys[p] - cy[k];
                return dx * dx + dy * dy;
            };
            int best = current;
            double best_square = square(current), best_d = std::sqrt(best_square);
            for (int k = 0; k < k0; ++k) {
                if (!alive[k]) continue;
                const double sq = square(k);
                if (sq >= best_square) continue;
                const double d = std::sqrt(sq);
                if (d < best_d) {
                    best_d = d;
                    best_square = sq;
                    best = k;
                }
            }
            if (best != current) {
                --count[current];
                ++count[best];
                label[p] = best;
                moved = true;
            }
        }
        centres();
        if (!moved) break;
    }
    // Spacing: the mean distance in x and in y from each point to the next
    // point of its cluster.
    std::vector<int> next(static_cast<std::size_t>(n)), last(static_cast<std::size_t>(k0), -1);
    for (int p = n; p-- > 0;) {
        next[p] = last[label[p]];
        last[label[p]] = p;
    }
    std::vector<double> sx(static_cast<std::size_t>(k0), 0.0), sy(static_cast<std::size_t>(k0), 0.0);
    double dx = 0, dy = 0;
    for (int p = 0; p < n; ++p) {
        if (next[p] >= 0) {
            dx = std::fabs(static_cast<double>(xs[p]) - xs[next[p]]);
            dy = std::fabs(static_cast<double>(ys[p]) - ys[next[p]]);
        }
        sx[label[p]] += dx;
        sy[label[p]] += dy;
    }
    for (int a = 0; a < k0; ++a)
        if (count[a] > 0) {
            sx[a] /= count[a];
            sy[a] /= count[a];
        }
    agglomerate(xs, ys, n, sx, sy, label, count);
    std::vector<int> number(static_cast<std::size_t>(k0), -1);
    int clusters = 0;
    for (int k = 0; k < k0; ++k)
        if (count[k] > 0) number[k] = clusters++;
    for (int p = 0; p < n; ++p) label[p] = number[label[p]];
    std::vector<int> sizes = {n};
    if (clusters > 1) {
        sizes = reorder(xs, ys, n, label, clusters);
        std::sort(label.begin(), label.end());
    }
    for (int p = 0; p < n; ++p)
        std::fprintf(traces.compet, "%f %f %d \n", static_cast<double>(xs[p]), static_cast<double>(ys[p]), label[p]);
    std::fputc('\n', traces.compet);
    std::fprintf(traces.groups, "%d\n", clusters);
    if (clusters > 1)
        for (int c = 0, start = 0; c < clusters; start += sizes[c], ++c)
            convex_verif(xs + start, ys + start, sizes[c], traces.groups);
    return clusters;
}

void process_chain(std::vector<float> xs, std::vector<float> ys, std::vector<int> sizes, const Traces& traces) {
    // Cleaning: repeated points of a class become one point and a count.
    std::vector<int> multiplicity;
    multiplicity.reserve(xs.size());
    int kept = 0;
    std::size_t end = 0;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        std::unordered_map<Cell, int, CellHash> seen;
        const int first = kept;
        const std::size_t start = end;
        end += static_cast<std::size_t>(sizes[k]);
        for (std::size_t p = start; p < end; ++p) {
            const auto [at, added] = seen.emplace(Cell{xs[p], ys[p]}, kept);
            if (!added) {
                ++multiplicity[at->second];
                continue;
            }
            xs[kept] = xs[p];
            ys[kept] = ys[p];
            multiplicity.push_back(1);
            ++kept;
        }
        for (int p = first; p < kept; ++p)
            std::fprintf(traces.clean, "%f %f %d\n", static_cast<double>(xs[p]), static_cast<double>(ys[p]),
                         multiplicity[p]);
        std::fputc('\n', traces.clean);
        sizes[k] = kept - first;
    }
    std::fputs("0 1\n", traces.groups);
    for (int k = 0, start = 0; k < static_cast<int>(sizes.size()); start += sizes[k], ++k) {
        float* x = xs.data() + start;
        float* y = ys.data() + start;
        const int n = sizes[k];
        // Sparse cells: a cell holding fewer copies than half the mean of
        // the occupied cells loses its points.
        const Grid grid = grid_of(x, y, n);
        std::unordered_map<Cell, long long, CellHash> cells;
        for (int p = 0; p < n; ++p) cells[grid.cell(x[p], y[p])] += multiplicity[start + p];
        long long total = 0;
        for (const auto& [c, copies] : cells) total += copies;
        const long long half = total / static_cast<long long>(cells.size()) / 2;
        int m = 0;
        for (int p = 0; p < n; ++p)
            if (cells[grid.cell(x[p], y[p])] >= half) {
                x[m] = x[p];
                y[m] = y[p];
                ++m;
            }
        if (competitive_agglomeration(x, y, m, traces) == 1) convex_verif(x, y, m, traces.groups);
    }
}

}  // namespace preprocessing

namespace {

constexpr const char* kOpenFailure = "ERREUR: impossible d'ouvrir le fichier %s\n";
constexpr const char* kGroupsTrace = "learning_set_processing.txt";

std::FILE* create(const char* name, const char* failure) {
    std::FILE* f = std::fopen(name, "w");
    if (f == nullptr) fw::fail(1, failure, name);
    return f;
}

[[noreturn]] void unreadable_trace() {
    fw::fail(1, "ERREUR: %s illisible : il ne suit pas le format des groupes\n", kGroupsTrace);
}

// Copies the groups of every pair and class from the trace into the
// processed learning set, a class's clusters becoming one list of groups.
void convert(int classes, int attributes, std::FILE* out) {
    classification::LearningText text(kGroupsTrace);
    if (!text.ok()) fw::fail(1, "Impossible to open the learning_set.processing.txt file for reading \n");
    int value = 0;
    if (!text.integer(value)) unreadable_trace();
    std::fprintf(out, "%d\n", value);
    std::vector<int> sizes;
    std::vector<float> points;
    for (int i = 0; i + 1 < attributes; ++i)
        for (int j = i + 1; j < attributes; ++j) {
            std::fprintf(out, "%d %d\n", i, j);
            if (!text.integer(value) || !text.integer(value)) unreadable_trace();
            for (int k = 0; k < classes; ++k) {
                sizes.clear();
                points.clear();
                int clusters = 0;
                if (!text.integer(clusters)) unreadable_trace();
                for (int c = 0; c < clusters; ++c) {
                    int groups = 0;
                    if (!text.integer(groups)) unreadable_trace();
                    long long total = 0;
                    for (int g = 0; g < groups; ++g) {
                        if (!text.integer(value) || value < 0) unreadable_trace();
                        sizes.push_back(value);
                        total += value;
                    }
                    for (long long p = 0; p < 2 * total; ++p) {
                        float v = 0;
                        if (!text.real(v)) unreadable_trace();
                        points.push_back(v);
                    }
                }
                std::fprintf(out, "%d\n", static_cast<int>(sizes.size()));
                for (const int s : sizes) std::fprintf(out, "%d ", s);
                std::fputc('\n', out);
                for (std::size_t p = 0; p < points.size(); p += 2)
                    std::fprintf(out, "%f %f\n", static_cast<double>(points[p]), static_cast<double>(points[p + 1]));
            }
        }
}

}  // namespace

param* traitement_donnees_lect(traitement_donnees_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "traitement_donnees_lect");
    desc->fichier_donnees = classification::file_reply(questions, "Data file containing the learning points");
    desc->nb_classes = questions.integer("Number of classes in the current file", 1, INT_MAX);
    desc->pts_par_classe = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(desc->nb_classes)));
    if (desc->pts_par_classe == nullptr) fw::fail(1, "Probleme d'allocation memoire pour les donnees d'entree\n");
    for (int k = 0; k < desc->nb_classes; ++k) {
        char text[64];
        std::snprintf(text, sizeof text, "Number of learning points in class %d", k);
        desc->pts_par_classe[k] = questions.integer(text);
        if (desc->pts_par_classe[k] < 2)
            fw::fail(1, "ERREUR traitement_donnees : la classe %d n'a que %d point(s), il en faut au moins 2\n", k,
                     desc->pts_par_classe[k]);
    }
    desc->nb_attributs = questions.integer("Number of attributes in the curent file");
    if (desc->nb_attributs < 2)
        fw::fail(1, "The number of attributes is not enough to construct the classification rules\n");
    desc->fichier_traite = classification::file_reply(questions, "Data file containing the processed learning set");
    return questions.next();
}

int traitement_donnees_init(traitement_donnees_t* desc, learning_set* set) {
    long long total = 0;
    for (int k = 0; k < desc->nb_classes; ++k) total += desc->pts_par_classe[k];
    if (total > INT_MAX)
        fw::fail(1, "ERREUR: %lld points d'apprentissage, plus que les %d qu'un ensemble peut tenir\n", total, INT_MAX);
    classification::LearningText text(desc->fichier_donnees);
    if (!text.ok()) fw::fail(1, kOpenFailure, desc->fichier_donnees);
    *set = learning_set{};
    set->input.nb_attributs = desc->nb_attributs;
    set->input.nb_pts = set->input.fin_indice = set->output.nb_pts = static_cast<int>(total);
    set->output.nb_classes = desc->nb_classes;
    set->output.type = DATA_OUTPUT_CRISP;
    alloc_classifier_data_input_completely(&set->input);
    alloc_classifier_data_output(&set->output);
    int label = 0;
    for (int k = 0, p = 0; k < desc->nb_classes; ++k)
        for (int n = 0; n < desc->pts_par_classe[k]; ++n, ++p) {
            bool read = true;
            for (int a = 0; a < desc->nb_attributs && read; ++a) read = text.real(set->input.data[a][p]);
            if (!read || !text.integer(label))
                fw::fail(1,
                         "ERREUR: fichier %s : point %d illisible ou absent (%d points de %d attributs et leur classe "
                         "attendus)\n",
                         desc->fichier_donnees, p, static_cast<int>(total), desc->nb_attributs);
            set->output.data.crisp[p] = k;
        }
    return 0;
}

int traitement_donnees_calc(learning_set* set, traitement_donnees_t* desc) {
    if (desc->nb_attributs < 2)
        fw::fail(1, "The number of attributes is not enough to construct the classification rules\n");
    preprocessing::Traces traces{};
    traces.clean = create("learn_clean.data", kOpenFailure);
    traces.compet = create("compet_agg.txt", "Error in opening the text file for the unsupervised clustering\n");
    traces.groups = create(kGroupsTrace, "Impossible to open the learning_set_processing.txt file\n");
    std::FILE* out = create(desc->fichier_traite, kOpenFailure);
    // The processed set is written while the traces are read back: it
    // must be a file of its own.
    for (std::FILE* trace : {traces.clean, traces.compet, traces.groups}) {
        struct stat a, b;
        if (fstat(fileno(out), &a) == 0 && fstat(fileno(trace), &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino)
            fw::fail(1,
                     "ERREUR traitement_donnees : le fichier traite %s est un des fichiers de trace (learn_clean.data, "
                     "compet_agg.txt, learning_set_processing.txt)\n",
                     desc->fichier_traite);
    }
    std::fprintf(traces.groups, "%d\n", desc->nb_classes);
    const std::vector<int> sizes(desc->pts_par_classe, desc->pts_par_classe + desc->nb_classes);
    const data_input& in = set->input;
    for (int i = 0; i + 1 < in.nb_attributs; ++i)
        for (int j = i + 1; j < in.nb_attributs; ++j)
            preprocessing::process_chain({in.data[i], in.data[i] + in.nb_pts}, {in.data[j], in.data[j] + in.nb_pts},
                                         sizes, traces);
    std::fclose(traces.clean);
    std::fclose(traces.compet);
    std::fclose(traces.groups);
    convert(desc->nb_classes, desc->nb_attributs, out);
    std::fclose(out);
    return 0;
}

int traitement_donnees_ferm(traitement_donnees_t* desc, learning_set* set) {
    std::free(desc->pts_par_classe);
    desc->pts_par_classe = nullptr;
    free_data_input(&set->input);
    free_data_output(&set->output);
    return 0;
}
