// The image-saving stage: an image saved in groups of rows gives the files
// the writer stage writes for the whole image; sizes completed when closing;
// the origin file; refusals.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "save_ima.h"

using namespace testing_support;

namespace {

save_ima_t saver_for(const std::string& nom, const std::string& ext, const std::string& legend = "") {
    save_ima_t d{};
    std::snprintf(d.nom, sizeof d.nom, "%s", nom.c_str());
    std::snprintf(d.ext, sizeof d.ext, "%s", ext.c_str());
    std::snprintf(d.legende, sizeof d.legende, "%s", legend.c_str());
    d.fd = -1;
    return d;
}

// Saves `image` with groups of rows of the given sizes (from the top) and
// closes; the image must be left as it was. Returns what was printed.
template <class Image>
std::string save_in_groups(save_ima_t* d, const Image& image, const std::vector<int>& groups,
                           const save_ima_origine_t* origin = nullptr) {
    const std::string before = bytes_of(image);
    const std::string printed = quietly([&] {
        if constexpr (std::is_same_v<Image, imau1>) save_imau1_init(d, image);
        else save_ima_init(d);
        int y = 0;
        for (int m : groups) {
            save_ima_calc(d, image.pixels + y, image.nc, m);
            y += m;
        }
        save_ima_ferm(origin, d);
    });
    EXPECT_EQ(bytes_of(image), before) << "the rows were changed";
    return printed;
}

// Saves an image of 25 rows in groups of 10, 10 and 5 as "saved.<ext>",
// writes it whole with the writer stage as "whole.<ext>", compares the
// files of every listed extension, and releases the image.
template <class Image>
void expect_as_writer(const TempDir& dir, const char* ext, Image image, std::vector<std::string> files) {
    SCOPED_TRACE(ext);
    save_ima_t d = saver_for(dir.file("saved"), ext);
    save_in_groups(&d, image, {10, 10, 5});
    write_image(dir.file("whole"), ext, image);
    for (const std::string& f : files) EXPECT_EQ(read_file(dir.file("saved." + f)), read_file(dir.file("whole." + f))) << f;
    EXPECT_EQ(d.nb_lignes, 25);
    EXPECT_EQ(d.nb_colonnes, image.nc);
    if constexpr (std::is_same_v<Image, imau1>) free_lut_u1(&image);
    fw::free_image(&image);
}

int level(int x, int y) { return 1000003 * (7 * y + x) + 77; }

}  // namespace

TEST(SaveIma, RowsSavedInGroupsGiveTheWritersFiles) {
    TempDir dir;
    auto coloured = [] {
        imau1 image = make_image<imau1>(7, 25, level);
        alloc_lut_u1(&image);
        for (int i = 0; i < 256; ++i) image.lutr[i] = image.lutv[i] = image.lutb[i] = static_cast<unsigned char>(3 * i);
        return image;
    };
    expect_as_writer(dir, "ima", make_image<imau1>(7, 25, level), {"ima", "dim"});
    expect_as_writer(dir, "ima", coloured(), {"ima", "dim", "3lt"});
    expect_as_writer(dir, "ras", coloured(), {"ras"});
    expect_as_writer(dir, "imw", make_image<imau2>(7, 25, level), {"imw", "dim"});
    expect_as_writer(dir, "iml", make_image<imau4>(7, 25, level), {"iml", "dim"});
    expect_as_writer(dir, "imf", make_image<imafl>(7, 25, [](int x, int y) { return level(x, y) / 3.0f; }), {"imf", "dim"});
    expect_as_writer(dir, "cxs", make_image<imacx4>(7, 25, [](int x, int y) {
                         return complexe4{static_cast<short>(level(x, y)), static_cast<short>(-x * y)};
                     }), {"cxs", "dim"});
    expect_as_writer(dir, "cxf", make_image<imacx8>(7, 25, [](int x, int y) {
                         return complexe8{level(x, y) / 7.0f, -1.5f * y};
                     }), {"cxf", "dim"});
}

TEST(SaveIma, RasterSizesCompletedFromTheRowsWritten) {
    // An image of 7 x 25 with no colour table, of which 5 rows are saved in
    // two calls: grey-ramp map, rows padded to 8 bytes, height 5, length 40.
    TempDir dir;
    imau1 image = make_image<imau1>(7, 25, level);
    save_ima_t d = saver_for(dir.file("r"), "ras");
    EXPECT_EQ(save_in_groups(&d, image, {3, 2}), "nb ligne ecrite:5");
    std::string map, rows;
    for (int i = 0; i < 768; ++i) map += static_cast<char>(i % 256);
    for (int y = 0; y < 5; ++y) rows += bytes_of(image).substr(7 * static_cast<std::size_t>(y), 7) + '\0';
    std::string expected = raster(7, 5, 8, 1, 1, 768, map + rows);
    expected.replace(16, 4, be32(40));
    EXPECT_EQ(read_file(dir.file("r.ras")), expected);
    // Three calls of 10, 10 and 5 rows of 64 16-bit pixels.
    imau2 wide = make_image<imau2>(64, 25, level);
    save_ima_t w = saver_for(dir.file("w"), "imw");
    save_in_groups(&w, wide, {10, 10, 5});
    EXPECT_EQ(read_file(dir.file("w.dim")), "64 25");
    fw::free_image(&image);
    fw::free_image(&wide);
}

