// The writer stage: exact bytes on disk, colour tables, round trips through
// the reader, refusals and failed writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// Writes `image` as "<nom>.<ext>", checks that the writer left it as it was
// and releases it; returns what the writer printed.
template <class Image>
std::string write_and_release(const std::string& nom, const std::string& ext, Image image) {
    const std::string before = bytes_of(image);
    const std::string printed = write_image(nom, ext, image);
    EXPECT_EQ(bytes_of(image), before) << "the writer changed the image";
    if constexpr (std::is_same_v<Image, imau1>) free_lut_u1(&image);
    fw::free_image(&image);
    return printed;
}

// Writes `image` as "rt.<ext>", reads it back and compares.
template <class Image>
void expect_round_trip(const TempDir& dir, const std::string& ext, Image image) {
    SCOPED_TRACE(ext);
    write_image(dir.file("rt"), ext, image);
    Image back = read_image<Image>(dir.file("rt"), ext);
    EXPECT_EQ(shape(back), shape(image));
    EXPECT_EQ(bytes_of(back), bytes_of(image));
    fw::free_image(&back);
    fw::free_image(&image);
}

// A table row's writer: writes its image as "<nom>.<ext>" (once) and
// releases it; returns what was printed.
using Writer = std::function<std::string(const std::string& nom, const std::string& ext)>;
template <class Image>
Writer writes(Image image) {
    return [image](const std::string& nom, const std::string& ext) { return write_and_release(nom, ext, image); };
}

imau1 gradient_u1(int nc, int nr) {
    return make_image<imau1>(nc, nr, [nc](int x, int y) { return (y * nc + x) * 7 + 1; });
}

// Gives an imau1 colour tables whose three entries i are f(i).
template <class F>
imau1 with_luts(imau1 image, F f) {
    alloc_lut_u1(&image);
    for (int i = 0; i < 256; ++i) image.lutr[i] = image.lutv[i] = image.lutb[i] = static_cast<unsigned char>(f(i));
    return image;
}

// A colour plane whose pixel (x, y) is base + 3y + x (at most 3 wide).
auto plane(int base) {
    return [base](int x, int y) { return base + 3 * y + x; };
}

}  // namespace

