// Classifier by gradual fuzzy rules: shaped terms and three operations
// chosen among nine. The reader and the pipeline are those of
// fuzzy_rules.hpp.

#include "grClassif.h"

#include <cmath>
#include <cstdio>

#include "fuzzy_rules.hpp"
#include "questions.hpp"

namespace {

struct Gradual {
    static constexpr bool gradual = true;
    static float membership(const gr_terme& term, float x) { return gr_appartenance(&term, x); }
    static float representative(const gr_terme& term) {
        return term.type == 0 ? 0.0f : term.type == 1 ? 1.0f : (term.a + term.b) / 2.0f;
    }
    static int premise_op(const grClassif_t& d) { return d.type_premisse; }
    static int combine_op(const grClassif_t& d) { return d.type_combinaison; }
    static int aggregate_op(const grClassif_t& d) { return d.type_projection; }
    static gr_operation premise_fn(const grClassif_t& d) { return d.premisse; }
    static gr_operation combine_fn(const grClassif_t& d) { return d.combinaison; }
    static gr_operation aggregate_fn(const grClassif_t& d) { return d.projection; }
};

// Reads the shape type of a term and, for types 2 to 5, its two reals.
void read_shape(fuzzy::Tokens& tokens, gr_terme& term, const std::string& what) {
    term.type = static_cast<int>(tokens.integer("type de forme du " + what, 0, 5));
    if (term.type < 2) return;
    term.a = tokens.real("a du " + what);
    term.b = tokens.real("b du " + what);
    if (!(term.a <= term.b)) tokens.refuse(what + " : il faut a <= b");
}

void set_pfi(grClassif_t* d) {
    static const gr_operation operations[] = {gr_tn_zadeh, gr_tn_proba, gr_tn_luk, gr_tn_weber, gr_tc_zadeh,
                                              gr_tc_proba, gr_tc_luk,   gr_tc_weber, gr_op_Rescher_Gaines};
    for (int code : {d->type_premisse, d->type_combinaison, d->type_projection})
        if (code < 0 || code >= fuzzy::kOps) fw::fail(1, "Erreur sur le choix du type d'operateur\n");
    d->premisse = operations[d->type_premisse];
    d->combinaison = operations[d->type_combinaison];
    d->projection = operations[d->type_projection];
    if (d->type_defuzzification != 0 && d->type_defuzzification != 1) fw::fail(1, "type defuzzification incorrect\n");
}

}  // namespace

extern "C" {

int gr_tn_zadeh(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnZadeh>(*x, *y), 0; }
int gr_tn_proba(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnProba>(*x, *y), 0; }
int gr_tn_luk(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnLuk>(*x, *y), 0; }
int gr_tn_weber(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnWeber>(*x, *y), 0; }
int gr_tc_zadeh(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcZadeh>(*x, *y), 0; }
int gr_tc_proba(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcProba>(*x, *y), 0; }
int gr_tc_luk(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcLuk>(*x, *y), 0; }
int gr_tc_weber(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcWeber>(*x, *y), 0; }
int gr_op_Rescher_Gaines(float* x, float* y, float* r) {
    return *r = fuzzy::apply<fuzzy::kRescherGaines>(*x, *y), 0;
}

float gr_appartenance(const gr_terme* t, float x) {
    const float a = t->a, b = t->b;
    if (t->type == 0) return 0.0f;
    if (t->type == 1) return 1.0f;
    if (t->type >= 2 && t->type <= 5 && !std::isnan(x)) {
        // With a = b no value lies strictly between: the ramps are steps.
        if (t->type == 2) return x <= a ? 0.0f : x >= b ? 1.0f : (x - a) / (b - a);
        if (t->type == 3) return x <= a ? 1.0f : x >= b ? 0.0f : (b - x) / (b - a);
        const bool inside = a <= x && x <= b;
        return (t->type == 4) == inside ? 1.0f : 0.0f;
    }
    std::printf("Erreur dans la fonction appartenance\n");
    return 0.0f;
}

param* grClassif_lect(grClassif_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "grClassif_lect");
    questions.file_name("fichier d'initialisation");
    desc->fichier = ptp->rep;
    desc->type_premisse = questions.integer("type de l'operateur pour premisse (0-8)");
    desc->type_combinaison = questions.integer("type de l'operateur pour combinaison (0-8)");
    desc->type_projection = questions.integer("type de l'operateur pour projection (0-8)");
    desc->type_defuzzification = questions.integer("type de d\351fuzzification (0-1)");
    return questions.next();
}

int grClassif_init(grClassif_t* desc) {
    fuzzy::read_base(*desc, desc->fichier, "gr_init", 3,
                     "une base de regles graduelles demande au moins deux variables d'entree", read_shape);
    set_pfi(desc);
    return NO_ERROR;
}

float grClassif_calc(grClassif_t* desc, const float* inputs, float* outputs) {
    return fuzzy::evaluate<Gradual>(*desc, inputs, outputs);
}

int grClassif_u1_init(grClassif_t* desc, int n, const imau1* attributs, imau1* classes, imafl* valeurs) {
    fuzzy::image_init(*desc, "grClassif_u1_init", "grad", n, attributs, classes, valeurs);
    return NO_ERROR;
}

int grClassif_u1_calc(grClassif_t* desc, const imau1* attributs, imau1* classes, imafl* valeurs) {
    fuzzy::image_calc<Gradual>(*desc, attributs, classes, valeurs);
    return NO_ERROR;
}

}  // extern "C"
