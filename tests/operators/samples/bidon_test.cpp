// The sample image operator: its dialogue, its mask for each form, the
// copy it makes, and its refusals.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bidon.h"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// Asks bidon's questions with `replies`, then runs init and calc on a 3 x 2
// image; reports the mask and the output on standard error.
Outcome run_bidon(const std::vector<std::string>& replies) {
    bidon_t desc{};
    return run_phase(
        replies, [&](param* head) { return bidon_lect(&desc, head, ">> bidon :"); },
        [&](param*, param*) {
            imau1 in = make_image<imau1>(3, 2, pixels_from<int>({1, 2, 3, 250, 0, 9}, 3));
            std::snprintf(in.nom, sizeof in.nom, "in");
            imau1 out{};
            bidonu1_init(&desc, in, &out);
            bidonu1_calc(&desc, in, &out);
            std::fprintf(stderr, "%s %dx%d:", out.nom, out.nc, out.nr);
            for (int v : pixels_of(out)) std::fprintf(stderr, " %d", v);
            std::fprintf(stderr, " |");
            for (float v : pixels_of(desc.masque)) std::fprintf(stderr, " %g", v);
        });
}

}  // namespace

TEST(Bidon, MasksCopiesAndRefusals) {
    const Outcome rectangle = run_bidon({"3", "2", "0.5", "rectangle"});
    ASSERT_EQ(rectangle.status, 0) << rectangle.out;
    for (const char* question : {"\n>> bidon : dimX (entier) = 3\n", "\n>> bidon : dimY (entier) = 2\n",
                                 "\n>> bidon : gain (reel) = 0.5\n", "\n>> bidon : forme (nom) = rectangle\n",
                                 "\n>>bidonu1_init : masque rectangle 3x2\n"})
        EXPECT_NE(rectangle.out.find(question), std::string::npos) << question;
    EXPECT_EQ(rectangle.err, "in_bidon_3x2 3x2: 1 2 3 250 0 9 | 0.5 0.5 0.5 0.5 0.5 0.5");
    const Outcome triangle = run_bidon({"2", "1", "7", "triangle"});
    EXPECT_EQ(triangle.err, "in_bidon_2x1 3x2: 1 2 3 250 0 9 | 0 0");

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"3", "2", "1", "Rectangle"}, "\n>>ERREUR bidonu1_init : masque Rectangle inconnu\n"},
        {{"0", "2", "1", "rectangle"}, "\n>> ERREUR bidonu1_init : masque 0x2 incorrect (dimX et dimY entiers positifs)\n"},
        {{"3", "-1", "1", "triangle"}, "masque 3x-1 incorrect"},
        {{"2147483647", "2147483647", "1", "rectangle"}, "\n allocation image impossible\n"},
        {{"3", "2", "1e300", "rectangle"}, "refusee a la question \">> bidon : gain (reel)\""},
    };
    for (const auto& [replies, message] : refused) {
        SCOPED_TRACE(message);
        EXPECT_TRUE(ended_saying(run_bidon(replies), 1, message));
    }
}
