// rules-learning-tool: learns gradual rules from labelled learning points,
// raw (as learning-set-tool writes them) or grouped by
// learning-set-cleaning-tool, and writes the convex hulls' corners and the
// rules of every pair of attributes and every class or group.
// Dialogue: the data file, whether it is preprocessed, the corners file,
// the rules file, the number of attributes, then for raw points the number
// of classes and the size of each class. Data files that cannot be read or
// do not hold what the replies announce are refused before any output file
// is created.

#include <cstdio>

#include "cycle.hpp"
#include "learning_gradual_rules.h"

int main(int argc, char** argv) {
    param head;
    learning_gradual_rules_t learning{};

    param_debut(argc, argv, &head);
    learning_gradual_rules_lect(&learning, &head, "");
    param_fin(argc, argv, &head);

    learning_gradual_rules_init(&learning);
    if (learning_gradual_rules_calc(&learning) != 0) {
        std::printf("Erreur dans la fonction de calcul\n");
        learning_gradual_rules_ferm(&learning);
        cycle::end_program(1);
    }
    learning_gradual_rules_ferm(&learning);
    cycle::end_program(NO_ERROR);
}
