#include "program_test.hpp"

#include <cstdio>

namespace testing_support {

namespace {

// Whether `out` shows each of `lines` in turn.
bool shows_in_order(const std::string& out, const std::vector<std::string>& lines) {
    std::size_t at = 0;
    for (const std::string& line : lines) {
        at = out.find(line, at);
        if (at == std::string::npos) return false;
        at += line.size();
    }
    return true;
}

}  // namespace

Outcome ProgramTest::expect_dialogue_modes(const std::vector<std::string>& questions,
                                           const std::vector<std::string>& replies,
                                           const std::vector<std::string>& outputs) const {
    std::vector<std::string> first;
    auto check_outputs = [&](const char* mode) {
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            EXPECT_TRUE(exists(outputs[i])) << mode << ": " << outputs[i];
            if (first.size() < outputs.size()) first.push_back(read(outputs[i]));
            else EXPECT_EQ(read(outputs[i]), first[i]) << mode << ": " << outputs[i] << " differs from the AUTO run's";
            remove(outputs[i]);
        }
    };

    const Outcome automatic = run(replies);
    EXPECT_EQ(automatic.status, 0) << automatic.out;
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < questions.size(); ++i) shown.push_back("\n" + questions[i] + " = " + replies[i] + "\n");
    EXPECT_TRUE(shows_in_order(automatic.out, shown)) << automatic.out;
    EXPECT_FALSE(exists(program_ + ".ctrl"));
    check_outputs("AUTO");

    std::string typed;
    for (const std::string& r : replies) typed += r + "\n";
    const Outcome manual = run({}, typed + "run\n");
    EXPECT_EQ(manual.status, 0) << manual.out;
    EXPECT_TRUE(asks_in_order(manual.out, questions)) << manual.out;
    const std::string ctrl = ctrl_text(replies, questions);
    EXPECT_EQ(read("run.ctrl"), ctrl);
    check_outputs("MANUEL");

    const Outcome replay = run({"run.ctrl"});
    EXPECT_EQ(replay.status, 0) << replay.out;
    EXPECT_NE(replay.out.find("mode FICHIER : " + std::to_string(questions.size()) + " parametres lus dans run.ctrl"),
              std::string::npos);
    shown.clear();
    for (std::size_t i = 0; i < questions.size(); ++i) shown.push_back("\n" + questions[i] + "? [" + replies[i] + "] : ");
    EXPECT_TRUE(shows_in_order(replay.out, shown)) << replay.out;
    EXPECT_EQ(read("run.ctrl"), ctrl);
    check_outputs("FICHIER");
    return automatic;
}

void ProgramTest::expect_refused(const std::vector<std::string>& args, int status, const std::string& message,
                                 const std::vector<std::string>& absent) const {
    std::string call = program_;
    for (const std::string& a : args) call += " " + a;
    SCOPED_TRACE(call);
    const Outcome refused = run(args);
    EXPECT_EQ(refused.status, status);
    EXPECT_NE(refused.out.find(in_folder(message, dir_.path())), std::string::npos) << refused.out;
    EXPECT_EQ(refused.err, "");
    for (const std::string& name : absent) EXPECT_FALSE(exists(name)) << name;
}

}  // namespace testing_support
