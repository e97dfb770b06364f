// The reader stage on well-formed files of every format.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <type_traits>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// What the reader of Image makes of "<folder>/img.<ext>": the image's size,
// its pixel block (host order; the red, green and blue planes of an imarvb)
// and, for an imau1, its colour tables after a "|". The name and the row
// table it gives the image are checked on the way.
using Reader = std::string (*)(const TempDir& dir, const std::string& ext, std::string& printed);
template <class Image>
std::string read_back(const TempDir& dir, const std::string& ext, std::string& printed) {
    Image image = read_image<Image>(dir.file("img"), ext, &printed);
    EXPECT_EQ(std::string(image.nom), dir.file("img." + ext));
    EXPECT_TRUE(rows_linked(image));
    std::string read = shape(image) + ":" + bytes_of(image);
    if constexpr (std::is_same_v<Image, imau1>) {
        read += "|" + luts_of(image);
        free_lut_u1(&image);
    }
    fw::free_image(&image);
    return read;
}

// Values as they lie in memory.
template <class T>
std::string host(std::initializer_list<T> values) {
    return {reinterpret_cast<const char*>(values.begin()), values.size() * sizeof(T)};
}

// A colour table of 256 entries: entry i is f(i).
template <class F>
std::string table(F f) {
    std::string t;
    for (int i = 0; i < 256; ++i) t += static_cast<char>(f(i));
    return t;
}

// A raster colour table: the given entries, then the identity.
std::string identity_after(const std::string& first) {
    return table([&](int i) { return i < static_cast<int>(first.size()) ? static_cast<unsigned char>(first[i]) : i; });
}

// `count` integers from `base` on, seven to a line, as in a .3lt file.
std::string lut_text(int count, int base) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(base + i) + (i % 7 == 6 ? "\n" : " ");
    return text;
}

const std::string kRaster = "inversion entete raster (comme des float)\n\n>> read_imau1_init : image @/img.ras, dimX=";
const std::string kGrey = "\n>> ATT read_imau1_init: LUT de niveau de gris utilisee comme valeur des pixels";
std::string detected(int colours) {
    return "\nATT read_imau1_init : detection d'une LUT de " + std::to_string(colours) + " couleurs dans @/img.ras\n";
}

}  // namespace