TEST(WriteFiles, ExactBytesOfEveryFormat) {
    // Rows of the 3 x 2 gradient, each padded to an even length.
    const std::string rows = byte_string({1, 8, 15, 0, 22, 29, 36, 0});
    std::string map;  // three tables 255, 254, ... 0
    for (int i = 0; i < 768; ++i) map += static_cast<char>(255 - i % 256);
    const std::string swap_tab = "Swap des octets\tdes donnees pour ecriture sur fichier\n";
    const std::vector<int> shorts = {1, 0x1234, 0xffff, 0, 256, 0xabcd};
    const struct {
        const char* what;
        std::string ext;
        Writer write;
        std::string printed;
        std::map<std::string, std::string> files;  // every file of the folder afterwards
    } cases[] = {
        {"16-bit, big-endian", "imw", writes(make_image<imau2>(3, 2, pixels_from(shorts, 3))), swap_tab,
         {{"res.dim", "3 2"}, {"res.imw", be16(1) + be16(0x1234) + be16(0xffff) + be16(0) + be16(256) + be16(0xabcd)}}},
        {"32-bit, big-endian", "iml", writes(make_image<imau4>(1, 1, [](int, int) { return 0x01020304; })),
         "Swap des octets des donnees pour ecriture sur fichier\n",
         {{"res.dim", "1 1"}, {"res.iml", "\x01\x02\x03\x04"}}},
        {"16-bit complex, big-endian", "cxs",
         writes(make_image<imacx4>(1, 1, [](int, int) { return complexe4{0x0102, -1}; })), swap_tab,
         {{"res.dim", "1 1"}, {"res.cxs", "\x01\x02\xff\xff"}}},
        {"8-bit raster, odd width", "ras", writes(gradient_u1(3, 2)),
         "inversion entete raster comme float\n", {{"res.ras", raster_header(3, 2, 8, 8, 1) + rows}}},
        // With colour tables: map type 1, length 768, the map before the rows.
        {"8-bit raster with colour tables", "ras", writes(with_luts(gradient_u1(3, 2), [](int i) { return 255 - i; })),
         "inversion entete raster comme float\n",
         {{"res.ras", raster_header(3, 2, 8, 8, 1).replace(24, 8, be32(1) + be32(768)) + map + rows}}},
        {"24-bit raster: blue, green, red", "ras", writes(make_rvb(1, 2, plane(1), plane(2), plane(3))),
         "inversion entete raster image rvb\n",
         {{"res.ras", raster_header(1, 2, 24, 8, 1) + byte_string({3, 2, 1, 0, 6, 5, 4, 0})}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        EXPECT_EQ(c.write(dir.file("res"), c.ext), c.printed);
        EXPECT_EQ(folder_contents(dir.path()), c.files);
    }
}

TEST(WriteIma, ColourTableFileHas39Lines) {
    TempDir dir;
    imau1 ima = gradient_u1(4, 3);
    alloc_lut_u1(&ima);
    for (int i = 0; i < 256; ++i) {
        ima.lutr[i] = static_cast<unsigned char>(i);
        ima.lutv[i] = static_cast<unsigned char>(255 - i);
        ima.lutb[i] = 7;
    }
    EXPECT_EQ(write_image(dir.file("res"), "ima", ima),
              "write_ima_ferm: sauvegarde palette dans " + dir.file("res.3lt") + "\n");
    EXPECT_EQ(read_file(dir.file("res.dim")), "4 3");
    EXPECT_EQ(read_file(dir.file("res.ima")), bytes_of(ima));

    const std::string lut = read_file(dir.file("res.3lt"));
    EXPECT_EQ(std::count(lut.begin(), lut.end(), '\n'), 39);
    EXPECT_EQ(lut.substr(0, 12), "  0   1   2 ");
    // Line 13 holds the last 16 red values; line 14 starts the green table.
    std::string red_tail;
    for (int i = 240; i < 256; ++i) red_tail += std::to_string(i) + " ";
    EXPECT_NE(lut.find(red_tail + "\n255 254 "), std::string::npos);
    EXPECT_EQ(lut.substr(lut.size() - 9), "  7   7 \n");

    // Read back: same pixels, same tables.
    imau1 back = read_image<imau1>(dir.file("res"), "ima");
    EXPECT_EQ(luts_of(back), luts_of(ima));
    EXPECT_EQ(bytes_of(back), bytes_of(ima));
    for (imau1* image : {&back, &ima}) {
        free_lut_u1(image);
        free_imau1(image);
    }
}

TEST(WriteRoundTrip, EveryFormatReadsBackIdentically) {
    TempDir dir;
    expect_round_trip(dir, "ima", gradient_u1(7, 5));
    expect_round_trip(dir, "ras", gradient_u1(7, 5));
    expect_round_trip(dir, "imf", make_image<imafl>(5, 3, [](int x, int y) { return (y * 5 + x) * -0.37f + 1e-3f; }));
    expect_round_trip(dir, "iml", make_image<imau4>(3, 3, [](int x, int y) { return 0x01020304u * (y * 3 + x + 1); }));
    expect_round_trip(dir, "cxf", make_image<imacx8>(2, 2, [](int x, int y) {
                          const float i = static_cast<float>(y * 2 + x);
                          return complexe8{i + 0.5f, -i};
                      }));
    expect_round_trip(dir, "ras", make_rvb(3, 3, plane(0), plane(100), plane(200)));
}

TEST(WriteRefusals, UnknownExtensionsMismatchedTypesAndFailedWrites) {
    TempDir dir;
    const Outcome unknown = run_captured([&] {
        write_ima_t w = writer_for(dir.file("res"), "IMW");
        write_ima_init(&w);
    });
    EXPECT_TRUE(ended(unknown, 1, "\n Erreur : IMW extension inconnue"));
    EXPECT_TRUE(folder_contents(dir.path()).empty());

    // An 8-bit image handed to a 16-bit writer's files is refused, not
    // reported as written.
    EXPECT_TRUE(ended(run_captured([&] { write_into(dir.file("m"), "imw", gradient_u1(2, 2)); }), 1,
                      "\n>> ERREUR write_imau1_ferm : extension imw incompatible avec le type de l'image\n"));
    const Outcome lect = run_phase(
        {"noext"},
        [](param* head) {
            write_ima_t w;
            return write_ima_lect(&w, head, ">> sortie :");
        },
        [](param*, param*) {});
    EXPECT_TRUE(ended_saying(lect, 1, "\n>> ERREUR write_ima_lect : nom image incomplet (extension?)"));

    const Outcome create = run_captured([&] {
        write_ima_t w = writer_for(dir.file("missing/res"), "imw");
        write_ima_init(&w);
    });
    EXPECT_TRUE(ended(create, 1, "\n>> ERREUR write_ima_init: creation fichier " + dir.file("missing/res.dim") +
                                     " impossible\n"));

    // A full disk: the data file is a link to /dev/full.
    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    ASSERT_EQ(::symlink("/dev/full", dir.file("full.imw").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/full", dir.file("full.ras").c_str()), 0);
    const Outcome raw = run_captured([&] {
        write_into(dir.file("full"), "imw", make_image<imau2>(64, 64, [](int, int) { return 0; }));
    });
    EXPECT_TRUE(ended_saying(raw, 1, "\n>> ERREUR write_imau2_ferm : ecriture du fichier " + dir.file("full.imw\n")));
    const Outcome ras = run_captured([&] { write_into(dir.file("full"), "ras", gradient_u1(5, 5)); });
    EXPECT_TRUE(ended_saying(ras, 1, "\n>> ERREUR write_imau1_ferm : ecriture du fichier " + dir.file("full.ras\n")));
}
