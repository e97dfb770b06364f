// skeleton-tool: starts a new operator. From its one argument "lxxx" it
// writes the operator's source skeleton lxxx.c and its prototype header
// xxx.h: the banner blocks, the descriptor record xxx_t and the four empty
// phases xxx_lect, xxx_init, xxx_calc and xxx_ferm, to be filled in.
// Errors print where in this file they were detected and end with status 1.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The longest argument taken: the longest reply the suite's dialogue takes.
constexpr std::size_t kMaxArgument = 198;

enum class Rule { none, A, B, C };
enum class Fill { none, name, header, date_time };

// One piece of a generated file: a rule line, or a text whose "%s" take
// the value named by its fill, in order.
struct Row {
    Rule rule;
    const char* text;
    Fill fill;
};

constexpr Row kSource[] = {
    {Rule::A, nullptr, Fill::none},
    {Rule::none, "    Operateur : %s \n", Fill::name},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Objectif de l'operateur\n\n", Fill::none},
    {Rule::none, "   Cet operateur a pour but de ............\n\n", Fill::none},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Derniere modification le %s  a   %s \n", Fill::date_time},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Cree par                      \n", Fill::none},
    {Rule::C, nullptr, Fill::none},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/** @name  %s\\n \n \n Cet ensemble de fonctions permet de ....  \n\n */ \n //@{ \n\n\n\n", Fill::name},
    {Rule::none, "/* Bibliotheques */\n", Fill::none},
    {Rule::none, "#include <stdlib.h>\n", Fill::none},
    {Rule::none, "#include \"%s\"\n", Fill::header},
    {Rule::none, "#include \"image.h\"\n", Fill::none},
    {Rule::none, "#include \"proto2D.h\"\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "/****************************  LECTURE ******************************** /\n", Fill::none},
    {Rule::none, "/*! \\brief  Mettre une phrase de resume ou le debut de l'explication \n", Fill::none},
    {Rule::none, "de la lecture de l'operateur \n", Fill::none},
    {Rule::none, "Mettre la suite de l'explication ici...\n\n", Fill::none},
    {Rule::none, "Lecture des parametres de l'operateur %s :\n\n", Fill::name},
    {Rule::none, "\\param desc pointeur descripteur \n", Fill::none},
    {Rule::none, "\\param ptp pointeur sur parametre courant deja alloue (a lire)\n", Fill::none},
    {Rule::none, "\\param debq pointeur de chaine de caracteres placee en debut de question\n", Fill::none},
    {Rule::none, "\\return renvoie nouveau pointeur de parametres deja alloue (pour la suite) \n", Fill::none},
    {Rule::none, "\\author Nom Prenom\n", Fill::none},
    {Rule::none, "\\version 1.0\n", Fill::none},
    {Rule::none, "*/\n\n\n", Fill::none},
    {Rule::none, "param *%s_lect(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t          param *ptp,  \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          char *debq \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          )\n", Fill::none},
    {Rule::none, "{\n", Fill::none},
    {Rule::none, "char question[500];\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "return ptp;\n", Fill::none},
    {Rule::none, "\n}\n\n\n", Fill::none},
    {Rule::none, "/****************************  INIT ******************************** /\n", Fill::none},
    {Rule::none, "/*! \\brief  Mettre une phrase de resume ou le debut de l'explication \n de l'initialisation de l'operateur \n", Fill::none},
    {Rule::none, "Initialisation des parametres de l'operateur %s :\n", Fill::name},
    {Rule::none, "\\param desc pointeur descripteur \n", Fill::none},
    {Rule::none, "\\param   .........\n", Fill::none},
    {Rule::none, "\\param   .........\n", Fill::none},
    {Rule::none, "\\return une des constantes definie dans le .h suivant erreur rencontree \n", Fill::none},
    {Rule::none, "\\author Nom Prenom\n", Fill::none},
    {Rule::none, "\\version 1.0\n", Fill::none},
    {Rule::none, "*/\n\n\n", Fill::none},
    {Rule::none, "int %s_init(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t                \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          )\n", Fill::none},
    {Rule::none, "{\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "return NO_ERROR;\n", Fill::none},
    {Rule::none, "\n}\n\n\n", Fill::none},
    {Rule::none, "/****************************  CALC******************************** /\n", Fill::none},
    {Rule::none, "/*! \\brief  Mettre une phrase de resume ou le debut de l'explication \n du calcul de l'operateur \n", Fill::none},
    {Rule::none, "Calcul de l'operateur %s :\n", Fill::name},
    {Rule::none, "\\param desc pointeur descripteur \n", Fill::none},
    {Rule::none, "\\param   .........\n", Fill::none},
    {Rule::none, "\\param   .........\n", Fill::none},
    {Rule::none, "\\param  resultat de type pointeur sur  .........\n", Fill::none},
    {Rule::none, "\\return une des constantes definie dans le .h suivant erreur rencontree \n", Fill::none},
    {Rule::none, "\\author Nom Prenom\n", Fill::none},
    {Rule::none, "\\version 1.0\n", Fill::none},
    {Rule::none, "*/\n\n\n", Fill::none},
    {Rule::none, "int %s_calc(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t                \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          )\n", Fill::none},
    {Rule::none, "{\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "return NO_ERROR;\n", Fill::none},
    {Rule::none, "\n}\n\n\n", Fill::none},
    {Rule::none, "/****************************  FERM ******************************** /\n", Fill::none},
    {Rule::none, "/*! \\brief  Mettre une phrase de resume ou le debut de l'explication \n de la fermeture de l'operateur \n", Fill::none},
    {Rule::none, "Liberation de la memoire allouee pour les parametres de l'operateur %s :\n", Fill::name},
    {Rule::none, "\\param desc pointeur descripteur \n", Fill::none},
    {Rule::none, "\\return une des constantes definie dans le .h suivant erreur rencontree \n", Fill::none},
    {Rule::none, "\\author Nom Prenom\n", Fill::none},
    {Rule::none, "\\version 1.0\n", Fill::none},
    {Rule::none, "*/\n\n\n", Fill::none},
    {Rule::none, "int %s_ferm(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t          )\n", Fill::none},
    {Rule::none, "{\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "return NO_ERROR;\n", Fill::none},
    {Rule::none, "\n}\n\n\n", Fill::none},
    {Rule::none, "/* fin doc */\n", Fill::none},
    {Rule::none, "//@}\n\n", Fill::none},};

constexpr Row kHeader[] = {
    {Rule::A, nullptr, Fill::none},
    {Rule::none, "    Operateur : %s \n", Fill::name},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Fichier des prototypes des fonctions de l'operateur\n\n", Fill::none},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Derniere modification le %s  a   %s \n", Fill::date_time},
    {Rule::B, nullptr, Fill::none},
    {Rule::none, "   Cree par                      \n", Fill::none},
    {Rule::C, nullptr, Fill::none},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/* Pas de code avant cette ligne */\n", Fill::none},
    {Rule::none, "#ifndef __%s\n", Fill::name},
    {Rule::none, "#define __%s\n", Fill::name},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/* Bibliotheques */\n", Fill::none},
    {Rule::none, "#include <stdlib.h>\n", Fill::none},
    {Rule::none, "#include \"image.h\"\n", Fill::none},
    {Rule::none, "#include \"proto2D.h\"\n", Fill::none},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/* La doc a extraire doit etre dans  /**   ....     */  //(2 *)\n", Fill::none},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/* Descripteur */\n", Fill::none},
    {Rule::none, "typedef struct{\n\n", Fill::none},
    {Rule::none, "/** champ 1 : ........ */\n", Fill::none},
    {Rule::none, "/** champ 2 : ........ */\n", Fill::none},
    {Rule::none, "/** champ 3 : ........ */\n", Fill::none},
    {Rule::none, "\n}%s_t;", Fill::name},
    {Rule::none, "\n\n\n\n", Fill::none},
    {Rule::none, "/*  Lecture  */\n\n", Fill::none},
    {Rule::none, "param *%s_lect(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t          param *ptp,  \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          char *debq \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          );\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "/*  Initialisation  */\n\n", Fill::none},
    {Rule::none, "int %s_init(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t               \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          );\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "/*  Calcul  */\n\n", Fill::none},
    {Rule::none, "int %s_calc(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t                \n", Fill::none},
    {Rule::none, "\t\t\t\t\t          );\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "/*  Fermeture  */\n\n", Fill::none},
    {Rule::none, "int %s_ferm(\n", Fill::name},
    {Rule::none, "\t\t\t\t\t          %s_t *desc,  \n", Fill::name},
    {Rule::none, "\t\t\t\t\t          );\n", Fill::none},
    {Rule::none, "\n\n\n", Fill::none},
    {Rule::none, "/* Pas de code apres cette ligne */\n", Fill::none},
    {Rule::none, "#endif\n", Fill::none},};

// Prints the error at `line` of this file with its message and ends the
// process with status 1.
[[noreturn]] void error(int line, const char* message) {
    std::printf("\nERREUR --> fichier %s ligne %d : \n%s\n \n", __FILE__, line, message);
    std::exit(1);
}

void help() {
    std::puts("\nCet executable permet de creer les fichiers d'un operateur xxx :");
    std::puts("   -> un fichier lxxx.c \n   -> et un fichier xxx.h.");
    std::puts("\nCes fichiers sont crees a partir de la chaine \"lxxx\" qui doit etre passee en argument.");
    std::puts("\nLe fichier passe en argument doit ne doit pas posseder d'extension.");
    std::puts("\nLe fichier passe en argument doit commencer par le caractere 'l'.\n");
}

// Whether `name` can stand in C identifiers such as name_t and __name.
bool identifier(std::string_view name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

// The text of one row, its "%s" replaced by the values of its fill.
std::string expand(const Row& row, const std::string& name, const std::string& header) {
    const std::string dashes(95, '-');
    switch (row.rule) {
        case Rule::A: return "/* " + dashes + "\n";
        case Rule::B: return "   " + dashes + "\n";
        case Rule::C: return "   " + dashes + "*/";
        case Rule::none: break;
    }
    const std::string values[2] = {row.fill == Fill::date_time ? __DATE__ : row.fill == Fill::header ? header : name,
                                   __TIME__};
    std::string out;
    int used = 0;
    for (std::string_view text = row.text; !text.empty();) {
        const std::size_t at = text.find("%s");
        if (at == std::string_view::npos || row.fill == Fill::none) {
            out += text;
            break;
        }
        out += text.substr(0, at);
        out += values[used < 2 ? used++ : 1];
        text.remove_prefix(at + 2);
    }
    return out;
}

// Writes one generated file; the errors of opening and closing are those
// of `open_line` and `close_line`.
template <std::size_t N>
void generate(const std::string& path, const Row (&rows)[N], const std::string& name, const std::string& header,
              int open_line, const char* open_message, int close_line, const char* close_message) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::puts("\nVerif_pt_null : le pointeur verifie a renvoye NULL ");
        error(open_line, open_message);
    }
    for (const Row& row : rows) std::fputs(expand(row, name, header).c_str(), file);
    // A failed write shows in the stream's error flag or in the close.
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written) error(close_line, close_message);
    std::printf("Le fichier  --- %s --- a ete cree\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) error(45, "\nPas assez d'arguments : le nom de l'operateur doit etre specifie\n");
    if (argc > 2) error(48, "\nTrop d'arguments : le seul argument a specifier doit etre le nom de l'operateur\n");
    const std::string_view argument = argv[1];
    if (argument[0] == '-') {
        if (argument.size() < 2 || argument[1] != '-') error(54, "1 : Option non reconnue : --h pour afficher l'aide\n");
        if (argument.size() < 3 || argument[2] != 'h') error(69, "2 : Option non reconnue : --h pour afficher l'aide\n");
        help();
        return 0;
    }
    if (argument[0] != 'l') error(75, "Le nom de l'operateur doit etre precede du caractere 'l'\n");
    if (argument.find('.', 1) != std::string_view::npos)
        error(83, "Le fichier passe en parametre ne doit pas avoir d'extension.\n");
    // The name goes into C identifiers and file names: anything else would
    // give a skeleton that cannot compile, or files elsewhere.
    if (argument.size() > kMaxArgument || !identifier(argument.substr(1)))
        error(88, "Le nom de l'operateur doit etre un identificateur C (lettres, chiffres et '_', pas de chiffre en "
                  "tete) de 1 a 197 caracteres apres le caractere 'l'\n");

    const std::string name(argument.substr(1));
    const std::string source = std::string(argument) + ".c";
    const std::string header = name + ".h";
    generate(source, kSource, name, header, 99,
             "Pointeur fichier null : probleme a l'ouverture du fichier de l'operateur (.c)", 247,
             "Impossible de fermer la fichier de l'operateur (.c)");
    generate(header, kHeader, name, header, 260,
             "Pointeur fichier null : probleme a l'ouverture du fichier de l'operateur (.h)", 343,
             "Impossible de fermer la fichier de l'operateur (.h)");
    std::puts("Fin.");
    return 0;
}
