// convert-tool end to end: the three dialogue modes, conversions between
// formats, and refusals before any output file exists.

#include <string>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::string kIn = ">> image a convertir : nom complet du fichier image a lire";
const std::string kOut = ">> image convertie : nom complet du fichier image a ecrire";

class ConvertTool : public ProgramTest {
protected:
    ConvertTool() : ProgramTest("convert-tool") {}

    // A 3 x 2 8-bit image "in.ima".
    void make_ima() const {
        write("in.dim", "3 2");
        write("in.ima", "ABCDEF");
    }
};

}  // namespace

TEST_F(ConvertTool, DialogueModesGiveTheSameRaster) {
    make_ima();
    expect_dialogue_modes({kIn, kOut}, {"in.ima", "first.ras"}, {"first.ras"});
    // The save question offers the program's name with ".ctrl".
    const Outcome manual = run({}, "in.ima\nfirst.ras\nrun\n");
    EXPECT_NE(manual.out.find("? [" + program_path("convert-tool") + ".ctrl] : "), std::string::npos);

    // Overriding a reply in FICHIER mode writes elsewhere and saves it.
    const Outcome changed = run({"run.ctrl"}, "\nsecond.ima\nrun2\n");
    ASSERT_EQ(changed.status, 0);
    EXPECT_EQ(read("second.ima"), "ABCDEF");
    EXPECT_NE(read("run2.ctrl").find("second.ima\t\t#"), std::string::npos);
}

TEST_F(ConvertTool, ConversionsKeepThePixels) {
    make_ima();
    ASSERT_EQ(run({"in.ima", "out.ras"}).status, 0);
    EXPECT_EQ(read("out.ras"), raster_header(3, 2, 8, 8, 1) + std::string("ABC\0DEF\0", 8));
    ASSERT_EQ(run({"out.ras", "back.ima"}).status, 0);
    EXPECT_EQ(read("back.ima"), "ABCDEF");
    EXPECT_EQ(read("back.dim"), "3 2");

    // Host-order files become big-endian.
    write("h.dim", "2 1");
    write("h.IMW", std::string("\x34\x12\xff\x00", 4));
    ASSERT_EQ(run({"h.IMW", "b.imw"}).status, 0);
    EXPECT_EQ(read("b.imw"), be16(0x1234) + be16(0x00ff));

    // Colour rasters of either pixel order are written blue, green, red.
    write("c.ras", raster_header(1, 1, 24, 4, 3) + std::string("RGB\0", 4));
    ASSERT_EQ(run({"c.ras", "d.ras"}).status, 0);
    EXPECT_EQ(read("d.ras"), raster_header(1, 1, 24, 4, 1) + std::string("BGR\0", 4));
}

TEST_F(ConvertTool, RefusalsComeAfterTheDialogueAndBeforeAnyOutputFile) {
    make_ima();
    write("w.dim", "1 1");
    write("w.imw", "\x01\x02");
    expect_refused({"w.imw", "out.ima"}, 1,
                   "\n>> ERREUR ecriture : une image u2 ne peut pas etre ecrite au format .ima\n", {"out.ima", "out.dim"});
    expect_refused({"in.ima", "out.png"}, 1, "\n Erreur : png extension inconnue", {"out.png"});
    expect_refused({"x.tif", "out.ras"}, 1, "extension tif inconnue", {"out.ras"});
    expect_refused({"x", "out.ras"}, 1, "\n>> ERREUR read_ima_lect : nom image incomplet (extension?)", {"out.ras"});

    // A missing input stops the program after the dialogue and its saving.
    const Outcome missing = run({}, "nothere.ima\nout.ras\nsaved\n");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(exists("saved.ctrl"));
    EXPECT_NE(missing.out.find("\n>> ERREUR read_imau1_init : fichier nothere.dim introuvable\n"), std::string::npos);
    EXPECT_FALSE(exists("out.ras"));
}
