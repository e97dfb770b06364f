/*
 * Mcoocur.h: texture features of an 8-bit volume from the grey-level
 * co-occurrence matrix of a sliding box.
 *
 * For a window of winx x winy x winz voxels and a displacement (dx, dy, dz),
 * the matrix M counts, over every voxel (z, y, x) of the window, the pair
 * a = voxel (z, y, x), b = voxel (z + dz, y + dy, x + dx): M[a][b] is the
 * number of pairs of first level a and second level b. N is the number of
 * non-zero cells of M (not the number of pairs). Nine features can be
 * selected; each fills one 64-bit volume at the window's centre.
 *
 * The window travels through the volume in a serpentine (rows and columns
 * run alternately forwards and backwards), so that each step moves one slab
 * of voxels out of the matrix and one slab in; every feature keeps running
 * sums that one cell change updates in constant time, and its value is
 * obtained from them in constant time (the sum entropy scans its 511-bin
 * histogram). The integer sums are 64-bit: with at most 2^32 - 1 pairs in
 * a window, none of them can overflow.
 */
#ifndef MCOOCUR_H
#define MCOOCUR_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Number of features, and their indices in the attribute table. */
#define MCOOCUR_NB_ATTRIBUTES 9
enum {
    MCOOCUR_CONTRAST,
    MCOOCUR_CORRELATION,
    MCOOCUR_DIRECTIVITY,
    MCOOCUR_ENTROPY,
    MCOOCUR_HOMOGENEITY,
    MCOOCUR_LOCAL_HOMOGENEITY,
    MCOOCUR_SUM_AVERAGE,
    MCOOCUR_SUM_ENTROPY,
    MCOOCUR_UNIFORMITY
};

typedef struct {
    int winx; /* window size in columns, at least 1 */
    int winy; /* window size in rows, at least 1 */
    int winz; /* window size in planes, at least 1 */
    int dx;   /* displacement of the second voxel of a pair, columns, at least 0 */
    int dy;   /* rows, at least 0 */
    int dz;   /* planes, at least 0 */
    int selected[MCOOCUR_NB_ATTRIBUTES]; /* 1: compute this feature, in table order */
} Mcoocur_t;

/* The working record of one computation: the matrix and every running sum.
 * Counts are at most the number of pairs of a window (2^32 - 1 at most). */
typedef struct GlcmData {
    unsigned int M[256][256];  /* M[first level][second level] */
    int N;                     /* non-zero cells of M */
    unsigned long long Scon;   /* sum of (a-b)^2 M[a][b] */
    unsigned long long Sdir;   /* sum of M[a][a] */
    double S;                  /* sum of M log10 M over non-zero cells */
    unsigned long long T;      /* sum of M over non-zero cells */
    unsigned long long Shom;   /* sum of M[a][b]^2 */
    double Slh;                /* sum of M[a][b] / ((a-b)^2 + 1) */
    unsigned long long Ssa;    /* sum of (a+b) M[a][b] */
    unsigned long long h[511]; /* h[k]: sum of M[a][b] over a + b = k */
    unsigned long long Suni;   /* sum of M[a][a]^2 */
    unsigned long long h_nonzero[8]; /* bit k % 64 of word k / 64: h[k] != 0 */
} GlcmData;

/* One feature: its name, its short name (used in file names), the update of
 * its running sums when cell (a, b) changes from old to now, and its value
 * from the running sums. */
typedef struct {
    char name[20];
    char short_name[4];
    void (*update)(int a, int b, unsigned int old, unsigned int now, GlcmData *data);
    long double (*finalise)(const GlcmData *data);
} Mcoocur_attribute_t;

