/*
 * choquet_interaction.h: discrete Choquet integral of a 2-additive fuzzy
 * measure.
 *
 * n criterion values x_i are aggregated into one score
 *   C(x) = sum_i nu_i x_i - 0.5 sum_{i<j} I_ij |x_j - x_i|
 * (single precision, the first sum in increasing i, the second row by row)
 * from the importance indices nu_i and the interaction indices I_ij read
 * from a coefficient file: n, then the upper triangle of the symmetric
 * n x n matrix row by row, diagonal included (n(n + 1)/2 reals; the
 * diagonal holds the nu_i). Tokens are separated by any white space.
 */
#ifndef CHOQUET_INTERACTION_H
#define CHOQUET_INTERACTION_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the last initialisation. */
#define CHOQUET_VALIDE 0
#define CHOQUET_OUVERTURE 1  /* file not opened */
#define CHOQUET_LIGNES 2     /* fewer values than n(n + 1)/2, a -1 among them, or no usable n */
#define CHOQUET_COLONNES 3   /* never given: every shortage is CHOQUET_LIGNES */
#define CHOQUET_SOMME 4      /* the nu_i do not add up to exactly 1 (single precision) */
#define CHOQUET_MONOTONIE 5  /* a row with sum_j |m_ij| > 3 nu_i */

typedef struct {
    char *fichier; /* coefficient file path, any length (lect) */
    int nbcoeff;   /* n */
    int etat;      /* CHOQUET_... */
    float **matrice; /* n row pointers to n floats (init) */
} choquet_interaction_t;

/* Asks "<debq> choquet_interaction: nom complet du fichier" and copies the
 * reply. Returns the next record. */
param *choquet_interaction_lect(choquet_interaction_t *desc, param *ptp, const char *debq);

/* Loads and checks the coefficient file, printing its progress lines; sets
 * desc->etat and returns 0 when it is CHOQUET_VALIDE, 1 otherwise. A file
 * too short to hold the n(n + 1)/2 values of its n is CHOQUET_LIGNES before
 * anything is allocated; a negative or unreadable n likewise. The matrix
 * stays allocated (and freed by ferm) whenever it was made. */
int choquet_interaction_init(choquet_interaction_t *desc);

/* *resultat = C(criteres) (n floats) and returns 0; 0 when n <= 0. When
 * the last initialisation failed, prints "\nCalcul impossible car probleme
 * a l'initialisation." and returns 1 without computing. */
int choquet_interaction_calc(choquet_interaction_t *desc, const float *criteres, float *resultat);

/* Frees the rows and the row table. Returns 0. */
int choquet_interaction_ferm(choquet_interaction_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* CHOQUET_INTERACTION_H */
