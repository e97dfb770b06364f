// Object volume statistics: the 6-connected objects of one grey level,
// labelled by the raster pass of region3d.hpp and numbered 1 ... N, then
// their volumes, surfaces and compactness written to text files.

#include "eval_volume.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "region3d.hpp"
#include "volume.h"

namespace {

using Label = unsigned long long;

// Only voxels of the class take part; similar when equal.
struct OfClass {
    unsigned classe;
    bool member(unsigned v) const { return v == classe; }
    static bool similar(unsigned a, unsigned b) { return a == b; }
};

constexpr double kPi = 3.141592653589793;
constexpr double kFourThirdsPi = 4.1887902047863905;

// Counts per object 0 ... N, zero-filled.
std::int64_t* counts(int N) {
    auto* c =
        static_cast<std::int64_t*>(std::calloc(static_cast<std::size_t>(std::max(N, 0)) + 1, sizeof(std::int64_t)));
    if (c == nullptr) fw::fail(1, "Probleme allocation memoire\n");
    return c;
}

std::FILE* create_report(const char* path, const char* who) {
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) {
        std::perror(who);
        fw::fail(1, "Erreur ouverture de %s\n", path);
    }
    return f;
}

void close_report(std::FILE* f, const char* path, const char* who) {
    const bool written = !std::ferror(f);
    if (std::fclose(f) != 0 || !written) fw::fail(1, "\n>> ERREUR %s : ecriture de %s impossible\n", who, path);
}

// Calls f(label) for the label of every voxel of objects 1 ... N (labels
// beyond N are not counted), trace by trace.
template <class F>
void for_each_object_voxel(const ima3Du8& lab, int N, F f) {
    const Label last = static_cast<Label>(N);
    for (int z = 0; z < lab.dimz; ++z)
        for (int y = 0; y < lab.dimy; ++y) {
            const Label* trace = lab.data[z][y];
            for (int x = 0; x < lab.dimx; ++x)
                if (trace[x] != 0 && trace[x] <= last) f(z, y, x, trace[x]);
        }
}

// The label volume of a descriptor, which eval_volume_init allocates.
const ima3Du8& labels_of(const eval_volume_t* desc, const char* who) {
    const ima3Du8* lab = desc->etiquettes;
    if (lab == nullptr || lab->data == nullptr)
        fw::fail(1, "\n>> ERREUR %s : volume d'etiquettes absent (eval_volume_init)\n", who);
    return *lab;
}

void check_labels(const eval_volume_t* desc, const ima3Du1* in) {
    const ima3Du8* lab = &labels_of(desc, "eval_volume_calc");
    if (lab->dimx != in->dimx || lab->dimy != in->dimy || lab->dimz != in->dimz)
        fw::fail(1, "\n>> ERREUR eval_volume_calc : volume d'etiquettes %dx%dx%d different du volume %dx%dx%d\n",
                 lab->dimx, lab->dimy, lab->dimz, in->dimx, in->dimy, in->dimz);
}

}  // namespace

extern "C" {

param* eval_volume_lect(eval_volume_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "eval_volume_lect");
    desc->classe = static_cast<unsigned char>(questions.integer("Classe a etudier (niveau de gris)"));
    desc->etiquettes = nullptr;
    return questions.next();
}

int eval_volume_init(eval_volume_t* desc, ima3Du1* in) {
    auto* lab = static_cast<ima3Du8*>(std::calloc(1, sizeof(ima3Du8)));
    if (lab == nullptr) fw::fail(1, "\n>> ERREUR eval_volume_init : allocation impossible\n");
    lab->dimx = in->dimx;
    lab->dimy = in->dimy;
    lab->dimz = in->dimz;
    lab->entete = in->entete;
    lab->nb_bits = in->nb_bits;
    allouer_ima3Du8(lab);
    desc->etiquettes = lab;
    return NO_ERROR;
}

int eval_volume_calc(eval_volume_t* desc, ima3Du1* in) {
    check_labels(desc, in);
    int nb_etiq = 0, N = 0;
    eval_etiquetage_strict(in, desc->etiquettes, desc->classe, &nb_etiq, &N);
    std::printf("Nombre d'objets: %d\n", N);
    std::printf("Calcul compacite ...\n");
    calcul_attributs_objets(desc, "attr.txt", N);
    return N;
}

int eval_volume_ferm(eval_volume_t* desc) {
    if (desc->etiquettes != nullptr) {
        liberer_ima3Du8(desc->etiquettes);
        std::free(desc->etiquettes);
        desc->etiquettes = nullptr;
    }
    return NO_ERROR;
}

void eval_etiquetage_strict(ima3Du1* in, ima3Du8* lab, unsigned char classe, int* nb_etiq, int* nb_objets) {
    auto* table = static_cast<unsigned*>(std::malloc(region3d::kTableSize * sizeof(unsigned)));
    if (table == nullptr) fw::fail(1, "Probleme d'allocation m\351moire (pt_etiq)\n");
    const int n = region3d::scan<unsigned>(*in, lab->data, table, OfClass{classe}, 1);
    region3d::report_labels(n);
    *nb_etiq = n + 1;
    *nb_objets = eval_reetiquetage(lab, table, n);
    std::free(table);
}

