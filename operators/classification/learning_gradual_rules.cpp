// Learning of gradual rules: outline, convex hull and rule lines of every
// group of learning points in the plane of every pair of attributes.
//
// The outline keeps, for every distinct y, the largest and the smallest x;
// it is built from the points sorted by y (a stable sort, so the earliest
// point of each y comes first) instead of a search of the list per point.
// The hull is the monotone chain of the outline's points with strict turns,
// turned to start at the pivot and to run clockwise: the vertices of a
// convex hull with strict turns, its start and its sense are unique, so this
// gives the corners the angular sort and the scan give, in O(n log n).

#include "learning_gradual_rules.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "classifier_data.h"
#include "fail.hpp"
#include "gradual_rules.hpp"
#include "learning_text.hpp"
#include "questions.hpp"

namespace gradual_rules {

std::vector<Point> contour_extraction(const float* xs, const float* ys, int first, int count) {
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), first);
    std::stable_sort(order.begin(), order.end(), [ys](int a, int b) { return ys[a] < ys[b]; });
    struct Row {
        int first;
        double y, xmax, xmin;
    };
    std::vector<Row> rows;
    for (const int p : order) {
        if (rows.empty() || ys[p] != rows.back().y) {
            rows.push_back({p, ys[p], xs[p], xs[p]});
        } else {
            if (xs[p] > rows.back().xmax) rows.back().xmax = xs[p];
            if (xs[p] < rows.back().xmin) rows.back().xmin = xs[p];
        }
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.first < b.first; });
    const std::size_t m = rows.size();
    std::vector<Point> ring;
    ring.reserve(2 * m);
    // Each list: the first point's y, then the others from the latest seen.
    ring.push_back({rows[0].xmax, rows[0].y});
    for (std::size_t r = m; r-- > 1;) ring.push_back({rows[r].xmax, rows[r].y});
    ring.push_back({rows[0].xmin, rows[0].y});
    for (std::size_t r = m; r-- > 1;) ring.push_back({rows[r].xmin, rows[r].y});
    return ring;
}

std::vector<Point> conv_hull(const std::vector<Point>& outline) {
    std::vector<Point> p(outline);
    std::sort(p.begin(), p.end(),
              [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    p.erase(std::unique(p.begin(), p.end(), [](const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }),
            p.end());
    if (p.size() <= 1) return p;
    // Counterclockwise chain (isleft < 0 is a counterclockwise turn): the
    // lower part from the left, then the upper part back.
    std::vector<Point> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && isleft(h[k - 2], h[k - 1], p[i]) >= 0) --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && isleft(h[k - 2], h[k - 1], p[i]) >= 0) --k;
        h[k++] = p[i];
    }
    h.resize(k - 1);  // the last point is the first again
    std::reverse(h.begin(), h.end());
    const auto pivot = std::min_element(
        h.begin(), h.end(), [](const Point& a, const Point& b) { return a.y < b.y || (a.y == b.y && a.x > b.x); });
    std::rotate(h.begin(), pivot, h.end());
    return h;
}

void write_corners(std::FILE* corners, const std::vector<Point>& hull) {
    for (const Point& v : hull) std::fprintf(corners, "%f %f\n", v.x, v.y);
    std::fputs("*************************\n", corners);
}

int rules_calc(std::FILE* rules, const std::vector<Point>& hull) {
    const std::size_t n = hull.size();
    const double t = isleft(hull[0], hull[1 % n], hull[2 % n]);
    float xmin = static_cast<float>(hull[0].x), xmax = xmin;
    float ymin = static_cast<float>(hull[0].y), ymax = ymin;
    int rule = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Point p = hull[i], q = hull[(i + 1) % n];
        if (p.x < xmin) xmin = static_cast<float>(p.x);
        if (p.x > xmax) xmax = static_cast<float>(p.x);
        if (p.y < ymin) ymin = static_cast<float>(p.y);
        if (p.y > ymax) ymax = static_cast<float>(p.y);
        if (p.x == q.x || p.y == q.y) continue;
        // Codes by the edge's direction: for t >= 0, line A takes 3 when y
        // rises (2 when it falls) and line B 3 when x rises; t < 0 swaps 2
        // and 3 on both lines.
        const bool x_rises = q.x > p.x, y_rises = q.y > p.y;
        const int code_a = (y_rises == (t >= 0)) ? 3 : 2;
        const int code_b = (x_rises == (t >= 0)) ? 3 : 2;
        std::fprintf(rules, "A%d %d %f %f\nB%d %d %f %f\n", rule, code_a, std::min(p.x, q.x), std::max(p.x, q.x), rule,
                     code_b, std::min(p.y, q.y), std::max(p.y, q.y));
        ++rule;
    }
    std::fprintf(rules, "A%d 5 %f %f\nB%d 0\n", rule, static_cast<double>(xmin), static_cast<double>(xmax), rule);
    std::fprintf(rules, "A%d 1\nB%d 4 %f %f\n", rule + 1, rule + 1, static_cast<double>(ymin),
                 static_cast<double>(ymax));
    std::fputs("*************************\n", rules);
    return 0;
}

}  // namespace gradual_rules

