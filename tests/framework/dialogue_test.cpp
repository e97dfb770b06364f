// The dialogue driven through real standard input and output: modes, control
// files, saving, the direct questions and numbered names.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "files.hpp"

using namespace testing_support;

namespace {

const std::string kBanner = "\n\n\t\t >>> programme prog <<< \n\n";

// Runs a three-question program: the dialogue, then a report of every
// record's question and reply on standard error.
Outcome run_dialogue(std::vector<std::string> words, const std::string& input, int questions = 3) {
    return run_captured(
        [&] {
            Argv args(words);
            param head;
            param_debut(args.argc(), args.argv(), &head);
            param* p = &head;
            for (int i = 1; i <= questions; ++i) {
                lec_param(("question " + std::to_string(i)).c_str(), p);
                p = p->suiv;
            }
            param_fin(args.argc(), args.argv(), &head);
            for (const param* r = &head; r != nullptr; r = r->suiv) std::fprintf(stderr, "[%s|%s]", r->qst, r->rep);
        },
        input);
}

const std::vector<std::string> kQuestions = {"question 1", "question 2", "question 3", "question 4"};

// A control file holding the given replies to "question 1", "question 2"...
std::string ctrl(const std::vector<std::string>& replies) { return ctrl_text(replies, kQuestions); }

const std::string kManual = kBanner + "\n>> param_debut, mode MANUEL";
const std::string kSaveOffered = "\n>> param_fin : fichier de sauvegarde des nouveaux parametres? [";
// All three questions asked, then the save name.
const std::string kTyped =
    kManual + "\nquestion 1? : \nquestion 2? : \nquestion 3? : " + kSaveOffered + "prog.ctrl] : ";
const std::string kAbc = "[question 1|a][question 2|b][question 3|c][|]";

// Mode FICHIER on @/run.ctrl of `records` records.
std::string from_file(int records) {
    return kBanner + "\n>> param_debut, mode FICHIER : " + std::to_string(records) +
           " parametres lus dans @/run.ctrl\n";
}
// All three questions offered with their defaults, then the save name.
std::string offered(const std::string& a, const std::string& b, const std::string& c) {
    return "\nquestion 1? [" + a + "] : \nquestion 2? [" + b + "] : \nquestion 3? [" + c + "] : " + kSaveOffered +
           "@/run.ctrl] : ";
}
std::string from_line(int replies) {
    return kBanner + "\n>> param_debut, mode AUTO : " + std::to_string(replies) + " parametres passes en ligne\n";
}

}  // namespace

