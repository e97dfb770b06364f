// mean-square-tool end to end: float results of the squares' means.

#include <string>

#include "program_test.hpp"

using namespace testing_support;

namespace {

class MeanSquareTool : public ProgramTest {
protected:
    MeanSquareTool() : ProgramTest("mean-square-tool") {}
};

}  // namespace

TEST_F(MeanSquareTool, FloatResultsOnly) {
    write("in.dim", "3 1");
    write("in.ima", std::string("\x01\x02\x03", 3));
    const Outcome squares = run({"in.ima", "3", "1", "sq.imf"});
    ASSERT_EQ(squares.status, 0) << squares.out;
    // (1 + 4) / 2, (1 + 4 + 9) / 3, (4 + 9) / 2 as big-endian floats.
    EXPECT_EQ(read("sq.imf"), be32(0x40200000) + be32(0x40955555) + be32(0x40d00000));
    expect_refused({"in.ima", "3", "1", "sq.ima"}, 1, "une image fl ne peut pas etre ecrite au format .ima", {"sq.ima"});
}
