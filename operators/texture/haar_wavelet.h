/*
 * haar_wavelet.h: 3D Haar wavelet coefficients of 8-bit volumes.
 *
 * One level on a region of X x Y x Z voxels (columns, rows, planes, all
 * even) turns each 2 x 2 x 2 block with even corner (z, y, x) into eight
 * values, stored at (z/2 + oz, y/2 + oy, x/2 + ox), with the octant offset
 * along an axis half the region's size when the band is high along that
 * axis, 0 when low. The approximation (low along every axis) is the floor
 * of the block's sum / 8; each of the seven details is
 * trunc((sum of the + voxels - sum of the - voxels) / 8) + 128 (1 ... 255,
 * 128 for no detail), with, for a voxel at offsets (dz, dy, dx) in {0, 1}:
 *   high along z only          + where dz = 0
 *   high along y only          + where dy = 0
 *   high along z and y         + where dz = dy
 *   high along x only          + where dx = 0
 *   high along z and x         + where dz = dx
 *   high along y and x         + where dy = dx
 *   high along z, y and x      + where dz + dy + dx is even
 * and - elsewhere. The next level works on the approximation.
 *
 * hw_coef_entire_image decomposes a whole volume S times into the usual
 * pyramid; hw_coef_on_window slides a window through a volume and stores,
 * at each window's centre, one 8-bit feature of its level-S approximation.
 */
#ifndef HAAR_WAVELET_H
#define HAAR_WAVELET_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    unsigned char S; /* number of levels */
} hw_coef_entire_image_t;

/* Asks "<debq> Scale:" and reads a base-10 integer of 0 ... 255 into S (a
 * reply outside is refused with one line naming the question, status 1).
 * Returns the next record. */
param *hw_coef_entire_image_lect(hw_coef_entire_image_t *desc, param *ptp, const char *debq);

/* Refuses, with one line and status 1, a scale whose 2^S exceeds dimx,
 * dimy or dimz. Returns 0 when it fits. */
int hw_coef_entire_image_check(const hw_coef_entire_image_t *desc, int dimx, int dimy, int dimz);

/* Checks the scale (hw_coef_entire_image_check), gives *out the dimx, dimy,
 * dimz and nb_bits of in and allocates it (all voxels 0). Returns 0. */
int hw_coef_entire_image_init(hw_coef_entire_image_t *desc, ima3Du1 in, ima3Du1 *out);

/* Prints "dim opt x:%d y:%d z:%d\n" with dimx, dimy, dimz rounded down to
 * multiples of 2^S, then for levels 1 ... S prints "Calcul echelle %d\n"
 * and applies one level to the first X x Y x Z voxels (the rounded sizes,
 * halved at each further level), blocks by planes, rows, then columns: the
 * details go to their octants of *out; the approximation goes to the first
 * octant of *out at the last level, and before it into *in at
 * (z/2, y/2, x/2), where the next level reads it. With S = 0 the rounded
 * part of *in is copied into *out (the volume is its own level-0
 * approximation). Voxels of *out beyond the rounded sizes are not
 * written. A scale that does not fit ends the process as
 * hw_coef_entire_image_check says. Returns 0. */
int hw_coef_entire_image_calc(hw_coef_entire_image_t *desc, ima3Du1 *in, ima3Du1 *out);

typedef struct {
    unsigned char S;                /* number of levels; v = 2^S below */
    unsigned char winx, winy, winz; /* window sizes as asked */
    unsigned char wx, wy, wz;       /* the same rounded down to multiples of v */
    unsigned char direction;        /* stored; the computation does not use it */
    unsigned char feature;          /* 1 mean, 2 entropy, any other value 255 */
    unsigned int *histogram;        /* 256 counts, for the entropy */
    /* The input's size: at each voxel r, once computed, the level-S
     * approximation of the v x v x v box with corner r (the value the
     * decomposition of any window aligned on r gives it). */
    ima3Du1 approximation;
} hw_coef_on_window_t;

/* Asks, each as "<debq> <text>", "Scale:", "Window size X:",
 * "Window size Y:", "Window size Z:", "Direction:", "Feature:", and reads
 * base-10 integers of 0 ... 255 into S, winx, winy, winz, direction and
 * feature (a reply outside is refused with one line naming the question,
 * status 1). Returns the next record. */
param *hw_coef_on_window_lect(hw_coef_on_window_t *desc, param *ptp, const char *debq);

/* Refuses, with one line and status 1, a window smaller than 2^S, or not
 * smaller than the volume by at least 2, along any axis. Returns 0 when it
 * fits. */
int hw_coef_on_window_check(const hw_coef_on_window_t *desc, int dimx, int dimy, int dimz);

/* Checks the sizes (hw_coef_on_window_check); gives *out the entete,
 * dimx, dimy, dimz and nb_bits of in and allocates it (all 0); allocates
 * the histogram; rounds each window size down to a multiple of 2^S and
 * prints "Dim win optimal: %d %d %d\n" with the rounded sizes; allocates
 * the approximation volume. Returns 0. */
int hw_coef_on_window_init(hw_coef_on_window_t *desc, ima3Du1 in, ima3Du1 *out);

/* For each plane origin i = 0 ... dimz-wz-2 (printing "section %u/%u\n"
 * with i+1 and dimz), row origin j = 0 ... dimy-wy-2 and column origin
 * k = 0 ... dimx-wx-2, stores at (i + wz/2, j + wy/2, k + wx/2) of *out the
 * feature of the level-S approximation of the window with that origin (its
 * first wz/v x wy/v x wx/v coefficients, which the S-level decomposition
 * of the window puts in the first octant): 1, their integer mean (sum /
 * count, truncated); 2, their normalised entropy: with p the count of each
 * level divided by the number of coefficients, in single precision,
 * H = -(sum of p log10 p over the levels present, in increasing order) and
 * the value trunc(H / log10(256) x 255); any other feature, 255. Other
 * voxels of *out are not written; in is left as it is. Sizes that do not
 * fit end the process as hw_coef_on_window_check says. Returns
 * dimz - wz - 1. */
int hw_coef_on_window_calc(hw_coef_on_window_t *desc, ima3Du1 in, ima3Du1 *out);

/* Frees the histogram and the approximation volume. Returns 0. */
int hw_coef_on_window_ferm(hw_coef_on_window_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* HAAR_WAVELET_H */