void eval_label_management(int code, unsigned l, unsigned u, unsigned z, unsigned long long* cell, unsigned* table,
                           int* counter) {
    *cell = region3d::choose_label(static_cast<unsigned>(code), l, u, z, table, *counter);
}

unsigned eval_equivalence_2_label(unsigned* table, unsigned a, unsigned b) {
    return region3d::equivalence_2(table, a, b);
}

unsigned eval_equivalence_3_label(unsigned* table, unsigned a, unsigned b, unsigned c) {
    return region3d::equivalence_3(table, a, b, c);
}

int eval_reetiquetage(ima3Du8* lab, unsigned* table, int n) {
    region3d::resolve_roots(table, n);
    // Roots get 0, 1, 2 ... in increasing order. A label whose root comes
    // before it takes the root's number at once; one whose root comes after
    // it, in a second sweep.
    unsigned m = 0;
    for (unsigned j = 0; j <= static_cast<unsigned>(n); ++j) {
        if (table[j] == j)
            table[j] = m++;
        else if (table[j] < j)
            table[j] = table[table[j]];
    }
    for (unsigned k = 0; k <= static_cast<unsigned>(n); ++k)
        if (k < table[k]) table[k] = table[table[k]];
    region3d::rewrite_labels(lab->data, lab->dimx, lab->dimy, lab->dimz,
                             [&](Label label) -> Label { return table[label]; });
    return static_cast<int>(m) - 1;
}

int calcul_attributs_objets(eval_volume_t* desc, const char* path, int N) {
    std::printf("Calcul des attributs en cours\n");
    const ima3Du8& lab = labels_of(desc, "calcul_attributs_objets");
    std::int64_t* volume = counts(N);
    std::int64_t* surface = counts(N);
    const int dimx = lab.dimx, dimy = lab.dimy, dimz = lab.dimz;

    // A voxel is on the surface on a face of the volume, or when one of the
    // 26 voxels around it has another label.
    for_each_object_voxel(lab, N, [&](int z, int y, int x, Label label) {
        ++volume[label];
        bool boundary = x == 0 || y == 0 || z == 0 || x == dimx - 1 || y == dimy - 1 || z == dimz - 1;
        for (int dz = -1; dz <= 1 && !boundary; ++dz)
            for (int dy = -1; dy <= 1 && !boundary; ++dy) {
                const Label* t = lab.data[z + dz][y + dy] + x;
                boundary = t[-1] != label || t[0] != label || t[1] != label;
            }
        if (boundary) ++surface[label];
    });

    std::printf("Sauvagarde des r\351sultats dans %s\n", path);
    std::FILE* f = create_report(path, "Dans calcul_attributs_objets");
    double mean = 0;
    for (int i = 1; i <= N; ++i) {
        const double V = static_cast<double>(volume[i]), S = static_cast<double>(surface[i]);
        const double K = V / (std::pow(S / kPi, 1.5) * kFourThirdsPi);
        std::fprintf(f, "%d %lld %lld %.4lf\n", i, static_cast<long long>(volume[i]),
                     static_cast<long long>(surface[i]), K);
        mean += K / N;
    }
    close_report(f, path, "calcul_attributs_objets");
    std::printf("Compacitee moyenne: %lf\n", mean);
    std::free(surface);
    std::free(volume);
    return NO_ERROR;
}

int calcul_vol_objets(eval_volume_t* desc, const char* path, int N) {
    std::int64_t* volume = counts(N);
    for_each_object_voxel(labels_of(desc, "calcul_vol_objets"), N,
                          [&](int, int, int, Label label) { ++volume[label]; });
    std::printf("un\n");
    std::FILE* f = create_report(path, "Dans calcul_vol_objets");

    // Buckets: fewer than 10 voxels, 10 ... 99, 100 ... 999, 1000 ... 9999, more.
    long long buckets[5] = {0, 0, 0, 0, 0};
    long long smallest = N >= 1 ? volume[1] : 0, largest = smallest;
    double mean = 0;
    for (int i = 1; i <= N; ++i) {
        const long long v = volume[i];
        std::fprintf(f, "%d %lld\n", i, v);
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
        mean += static_cast<double>(v) / N;
        ++buckets[v < 10 ? 0 : v < 100 ? 1 : v < 1000 ? 2 : v < 10000 ? 3 : 4];
    }
    close_report(f, path, "calcul_vol_objets");
    double spread = 0;
    for (int i = 1; i <= N; ++i) {
        const double d = static_cast<double>(volume[i]) - mean;
        spread += d * d / N;
    }
    std::printf("Volume minimal: %lld\n", smallest);
    std::printf("Volume maximal: %lld\n", largest);
    std::printf("Volume moyen: %lf\n", mean);
    std::printf("Ecart type: %lf\n", std::sqrt(spread));
    std::printf("R\351partion des volumes:\n");
    std::printf("0->9:\t %lld\n", buckets[0]);
    std::printf("10->99:\t %lld\n", buckets[1]);
    std::printf("100->999:\t %lld\n", buckets[2]);
    std::printf("1000->9999:\t %lld\n", buckets[3]);
    std::printf("10000-> + :\t %lld\n", buckets[4]);
    std::free(volume);
    return NO_ERROR;
}

}  // extern "C"
