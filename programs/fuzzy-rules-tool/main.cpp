// fuzzy-rules-tool: classifies every pixel of n 8-bit attribute images with
// a fuzzy rule base, symbolic (ff_symb) or gradual (grClassif). The n levels
// of a pixel are one input vector; the result is the winning output term's
// index (defuzzification 0, written as ima or ras) or the defuzzified value
// (defuzzification 1, written as imf).
// Dialogue: the classifier (0 or 1), its questions, the number of attribute
// images n, the n images, the result. The base must have n input
// variables, the images one size and the result's format must fit the
// defuzzification: all checked before any output file is created.

#include <vector>

#include "cycle.hpp"
#include "ff_symb.h"
#include "grClassif.h"
#include "questions.hpp"

int main(int argc, char** argv) {
    constexpr const char* program = "fuzzy-rules-tool";
    param head;
    ff_symb_t symbolic{};
    grClassif_t gradual{};
    write_ima_t writer;

    param_debut(argc, argv, &head);
    fw::Questions choice(&head, nullptr, program);
    const int classifier = choice.choice(">> classifieur (0 = symbolique, 1 = graduel)", {0, 1});
    param* ptp = classifier == 0 ? ff_symb_lect(&symbolic, choice.next(), ">> regles floues :")
                                 : grClassif_lect(&gradual, choice.next(), ">> regles floues :");
    fw::Questions count(ptp, nullptr, program);
    const int n = count.integer(">> nombre d'images attributs", 1, 255);
    std::vector<read_ima_t> readers(static_cast<std::size_t>(n));
    ptp = cycle::read_stack_lect(readers, count.next(), ">> attribut %d/%d (u1):");
    write_ima_lect(&writer, ptp, ">> classification :");
    param_fin(argc, argv, &head);

    const int defuzzification = classifier == 0 ? (ff_symb_init(&symbolic), symbolic.type_defuzzification)
                                                : (grClassif_init(&gradual), gradual.type_defuzzification);
    if (defuzzification == 0) cycle::check_writes<imau1>(writer, program);
    else cycle::check_writes<imafl>(writer, program);
    std::vector<imau1> attributes = cycle::read_stack<imau1>(readers, program);
    imau1 classes{};
    imafl values{};
    if (classifier == 0) ff_symb_u1_init(&symbolic, n, attributes.data(), &classes, &values);
    else grClassif_u1_init(&gradual, n, attributes.data(), &classes, &values);
    write_ima_init(&writer);
    if (classifier == 0) ff_symb_u1_calc(&symbolic, attributes.data(), &classes, &values);
    else grClassif_u1_calc(&gradual, attributes.data(), &classes, &values);
    cycle::end_program(defuzzification == 0 ? cycle::write_any(&writer, classes) : cycle::write_any(&writer, values));
}
