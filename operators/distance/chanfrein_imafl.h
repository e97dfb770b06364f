/*
 * chanfrein_imafl.h: chamfer distance map of a binary 8-bit image.
 *
 * Every non-zero (object) pixel receives an approximation of its Euclidean
 * distance, in pixels, to the nearest zero (background) pixel: a forward
 * and a backward scan with the full 5 x 5 mask whose weights are the
 * lengths of its offsets, in single precision (1, sqrt 2, sqrt 5, 2 and
 * 2 sqrt 2). The value 20000 stands for an infinite distance, so no result
 * exceeds it. The operator asks no questions.
 */
#ifndef CHANFREIN_IMAFL_H
#define CHANFREIN_IMAFL_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Gives *out the nc and nr of in and allocates it; its name is left alone
 * (the writer names the file). Returns 0. */
int chanfrein_imafl_init(imau1 in, imafl *out);

/* Writes into *out (sized by chanfrein_imafl_init) the distance map of in,
 * printing the mask's coefficients and the image's sizes first and
 * "FIN IMAGE DE DISTANCE" last. Pixels of the two-pixel frame, and zero
 * pixels, are 0.0; every other pixel is the smallest mask-path length to a
 * zero pixel (zero pixels of the frame included) found by the two scans,
 * at most 20000.0. An image narrower or lower than 5 pixels gives 0.0
 * everywhere. An *out of other sizes than in ends the process with status
 * 1. Returns 0. */
int chanfrein_imafl_calc(imau1 in, imafl *out);

#ifdef __cplusplus
}
#endif

#endif /* CHANFREIN_IMAFL_H */