/* The nine features, in this order (value of each):
 *   "Constrast"         "Con"  Scon / N
 *   "Correlation"       "Cor"  quiet NaN (not computed; no running sum)
 *   "Directivity"       "Dir"  Sdir / N
 *   "Entropy"           "Ent"  1 - (S - T log10 N) / (N log10 N); 0 when
 *                              N is 1 (a single non-zero cell: every pair
 *                              has the same two levels, nothing is
 *                              uncertain), where the formula is 0/0 or
 *                              infinite
 *   "Homogeneity"       "Hom"  Shom / N
 *   "Local Homogeneity" "LHo"  Slh / N
 *   "Sum average"       "SAv"  Ssa / N
 *   "Sum entropy"       "SEn"  (sum of h[k] log10 h[k] over h[k] != 0) / N
 *   "Uniformity"        "Uni"  Suni / (N N)
 * computed in extended precision (N N too, which does not fit an int for
 * N = 65536). With N = 0 (an empty matrix) every value but Correlation's is
 * a division by 0: NaN or infinite. */
extern const Mcoocur_attribute_t attributes[MCOOCUR_NB_ATTRIBUTES];

/* Asks, each as "<debq> <text>": "winx", "winy", "winz" (integers of at
 * least 1), "dx ", "dy", "dz " (integers of at least 0; "dx " and "dz " with
 * a trailing blank), then "<name> (0/1)" for every feature in table order,
 * a reply whose first character is '1' selecting it. A size below its
 * least value, or beyond the range of int, is refused with one line naming
 * the question, status 1. Returns the record after the last question. */
param *Mcoocur_lect(Mcoocur_t *desc, param *ptp, const char *debq);

/* Refuses, with one line and status 1, a window and displacement that do
 * not fit a volume of dimx x dimy x dimz: each window size must be at least
 * 1, each displacement at least 0, and win + d smaller than the volume's
 * size along every axis; the window must hold at most 4294967295 voxels.
 * Returns 0 when they fit. */
int Mcoocur_check(const Mcoocur_t *desc, int dimx, int dimy, int dimz);

/* Checks the sizes (Mcoocur_check), then for each selected feature
 * allocates a new ima3Dd of the input's sizes (all samples 0.0) with the
 * input's entete and nb_bits 64, and stores it in out[i]; out[i] is null
 * for a feature not selected. Returns 0. */
int Mcoocur_init(Mcoocur_t *desc, ima3Du1 in, ima3Dd **out);

/* The window's origin (lowest column, row and plane) runs over columns
 * 0 ... dimx-winx-dx-1, rows 0 ... dimy-winy-dy-1, planes
 * 0 ... dimz-winz-dz-1, in a serpentine: planes increasing; rows downwards
 * on the first plane, the direction reversing at every plane; columns
 * rightwards on the first row, the direction reversing at every row (across
 * planes too). The features of the window at origin (z0, y0, x0) are stored
 * at (z0 + (winz+dz)/2, y0 + (winy+dy)/2, x0 + (winx+dx)/2) of their volumes;
 * no other sample is written. Creates (or empties) "nonZeros.dump" in the
 * working folder, writes nothing to it and closes it at the end (a warning
 * when it cannot be created); prints two timing lines. Sizes that do not
 * fit the volume end the process as Mcoocur_check says. Returns 0. */
int Mcoocur_calc(Mcoocur_t *desc, ima3Du1 in, ima3Dd **out);

/* Clears the matrix, N, every running sum and the whole histogram. */
void initGlcmData(GlcmData *data);

/* Cell (a, b) changed from old to now: calls the update of every selected
 * feature in table order, then adds 1 to N when old is 0 and now is not,
 * or subtracts 1 when old is not 0 and now is. */
void valueUpdateGlcmData(int a, int b, unsigned int old, unsigned int now, GlcmData *data, const Mcoocur_t *desc);

/* Adds delta (+1 or -1) to M[a][b] for a = voxel (z, y, x) and
 * b = voxel (z + dz, y + dy, x + dx) of in, and updates the sums with
 * valueUpdateGlcmData. Both voxels must lie in the volume, and a count
 * must not go below 0. */
void pixelUpdateGlcmData(int x, int y, int z, int delta, GlcmData *data, const ima3Du1 *in, const Mcoocur_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* MCOOCUR_H */
