// The dialogue driven through real standard input and output: modes, control
// files, saving, the direct questions and numbered names.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "proto2D.h"
#include "support.hpp"

using namespace testing_support;

namespace {

const std::string kBanner = "\n\n\t\t >>> programme prog <<< \n\n";

// argv for param_debut / param_fin, program name first.
struct Args {
    std::vector<std::string> words;
    std::vector<char*> ptrs;
    explicit Args(std::vector<std::string> w) : words(std::move(w)) {
        for (auto& s : words) ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }
    char** argv() { return ptrs.data(); }
};

// Runs a three-question program: the dialogue, then a report of every
// record's question and reply on standard error.
Outcome run_dialogue(std::vector<std::string> words, const std::string& input, int questions = 3) {
    return run_captured(
        [&] {
            Args args(words);
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

std::string ctrl_line(const std::string& reply, const std::string& question) {
    return reply + "\t\t#" + question + "\n";
}

}  // namespace

TEST(Dialogue, ManualModeAsksEveryQuestionAndSavesTheReplies) {
    TempDir dir;
    const std::string save = dir.file("saved");
    Outcome run = run_dialogue({"prog"}, "a.ima\n4\nout.imw\n" + save + "\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kBanner + "\n>> param_debut, mode MANUEL" + "\nquestion 1? : " + "\nquestion 2? : " +
                           "\nquestion 3? : " +
                           "\n>> param_fin : fichier de sauvegarde des nouveaux parametres? [prog.ctrl] : ");
    EXPECT_EQ(run.err, "[question 1|a.ima][question 2|4][question 3|out.imw][|]");
    EXPECT_EQ(read_file(save + ".ctrl"), ctrl_line("a.ima", "question 1") + ctrl_line("4", "question 2") +
                                             ctrl_line("out.imw", "question 3"));
}

TEST(Dialogue, ManualReplyLeftEmptyEndsTheSavedFile) {
    TempDir dir;
    const std::string save = dir.file("r.ctrl");
    Outcome run = run_dialogue({"prog"}, "a\n\nc\n" + save + "\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(read_file(save), ctrl_line("a", "question 1"));
}

TEST(Dialogue, ReplyWithBlankIsSavedWholeButReplayedAsItsFirstWord) {
    TempDir dir;
    const std::string save = dir.file("r.ctrl");
    ASSERT_EQ(run_dialogue({"prog"}, "two words\nb\nc\n" + save + "\n").status, 0);
    EXPECT_EQ(read_file(save).substr(0, 24), "two words\t\t#question 1\nb");
    Outcome replay = run_dialogue({"prog", save}, "");
    ASSERT_EQ(replay.status, 0);
    EXPECT_EQ(replay.err.substr(0, 16), "[question 1|two]");
}

TEST(Dialogue, FileModeOffersStoredRepliesAsDefaults) {
    TempDir dir;
    const std::string ctrl = dir.file("run.ctrl");
    write_file(ctrl, ctrl_line("a.ima", "question 1") + ctrl_line("8", "question 2") + ctrl_line("r.ima", "question 3"));
    // Keep the first reply, override the second, keep the third, keep the save name.
    Outcome run = run_dialogue({"prog", ctrl}, "\n4\n\n\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kBanner + "\n>> param_debut, mode FICHIER : 3 parametres lus dans " + ctrl + "\n" +
                           "\nquestion 1? [a.ima] : \nquestion 2? [8] : \nquestion 3? [r.ima] : " +
                           "\n>> param_fin : fichier de sauvegarde des nouveaux parametres? [" + ctrl + "] : ");
    EXPECT_EQ(run.err, "[question 1|a.ima][question 2|4][question 3|r.ima][|]");
    EXPECT_EQ(read_file(ctrl), ctrl_line("a.ima", "question 1") + ctrl_line("4", "question 2") +
                                   ctrl_line("r.ima", "question 3"));
}

TEST(Dialogue, FileModeReplaysWithoutTypingAtEndOfInput) {
    TempDir dir;
    const std::string ctrl = dir.file("run.ctrl");
    const std::string body = ctrl_line("a", "question 1") + ctrl_line("b", "question 2") + ctrl_line("c", "question 3");
    write_file(ctrl, body);
    Outcome run = run_dialogue({"prog", ctrl}, "");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "[question 1|a][question 2|b][question 3|c][|]");
    EXPECT_EQ(read_file(ctrl), body);
}

TEST(Dialogue, DifferentStoredQuestionIsReportedAndReplaced) {
    TempDir dir;
    const std::string ctrl = dir.file("run.ctrl");
    write_file(ctrl, ctrl_line("a", "old wording") + ctrl_line("b", "question 2") + ctrl_line("c", "question 3"));
    Outcome run = run_dialogue({"prog", ctrl}, "");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\nATT lec_param : questions differentes : \n\t- fichier .ctrl => old wording\n\t- source "
                           "C => question 1\n\nquestion 1? [a] : "),
              std::string::npos);
    EXPECT_EQ(read_file(ctrl).substr(0, 16), "a\t\t#question 1\nb");
}

TEST(Dialogue, ShortControlFileLeavesLaterQuestionsToTheTerminal) {
    TempDir dir;
    const std::string ctrl = dir.file("run.ctrl");
    write_file(ctrl, ctrl_line("a", "question 1") + ctrl_line("b", "question 2"));
    Outcome run = run_dialogue({"prog", ctrl}, "\n\nthird\n\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("mode FICHIER : 2 parametres lus"), std::string::npos);
    EXPECT_NE(run.out.find("\nquestion 3? : "), std::string::npos);
    EXPECT_EQ(run.err, "[question 1|a][question 2|b][question 3|third][|]");
}

TEST(Dialogue, ExtraControlRecordsAreKeptAndSavedAgain) {
    TempDir dir;
    const std::string ctrl = dir.file("run.ctrl");
    const std::string body = ctrl_line("a", "question 1") + ctrl_line("b", "question 2") +
                             ctrl_line("c", "question 3") + ctrl_line("d", "question 4");
    write_file(ctrl, body);
    ASSERT_EQ(run_dialogue({"prog", ctrl}, "").status, 0);
    EXPECT_EQ(read_file(ctrl), body);
}

TEST(Dialogue, AutoModeTakesRepliesFromTheCommandLineAndSavesNothing) {
    Outcome one = run_dialogue({"prog", "image.ima"}, "x\ny\n");
    ASSERT_EQ(one.status, 0);
    EXPECT_EQ(one.out, kBanner + "\n>> param_debut, mode AUTO : 1 parametres passes en ligne\n" +
                           "\nquestion 1 = image.ima\n" + "\nquestion 2? : \nquestion 3? : ");
    EXPECT_EQ(one.err, "[|image.ima][question 2|x][question 3|y][|]");

    Outcome three = run_dialogue({"prog", "a", "b", "c"}, "");
    ASSERT_EQ(three.status, 0);
    EXPECT_EQ(three.out, kBanner + "\n>> param_debut, mode AUTO : 3 parametres passes en ligne\n" +
                             "\nquestion 1 = a\n\nquestion 2 = b\n\nquestion 3 = c\n");
}

TEST(Dialogue, TwoArgumentsEndingInCtrlAreAutoMode) {
    Outcome run = run_dialogue({"prog", "x.ctrl", "y.ctrl", "z"}, "");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("mode AUTO : 3 parametres"), std::string::npos);
}

TEST(Dialogue, MissingControlFileEndsWithStatusOne) {
    Outcome run = run_dialogue({"prog", "/nonexistent/run.ctrl"}, "");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kBanner + "\n>> ERREUR param_debut : fichier /nonexistent/run.ctrl introuvable\n");
}