// One run of the three-question program in a fresh folder, with run.ctrl
// written first when `ctrl` is not empty. "@" stands for the folder in the
// arguments, the input and the output.
TEST(Dialogue, ModesControlFilesAndSaving) {
    const std::string x198(198, 'x'), a60(60, 'a'), long_reply = ctrl_text({std::string(200, 'a')}, {"q"});
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string ctrl, input;
        int status;
        std::string out, err;  // err: each record's question and reply, when the run ends well
        std::map<std::string, std::string> files;  // the folder's files afterwards
    } cases[] = {
        {"manual mode asks every question and saves the replies", {}, "", "a.ima\n4\nout.imw\n@/saved\n", 0, kTyped,
         "[question 1|a.ima][question 2|4][question 3|out.imw][|]", {{"saved.ctrl", ctrl({"a.ima", "4", "out.imw"})}}},
        {"an empty manual reply ends the saved file", {}, "", "a\n\nc\n@/r.ctrl\n", 0, kTyped,
         "[question 1|a][question 2|][question 3|c][|]", {{"r.ctrl", ctrl({"a"})}}},
        {"a reply with a blank is saved whole", {}, "", "two words\nb\nc\n@/r.ctrl\n", 0, kTyped,
         "[question 1|two words][question 2|b][question 3|c][|]", {{"r.ctrl", ctrl({"two words", "b", "c"})}}},
        {"... but replayed as its first word", {"@/run.ctrl"}, ctrl({"two words", "b", "c"}), "", 0,
         from_file(3) + offered("two", "b", "c"), "[question 1|two][question 2|b][question 3|c][|]",
         {{"run.ctrl", ctrl({"two", "b", "c"})}}},
        // Keep the first reply, override the second, keep the third, keep the save name.
        {"file mode offers the stored replies as defaults", {"@/run.ctrl"}, ctrl({"a.ima", "8", "r.ima"}),
         "\n4\n\n\n", 0, from_file(3) + offered("a.ima", "8", "r.ima"),
         "[question 1|a.ima][question 2|4][question 3|r.ima][|]", {{"run.ctrl", ctrl({"a.ima", "4", "r.ima"})}}},
        {"file mode replays without typing at the end of input", {"@/run.ctrl"}, ctrl({"a", "b", "c"}), "", 0,
         from_file(3) + offered("a", "b", "c"), kAbc, {{"run.ctrl", ctrl({"a", "b", "c"})}}},
        {"a different stored question is reported and replaced", {"@/run.ctrl"},
         ctrl_text({"a", "b", "c"}, {"old wording", "question 2", "question 3"}), "", 0,
         from_file(3) + "\nATT lec_param : questions differentes : \n\t- fichier .ctrl => old wording\n\t- source C => "
                        "question 1\n" + offered("a", "b", "c"),
         kAbc, {{"run.ctrl", ctrl({"a", "b", "c"})}}},
        {"a short control file leaves later questions to the terminal", {"@/run.ctrl"}, ctrl({"a", "b"}),
         "\n\nthird\n\n", 0,
         from_file(2) + "\nquestion 1? [a] : \nquestion 2? [b] : \nquestion 3? : " + kSaveOffered + "@/run.ctrl] : ",
         "[question 1|a][question 2|b][question 3|third][|]", {{"run.ctrl", ctrl({"a", "b", "third"})}}},
        {"extra control records are kept and saved again", {"@/run.ctrl"}, ctrl({"a", "b", "c", "d"}), "", 0,
         from_file(4) + offered("a", "b", "c"), "[question 1|a][question 2|b][question 3|c][question 4|d][|]",
         {{"run.ctrl", ctrl({"a", "b", "c", "d"})}}},
        {"auto mode takes the replies from the command line and saves nothing", {"image.ima"}, "", "x\ny\n", 0,
         from_line(1) + "\nquestion 1 = image.ima\n\nquestion 2? : \nquestion 3? : ",
         "[|image.ima][question 2|x][question 3|y][|]", {}},
        {"auto mode with every reply", {"a", "b", "c"}, "", "", 0,
         from_line(3) + "\nquestion 1 = a\n\nquestion 2 = b\n\nquestion 3 = c\n", "[|a][|b][|c][|]", {}},
        {"two arguments ending in .ctrl are auto mode", {"x.ctrl", "y.ctrl", "z"}, "", "", 0,
         from_line(3) + "\nquestion 1 = x.ctrl\n\nquestion 2 = y.ctrl\n\nquestion 3 = z\n",
         "[|x.ctrl][|y.ctrl][|z][|]", {}},
        {"a missing control file", {"/nonexistent/run.ctrl"}, "", "", 1,
         kBanner + "\n>> ERREUR param_debut : fichier /nonexistent/run.ctrl introuvable\n", "", {}},
        {"the end of input without a default", {}, "", "first\n", 1,
         kManual + "\nquestion 1? : \nquestion 2? : \n>> ERREUR lec_param : fin de l'entree standard, pas de reponse a "
                   ": question 2\n",
         "", {}},
        // A typed line of 198 characters is a reply; one of 199 is refused.
        {"a typed line of 198 characters", {}, "", x198 + "\nb\nc\n@/s.ctrl\n", 0, kTyped,
         "[question 1|" + x198 + "][question 2|b][question 3|c][|]", {{"s.ctrl", ctrl({x198, "b", "c"})}}},
        {"a typed line of 199 characters", {}, "", x198 + "x\nb\nc\n", 1,
         kManual + "\nquestion 1? : \n>> ERREUR lec_param : ligne trop longue (plus de 198 caracteres)\n", "", {}},
        {"an argument of 200 characters", {std::string(200, 'a'), "b"}, "", "", 1,
         kBanner + "\n>> ERREUR param_debut : texte trop long (plus de 199 caracteres) : " + a60 + "...\n", "", {}},
        {"a control reply of 200 characters", {"@/run.ctrl"}, long_reply, "", 1,
         kBanner + "\n>> ERREUR flec_param : texte trop long (plus de 199 caracteres) : " + a60 + "...\n", "",
         {{"run.ctrl", long_reply}}},
        {"an uncreatable save file", {}, "", "a\nb\nc\n/nonexistent/dir/x.ctrl\n", 1,
         kTyped + "\n>> ERREUR param_fin : fichier /nonexistent/dir/x.ctrl inouvable\n", "", {}},
        // The save name gets ".ctrl" unless it has it.
        {"a save name without extension", {}, "", "a\nb\nc\n@/res\n", 0, kTyped, kAbc,
         {{"res.ctrl", ctrl({"a", "b", "c"})}}},
        {"a save name of another extension", {}, "", "a\nb\nc\n@/res.txt\n", 0,
         kTyped + "\n>> ATT param_fin : extension erronee, .ctrl ajoutee => @/res.txt.ctrl\n", kAbc,
         {{"res.txt.ctrl", ctrl({"a", "b", "c"})}}},
        {"a save name ending in .ctrl", {}, "", "a\nb\nc\n@/res.ctrl\n", 0, kTyped, kAbc,
         {{"res.ctrl", ctrl({"a", "b", "c"})}}},
        {"a save name whose extension starts with ctrl", {}, "", "a\nb\nc\n@/resb.ctrlx\n", 0,
         kTyped + "\n>> ATT param_fin : extension erronee, .ctrl ajoutee => @/resb.ctrlx.ctrl\n", kAbc,
         {{"resb.ctrlx.ctrl", ctrl({"a", "b", "c"})}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (!c.ctrl.empty()) write_file(dir.file("run.ctrl"), c.ctrl);
        std::vector<std::string> words = {"prog"};
        for (const std::string& arg : c.args) words.push_back(in_folder(arg, dir.path()));
        const Outcome run = run_dialogue(words, in_folder(c.input, dir.path()));
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, in_folder(c.out, dir.path()));
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(folder_contents(dir.path()), c.files);
    }
}

