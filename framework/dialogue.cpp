// The parameter dialogue: a chain of param records filled one question at a
// time, replayable from ".ctrl" files.
//
// The mode is never stored: each record says by its contents how its
// question is handled (empty: ask; reply only: command-line reply; question
// and reply: recorded default).

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "fail.hpp"
#include "questions.hpp"
#include "proto2D.h"
#include "text_input.hpp"

namespace {

using fw::fail;
using fw::kMaxText;

bool is_empty(const char* text) { return text[0] == '\0'; }

// Ends the process when a text does not fit a field of LONG_NOM characters:
// it is refused rather than cut.
void check_fits(std::string_view text, const char* who) {
    if (text.size() > kMaxText)
        fail(1, "\n>> ERREUR %s : texte trop long (plus de %zu caracteres) : %.60s...\n", who, kMaxText,
             std::string(text).c_str());
}

// Extension of a command-line argument: from its last '.' to its end.
bool has_ctrl_extension(const char* arg) {
    const char* dot = std::strrchr(arg, '.');
    return dot != nullptr && std::strcmp(dot, ".ctrl") == 0;
}

// Mode FICHIER is one argument naming a ".ctrl" file.
bool is_file_mode(int argc, char** argv) { return argc == 2 && has_ctrl_extension(argv[1]); }

void empty_record(param* p) {
    p->qst[0] = '\0';
    p->rep[0] = '\0';
}

// Reads the reply to a question already shown with its default: the typed
// line when it is not empty, or nullopt (keep the default) for an empty line
// or at the end of standard input.
std::optional<std::string> replacement_reply(const char* who) {
    std::fflush(stdout);
    std::optional<std::string> line = fw::read_reply_line(who);
    if (!line || line->empty()) return std::nullopt;
    return line;
}

// A typed line converted as the direct questions do (strtol for int, strtod
// for the reals); a number beyond the range of T is refused.
template <class T>
T converted(const std::string& line, const char* question, const char* who) {
    std::optional<T> value;
    if constexpr (std::is_integral_v<T>) value = fw::integer_reply<T>(line.c_str());
    else value = fw::real_reply<T>(line.c_str());
    if (!value) {
        const auto lo = std::numeric_limits<T>::lowest(), hi = std::numeric_limits<T>::max();
        fw::refuse_reply(who, question, line.c_str(),
                         std::is_integral_v<T> ? "entier de " + std::to_string(lo) + " a " + std::to_string(hi)
                                               : std::string("nombre reel representable"));
    }
    return *value;
}

// The question of lec_nom and param_fin on a text of any length.
void ask_text(std::string& value, const char* question) {
    std::printf("\n%s? [%s] : ", question, value.c_str());
    if (auto line = replacement_reply("lec_nom")) value = *line;
}

// Reads the characters of a .ctrl question (after its '#') up to the end of
// the line. Returns false when the file ends before the newline.
bool read_ctrl_question(std::FILE* f, std::string& question) {
    bool warned = false;
    for (int c = std::getc(f); c != '\n'; c = std::getc(f)) {
        if (c == EOF) return false;
        if (question.size() < kMaxText) {
            question.push_back(static_cast<char>(c));
        } else if (!warned) {
            std::printf("\n ATT flec_param : question trop longue (>199 caracteres)");
            warned = true;
        }
    }
    return true;
}

}  // namespace