TEST(ReadImage, EveryFormatReadsItsSizesPixelsAndColourTables) {
    std::string fifteen, reds, greens, blues;
    for (int i = 0; i < 15; ++i) fifteen += static_cast<char>(i * 17);
    for (int i = 0; i < 16; ++i) {
        reds += static_cast<char>(i * 16);
        greens += static_cast<char>(255 - i);
        blues += static_cast<char>(i);
    }
    const std::string grey = byte_string({10, 20, 30, 40}), one_two = "\x01\x02";
    // 14 bytes of map: 4 colours and 2 bytes that still belong to the map.
    const std::string fourteen = byte_string({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}) + "xx";
    // 768 values, kept as their low 8 bits (300 -> 44).
    const std::string lut_file = lut_text(256, 0) + lut_text(256, 300) + lut_text(256, 5);
    const std::string low_bytes = table([](int i) { return i; }) + table([](int i) { return 300 + i; }) +
                                  table([](int i) { return 5 + i; });
    // 24-bit rows of width 3: nine bytes per row plus one padding byte.
    const std::string rows24 = byte_string({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0});
    const std::string firsts = byte_string({1, 4, 7, 10, 13, 16}), seconds = byte_string({2, 5, 8, 11, 14, 17}),
                      thirds = byte_string({3, 6, 9, 12, 15, 18});
    const std::string ima = "\n>> read_imau1_init : image lue @/img.ima, dimX=";
    const std::string swapped = "Swap des octets\tdes donnees lors de la lecture\n";
    const std::string swapped_reals = "Swap des octets des donnees lors de la lecture\n";
    const Reader u1 = read_back<imau1>, u2 = read_back<imau2>, u4 = read_back<imau4>, fl = read_back<imafl>,
                 cx4 = read_back<imacx4>, cx8 = read_back<imacx8>, rvb = read_back<imarvb>;
    const struct {
        const char* what;
        Reader read;
        std::map<std::string, std::string> files;
        std::string ext, printed, read_back;
    } cases[] = {
        {"size file with blanks and newlines", u1, {{"dim", "  5\n 3 "}, {"ima", fifteen}}, "ima",
         ima + "5, dimY=3\n", "5x3:" + fifteen + "|"},
        {"colour table file", u1, {{"dim", "2 1"}, {"ima", one_two}, {"3lt", lut_file}}, "ima",
         ima + "2, dimY=1\n\nread_imau1_init: LUT @/img.3lt chargee\n", "2x1:" + one_two + "|" + low_bytes},
        {"incomplete colour table file", u1, {{"dim", "2 1"}, {"ima", one_two}, {"3lt", lut_text(700, 0)}}, "ima",
         ima + "2, dimY=1\n\nATT read_imau1_init: lecture @/img.3lt incomplete, LUT ignoree\n", "2x1:" + one_two + "|"},
        // Width 5: six bytes per row; the last row's padding byte may be missing.
        {"raster of odd width", u1, {{"ras", raster(5, 2, 8, 1, 0, 0, std::string("abcde\0fghij", 11))}}, "ras",
         kRaster + "5, dimY=2\n", "5x2:abcdefghij|"},
        // Four grey colours: 0->10, 1->20, 2->30, 3->40; values from 4 on stay.
        {"grey map", u1, {{"ras", raster(4, 1, 8, 1, 1, 12, grey + grey + grey + byte_string({0, 3, 4, 255}))}}, "ras",
         kRaster + "4, dimY=1\n" + detected(4) + kGrey, "4x1:" + byte_string({10, 40, 4, 255}) + "|"},
        {"colour map", u1, {{"ras", raster(2, 1, 8, 1, 1, 48, reds + greens + blues + "\x0f\x20")}}, "ras",
         kRaster + "2, dimY=1\n" + detected(16),
         "2x1:\x0f\x20|" + identity_after(reds) + identity_after(greens) + identity_after(blues)},
        {"map whose length is not a multiple of three", u1, {{"ras", raster(2, 1, 8, 1, 1, 14, fourteen + "\x02\x07")}},
         "ras", kRaster + "2, dimY=1\n" + detected(4),
         "2x1:\x02\x07|" + identity_after("\x01\x02\x03\x04") + identity_after("\x05\x06\x07\x08") +
             identity_after("\x09\x0a\x0b\x0c")},
        {"map type with an empty map", u1, {{"ras", raster(2, 1, 8, 1, 2, 0, "\x05\x06")}}, "ras",
         kRaster + "2, dimY=1\n" + detected(0) + kGrey, "2x1:\x05\x06|"},
        {"16-bit, big-endian", u2, {{"dim", "2 2"}, {"imw", be16(1) + be16(0x1234) + be16(0xffff) + be16(256)}},
         "imw", swapped + "\n>> read_imau2_init : image @/img.imw dimX=2, dimY=2\n",
         "2x2:" + host<std::uint16_t>({1, 0x1234, 0xffff, 256})},
        {"16-bit, host order", u2, {{"dim", "2 2"}, {"IMW", byte_string({1, 0, 0x34, 0x12, 0xff, 0xff, 0, 1})}},
         "IMW", "Pas de swap des octets lors de la lecture car fichier .IMW (INTEL)\n\n>> read_imau2_init : image "
                "@/img.IMW dimX=2, dimY=2\n",
         "2x2:" + host<std::uint16_t>({1, 0x1234, 0xffff, 256})},
        {"32-bit, big-endian", u4, {{"dim", "2 1"}, {"iml", be32(0xdeadbeef) + be32(7)}}, "iml",
         swapped + "\n>> read_imau4_init : image @/img.iml dimX=2, dimY=1\n",
         "2x1:" + host<std::uint32_t>({0xdeadbeef, 7})},
        {"float, big-endian", fl, {{"dim", "2 1"}, {"imf", be32(0x3fc00000) + be32(0xc0200000)}}, "imf",
         swapped_reals + "\n>> read_imafl_init : image @/img.imf dimX=2, dimY=1\n", "2x1:" + host({1.5f, -2.5f})},
        {"16-bit complex, big-endian", cx4, {{"dim", "2 1"}, {"cxs", be16(1) + be16(0xfffe) + be16(3) + be16(4)}},
         "cxs", swapped_reals + "\n>> read_imacx4_init : image @/img.cxs dimX=2, dimY=1\n",
         "2x1:" + host<std::int16_t>({1, -2, 3, 4})},
        {"float complex, host order", cx8,
         {{"dim", "2 1"}, {"CXF", byte_string({0, 0, 0xc0, 0x3f, 0, 0, 0, 0x40, 0, 0, 0x80, 0xbf, 0, 0, 0, 0})}}, "CXF",
         "Pas de swap des octets lors de la lecture car fichier .CXF (INTEL)\n\n>> read_imacx8_init : image @/img.CXF "
         "dimX=2, dimY=1\n",
         "2x1:" + host({1.5f, 2.0f, -1.0f, 0.0f})},
        {"24-bit raster, blue first", rvb, {{"ras", raster(3, 2, 24, 1, 0, 0, rows24)}}, "ras",
         "inversion entete raster image rvb\n", "3x2:" + thirds + seconds + firsts},
        {"24-bit raster, red first", rvb, {{"img", raster(3, 2, 24, 3, 0, 0, rows24)}}, "img",
         "inversion entete raster image rvb\n", "3x2:" + firsts + seconds + thirds},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_files(dir, "img", c.files);
        std::string printed;
        EXPECT_EQ(c.read(dir, c.ext, printed), c.read_back);
        EXPECT_EQ(printed, in_folder(c.printed, dir.path()));
    }

    // A wrongly spelled extension: the file is read, then refused.
    TempDir dir;
    write_files(dir, "img", {{"dim", "2 2"}, {"Imw", std::string(8, '\0')}});
    read_ima_t d = reader_for(dir.file("img"), "Imw");
    EXPECT_TRUE(ended(run_captured([&] {
                          imau2 image{};
                          read_imau2_init(&d, &image);
                      }),
                      1, "\n extension Imw inconnue\n"));
}

TEST(ReadLect, ReplyIsSplitAtItsLastDot) {
    auto split = [](const std::string& reply) {
        return run_phase(
            {reply, reply},
            [](param* head) {
                read_ima_t d;
                param* next = read_ima_lect(&d, head, ">> entree :");
                std::fprintf(stderr, "%s|%s|", d.nom, d.ext);
                return next;
            },
            [](param* next, param* head) { std::fprintf(stderr, "%d", next == head->suiv); });
    };
    const Outcome run = split("dir.v2/img.x.ima");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "dir.v2/img.x|ima|1");
    EXPECT_NE(run.out.find("\n>> entree : nom complet du fichier image a lire = dir.v2/img.x.ima\n"),
              std::string::npos);
    EXPECT_EQ(split("img.").err, "img||1");

    for (const char* bad : {"noextension", ".hidden"}) {
        const Outcome refused = split(bad);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.out.find("\n>> ERREUR read_ima_lect : nom image incomplet (extension?)"), std::string::npos);
    }
}