namespace {

using namespace gradual_rules;

constexpr const char* kOpenFailure = "ERREUR: impossible d'ouvrir le fichier %s\n";

// The two output files; one stream when both names lead to one file, so
// that its lines keep the order they are written in.
struct Outputs {
    std::FILE* rules = nullptr;
    std::FILE* corners = nullptr;

    Outputs(const char* rules_name, const char* corners_name) {
        rules = std::fopen(rules_name, "w");
        if (rules == nullptr) fw::fail(1, kOpenFailure, rules_name);
        corners = std::fopen(corners_name, "w");
        if (corners == nullptr) fw::fail(1, kOpenFailure, corners_name);
        struct stat a, b;
        if (fstat(fileno(rules), &a) == 0 && fstat(fileno(corners), &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino) {
            std::fclose(corners);
            corners = rules;
        }
    }
    ~Outputs() {
        if (corners != rules) std::fclose(corners);
        std::fclose(rules);
    }
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;
};

// One data set: every attribute pair, every group of consecutive points.
void learning_set_process(Outputs& out, const data_input& in, const int* sizes, int groups, int k) {
    std::fprintf(out.rules, "\n****%d****\n", k);
    std::fprintf(out.corners, "\n****%d****\n", k);
    for (int i = 0; i + 1 < in.nb_attributs; ++i)
        for (int j = i + 1; j < in.nb_attributs; ++j)
            for (int g = 0, start = 0; g < groups; start += sizes[g], ++g) {
                const std::vector<Point> hull = conv_hull(contour_extraction(in.data[i], in.data[j], start, sizes[g]));
                write_corners(out.corners, hull);
                if (rules_calc(out.rules, hull) != 0) fw::fail(1, "Erreur dans la fonction d'extraction des regles\n");
            }
}

// Learning points, released at the end of their scope (also when a
// refusal unwinds it, in the build where refusals throw).
struct Points {
    data_input in{};

