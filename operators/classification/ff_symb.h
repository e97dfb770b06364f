/*
 * ff_symb.h: classifier by fuzzy symbolic rules.
 *
 * A rule base (read from a text file) holds linguistic variables, each
 * with triangular terms, and rules "if input 1 is term ... and input n is
 * term ... then the output is term t, with weight w". One vector of n real
 * inputs is evaluated at a time:
 *   fuzzification  degree of every input in each of its terms;
 *   premise        T(...T(T(1, d1), d2)..., dn) with the chosen t-norm T;
 *   inference      per output term t, agg = 0, then for every rule
 *                  concluding t in file order agg = S(agg, T(premise, w))
 *                  with the chosen t-conorm S;
 *   defuzzification type 0: the index of the largest output degree (the
 *                  lower index on ties, 0 when all are 0); type 1: the
 *                  centroid sum(degree * peak) / sum(degree), 0 when all
 *                  degrees are 0.
 *
 * Rule-base file, tokens separated by any white space:
 *   V (variables: the inputs, then the output; 2 ... 256)
 *   V times: name, T (terms, 0 ... 255), then T times: name a b c
 *            (a <= b <= c: left foot, peak, right foot)
 *   R (rules, 0 or more)
 *   R times: V - 1 premise term names (one per input, in order), the
 *            conclusion term name, the weight (0 ... 1)
 * Names have at most 99 characters and are matched exactly (first match).
 * Anything else (a missing or non-numeric token, a count out of range, an
 * unknown term name, a long name, a > b or b > c) is refused with a line
 * naming the file and the token, and status 1.
 */
#ifndef FF_SYMB_H
#define FF_SYMB_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Size of a name: 99 characters and the terminator. */
#define FF_NOM 100

/* A two-operand operation: *resultat = op(*x, *y); returns 0. */
typedef int (*ff_operation)(float *x, float *y, float *resultat);

typedef struct {
    char nom[FF_NOM];
    float a, b, c; /* left foot, peak, right foot */
} ff_terme;

typedef struct {
    char nom[FF_NOM];
    unsigned char nb_termes;
    ff_terme *termes;
} ff_variable;

typedef struct {
    unsigned char *premisse;  /* one term index per input variable */
    unsigned char conclusion; /* term index in the output variable */
    float poids;
} ff_regle;

typedef struct {
    int type_tnorme;   /* 0 Zadeh, 1 probabilistic, 2 Lukasiewicz, 3 Weber */
    int type_tconorme; /* the same codes */
    ff_operation tnorme;
    ff_operation tconorme;
    int type_defuzzification; /* 0 winning term, 1 centroid */
    int nb_variables;         /* inputs, then the output (last) */
    ff_variable *variables;
    int nb_regles;
    ff_regle *regles;
    int nb_degres;   /* one table per variable */
    float **degres;  /* degres[v][k]: inputs fuzzified, output aggregated */
    const char *fichier; /* the reply to the first question */
} ff_symb_t;

/* The operations (codes 0 ... 3 of each kind). */
int tn_zadeh(float *x, float *y, float *r);
int tn_proba(float *x, float *y, float *r);
int tn_luk(float *x, float *y, float *r);
int tn_weber(float *x, float *y, float *r);
int tc_zadeh(float *x, float *y, float *r);
int tc_proba(float *x, float *y, float *r);
int tc_luk(float *x, float *y, float *r);
int tc_weber(float *x, float *y, float *r);

/* Membership of x in a triangular term: 1 for x <= a when a = b and for
 * x > b when b = c (shoulders), (x - a)/(b - a) on the rising side,
 * (c - x)/(c - b) on the falling side, 0 outside. A NaN prints
 * "Erreur dans la fonction appartenance" and gives 0. */
float appartenance(const ff_terme *terme, float x);

/* Asks "<debq> fichier d'initialisation", "<debq> type de Tnorme (0-3)",
 * "<debq> type de Tconorme (0-3)", "<debq> type de d\351fuzzification (0-1)"
 * (integers beyond the range of int are refused; the values are checked by
 * init). Returns the next record. */
param *ff_symb_lect(ff_symb_t *desc, param *ptp, const char *debq);

/* Prints "lecture du nombre d'entree", reads the rule base (refusals as
 * above; "ERREUR: impossible d'ouvrir le fichier <name>" when it cannot be
 * opened), then chooses the operations: a t-norm or t-conorm type outside
 * 0 ... 3 ends the process with "erreur sur le choix du type de T-norme",
 * a defuzzification type other than 0 or 1 with "type defuzzification
 * incorrect" (status 1). Returns 0. */
int ff_symb_init(ff_symb_t *desc);

/* Evaluates one vector (one float per input variable). Type 0: outputs
 * gets the degree of every output term and the winning index is returned;
 * type 1: outputs[0] gets the centroid, which is returned. */
float ff_symb_calc(ff_symb_t *desc, const float *inputs, float *outputs);

/* For n 8-bit attribute images, one per input variable and all of one
 * size (otherwise the process ends with status 1): sizes, names
 * ("<first>_symb") and allocates classes (type 0) or valeurs (type 1).
 * Returns 0. */
int ff_symb_u1_init(ff_symb_t *desc, int n, const imau1 *attributs, imau1 *classes, imafl *valeurs);

/* Classifies every pixel (the vector of its n attribute levels) as
 * ff_symb_calc does: the winning index into classes (type 0) or the
 * centroid into valeurs (type 1). Returns 0. */
int ff_symb_u1_calc(ff_symb_t *desc, const imau1 *attributs, imau1 *classes, imafl *valeurs);

/* Frees the variables with their terms, the rules and the degree tables.
 * Returns 0. */
int ff_symb_ferm(ff_symb_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* FF_SYMB_H */
