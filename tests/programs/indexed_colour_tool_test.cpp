// indexed-colour-tool end to end: its dialogue, the indexed image with its
// palette in either format and the weights file, and refusals before any
// output file.

#include <unistd.h>

#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "indexed_img.h"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image couleur (rvb): nom complet du fichier image a lire",
    ">> image indexee : Nombre de couches - val. max 256 (entier)",
    ">> image indexee : Nombre d'epoques (entier)",
    ">> image indexee (u1): nom complet du fichier image a ecrire",
};

class IndexedColourTool : public ProgramTest {
protected:
    IndexedColourTool() : ProgramTest("indexed-colour-tool") {}

    // "in.ras": a 23 x 17 colour raster of smooth ramps; returns the image.
    imarvb colour_raster() const {
        using Plane = int (*)(int, int);
        imarvb image = make_rvb<Plane>(
            23, 17, [](int x, int y) { return 11 * x + y; }, [](int x, int y) { return 255 - 15 * y + x; },
            [](int x, int y) { return (x * y) % 256; });
        write_image(file("in"), "ras", image);
        return image;
    }

    // The module run in this process, from a folder of its own, written as
    // "expected.<ext>"; returns the WEIGHTS.TXT it wrote.
    std::string expected(const imarvb& in, int n, int epochs, const char* ext) const {
        TempDir elsewhere;
        char previous[4096];
        EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
        EXPECT_EQ(chdir(elsewhere.path().c_str()), 0);
        indexed_img_t d{};
        d.nb_couches = n;
        d.nb_epoques = epochs;
        imau1 out{};
        quietly([&] {
            indexed_img_init(&d, in, &out);
            indexed_img_calc(&d, in, &out);
        });
        EXPECT_EQ(chdir(previous), 0);
        write_image(file("expected"), ext, out);
        free_imadb(&d.poids);
        free_lut_u12(&out);
        free_imau1(&out);
        return read_file(elsewhere.file("WEIGHTS.TXT"));
    }
};

}  // namespace

TEST_F(IndexedColourTool, DialogueModesWriteTheIndexedImageAndWeights) {
    imarvb in = colour_raster();
    expect_dialogue_modes(kQuestions, {"in.ras", "12", "3", "idx.ima"}, {"idx.ima", "idx.dim", "idx.3lt", "WEIGHTS.TXT"});
    for (const char* ext : {"ima", "ras"}) {
        const std::string weights = expected(in, 12, 3, ext);
        const Outcome run = this->run({"in.ras", "12", "3", std::string("idx.") + ext});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("\nOn entraine le reseau ...\n\rEpoque 1 / 3 en cours...\rEpoque 2 / 3 en cours...\rEpoque "
                               "3 / 3 en cours...fait\nOn cree l'image indexee ...fait \n"),
                  std::string::npos)
            << run.out;
        EXPECT_EQ(read(std::string("idx.") + ext), read(std::string("expected.") + ext)) << ext;
        EXPECT_EQ(read("WEIGHTS.TXT"), weights);
    }
    EXPECT_EQ(read("idx.3lt"), read("expected.3lt"));
    free_imarvb(&in);
}

TEST_F(IndexedColourTool, RefusalsComeBeforeAnyOutputFile) {
    imarvb in = colour_raster();
    free_imarvb(&in);
    write("g.dim", "1 1");
    write("g.ima", "A");
    const std::vector<std::string> outputs = {"idx.ima", "idx.dim", "idx.imw", "idx.ras", "WEIGHTS.TXT"};
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"in.ras", "3", "1", "idx.ima"}, "Nombre de couches - val. max 256 (entier)\" (entier de 4 a 256)\n"},
        {{"in.ras", "257", "1", "idx.ima"}, "Nombre de couches - val. max 256 (entier)\" (entier de 4 a 256)\n"},
        {{"in.ras", "8", "-1", "idx.ima"}, "Nombre d'epoques (entier)\" (entier de 0 a 2147483647)\n"},
        {{"in.ras", "8", "1", "idx.imw"}, "une image u1 ne peut pas etre ecrite au format .imw\n"},
        {{"g.ima", "8", "1", "idx.ras"}, "\n>> ERREUR indexed-colour-tool : type d'image u1 non traite (types acceptes : rvb)\n"},
    };
    for (const auto& c : cases) expect_refused(c.args, 1, c.message, outputs);
}
