/*
 * median3d.h: 3D median filter of an 8-bit volume.
 *
 * Every interior voxel of the output is the median of the winX x winY x winZ
 * box of the input centred on it (x along a trace, y the trace, z the
 * plane); voxels nearer a face than half a window stay 0.
 */
#ifndef MEDIAN3D_H
#define MEDIAN3D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int winX; /* window size along x (samples of a trace), positive and odd */
    int winY; /* window size along y (traces of a plane), positive and odd */
    int winZ; /* window size along z (planes), positive and odd */
} median3d_t;

/* Asks "<debq> winX (entier impair positif)", then the same for winY and
 * winZ, and stores the base-10 integer replies in *desc without checking
 * their values (a reply beyond the range of int is refused, status 1).
 * Returns the record after the third question. */
param *median3d_lect(median3d_t *desc, param *ptp, const char *debq);

/* Gives *out the dimx, dimy and dimz of in, allocates it zero-filled, then
 * copies entete and nb_bits. Returns 0. */
int median3d_init(ima3Du1 *out, ima3Du1 in);

/* Writes into *out (sized by median3d_init) the median of every box that
 * lies wholly inside in: for x = hx ... dimx-hx-1, y = hy ... dimy-hy-1,
 * z = hz ... dimz-hz-1 (h = (win-1)/2), the ((n+1)/2)-th smallest of the
 * n = winX*winY*winZ values of the box centred on (x, y, z). Other voxels
 * of *out are not written; an axis shorter than its window has no interior,
 * so nothing is written at all. A window size that is not positive and odd,
 * or an *out of other sizes than in, ends the process with status 1.
 * Returns 0. */
int median3d_calc(median3d_t *desc, ima3Du1 *out, ima3Du1 in);

#ifdef __cplusplus
}
#endif

#endif /* MEDIAN3D_H */
