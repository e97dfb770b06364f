// choquet-tool end to end: the coefficient file named in the three dialogue
// modes and the criteria file on standard input, the score and the lines
// around it, and every refusal with its status.

#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

const char* kQuestion = " choquet_interaction: nom complet du fichier";

class ChoquetTool : public ProgramTest {
protected:
    ChoquetTool() : ProgramTest("choquet-tool") {
        write("coef.txt", "3\n0.25 0 0.5\n0.25 0\n0.5\n");
        write("crit.txt", "1 0.5\n0\n");
    }
};

// The run's lines from the criteria prompt to the end.
const std::string kScored =
    "\n\nPAS D'ERREUR => PREPARATION AU CALCUL :"
    "\nDonner le nom du fichier des criteres : -> Le fichier des criteres est : \t\tcrit.txt\n"
    "\n-> Allocation memoire (3 coeff)...\t\tOK.\n"
    "-> Ouverture du fichier...\t\t\tOK\n"
    "-> Criteres rentres et fichier ferme...\t\tOK\n"
    "\nAffichage des coefficients d'interactions :\n"
    " 0.250000\t  0.000000\t  0.500000\t \n"
    " 0.000000\t  0.250000\t  0.000000\t \n"
    " 0.500000\t  0.000000\t  0.500000\t \n"
    "\nAffichage des criteres :\n"
    " 1.000000\t  0.500000\t  0.000000\t \n"
    "\n\nCALCUL EN COURS...\n"
    "\n...CALCUL OK.\n\n\n***************************\nRESULTAT = 0.1250\n***************************\n"
    "\n-> Lib\351ration m\351moire associ\351e aux crit\350res...\tOK"
    "\n-> Lib\351ration m\351moire associ\351e aux coefficients...OK\n\nFin.\n";

TEST_F(ChoquetTool, ScoresInTheThreeDialogueModes) {
    const struct {
        std::vector<std::string> args;
        std::string input;
    } modes[] = {
        {{"coef.txt"}, "crit.txt\n"},
        {{}, "coef.txt\nrun\ncrit.txt\n"},
        {{"run.ctrl"}, "\n\ncrit.txt\n"},
    };
    for (const auto& m : modes) {
        const Outcome run_ = run(m.args, m.input);
        EXPECT_EQ(run_.status, 0) << run_.out;
        EXPECT_EQ(run_.err, "");
        EXPECT_NE(run_.out.find("\n\nLECTURE EN COURS...\n"), std::string::npos) << run_.out;
        EXPECT_NE(run_.out.find("\n-> Le fichier des coefficients est : \t\tcoef.txt\n\nINITIALISATION EN COURS...\n"
                                "-> Ouverture fichier en cours...\t\tOK.\n"),
                  std::string::npos)
            << run_.out;
        EXPECT_NE(run_.out.find("\n...FIN INITIALISATION." + kScored), std::string::npos) << run_.out;
    }
    EXPECT_EQ(read("run.ctrl"), ctrl_text({"coef.txt"}, {kQuestion}));
}

TEST_F(ChoquetTool, RefusedFiles) {
    write("one.txt", "0.5");
    const struct {
        std::string coefficients;  // contents of c.txt ("" for no file)
        std::string input;
        std::string message;
    } rows[] = {
        {"", "crit.txt", "\nERREUR DETECTEE A L'OUVERTURE DU FICHIER : \nEchec ouverture.\nFin.\n"},
        {"2 0.5 -1 0.5", "crit.txt",
         "matrice non carree et probleme sur le nombre de lignes.\nFin.\n"},
        {"3 0.5 0 0 0.5 0", "crit.txt", "probleme sur le nombre de lignes.\nFin.\n"},
        {"2 0.5 0 0.6", "crit.txt",
         "\nERREUR DETECTEE SUR LES COEFFICIENTS DE PONDERATION : \nleur somme doit faire 1.\nFin.\n"},
        {"2 0.2 0.41 0.8", "crit.txt",
         "\nERREUR DETECTEE SUR LES COEFFICIENTS D'INTERACTION : \nils ne verifient pas la condition permettant le "
         "passage a la mesure floue.\nFin.\n"},
        {"2 0.5 0 0.5", "", "\n>> ERREUR choquet-tool : nom du fichier des criteres absent\n"},
        {"2 0.5 0 0.5", "none.txt", "\n>> ERREUR choquet-tool : impossible d'ouvrir le fichier des criteres none.txt\n"},
        {"2 0.5 0 0.5", "one.txt", "fichier des criteres one.txt : 1 valeurs lues, 2 attendues\n"},
    };
    for (const auto& r : rows) {
        remove("c.txt");
        if (!r.coefficients.empty()) write("c.txt", r.coefficients);
        const Outcome refused = run({"c.txt"}, r.input);
        EXPECT_EQ(refused.status, 1) << r.coefficients;
        EXPECT_NE(refused.out.find(r.message), std::string::npos) << refused.out;
        EXPECT_EQ(refused.out.find("RESULTAT"), std::string::npos) << refused.out;
    }
}

TEST_F(ChoquetTool, NamesOfAnyLength) {
    const std::string coefficients = std::string(150, 'c') + ".txt", criteria = std::string(250, 'x') + ".txt";
    write(coefficients, "2 0.5 1 0.5");
    write(criteria, "0 1");
    const Outcome scored = run({coefficients}, criteria + "\n");
    EXPECT_EQ(scored.status, 0) << scored.out;
    EXPECT_NE(scored.out.find("\nRESULTAT = 0.0000\n"), std::string::npos) << scored.out;
}

}  // namespace
