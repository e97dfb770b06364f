// The writer stage: exact bytes on disk, colour tables, round trips through
// the reader, refusals and failed writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "files.hpp"

using namespace testing_support;

namespace {

// Creates the writer's files and writes `image` with `ferm`; returns what
// was printed.
template <class Image>
std::string write_with(int (*ferm)(write_ima_t*, Image), const std::string& nom, const std::string& ext,
                       const Image& image) {
    write_ima_t w = writer_for(nom, ext);
    return quietly([&] {
        write_ima_init(&w);
        ferm(&w, image);
    });
}

// Writes `image` as "rt.<ext>", reads it back and compares the pixels.
template <class Image>
void expect_round_trip(const TempDir& dir, const Image& image, int (*ferm)(write_ima_t*, Image),
                       int (*init)(read_ima_t*, Image*), const std::string& ext) {
    SCOPED_TRACE(ext);
    write_with(ferm, dir.file("rt"), ext, image);
    read_ima_t r = reader_for(dir.file("rt"), ext);
    Image back{};
    quietly([&] { init(&r, &back); });
    ASSERT_EQ(back.nc, image.nc);
    ASSERT_EQ(back.nr, image.nr);
    const std::size_t bytes = sizeof(**image.pixels) * static_cast<std::size_t>(image.nc * image.nr);
    EXPECT_EQ(std::memcmp(back.pixels[0], image.pixels[0], bytes), 0);
    std::free(back.pixels[0]);
    std::free(back.pixels);
}

imau1 gradient_u1(int nc, int nr) {
    imau1 ima{};
    ima.nc = nc;
    ima.nr = nr;
    alloc_imau1(&ima);
    for (int i = 0; i < nc * nr; ++i) ima.pixels[0][i] = static_cast<unsigned char>(i * 7 + 1);
    return ima;
}

}  // namespace

TEST(WriteRaw, Imw16BitIsBigEndianAndLeavesTheImageAlone) {
    TempDir dir;
    imau2 ima{};
    ima.nc = 3;
    ima.nr = 2;
    alloc_imau2(&ima);
    const unsigned short values[] = {1, 0x1234, 0xffff, 0, 256, 0xabcd};
    std::memcpy(ima.pixels[0], values, sizeof values);
    const std::string out = write_with(write_imau2_ferm, dir.file("res"), "imw", ima);
    EXPECT_EQ(out, "Swap des octets\tdes donnees pour ecriture sur fichier\n");
    EXPECT_EQ(read_file(dir.file("res.dim")), "3 2");
    EXPECT_EQ(read_file(dir.file("res.imw")), be16(1) + be16(0x1234) + be16(0xffff) + be16(0) + be16(256) + be16(0xabcd));
    EXPECT_EQ(std::memcmp(ima.pixels[0], values, sizeof values), 0);
    free_imau2(&ima);
}

TEST(WriteRaw, SwapLinesOfEveryType) {
    TempDir dir;
    imau4 l{};
    l.nc = l.nr = 1;
    alloc_imau4(&l);
    l.pixels[0][0] = 0x01020304;
    EXPECT_EQ(write_with(write_imau4_ferm, dir.file("l"), "iml", l),
              "Swap des octets des donnees pour ecriture sur fichier\n");
    EXPECT_EQ(read_file(dir.file("l.iml")), std::string("\x01\x02\x03\x04", 4));

    imacx4 s{};
    s.nc = s.nr = 1;
    alloc_imacx4(&s);
    s.pixels[0][0] = {0x0102, -1};
    EXPECT_EQ(write_with(write_imacx4_ferm, dir.file("s"), "cxs", s),
              "Swap des octets\tdes donnees pour ecriture sur fichier\n");
    EXPECT_EQ(read_file(dir.file("s.cxs")), std::string("\x01\x02\xff\xff", 4));
    free_imau4(&l);
    free_imacx4(&s);
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
    const std::string out = write_with(write_imau1_ferm, dir.file("res"), "ima", ima);
    EXPECT_EQ(out, "write_ima_ferm: sauvegarde palette dans " + dir.file("res.3lt") + "\n");
    EXPECT_EQ(read_file(dir.file("res.dim")), "4 3");
    EXPECT_EQ(read_file(dir.file("res.ima")), std::string(reinterpret_cast<char*>(ima.pixels[0]), 12));

    const std::string lut = read_file(dir.file("res.3lt"));
    int lines = 0;
    for (char c : lut) lines += c == '\n';
    EXPECT_EQ(lines, 39);
    EXPECT_EQ(lut.substr(0, 12), "  0   1   2 ");
    // Line 13 holds the last 16 red values; line 14 starts the green table.
    std::string expected_red_tail;
    for (int i = 240; i < 256; ++i) expected_red_tail += std::to_string(i) + " ";
    expected_red_tail += "\n255 254 ";
    EXPECT_NE(lut.find(expected_red_tail), std::string::npos);
    EXPECT_EQ(lut.substr(lut.size() - 9), "  7   7 \n");

    // Read back: same pixels, same tables.
    read_ima_t r = reader_for(dir.file("res"), "ima");
    imau1 back{};
    quietly([&] { read_imau1_init(&r, &back); });
    ASSERT_NE(back.lutr, nullptr);
    EXPECT_EQ(std::memcmp(back.lutv, ima.lutv, 256), 0);
    EXPECT_EQ(std::memcmp(back.pixels[0], ima.pixels[0], 12), 0);
    free_lut_u1(&back);
    free_imau1(&back);
    free_lut_u1(&ima);
    free_imau1(&ima);
}

