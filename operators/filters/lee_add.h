/*
 * lee_add.h: Lee's filter for additive noise of known variance.
 *
 * From an image I, its local mean M and its local mean of squares M2 over a
 * window (moy2D and moycarre2D with the same window), every pixel becomes
 * M + (v - var_bruit) (I - M) / v, with v = M2 - M * M the local variance,
 * or M where the variance does not exceed the noise's (those pixels are
 * counted and the count printed).
 */
#ifndef LEE_ADD_H
#define LEE_ADD_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int colonnes;     /* estimation window width, positive and odd (names the output) */
    int lignes;       /* estimation window height, positive and odd (names the output) */
    double var_bruit; /* variance of the noise */
} lee_add_t;

/* Asks "<debq> fenetre d'estimation, nombre de colonnes (impaire)", "<debq>
 * fenetre d'estimation, nombre de lignes (impaire)" (not both positive and
 * odd: "\n>> ERREUR lee_add_lect : dimensions incorrectes", status 1) and
 * "<debq> variance du bruit dans l'image initiale" (a finite real).
 * Returns the record after the third question. */
param *lee_add_lect(lee_add_t *desc, param *ptp, const char *debq);

/* Size *out like I, name it "<I.nom>(lee_add<colonnes>x<lignes>)" and
 * allocate it; M and M2 of another size than I end the process (status 1).
 * Return 0. */
int lee_addu1_init(lee_add_t *desc, imau1 I, imau1 M, imafl M2, imau1 *out);
int lee_addu2_init(lee_add_t *desc, imau2 I, imau2 M, imafl M2, imau2 *out);
int lee_addfl_init(lee_add_t *desc, imafl I, imafl M, imafl M2, imafl *out);
int lee_adddb_init(lee_add_t *desc, imadb I, imadb M, imadb M2, imadb *out);

/* Apply the filter to every pixel, then print the number of pixels whose
 * variance did not exceed the noise's ("\n ATT lee_addu1_calc : %d points
 * tels que var_image < var_bruit\n"). 8- and 16-bit results are rounded
 * (0.5 added, then truncated) and clamped to the pixel's range with a
 * warning per pixel. Return 0. */
int lee_addu1_calc(lee_add_t *desc, imau1 I, imau1 M, imafl M2, imau1 *out);
int lee_addu2_calc(lee_add_t *desc, imau2 I, imau2 M, imafl M2, imau2 *out);
int lee_addfl_calc(lee_add_t *desc, imafl I, imafl M, imafl M2, imafl *out);
int lee_adddb_calc(lee_add_t *desc, imadb I, imadb M, imadb M2, imadb *out);

/* The filter on one pixel. Adds 1 to *count and returns M where v -
 * var_bruit < 0, or where v is 0 (no local variation to weigh by). */
double filt_lee_add(double I, double M, double M2, double var_bruit, int *count);

#ifdef __cplusplus
}

/* The typed phases by overload, for programs written once for every type. */
inline int lee_add_init(lee_add_t *d, imau1 I, imau1 M, imafl M2, imau1 *o) { return lee_addu1_init(d, I, M, M2, o); }
inline int lee_add_init(lee_add_t *d, imau2 I, imau2 M, imafl M2, imau2 *o) { return lee_addu2_init(d, I, M, M2, o); }
inline int lee_add_init(lee_add_t *d, imafl I, imafl M, imafl M2, imafl *o) { return lee_addfl_init(d, I, M, M2, o); }
inline int lee_add_init(lee_add_t *d, imadb I, imadb M, imadb M2, imadb *o) { return lee_adddb_init(d, I, M, M2, o); }
inline int lee_add_calc(lee_add_t *d, imau1 I, imau1 M, imafl M2, imau1 *o) { return lee_addu1_calc(d, I, M, M2, o); }
inline int lee_add_calc(lee_add_t *d, imau2 I, imau2 M, imafl M2, imau2 *o) { return lee_addu2_calc(d, I, M, M2, o); }
inline int lee_add_calc(lee_add_t *d, imafl I, imafl M, imafl M2, imafl *o) { return lee_addfl_calc(d, I, M, M2, o); }
inline int lee_add_calc(lee_add_t *d, imadb I, imadb M, imadb M2, imadb *o) { return lee_adddb_calc(d, I, M, M2, o); }
#endif

#endif /* LEE_ADD_H */
