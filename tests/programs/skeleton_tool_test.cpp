// skeleton-tool end to end: the two files it generates, its help, and its
// refusals, each of which creates no file.

#include <sys/stat.h>

#include <regex>
#include <string>
#include <vector>

#include "program_test.hpp"

using namespace testing_support;

namespace {

class SkeletonTool : public ProgramTest {
protected:
    SkeletonTool() : ProgramTest("skeleton-tool") {}
};

const std::string kRuleA = "/* " + std::string(95, '-') + "\n", kRuleB = "   " + std::string(95, '-') + "\n";

}  // namespace

TEST_F(SkeletonTool, GeneratesTheSourceAndTheHeader) {
    write("seuil.h", "stale");
    const Outcome run = this->run({"lseuil"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Le fichier  --- lseuil.c --- a ete cree\nLe fichier  --- seuil.h --- a ete cree\nFin.\n");
    const std::string source = read("lseuil.c"), header = read("seuil.h");
    // Banner: the build date and time of the generator, in __DATE__ and
    // __TIME__ form.
    const std::string dated = "   Derniere modification le ";
    const std::size_t at = header.find(dated), end = header.find('\n', at);
    ASSERT_NE(end, std::string::npos) << header;
    EXPECT_EQ(header.substr(0, at), kRuleA + "    Operateur : seuil \n" + kRuleB +
                                        "   Fichier des prototypes des fonctions de l'operateur\n\n" + kRuleB);
    EXPECT_TRUE(std::regex_match(header.substr(at + dated.size(), end - at - dated.size()),
                                 std::regex("[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}  a   [0-9]{2}:[0-9]{2}:[0-9]{2} ")))
        << header.substr(at, end - at);
    const std::string signed_off = kRuleB + "   Cree par                      \n   " + std::string(95, '-') + "*/\n\n\n\n";
    EXPECT_EQ(header.substr(end + 1, signed_off.size()), signed_off);
    for (const char* part : {"/* Pas de code avant cette ligne */\n#ifndef __seuil\n#define __seuil\n",
                             "\n}seuil_t;\n\n\n\n/*  Lecture  */\n\nparam *seuil_lect(\n\t\t\t\t\t          seuil_t *desc,  \n",
                             "int seuil_ferm(\n\t\t\t\t\t          seuil_t *desc,  \n\t\t\t\t\t          );\n",
                             "/* Pas de code apres cette ligne */\n#endif\n"})
        EXPECT_NE(header.find(part), std::string::npos) << part;
    for (const char* part : {"#include <stdlib.h>\n#include \"seuil.h\"\n#include \"image.h\"\n#include \"proto2D.h\"\n",
                             "/** @name  seuil\\n \n \n Cet ensemble",
                             "{\nchar question[500];\n\n\n\nreturn ptp;\n\n}\n\n\n",
                             "int seuil_calc(\n\t\t\t\t\t          seuil_t *desc,  \n\t\t\t\t\t                \n",
                             "return NO_ERROR;\n\n}\n\n\n/* fin doc */\n//@}\n\n"})
        EXPECT_NE(source.find(part), std::string::npos) << part;
    const std::string last = "/* fin doc */\n//@}\n\n";
    EXPECT_EQ(source.substr(source.size() - last.size()), last);
}

TEST_F(SkeletonTool, HelpAndRefusals) {
    const std::string help =
        "\nCet executable permet de creer les fichiers d'un operateur xxx :\n   -> un fichier lxxx.c \n   -> et un "
        "fichier xxx.h.\n\nCes fichiers sont crees a partir de la chaine \"lxxx\" qui doit etre passee en argument.\n\nLe "
        "fichier passe en argument doit ne doit pas posseder d'extension.\n\nLe fichier passe en argument doit "
        "commencer par le caractere 'l'.\n\n";
    for (const char* option : {"--h", "--help"}) {
        const Outcome run = this->run({option});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, help);
    }
    const std::string identifier =
        "Le nom de l'operateur doit etre un identificateur C (lettres, chiffres et '_', pas de chiffre en tete) de 1 "
        "a 197 caracteres apres le caractere 'l'\n";
    const std::string long_name = "l" + std::string(198, 'x');
    struct Case {
        std::vector<std::string> args;
        int line;
        std::string message;
    } cases[] = {
        {{}, 45, "\nPas assez d'arguments : le nom de l'operateur doit etre specifie\n"},
        {{"lseuil", "lautre"}, 48, "\nTrop d'arguments : le seul argument a specifier doit etre le nom de l'operateur\n"},
        {{"-x"}, 54, "1 : Option non reconnue : --h pour afficher l'aide\n"},
        {{"-xh"}, 54, "1 : Option non reconnue : --h pour afficher l'aide\n"},
        {{"--x"}, 69, "2 : Option non reconnue : --h pour afficher l'aide\n"},
        {{"seuil"}, 75, "Le nom de l'operateur doit etre precede du caractere 'l'\n"},
        {{"lseuil.c"}, 83, "Le fichier passe en parametre ne doit pas avoir d'extension.\n"},
        {{"l-x"}, 88, identifier},
        {{"l/x"}, 88, identifier},
        {{"l"}, 88, identifier},
        {{"l9x"}, 88, identifier},
        {{long_name}, 88, identifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const Outcome run = this->run(c.args);
        EXPECT_EQ(run.status, 1);
        const std::regex error("\nERREUR --> fichier .*skeleton-tool/main\\.cpp ligne " + std::to_string(c.line) +
                               " : \n");
        EXPECT_TRUE(std::regex_search(run.out, error)) << run.out;
        EXPECT_NE(run.out.find(c.message + "\n \n"), std::string::npos) << run.out;
    }
    EXPECT_EQ(this->run({long_name.substr(0, 198)}).status, 0);
    for (const char* name : {"lseuil.c", "seuil.h", "l-x.c", "x.h", "l.c", ".h"}) EXPECT_FALSE(exists(name)) << name;
}

TEST_F(SkeletonTool, AnUncreatableFileIsReported) {
    ASSERT_EQ(mkdir(file("lblocked.c").c_str(), 0755), 0);
    const Outcome blocked = this->run({"lblocked"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.out.find("\nVerif_pt_null : le pointeur verifie a renvoye NULL \n\nERREUR --> fichier "),
              std::string::npos);
    EXPECT_NE(blocked.out.find("ligne 99 : \nPointeur fichier null : probleme a l'ouverture du fichier de l'operateur (.c)\n \n"),
              std::string::npos);
    ASSERT_EQ(mkdir(file("open.h").c_str(), 0755), 0);
    const Outcome header = this->run({"lopen"});
    EXPECT_EQ(header.status, 1);
    EXPECT_NE(header.out.find("ligne 260 : \nPointeur fichier null : probleme a l'ouverture du fichier de l'operateur (.h)"),
              std::string::npos);
    // The source written before the header's failure stays.
    EXPECT_NE(read("lopen.c").find("int open_ferm("), std::string::npos);
}