TEST(Dialogue, EndOfInputWithoutDefaultEndsWithStatusOne) {
    Outcome run = run_dialogue({"prog"}, "first\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\nquestion 2? : \n>> ERREUR lec_param : fin de l'entree standard"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST(Dialogue, OverlongTextsAreRefusedNotCut) {
    // A typed line of 198 characters is a reply; one of 199 is refused.
    TempDir dir;
    const std::string save = dir.file("s.ctrl");
    Outcome ok = run_dialogue({"prog"}, std::string(198, 'x') + "\nb\nc\n" + save + "\n");
    EXPECT_EQ(ok.status, 0);
    Outcome typed = run_dialogue({"prog"}, std::string(199, 'x') + "\nb\nc\n");
    EXPECT_EQ(typed.status, 1);
    EXPECT_NE(typed.out.find("ERREUR lec_param : ligne trop longue"), std::string::npos);

    Outcome arg = run_dialogue({"prog", std::string(200, 'a'), "b"}, "");
    EXPECT_EQ(arg.status, 1);
    EXPECT_NE(arg.out.find("ERREUR param_debut : texte trop long"), std::string::npos);

    Outcome question = run_captured([] {
        param head{};
        lec_param(std::string(200, 'q').c_str(), &head);
    });
    EXPECT_EQ(question.status, 1);
    EXPECT_NE(question.out.find("ERREUR lec_param : texte trop long"), std::string::npos);
}

TEST(Dialogue, InconsistentRecordIsReportedAndLeftEmpty) {
    Outcome run = run_captured([] {
        param p{};
        std::snprintf(p.qst, sizeof p.qst, "stale");
        lec_param("question", &p);
        std::fprintf(stderr, "[%s|%s|%d]", p.qst, p.rep, p.suiv != nullptr);
    });
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\nERREUR lec_param : qst=stale, rep=\n");
    EXPECT_EQ(run.err, "[stale||1]");
}

TEST(ControlFile, RecordsAreReadWordThenQuestion) {
    TempDir dir;
    const std::string ctrl = dir.file("f.ctrl");
    const std::string q199(199, 'q'), q250(250, 'r');
    write_file(ctrl, "\n   first  ignored text\t#  spaced question\n" + ctrl_line("w", q199) + ctrl_line("v", q250) +
                         ctrl_line("next", "after long") + "last\t\t#no newline");
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

TEST(ControlFile, OverlongReplyIsRefused) {
    TempDir dir;
    const std::string ctrl = dir.file("f.ctrl");
    write_file(ctrl, ctrl_line(std::string(200, 'a'), "q"));
    Outcome run = run_dialogue({"prog", ctrl}, "");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ERREUR flec_param : texte trop long"), std::string::npos);
}

TEST(SaveName, ExtensionRules) {
    TempDir dir;
    struct Case {
        std::string typed, written, warning;
    } cases[] = {
        {"res", "res.ctrl", ""},
        {"res.txt", "res.txt.ctrl", "\n>> ATT param_fin : extension erronee, .ctrl ajoutee => "},
        {"res.ctrl", "res.ctrl", ""},
        {"resb.ctrlx", "resb.ctrlx.ctrl", "\n>> ATT param_fin : extension erronee"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Outcome run = run_dialogue({"prog"}, "a\nb\nc\n" + dir.file(c.typed) + "\n");
        ASSERT_EQ(run.status, 0);
        EXPECT_TRUE(file_exists(dir.file(c.written)));
        EXPECT_EQ(run.out.find("extension erronee") != std::string::npos, !c.warning.empty());
        if (!c.warning.empty()) {
            EXPECT_NE(run.out.find(c.warning), std::string::npos);
        }
    }
    // A dot in first position is not an extension.
    Outcome hidden = run_captured(
        [&] {
            Args args({"prog"});
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

TEST(SaveName, UncreatableFileEndsWithStatusOne) {
    Outcome run = run_dialogue({"prog"}, "a\nb\nc\n/nonexistent/dir/x.ctrl\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("\n>> ERREUR param_fin : fichier /nonexistent/dir/x.ctrl inouvable\n"), std::string::npos);
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
         "\n>> ERREUR lec_int : reponse \"4294967300\" refusee a la question \"i\" (entier de -2147483648 a 2147483647)\n"},
        {[] { float f = 1; lec_float(&f, "f"); }, "1e39",
         "\n>> ERREUR lec_float : reponse \"1e39\" refusee a la question \"f\" (nombre reel representable)\n"},
        {[] { double d = 1; lec_double(&d, "d"); }, "-1e999",
         "\n>> ERREUR lec_double : reponse \"-1e999\" refusee a la question \"d\" (nombre reel representable)\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_captured(c.ask, c.typed + "\n");
        EXPECT_EQ(run.status, 1) << c.typed;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
    }
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
    struct Case {
        const char* name;
        const char* next;
        int result;
        const char* printed;
    } cases[] = {
        {"coupe_01", "coupe_02", 2, ""},
        {"coupe07", "coupe08", 2, ""},
        {"coupe99", "coupe100", 2, ""},
        {"a5x", "a06", 2, ""},
        {"coupe3", "coupe4", 1, ""},
        {"7", "8", 1, ""},
        {"coupe9", "coupe10", 1,
         "\n>>nom_image_suivante : ATT, la numerotation passe de 1 a 2 chiffres:\n\t nom initial : coupe9\n\t nom "
         "suivant : coupe10\n"},
        {"coupe", "coupe_01", 0, "\n>>nom_image_suivante : ATT, chaine coupe incorrecte; nouveau nom : coupe_01\n"},
        {"", "_01", 0, "\n>>nom_image_suivante : ATT, chaine  incorrecte; nouveau nom : _01\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome run = run_captured([&] {
            char next[LONG_NOM];
            int r = nom_image_suivante(c.name, next);
            std::fprintf(stderr, "%s|%d", next, r);
        });
        ASSERT_EQ(run.status, 0);
        EXPECT_EQ(run.err, std::string(c.next) + "|" + std::to_string(c.result));
        EXPECT_EQ(run.out, c.printed);
    }
    Outcome too_long = run_captured([] {
        char next[LONG_NOM];
        nom_image_suivante(std::string(198, 'a').c_str(), next);
    });
    EXPECT_EQ(too_long.status, 1);
}
