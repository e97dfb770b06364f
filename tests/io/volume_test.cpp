// Volume files: byte layout, reading modes, the 16-bit rescaling, header
// helpers, and a table of truncated and corrupt files.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "support.hpp"
#include "volume.h"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

TEST(VolumeFiles, WrittenLayoutIsBigEndianHeaderThenSamples) {
    TempDir dir;
    ima3Du1 v = make_volume(4, 3, 2, [](int x, int y, int z) { return x + 10 * y + 100 * z; });
    ASSERT_EQ(ecr_ima3Du1(dir.file("v.vol").c_str(), &v), 0);
    const std::string bytes = read_file(dir.file("v.vol"));
    ASSERT_EQ(bytes.size(), 80u + 24u);
    EXPECT_EQ(bytes.substr(0, 80), volume_header(4, 3, 2, 8));
    EXPECT_EQ(bytes.substr(4, 4), std::string("\0\0\0\x04", 4));
    EXPECT_EQ(bytes.substr(72, 4), std::string("\0\0\0\x50", 4));
    EXPECT_EQ(bytes.substr(80), samples_of(v));
    liberer_ima3Du1(&v);
    EXPECT_EQ(v.data, nullptr);
}

TEST(VolumeFiles, ReadingModesSelectPlanes) {
    TempDir dir;
    const std::string path = dir.file("v.vol");
    ima3Du1 v = make_volume(4, 3, 2, [](int x, int y, int z) { return x + 10 * y + 100 * z; });
    ecr_ima3Du1(path.c_str(), &v);

    ima3Du1 whole{};
    std::FILE* f = lect_ima3Du1(path.c_str(), &whole, 0, 0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::ftell(f), 104);  // left just after the samples read
    std::fclose(f);
    EXPECT_EQ(whole.dimz, 2);
    EXPECT_EQ(whole.entete, 80);
    EXPECT_EQ(whole.nb_bits, 8);
    EXPECT_EQ(samples_of(whole), samples_of(v));

    ima3Du1 second{};
    f = lect_ima3Du1(path.c_str(), &second, 1, 2, 0);
    EXPECT_EQ(std::ftell(f), 104);
    std::fclose(f);
    EXPECT_EQ(second.dimz, 1);
    EXPECT_EQ(samples_of(second), samples_of(v).substr(12));

    ima3Du1 range{};
    std::fclose(lect_ima3Du1(path.c_str(), &range, 2, 1, 2));
    EXPECT_EQ(range.dimz, 2);
    EXPECT_EQ(samples_of(range), samples_of(v));

    // A longer header is skipped by its stored length.
    write_file(dir.file("long.vol"), volume_header(4, 3, 2, 8, 100) + samples_of(v));
    ima3Du1 skipped{};
    std::fclose(lect_ima3Du1(dir.file("long.vol").c_str(), &skipped, 1, 1, 0));
    EXPECT_EQ(skipped.entete, 100);
    EXPECT_EQ(samples_of(skipped), samples_of(v).substr(0, 12));
    for (ima3Du1* r : {&v, &whole, &second, &range, &skipped}) liberer_ima3Du1(r);
}