    Points(int attributes, int points) {
        in.nb_attributs = attributes;
        in.nb_pts = points;
        in.fin_indice = points;
        alloc_classifier_data_input_completely(&in);
    }
    ~Points() { free_data_input(&in); }
    Points(const Points&) = delete;
    Points& operator=(const Points&) = delete;
};

void learn_raw(const learning_gradual_rules_t* desc) {
    const int total = std::accumulate(desc->pts_par_classe, desc->pts_par_classe + desc->nb_classes, 0);
    const Points points(desc->nb_attributs, total);
    const data_input& in = points.in;
    {
        classification::LearningText text(desc->fichier_donnees);
        if (!text.ok()) fw::fail(1, kOpenFailure, desc->fichier_donnees);
        int label = 0;
        for (int p = 0; p < total; ++p) {
            bool read = true;
            for (int a = 0; a < desc->nb_attributs && read; ++a) read = text.real(in.data[a][p]);
            if (!read || !text.integer(label))
                fw::fail(1,
                         "ERREUR: fichier %s : point %d illisible ou absent (%d points de %d attributs et leur classe "
                         "attendus)\n",
                         desc->fichier_donnees, p, total, desc->nb_attributs);
        }
    }
    {
        Outputs out(desc->fichier_regles, desc->fichier_coins);
        std::fputs("0 1\n", out.corners);
        std::fputs("0 1\n", out.rules);
        learning_set_process(out, in, desc->pts_par_classe, desc->nb_classes, -1);
    }
}

// The groups of one class for one attribute pair of a preprocessed set.
struct Groups {
    int a1, a2, k;
    std::vector<int> sizes;
    std::vector<float> x, y;
};

[[noreturn]] void refuse_preprocessed(const char* name, const char* what, int a1, int a2, int k) {
    fw::fail(1, "ERREUR: fichier %s : %s (paire %d %d, classe %d)\n", name, what, a1, a2, k);
}

std::vector<Groups> read_preprocessed(const char* name, int attributes, int* classes) {
    classification::LearningText text(name);
    if (!text.ok()) fw::fail(1, kOpenFailure, name);
    if (!text.integer(*classes) || *classes < 1)
        fw::fail(1, "ERREUR: fichier %s : nombre de classes illisible ou inferieur a 1\n", name);
    std::vector<Groups> all;
    for (int a1 = 0; a1 + 1 < attributes; ++a1)
        for (int a2 = a1 + 1; a2 < attributes; ++a2) {
            int unused = 0;
            if (!text.integer(unused) || !text.integer(unused))
                refuse_preprocessed(name, "numeros d'attributs illisibles ou absents", a1, a2, 0);
            for (int k = 0; k < *classes; ++k) {
                Groups g{a1, a2, k, {}, {}, {}};
                int m = 0;
                if (!text.integer(m)) refuse_preprocessed(name, "nombre de groupes illisible ou absent", a1, a2, k);
                if (m < 1) refuse_preprocessed(name, "classe sans groupe", a1, a2, k);
                long long total = 0;
                for (int s = 0; s < m; ++s) {
                    int size = 0;
                    if (!text.integer(size))
                        refuse_preprocessed(name, "taille de groupe illisible ou absente", a1, a2, k);
                    if (size < 1) refuse_preprocessed(name, "groupe sans point", a1, a2, k);
                    total += size;
                    if (total > INT_MAX) refuse_preprocessed(name, "trop de points", a1, a2, k);
                    g.sizes.push_back(size);
                }
                // The points are appended as they are read, so that sizes
                // the file cannot back are refused at its end rather than
                // first allocated.
                for (long long p = 0; p < total; ++p) {
                    float x = 0, y = 0;
                    if (!text.real(x) || !text.real(y))
                        refuse_preprocessed(name, "point illisible ou absent", a1, a2, k);
                    g.x.push_back(x);
                    g.y.push_back(y);
                }
                all.push_back(std::move(g));
            }
        }
    return all;
}

void learn_preprocessed(learning_gradual_rules_t* desc) {
    const std::vector<Groups> all = read_preprocessed(desc->fichier_donnees, desc->nb_attributs, &desc->nb_classes);
    Outputs out(desc->fichier_regles, desc->fichier_coins);
    for (const Groups& g : all) {
        const int groups = static_cast<int>(g.sizes.size()), points = static_cast<int>(g.x.size());
        const Points pair(2, points);
        std::copy(g.x.begin(), g.x.end(), pair.in.data[0]);
        std::copy(g.y.begin(), g.y.end(), pair.in.data[1]);
        std::fprintf(out.corners, "\n%d %d", g.a1, g.a2);
        std::fprintf(out.rules, "\n%d %d", g.a1, g.a2);
        learning_set_process(out, pair.in, g.sizes.data(), groups, g.k);
    }
}

}  // namespace

param* learning_gradual_rules_lect(learning_gradual_rules_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "learning_gradual_rules_lect");
    desc->fichier_donnees = classification::file_reply(questions, "Data file containing the learning points");
    const int pretraite = questions.integer("Does it come from the preprocessing stage? (0/1)");
    desc->fichier_coins = classification::file_reply(questions, "File for the coordinates of the corners");
    desc->fichier_regles = classification::file_reply(questions, "File for the obtained rules");
    desc->nb_attributs = questions.integer("Number of attributes in the curent file", 2, INT_MAX);
    desc->pts_par_classe = nullptr;
    desc->nb_classes = 0;
    if (pretraite != 0 && pretraite != 1)
        fw::fail(1, "Please confirm that the data file comes from the preprocessing stage or not\n");
    desc->pretraite = static_cast<short>(pretraite);
    if (pretraite == 1) return questions.next();
    desc->nb_classes = questions.integer("Number of classes in the current file", 1, INT_MAX);
    desc->pts_par_classe = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(desc->nb_classes)));
    if (desc->pts_par_classe == nullptr) fw::fail(1, "Probleme d'allocation memoire pour les donnees d'entree\n");
    for (int k = 0; k < desc->nb_classes; ++k) {
        char text[64];
        std::snprintf(text, sizeof text, "Number of learning points in class %d", k);
        desc->pts_par_classe[k] = questions.integer(text, 1, INT_MAX);
    }
    return questions.next();
}

int learning_gradual_rules_init(learning_gradual_rules_t* desc) {
    if (desc->pretraite) {
        desc->nb_classes = 0;
        desc->pts_par_classe = nullptr;
        return 0;
    }
    long long total = 0;
    for (int k = 0; k < desc->nb_classes; ++k) total += desc->pts_par_classe[k];
    if (total > INT_MAX)
        fw::fail(1, "ERREUR: %lld points d'apprentissage, plus que les %d qu'un ensemble peut tenir\n", total, INT_MAX);
    return 0;
}

int learning_gradual_rules_calc(learning_gradual_rules_t* desc) {
    if (desc->nb_classes >= 1)
        learn_raw(desc);
    else
        learn_preprocessed(desc);
    return 0;
}

int learning_gradual_rules_ferm(learning_gradual_rules_t* desc) {
    std::free(desc->pts_par_classe);
    desc->pts_par_classe = nullptr;
    return 0;
}
