// LVF files: round trips, boxes, header checks, and the sliding window
// over a whole volume.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "lvf_volume.h"
#include "volume.h"

using namespace testing_support;

namespace {

ima3Du1 numbered(int dimx, int dimy, int dimz) {
    ima3Du1 v = make_volume(dimx, dimy, dimz, [](int x, int y, int z) { return 1 + x + 7 * y + 31 * z; });
    v.entete = 24;
    v.nb_bits = 8;
    return v;
}

// Checks that `out` reports an open failure as "Dans lvf_volume.cpp, ligne
// N, " where line N of the module's source is the report of `function`.
void expect_source_line(const std::string& out, const std::string& function) {
    const std::string lead = "Dans lvf_volume.cpp, ligne ";
    ASSERT_EQ(out.rfind(lead, 0), 0u) << out;
    const int line = std::stoi(out.substr(lead.size()));
    const std::string source = read_file(source_path("io/lvf_volume.cpp"));
    std::size_t at = 0;
    for (int i = 1; i < line && at != std::string::npos; ++i) at = source.find('\n', at) + 1;
    ASSERT_NE(at, std::string::npos);
    const std::string text = source.substr(at, source.find('\n', at) - at);
    EXPECT_NE(text.find("\"" + function + "\""), std::string::npos) << "line " << line << ": " << text;
}

// An LVF stage that takes a file name and a record, by the name it reports.
struct Stage {
    const char* function;
    int (*call)(const char* nom, ima3Du1* v);
};
int write_first_sample(const char* nom, ima3Du1* v) { return write_part_of_volume_u1(nom, v, 0, 0, 0, 1, 1, 1); }
const Stage kWriteVolume{"write_volume_u1", write_volume_u1};
const Stage kWriteBox{"write_part_of_volume_u1", write_first_sample};
const Stage kWriteHeader{"ecriture_entete_lvf", ecriture_entete_lvf};
const Stage kRead{"lect_volume_u1", lect_volume_u1};
const Stage kReadHeader{"lecture_entete_lvf", lecture_entete_lvf};

// Open file descriptors of this process.
int open_descriptors() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) count += entry.exists() ? 1 : 0;
    return count;
}

}  // namespace

TEST(LvfFiles, WholeVolumeRoundTrip) {
    TempDir dir;
    ima3Du1 v = numbered(5, 4, 3);
    ASSERT_EQ(write_volume_u1(dir.file("v.lvf").c_str(), &v), 0);
    const std::string written = read_file(dir.file("v.lvf"));
    EXPECT_EQ(written.substr(0, 8), byte_string({0x80, 0, 0, 0, 0x18, 0, 0, 0}));
    EXPECT_EQ(written, lvf_file(5, 4, 3, samples_of(v)));

    ima3Du1 back{};
    ASSERT_EQ(lect_volume_u1(dir.file("v.lvf").c_str(), &back), 0);
    EXPECT_EQ(described(back), "5x4x3 entete 24 bits 8:" + samples_of(v));
    liberer_ima3Du1(&v);
    liberer_ima3Du1(&back);
}

