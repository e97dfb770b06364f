/*
 * medhist.h: square median filter of an 8-bit image.
 *
 * Every pixel at least w/2 pixels away from every edge becomes the median
 * of the w x w window centred on it: the ((w*w + 1) / 2)-th smallest of its
 * grey levels. Pixels nearer an edge keep their input value.
 */
#ifndef MEDHIST_H
#define MEDHIST_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int taillefenetre; /* window side w, positive and odd */
} medhist_t;

/* Asks "<debq> taillefenetre (impaire)" and stores the base-10 integer
 * reply in desc->taillefenetre. An even size prints the line
 * "\n>> ERREUR taillefenetre : dimensions incorrectes" and ends the process
 * with status 1; a negative size, or a reply beyond the range of int, is
 * refused with one line naming the question, status 1. Returns the record
 * after the question. */
param *medhist_lect(medhist_t *desc, param *ptp, const char *debq);

/* Gives *out the sizes of in, names it "<in.nom>(medhist <w>)" and
 * allocates it (no colour tables). Returns 0. */
int medhist_init(medhist_t *desc, imau1 in, imau1 *out);

/* Filters in into *out with mstd2d. A window size that is not positive and
 * odd, or an *out of other sizes than in, ends the process with status 1.
 * Returns 0. */
int medhist_calc(medhist_t *desc, imau1 in, imau1 *out);

/* The filter on pixel blocks of nr rows of nc pixels: out[y*nc + x] is the
 * median of the w x w window of in centred on (x, y) for
 * x = w/2 ... nc-w/2-1 and y = w/2 ... nr-w/2-1, and in[y*nc + x] for every
 * other pixel (an image narrower or lower than w is copied). The blocks may
 * overlap (the filter then works on a copy of the input). A w
 * that is not positive and odd, negative sizes, or a missing block for a
 * non-empty image end the process with status 1. */
void mstd2d(const unsigned char *in, unsigned char *out, int nc, int nr, int w);

#ifdef __cplusplus
}
#endif

#endif /* MEDHIST_H */
