// Volume files: byte layout, reading modes, the 16-bit rescaling, header
// helpers, and a table of truncated and corrupt files.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "support.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

int numbered(int x, int y, int z) { return x + 10 * y + 100 * z; }

// Where lect_ima3Du1 leaves the file in a mode, then what it read.
std::string read_u1(const std::string& path, int mode, int first, int last) {
    ima3Du1 v{};
    std::FILE* f = lect_ima3Du1(path.c_str(), &v, mode, first, last);
    const std::string read = "at " + std::to_string(std::ftell(f)) + " " + described(v);
    std::fclose(f);
    liberer_ima3Du1(&v);
    return read;
}

// A volume of Volume's type read from `path` by `lect` in a mode.
template <class Volume>
Volume read_volume(FILE* (*lect)(const char*, Volume*, int, int, int), const std::string& path, int mode = 0,
                   int first = 0, int last = 0) {
    Volume v{};
    std::fclose(lect(path.c_str(), &v, mode, first, last));
    return v;
}

// Allocates a 5 x 2 x 3 volume of Volume's type whose header length is set
// beforehand, and checks that the length is kept and every sample is zero.
template <class Volume>
void expect_zero_filled() {
    Volume v{};
    v.dimx = 5;
    v.dimy = 2;
    v.dimz = 3;
    v.entete = 77;
    allocate(&v);
    EXPECT_EQ(v.entete, 77);
    EXPECT_EQ(values_of(v), std::vector<sample_t<Volume>>(30, 0));
    release(&v);
}

}  // namespace

TEST(VolumeFiles, WrittenLayoutIsBigEndianHeaderThenSamples) {
    TempDir dir;
    ima3Du1 v = make_volume(4, 3, 2, numbered);
    ASSERT_EQ(ecr_ima3Du1(dir.file("v.vol").c_str(), &v), 0);
    const std::string written = read_file(dir.file("v.vol"));
    EXPECT_EQ(written, volume_header(4, 3, 2, 8) + samples_of(v));
    EXPECT_EQ(written.substr(4, 4), byte_string({0, 0, 0, 4}));
    EXPECT_EQ(written.substr(72, 4), byte_string({0, 0, 0, 80}));
    liberer_ima3Du1(&v);
    EXPECT_EQ(v.data, nullptr);
}

