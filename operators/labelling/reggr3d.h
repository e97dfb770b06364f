/*
 * reggr3d.h: region growing in an 8-bit volume.
 *
 * Each iteration labels the volume in one raster pass, grouping neighbouring
 * voxels whose grey levels differ by at most a threshold, writes the labels
 * into a 32-bit label volume and replaces every voxel by the mean grey level
 * of its region. The next iteration works on the repainted volume with a
 * larger threshold, so regions merge progressively.
 *
 * Voxel (x, y, z) is sample x of trace y of plane z. Its neighbours are
 * L = (x-1, y, z), U = (x, y-1, z) and Z = (x, y, z-1), where they exist.
 * Its code sums 1 (voxel similar to Z), 2 (to L), 4 (to U), 8 (L similar
 * to Z), 16 (U to Z) and 32 (U to L); the neighbours joined to the voxel
 * through these relations, followed transitively, share its region. The
 * volume is scanned plane by plane, and within a plane along x in the outer
 * loop and y in the inner loop, voxel (0, 0, 0) first with label 0.
 */
#ifndef REGGR3D_H
#define REGGR3D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    unsigned char nb_iter;   /* number of passes */
    unsigned char seuil;     /* threshold of the first pass */
    unsigned char increment; /* threshold step of each pass */
    int nb_etiq;             /* labels made by the last pass, plus one */
    int nb_label_effectif;   /* labels owning at least one voxel after the last pass */
} reggr3d_t;

/* Asks "<debq> nb d'iteration ", "<debq> seuil de depart aggreg de 2
 * regions " and "<debq> incrementation du seuil ". Each reply is read as a
 * base-10 int (a reply beyond the range of int is refused, status 1) and
 * stored in 8 bits: its low 8 bits are kept, so 260 is stored as 4 and -1
 * as 255. Returns the record after the third question. */
param *reggr3d_lect(reggr3d_t *desc, param *ptp, const char *debq);

/* Gives *lab the dimx, dimy, dimz, entete and nb_bits of *in, allocates it
 * zero-filled and sets the two counts of *desc to 0. Returns 0. */
int reggr3d_init(reggr3d_t *desc, ima3Du1 *in, ima3Du4 *lab);

/* For i = 0 ... nb_iter - 1: prints
 * "-------Etiquettage <i> --- seuil <seuil + i * increment> -----" and runs
 * etiquetage with the low 8 bits of that threshold (260 is announced, 4 is
 * used). *lab must have the sizes of *in (status 1 otherwise). With
 * nb_iter = 0 nothing is done. Returns 0. */
int reggr3d_calc(reggr3d_t *desc, ima3Du1 *in, ima3Du4 *lab);

/* One pass: labels *in into *lab (two voxels are similar when their
 * difference is at most seuil), prints "nb_etiq = <n + 1> (max 17000000)"
 * (n the last label made; at n = 16 999 999 the warning
 * "-----DANGER Pas assez d'etiquettes !!!----" follows, and every later new
 * region has shared that last label), stores n + 1 in *nb_etiq, then runs
 * reetiquetage. A table that cannot be allocated ends the process with
 * "Probleme d'allocation m\351moire (pt_etiq)" and status 1. Returns 0. */
int etiquetage(ima3Du1 *in, ima3Du4 *lab, unsigned char seuil, int *nb_etiq, int *nb_label_effectif);

/* Writes into *cell the label of a voxel of code `code` whose neighbours
 * L, U and Z carry labels l, u and z (read only when the code joins them to
 * the voxel): none joined, the new label ++*counter (at 16 999 999 the
 * counter stays and that label is given again); one, table[its label]; two,
 * equivalence_2_label on their labels; three, equivalence_3_label(l, u, z). */
void label_management(int code, int l, int u, int z, unsigned *cell, int *table, int *counter);

/* Merges the chains of a and b: with r the smaller, every entry met walking
 * from a, then from b, is pointed to r until an entry already points to r.
 * Returns r, which is then a root. */
int equivalence_2_label(int *table, int a, int b);

/* The same for three labels, r being a if a is smaller than b and c, else b
 * if b is smaller than a and c, else c. Returns r. */
int equivalence_3_label(int *table, int a, int b, int c);

/* Ends a pass: every table entry 0 ... n becomes the root of its chain,
 * every label of *lab its root, every voxel of *in the mean of its label:
 * the sum, in the scan order, of value / count (the label's voxel count) for
 * its voxels, each quotient taken in double precision and each sum rounded
 * to single precision, then truncated (and never above 255). Prints
 * "nb_label_effectif: <labels owning a voxel>" and stores that count.
 * Count or mean arrays that cannot be allocated end the process with
 * "Probleme d'allocation memoire" and status 1. */
void reetiquetage(ima3Du1 *in, ima3Du4 *lab, int *table, int n, int *nb_label_effectif);

#ifdef __cplusplus
}
#endif

#endif /* REGGR3D_H */
