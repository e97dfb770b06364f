// End-to-end tests of one built program, each test in a fresh folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"

namespace testing_support {

class ProgramTest : public testing::Test {
protected:
    explicit ProgramTest(std::string program) : program_(std::move(program)) {}

    // Runs the program in the test's folder.
    Outcome run(const std::vector<std::string>& args, const std::string& input = "") const {
        return run_program(program_, args, input, dir_.path());
    }

    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string read(const std::string& name) const { return read_file(dir_.file(name)); }
    void write(const std::string& name, const std::string& bytes) const { write_file(dir_.file(name), bytes); }
    bool exists(const std::string& name) const { return file_exists(dir_.file(name)); }
    void remove(const std::string& name) const { std::remove(dir_.file(name).c_str()); }

    // Runs the program in its three dialogue modes with the same replies:
    // on the command line (AUTO: each question shown with its reply, nothing
    // saved), typed (MANUEL: each question asked in turn, the replies saved
    // as run.ctrl) and replayed from run.ctrl with nothing typed (FICHIER:
    // each question offered with its recorded reply, run.ctrl saved again
    // unchanged). Every run must end with status 0 and write the same
    // `outputs`. Returns the AUTO run.
    Outcome expect_dialogue_modes(const std::vector<std::string>& questions, const std::vector<std::string>& replies,
                                  const std::vector<std::string>& outputs) const;

    // Runs the program with `args` and expects `status`, `message` in its
    // standard output ("@" stands for the folder), nothing on standard error
    // and none of `absent` created.
    void expect_refused(const std::vector<std::string>& args, int status, const std::string& message,
                        const std::vector<std::string>& absent = {}) const;

    TempDir dir_;
    std::string program_;
};

}  // namespace testing_support
