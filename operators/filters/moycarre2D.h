/*
 * moycarre2D.h: sliding mean of the squared grey levels over an odd window,
 * the second moment that local-variance filters need.
 *
 * The same separable running means as moy2D, over the squares of the
 * pixels: 8- and 16-bit squares come from a table, float and double squares
 * are computed in double; results are floats (u1, u2, fl) or doubles (db).
 */
#ifndef MOYCARRE2D_H
#define MOYCARRE2D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int colonnes;    /* window width, positive and odd */
    int lignes;      /* window height, positive and odd */
    double *carres;  /* squares of every level (u1: 256, u2: 65 536 entries), made by the init phase */
    void *tampon;    /* scratch of the computation, made by the init phase */
} moycarre2D_t;

/* Asks "<debq> nombre de colonnes moyennees (impaire)" and "<debq> nombre
 * de lignes moyennees (impaire)". Sizes that are not both positive and odd
 * end the process ("\n>> ERREUR moycarre2D_lect : dimensions incorrectes",
 * status 1), as does a reply beyond the range of int. Returns the record
 * after the second question. */
param *moycarre2D_lect(moycarre2D_t *desc, param *ptp, const char *debq);

/* Size *out like in, name it "<in.nom>(moycarre<colonnes>x<lignes>)" (db:
 * "<in.nom>(moy<colonnes>x<lignes>)"), allocate it, the scratch and, for u1
 * and u2, the table of squares (failure: "\n>> ERREUR moycarre2Du1_init :
 * allocation impossible", with the variant's name; the u2 table of squares:
 * "\n>> ERREUR estimRu2_init : allocation impossible"; status 1).
 * Return 0. */
int moycarre2Du1_init(moycarre2D_t *desc, imau1 in, imafl *out);
int moycarre2Du2_init(moycarre2D_t *desc, imau2 in, imafl *out);
int moycarre2Dfl_init(moycarre2D_t *desc, imafl in, imafl *out);
int moycarre2Ddb_init(moycarre2D_t *desc, imadb in, imadb *out);

/* Write into *out the mean of the squares over every window of in: running
 * sums in double, each pass's result the sum in single precision divided by
 * the count in single precision (db: in double). u1 and u2 only: a running
 * sum of the vertical pass found below 0 (rounding) past the first rows is
 * reported ("\n>> ATT moycarre2Du1_calc : somme(%d,%d)=%f mis a 0\n" with
 * the column, the row and the sum) and restarts from 0, the pixel being 0.
 * The init phase of the same variant must have run for images of in's
 * size. Return 0. */
int moycarre2Du1_calc(moycarre2D_t *desc, imau1 in, imafl *out);
int moycarre2Du2_calc(moycarre2D_t *desc, imau2 in, imafl *out);
int moycarre2Dfl_calc(moycarre2D_t *desc, imafl in, imafl *out);
int moycarre2Ddb_calc(moycarre2D_t *desc, imadb in, imadb *out);

/* Releases the table of squares and the scratch. Returns 0. */
int moycarre2D_ferm(moycarre2D_t *desc);

#ifdef __cplusplus
}

/* The typed phases by overload, for programs written once for every type. */
inline int moycarre2D_init(moycarre2D_t *d, imau1 in, imafl *out) { return moycarre2Du1_init(d, in, out); }
inline int moycarre2D_init(moycarre2D_t *d, imau2 in, imafl *out) { return moycarre2Du2_init(d, in, out); }
inline int moycarre2D_init(moycarre2D_t *d, imafl in, imafl *out) { return moycarre2Dfl_init(d, in, out); }
inline int moycarre2D_init(moycarre2D_t *d, imadb in, imadb *out) { return moycarre2Ddb_init(d, in, out); }
inline int moycarre2D_calc(moycarre2D_t *d, imau1 in, imafl *out) { return moycarre2Du1_calc(d, in, out); }
inline int moycarre2D_calc(moycarre2D_t *d, imau2 in, imafl *out) { return moycarre2Du2_calc(d, in, out); }
inline int moycarre2D_calc(moycarre2D_t *d, imafl in, imafl *out) { return moycarre2Dfl_calc(d, in, out); }
inline int moycarre2D_calc(moycarre2D_t *d, imadb in, imadb *out) { return moycarre2Ddb_calc(d, in, out); }
#endif

#endif /* MOYCARRE2D_H */
