// learning-set-cleaning-tool: prepares raw learning points (as
// learning-set-tool writes them) for rules-learning-tool: for every pair of
// attributes and every class, repeated points merged, sparse points
// dropped, the class split into compact groups; writes the processed
// learning set (read by rules-learning-tool with "preprocessing stage"
// answered 1) and the trace files learn_clean.data, compet_agg.txt and
// learning_set_processing.txt in the working directory.
// Dialogue: the data file, the number of classes, the size of each class,
// the number of attributes, the processed learning set to write. Data files
// that cannot be read or do not hold what the replies announce are refused
// before any output file is created.

#include "cycle.hpp"
#include "traitement_donnees.h"

int main(int argc, char** argv) {
    param head;
    traitement_donnees_t cleaning{};
    learning_set set{};

    param_debut(argc, argv, &head);
    traitement_donnees_lect(&cleaning, &head, ">> pretraitement :");
    param_fin(argc, argv, &head);

    traitement_donnees_init(&cleaning, &set);
    traitement_donnees_calc(&set, &cleaning);
    traitement_donnees_ferm(&cleaning, &set);
    cycle::end_program(NO_ERROR);
}
