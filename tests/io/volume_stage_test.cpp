// The volume reader and writer stages: formats by first bytes and by name,
// plane ranges, header sizes, and refusals before any output file.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "files.hpp"
#include "images.hpp"
#include "volume.h"
#include "volume_stage.h"

using namespace testing_support;

namespace {

int numbered(int x, int y, int z) { return 1 + x + 7 * y + 31 * z; }

const std::string kSamples = samples(5, 4, 3, numbered);

read_vol_t reader(const std::string& nom, int premier = 0, int dernier = 0) {
    read_vol_t d{};
    std::snprintf(d.nom, sizeof d.nom, "%s", nom.c_str());
    d.premier = premier;
    d.dernier = dernier;
    return d;
}

write_vol_t writer(const std::string& nom, bool lvf) {
    write_vol_t d{};
    std::snprintf(d.nom, sizeof d.nom, "%s", nom.c_str());
    d.lvf = lvf ? 1 : 0;
    return d;
}

// The volume read by read_volu1_init, or the refusal.
Outcome read_u1(const read_vol_t& d) {
    return run_captured([&] {
        read_vol_t desc = d;
        ima3Du1 v{};
        read_volu1_init(&desc, &v);
        const std::string s = described(v);
        std::fwrite(s.data(), 1, s.size(), stderr);
    });
}

class VolumeStages : public testing::Test {
protected:
    VolumeStages() {
        write_file(dir.file("v.vol"), volume_file(5, 4, 3, kSamples));
        write_file(dir.file("v.lvf"), lvf_file(5, 4, 3, kSamples));
    }
    TempDir dir;
};

}  // namespace

TEST_F(VolumeStages, BothFormatsReadAlikeWholeOrByPlanes) {
    for (const auto& [name, entete] : {std::pair{"v.vol", 80}, std::pair{"v.lvf", 24}}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name), lengths = " entete " + std::to_string(entete) + " bits 8:";
        EXPECT_EQ(read_u1(reader(path)).err, "5x4x3" + lengths + kSamples);
        EXPECT_EQ(read_u1(reader(path, 2, 2)).err, "5x4x1" + lengths + kSamples.substr(20, 20));
        EXPECT_EQ(read_u1(reader(path, 2, 3)).err, "5x4x2" + lengths + kSamples.substr(20));

        const Outcome outside = read_u1(reader(path, 3, 4));
        EXPECT_EQ(outside.status, 1);
        EXPECT_NE(outside.out.find("plans 3 a 4 hors du volume"), std::string::npos) << outside.out;

        read_vol_t d = reader(path);
        ima3Du1 header{};
        quietly([&] { read_vol_entete(&d, &header); });
        EXPECT_EQ(shape(header), "5x4x3");
        EXPECT_EQ(header.nb_bits, 8);
        EXPECT_EQ(header.data, nullptr);
    }
    // A 16-bit volume file is rescaled.
    write_file(dir.file("s.vol"), volume_header(3, 1, 1, 16) + be16(0xff38) + be16(0) + be16(100));
    const Outcome wide = read_u1(reader(dir.file("s.vol")));
    EXPECT_EQ(wide.out, "max=100; min=-200\n");
    EXPECT_EQ(wide.err, "3x1x1 entete 80 bits 8:" + byte_string({0, 127, 190}));
}

TEST_F(VolumeStages, UnreadableInputsAreRefused) {
    write_file(dir.file("text.txt"), "hello, world");
    write_file(dir.file("cut.lvf"), lvf_file(5, 4, 3, kSamples.substr(1)));
    write_file(dir.file("flat.vol"), volume_header(5, 0, 3, 8));
    write_file(dir.file("flat.lvf"), lvf_file(5, 4, -3, ""));
    const struct {
        const char* name;
        bool header_only;
        std::string message;
    } cases[] = {
        {"none.vol", false, "Can't open file @/none.vol\n"},
        {"text.txt", false, "\n>> ERREUR read_volu1_init : @/text.txt n'est ni un volume LVF ni un fichier volume\n"},
        {"cut.lvf", false, "fichier de 83 octets alors que 84 octets attendus!\n\n>> ERREUR read_volu1_init : volume "
                           "LVF @/cut.lvf illisible\n"},
        {"flat.vol", true, "\n>> ERREUR read_vol_entete : dimensions 5 x 0 x 3 incorrectes dans @/flat.vol\n"},
        {"flat.lvf", true, "dimensions 5 x 4 x -3 ou entete 24 incorrectes\n\n>> ERREUR read_vol_entete : volume LVF "
                           "@/flat.lvf illisible\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const read_vol_t d = reader(dir.file(c.name));
        const Outcome run = c.header_only ? run_captured([&] {
            read_vol_t desc = d;
            ima3Du1 v{};
            read_vol_entete(&desc, &v);
        })
                                          : read_u1(d);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find(in_folder(c.message, dir.path())), std::string::npos) << run.out;
    }
    // Other sample types take volume files only.
    const Outcome lvf_as_doubles = run_captured([&] {
        read_vol_t d = reader(dir.file("v.lvf"));
        ima3Dd v{};
        read_vold_init(&d, &v);
    });
    EXPECT_EQ(lvf_as_doubles.status, 1);
    EXPECT_NE(lvf_as_doubles.out.find("est un volume LVF (8 bits), format non accepte ici"), std::string::npos);
}

TEST_F(VolumeStages, TheNameChoosesTheWrittenFormat) {
    const Outcome run = run_phase(
        {"out.lvf", "out.vol", "out.lvf.bak"},
        [](param* head) {
            write_vol_t a, b, c;
            param* next = write_vol_lect(&c, write_vol_lect(&b, write_vol_lect(&a, head, "q1"), "q2"), "q3");
            std::fprintf(stderr, "%s %d %s %d %s %d", a.nom, a.lvf, b.nom, b.lvf, c.nom, c.lvf);
            return next;
        },
        [](param*, param*) {});
    EXPECT_EQ(run.err, "out.lvf 1 out.vol 0 out.lvf.bak 0");

    ima3Du1 v = make_volume(5, 4, 3, numbered);
    v.entete = 80;  // as read from a volume file
    write_vol_t lvf = writer(dir.file("w.lvf"), true), vol = writer(dir.file("w.vol"), false);
    EXPECT_EQ(write_vol_init(&lvf, 8), 0);
    EXPECT_EQ(write_volu1_ferm(&lvf, &v), 0);
    EXPECT_EQ(write_volu1_ferm(&vol, &v), 0);
    EXPECT_EQ(read_file(lvf.nom), lvf_file(5, 4, 3, kSamples));
    EXPECT_EQ(read_file(vol.nom), volume_file(5, 4, 3, kSamples));
    liberer_ima3Du1(&v);

    // LVF holds 8-bit samples only: a volume of doubles is refused before
    // any file exists.
    const Outcome doubles = run_captured([&] {
        ima3Dd d = make_volume<ima3Dd>(2, 2, 2, numbered);
        write_vol_t desc = writer(dir.file("d.lvf"), true);
        write_vold_ferm(&desc, &d);
    });
    EXPECT_EQ(doubles.status, 1);
    EXPECT_NE(doubles.out.find("un volume de 64 bits ne peut pas etre ecrit au format LVF"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("d.lvf")));
}