TEST(VolumeFiles, SixteenBitSamplesAreRescaledToEightBits) {
    TempDir dir;
    const std::string path = dir.file("s.vol");
    write_file(path, volume_header(3, 1, 1, 16) + be16(static_cast<unsigned>(-200) & 0xffff) + be16(0) + be16(100));
    auto run = run_captured([&] {
        ima3Du1 v{};
        std::fclose(lect_ima3Du1(path.c_str(), &v, 0, 0, 0));
        std::fprintf(stderr, "%d %d %d bits %d", v.data[0][0][0], v.data[0][0][1], v.data[0][0][2], v.nb_bits);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "max=100; min=-200\n");
    EXPECT_EQ(run.err, "0 127 190 bits 8");

    // All samples 0: every sample maps to 127, with no division by zero.
    write_file(path, volume_header(2, 1, 1, 16) + be16(0) + be16(0));
    auto zeros = run_captured([&] {
        ima3Du1 v{};
        std::fclose(lect_ima3Du1(path.c_str(), &v, 0, 0, 0));
        std::fprintf(stderr, "%d %d", v.data[0][0][0], v.data[0][0][1]);
    });
    ASSERT_EQ(zeros.status, 0);
    EXPECT_EQ(zeros.out, "max=0; min=0\n");
    EXPECT_EQ(zeros.err, "127 127");

    // The extremes of the range and values between: -c..c -> 0..254.
    write_file(path, volume_header(5, 1, 1, 16) + be16(0x8000) + be16(0x7fff) + be16(1) + be16(0xffff) + be16(16384));
    auto wide = run_captured([&] {
        ima3Du1 v{};
        std::fclose(lect_ima3Du1(path.c_str(), &v, 0, 0, 0));
        for (int x = 0; x < 5; ++x) std::fprintf(stderr, "%d ", v.data[0][0][x]);
    });
    EXPECT_EQ(wide.out, "max=32767; min=-32768\n");
    EXPECT_EQ(wide.err, "0 253 127 126 190 ");
}

TEST(VolumeFiles, SignedSixteenBitAndDoubleVolumes) {
    TempDir dir;
    write_file(dir.file("b.vol"), volume_header(2, 1, 1, 8) + std::string("\x03\xc8", 2));
    ima3Ds2 widened{};
    std::fclose(lect_ima3Ds2(dir.file("b.vol").c_str(), &widened, 0, 0, 0));
    EXPECT_EQ(widened.data[0][0][0], 768);
    EXPECT_EQ(widened.data[0][0][1], static_cast<short>(0xc800));
    EXPECT_EQ(widened.nb_bits, 16);

    ima3Ds2 s{};
    s.dimx = 2;
    s.dimy = 2;
    s.dimz = 1;
    allouer_ima3Ds2(&s);
    s.data[0][0][0] = -2;
    s.data[0][0][1] = 0x1234;
    s.data[0][1][1] = 7;
    ASSERT_EQ(ecr_ima3Ds2(dir.file("s.vol").c_str(), &s), 0);
    EXPECT_EQ(read_file(dir.file("s.vol")).substr(80), be16(0xfffe) + be16(0x1234) + be16(0) + be16(7));
    EXPECT_EQ(s.data[0][0][1], 0x1234);  // the caller's volume is unchanged
    ima3Ds2 back{};
    std::fclose(lect_ima3Ds2(dir.file("s.vol").c_str(), &back, 0, 0, 0));
    EXPECT_EQ(back.data[0][0][0], -2);
    EXPECT_EQ(back.data[0][1][1], 7);

    ima3Dd d{};
    d.dimx = 3;
    d.dimy = 1;
    d.dimz = 2;
    allouer_ima3Dd(&d);
    d.data[1][0][2] = -1.25;
    d.data[0][0][0] = 3e300;
    ASSERT_EQ(ecr_ima3Dd(dir.file("d.vol").c_str(), &d), 0);
    EXPECT_EQ(read_file(dir.file("d.vol")).substr(36, 4), std::string("\0\0\0\x40", 4));
    ima3Dd dback{};
    std::fclose(lect_ima3Dd(dir.file("d.vol").c_str(), &dback, 1, 2, 0));
    EXPECT_EQ(dback.dimz, 1);
    EXPECT_EQ(dback.data[0][0][2], -1.25);
    ima3Dd dall{};
    std::fclose(lect_ima3Dd(dir.file("d.vol").c_str(), &dall, 0, 0, 0));
    EXPECT_EQ(dall.data[0][0][0], 3e300);

    auto refused = run_captured([&] {
        ima3Dd x{};
        lect_ima3Dd(dir.file("b.vol").c_str(), &x, 0, 0, 0);
    });
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "Image " + dir.file("b.vol") + " is not double encoded..\n");
    liberer_ima3Ds2(&widened);
    liberer_ima3Ds2(&s);
    liberer_ima3Ds2(&back);
    liberer_ima3Dd(&d);
    liberer_ima3Dd(&dback);
    liberer_ima3Dd(&dall);
}

