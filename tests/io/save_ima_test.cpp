// The image-saving stage: an image saved in groups of rows gives the files
// the writer stage writes for the whole image; sizes completed when closing;
// the origin file; refusals.

#include "save_ima.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "files.hpp"
#include "images.hpp"

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
// writes it whole with the writer stage as "whole.<ext>", compares their
// files (with the .dim and .3lt of raw formats), and releases the image.
template <class Image>
void expect_as_writer(const TempDir& dir, const std::string& ext, Image image) {
    SCOPED_TRACE(ext);
    save_ima_t d = saver_for(dir.file("saved"), ext);
    save_in_groups(&d, image, {10, 10, 5});
    write_image(dir.file("whole"), ext, image);
    for (const std::string& f : ext == "ras" ? std::vector<std::string>{"ras"} : std::vector<std::string>{ext, "dim", "3lt"})
        EXPECT_EQ(read_file(dir.file("saved." + f)), read_file(dir.file("whole." + f))) << f;
    EXPECT_EQ(std::to_string(d.nb_colonnes) + "x" + std::to_string(d.nb_lignes), "7x25");
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
    const auto cx4 = [](int x, int y) { return complexe4{static_cast<short>(level(x, y)), static_cast<short>(-x * y)}; };
    const auto cx8 = [](int x, int y) { return complexe8{level(x, y) / 7.0f, -1.5f * y}; };
    expect_as_writer(dir, "ima", make_image<imau1>(7, 25, level));
    expect_as_writer(dir, "ima", coloured());
    expect_as_writer(dir, "ras", coloured());
    expect_as_writer(dir, "imw", make_image<imau2>(7, 25, level));
    expect_as_writer(dir, "iml", make_image<imau4>(7, 25, level));
    expect_as_writer(dir, "imf", make_image<imafl>(7, 25, [](int x, int y) { return level(x, y) / 3.0f; }));
    expect_as_writer(dir, "cxs", make_image<imacx4>(7, 25, cx4));
    expect_as_writer(dir, "cxf", make_image<imacx8>(7, 25, cx8));
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
    fw::free_image(&image);
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
        {"a.abcdefghijkl", "x", 1,
         "\n>> ERREUR save_ima_lect : extension abcdefghijkl trop longue (11 caracteres au plus)\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_phase({c.name, c.legend}, [](param* head) {
            save_ima_t d;
            param* next = save_ima_lect(&d, head, ">> image extraite :");
            std::fprintf(stderr, "%s|%s|%s", d.nom, d.ext, d.legende);
            return next;
        }, [](param*, param*) {});
        EXPECT_TRUE(c.status == 0 ? run.err == c.said : ended_saying(run, c.status, c.said)) << c.name << run.out;
    }
}

TEST(SaveIma, Refusals) {
    TempDir dir;
    imau2 words = make_image<imau2>(5, 2, level);
    imau1 bytes = make_image<imau1>(5, 2, level);
    const struct {
        const char *stem, *ext;
        bool bytes_init;                         // save_imau1_init, else save_ima_init
        std::vector<std::pair<char, int>> rows;  // calls with one row: 'b' 8-bit, 'w' 16-bit, of n pixels
        bool close;
        std::string message;
    } cases[] = {
        {"x", "ima", false, {}, false, "save_ima_init: extension fichier ima inconnue\n"},
        {"x", "IMW", false, {}, false, "save_ima_init: extension fichier IMW inconnue\n"},
        {"x", "imw", true, {}, false, "save_imau1_init: extension fichier imw inconnues\n"},
        {"no/x", "imw", false, {}, false, "save_ima_init: creation fichier @/no/x.imw impossible\n"},
        {"x", "imf", false, {{'w', 5}}, false, "save_imau2_calc : extension imf incompatible avec le type de l'image\n"},
        {"x", "imw", false, {{'b', 5}}, false, "save_imau1_calc : extension fichier imw inconnue\n"},
        {"x", "imw", false, {{'w', 5}, {'w', 4}}, false, "save_imau2_calc : lignes de 4 pixels au lieu de 5 dans @/x.imw\n"},
        {"x", "ras", true, {{'b', 4}}, false, "save_imau1_calc : lignes de 4 pixels au lieu de 5 dans @/x.ras\n"},
        {"x", "imw", false, {{'w', 0}}, false, "save_imau2_calc : 1 lignes de 0 pixels refusees\n"},
        {"x", "imw", false, {}, true, "save_ima_ferm : aucune ligne ecrite dans @/x.imw\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_captured([&] {
            save_ima_t d = saver_for(dir.file(c.stem), c.ext);
            c.bytes_init ? save_imau1_init(&d, bytes) : save_ima_init(&d);
            for (auto [type, n] : c.rows)
                type == 'b' ? save_imau1_calc(&d, bytes.pixels, n, 1) : save_imau2_calc(&d, words.pixels, n, 1);
            if (c.close) save_ima_ferm(nullptr, &d);
        });
        EXPECT_TRUE(ended_saying(run, 1, in_folder("\n>> ERREUR " + c.message, dir.path())));
        const auto left = folder_contents(dir.path());
        EXPECT_TRUE(left.empty() || !c.rows.empty() || c.close) << "a refused initialisation created files";
        for (const auto& file : left) std::remove(dir.file(file.first).c_str());
    }
    fw::free_image(&words);
    fw::free_image(&bytes);
}
