// seed_writer: small files of every binary format the suite reads, written
// by the suite's own writers, for the seed corpora of the harnesses
// (fuzz/seeds.sh). Usage: seed_writer <folder>
//   img_u1.ima/.dim/.3lt, img_u1.ras, img_rvb.ras, img_u2.imw, img_u4.iml,
//   img_fl.imf, img_cx4.cxs, img_cx8.cxf (5 x 3 images), vol_8.vol,
//   vol_16.vol, vol_64.vol (4 x 3 x 2 volumes), vol.lvf, field.vec (a 3 x 2
//   x 2 vector field; its writer is vector-tool's input format, written
//   here as the format's description says), learning_raw.txt (raw learning
//   points: 3 attributes, 2 classes of 12 points) and learning_groups.txt
//   (the same, preprocessed; its traces are left in the folder).

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "learning_set.h"
#include "lvf_volume.h"
#include "proto2D.h"
#include "traitement_donnees.h"
#include "volume.h"

namespace {

std::string folder;

write_ima_t writer(const char* name, const char* ext) {
    write_ima_t w{};
    std::snprintf(w.nom, LONG_NOM, "%s/%s", folder.c_str(), name);
    std::snprintf(w.ext, LONG_NOM, "%s", ext);
    write_ima_init(&w);
    return w;
}

template <class Image, class Fill>
Image image(void (*alloc)(Image*), Fill fill) {
    Image im{};
    im.nc = 5;
    im.nr = 3;
    alloc(&im);
    for (int y = 0; y < im.nr; ++y)
        for (int x = 0; x < im.nc; ++x) fill(im, x, y, 40 * y + 9 * x + 1);
    return im;
}

template <class Volume>
Volume volume(void (*alloc)(Volume*), int bits) {
    Volume v{};
    v.dimx = 4;
    v.dimy = 3;
    v.dimz = 2;
    v.entete = 80;
    v.nb_bits = bits;
    alloc(&v);
    for (int z = 0; z < v.dimz; ++z)
        for (int y = 0; y < v.dimy; ++y)
            for (int x = 0; x < v.dimx; ++x) v.data[z][y][x] = static_cast<std::remove_reference_t<decltype(v.data[0][0][0])>>(30 * z + 7 * y + x);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seed_writer <folder>\n");
        return 2;
    }
    folder = argv[1];

    auto u1 = image<imau1>(alloc_imau1, [](imau1& im, int x, int y, int v) { im.pixels[y][x] = static_cast<unsigned char>(v); });
    alloc_lut_u1(&u1);
    for (int k = 0; k < 256; ++k) {
        u1.lutr[k] = static_cast<unsigned char>(k);
        u1.lutv[k] = static_cast<unsigned char>(255 - k);
        u1.lutb[k] = static_cast<unsigned char>(k / 2);
    }
    write_ima_t w = writer("img_u1", "ima");
    write_imau1_ferm(&w, u1);
    w = writer("img_u1", "ras");
    write_imau1_ferm(&w, u1);

