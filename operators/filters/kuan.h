/*
 * kuan.h: Kuan's filter for multiplicative speckle.
 *
 * From an image I, its local mean M and its local mean of squares M2 over a
 * window (moy2D and moycarre2D with the same window), and the equivalent
 * number of looks L of the image (Cs2 = 1 / L), every pixel becomes
 * M + f (I - M) / e with e = M2 / (M * M) - 1 and f = (e - Cs2) / (1 + Cs2),
 * or M where f < 0 (those pixels are counted and the count printed).
 */
#ifndef KUAN_H
#define KUAN_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int colonnes;  /* estimation window width, positive and odd (names the output) */
    int lignes;    /* estimation window height, positive and odd (names the output) */
    double nb_vues; /* equivalent number of looks, positive */
} kuan_t;

/* Asks "<debq> fenetre d'estimation, nombre de colonnes (impaire)", "<debq>
 * fenetre d'estimation, nombre de lignes (impaire)" (not both positive and
 * odd: "\n>> ERREUR kuan_lect : dimensions incorrectes", status 1) and
 * "<debq> nombre de vues (equivalent) de l'image initiale" (a positive
 * real; anything else is refused, status 1). Returns the record after the
 * third question. */
param *kuan_lect(kuan_t *desc, param *ptp, const char *debq);

/* Size *out like I, name it "<I.nom>(kuan<colonnes>x<lignes>)" and allocate
 * it; M and M2 of another size than I end the process (status 1).
 * Return 0. */
int kuanu2_init(kuan_t *desc, imau2 I, imau2 M, imafl M2, imau2 *out);
int kuanfl_init(kuan_t *desc, imafl I, imafl M, imafl M2, imafl *out);
int kuandb_init(kuan_t *desc, imadb I, imadb M, imadb M2, imadb *out);

/* Apply the filter to every pixel, then print the number of pixels that
 * kept their mean ("\n ATT kuanu2_calc : %d points tels que CV_image <
 * CV_speckle\n"). 16-bit results are rounded and clamped with a warning per
 * pixel. Return 0. */
int kuanu2_calc(kuan_t *desc, imau2 I, imau2 M, imafl M2, imau2 *out);
int kuanfl_calc(kuan_t *desc, imafl I, imafl M, imafl M2, imafl *out);
int kuandb_calc(kuan_t *desc, imadb I, imadb M, imadb M2, imadb *out);

/* The filter on one pixel. Adds 1 to *count and returns M where f < 0, or
 * where M or e is 0 (no coefficient of variation to weigh by). */
double filt_kuan(double I, double M, double M2, double Cs2, int *count);

#ifdef __cplusplus
}

/* The typed phases by overload, for programs written once for every type. */
inline int kuan_init(kuan_t *d, imau2 I, imau2 M, imafl M2, imau2 *o) { return kuanu2_init(d, I, M, M2, o); }
inline int kuan_init(kuan_t *d, imafl I, imafl M, imafl M2, imafl *o) { return kuanfl_init(d, I, M, M2, o); }
inline int kuan_init(kuan_t *d, imadb I, imadb M, imadb M2, imadb *o) { return kuandb_init(d, I, M, M2, o); }
inline int kuan_calc(kuan_t *d, imau2 I, imau2 M, imafl M2, imau2 *o) { return kuanu2_calc(d, I, M, M2, o); }
inline int kuan_calc(kuan_t *d, imafl I, imafl M, imafl M2, imafl *o) { return kuanfl_calc(d, I, M, M2, o); }
inline int kuan_calc(kuan_t *d, imadb I, imadb M, imadb M2, imadb *o) { return kuandb_calc(d, I, M, M2, o); }
#endif

#endif /* KUAN_H */
