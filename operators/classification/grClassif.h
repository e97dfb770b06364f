/*
 * grClassif.h: classifier by gradual fuzzy rules.
 *
 * The rule base has the layout of ff_symb.h, but each term is a shape:
 *   type 0: degree 0 everywhere           type 1: degree 1 everywhere
 *   type 2: increasing ramp a -> b        type 3: decreasing ramp a -> b
 *   type 4: 1 on [a, b], 0 elsewhere      type 5: 0 on [a, b], 1 elsewhere
 * (two reals a <= b follow the type in the file only for types 2 to 5).
 * A ramp with a = b is a step: type 2 gives 0 up to a and 1 above it,
 * type 3 the reverse. Three operations are chosen among nine codes:
 *   0 ... 3  t-norms (Zadeh min, probabilistic x y, Lukasiewicz
 *            max(x + y - 1, 0), Weber)
 *   4 ... 7  t-conorms (Zadeh max, probabilistic x + y - x y, Lukasiewicz
 *            min(x + y, 1), Weber)
 *   8        Rescher-Gaines implication: 1 if x <= y, else 0
 * One vector of n >= 2 inputs is evaluated at a time:
 *   premise     P(...P(P(d1, d2), d3)..., dn) with the premise operation P;
 *   inference   per output term, v = C(premise, w) for every rule
 *               concluding it, in file order, with the combination C; the
 *               first v is the aggregate, each later one is folded in with
 *               the projection J: agg = J(agg, v). A term that no rule
 *               concludes has degree 0;
 *   defuzzification type 0: the index of the largest output degree (lower
 *               index on ties, 0 when all are 0); type 1: the centroid
 *               sum(degree * r) / sum(degree) with r the middle (a + b)/2
 *               of a term of type 2 to 5, 0 for type 0 and 1 for type 1;
 *               0 when all degrees are 0.
 * A base needs at least two input variables; its refusals are those of
 * ff_symb.h, plus a shape type outside 0 ... 5 and a > b.
 */
#ifndef GRCLASSIF_H
#define GRCLASSIF_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Size of a name: 99 characters and the terminator. */
#define GR_NOM 100

/* A two-operand operation: *resultat = op(*x, *y); returns 0. */
typedef int (*gr_operation)(float *x, float *y, float *resultat);

typedef struct {
    char nom[GR_NOM];
    int type;   /* shape 0 ... 5 */
    float a, b; /* types 2 to 5 only (0 otherwise) */
} gr_terme;

typedef struct {
    char nom[GR_NOM];
    unsigned char nb_termes;
    gr_terme *termes;
} gr_variable;

typedef struct {
    unsigned char *premisse;  /* one term index per input variable */
    unsigned char conclusion; /* term index in the output variable */
    float poids;
} gr_regle;

typedef struct {
    int type_projection;   /* codes 0 ... 8 */
    int type_combinaison;
    int type_premisse;
    gr_operation projection;
    gr_operation combinaison;
    gr_operation premisse;
    int type_defuzzification; /* 0 winning term, 1 centroid */
    int nb_variables;         /* inputs, then the output (last) */
    gr_variable *variables;
    int nb_regles;
    gr_regle *regles;
    int nb_degres;
    float **degres;
    const char *fichier; /* the reply to the first question */
} grClassif_t;

/* The operations, by code 0 ... 8. */
int gr_tn_zadeh(float *x, float *y, float *r);
int gr_tn_proba(float *x, float *y, float *r);
int gr_tn_luk(float *x, float *y, float *r);
int gr_tn_weber(float *x, float *y, float *r);
int gr_tc_zadeh(float *x, float *y, float *r);
int gr_tc_proba(float *x, float *y, float *r);
int gr_tc_luk(float *x, float *y, float *r);
int gr_tc_weber(float *x, float *y, float *r);
int gr_op_Rescher_Gaines(float *x, float *y, float *r);

/* Membership of x in a term, by shape (see above). A NaN, or a shape type
 * outside 0 ... 5, prints "Erreur dans la fonction appartenance" and
 * gives 0. */
float gr_appartenance(const gr_terme *terme, float x);

/* Asks "<debq> fichier d'initialisation", then the premise, combination
 * and projection codes ("<debq> type de l'operateur pour premisse (0-8)",
 * "... combinaison (0-8)", "... projection (0-8)") and "<debq> type de
 * d\351fuzzification (0-1)"; the values are checked by init. Returns the
 * next record. */
param *grClassif_lect(grClassif_t *desc, param *ptp, const char *debq);

/* Reads the rule base, then chooses the operations: a code outside 0 ... 8
 * ends the process with "Erreur sur le choix du type d'operateur", a
 * defuzzification type other than 0 or 1 with "type defuzzification
 * incorrect" (status 1). Returns 0. */
int grClassif_init(grClassif_t *desc);

/* Evaluates one vector, as ff_symb_calc. */
float grClassif_calc(grClassif_t *desc, const float *inputs, float *outputs);

/* As ff_symb_u1_init and ff_symb_u1_calc (outputs named "<first>_grad"). */
int grClassif_u1_init(grClassif_t *desc, int n, const imau1 *attributs, imau1 *classes, imafl *valeurs);
int grClassif_u1_calc(grClassif_t *desc, const imau1 *attributs, imau1 *classes, imafl *valeurs);

#ifdef __cplusplus
}
#endif

#endif /* GRCLASSIF_H */