    imarvb rvb{};
    rvb.nc = 5;
    rvb.nr = 3;
    alloc_imarvb(&rvb);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            rvb.r[y][x] = static_cast<unsigned char>(50 * x);
            rvb.v[y][x] = static_cast<unsigned char>(80 * y);
            rvb.b[y][x] = static_cast<unsigned char>(x + y);
        }
    w = writer("img_rvb", "ras");
    write_imarvb_ferm(&w, rvb);

    auto u2 = image<imau2>(alloc_imau2, [](imau2& im, int x, int y, int v) { im.pixels[y][x] = static_cast<unsigned short>(v * 251); });
    w = writer("img_u2", "imw");
    write_imau2_ferm(&w, u2);
    auto u4 = image<imau4>(alloc_imau4, [](imau4& im, int x, int y, int v) { im.pixels[y][x] = static_cast<unsigned>(v) * 70001u; });
    w = writer("img_u4", "iml");
    write_imau4_ferm(&w, u4);
    auto fl = image<imafl>(alloc_imafl, [](imafl& im, int x, int y, int v) { im.pixels[y][x] = static_cast<float>(v) / 7.0f; });
    w = writer("img_fl", "imf");
    write_imafl_ferm(&w, fl);
    auto cx4 = image<imacx4>(alloc_imacx4, [](imacx4& im, int x, int y, int v) {
        im.pixels[y][x] = {static_cast<short>(v), static_cast<short>(-v)};
    });
    w = writer("img_cx4", "cxs");
    write_imacx4_ferm(&w, cx4);
    auto cx8 = image<imacx8>(alloc_imacx8, [](imacx8& im, int x, int y, int v) {
        im.pixels[y][x] = {static_cast<float>(v) / 3.0f, -static_cast<float>(v)};
    });
    w = writer("img_cx8", "cxf");
    write_imacx8_ferm(&w, cx8);

    const std::string vol = folder + "/vol";
    auto v8 = volume<ima3Du1>(allouer_ima3Du1, 8);
    ecr_ima3Du1((vol + "_8.vol").c_str(), &v8);
    auto v16 = volume<ima3Ds2>(allouer_ima3Ds2, 16);
    ecr_ima3Ds2((vol + "_16.vol").c_str(), &v16);
    auto v64 = volume<ima3Dd>(allouer_ima3Dd, 64);
    ecr_ima3Dd((vol + "_64.vol").c_str(), &v64);
    v8.entete = 24;
    v8.nb_bits = 8;
    write_volume_u1((vol + ".lvf").c_str(), &v8);

    // A vector file: three host-order ints (columns, rows, planes), then
    // three host-order floats per voxel.
    std::FILE* f = std::fopen((folder + "/field.vec").c_str(), "wb");
    if (f == nullptr) return 1;
    const int sizes[3] = {3, 2, 2};
    std::fwrite(sizes, sizeof sizes, 1, f);
    for (int k = 0; k < 12; ++k) {
        const float v[3] = {static_cast<float>(k % 3) - 1.0f, 0.5f * static_cast<float>(k % 2), k == 5 ? 0.0f : 1.0f};
        std::fwrite(v, sizeof v, 1, f);
    }
    if (std::fclose(f) != 0) return 1;

    // Learning points: two classes (labels 1 and 2) of 12 points, each a
    // small lattice around its own centre; then the same points
    // preprocessed, in the folder where the preprocessing leaves its traces.
    constexpr int kAttributes = 3, kPerClass = 12;
    learning_set set{};
    set.input.nb_attributs = kAttributes;
    set.input.nb_pts = set.input.fin_indice = set.output.nb_pts = 2 * kPerClass;
    set.output.nb_classes = 2;
    set.output.type = DATA_OUTPUT_CRISP;
    alloc_classifier_data_input_completely(&set.input);
    alloc_classifier_data_output(&set.output);
    for (int p = 0; p < 2 * kPerClass; ++p) {
        const int k = p / kPerClass, n = p % kPerClass;
        for (int a = 0; a < kAttributes; ++a)
            set.input.data[a][p] = static_cast<float>(40 * k + (n + a) % 4 * 3 + (n / 4) * (a + 1));
        set.output.data.crisp[p] = k + 1;
    }
    if (chdir(folder.c_str()) != 0) return 1;
    ecrire_learning_set(set, "learning_raw.txt");
    free_data_input(&set.input);
    free_data_output(&set.output);

    traitement_donnees_t cleaning{};
    cleaning.fichier_donnees = "learning_raw.txt";
    cleaning.fichier_traite = "learning_groups.txt";
    cleaning.nb_classes = 2;
    cleaning.nb_attributs = kAttributes;
    cleaning.pts_par_classe = static_cast<int*>(std::malloc(2 * sizeof(int)));
    if (cleaning.pts_par_classe == nullptr) return 1;
    cleaning.pts_par_classe[0] = cleaning.pts_par_classe[1] = kPerClass;
    traitement_donnees_init(&cleaning, &set);
    traitement_donnees_calc(&set, &cleaning);
    traitement_donnees_ferm(&cleaning, &set);
    return 0;
}