TEST(Dialogue, OverlongQuestionOrInconsistentRecord) {
    EXPECT_TRUE(ended_saying(run_captured([] {
                                 param head{};
                                 lec_param(std::string(200, 'q').c_str(), &head);
                             }),
                             1, "ERREUR lec_param : texte trop long"));
    // A record with a question but no reply is reported and left empty.
    const Outcome run = run_captured([] {
        param p{};
        std::snprintf(p.qst, sizeof p.qst, "stale");
        lec_param("question", &p);
        std::fprintf(stderr, "[%s|%s|%d]", p.qst, p.rep, p.suiv != nullptr);
    });
    EXPECT_TRUE(ended(run, 0, "\nERREUR lec_param : qst=stale, rep=\n"));
    EXPECT_EQ(run.err, "[stale||1]");
}

TEST(ControlFile, RecordsAreReadWordThenQuestion) {
    TempDir dir;
    const std::string ctrl = dir.file("f.ctrl");
    const std::string q199(199, 'q'), q250(250, 'r');
    write_file(ctrl, "\n   first  ignored text\t#  spaced question\n" +
                         ctrl_text({"w", "v", "next"}, {q199, q250, "after long"}) + "last\t\t#no newline");
    Outcome run = run_captured([&] {
        std::FILE* f = std::fopen(ctrl.c_str(), "r");
        param p{};
        while (flec_param(f, &p) == 1) {
            std::fprintf(stderr, "[%s|%zu:%.12s]", p.rep, std::strlen(p.qst), p.qst);
            p = *p.suiv;
        }
        std::fprintf(stderr, "{%s|%s}", p.qst, p.rep);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "[first|17:  spaced que][w|199:qqqqqqqqqqqq][v|199:rrrrrrrrrrrr][next|10:after long]{|}");
    EXPECT_EQ(run.out, "\n ATT flec_param : question trop longue (>199 caracteres)");
}

TEST(SaveName, ADotInFirstPositionIsNotAnExtension) {
    TempDir dir;
    Outcome hidden = run_captured(
        [&] {
            Argv args({"prog"});
            param head;
            param_debut(1, args.argv(), &head);
            lec_param("q", &head);
            if (chdir(dir.path().c_str()) != 0) return;
            param_fin(1, args.argv(), &head);
        },
        "x\n.hidden\n");
    ASSERT_EQ(hidden.status, 0);
    EXPECT_TRUE(file_exists(dir.file(".hidden.ctrl")));
}

TEST(DirectQuestions, DefaultsAreKeptOnEmptyLineAndEndOfInput) {
    Outcome run = run_captured(
        [] {
            int i = 7;
            float f = 1.5f;
            double d = 2.25;
            char nom[LONG_NOM] = "abc";
            lec_int(&i, "i");
            lec_float(&f, "f");
            lec_double(&d, "d");
            lec_nom(nom, "n");
            int j = 3;
            lec_int(&j, "j");  // end of input
            std::fprintf(stderr, "%d %.2f %.3f %s %d", i, static_cast<double>(f), d, nom, j);
        },
        "42\n\n-0.125\nxyz\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\ni? [7] : \nf? [1.500] : \nd? [2.250] : \nn? [abc] : \nj? [3] : ");
    EXPECT_EQ(run.err, "42 1.50 -0.125 xyz 3");
}

TEST(DirectQuestions, NumbersBeyondTheirTypeAreRefused) {
    const struct {
        std::function<void()> ask;
        std::string typed, message;
    } cases[] = {
        {[] { int i = 1; lec_int(&i, "i"); }, "4294967300",
         "\n>> ERREUR lec_int : reponse \"4294967300\" refusee a la question \"i\" "
         "(entier de -2147483648 a 2147483647)\n"},
        {[] { float f = 1; lec_float(&f, "f"); }, "1e39",
         "\n>> ERREUR lec_float : reponse \"1e39\" refusee a la question \"f\" (nombre reel representable)\n"},
        {[] { double d = 1; lec_double(&d, "d"); }, "-1e999",
         "\n>> ERREUR lec_double : reponse \"-1e999\" refusee a la question \"d\" (nombre reel representable)\n"},
    };
    for (const auto& c : cases) EXPECT_TRUE(ended_saying(run_captured(c.ask, c.typed + "\n"), 1, c.message));
    // Trailing text is ignored, as strtol and strtod do.
    const Outcome trailing = run_captured(
        [] {
            int i = 0;
            lec_int(&i, "i");
            std::fprintf(stderr, "%d", i);
        },
        "12 pixels\n");
    EXPECT_EQ(trailing.err, "12");
}

TEST(NumberedNames, NextNameOfASeries) {
    const struct {
        const char *name, *next;  // next: the next name and the result
        std::string printed;
    } cases[] = {
        {"coupe_01", "coupe_02|2", ""},
        {"coupe07", "coupe08|2", ""},
        {"coupe99", "coupe100|2", ""},
        {"a5x", "a06|2", ""},
        {"coupe3", "coupe4|1", ""},
        {"7", "8|1", ""},
        {"coupe9", "coupe10|1",
         "\n>>nom_image_suivante : ATT, la numerotation passe de 1 a 2 chiffres:\n\t nom initial : coupe9\n\t nom "
         "suivant : coupe10\n"},
        {"coupe", "coupe_01|0", "\n>>nom_image_suivante : ATT, chaine coupe incorrecte; nouveau nom : coupe_01\n"},
        {"", "_01|0", "\n>>nom_image_suivante : ATT, chaine  incorrecte; nouveau nom : _01\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char next[LONG_NOM];
        int result = -1;
        EXPECT_EQ(quietly([&] { result = nom_image_suivante(c.name, next); }), c.printed);
        EXPECT_EQ(std::string(next) + "|" + std::to_string(result), c.next);
    }
    const Outcome too_long = run_captured([] {
        char next[LONG_NOM];
        nom_image_suivante(std::string(198, 'a').c_str(), next);
    });
    EXPECT_EQ(too_long.status, 1);
}
