// confusion-tool end to end: both kinds of ground truth in the three
// dialogue modes with the printed matrix, shares and accuracy worked out by
// hand, and the refusals.

#include <string>
#include <vector>

#include "files.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::string kCount = " Nombre de region a etudier: ",
                  kEval = " Nom du fichier contenant l'image \303\240 \303\251valuer: ",
                  kMode = " Image de test 2D (0) ou 3D (1): ", kImage = " nom complet du fichier image a lire",
                  kPlane = " Numero de la coupe: ", kTruth = " Nom du fichier contenant l'ensemble de test: ";

class ConfusionTool : public ProgramTest {
protected:
    ConfusionTool() : ProgramTest("confusion-tool") {
        // 3 x 2 x 2, N = 3: classes 0 1 3 / 2 0 3 in plane 0, 3 3 0 / 0 0 0 in plane 1.
        write("eval.vol", volume_file(3, 2, 2, byte_string({0, 85, 255, 170, 84, 255, 255, 255, 0, 0, 0, 0})));
        write("truth.vol", volume_file(3, 2, 2, byte_string({0, 1, 2, 2, 4, 3, 3, 0, 0, 0, 1, 0})));
        // 3 columns, 4 rows: row x, column y is the truth of sample x of trace y.
        write_files(dir_, "truth", {{"dim", "3 4"}, {"ima", byte_string({3, 0, 2, 3, 0, 2, 1, 0, 2, 2, 2, 2})}});
        write_files(dir_, "low", {{"dim", "3 2"}, {"ima", std::string(6, '\0')}});
        write("flat.vol", volume_file(3, 2, 1, std::string(6, '\0')));
    }
};

std::string matrix(const std::vector<std::string>& rows, const std::string& total) {
    std::string text =
        "\nMatrice de confusion (lignes : classes de la verite terrain, colonnes : classes evaluees)\n"
        "classe     0     1     2     3   correct\n";
    for (const std::string& r : rows) text += r + "\n";
    return text + "Taux global : " + total + "\n";
}

}  // namespace

TEST_F(ConfusionTool, DialogueModesAndTheMatrixOfEachGroundTruth) {
    const struct {
        std::vector<std::string> questions, replies;
        std::string printed;
    } rows[] = {
        // The (4, 0) pair is not counted: 4 is above N.
        {{kCount, kEval, kMode, kTruth},
         {"3", "eval.vol", "1", "truth.vol"},
         matrix({"     0     4     0     0     1    80.00%", "     1     1     1     0     0    50.00%",
                 "     2     0     0     1     1    50.00%", "     3     0     0     0     2   100.00%"},
                "72.73% (8 sur 11 paires comptees)")},
        {{kCount, kEval, kMode, kImage, kPlane},
         {"3", "eval.vol", "0", "truth.ima", "1"},
         matrix({"     0     3     0     0     0   100.00%", "     1     1     0     0     0     0.00%",
                 "     2     0     0     0     0         -", "     3     0     0     0     2   100.00%"},
                "83.33% (5 sur 6 paires comptees)")},
    };
    for (const auto& r : rows) {
        const Outcome automatic = expect_dialogue_modes(r.questions, r.replies, {});
        EXPECT_NE(automatic.out.find(r.printed), std::string::npos) << automatic.out;
    }
    EXPECT_NE(run({"3", "eval.vol", "0", "truth.ima", "1"}).out.find("\n Image contenant l'ensemble de test \n"),
              std::string::npos);
}

TEST_F(ConfusionTool, Refusals) {
    auto refused = [](const std::string& reply, const std::string& question, const std::string& accepted) {
        return "\n>> ERREUR confusion_matrix_lect : reponse \"" + reply + "\" refusee a la question \"" + question +
               "\" (" + accepted + ")\n";
    };
    const struct {
        std::vector<std::string> replies;
        std::string message;
    } rows[] = {
        {{"0", "eval.vol", "1", "truth.vol"}, refused("0", kCount, "entier de 1 a 255")},
        {{"3", "eval.vol", "0", "truth.ima", "2"}, refused("2", kPlane, "entier de 0 a 1")},
        {{"3", "eval.vol", "0", "low.ima", "0"},
         "\n>> ERREUR confusion_matrix_lect : image de test low.ima de 2 lignes et 3 colonnes, il lui faut au moins 3 "
         "lignes (echantillons par trace) et 2 colonnes (traces par plan) du volume a evaluer\n"},
        {{"3", "eval.vol", "1", "flat.vol"},
         "\n>> ERREUR confusion_matrix_lect : volume de test de 3x2x1 plus petit que le volume a evaluer de 3x2x2\n"},
        {{"3", "eval.vol", "1", "none.vol"}, "Can't open file none.vol\n"},
        {{"3", "eval.vol", "2"},
         "\n>> ERREUR confusion-tool : verite terrain de type 2 inconnu (0 : image 2D, 1 : volume)\n"},
    };
    for (const auto& r : rows) expect_refused(r.replies, 1, r.message);
}
