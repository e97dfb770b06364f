// The declared questions of a reading phase: what each kind accepts, what it
// refuses and how.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "files.hpp"
#include "questions.hpp"

using namespace testing_support;

namespace {

// Asks one question of a kind on a command-line reply and reports the
// converted value on standard error.
using Ask = std::function<std::string(fw::Questions&)>;

Outcome ask(const std::string& reply, const Ask& kind) {
    return run_phase(
        {reply, "after"},
        [&](param* head) {
            fw::Questions questions(head, ">> stage :", "stage_lect");
            const std::string value = kind(questions);
            std::fprintf(stderr, "%s", value.c_str());
            return questions.next();
        },
        [](param* next, param*) { std::fprintf(stderr, "|%s", next->rep); });
}

std::string str(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

const Ask kInteger = [](fw::Questions& q) { return std::to_string(q.integer("n")); };
const Ask kRange = [](fw::Questions& q) { return std::to_string(q.integer("n", -3, 12)); };
const Ask kChoice = [](fw::Questions& q) { return std::to_string(q.choice("n", {4, 8})); };
const Ask kWindow = [](fw::Questions& q) { return std::to_string(q.odd_window("n")); };
const Ask kReal = [](fw::Questions& q) { return str(q.real("n")); };
const Ask kRealRange = [](fw::Questions& q) { return str(q.real("n", 0, 1)); };
const Ask kFloat = [](fw::Questions& q) { return str(q.real_float("n")); };
const Ask kName = [](fw::Questions& q) { return q.file_name("n"); };
const Ask kText = [](fw::Questions& q) { return "[" + q.text("n") + "]"; };

}  // namespace

TEST(Questions, AcceptedRepliesAreConvertedAsStrtolAndStrtodDo) {
    struct Case {
        const char* what;
        const Ask& kind;
        std::string reply, value;
    } cases[] = {
        {"integer", kInteger, "42", "42"},
        {"negative integer", kInteger, "-2147483648", std::to_string(INT_MIN)},
        {"leading blanks and a sign", kInteger, "  +17", "17"},
        {"trailing garbage", kInteger, "12abc", "12"},
        {"no number", kInteger, "abc", "0"},
        {"range bound", kRange, "12", "12"},
        {"range with trailing text", kRange, "-3 pixels", "-3"},
        {"choice", kChoice, "8", "8"},
        {"choice with trailing text", kChoice, "4-connexity", "4"},
        {"window", kWindow, "7", "7"},
        {"window of one", kWindow, "1x1", "1"},
        {"real", kReal, "-2.5e3", "-2500"},
        {"real with trailing text", kReal, "0.25dB", "0.25"},
        {"real that is no number", kReal, "x", "0"},
        {"real at a bound", kRealRange, "1", "1"},
        {"float", kFloat, "3.5", "3.5"},
        {"file name", kName, "dir.v2/a.ima", "dir.v2/a.ima"},
        {"text", kText, "two words", "[two words]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = ask(c.reply, c.kind);
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.err, c.value + "|after");
        EXPECT_NE(run.out.find("\n>> stage : n = " + c.reply + "\n"), std::string::npos);
    }
}

TEST(Questions, RefusalsNameTheQuestionAndTheAcceptedValues) {
    struct Case {
        const char* what;
        const Ask& kind;
        std::string reply, accepted;
    } cases[] = {
        {"integer overflow", kInteger, "2147483648", "entier de -2147483648 a 2147483647"},
        {"integer wrapping to 4", kInteger, "4294967300", "entier de -2147483648 a 2147483647"},
        {"overflow of long long", kInteger, "-99999999999999999999", "entier de -2147483648 a 2147483647"},
        {"below the range", kRange, "-4", "entier de -3 a 12"},
        {"above the range", kRange, "13", "entier de -3 a 12"},
        {"range overflow", kRange, "99999999999", "entier de -3 a 12"},
        {"not a choice", kChoice, "6", "4, 8"},
        {"no number for a choice", kChoice, "eight", "4, 8"},
        {"choice overflow", kChoice, "4294967300", "4, 8"},
        {"even window", kWindow, "4", "entier impair positif"},
        {"zero window", kWindow, "0", "entier impair positif"},
        {"negative window", kWindow, "-3", "entier impair positif"},
        {"window overflow", kWindow, "4294967297", "entier impair positif"},
        {"real overflow", kReal, "1e400", "reel de -1.79769e+308 a 1.79769e+308"},
        {"infinite real", kReal, "inf", "reel de -1.79769e+308 a 1.79769e+308"},
        {"not a number", kReal, "nan", "reel de -1.79769e+308 a 1.79769e+308"},
        {"real out of range", kRealRange, "1.5", "reel de 0 a 1"},
        {"float overflow", kFloat, "1e39", "reel de -3.40282e+38 a 3.40282e+38"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = ask(c.reply, c.kind);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "");
        const std::string line = "\n>> ERREUR stage_lect : reponse \"" + c.reply +
                                 "\" refusee a la question \">> stage : n\" (" + c.accepted + ")\n";
        ASSERT_GE(run.out.size(), line.size()) << run.out;
        EXPECT_EQ(run.out.substr(run.out.size() - line.size()), line);
    }
}

TEST(Questions, ConsecutiveQuestionsAndMainsWithoutHeading) {
    // Typed replies, asked one after the other on the terminal.
    const Outcome run = run_captured(
        [] {
            char prog[] = "prog";
            char* argv[] = {prog, nullptr};
            param head;
            param_debut(1, argv, &head);
            fw::Questions questions(&head, nullptr, "main");
            const int a = questions.integer("a:");
            const double b = questions.real("b:");
            const std::string c = questions.file_name("c:");
            std::fprintf(stderr, "%d %g %s %d", a, b, c.c_str(), questions.next() == head.suiv->suiv->suiv);
        },
        "3\n0.5\nf.ima\n");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "3 0.5 f.ima 1");
    EXPECT_TRUE(asks_in_order(run.out, {"a:", "b:", "c:"}));

    // An empty line for a file name is refused.
    const Outcome empty = run_captured(
        [] {
            param head{};
            fw::Questions(&head, ">> stage :", "stage_lect").file_name("n");
        },
        "\n");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("\n>> ERREUR stage_lect : reponse \"\" refusee a la question \">> stage : n\" (nom de "
                             "fichier non vide)\n"),
              std::string::npos);
}

TEST(Questions, ReplyConversionsOnTheirOwn) {
    EXPECT_EQ(fw::integer_reply<int>("2147483647"), INT_MAX);
    EXPECT_EQ(fw::integer_reply<int>("-2147483649"), std::nullopt);
    EXPECT_EQ(fw::integer_reply<long long>("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(fw::integer_reply<long long>("9223372036854775808"), std::nullopt);
    EXPECT_EQ(fw::real_reply<float>("3.4e38"), 3.4e38f);
    EXPECT_EQ(fw::real_reply<float>("-3.5e38"), std::nullopt);
    EXPECT_EQ(fw::real_reply<double>("1e-400"), 0.0);  // an underflow reads as the nearest value
    EXPECT_EQ(fw::real_reply<double>("-1e309"), std::nullopt);
}
