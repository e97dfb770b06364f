// Truncated and corrupt files for every reader: each gives its message and
// status, never a crash, a sanitizer report or an allocation from an
// unchecked size.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "files.hpp"

using namespace testing_support;

namespace {

enum class Reader { u1, u2, fl, cx8, rvb };

struct Case {
    const char* what;
    Reader reader;
    std::string ext;
    std::map<std::string, std::string> files;  // extension -> contents of "img.<ext>"
    int status;
    std::string message;  // expected in standard output; "@" stands for the folder
};

Outcome read_in_child(const TempDir& dir, Reader reader, const std::string& ext) {
    read_ima_t d = reader_for(dir.file("img"), ext);
    return run_captured([&] {
        switch (reader) {
            case Reader::u1: {
                imau1 i{};
                read_imau1_init(&d, &i);
                break;
            }
            case Reader::u2: {
                imau2 i{};
                read_imau2_init(&d, &i);
                break;
            }
            case Reader::fl: {
                imafl i{};
                read_imafl_init(&d, &i);
                break;
            }
            case Reader::cx8: {
                imacx8 i{};
                read_imacx8_init(&d, &i);
                break;
            }
            case Reader::rvb: {
                imarvb i{};
                read_imarvb_init(&d, &i);
                break;
            }
        }
    });
}

const std::string kHuge = "2000000000 2000000000";

std::vector<Case> cases() {
    const std::string row8 = "abcd";
    return {
        // 8-bit raw
        {"missing size file", Reader::u1, "ima", {{"ima", row8}}, 1,
         "\n>> ERREUR read_imau1_init : fichier @/img.dim introuvable\n"},
        {"size file of text", Reader::u1, "ima", {{"dim", "abc"}, {"ima", row8}}, 1,
         "\n>> ERREUR read_imau1_init : fichier @/img.dim incorrect (deux entiers positifs attendus)\n"},
        {"size file with one number", Reader::u1, "ima", {{"dim", "4"}, {"ima", row8}}, 1, "incorrect"},
        {"size file with zero", Reader::u1, "ima", {{"dim", "0 4"}, {"ima", row8}}, 1, "incorrect"},
        {"size file with negative", Reader::u1, "ima", {{"dim", "4 -1"}, {"ima", row8}}, 1, "incorrect"},
        {"size file beyond int", Reader::u1, "ima", {{"dim", "99999999999 1"}, {"ima", row8}}, 1, "incorrect"},
        {"size file beyond long long", Reader::u1, "ima", {{"dim", "99999999999999999999 1"}, {"ima", row8}}, 1,
         "incorrect"},
        {"missing pixel file", Reader::u1, "ima", {{"dim", "2 2"}}, 1,
         "\n>> ERREUR read_imau1_init : fichier @/img.ima introuvable\n"},
        {"short pixel file", Reader::u1, "ima", {{"dim", "3 2"}, {"ima", row8}}, 1,
         "\n>> ERREUR read_imau1_init: lecture fichier @/img.ima\n"},
        {"huge sizes, small file", Reader::u1, "ima", {{"dim", kHuge}, {"ima", row8}}, 1, "lecture fichier"},
        {"unknown extension", Reader::u1, "png", {}, 1,
         "\n>> ERREUR read_imau1_init : extension png inconnue (.ima/.ras)\n"},
        // 8-bit raster
        {"missing raster", Reader::u1, "ras", {}, 1, "\n>> ERREUR read_imau1_init : fichier @/img.ras introuvable\n"},
        {"raster shorter than its header", Reader::u1, "ras", {{"ras", std::string(20, 'x')}}, 1,
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"raster with wrong magic", Reader::u1, "ras", {{"ras", raster(2, 2, 8, 1, 0, 0, row8, 0x12345678)}}, 1,
         "\n>> ERREUR read_imau1_init: magic number incorrect 12345678!=0x59a66a95\n"},
        {"raster of zero width", Reader::u1, "ras", {{"ras", raster(0, 2, 8, 1, 0, 0, row8)}}, 1,
         "dimensions 0 x 2 incorrectes"},
        {"raster of negative height", Reader::u1, "ras", {{"ras", raster(2, -2, 8, 1, 0, 0, row8)}}, 1,
         "dimensions 2 x -2 incorrectes"},
        {"24-bit raster to the 8-bit reader", Reader::u1, "ras", {{"ras", raster(2, 2, 24, 1, 0, 0, row8)}}, 1,
         "\n>> ERREUR read_imau1_init: nb bit par pixel 24 != 8"},
        {"colour map longer than 768", Reader::u1, "ras",
         {{"ras", raster(2, 2, 8, 1, 1, 771, std::string(771, 'm') + row8)}}, 1, "longueur de LUT 771 incorrecte"},
        {"negative colour map length", Reader::u1, "ras", {{"ras", raster(2, 2, 8, 1, 1, -3, row8)}}, 1,
         "longueur de LUT -3 incorrecte"},
        {"short colour map", Reader::u1, "ras", {{"ras", raster(2, 2, 8, 1, 1, 48, std::string(20, 'm'))}}, 1,
         "\n>> ERREUR read_imau1_init: lecture LUT fichier @/img.ras \n"},
        {"short raster rows", Reader::u1, "ras", {{"ras", raster(3, 2, 8, 1, 0, 0, "abcdef")}}, 1,
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"huge raster, small file", Reader::u1, "ras", {{"ras", raster(2000000000, 2000000000, 8, 1, 0, 0, row8)}}, 1,
         "lecture fichier"},
        // typed raw
        {"16-bit without size file", Reader::u2, "imw", {{"imw", row8}}, 1,
         "\n>> ERREUR read_imau2_init : fichier @/img.dim introuvable\n"},
        {"16-bit with garbage size file", Reader::u2, "imw", {{"dim", "x y"}, {"imw", row8}}, 1,
         "\n>> ERREUR read_imau2_init : fichier @/img.dim incorrect (deux entiers positifs attendus)\n"},
        {"16-bit without pixel file", Reader::u2, "imw", {{"dim", "1 1"}}, 1,
         "\n>> ERREUR read_imau2_init : Fichier @/img.imw introuvable\n"},
        {"short 16-bit file", Reader::u2, "imw", {{"dim", "3 1"}, {"imw", row8}}, 1,
         "\n>> ERREUR read_imau2_init :lecture fichier @/img.imw \n"},
        {"huge 16-bit sizes, small file", Reader::u2, "imw", {{"dim", kHuge}, {"imw", row8}}, 1,
         "\n>> ERREUR read_imau2_init :lecture fichier @/img.imw \n"},
        {"float sizes overflowing memory", Reader::fl, "imf", {{"dim", kHuge}, {"imf", row8}}, 1,
         "\n>> ERREUR read_imafl_init : dimensions 2000000000 x 2000000000 trop grandes dans @/img.imf\n"},
        {"complex float sizes overflowing memory", Reader::cx8, "cxf", {{"dim", "2147483647 2147483647"}, {"cxf", row8}},
         1, "\n>> ERREUR read_imacx8_init : dimensions 2147483647 x 2147483647 trop grandes dans @/img.cxf\n"},
        {"wrongly spelled float extension", Reader::fl, "Imf", {{"dim", "1 1"}, {"Imf", row8}}, 1,
         "\n extension Imf inconnue\n"},
        // 24-bit raster
        {"missing colour raster", Reader::rvb, "ras", {}, 1, "ERREUR: impossible d'ouvrir le fichier @/img.ras\n"},
        {"colour raster shorter than its header", Reader::rvb, "ras", {{"ras", "short"}}, 1,
         "ERREUR: entete du fichier @/img.ras incomplete\n"},
        {"8-bit raster to the colour reader", Reader::rvb, "ras", {{"ras", raster(2, 2, 8, 1, 0, 0, row8)}}, 1,
         "inversion entete raster image rvb\nERREUR: image pas au format 24 bits"},
        {"colour raster with a wrong magic number", Reader::rvb, "ras",
         {{"ras", raster(1, 1, 24, 1, 0, 0, std::string("rgb\0", 4), 0x12345678)}}, 1,
         "inversion entete raster image rvb\nERREUR: magic number incorrect 12345678!=0x59a66a95 dans le fichier "
         "@/img.ras\n"},
        {"colour raster with a map", Reader::rvb, "ras",
         {{"ras", raster(1, 1, 24, 1, 1, 3, "abc" + std::string("rgb\0", 4))}}, 1,
         "cette image contient une palette, non suporte actuellement\n"},
        {"colour raster of unknown raster type", Reader::rvb, "ras", {{"ras", raster(1, 1, 24, 2, 0, 0, "rgb")}}, 1,
         "type de raster 2 non supporte"},
        {"colour raster of zero height", Reader::rvb, "ras", {{"ras", raster(1, 0, 24, 1, 0, 0, "")}}, 1,
         "dimensions 1 x 0 incorrectes"},
        {"short colour rows", Reader::rvb, "ras", {{"ras", raster(3, 2, 24, 1, 0, 0, std::string(15, 'p'))}}, 1,
         "ERREUR: fichier @/img.ras trop court\n"},
        {"huge colour raster, small file", Reader::rvb, "ras", {{"ras", raster(40000, 40000, 24, 1, 0, 0, "")}}, 1,
         "trop court"},
        {"colour raster overflowing memory", Reader::rvb, "ras",
         {{"ras", raster(2000000000, 2000000000, 24, 1, 0, 0, "")}}, 1, "trop grandes"},
    };
}

// Valid files of every reader, for truncation and mutation.
struct Sample {
    Reader reader;
    std::string ext;
    std::map<std::string, std::string> files;
    std::string mutated;  // the extension whose file is cut and mutated
};

std::vector<Sample> samples() {
    std::string map;
    for (int plane = 0; plane < 3; ++plane)
        for (int i = 0; i < 16; ++i) map += static_cast<char>(i * (plane + 3));
    return {
        {Reader::u1, "ras", {{"ras", raster(5, 3, 8, 1, 1, 48, map + std::string(18, 'p'))}}, "ras"},
        {Reader::u1, "ima", {{"dim", "5 3"}, {"ima", std::string(15, 'p')}, {"3lt", std::string(768 * 2, '1')}}, "dim"},
        {Reader::u2, "imw", {{"dim", "3 2"}, {"imw", std::string(12, 'w')}}, "dim"},
        {Reader::rvb, "ras", {{"ras", raster(3, 2, 24, 3, 0, 0, std::string(20, 'c'))}}, "ras"},
    };
}

void write_files(const TempDir& dir, const std::map<std::string, std::string>& files) {
    for (const auto& [ext, contents] : files) write_file(dir.file("img." + ext), contents);
}

}  // namespace