extern "C" {

void alloc_param(param* p) {
    auto* next = static_cast<param*>(std::malloc(sizeof(param)));
    if (next == nullptr) fail(1, "\nERREUR alloc_param : allocation  impossible");
    empty_record(next);
    next->suiv = nullptr;
    p->suiv = next;
}

int flec_param(std::FILE* f, param* p) {
    int c;
    do {
        c = std::getc(f);
    } while (c != EOF && std::isspace(c));
    std::string reply;
    for (; c != EOF && !std::isspace(c); c = std::getc(f)) reply.push_back(static_cast<char>(c));
    if (reply.empty()) {
        empty_record(p);
        return 0;
    }
    check_fits(reply, "flec_param");

    // Whatever stands between the reply and the first '#' is ignored.
    while (c != EOF && c != '#') c = std::getc(f);
    std::string question;
    if (c == EOF || !read_ctrl_question(f, question)) {
        empty_record(p);
        return 0;
    }
    fw::copy_text(p->rep, reply);
    fw::copy_text(p->qst, question);
    if (p->suiv == nullptr) alloc_param(p);
    return 1;
}

int param_debut(int argc, char** argv, param* first) {
    empty_record(first);
    first->suiv = nullptr;
    std::printf("\n\n\t\t >>> programme %s <<< \n\n", argv[0]);

    if (argc <= 1) {
        std::printf("\n>> param_debut, mode MANUEL");
        return 0;
    }

    if (is_file_mode(argc, argv)) {
        std::FILE* f = std::fopen(argv[1], "r");
        if (f == nullptr) fail(1, "\n>> ERREUR param_debut : fichier %s introuvable\n", argv[1]);
        int count = 0;
        for (param* p = first; flec_param(f, p) == 1; p = p->suiv) ++count;
        std::printf("\n>> param_debut, mode FICHIER : %d parametres lus dans %s\n", count, argv[1]);
        std::fclose(f);
        return 0;
    }

    param* p = first;
    for (int i = 1; i < argc; ++i) {
        check_fits(argv[i], "param_debut");
        p->qst[0] = '\0';
        fw::copy_text(p->rep, argv[i]);
        alloc_param(p);
        p = p->suiv;
    }
    std::printf("\n>> param_debut, mode AUTO : %d parametres passes en ligne\n", argc - 1);
    return 0;
}

void lec_param(const char* question, param* ptp) {
    check_fits(question, "lec_param");
    const bool no_question = is_empty(ptp->qst);
    const bool no_reply = is_empty(ptp->rep);

    if (no_question && no_reply) {
        // Asked on the terminal: there is no default to fall back on.
        fw::copy_text(ptp->qst, question);
        std::printf("\n%s? : ", question);
        std::fflush(stdout);
        std::optional<std::string> line = fw::read_reply_line("lec_param");
        if (!line)
            fail(1, "\n>> ERREUR lec_param : fin de l'entree standard, pas de reponse a : %s\n", question);
        fw::copy_text(ptp->rep, *line);
    } else if (no_question) {
        std::printf("\n%s = %s\n", question, ptp->rep);
    } else if (!no_reply) {
        if (std::strcmp(ptp->qst, question) != 0) {
            std::printf(
                "\nATT lec_param : questions differentes : \n\t- fichier .ctrl => %s\n\t- source C => %s\n",
                ptp->qst, question);
            fw::copy_text(ptp->qst, question);
        }
        std::printf("\n%s? [%s] : ", ptp->qst, ptp->rep);
        if (auto line = replacement_reply("lec_param")) fw::copy_text(ptp->rep, *line);
    } else {
        std::printf("\nERREUR lec_param : qst=%s, rep=%s\n", ptp->qst, ptp->rep);
    }

    if (ptp->suiv == nullptr) alloc_param(ptp);
}

int param_fin(int argc, char** argv, param* first) {
    std::string name;
    if (argc <= 1) name = std::string(argv[0]) + ".ctrl";
    else if (is_file_mode(argc, argv)) name = argv[1];
    else return 0;

    ask_text(name, ">> param_fin : fichier de sauvegarde des nouveaux parametres");

    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        name += ".ctrl";
    } else if (name.compare(dot + 1, std::string::npos, "ctrl") != 0) {
        name += ".ctrl";
        std::printf("\n>> ATT param_fin : extension erronee, .ctrl ajoutee => %s\n", name.c_str());
    }

    std::FILE* f = std::fopen(name.c_str(), "w");
    if (f == nullptr) fail(1, "\n>> ERREUR param_fin : fichier %s inouvable\n", name.c_str());
    for (const param* p = first; p != nullptr && !is_empty(p->qst) && !is_empty(p->rep); p = p->suiv)
        std::fprintf(f, "%s\t\t#%s\n", p->rep, p->qst);
    const bool write_failed = std::ferror(f) != 0;
    if (std::fclose(f) != 0 || write_failed)
        fail(1, "\n>> ERREUR param_fin : ecriture du fichier %s impossible\n", name.c_str());
    return 0;
}

void lec_int(int* value, const char* question) {
    std::printf("\n%s? [%d] : ", question, *value);
    if (auto line = replacement_reply("lec_int")) *value = converted<int>(*line, question, "lec_int");
}

void lec_float(float* value, const char* question) {
    std::printf("\n%s? [%.3f] : ", question, static_cast<double>(*value));
    if (auto line = replacement_reply("lec_float")) *value = converted<float>(*line, question, "lec_float");
}

void lec_double(double* value, const char* question) {
    std::printf("\n%s? [%.3f] : ", question, *value);
    if (auto line = replacement_reply("lec_double")) *value = converted<double>(*line, question, "lec_double");
}

void lec_nom(char* nom, const char* question) {
    std::string value = nom;
    ask_text(value, question);
    fw::copy_text(nom, value);
}

int nom_image_suivante(const char* nom, char* suivant) {
    auto is_digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    std::string next = nom;
    const std::size_t n = next.size();
    int result;
    bool grew = false;
    char number[16];

    if (n >= 2 && is_digit(next[n - 2])) {
        int value = next[n - 2] - '0';
        if (is_digit(next[n - 1])) value = value * 10 + (next[n - 1] - '0');
        std::snprintf(number, sizeof number, "%02d", value + 1);
        next.replace(n - 2, 2, number);
        result = 2;
    } else if (n >= 1 && is_digit(next[n - 1])) {
        const int digit = next[n - 1] - '0';
        std::snprintf(number, sizeof number, "%d", digit + 1);
        next.replace(n - 1, 1, number);
        grew = digit + 1 > 9;
        result = 1;
    } else {
        next += "_01";
        result = 0;
    }
    check_fits(next, "nom_image_suivante");
    fw::copy_text(suivant, next);

    if (grew)
        std::printf(
            "\n>>nom_image_suivante : ATT, la numerotation passe de 1 a 2 chiffres:\n"
            "\t nom initial : %s\n\t nom suivant : %s\n",
            nom, suivant);
    if (result == 0)
        std::printf("\n>>nom_image_suivante : ATT, chaine %s incorrecte; nouveau nom : %s\n", nom, suivant);
    return result;
}

}  // extern "C"
