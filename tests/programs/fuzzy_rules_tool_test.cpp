// fuzzy-rules-tool end to end: both classifiers in the three dialogue
// modes, the files they write against the one-vector evaluation of the
// same base, and the refusals, all made before any output file exists.

#include <bit>
#include <string>
#include <vector>

#include "../operators/classification/rule_bases.hpp"
#include "program_test.hpp"

using namespace testing_support;

namespace {

const std::string kSymbolic =
    "3 x 2 low 0 0 200 high 50 200 200 y 2 low 0 0 255 high 0 255 255 c 3 A 0 0 1 B 1 2 3 C 3 4 4\n"
    "4 low low A 1 high high B 0.5 low high C 1 high low C 0.75\n";
const std::string kGradual =
    "3 x 2 up 2 0 255 down 3 40 200 y 2 in 4 64 192 out 5 64 192 c 3 P 2 0 1 Z 0 Q 1\n"
    "3 up in P 1 down out Q 0.5 up out Q 0.25\n";

// Two 5 x 3 attribute images.
std::vector<int> level(int m) {
    std::vector<int> v;
    for (int p = 0; p < 15; ++p) v.push_back((p * (37 + 50 * m) + 11 * m) % 256);
    return v;
}

std::vector<std::string> questions(int classifier, int n) {
    std::vector<std::string> q = {">> classifieur (0 = symbolique, 1 = graduel)", ">> regles floues : fichier d'initialisation"};
    if (classifier == 0)
        q.insert(q.end(), {">> regles floues : type de Tnorme (0-3)", ">> regles floues : type de Tconorme (0-3)"});
    else
        for (const char* kind : {"premisse", "combinaison", "projection"})
            q.push_back(std::string(">> regles floues : type de l'operateur pour ") + kind + " (0-8)");
    q.insert(q.end(), {">> regles floues : type de d\351fuzzification (0-1)", ">> nombre d'images attributs"});
    for (int i = 1; i <= n; ++i)
        q.push_back(">> attribut " + std::to_string(i) + "/" + std::to_string(n) + " (u1): nom complet du fichier image a lire");
    q.push_back(">> classification : nom complet du fichier image a ecrire");
    return q;
}

class FuzzyRulesTool : public ProgramTest {
protected:
    FuzzyRulesTool() : ProgramTest("fuzzy-rules-tool") {
        write("symb.txt", kSymbolic);
        write("grad.txt", kGradual);
        for (int m = 0; m < 2; ++m) {
            std::string bytes;
            for (int v : level(m)) bytes += static_cast<char>(v);
            write("a" + std::to_string(m) + ".dim", "5 3");
            write("a" + std::to_string(m) + ".ima", bytes);
        }
        write("big.dim", "6 3");
        write("big.ima", std::string(18, '\1'));
        write("w.dim", "5 3");
        write("w.imw", std::string(30, '\0'));
    }

    // What the one-vector evaluation gives for every pixel, as the bytes of
    // an ima (defuzzification 0) or an imf file.
    template <class Desc, class Calc>
    std::string expected(Desc d, Calc calc) const {
        std::string bytes;
        float outputs[8];
        for (int p = 0; p < 15; ++p) {
            const float inputs[] = {static_cast<float>(level(0)[p]), static_cast<float>(level(1)[p])};
            const float r = calc(&d, inputs, outputs);
            bytes += d.type_defuzzification == 0 ? std::string(1, static_cast<char>(r)) : be32(std::bit_cast<unsigned>(r));
        }
        return bytes;
    }
};

TEST_F(FuzzyRulesTool, BothClassifiersInTheThreeDialogueModes) {
    const struct {
        std::vector<std::string> replies;
        const char* output;
    } runs[] = {
        {{"0", "symb.txt", "1", "0", "0", "2", "a0.ima", "a1.ima", "out.ima"}, "out.ima"},
        {{"0", "symb.txt", "0", "2", "1", "2", "a0.ima", "a1.ima", "out.imf"}, "out.imf"},
        {{"1", "grad.txt", "0", "8", "4", "0", "2", "a0.ima", "a1.ima", "out.ima"}, "out.ima"},
        {{"1", "grad.txt", "1", "1", "5", "1", "2", "a0.ima", "a1.ima", "out.imf"}, "out.imf"},
    };
    for (const auto& r : runs) {
        const int classifier = r.replies[0] == "1";
        SCOPED_TRACE(r.replies[1] + " " + r.output);
        expect_dialogue_modes(questions(classifier, 2), r.replies, {r.output, "out.dim"});
        ASSERT_EQ(run(r.replies).status, 0);
        EXPECT_EQ(read("out.dim"), "5 3");
        const auto code = [&](int k) { return std::stoi(r.replies[k]); };
        if (classifier == 0)
            EXPECT_EQ(read(r.output), expected(rule_bases::symbolic(dir_, kSymbolic, code(2), code(3), code(4), "s.txt"),
                                               ff_symb_calc));
        else
            EXPECT_EQ(read(r.output), expected(rule_bases::gradual(dir_, kGradual, code(2), code(3), code(4), code(5), "g.txt"),
                                               grClassif_calc));
        remove(r.output);
        remove("out.dim");
    }
}

TEST_F(FuzzyRulesTool, RefusalsComeBeforeAnyOutputFile) {
    write("short.txt", "3 x 1 t 0 y 1");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } refusals[] = {
        {{"2"}, "\" refusee a la question \">> classifieur (0 = symbolique, 1 = graduel)\""},
        {{"0", "symb.txt", "0", "0", "0", "1", "a0.ima", "out.ima"},
         "\n>> ERREUR ff_symb_u1_init : 1 images attributs pour 2 variables d'entree de la base de regles\n"},
        {{"1", "grad.txt", "0", "0", "4", "0", "3", "a0.ima", "a1.ima", "a0.ima", "out.ima"},
         "\n>> ERREUR grClassif_u1_init : 3 images attributs pour 2 variables d'entree"},
        {{"0", "symb.txt", "0", "0", "0", "2", "a0.ima", "big.ima", "out.ima"},
         "\n>> ERREUR ff_symb_u1_init : tailles differentes : attribut 2/2 (big.ima) 6x3, attribut 1/2 (a0.ima) 5x3\n"},
        {{"0", "symb.txt", "0", "0", "0", "2", "a0.ima", "w.imw", "out.ima"}, "type d'image u2 non traite"},
        {{"0", "symb.txt", "0", "0", "0", "2", "a0.ima", "a1.ima", "out.imf"}, "une image u1 ne peut pas etre ecrite au format .imf"},
        {{"1", "grad.txt", "0", "0", "4", "1", "2", "a0.ima", "a1.ima", "out.ima"}, "une image fl ne peut pas etre ecrite au format .ima"},
        {{"1", "grad.txt", "0", "0", "9", "1", "2", "a0.ima", "a1.ima", "out.imf"}, "Erreur sur le choix du type d'operateur\n"},
        {{"0", "symb.txt", "4", "0", "0", "2", "a0.ima", "a1.ima", "out.ima"}, "erreur sur le choix du type de T-norme\n"},
        {{"0", "nothing.txt", "0", "0", "0", "2", "a0.ima", "a1.ima", "out.ima"}, "ERREUR: impossible d'ouvrir le fichier nothing.txt\n"},
        {{"1", "short.txt", "0", "0", "4", "0", "2", "a0.ima", "a1.ima", "out.ima"}, "fin de fichier avant nom du terme 1 de y"},
    };
    for (const auto& r : refusals) expect_refused(r.args, 1, r.message, {"out.ima", "out.imf", "out.dim"});
}

}  // namespace