TEST(SaveIma, OriginFileOnlyWithALegend) {
    TempDir dir;
    imau2 image = make_image<imau2>(4, 6, level);
    const save_ima_origine_t origin{"scan", "imw", 12, 30, 4};
    save_ima_t with = saver_for(dir.file("a"), "imw", "coupe nord");
    EXPECT_EQ(save_in_groups(&with, image, {6}, &origin),
              "Swap des octets\tdes donnees pour ecriture sur fichier\n>> save_ima_ferm : ecriture " + dir.file("a") +
                  ".imw terminee\n");
    EXPECT_EQ(read_file(dir.file("a.origima")),
              "Fichier origine : scan.imw\n\tpoint haut gauche : np = 12, nl = 30\n"
              "\tpoint bas droite  : np = 15, nl = 35\nLegende : coupe nord\n");
    save_ima_t without = saver_for(dir.file("b"), "imw");
    save_in_groups(&without, image, {6}, &origin);
    EXPECT_TRUE(file_exists(dir.file("b.imw")));
    EXPECT_FALSE(file_exists(dir.file("b.origima")));
    fw::free_image(&image);
}

TEST(SaveIma, ReadingPhaseSplitsTheNameAndTakesTheLegend) {
    const struct {
        std::string name, legend;
        int status;
        std::string said;  // the descriptor's nom|ext|legende, or the refusal
    } cases[] = {
        {"out/res.imw", "coupe", 0, "out/res|imw|coupe"},
        {"a.b.ras", "-", 0, "a.b|ras|"},
        {"noext", "x", 1, "\n>> ERREUR save_ima_lect : nom image incomplet (extension?)"},
        {".imw", "x", 1, "\n>> ERREUR save_ima_lect : nom image incomplet (extension?)"},
        {"a.abcdefghijkl", "x", 1, "\n>> ERREUR save_ima_lect : extension abcdefghijkl trop longue (11 caracteres au plus)\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_phase({c.name, c.legend}, [](param* head) {
            save_ima_t d;
            param* next = save_ima_lect(&d, head, ">> image extraite :");
            std::fprintf(stderr, "%s|%s|%s", d.nom, d.ext, d.legende);
            return next;
        }, [](param*, param*) {});
        if (c.status == 0) {
            EXPECT_EQ(run.err, c.said) << c.name;
        } else {
            EXPECT_TRUE(ended_saying(run, c.status, c.said)) << c.name;
        }
    }
}

TEST(SaveIma, Refusals) {
    TempDir dir;
    const std::string at = dir.path();
    imau2 words = make_image<imau2>(5, 2, level);
    imau1 bytes = make_image<imau1>(5, 2, level);
    const struct {
        std::function<void()> calls;
        std::string message;
        bool no_file;  // refused before any file was created
    } cases[] = {
        {[&] { save_ima_t d = saver_for(at + "/x", "ima"); save_ima_init(&d); },
         "\n>> ERREUR save_ima_init: extension fichier ima inconnue\n", true},
        {[&] { save_ima_t d = saver_for(at + "/x", "IMW"); save_ima_init(&d); },
         "\n>> ERREUR save_ima_init: extension fichier IMW inconnue\n", true},
        {[&] { save_ima_t d = saver_for(at + "/x", "imw"); save_imau1_init(&d, bytes); },
         "\n>> ERREUR save_imau1_init: extension fichier imw inconnues\n", true},
        {[&] { save_ima_t d = saver_for(at + "/no/x", "imw"); save_ima_init(&d); },
         "\n>> ERREUR save_ima_init: creation fichier " + at + "/no/x.imw impossible\n", true},
        {[&] { save_ima_t d = saver_for(at + "/x", "imf"); save_ima_init(&d); save_imau2_calc(&d, words.pixels, 5, 2); },
         "\n>> ERREUR save_imau2_calc : extension imf incompatible avec le type de l'image\n", false},
        {[&] { save_ima_t d = saver_for(at + "/x", "imw"); save_ima_init(&d); save_imau1_calc(&d, bytes.pixels, 5, 2); },
         "\n>> ERREUR save_imau1_calc : extension fichier imw inconnue\n", false},
        {[&] {
             save_ima_t d = saver_for(at + "/x", "imw");
             save_ima_init(&d);
             save_imau2_calc(&d, words.pixels, 5, 1);
             save_imau2_calc(&d, words.pixels, 4, 1);
         },
         "\n>> ERREUR save_imau2_calc : lignes de 4 pixels au lieu de 5 dans " + at + "/x.imw\n", false},
        {[&] { save_ima_t d = saver_for(at + "/x", "ras"); save_imau1_init(&d, bytes); save_imau1_calc(&d, bytes.pixels, 4, 1); },
         "\n>> ERREUR save_imau1_calc : lignes de 4 pixels au lieu de 5 dans " + at + "/x.ras\n", false},
        {[&] { save_ima_t d = saver_for(at + "/x", "imw"); save_ima_init(&d); save_imau2_calc(&d, words.pixels, 0, 1); },
         "\n>> ERREUR save_imau2_calc : 1 lignes de 0 pixels refusees\n", false},
        {[&] { save_ima_t d = saver_for(at + "/x", "imw"); save_ima_init(&d); save_ima_ferm(nullptr, &d); },
         "\n>> ERREUR save_ima_ferm : aucune ligne ecrite dans " + at + "/x.imw\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ended_saying(run_captured(c.calls), 1, c.message)) << c.message;
        if (c.no_file) {
            EXPECT_TRUE(folder_contents(at).empty()) << c.message;
        }
        for (const char* f : {"x.imw", "x.imf", "x.dim", "x.ras"}) std::remove(dir.file(f).c_str());
    }
    fw::free_image(&words);
    fw::free_image(&bytes);
}
