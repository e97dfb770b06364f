// The reader stage on well-formed files of every format.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files.hpp"

using namespace testing_support;

namespace {

std::string lut_text(int count, int base) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(base + i) + (i % 7 == 6 ? "\n" : " ");
    return text;
}

}  // namespace

TEST(ReadIma, SizesPixelsNameAndNoColourTable) {
    TempDir dir;
    write_file(dir.file("scan.dim"), "  5\n 3 ");
    std::string pixels;
    for (int i = 0; i < 15; ++i) pixels += static_cast<char>(i * 17);
    write_file(dir.file("scan.ima"), pixels);
    read_ima_t d = reader_for(dir.file("scan"), "ima");
    imau1 ima{};
    const std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_EQ(out, "\n>> read_imau1_init : image lue " + dir.file("scan.ima") + ", dimX=5, dimY=3\n");
    ASSERT_EQ(ima.nc, 5);
    ASSERT_EQ(ima.nr, 3);
    EXPECT_EQ(std::string(ima.nom), dir.file("scan.ima"));
    EXPECT_EQ(ima.lutr, nullptr);
    EXPECT_EQ(ima.pixels[2][4], 14 * 17);
    EXPECT_EQ(std::memcmp(ima.pixels[0], pixels.data(), 15), 0);
    free_imau1(&ima);
}

TEST(ReadIma, ColourTableIsLoadedOrDropped) {
    TempDir dir;
    write_file(dir.file("a.dim"), "2 1");
    write_file(dir.file("a.ima"), "\x01\x02");

    // 768 values, kept as their low 8 bits (300 -> 44).
    write_file(dir.file("a.3lt"), lut_text(256, 0) + lut_text(256, 300) + lut_text(256, 5));
    read_ima_t d = reader_for(dir.file("a"), "ima");
    imau1 ima{};
    std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_NE(out.find("\nread_imau1_init: LUT " + dir.file("a.3lt") + " chargee\n"), std::string::npos);
    ASSERT_NE(ima.lutr, nullptr);
    EXPECT_EQ(ima.lutr[255], 255);
    EXPECT_EQ(ima.lutv[0], 44);
    EXPECT_EQ(ima.lutb[255], 4);
    free_lut_u1(&ima);
    free_imau1(&ima);

    // 700 values: warning and no table, the image itself is read.
    write_file(dir.file("a.3lt"), lut_text(700, 0));
    imau1 partial{};
    out = quietly([&] { read_imau1_init(&d, &partial); });
    EXPECT_NE(out.find("\nATT read_imau1_init: lecture " + dir.file("a.3lt") + " incomplete, LUT ignoree\n"),
              std::string::npos);
    EXPECT_EQ(partial.lutr, nullptr);
    EXPECT_EQ(partial.lutb, nullptr);
    EXPECT_EQ(partial.pixels[0][1], 2);
    free_imau1(&partial);
}

TEST(ReadRaster8, OddWidthRowsArePaddedOnDisk) {
    TempDir dir;
    // Width 5: six bytes per row; the last row's padding byte may be missing.
    write_file(dir.file("r.ras"), raster(5, 2, 8, 1, 0, 0, std::string("abcde\x00" "fghij", 11)));
    read_ima_t d = reader_for(dir.file("r"), "ras");
    imau1 ima{};
    const std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_EQ(out, "inversion entete raster (comme des float)\n\n>> read_imau1_init : image " + dir.file("r.ras") +
                       ", dimX=5, dimY=2\n");
    ASSERT_EQ(ima.nc, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ima.pixels[0]), 10), "abcdefghij");
    EXPECT_EQ(std::string(ima.nom), dir.file("r.ras"));
    free_imau1(&ima);
}

TEST(ReadRaster8, GreyMapIsAppliedToThePixels) {
    TempDir dir;
    // Four grey colours: 0->10, 1->20, 2->30, 3->40; values from 4 on stay.
    const std::string map = std::string("\x0a\x14\x1e\x28", 4) + std::string("\x0a\x14\x1e\x28", 4) +
                            std::string("\x0a\x14\x1e\x28", 4);
    write_file(dir.file("g.ras"), raster(4, 1, 8, 1, 1, 12, map + std::string("\x00\x03\x04\xff", 4)));
    read_ima_t d = reader_for(dir.file("g"), "ras");
    imau1 ima{};
    const std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_NE(out.find("\nATT read_imau1_init : detection d'une LUT de 4 couleurs dans " + dir.file("g.ras") + "\n"),
              std::string::npos);
    EXPECT_NE(out.find("\n>> ATT read_imau1_init: LUT de niveau de gris utilisee comme valeur des pixels"),
              std::string::npos);
    EXPECT_EQ(ima.lutr, nullptr);
    const unsigned char expected[] = {10, 40, 4, 255};
    EXPECT_EQ(std::memcmp(ima.pixels[0], expected, 4), 0);
    free_imau1(&ima);
}