TEST(CorruptInputs, EachGivesItsMessageAndStatus) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_files(dir, c.files);
        auto run = read_in_child(dir, c.reader, c.ext);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.out.find(in_folder(c.message, dir.path())), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(CorruptInputs, EveryTruncationIsReadOrRefusedCleanly) {
    for (const Sample& s : samples()) {
        const std::string whole = s.files.at(s.mutated);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(s.ext + " cut at " + std::to_string(length));
            TempDir dir;
            auto files = s.files;
            files[s.mutated] = whole.substr(0, length);
            write_files(dir, files);
            auto run = read_in_child(dir, s.reader, s.ext);
            EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST(CorruptInputs, RandomlyMutatedHeadersNeverCrash) {
    std::mt19937 random(12345);
    for (const Sample& s : samples()) {
        const std::string whole = s.files.at(s.mutated);
        for (int trial = 0; trial < 60; ++trial) {
            std::string bytes = whole;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < changes; ++k) {
                const std::size_t at = random() % std::min<std::size_t>(bytes.size(), 40);
                bytes[at] = static_cast<char>(random() % 4 == 0 ? 0xff : random() % 256);
            }
            SCOPED_TRACE(s.ext + " trial " + std::to_string(trial));
            TempDir dir;
            auto files = s.files;
            files[s.mutated] = bytes;
            write_files(dir, files);
            auto run = read_in_child(dir, s.reader, s.ext);
            EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << run.out;
            EXPECT_EQ(run.err, "");
        }
    }
}
