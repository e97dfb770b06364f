// Truncated and corrupt files for every reader: each gives its message and
// status, never a crash, a sanitizer report or an allocation from an
// unchecked size.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "byte_encoding.hpp"
#include "files.hpp"

using namespace testing_support;

namespace {

// Each reader, on a fresh record.
using Reader = void (*)(read_ima_t*);
template <class Image>
void reads(read_ima_t* d) {
    Image image{};
    read_init(d, &image);
}
constexpr Reader u1 = reads<imau1>, u2 = reads<imau2>, fl = reads<imafl>, cx8 = reads<imacx8>, rvb = reads<imarvb>;

struct Case {
    const char* what;
    Reader reader;
    std::string ext;
    std::map<std::string, std::string> files;  // extension -> contents of "img.<ext>"
    std::string message;  // expected in standard output, with status 1; "@" stands for the folder
};

// Writes the files and reads "img.<ext>" in a child.
Outcome read_in_child(const std::map<std::string, std::string>& files, Reader reader, const std::string& ext,
                      TempDir& dir) {
    write_files(dir, "img", files);
    read_ima_t d = reader_for(dir.file("img"), ext);
    return run_captured([&] { reader(&d); });
}

const std::string kHuge = "2000000000 2000000000";

std::vector<Case> cases() {
    const std::string row8 = "abcd";
    return {
        // 8-bit raw
        {"missing size file", u1, "ima", {{"ima", row8}},
         "\n>> ERREUR read_imau1_init : fichier @/img.dim introuvable\n"},
        {"size file of text", u1, "ima", {{"dim", "abc"}, {"ima", row8}},
         "\n>> ERREUR read_imau1_init : fichier @/img.dim incorrect (deux entiers positifs attendus)\n"},
        {"size file with one number", u1, "ima", {{"dim", "4"}, {"ima", row8}}, "incorrect"},
        {"size file with zero", u1, "ima", {{"dim", "0 4"}, {"ima", row8}}, "incorrect"},
        {"size file with negative", u1, "ima", {{"dim", "4 -1"}, {"ima", row8}}, "incorrect"},
        {"size file beyond int", u1, "ima", {{"dim", "99999999999 1"}, {"ima", row8}}, "incorrect"},
        {"size file beyond long long", u1, "ima", {{"dim", "99999999999999999999 1"}, {"ima", row8}}, "incorrect"},
        {"missing pixel file", u1, "ima", {{"dim", "2 2"}},
         "\n>> ERREUR read_imau1_init : fichier @/img.ima introuvable\n"},
        {"short pixel file", u1, "ima", {{"dim", "3 2"}, {"ima", row8}},
         "\n>> ERREUR read_imau1_init: lecture fichier @/img.ima\n"},
        {"huge sizes, small file", u1, "ima", {{"dim", kHuge}, {"ima", row8}}, "lecture fichier"},
        {"unknown extension", u1, "png", {}, "\n>> ERREUR read_imau1_init : extension png inconnue (.ima/.ras)\n"},
        // 8-bit raster
        {"missing raster", u1, "ras", {}, "\n>> ERREUR read_imau1_init : fichier @/img.ras introuvable\n"},
        {"raster shorter than its header", u1, "ras", {{"ras", std::string(20, 'x')}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"raster with wrong magic", u1, "ras", {{"ras", raster(2, 2, 8, 1, 0, 0, row8, 0x12345678)}},
         "\n>> ERREUR read_imau1_init: magic number incorrect 12345678!=0x59a66a95\n"},
        {"raster of zero width", u1, "ras", {{"ras", raster(0, 2, 8, 1, 0, 0, row8)}}, "dimensions 0 x 2 incorrectes"},
        {"raster of negative height", u1, "ras", {{"ras", raster(2, -2, 8, 1, 0, 0, row8)}},
         "dimensions 2 x -2 incorrectes"},
        {"24-bit raster to the 8-bit reader", u1, "ras", {{"ras", raster(2, 2, 24, 1, 0, 0, row8)}},
         "\n>> ERREUR read_imau1_init: nb bit par pixel 24 != 8"},
        {"colour map longer than 768", u1, "ras",
         {{"ras", raster(2, 2, 8, 1, 1, 771, std::string(771, 'm') + row8)}}, "longueur de LUT 771 incorrecte"},
        {"negative colour map length", u1, "ras", {{"ras", raster(2, 2, 8, 1, 1, -3, row8)}},
         "longueur de LUT -3 incorrecte"},
        {"short colour map", u1, "ras", {{"ras", raster(2, 2, 8, 1, 1, 48, std::string(20, 'm'))}},
         "\n>> ERREUR read_imau1_init: lecture LUT fichier @/img.ras \n"},
        {"short raster rows", u1, "ras", {{"ras", raster(3, 2, 8, 1, 0, 0, "abcdef")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"huge raster, small file", u1, "ras", {{"ras", raster(2000000000, 2000000000, 8, 1, 0, 0, row8)}},
         "lecture fichier"},
        // The whole map (4 colours and 2 more bytes) counts in the length the file must have.
        {"map of 14 bytes, one pixel short", u1, "ras",
         {{"ras", raster(2, 1, 8, 1, 1, 14, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0cxx\x02")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        // 8-bit raster of type 2 (byte-encoded)
        {"encoded stream ending early", u1, "ras", {{"ras", raster(4, 1, 8, 2, 0, 0, "\x01\x02")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"encoded run overflowing the image", u1, "ras", {{"ras", raster(2, 1, 8, 2, 0, 0, "\x80\x02\x07")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"escape at the very end", u1, "ras", {{"ras", raster(2, 1, 8, 2, 0, 0, "\x01\x80")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"escape in place of the last padding", u1, "ras", {{"ras", raster(3, 1, 8, 2, 0, 0, "\x01\x02\x03\x80")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"run without its value", u1, "ras", {{"ras", raster(3, 1, 8, 2, 0, 0, "\x01\x80\x02")}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        {"huge encoded raster, small file", u1, "ras", {{"ras", raster(40000, 40000, 8, 2, 0, 0, row8)}},
         "\n>> ERREUR read_imau1_init : lecture fichier @/img.ras \n"},
        // typed raw
        {"16-bit without size file", u2, "imw", {{"imw", row8}},
         "\n>> ERREUR read_imau2_init : fichier @/img.dim introuvable\n"},
        {"16-bit with garbage size file", u2, "imw", {{"dim", "x y"}, {"imw", row8}},
         "\n>> ERREUR read_imau2_init : fichier @/img.dim incorrect (deux entiers positifs attendus)\n"},
        {"16-bit without pixel file", u2, "imw", {{"dim", "1 1"}},
         "\n>> ERREUR read_imau2_init : Fichier @/img.imw introuvable\n"},
        {"short 16-bit file", u2, "imw", {{"dim", "3 1"}, {"imw", row8}},
         "\n>> ERREUR read_imau2_init :lecture fichier @/img.imw \n"},
        {"huge 16-bit sizes, small file", u2, "imw", {{"dim", kHuge}, {"imw", row8}},
         "\n>> ERREUR read_imau2_init :lecture fichier @/img.imw \n"},
        {"float sizes overflowing memory", fl, "imf", {{"dim", kHuge}, {"imf", row8}},
         "\n>> ERREUR read_imafl_init : dimensions 2000000000 x 2000000000 trop grandes dans @/img.imf\n"},
        {"complex float sizes overflowing memory", cx8, "cxf", {{"dim", "2147483647 2147483647"}, {"cxf", row8}},
         "\n>> ERREUR read_imacx8_init : dimensions 2147483647 x 2147483647 trop grandes dans @/img.cxf\n"},
        {"wrongly spelled float extension", fl, "Imf", {{"dim", "1 1"}, {"Imf", row8}}, "\n extension Imf inconnue\n"},
        // 24-bit raster
        {"missing colour raster", rvb, "ras", {}, "ERREUR: impossible d'ouvrir le fichier @/img.ras\n"},
        {"colour raster shorter than its header", rvb, "ras", {{"ras", "short"}},
         "ERREUR: entete du fichier @/img.ras incomplete\n"},
        {"8-bit raster to the colour reader", rvb, "ras", {{"ras", raster(2, 2, 8, 1, 0, 0, row8)}},
         "inversion entete raster image rvb\nERREUR: image pas au format 24 bits"},
        {"colour raster with a wrong magic number", rvb, "ras",
         {{"ras", raster(1, 1, 24, 1, 0, 0, std::string("rgb\0", 4), 0x12345678)}},
         "inversion entete raster image rvb\nERREUR: magic number incorrect 12345678!=0x59a66a95 dans le fichier "
         "@/img.ras\n"},
        {"colour raster with a map", rvb, "ras",
         {{"ras", raster(1, 1, 24, 1, 1, 3, "abc" + std::string("rgb\0", 4))}},
         "cette image contient une palette, non suporte actuellement\n"},
        {"colour raster of unknown raster type", rvb, "ras", {{"ras", raster(1, 1, 24, 4, 0, 0, "rgb")}},
         "ERREUR: type de raster 4 non supporte (1, 2 ou 3) dans le fichier @/img.ras\n"},
        {"encoded colour stream ending early", rvb, "ras", {{"ras", raster(2, 1, 24, 2, 0, 0, "rgb")}},
         "ERREUR: fichier @/img.ras trop court\n"},
        {"encoded colour run overflowing the image", rvb, "ras", {{"ras", raster(1, 1, 24, 2, 0, 0, "\x80\x04\x07")}},
         "ERREUR: fichier @/img.ras trop court\n"},
        {"encoded colour stream ending in an escape", rvb, "ras", {{"ras", raster(1, 1, 24, 2, 0, 0, "rg\x80")}},
         "ERREUR: fichier @/img.ras trop court\n"},
        {"huge encoded colour raster, small file", rvb, "ras", {{"ras", raster(40000, 40000, 24, 2, 0, 0, "")}},
         "ERREUR: fichier @/img.ras trop court\n"},
        {"colour raster of zero height", rvb, "ras", {{"ras", raster(1, 0, 24, 1, 0, 0, "")}},
         "dimensions 1 x 0 incorrectes"},
        {"short colour rows", rvb, "ras", {{"ras", raster(3, 2, 24, 1, 0, 0, std::string(15, 'p'))}},
         "ERREUR: fichier @/img.ras trop court\n"},
        {"huge colour raster, small file", rvb, "ras", {{"ras", raster(40000, 40000, 24, 1, 0, 0, "")}}, "trop court"},
        {"colour raster overflowing memory", rvb, "ras",
         {{"ras", raster(2000000000, 2000000000, 24, 1, 0, 0, "")}}, "trop grandes"},
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
        {u1, "ras", {{"ras", raster(5, 3, 8, 1, 1, 48, map + std::string(18, 'p'))}}, "ras"},
        {u1, "ima", {{"dim", "5 3"}, {"ima", std::string(15, 'p')}, {"3lt", std::string(768 * 2, '1')}}, "dim"},
        {u2, "imw", {{"dim", "3 2"}, {"imw", std::string(12, 'w')}}, "dim"},
        {rvb, "ras", {{"ras", raster(3, 2, 24, 3, 0, 0, std::string(20, 'c'))}}, "ras"},
        // Byte-encoded rows with runs, escapes and literals.
        {u1, "ras", {{"ras", raster(5, 3, 8, 2, 1, 48, map + byte_encoded("\x80\x80ppppp\x80q\x80rrrrrrrr"))}}, "ras"},
        {rvb, "ras", {{"ras", raster(3, 2, 24, 2, 0, 0, byte_encoded("\x80\x80\x80" "ccccccc\x80" "d\x80" "eeeeee"))}}, "ras"},
    };
}

// Reads the sample with `bytes` in place of its mutated file: the file is
// read or refused, never with a crash or a sanitizer report.
void expect_read_or_refused(const Sample& s, const std::string& bytes) {
    TempDir dir;
    auto files = s.files;
    files[s.mutated] = bytes;
    const Outcome run = read_in_child(files, s.reader, s.ext, dir);
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << run.out;
    EXPECT_EQ(run.err, "");
}

}  // namespace

TEST(CorruptInputs, EachGivesItsMessageAndStatus) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Outcome run = read_in_child(c.files, c.reader, c.ext, dir);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find(in_folder(c.message, dir.path())), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(CorruptInputs, TruncatedOrMutatedFilesAreReadOrRefusedCleanly) {
    std::mt19937 random(12345);
    for (const Sample& s : samples()) {
        const std::string whole = s.files.at(s.mutated);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(s.ext + " cut at " + std::to_string(length));
            expect_read_or_refused(s, whole.substr(0, length));
        }
        // Random changes in the first 40 bytes.
        for (int trial = 0; trial < 60; ++trial) {
            std::string bytes = whole;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < changes; ++k) {
                const std::size_t at = random() % std::min<std::size_t>(bytes.size(), 40);
                bytes[at] = static_cast<char>(random() % 4 == 0 ? 0xff : random() % 256);
            }
            SCOPED_TRACE(s.ext + " trial " + std::to_string(trial));
            expect_read_or_refused(s, bytes);
        }
    }
}
