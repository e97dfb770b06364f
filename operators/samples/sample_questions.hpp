// sample_questions.hpp: the four questions that both sample operators ask,
// into the four fields their descriptors begin with.
#pragma once

#include "questions.hpp"
#include "text_input.hpp"

namespace samples {

// Asks "<debq> dimX (entier)", "<debq> dimY (entier)", "<debq> gain (reel)"
// and "<debq> forme (nom)" into desc's dimX, dimY, gain and forme; returns
// the record after the fourth question.
template <class Descriptor>
param* ask_parameters(Descriptor* desc, param* ptp, const char* debq, const char* who) {
    fw::Questions questions(ptp, debq, who);
    desc->dimX = questions.integer("dimX (entier)");
    desc->dimY = questions.integer("dimY (entier)");
    desc->gain = questions.real_float("gain (reel)");
    fw::copy_text(desc->forme, questions.text("forme (nom)"));
    return questions.next();
}

}  // namespace samples