TEST(ReadRaster8, ColourMapBecomesColourTables) {
    TempDir dir;
    std::string r, g, b;
    for (int i = 0; i < 16; ++i) {
        r += static_cast<char>(i * 16);
        g += static_cast<char>(255 - i);
        b += static_cast<char>(i);
    }
    write_file(dir.file("c.ras"), raster(2, 1, 8, 1, 1, 48, r + g + b + std::string("\x0f\x20", 2)));
    read_ima_t d = reader_for(dir.file("c"), "ras");
    imau1 ima{};
    quietly([&] { read_imau1_init(&d, &ima); });
    ASSERT_NE(ima.lutr, nullptr);
    EXPECT_EQ(ima.lutr[15], 240);
    EXPECT_EQ(ima.lutv[0], 255);
    for (int i = 16; i < 256; ++i) {
        EXPECT_EQ(ima.lutr[i], i);
        EXPECT_EQ(ima.lutv[i], i);
        EXPECT_EQ(ima.lutb[i], i);
    }
    EXPECT_EQ(ima.pixels[0][0], 15);
    EXPECT_EQ(ima.pixels[0][1], 32);
    free_lut_u1(&ima);
    free_imau1(&ima);
}

TEST(ReadRaster8, PixelsStartAfterAMapWhoseLengthIsNotAMultipleOfThree) {
    TempDir dir;
    // 14 bytes of map: 4 colours and 2 bytes that still belong to the map.
    const std::string map = std::string("\x01\x02\x03\x04", 4) + std::string("\x05\x06\x07\x08", 4) +
                            std::string("\x09\x0a\x0b\x0c", 4) + "xx";
    write_file(dir.file("m.ras"), raster(2, 1, 8, 1, 1, 14, map + std::string("\x02\x07", 2)));
    read_ima_t d = reader_for(dir.file("m"), "ras");
    imau1 ima{};
    const std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_NE(out.find("detection d'une LUT de 4 couleurs"), std::string::npos);
    ASSERT_NE(ima.lutr, nullptr);
    EXPECT_EQ(ima.lutb[3], 0x0c);
    EXPECT_EQ(ima.pixels[0][0], 2);
    EXPECT_EQ(ima.pixels[0][1], 7);
    free_lut_u1(&ima);
    free_imau1(&ima);

    // The whole map counts in the length the file must have.
    write_file(dir.file("m.ras"), raster(2, 1, 8, 1, 1, 14, map + std::string("\x02", 1)));
    const Outcome short_file = run_captured([&] {
        imau1 cut{};
        read_imau1_init(&d, &cut);
    });
    EXPECT_EQ(short_file.status, 1);
    EXPECT_NE(short_file.out.find("lecture fichier"), std::string::npos);
}

TEST(ReadRaster8, MapTypeWithEmptyMapChangesNothing) {
    TempDir dir;
    write_file(dir.file("e.ras"), raster(2, 1, 8, 1, 2, 0, "\x05\x06"));
    read_ima_t d = reader_for(dir.file("e"), "ras");
    imau1 ima{};
    const std::string out = quietly([&] { read_imau1_init(&d, &ima); });
    EXPECT_NE(out.find("detection d'une LUT de 0 couleurs"), std::string::npos);
    EXPECT_EQ(ima.lutr, nullptr);
    EXPECT_EQ(ima.pixels[0][1], 6);
    free_imau1(&ima);
}

TEST(ReadRaw, ByteOrderFollowsTheExtensionCase) {
    TempDir dir;
    write_file(dir.file("w.dim"), "2 2");
    write_file(dir.file("w.imw"), be16(1) + be16(0x1234) + be16(0xffff) + be16(256));
    write_file(dir.file("w.IMW"), std::string("\x01\x00\x34\x12\xff\xff\x00\x01", 8));
    for (const char* ext : {"imw", "IMW"}) {
        SCOPED_TRACE(ext);
        read_ima_t d = reader_for(dir.file("w"), ext);
        imau2 ima{};
        const std::string out = quietly([&] { read_imau2_init(&d, &ima); });
        const std::string line = std::string(ext) == "imw"
                                     ? "Swap des octets\tdes donnees lors de la lecture\n"
                                     : "Pas de swap des octets lors de la lecture car fichier .IMW (INTEL)\n";
        EXPECT_EQ(out, line + "\n>> read_imau2_init : image " + dir.file("w." + std::string(ext)) + " dimX=2, dimY=2\n");
        EXPECT_EQ(ima.pixels[0][0], 1);
        EXPECT_EQ(ima.pixels[0][1], 0x1234);
        EXPECT_EQ(ima.pixels[1][0], 0xffff);
        EXPECT_EQ(ima.pixels[1][1], 256);
        free_imau2(&ima);
    }

    // A wrongly spelled extension: the file is read, then refused.
    write_file(dir.file("w.Imw"), std::string(8, '\0'));
    read_ima_t d = reader_for(dir.file("w"), "Imw");
    auto run = run_captured([&] {
        imau2 ima{};
        read_imau2_init(&d, &ima);
    });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\n extension Imw inconnue\n");
}