TEST(WriteRaster8, HeaderAndOddWidthPadding) {
    TempDir dir;
    imau1 ima = gradient_u1(3, 2);
    const std::string out = write_with(write_imau1_ferm, dir.file("res"), "ras", ima);
    EXPECT_EQ(out, "inversion entete raster comme float\n");
    const std::string rows = std::string(reinterpret_cast<char*>(ima.pixels[0]), 3) + std::string(1, '\0') +
                             std::string(reinterpret_cast<char*>(ima.pixels[1]), 3) + std::string(1, '\0');
    std::string expected = raster(3, 2, 8, 1, 0, 0, rows);
    expected.replace(16, 4, be32(8));  // length: 4 bytes per row
    EXPECT_EQ(read_file(dir.file("res.ras")), expected);
    EXPECT_FALSE(file_exists(dir.file("res.dim")));

    // With colour tables: map type 1, length 768, the map before the rows.
    alloc_lut_u1(&ima);
    for (int i = 0; i < 256; ++i) ima.lutr[i] = ima.lutv[i] = ima.lutb[i] = static_cast<unsigned char>(255 - i);
    write_with(write_imau1_ferm, dir.file("map"), "ras", ima);
    const std::string mapped = read_file(dir.file("map.ras"));
    ASSERT_EQ(mapped.size(), 32u + 768u + 8u);
    EXPECT_EQ(mapped.substr(24, 8), be32(1) + be32(768));
    EXPECT_EQ(static_cast<unsigned char>(mapped[32]), 255);
    EXPECT_EQ(mapped.substr(800), rows);
    free_lut_u1(&ima);
    free_imau1(&ima);
}

TEST(WriteRaster24, BlueGreenRedRowsWithPadding) {
    TempDir dir;
    imarvb ima{};
    ima.nc = 1;
    ima.nr = 2;
    alloc_imarvb(&ima);
    ima.r[0][0] = 1;
    ima.v[0][0] = 2;
    ima.b[0][0] = 3;
    ima.r[1][0] = 4;
    ima.v[1][0] = 5;
    ima.b[1][0] = 6;
    EXPECT_EQ(write_with(write_imarvb_ferm, dir.file("c"), "ras", ima), "inversion entete raster image rvb\n");
    std::string expected = raster(1, 2, 24, 1, 0, 0, std::string("\x03\x02\x01\x00\x06\x05\x04\x00", 8));
    expected.replace(16, 4, be32(8));
    EXPECT_EQ(read_file(dir.file("c.ras")), expected);
    free_imarvb(&ima);
}

