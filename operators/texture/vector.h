/*
 * vector.h: a signed 16-bit volume combined with a field of 3D vectors, one
 * per voxel: filtered along the local vector (mode 0) or with the field
 * drawn into it (mode 1).
 *
 * Each vector is scaled so that its dominant component is +-r and rounded
 * to integer offsets (dx, dy, dz); its digital segment is the 3D Bresenham
 * line of 2r + 1 voxels centred on the voxel, from -(dx, dy, dz) to
 * (dx, dy, dz). A voxel is interior when each of its coordinates c lies in
 * r ... size - r - 1 along its axis.
 *
 * A vector file holds three host-order 32-bit integers (columns, rows,
 * planes), then three host-order floats (x, y, z) per voxel, columns
 * fastest, then rows, then planes.
 *
 * The operator reads and writes its files itself. Its own errors end the
 * process with status 3 after "illegal Modus %d\n", "file %s not found\n"
 * or "The X,Y or Z diminsions of the input data blocs are not cooresponding
 * to each other!"; what it refuses besides (a radius leaving no interior
 * voxel, a vector file of wrong length or sizes, an intensity beyond 16
 * bits) ends it with status 1, always before the output file is written.
 */
#ifndef VECTOR_H
#define VECTOR_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    char entree[LONG_NOM];   /* volume file read (8 or 16 bits) */
    char sortie[LONG_NOM];   /* 16-bit volume file written */
    char vecteurs[LONG_NOM]; /* vector file */
    int rayon;               /* r, at least 1 */
    int mode;                /* 0: filter along the vectors, 1: draw them */
    int intensite;           /* value of the drawn voxels (mode 1), -32768 ... 32767 */
} vector_t;

/* A vector field: three floats per voxel, dimx * dimy * dimz voxels. */
typedef struct {
    int dimx;
    int dimy;
    int dimz;
    float *data;
} champ_vecteurs;

/* The result of getDiff for a vector without direction (zero, or with a
 * component that is not a finite number). */
#define VECTOR_SANS_DIRECTION 99

/* Asks "<debq> nom complet du fichier image a lire", "<debq> nom complet du
 * fichier avec les vecteurs a lire", "<debq> nom complet du fichier image a
 * ecrire", then, without the heading, " rayon de la fenetre d'analyse", "
 * modus (filtrage directionelle: 0, ou tracer les vecteurs: 1)" and "
 * intensity de la ligne (uniquement quand modus=1)". A radius below 1 and,
 * in mode 1, an intensity beyond 16 bits are refused with one line and
 * status 1; another mode than 0 or 1 prints "illegal Modus <mode>" and ends
 * the process with status 3. Returns the record after the last question. */
param *vector_lect(vector_t *desc, param *ptp, const char *debq);

/* Does nothing. Returns 0. */
int vector_init(vector_t *desc);

/* Reads the input volume and the vector file, computes the output volume
 * (a copy of the input, then in mode 0 every interior voxel whose vector
 * has a direction replaced by the mean of its segment, truncated towards 0;
 * in mode 1 the segments of the interior voxels whose three coordinates
 * are multiples of 2r + 1 drawn with the intensity, and the voxel one whole
 * offset beyond each segment's forward end, when it lies in the volume)
 * and writes it. Returns 0. */
int vector_calc(vector_t *desc);

/* Reads a vector file into *vecteurs (data allocated). Ends the process:
 * status 3 when the file cannot be opened, status 1 when it is shorter or
 * longer than its sizes announce or its sizes are not positive. */
void getev(champ_vecteurs *vecteurs, const char *nom);

/* Scales the vector v (x, y, z) by r / |its dominant component| and rounds
 * each component with round_perso into *dx, *dy, *dz, the dominant one
 * being exactly +-r. Returns the dominant axis (0 x, 1 y, 2 z; x if |x| is
 * at least |y| and |z|, else y if |y| >= |z|) or VECTOR_SANS_DIRECTION,
 * with zero offsets. */
int getDiff(const float *v, int r, int *dx, int *dy, int *dz);

/* The nearer integer to v, halves downwards (the ceiling only when v lies
 * strictly above the midpoint); beyond the range of int the nearest end of
 * that range, and 0 for a NaN. */
int round_perso(double v);

/* The mean of the segment of offsets (dx, dy, dz), dominant axis `axe`,
 * centred on voxel (x, y, z): the 32-bit sum of its 2|d| + 1 voxels
 * divided by their number, truncated towards 0. The segment must lie in
 * the volume. */
short means2(const ima3Ds2 *in, int x, int y, int z, int dx, int dy, int dz, int axe);

/* Draws the same segment into *out with `intensite`, and the voxel (x +
 * 2dx, y + 2dy, z + 2dz) when it lies in the volume. */
void operators2print(ima3Ds2 *out, int x, int y, int z, int dx, int dy, int dz, int axe, short intensite);

#ifdef __cplusplus
}
#endif

#endif /* VECTOR_H */
