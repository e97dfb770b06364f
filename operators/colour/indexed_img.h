/*
 * indexed_img.h: indexed colour image learnt by a self-organising map.
 *
 * A colour image (three 8-bit planes) becomes an 8-bit image of palette
 * indices with colour tables of 256 entries. The palette is learnt by a
 * one-dimensional self-organising map of N neurons on a ring, each holding
 * an (R, G, B) weight:
 *  - the samples are the pixels taken column by column (sample x nr + y is
 *    the pixel of column x, row y); neuron k starts as sample k s, with
 *    s = T / N in integers (T samples);
 *  - each epoch (at least one, whatever E) reseeds the C library's
 *    generator with 0 and visits samples t = 0, then t += rand() x 150 /
 *    2147483647 (in integers) while t < T; a visit moves the neurons c - r
 *    ... c + r around the winner c (the first nearest neuron, Euclidean
 *    distance) towards the sample: w + alpha g (x - w), with
 *    g = exp(-(k - c)^2 / (2 sigma^2)) and alpha = 4.75 / (4.75 + the
 *    winner's counter) = 1 (the counters stay 0);
 *  - sigma falls from sigma0 = sqrt(N / (2 ln 10)) by (sigma0 - sigmaf) / E
 *    after each epoch, down to sigmaf = sqrt(1 / ln 10); the radius
 *    r = trunc(((N/2 - 1) sigma + sigma0 - N sigmaf / 2) / (sigma0 -
 *    sigmaf)) falls from about N/2 to 1 (a radius that is an integer in
 *    exact arithmetic is that integer);
 *  - the weights are written to "WEIGHTS.TXT" ("%8.4f  %8.4f  %8.4f\n" a
 *    neuron; a file that cannot be created is skipped), palette entry k < N
 *    is the weight rounded up, entries N ... 255 are 0, and every pixel
 *    takes the index of its first nearest neuron.
 * The results depend only on the image and on N and E.
 */
#ifndef INDEXED_IMG_H
#define INDEXED_IMG_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

#define INDEXED_IMG_MIN_COUCHES 4
#define INDEXED_IMG_MAX_COUCHES 256

typedef struct {
    int nb_couches;       /* N, 4 ... 256 */
    int nb_epoques;       /* E, 0 or more */
    imadb distances;      /* N x 1: distance of the current colour to each neuron */
    imadb poids;          /* 3 x N: row 0 red, 1 green, 2 blue weight of each neuron */
    imadb poids_travail;  /* 3 x N: the weights as a visit updates them */
    imau1 victoires;      /* N x 1: win counter of each neuron, 0 */
} indexed_img_t;

/* Asks "<debq> Nombre de couches - val. max 256 (entier)" and "<debq>
 * Nombre d'epoques (entier)". N outside 4 ... 256 and E below 0 are
 * refused (status 1). Returns the next record. */
param *indexed_img_lect(indexed_img_t *desc, param *ptp, const char *debq);

/* Gives *out the size of in and its pixels and colour tables; allocates
 * the descriptor's tables (the counters at 0). Returns 0. */
int indexed_img_init(indexed_img_t *desc, imarvb in, imau1 *out);

/* Trains the map on in, writes "WEIGHTS.TXT", fills out's pixels and
 * colour tables; the weights stay in desc->poids, the other tables are
 * released. Images of another size than at init, or no init, end the
 * process with status 1. Returns 0. */
int indexed_img_calc(indexed_img_t *desc, imarvb in, imau1 *out);

/* (Re)allocates the three 256-entry colour tables of *img, first releasing
 * the ones it has ("lutr, lutv, lutb: ERREUR allocation impossible",
 * status 1, when memory is exhausted). */
void alloc_lut_u12(imau1 *img);

/* Releases the colour tables of *img and nulls them. */
void free_lut_u12(imau1 *img);

#ifdef __cplusplus
}
#endif

#endif /* INDEXED_IMG_H */