TEST(WriteRoundTrip, EveryFormatReadsBackIdentically) {
    TempDir dir;
    imau1 u1 = gradient_u1(7, 5);
    expect_round_trip(dir, u1, write_imau1_ferm, read_imau1_init, "ima");
    expect_round_trip(dir, u1, write_imau1_ferm, read_imau1_init, "ras");
    free_imau1(&u1);

    imafl fl{};
    fl.nc = 5;
    fl.nr = 3;
    alloc_imafl(&fl);
    for (int i = 0; i < 15; ++i) fl.pixels[0][i] = static_cast<float>(i) * -0.37f + 1e-3f;
    expect_round_trip(dir, fl, write_imafl_ferm, read_imafl_init, "imf");
    free_imafl(&fl);

    imau4 u4{};
    u4.nc = 3;
    u4.nr = 3;
    alloc_imau4(&u4);
    for (int i = 0; i < 9; ++i) u4.pixels[0][i] = 0x01020304u * static_cast<unsigned>(i + 1);
    expect_round_trip(dir, u4, write_imau4_ferm, read_imau4_init, "iml");
    free_imau4(&u4);

    imacx8 cx{};
    cx.nc = 2;
    cx.nr = 2;
    alloc_imacx8(&cx);
    for (int i = 0; i < 4; ++i) cx.pixels[0][i] = {static_cast<float>(i) + 0.5f, -static_cast<float>(i)};
    expect_round_trip(dir, cx, write_imacx8_ferm, read_imacx8_init, "cxf");
    free_imacx8(&cx);

    imarvb rvb{};
    rvb.nc = 3;
    rvb.nr = 3;
    alloc_imarvb(&rvb);
    for (int i = 0; i < 9; ++i) {
        rvb.r[0][i] = static_cast<unsigned char>(i);
        rvb.v[0][i] = static_cast<unsigned char>(100 + i);
        rvb.b[0][i] = static_cast<unsigned char>(200 + i);
    }
    write_with(write_imarvb_ferm, dir.file("rvb"), "ras", rvb);
    read_ima_t rr = reader_for(dir.file("rvb"), "ras");
    imarvb rvbback{};
    quietly([&] { read_imarvb_init(&rr, &rvbback); });
    EXPECT_EQ(std::memcmp(rvbback.r[0], rvb.r[0], 9), 0);
    EXPECT_EQ(std::memcmp(rvbback.v[0], rvb.v[0], 9), 0);
    EXPECT_EQ(std::memcmp(rvbback.b[0], rvb.b[0], 9), 0);
    free_imarvb(&rvb);
    free_imarvb(&rvbback);
}

TEST(WriteRefusals, UnknownExtensionsAndMismatchedTypes) {
    TempDir dir;
    auto init = run_captured([&] {
        write_ima_t w = writer_for(dir.file("res"), "IMW");
        write_ima_init(&w);
    });
    EXPECT_EQ(init.status, 1);
    EXPECT_EQ(init.out, "\n Erreur : IMW extension inconnue");
    EXPECT_FALSE(file_exists(dir.file("res.IMW")));
    EXPECT_FALSE(file_exists(dir.file("res.dim")));

    // An 8-bit image handed to a 16-bit writer's files is refused, not
    // reported as written.
    auto mismatch = run_captured([&] {
        imau1 ima = gradient_u1(2, 2);
        write_ima_t w = writer_for(dir.file("m"), "imw");
        write_ima_init(&w);
        write_imau1_ferm(&w, ima);
    });
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_EQ(mismatch.out, "\n>> ERREUR write_imau1_ferm : extension imw incompatible avec le type de l'image\n");

    auto lect = run_captured([&] {
        char prog[] = "prog", arg[] = "noext";
        char* argv[] = {prog, arg, nullptr};
        param head;
        param_debut(2, argv, &head);
        write_ima_t w;
        write_ima_lect(&w, &head, ">> sortie :");
    });
    EXPECT_EQ(lect.status, 1);
    EXPECT_NE(lect.out.find("\n>> ERREUR write_ima_lect : nom image incomplet (extension?)"), std::string::npos);
}

TEST(WriteFailures, CreationAndShortWritesEndWithStatusOne) {
    TempDir dir;
    auto create = run_captured([&] {
        write_ima_t w = writer_for(dir.file("missing/res"), "imw");
        write_ima_init(&w);
    });
    EXPECT_EQ(create.status, 1);
    EXPECT_EQ(create.out, "\n>> ERREUR write_ima_init: creation fichier " + dir.file("missing/res.dim") + " impossible\n");

    // A full disk: the data file is a link to /dev/full.
    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
    ASSERT_EQ(::symlink("/dev/full", dir.file("full.imw").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/full", dir.file("full.ras").c_str()), 0);
    auto raw = run_captured([&] {
        imau2 ima{};
        ima.nc = 64;
        ima.nr = 64;
        alloc_imau2(&ima);
        std::memset(ima.pixels[0], 0, 64 * 64 * 2);
        write_ima_t w = writer_for(dir.file("full"), "imw");
        write_ima_init(&w);
        write_imau2_ferm(&w, ima);
    });
    EXPECT_EQ(raw.status, 1);
    EXPECT_NE(raw.out.find("\n>> ERREUR write_imau2_ferm : ecriture du fichier " + dir.file("full") + ".imw\n"),
              std::string::npos);

    auto ras = run_captured([&] {
        imau1 ima = gradient_u1(5, 5);
        write_ima_t w = writer_for(dir.file("full"), "ras");
        write_ima_init(&w);
        write_imau1_ferm(&w, ima);
    });
    EXPECT_EQ(ras.status, 1);
    EXPECT_NE(ras.out.find("\n>> ERREUR write_imau1_ferm : ecriture du fichier " + dir.file("full") + ".ras\n"),
              std::string::npos);
}
