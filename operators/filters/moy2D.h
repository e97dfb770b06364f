/*
 * moy2D.h: sliding mean of an image over an odd window.
 *
 * Every output pixel is the mean of the colonnes x lignes window centred on
 * it, computed as a horizontal running mean along the rows and then a
 * vertical running mean down the columns of the horizontal results; near
 * the borders the window is cut to the part inside the image and the sum
 * divided by the number of pixels it holds. 8- and 16-bit results are
 * rounded (0.5 added, then truncated) after each pass. The work per pixel
 * does not depend on the window.
 */
#ifndef MOY2D_H
#define MOY2D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int colonnes;  /* window width, positive and odd */
    int lignes;    /* window height, positive and odd */
    void *tampon;  /* scratch of the computation, made by the init phase */
} moy2D_t;

/* Asks "<debq> nombre de colonnes moyennees (impaire)" and "<debq> nombre
 * de lignes moyennees (impaire)". Sizes that are not both positive and odd
 * end the process ("\n>> ERREUR moy2D_lect : dimensions incorrectes",
 * status 1), as does a reply beyond the range of int. Leaves the scratch
 * empty. Returns the record after the second question. */
param *moy2D_lect(moy2D_t *desc, param *ptp, const char *debq);

/* Size *out like in, name it "<in.nom>(moy<colonnes>x<lignes>)", allocate
 * it and the scratch of the computation (failure: "\n>> ERREUR
 * moy2Du1_init : allocation impossible", with the variant's name, status 1).
 * Return 0. */
int moy2Du1_init(moy2D_t *desc, imau1 in, imau1 *out);
int moy2Du2_init(moy2D_t *desc, imau2 in, imau2 *out);
int moy2Dfl_init(moy2D_t *desc, imafl in, imafl *out);
int moy2Ddb_init(moy2D_t *desc, imadb in, imadb *out);

/* Write into *out the mean of every window of in. Sums are exact integers
 * (u1, u2) or doubles (fl, db); u1 and u2 means are rounded, fl means are
 * the sum taken to single precision divided by the count. The init phase
 * of the same variant must have run for images of in's size (otherwise the
 * process ends with status 1). Return 0. */
int moy2Du1_calc(moy2D_t *desc, imau1 in, imau1 *out);
int moy2Du2_calc(moy2D_t *desc, imau2 in, imau2 *out);
int moy2Dfl_calc(moy2D_t *desc, imafl in, imafl *out);
int moy2Ddb_calc(moy2D_t *desc, imadb in, imadb *out);

/* Releases the scratch of the computation. Returns 0. */
int moy2D_ferm(moy2D_t *desc);

#ifdef __cplusplus
}

/* The typed phases by overload, for programs written once for every type. */
inline int moy2D_init(moy2D_t *d, imau1 in, imau1 *out) { return moy2Du1_init(d, in, out); }
inline int moy2D_init(moy2D_t *d, imau2 in, imau2 *out) { return moy2Du2_init(d, in, out); }
inline int moy2D_init(moy2D_t *d, imafl in, imafl *out) { return moy2Dfl_init(d, in, out); }
inline int moy2D_init(moy2D_t *d, imadb in, imadb *out) { return moy2Ddb_init(d, in, out); }
inline int moy2D_calc(moy2D_t *d, imau1 in, imau1 *out) { return moy2Du1_calc(d, in, out); }
inline int moy2D_calc(moy2D_t *d, imau2 in, imau2 *out) { return moy2Du2_calc(d, in, out); }
inline int moy2D_calc(moy2D_t *d, imafl in, imafl *out) { return moy2Dfl_calc(d, in, out); }
inline int moy2D_calc(moy2D_t *d, imadb in, imadb *out) { return moy2Ddb_calc(d, in, out); }
#endif

#endif /* MOY2D_H */
