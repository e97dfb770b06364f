// The reader stage on well-formed files of every format.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <type_traits>

#include "byte_encoding.hpp"
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

// Rasters of type 2: hand-made streams give the rows they encode; the map
// and the pixel order are those of type 1.
TEST(ReadImage, ByteEncodedRastersGiveTheRowsTheyEncode) {
    std::string reds, greens, blues, grey;
    for (int i = 0; i < 16; ++i) {
        reds += static_cast<char>(i * 16);
        greens += static_cast<char>(255 - i);
        blues += static_cast<char>(i);
    }
    for (int plane = 0; plane < 3; ++plane) grey += byte_string({10, 20, 30, 40});
    const std::string colours = reds + greens + blues;
    const Reader u1 = read_back<imau1>, rvb = read_back<imarvb>;
    const struct {
        const char* what;
        Reader read;
        int width, height, depth;
        std::string map, stream, read_back;
    } cases[] = {
        {"the escape byte itself", u1, 4, 1, 8, "", byte_string({128, 0, 1, 128, 0, 2}),
         "4x1:" + byte_string({128, 1, 128, 2}) + "|"},
        {"a stream longer than its pixels", u1, 4, 1, 8, "", byte_string({128, 0, 128, 0, 128, 0, 128, 0}),
         "4x1:" + std::string(4, '\x80') + "|"},
        {"a run of two", u1, 2, 1, 8, "", byte_string({128, 1, 9}), "2x1:\x09\x09|"},
        {"the longest run", u1, 258, 1, 8, "", byte_string({128, 255, 7, 5, 6}),
         "258x1:" + std::string(256, '\x07') + "\x05\x06|"},
        {"a run across a row and its padding", u1, 3, 2, 8, "", byte_string({1, 128, 4, 5, 2, 3}),
         "3x2:" + byte_string({1, 5, 5, 5, 5, 2}) + "|"},
        {"a run ending in the last padding", u1, 3, 1, 8, "", byte_string({128, 3, 7}), "3x1:\x07\x07\x07|"},
        {"the last padding left out", u1, 3, 1, 8, "", byte_string({1, 2, 3}), "3x1:\x01\x02\x03|"},
        {"bytes after the image", u1, 2, 1, 8, "", byte_string({1, 2, 128, 9, 9}), "2x1:\x01\x02|"},
        // Rows [0 3 3 3 3 | 3] [1 1 1 1 2 | 0]; four grey colours 10, 20, 30, 40.
        {"odd width with a grey map", u1, 5, 2, 8, grey, byte_string({0, 128, 4, 3, 128, 3, 1, 2, 0}),
         "5x2:" + byte_string({10, 40, 40, 40, 40, 20, 20, 20, 20, 30}) + "|"},
        {"a colour map", u1, 2, 1, 8, colours, byte_string({15, 128, 0}),
         "2x1:\x0f\x80|" + identity_after(reds) + identity_after(greens) + identity_after(blues)},
        // Blue, green, red as in type 1: [1 2 3 | 128] [4 5 6], padding left out.
        {"24-bit of odd width", rvb, 1, 2, 24, "", byte_string({1, 2, 3, 128, 0, 4, 5, 6}),
         "1x2:" + byte_string({3, 6, 2, 5, 1, 4})},
        {"24-bit, a run across pixels", rvb, 2, 1, 24, "", byte_string({128, 3, 9, 1, 2}),
         "2x1:" + byte_string({9, 2, 9, 1, 9, 9})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const int maptype = c.map.empty() ? 0 : 1;
        const int maplength = static_cast<int>(c.map.size());
        write_files(dir, "img", {{"ras", raster(c.width, c.height, c.depth, 2, maptype, maplength, c.map + c.stream)}});
        std::string printed;
        EXPECT_EQ(c.read(dir, "ras", printed), c.read_back);
    }
}

// A run right after the last literals of the fast path's reach, 6 bytes
// beyond the image: refused, never written past the rows (a fuzzing find).
TEST(ReadImage, ARunBeyondTheImageAfterLiteralsIsRefused) {
    TempDir dir;
    const std::string stream = byte_string({128, 0}) + std::string(351, '\x07') + byte_string({128, 255, 9});
    write_files(dir, "img", {{"ras", raster(602, 1, 8, 2, 0, 0, stream)}});
    // The test kit's reader keeps the message to itself; a write past the
    // rows would end with the sanitizer's status instead.
    EXPECT_EQ(run_captured([&] { read_image<imau1>(dir.file("img"), "ras"); }).status, 1);
}

// Escapes and runs that straddle the blocks the decoder reads the file in.
TEST(ReadImage, ByteEncodedStreamsAcrossReadBlocks) {
    const std::size_t block = std::size_t{1} << 20;
    for (const std::size_t lead : {block - 3, block - 2, block - 1, block}) {
        for (const std::string& escape : {byte_string({128, 9, 7}), byte_string({128, 0})}) {
            const std::string tail = escape.size() == 3 ? std::string(10, '\x07') : "\x80";
            // Literals after the escape, so that the block ends far from the image's end.
            std::string pixels = std::string(lead, '\x01') + tail + "\x02\x03" + std::string(1000, 'z');
            if (pixels.size() % 2 != 0) pixels += '\x04';
            const std::string stream = std::string(lead, '\x01') + escape + pixels.substr(lead + tail.size());
            SCOPED_TRACE(std::to_string(lead) + " bytes before " + std::to_string(escape.size()));
            TempDir dir;
            const int width = static_cast<int>(pixels.size());
            write_files(dir, "img", {{"ras", raster(width, 1, 8, 2, 0, 0, stream)}});
            std::string printed;
            EXPECT_TRUE(read_back<imau1>(dir, "ras", printed) == std::to_string(width) + "x1:" + pixels + "|");
        }
    }
}

// Random images with runs and escapes, with and without maps, read as
// type 2 give what the same images read as type 1 give, messages included.
TEST(ReadImage, ByteEncodedRastersReadAsTheirPlainForm) {
    std::mt19937 random(2026);
    for (int trial = 0; trial < 120; ++trial) {
        // Small images and images of more than 256 bytes, decoded in bulk.
        const int width = 1 + static_cast<int>(random() % (trial % 2 == 0 ? 40 : 900));
        const int height = 1 + static_cast<int>(random() % 6);
        const int depth = trial % 3 == 2 ? 24 : 8;
        const std::size_t row = static_cast<std::size_t>(width * depth / 8);
        std::string rows;
        while (rows.size() < row * static_cast<std::size_t>(height)) {
            const char values[] = {'\x80', '\x00', '\x07', static_cast<char>(random())};
            rows += std::string(1 + random() % (random() % 4 == 0 ? 300 : 3), values[random() % 4]);
        }
        rows.resize(row * static_cast<std::size_t>(height));
        std::string map;
        if (depth == 8 && trial % 3 == 1)
            for (int i = 0; i < 48; ++i) map += static_cast<char>(trial % 2 == 0 ? i % 16 : random());
        const std::string stored = padded_rows(rows, row);
        const int maptype = map.empty() ? 0 : 1, maplength = static_cast<int>(map.size());
        const Reader read = depth == 8 ? read_back<imau1> : read_back<imarvb>;
        // What each form reads back and prints, its folder's name left out.
        std::string read_as[3], printed_as[3];
        for (const int type : {1, 2}) {
            TempDir dir;
            const std::string data = type == 1 ? stored : byte_encoded(stored);
            write_files(dir, "img", {{"ras", raster(width, height, depth, type, maptype, maplength, map + data)}});
            read_as[type] = read(dir, "ras", printed_as[type]);
            for (std::size_t at; (at = printed_as[type].find(dir.path())) != std::string::npos;)
                printed_as[type].replace(at, dir.path().size(), "@");
        }
        SCOPED_TRACE("trial " + std::to_string(trial) + ": " + std::to_string(width) + "x" + std::to_string(height) +
                     " depth " + std::to_string(depth));
        ASSERT_TRUE(read_as[1] == read_as[2]);
        EXPECT_EQ(printed_as[1], printed_as[2]);
    }
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
