/*
 * distance_imau1.h: chamfer distance image of a binary 8-bit image on a
 * grid of rectangular pixels, rescaled to 0 ... 255.
 *
 * Each pixel is L units wide and 1 unit high. The five weights of the 5 x 5
 * mask are real coefficients optimised for that aspect ratio, multiplied by
 * the integer scale n and rounded: Aopt for (0, +-1) and twice it for
 * (0, +-2), Dopt for (+-1, 0) and twice it for (+-2, 0), Bopt for (+-1, +-1)
 * and twice it for (+-2, +-2), Copt for (+-1, +-2), Eopt for (+-2, +-1)
 * (offsets in rows, columns). The propagation is the two scans of the
 * chamfer distance (same two-pixel frame, same infinity 20000) on integers.
 */
#ifndef DISTANCE_IMAU1_H
#define DISTANCE_IMAU1_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    float L; /* pixel width over pixel height, 0.0625 ... 16 */
    int n;   /* scale of the integer weights, within the range L allows */
} distance_imau1_t;

/* Asks "<debq> Valeur de l (reel)" and "<debq> Valeur de n (entier)". L
 * must lie between 0.0625 and 16 (1/16 and 16: beyond, the coefficients
 * lose their precision in single precision); n must be at least the
 * smallest scale whose five weights are all 1 or more, and at most the
 * largest whose weights, doubled ones included, added to 20000 stay within
 * a 32-bit int (for L = 1: 1 ... 762594655). Another reply is
 * refused with one line naming the question and the accepted values,
 * status 1. Returns the record after the second question. */
param *distance_imau1_lect(distance_imau1_t *desc, param *ptp, const char *debq);

/* Gives *out the nr and nc of in and allocates it. Returns 0. */
int distance_imau1_init(distance_imau1_t *desc, imau1 in, imau1 *out);

/* Writes into *out (sized by distance_imau1_init) the distance image of in:
 * prints the five weights, n, L and the sizes, propagates the integer
 * distances to the zero pixels (at most 20000; zero pixels and the frame
 * 0), then writes each result r as trunc(r * 255.0 / m), m the largest
 * result; when every result is 0 (no non-zero pixel inside the frame, an
 * image narrower or lower than 5) the output is all 0. Ends with
 * "FIN IMAGE DE DISTANCE". An L or n that distance_imau1_lect would refuse,
 * an *out of other sizes than in, or a working plane that cannot be
 * allocated end the process with status 1. Returns 0. */
int distance_imau1_calc(distance_imau1_t *desc, imau1 in, imau1 *out);

#ifdef __cplusplus
}
#endif

#endif /* DISTANCE_IMAU1_H */
