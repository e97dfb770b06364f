// learning-set-tool: the learning points of N 8-bit attribute images and a
// mask of class labels (label 0 expected as the background), written as a
// raw learning-data file: one line per point, its attribute values then
// its label, points grouped by class in increasing label order, in the
// mask's order within a class. Prints the numbers of attributes, classes
// and points per class that the learning of rules asks for.
// Dialogue: the learning set's questions (number of attributes, the
// images, their rectangle, the mask and its rectangle), then the file to
// write. When the most frequent label is not 0, the background is
// confirmed or chosen on standard input.

#include <string>

#include "cycle.hpp"
#include "learning_set.h"
#include "questions.hpp"

int main(int argc, char** argv) {
    param head;
    format_learning_set_from_imau1_t learning;
    learning_set set{};

    param_debut(argc, argv, &head);
    param* ptp = format_learning_set_from_imau1_lect(&learning, &head, ">> ensemble d'apprentissage :");
    fw::Questions questions(ptp, nullptr, "learning-set-tool");
    const std::string file = questions.file_name(">> fichier des points d'apprentissage");
    param_fin(argc, argv, &head);

    format_learning_set_from_imau1_init(&learning, 0, &set);
    format_learning_set_from_imau1_calc(&learning, &set);
    ecrire_learning_set(set, file.c_str());
    format_learning_set_from_imau1_ferm(&learning, &set);
    cycle::end_program(NO_ERROR);
}