TEST(VolumeFiles, AllocationIsZeroFilledForEveryType) {
    ima3Du8 big{};
    big.dimx = 5;
    big.dimy = 2;
    big.dimz = 3;
    big.entete = 77;
    allouer_ima3Du8(&big);
    EXPECT_EQ(big.entete, 77);
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(big.data[z][y][x], 0u);
    liberer_ima3Du8(&big);

    ima3Du4 u4{};
    u4.dimx = u4.dimy = u4.dimz = 2;
    allouer_ima3Du4(&u4);
    EXPECT_EQ(u4.data[1][1][1], 0u);
    liberer_ima3Du4(&u4);

    ima3Du1 window{};
    window.dimx = 3;
    window.dimy = 2;
    window.dimz = 40;
    window.nb_seq = 5;
    allouer_ima3Du1_sequence(&window);
    EXPECT_EQ(window.data[4][1][2], 0);
    liberer_ima3Du1_sequence(&window);

    auto refused = run_captured([] {
        ima3Du1 v{};
        v.dimx = 0;
        v.dimy = 1;
        v.dimz = 1;
        allouer_ima3Du1(&v);
    });
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "\n>> ERREUR allouer_ima3Du1 : dimensions 0 x 1 x 1 incorrectes\n");
}

TEST(VolumeFiles, HeaderFieldsAndCopy) {
    TempDir dir;
    write_file(dir.file("src.vol"), volume_header(6, 5, 4, 8, 96) + std::string(120, 'z'));
    std::FILE* src = std::fopen(dir.file("src.vol").c_str(), "rb");
    int value = 0;
    lire_longueur_trace(src, &value);
    EXPECT_EQ(value, 6);
    lire_nb_trace(src, &value);
    EXPECT_EQ(value, 5);
    lire_nb_plan(src, &value);
    EXPECT_EQ(value, 4);
    lire_nb_octet(src, &value);
    EXPECT_EQ(value, 8);
    lire_longueur_entete(src, &value);
    EXPECT_EQ(value, 96);

    std::FILE* dst = std::fopen(dir.file("dst.vol").c_str(), "w+b");
    copie_entete(src, dst, 9, 16);
    EXPECT_EQ(std::ftell(dst), 96);
    ecr_longueur_trace(dst, 11);
    std::fclose(src);
    std::fclose(dst);
    std::string expected = volume_header(11, 5, 9, 16, 96);
    EXPECT_EQ(read_file(dir.file("dst.vol")), expected);

    // Zero keeps the source's planes and bits.
    src = std::fopen(dir.file("src.vol").c_str(), "rb");
    dst = std::fopen(dir.file("same.vol").c_str(), "w+b");
    copie_entete(src, dst, 0, 0);
    std::fclose(src);
    std::fclose(dst);
    EXPECT_EQ(read_file(dir.file("same.vol")), volume_header(6, 5, 4, 8, 96));
}

