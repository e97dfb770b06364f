/*
 * reggrow.h: region growing by threshold steps on an 8-bit image.
 *
 * Neighbouring pixels whose grey levels differ by less than a threshold
 * fall into one region; every region is painted with the mean grey level of
 * the input over it. The segmentation is repeated on its own result with a
 * threshold raised by a fixed step, so regions merge progressively; in the
 * last iteration regions that are too small are painted 0.
 *
 * The image is scanned as one raster of nr x nc pixels: the "left"
 * neighbour of the first pixel of a row is the last pixel of the row above,
 * and "up" is the pixel one row above. Two levels are similar when their
 * absolute difference is less than the threshold. A pixel joins its upper
 * neighbour, its left neighbour, or both, when it is similar to them; when
 * it is joined to one of them and the left neighbour is similar to the upper
 * one, all three are one region.
 */
#ifndef REGGROW_H
#define REGGROW_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int nb_iter;    /* iterations after the first pass */
    int seuil;      /* threshold of the first pass */
    int increment;  /* threshold step of each iteration */
    int taille_min; /* regions of this many pixels or fewer are painted 0 in the last iteration */
} reggrow_t;

/* Asks "<debq> nb d'iteration ", "<debq> seuil de depart aggreg de 2
 * regions ", "<debq> increment du seuil " and "<debq> taille minimum d'une
 * region " and stores the base-10 integer replies without checking their
 * values (a reply beyond the range of int is refused, status 1). Returns the
 * record after the fourth question. */
param *reggrow_lect(reggrow_t *desc, param *ptp, const char *debq);

/* Gives *out the sizes, name and colour tables of *in and allocates it
 * zero-filled. Thresholds that leave the range of int over the iterations
 * (seuil + k * increment for k = 0 ... nb_iter) end the process with
 * status 1. Returns 0. */
int reggrow_init(reggrow_t *desc, imau1 *in, imau1 *out);

/* The whole process: a labelling pass of *in with threshold seuil, then
 * nb_iter passes of the current *out with thresholds seuil + increment,
 * seuil + 2 increment, ...; after each pass *out is painted with the means
 * of *in over the regions found (integer division), regions of taille_min
 * pixels or fewer being painted 0 after the last iteration (only when
 * nb_iter >= 1). Prints the counts of every pass. *out must have the sizes
 * of *in. Returns 0. */
int reggrow_calc(reggrow_t *desc, imau1 *in, imau1 *out);

/* One labelling pass of the nr x nc block ima into the label plane
 * etiquettes (nr x nc, every label written), with threshold seuil. Labels
 * are the smallest label of their region, which is the label made at the
 * region's first pixel in raster order; the first pixel has label 0.
 * *nb_utilisees becomes the largest label + 1 and *nb_effectives the number
 * of regions. More than 65 535 labels (for example a row of more than
 * 65 535 pixels that are not similar to their neighbours) print
 * "too many labels nblab=65535" and end the process with the number of
 * characters printed as status (28). etiq prints the line "init image"
 * first; both end the process with "error ALLOC" and status 1 when their
 * table cannot be allocated. */
void etiq(const unsigned char *ima, int *etiquettes, int nr, int nc, int seuil, int *nb_utilisees,
          int *nb_effectives);
void etiq1(const unsigned char *ima, int *etiquettes, int nr, int nc, int seuil, int *nb_utilisees,
           int *nb_effectives);

/* Labels the pixel whose label cell is *cell (its left neighbour's label is
 * cell[-1], its upper neighbour's cell[-nc]) by its neighbourhood code:
 * 1 x (similar to up) + 2 x (similar to left) + 4 x (left similar to up).
 * Codes 0 and 4 make the new label ++*n; 1 takes table[up]; 2 takes the
 * left label; 3, 5, 6 and 7 join the regions of both neighbours (the root
 * of the larger is linked to the root of the smaller) and take the smaller
 * root. Links of table always go from a larger label to a smaller one. */
void ordre(int code, int nc, int *cell, int *table, int *n);

/* Resolves table for labels 0 ... n (in increasing order, every label to
 * the label its link points to), rewrites the nr x nc label plane with the
 * resolved labels, and sets *nb_utilisees (largest label + 1) and
 * *nb_effectives (1 + the number of labels larger than every label before
 * them in raster order). */
void retiq(int *etiquettes, int nr, int nc, int *table, int n, int *nb_utilisees, int *nb_effectives);

/* Paints out (nr x nc) with the mean of in over every label of etiquettes
 * (labels 0 ... nb - 1): sum / count, truncated, for labels of more than
 * taille_min pixels, 0 for the others; *nb_gardees becomes the number of
 * labels painted with their mean. When its arrays cannot be allocated it
 * prints "no more free space" and ends the process with the number of
 * characters printed as status (19). */
void moyenne(const unsigned char *in, unsigned char *out, const int *etiquettes, int nr, int nc, int nb,
             int taille_min, int *nb_gardees);

#ifdef __cplusplus
}
#endif

#endif /* REGGROW_H */