TEST(LvfFiles, RecordsThatCannotBeWrittenAsLvf) {
    TempDir dir;
    ima3Du1 v = numbered(2, 2, 2);
    // A refused record leaves no file behind, nor do sizes that are not
    // positive.
    const struct {
        int entete, nb_bits, dimy;
        Stage writer;
        int result;
        std::string printed;
    } cases[] = {
        {80, 8, 2, kWriteVolume, 1, "ATTENTION ecriture d'image impossible: entete=80\n"},
        {24, 16, 2, kWriteVolume, 1, "ATTENTION ecriture d'image impossible: profondeur=16\n"},
        {24, 8, 0, kWriteVolume, 1, "write_volume_u1: dimensions 2 x 0 x 2 incorrectes\n"},
        {24, 8, 0, kWriteHeader, -1, "ecriture_entete_lvf: dimensions 2 x 0 x 2 incorrectes\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.printed);
        ima3Du1 record = v;
        record.entete = c.entete;
        record.nb_bits = c.nb_bits;
        record.dimy = c.dimy;
        int result = 0;
        EXPECT_EQ(quietly([&] { result = c.writer.call(dir.file("x.lvf").c_str(), &record); }), c.printed);
        EXPECT_EQ(result, c.result);
        EXPECT_FALSE(file_exists(dir.file("x.lvf")));
    }
    liberer_ima3Du1(&v);
}

// A file that cannot be created or opened is reported with the name of the
// function that failed, on its own source line: writers return -1, readers
// end the process with status 255.
TEST(LvfFiles, OpenFailuresNameTheFunctionAndItsSourceLine) {
    const struct {
        Stage stage;
        int status;
        std::string after;  // what follows the system's message
    } cases[] = {{kWriteVolume, 0, "[-1]"}, {kWriteBox, 0, "[-1]"}, {kWriteHeader, 0, "[-1]"}, {kRead, 255, ""},
                 {kReadHeader, 255, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stage.function);
        const Outcome run = run_captured([&] {
            ima3Du1 v = numbered(2, 2, 2);
            std::fprintf(stderr, "[%d]", c.stage.call("/nonexistent/x.lvf", &v));
        });
        EXPECT_EQ(run.status, c.status);
        expect_source_line(run.out, c.stage.function);
        EXPECT_EQ(run.err, std::string(c.stage.function) + ": No such file or directory\n" + c.after);
    }
}

TEST(LvfFiles, BoxOfAVolume) {
    TempDir dir;
    ima3Du1 v = numbered(6, 5, 4);
    ASSERT_EQ(write_part_of_volume_u1(dir.file("box.lvf").c_str(), &v, 1, 2, 1, 3, 4, 2), 0);
    EXPECT_EQ(read_file(dir.file("box.lvf")),
              lvf_file(3, 3, 2, samples(3, 3, 2, [&](int x, int y, int z) { return v.data[z + 1][y + 2][x + 1]; })));

    int outside = 0;
    EXPECT_EQ(quietly([&] { outside = write_part_of_volume_u1(dir.file("bad.lvf").c_str(), &v, 0, 0, 0, 6, 1, 1); }),
              "write_part_of_volume_u1: boite 0..6 x 0..1 x 0..1 hors du volume 6 x 5 x 4\n");
    EXPECT_EQ(outside, -1);
    EXPECT_FALSE(file_exists(dir.file("bad.lvf")));
    liberer_ima3Du1(&v);
}

TEST(LvfFiles, HeaderChecks) {
    TempDir dir;
    const struct {
        const char* what;
        std::string bytes;
        std::string printed;  // by each of the two readers, "@" standing for its name
    } cases[] = {
        {"one byte too long", lvf_file(2, 2, 2, std::string(9, 'x')),
         "fichier de 33 octets alors que 32 octets attendus!\n"},
        {"one byte short", lvf_file(2, 2, 2, std::string(7, 'x')),
         "fichier de 31 octets alors que 32 octets attendus!\n"},
        {"written on a big-endian host", lvf_file(2, 2, 2, std::string(8, 'x'), static_cast<int>(0x80000000u)),
         "Attention image codee dans l'ordre inverse de la lecture\nNombre magique incorrecte\n"},
        {"another magic number", lvf_file(2, 2, 2, std::string(8, 'x'), 7), "Nombre magique incorrecte\n"},
        {"no magic number", "ab", "lecture impossible du nombre magique\n"},
        {"header cut short", lvf_file(2, 2, 2, "").substr(0, 12),
         "probleme lecture param\350tres dimensionnels de l'image\n"},
        {"16-bit samples", lvf_file(2, 2, 2, std::string(16, 'x'), 128, 24, 16), "Image non codee sur 8bits\n"},
        {"negative size", lvf_file(-2, 2, 2, ""), "@: dimensions -2 x 2 x 2 ou entete 24 incorrectes\n"},
        {"header length below 24", lvf_file(2, 2, 2, std::string(8, 'x'), 128, 8),
         "@: dimensions 2 x 2 x 2 ou entete 8 incorrectes\n"},
        {"sizes whose product overflows", lvf_file(2000000000, 2000000000, 2000000000, ""),
         "fichier de 24 octets alors que 9223372036854775807 octets attendus!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write_file(dir.file("h.lvf"), c.bytes);
        const Outcome run = run_captured([&] {
            ima3Du1 whole{}, window{};
            const int read = lect_volume_u1(dir.file("h.lvf").c_str(), &whole);
            std::fprintf(stderr, "%d %d", read, lect_volume_u1_sequence_first(dir.file("h.lvf").c_str(), &window, 3));
        });
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "-1 -1");
        EXPECT_EQ(run.out, in_folder(c.printed, "lect_volume_u1") + in_folder(c.printed, "lecture_entete_lvf"));
    }
}

TEST(LvfWindow, EveryPlaneIsSeenOnceInOrderWithBorderPlanesAround) {
    TempDir dir;
    const int planes = 9;
    ima3Du1 v = numbered(4, 3, planes);
    ASSERT_EQ(write_volume_u1(dir.file("in.lvf").c_str(), &v), 0);

    for (int width : {1, 3, 5}) {
        SCOPED_TRACE(width);
        ima3Du1 window{};
        const int half = width / 2;
        ASSERT_EQ(lect_volume_u1_sequence_first(dir.file("in.lvf").c_str(), &window, width), half);
        ASSERT_EQ(window.nb_seq, width);

        // A copy of the stream: the centre slot of each window is written
        // out, between zero planes that stand for the planes never centred
        // (plane numbers 1 ... half - 1 before, the last half after).
        ima3Du1 out{};
        copie_entete_ima3du1(&window, &out);
        EXPECT_EQ(out.dimz, planes);
        EXPECT_EQ(out.nb_seq, width);
        out.courant = half;
        const std::string out_name = dir.file("out" + std::to_string(width) + ".lvf");
        ASSERT_EQ(write_volume_u1_sequence_preparation(out_name.c_str(), &out, std::max(half - 1, 0)), 0);

        // Slot i holds plane courant - half + i (planes counted from 1, plane
        // 0 being the zero plane before the volume).
        std::vector<int> centres;
        int status = 0;
        do {
            std::vector<int> held, expected;
            for (int slot = 0; slot < width; ++slot) {
                const int plane = window.courant - half + slot;
                held.push_back(window.data[slot][0][0]);
                expected.push_back(plane >= 1 ? 1 + 31 * (plane - 1) : 0);
            }
            ASSERT_EQ(held, expected) << "centre " << window.courant;
            centres.push_back(window.courant);
            out.data = window.data;
            if (window.courant >= 1) {
                ASSERT_EQ(write_volume_u1_sequence_next(&out), 0);
            }
            const std::string said = quietly([&] { status = lect_volume_u1_sequence_next(&window); });
            EXPECT_EQ(said, status == 0 ? "" : "Lecture sequence suivante impossible: fin du bloc\n");
        } while (status == 0);
        ASSERT_EQ(write_volume_u1_sequence_fermeture(&out, half), 0);

        // Centres run from plane half up to the last plane with a full
        // window, each plane of the file read once, in order.
        std::vector<int> expected_centres;
        for (int c = half; c + half <= planes; ++c) expected_centres.push_back(c);
        EXPECT_EQ(centres, expected_centres);

        // The output is a valid LVF volume of the input's size: centred
        // planes copied, the others zero.
        ima3Du1 back{};
        ASSERT_EQ(lect_volume_u1(out_name.c_str(), &back), 0);
        EXPECT_EQ(described(back), "4x3x9 entete 24 bits 8:" + samples(4, 3, planes, [&](int x, int y, int z) {
                                       const bool centred = z + 1 >= std::max(half, 1) && z + 1 + half <= planes;
                                       return centred ? v.data[z][y][x] : 0;
                                   }));
        liberer_ima3Du1(&back);
        std::fclose(window.fichier);
        liberer_ima3Du1_sequence(&window);
    }
    liberer_ima3Du1(&v);
}

TEST(LvfWindow, WidthRules) {
    TempDir dir;
    ima3Du1 v = numbered(2, 2, 4);
    const std::string in = dir.file("in.lvf");
    write_volume_u1(in.c_str(), &v);
    const Outcome run = run_captured([&] {
        ima3Du1 even{}, zero{}, wide{}, widest{};
        const int c4 = lect_volume_u1_sequence_first(in.c_str(), &even, 4);
        std::fprintf(stderr, "%d %d|", c4, even.nb_seq);
        std::fprintf(stderr, "%d|", lect_volume_u1_sequence_first(in.c_str(), &zero, 0));
        std::fprintf(stderr, "%d|", lect_volume_u1_sequence_first(in.c_str(), &widest, 5));
        std::fprintf(stderr, "%d", lect_volume_u1_sequence_first(in.c_str(), &wide, 7));
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "2 5|-1|2|-1");
    EXPECT_EQ(run.out,
              "lect_volume_u1_sequence_first: attention fenetre de 5 plans utilisee au lieu de 4 demandes\n"
              "lect_volume_u1_sequence_first: largeur de fenetre 0 refusee (au moins 1)\n"
              "lect_volume_u1_sequence_first: fenetre de 7 plans trop large pour un volume de 4 plans\n");

    // A refused window leaves neither its stream nor its planes behind (the
    // leak checker of the test build sees the planes; the stream is counted).
    const int before = open_descriptors();
    for (int width : {0, 7, 9}) {
        ima3Du1 refused{};
        quietly([&] { EXPECT_EQ(lect_volume_u1_sequence_first(in.c_str(), &refused, width), -1); });
        EXPECT_EQ(refused.fichier, nullptr);
        EXPECT_EQ(refused.data, nullptr);
    }
    EXPECT_EQ(open_descriptors(), before);
    liberer_ima3Du1(&v);
}

TEST(LvfFiles, TruncatedAndMutatedFilesNeverCrash) {
    TempDir dir;
    const std::string whole = lvf_file(3, 2, 4, std::string(24, '\x05'));
    std::mt19937 random(5);
    for (int trial = 0; trial < 120; ++trial) {
        std::string bytes = whole;
        if (trial < static_cast<int>(whole.size())) {
            bytes.resize(static_cast<std::size_t>(trial));
        } else {
            for (int k = 0; k < 2; ++k) bytes[random() % 24] = static_cast<char>(random() % 256);
        }
        SCOPED_TRACE(trial);
        write_file(dir.file("m.lvf"), bytes);
        const Outcome run = run_captured([&] {
            ima3Du1 v{}, w{};
            const int whole_result = lect_volume_u1(dir.file("m.lvf").c_str(), &v);
            const int window = lect_volume_u1_sequence_first(dir.file("m.lvf").c_str(), &w, 3);
            if (window >= 0)
                while (lect_volume_u1_sequence_next(&w) == 0) {
                }
            std::fprintf(stderr, "%d", whole_result == 0 && window >= 0 ? 0 : -1);
        });
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.err == "0" || run.err == "-1") << run.err;
        // Only the intact file reads.
        if (bytes == whole) {
            EXPECT_EQ(run.err, "0");
        }
    }
}
