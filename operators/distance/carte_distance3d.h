/*
 * carte_distance3d.h: chamfer distance map of a volume, in place, with a
 * 5 x 5 x 5 integer mask derived from the voxel size.
 *
 * The volume arrives prepared: its sources hold 0 and every other voxel a
 * large value. After a forward and a backward raster scan every scanned
 * voxel holds its chamfer distance in mask units (67 units for one real
 * step of the mask's scale: 65 for one step along an axis with cubic
 * voxels). This module uses nothing but the standard library.
 */
#ifndef CARTE_DISTANCE3D_H
#define CARTE_DISTANCE3D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    /* Integer weight of every offset, indexed [plane offset + 2][row offset
     * + 2][column offset + 2]; the centre [2][2][2] is 0. */
    int mask_av[5][5][5];
    float L; /* voxel width (along columns) */
    float H; /* voxel height (along rows) */
    float P; /* voxel depth (along planes) */
} carte_distance3d_t;

/* Asks nothing: sets L, H and P to 1.0 (cubic voxels) and returns ptp. */
param *carte_distance3d_lect(carte_distance3d_t *des, param *ptp);

/* Builds the mask with calculer_masque. Returns 0. */
int carte_distance3d_init(carte_distance3d_t *des);

/* Computes the real weights d(x, y, z) of the offsets of x columns, y rows
 * and z planes (x, y, z in 0 ... 2) and their integer weights D, the
 * nearest integers (halves to even) to 67 d; prints them with the voxel
 * size; fills mask_av (an offset whose components are all 0 or +-2 gets
 * twice the weight of its half); prints the corner entry. With cubic
 * voxels: D100 65, D110 92, D111 113, D210 146, D211 160, D221 196, corner
 * 226. A voxel size that is not three positive reals, or whose integer
 * weights do not all lie in 1 ... 16777216, ends the process with status 1
 * before anything is printed. */
void calculer_masque(carte_distance3d_t *des);

/* Runs im_distance_555 on the volume. Returns 0. */
int carte_distance3d_calc(carte_distance3d_t *des, ima3Du4 *vol);

/* The two scans, in place. Each visited voxel takes the smallest of its
 * own value and of the values at the window positions (plane and row
 * offsets -2 ... +2, column offsets -2 ... +1) that come before it
 * (forward scan) or after it (backward scan) in raster order, each plus the
 * weight of its offset, added and compared as unsigned 32-bit integers.
 * The forward scan visits planes 2 ... dimz-4, rows 2 ... dimy-4, columns
 * 2 ... dimx-4 in increasing order, the backward scan the same voxels in
 * decreasing order; other voxels keep their values. The caller chooses the
 * value of the voxels that are not sources so that adding the largest
 * weight to it cannot pass 2^32 - 1. */
void im_distance_555(carte_distance3d_t *des, ima3Du4 *vol);

#ifdef __cplusplus
}
#endif

#endif /* CARTE_DISTANCE3D_H */
