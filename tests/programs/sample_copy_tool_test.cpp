// sample-copy-tool end to end: the dialogue in three modes, the offset on
// an 8-bit and a rescaled 16-bit volume, LVF output.

#include <cstdio>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

class SampleCopyTool : public ProgramTest {
protected:
    SampleCopyTool() : ProgramTest("sample-copy-tool") {
        write("in.vol", volume_file(3, 2, 1, std::string("\x00\x01\xfa\xff\x10\x20", 6)));
    }
};

}  // namespace

TEST_F(SampleCopyTool, DialogueModesAddTheOffset) {
    expect_dialogue_modes({">> volume initial : nom complet du fichier volume a lire", ">> essai : dimX (entier)",
                           ">> essai : dimY (entier)", ">> essai : gain (reel)", ">> essai : forme (nom)",
                           ">> volume resultat : nom complet du fichier volume a ecrire"},
                          {"in.vol", "3", "4", "0.5", "cube", "out.vol"}, {"out.vol"});
    ASSERT_EQ(run({"in.vol", "3", "4", "0.5", "cube", "out.vol"}).status, 0);
    EXPECT_EQ(read("out.vol"), volume_file(3, 2, 1, std::string("\x0c\x0d\x06\x0b\x1c\x2c", 6)));
    // The same as an LVF file.
    ASSERT_EQ(run({"in.vol", "3", "4", "0.5", "cube", "out.lvf"}).status, 0);
    EXPECT_EQ(read("out.lvf"), lvf_file(3, 2, 1, std::string("\x0c\x0d\x06\x0b\x1c\x2c", 6)));
    // A 16-bit volume is rescaled as the volume reader does, then shifted.
    write("wide.vol", volume_header(3, 1, 1, 16) + std::string("\x00\x00\x03\xe8\x01\x00", 6));
    ASSERT_EQ(run({"wide.vol", "1", "1", "0", "cube", "wide_out.vol"}).status, 0);
    ima3Du1 rescaled{};
    std::fclose(lect_ima3Du1(file("wide.vol").c_str(), &rescaled, 0, 0, 0));
    std::string shifted;
    for (unsigned char v : values_of(rescaled)) shifted += static_cast<char>(v + 1);
    EXPECT_EQ(read("wide_out.vol"), volume_file(3, 1, 1, shifted));
    liberer_ima3Du1(&rescaled);
}
