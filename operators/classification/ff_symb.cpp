// Classifier by fuzzy symbolic rules: triangular terms, one t-norm and one
// t-conorm. The reader and the pipeline are those of fuzzy_rules.hpp.

#include "ff_symb.h"

#include <cstdio>
#include <cstdlib>

#include "fuzzy_rules.hpp"
#include "questions.hpp"

namespace {

struct Symbolic {
    static constexpr bool gradual = false;
    static float membership(const ff_terme& term, float x) { return appartenance(&term, x); }
    static float representative(const ff_terme& term) { return term.b; }
    static int premise_op(const ff_symb_t& d) { return d.type_tnorme; }
    static int combine_op(const ff_symb_t& d) { return d.type_tnorme; }
    static int aggregate_op(const ff_symb_t& d) { return d.type_tconorme + fuzzy::kTcZadeh; }
    static ff_operation premise_fn(const ff_symb_t& d) { return d.tnorme; }
    static ff_operation combine_fn(const ff_symb_t& d) { return d.tnorme; }
    static ff_operation aggregate_fn(const ff_symb_t& d) { return d.tconorme; }
};

// Reads the three reals of a triangular term.
void read_triangle(fuzzy::Tokens& tokens, ff_terme& term, const std::string& what) {
    term.a = tokens.real("a du " + what);
    term.b = tokens.real("b du " + what);
    term.c = tokens.real("c du " + what);
    if (!(term.a <= term.b && term.b <= term.c)) tokens.refuse(what + " : il faut a <= b <= c");
}

// Chooses the operations; refuses codes outside 0 ... 3.
void set_pfi(ff_symb_t* d) {
    static const ff_operation tnorms[] = {tn_zadeh, tn_proba, tn_luk, tn_weber};
    static const ff_operation tconorms[] = {tc_zadeh, tc_proba, tc_luk, tc_weber};
    if (d->type_tnorme < 0 || d->type_tnorme > 3 || d->type_tconorme < 0 || d->type_tconorme > 3)
        fw::fail(1, "erreur sur le choix du type de T-norme\n");
    d->tnorme = tnorms[d->type_tnorme];
    d->tconorme = tconorms[d->type_tconorme];
    if (d->type_defuzzification != 0 && d->type_defuzzification != 1) fw::fail(1, "type defuzzification incorrect\n");
}

}  // namespace

extern "C" {

int tn_zadeh(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnZadeh>(*x, *y), 0; }
int tn_proba(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnProba>(*x, *y), 0; }
int tn_luk(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnLuk>(*x, *y), 0; }
int tn_weber(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTnWeber>(*x, *y), 0; }
int tc_zadeh(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcZadeh>(*x, *y), 0; }
int tc_proba(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcProba>(*x, *y), 0; }
int tc_luk(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcLuk>(*x, *y), 0; }
int tc_weber(float* x, float* y, float* r) { return *r = fuzzy::apply<fuzzy::kTcWeber>(*x, *y), 0; }

float appartenance(const ff_terme* t, float x) {
    if (x <= t->a) return t->a == t->b ? 1.0f : 0.0f;
    if (x > t->a && x <= t->b) return (x - t->a) / (t->b - t->a);
    if (x > t->b && x <= t->c) return t->b == t->c ? 1.0f : (t->c - x) / (t->c - t->b);
    if (x > t->c) return t->b == t->c ? 1.0f : 0.0f;
    std::printf("Erreur dans la fonction appartenance\n");
    return 0.0f;
}

param* ff_symb_lect(ff_symb_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "ff_symb_lect");
    questions.file_name("fichier d'initialisation");
    desc->fichier = ptp->rep;
    desc->type_tnorme = questions.integer("type de Tnorme (0-3)");
    desc->type_tconorme = questions.integer("type de Tconorme (0-3)");
    desc->type_defuzzification = questions.integer("type de d\351fuzzification (0-1)");
    return questions.next();
}

int ff_symb_init(ff_symb_t* desc) {
    std::printf("lecture du nombre d'entree\n");
    fuzzy::read_base(*desc, desc->fichier, "init", 2, "il faut au moins une variable d'entree et la variable de sortie",
                     read_triangle);
    set_pfi(desc);
    return NO_ERROR;
}

float ff_symb_calc(ff_symb_t* desc, const float* inputs, float* outputs) {
    return fuzzy::evaluate<Symbolic>(*desc, inputs, outputs);
}

int ff_symb_u1_init(ff_symb_t* desc, int n, const imau1* attributs, imau1* classes, imafl* valeurs) {
    fuzzy::image_init(*desc, "ff_symb_u1_init", "symb", n, attributs, classes, valeurs);
    return NO_ERROR;
}

int ff_symb_u1_calc(ff_symb_t* desc, const imau1* attributs, imau1* classes, imafl* valeurs) {
    fuzzy::image_calc<Symbolic>(*desc, attributs, classes, valeurs);
    return NO_ERROR;
}

int ff_symb_ferm(ff_symb_t* desc) {
    for (int v = 0; v < desc->nb_variables; ++v) std::free(desc->variables[v].termes);
    std::free(desc->variables);
    for (int r = 0; r < desc->nb_regles; ++r) std::free(desc->regles[r].premisse);
    std::free(desc->regles);
    for (int v = 0; v < desc->nb_degres; ++v) std::free(desc->degres[v]);
    std::free(desc->degres);
    desc->variables = nullptr;
    desc->regles = nullptr;
    desc->degres = nullptr;
    desc->nb_variables = desc->nb_regles = desc->nb_degres = 0;
    return NO_ERROR;
}

}  // extern "C"