TEST(VolumeFiles, ReadingModesSelectPlanesAndSixteenBitsAreRescaled) {
    const std::string all = samples(4, 3, 2, numbered), header = volume_header(4, 3, 2, 8);
    const std::string sixteen = "x1x1 entete 80 bits 8:";
    const struct {
        const char* what;
        std::string file;
        int mode, first, last;
        std::string printed, read;  // read: left just after the samples read
    } cases[] = {
        {"whole volume", header + all, 0, 0, 0, "", "at 104 4x3x2 entete 80 bits 8:" + all},
        {"one plane", header + all, 1, 2, 0, "", "at 104 4x3x1 entete 80 bits 8:" + all.substr(12)},
        {"a range of planes", header + all, 2, 1, 2, "", "at 104 4x3x2 entete 80 bits 8:" + all},
        // A longer header is skipped by its stored length.
        {"longer header", volume_header(4, 3, 2, 8, 100) + all, 1, 1, 0, "",
         "at 112 4x3x1 entete 100 bits 8:" + all.substr(0, 12)},
        {"16 bits of both signs", volume_header(3, 1, 1, 16) + be16(0xff38) + be16(0) + be16(100), 0, 0, 0,
         "max=100; min=-200\n", "at 86 3" + sixteen + byte_string({0, 127, 190})},
        // Every sample maps to 127, with no division by zero.
        {"16 bits all 0", volume_header(2, 1, 1, 16) + be16(0) + be16(0), 0, 0, 0, "max=0; min=0\n",
         "at 84 2" + sixteen + byte_string({127, 127})},
        // The extremes of the range and values between: -c..c -> 0..254.
        {"16 bits, whole range", volume_header(5, 1, 1, 16) + be16(0x8000) + be16(0x7fff) + be16(1) + be16(0xffff) +
         be16(16384), 0, 0, 0, "max=32767; min=-32768\n", "at 90 5" + sixteen + byte_string({0, 253, 127, 126, 190})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_file(dir.file("v.vol"), c.file);
        std::string read;
        EXPECT_EQ(quietly([&] { read = read_u1(dir.file("v.vol"), c.mode, c.first, c.last); }), c.printed);
        EXPECT_EQ(read, c.read);
    }
}

TEST(VolumeFiles, SignedSixteenBitAndDoubleVolumes) {
    TempDir dir;
    write_file(dir.file("b.vol"), volume_header(2, 1, 1, 8) + "\x03\xc8");
    ima3Ds2 widened = read_volume(lect_ima3Ds2, dir.file("b.vol"));
    EXPECT_EQ(values_of(widened), (std::vector<short>{768, static_cast<short>(0xc800)}));
    EXPECT_EQ(widened.nb_bits, 16);

    const std::vector<short> shorts = {-2, 0x1234, 0, 7};
    ima3Ds2 s = make_volume<ima3Ds2>(2, 2, 1, [&](int x, int y, int) { return shorts[y * 2 + x]; });
    ASSERT_EQ(ecr_ima3Ds2(dir.file("s.vol").c_str(), &s), 0);
    EXPECT_EQ(read_file(dir.file("s.vol")).substr(80), be16(0xfffe) + be16(0x1234) + be16(0) + be16(7));
    EXPECT_EQ(values_of(s), shorts);  // the caller's volume is unchanged
    ima3Ds2 back = read_volume(lect_ima3Ds2, dir.file("s.vol"));
    EXPECT_EQ(values_of(back), shorts);

    const std::vector<double> doubles = {3e300, 0, 0, 0, 0, -1.25};
    ima3Dd d = make_volume<ima3Dd>(3, 1, 2, [&](int x, int, int z) { return doubles[z * 3 + x]; });
    ASSERT_EQ(ecr_ima3Dd(dir.file("d.vol").c_str(), &d), 0);
    EXPECT_EQ(read_file(dir.file("d.vol")).substr(36, 4), byte_string({0, 0, 0, 64}));
    ima3Dd second = read_volume(lect_ima3Dd, dir.file("d.vol"), 1, 2);
    EXPECT_EQ(shape(second), "3x1x1");
    EXPECT_EQ(values_of(second), (std::vector<double>{0, 0, -1.25}));
    ima3Dd all = read_volume(lect_ima3Dd, dir.file("d.vol"));
    EXPECT_EQ(values_of(all), doubles);

    EXPECT_TRUE(ended(run_captured([&] { read_volume(lect_ima3Dd, dir.file("b.vol")); }), 1,
                      "Image " + dir.file("b.vol") + " is not double encoded..\n"));
    for (ima3Ds2* v : {&widened, &s, &back}) liberer_ima3Ds2(v);
    for (ima3Dd* v : {&d, &second, &all}) liberer_ima3Dd(v);
}

TEST(VolumeFiles, AllocationIsZeroFilledForEveryType) {
    expect_zero_filled<ima3Du1>();
    expect_zero_filled<ima3Ds2>();
    expect_zero_filled<ima3Du4>();
    expect_zero_filled<ima3Du8>();
    expect_zero_filled<ima3Dd>();

    ima3Du1 window{};
    window.dimx = 3;
    window.dimy = 2;
    window.dimz = 40;
    window.nb_seq = 5;
    allouer_ima3Du1_sequence(&window);
    EXPECT_EQ(window.data[4][1][2], 0);
    liberer_ima3Du1_sequence(&window);

    EXPECT_TRUE(ended(run_captured([] { make_volume(0, 1, 1, numbered); }), 1,
                      "\n>> ERREUR allouer_ima3Du1 : dimensions 0 x 1 x 1 incorrectes\n"));
}

TEST(VolumeFiles, HeaderFieldsAndCopy) {
    TempDir dir;
    write_file(dir.file("src.vol"), volume_header(6, 5, 4, 8, 96) + std::string(120, 'z'));
    std::FILE* src = std::fopen(dir.file("src.vol").c_str(), "rb");
    std::vector<int> fields;
    for (auto read : {lire_longueur_trace, lire_nb_trace, lire_nb_plan, lire_nb_octet, lire_longueur_entete}) {
        int value = 0;
        read(src, &value);
        fields.push_back(value);
    }
    EXPECT_EQ(fields, (std::vector<int>{6, 5, 4, 8, 96}));

    std::FILE* dst = std::fopen(dir.file("dst.vol").c_str(), "w+b");
    copie_entete(src, dst, 9, 16);
    EXPECT_EQ(std::ftell(dst), 96);
    ecr_longueur_trace(dst, 11);
    std::fclose(dst);
    EXPECT_EQ(read_file(dir.file("dst.vol")), volume_header(11, 5, 9, 16, 96));

    // Zero keeps the source's planes and bits.
    dst = std::fopen(dir.file("same.vol").c_str(), "w+b");
    copie_entete(src, dst, 0, 0);
    std::fclose(src);
    std::fclose(dst);
    EXPECT_EQ(read_file(dir.file("same.vol")), volume_header(6, 5, 4, 8, 96));
}

TEST(VolumeFiles, CorruptFilesGiveAMessageAndStatusOne) {
    const std::string ok = volume_header(4, 3, 2, 8), body(24, 's');
    const struct {
        const char* what;
        std::string bytes;  // "" with missing = true: no file at all
        int mode, first, last;
        std::string message;
        bool missing = false;
    } cases[] = {
        {"missing file", "", 0, 0, 0, "Can't open file @\n", true},
        {"shorter than its header", ok.substr(0, 50), 0, 0, 0, "plus court que son entete"},
        {"zero samples per trace", volume_header(0, 3, 2, 8) + body, 0, 0, 0, "dimensions 0 x 3 x 2 incorrectes"},
        {"negative planes", volume_header(4, 3, -2, 8) + body, 0, 0, 0, "dimensions 4 x 3 x -2 incorrectes"},
        {"12 bits per sample", volume_header(4, 3, 2, 12) + body, 0, 0, 0, "12 bits par echantillon"},
        {"header length below 80", volume_header(4, 3, 2, 8, 40) + body, 0, 0, 0, "longueur d'entete 40 incorrecte"},
        {"unknown reading mode", ok + body, 3, 1, 1, "mode de lecture 3 inconnu"},
        {"plane 0", ok + body, 1, 0, 0, "plans 0 a 0 hors du volume"},
        {"plane beyond the volume", ok + body, 1, 3, 0, "plans 3 a 3 hors du volume"},
        {"planes in reverse order", ok + body, 2, 2, 1, "plans 2 a 1 hors du volume"},
        {"last plane beyond the volume", ok + body, 2, 1, 5, "plans 1 a 5 hors du volume"},
        {"samples cut short", ok + body.substr(0, 23), 0, 0, 0, "plus court que ses echantillons"},
        {"16-bit samples cut short", volume_header(4, 3, 2, 16) + body, 0, 0, 0, "plus court que ses echantillons"},
        {"huge sizes, small file", volume_header(2000000000, 2000000000, 2000000000, 8) + body, 0, 0, 0,
         "plus court que ses echantillons"},
        {"doubles read as bytes", volume_header(4, 3, 2, 64) + std::string(192, 'd'), 0, 0, 0, "volume de doubles"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("c.vol");
        if (!c.missing) write_file(path, c.bytes);
        for (const bool eight_bits : {true, false}) {
            const Outcome run = run_captured([&] {
                if (eight_bits) read_volume(lect_ima3Du1, path, c.mode, c.first, c.last);
                else read_volume(lect_ima3Ds2, path, c.mode, c.first, c.last);
            });
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.out.find(in_folder(c.message, path)), std::string::npos) << run.out;
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
        const Outcome run = run_captured([&] {
            ima3Du1 v{};
            std::fclose(lect_ima3Du1(dir.file("m.vol").c_str(), &v, mode, 1, 2));
        });
        EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
        EXPECT_EQ(run.err, "");
    }
}

TEST(VolumeFiles, WriteFailuresEndWithStatusOne) {
    const Outcome uncreatable = run_captured([] {
        ima3Du1 v = make_volume(2, 2, 2, numbered);
        ecr_ima3Du1("/nonexistent/dir/v.vol", &v);
    });
    EXPECT_TRUE(
        ended(uncreatable, 1, "\n>> ERREUR ecr_ima3Du1 : creation du fichier /nonexistent/dir/v.vol impossible\n"));

    if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Outcome full = run_captured([] {
        ima3Du1 v = make_volume(64, 64, 64, numbered);
        ecr_ima3Du1("/dev/full", &v);
    });
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.out.rfind("\n>> ERREUR ecr_ima3Du1 : ecriture", 0), 0u) << full.out;
}