TEST(ReadRaw, EveryTypedReaderDecodesBigEndianValues) {
    TempDir dir;
    write_file(dir.file("v.dim"), "2 1");

    write_file(dir.file("v.iml"), be32(0xdeadbeef) + be32(7));
    read_ima_t dl = reader_for(dir.file("v"), "iml");
    imau4 l{};
    quietly([&] { read_imau4_init(&dl, &l); });
    EXPECT_EQ(l.pixels[0][0], 0xdeadbeefu);
    EXPECT_EQ(l.pixels[0][1], 7u);
    free_imau4(&l);

    write_file(dir.file("v.imf"), be32(0x3fc00000) + be32(0xc0200000));  // 1.5, -2.5
    read_ima_t df = reader_for(dir.file("v"), "imf");
    imafl f{};
    const std::string out = quietly([&] { read_imafl_init(&df, &f); });
    EXPECT_EQ(out.substr(0, 48), "Swap des octets des donnees lors de la lecture\n\n");
    EXPECT_EQ(f.pixels[0][0], 1.5f);
    EXPECT_EQ(f.pixels[0][1], -2.5f);
    free_imafl(&f);

    write_file(dir.file("v.cxs"), be16(1) + be16(0xfffe) + be16(3) + be16(4));
    read_ima_t ds = reader_for(dir.file("v"), "cxs");
    imacx4 s{};
    quietly([&] { read_imacx4_init(&ds, &s); });
    EXPECT_EQ(s.pixels[0][0].re, 1);
    EXPECT_EQ(s.pixels[0][0].im, -2);
    EXPECT_EQ(s.pixels[0][1].im, 4);
    free_imacx4(&s);

    write_file(dir.file("v.CXF"), std::string("\x00\x00\xc0\x3f\x00\x00\x00\x40\x00\x00\x80\xbf\x00\x00\x00\x00", 16));
    read_ima_t dc = reader_for(dir.file("v"), "CXF");
    imacx8 c{};
    quietly([&] { read_imacx8_init(&dc, &c); });
    EXPECT_EQ(c.pixels[0][0].re, 1.5f);
    EXPECT_EQ(c.pixels[0][0].im, 2.0f);
    EXPECT_EQ(c.pixels[0][1].re, -1.0f);
    EXPECT_EQ(std::string(c.nom), dir.file("v.CXF"));
    free_imacx8(&c);
}

TEST(ReadRaster24, PixelOrderFollowsTheRasterType) {
    TempDir dir;
    // Width 3, height 2: nine bytes per row plus one padding byte.
    const std::string rows = std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x00", 10) +
                             std::string("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x00", 10);
    write_file(dir.file("bgr.ras"), raster(3, 2, 24, 1, 0, 0, rows));
    write_file(dir.file("rgb.img"), raster(3, 2, 24, 3, 0, 0, rows));

    read_ima_t d1 = reader_for(dir.file("bgr"), "ras");
    imarvb bgr{};
    EXPECT_EQ(quietly([&] { read_imarvb_init(&d1, &bgr); }), "inversion entete raster image rvb\n");
    EXPECT_EQ(bgr.b[0][0], 1);
    EXPECT_EQ(bgr.v[0][0], 2);
    EXPECT_EQ(bgr.r[0][0], 3);
    EXPECT_EQ(bgr.r[1][2], 0x12);
    EXPECT_EQ(bgr.b[1][0], 0x0a);

    read_ima_t d3 = reader_for(dir.file("rgb"), "img");
    imarvb rgb{};
    quietly([&] { read_imarvb_init(&d3, &rgb); });
    EXPECT_EQ(rgb.r[0][0], 1);
    EXPECT_EQ(rgb.b[0][0], 3);
    EXPECT_EQ(rgb.b[1][2], 0x12);
    EXPECT_EQ(std::string(rgb.nom), dir.file("rgb.img"));
    free_imarvb(&bgr);
    free_imarvb(&rgb);
}

TEST(ReadLect, ReplyIsSplitAtItsLastDot) {
    auto split = [](const char* reply) {
        return run_captured([&] {
            char prog[] = "prog";
            char arg[LONG_NOM];
            std::snprintf(arg, sizeof arg, "%s", reply);
            char* argv[] = {prog, arg, arg, nullptr};
            param head;
            param_debut(3, argv, &head);
            read_ima_t d;
            param* next = read_ima_lect(&d, &head, ">> entree :");
            std::fprintf(stderr, "%s|%s|%d", d.nom, d.ext, next == head.suiv);
        });
    };
    auto run = split("dir.v2/img.x.ima");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "dir.v2/img.x|ima|1");
    EXPECT_NE(run.out.find("\n>> entree : nom complet du fichier image a lire = dir.v2/img.x.ima\n"), std::string::npos);
    EXPECT_EQ(split("img.").err, "img||1");

    for (const char* bad : {"noextension", ".hidden"}) {
        auto refused = split(bad);
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.out.find("\n>> ERREUR read_ima_lect : nom image incomplet (extension?)"), std::string::npos);
    }
}