namespace {

struct Corrupt {
    const char* what;
    std::string bytes;  // "" with missing = true: no file at all
    int mode, first, last;
    std::string message;
    bool missing = false;
};

std::vector<Corrupt> corrupt_volumes() {
    const std::string samples(24, 's');
    return {
        {"missing file", "", 0, 0, 0, "Can't open file @\n", true},
        {"shorter than its header", volume_header(4, 3, 2, 8).substr(0, 50), 0, 0, 0, "plus court que son entete"},
        {"zero samples per trace", volume_header(0, 3, 2, 8) + samples, 0, 0, 0, "dimensions 0 x 3 x 2 incorrectes"},
        {"negative planes", volume_header(4, 3, -2, 8) + samples, 0, 0, 0, "dimensions 4 x 3 x -2 incorrectes"},
        {"12 bits per sample", volume_header(4, 3, 2, 12) + samples, 0, 0, 0, "12 bits par echantillon"},
        {"header length below 80", volume_header(4, 3, 2, 8, 40) + samples, 0, 0, 0, "longueur d'entete 40 incorrecte"},
        {"unknown reading mode", volume_header(4, 3, 2, 8) + samples, 3, 1, 1, "mode de lecture 3 inconnu"},
        {"plane 0", volume_header(4, 3, 2, 8) + samples, 1, 0, 0, "plans 0 a 0 hors du volume"},
        {"plane beyond the volume", volume_header(4, 3, 2, 8) + samples, 1, 3, 0, "plans 3 a 3 hors du volume"},
        {"planes in reverse order", volume_header(4, 3, 2, 8) + samples, 2, 2, 1, "plans 2 a 1 hors du volume"},
        {"last plane beyond the volume", volume_header(4, 3, 2, 8) + samples, 2, 1, 5, "plans 1 a 5 hors du volume"},
        {"samples cut short", volume_header(4, 3, 2, 8) + samples.substr(0, 23), 0, 0, 0, "plus court que ses echantillons"},
        {"16-bit samples cut short", volume_header(4, 3, 2, 16) + samples, 0, 0, 0, "plus court que ses echantillons"},
        {"huge sizes, small file", volume_header(2000000000, 2000000000, 2000000000, 8) + samples, 0, 0, 0,
         "plus court que ses echantillons"},
        {"doubles read as bytes", volume_header(4, 3, 2, 64) + std::string(192, 'd'), 0, 0, 0, "volume de doubles"},
    };
}

}  // namespace

TEST(VolumeFiles, CorruptFilesGiveAMessageAndStatusOne) {
    for (const Corrupt& c : corrupt_volumes()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("c.vol");
        if (!c.missing) write_file(path, c.bytes);
        for (int reader = 0; reader < 2; ++reader) {
            auto run = run_captured([&] {
                if (reader == 0) {
                    ima3Du1 v{};
                    lect_ima3Du1(path.c_str(), &v, c.mode, c.first, c.last);
                } else {
                    ima3Ds2 v{};
                    lect_ima3Ds2(path.c_str(), &v, c.mode, c.first, c.last);
                }
            });
            EXPECT_EQ(run.status, 1);
            std::string expected = c.message;
            if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, path);
            EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST(VolumeFiles, TruncatedAndMutatedFilesNeverCrash) {
    const std::string whole = volume_header(5, 3, 4, 16) + std::string(120, '\x01');
    std::mt19937 random(99);
    for (int trial = 0; trial < 160; ++trial) {
        std::string bytes = whole;
        if (trial < 80) {
            bytes.resize(static_cast<std::size_t>(trial) * whole.size() / 80);
        } else {
            for (int k = 0; k < 3; ++k) bytes[random() % 80] = static_cast<char>(random() % 256);
        }
        SCOPED_TRACE(trial);
        TempDir dir;
        write_file(dir.file("m.vol"), bytes);
        const int mode = static_cast<int>(random() % 3);
        auto run = run_captured([&] {
            ima3Du1 v{};
            std::FILE* f = lect_ima3Du1(dir.file("m.vol").c_str(), &v, mode, 1, 2);
            std::fclose(f);
        });
        EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
        EXPECT_EQ(run.err, "");
    }
}

TEST(VolumeFiles, WriteFailuresEndWithStatusOne) {
    auto uncreatable = run_captured([] {
        ima3Du1 v = make_volume(2, 2, 2, [](int, int, int) { return 1; });
        ecr_ima3Du1("/nonexistent/dir/v.vol", &v);
    });
    EXPECT_EQ(uncreatable.status, 1);
    EXPECT_EQ(uncreatable.out, "\n>> ERREUR ecr_ima3Du1 : creation du fichier /nonexistent/dir/v.vol impossible\n");

    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    auto full = run_captured([] {
        ima3Du1 v = make_volume(64, 64, 64, [](int x, int, int) { return x; });
        ecr_ima3Du1("/dev/full", &v);
    });
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.out.rfind("\n>> ERREUR ecr_ima3Du1 : ecriture", 0), 0u) << full.out;
}
