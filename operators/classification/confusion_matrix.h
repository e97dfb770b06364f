/*
 * confusion_matrix.h: counts, for every pair (true class, found class), the
 * voxels of a classified 8-bit volume that carry it, against a ground truth
 * that is a 2D image (one plane of the volume) or a volume.
 *
 * The classes are 0 ... N. The classified volume holds grey levels that the
 * initialisation turns into classes; the ground truth holds classes. The
 * matrix belongs to the caller: at least N + 1 rows of N + 1 integers,
 * zeroed by the caller, indexed [true class][found class].
 */
#ifndef CONFUSION_MATRIX_H
#define CONFUSION_MATRIX_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int nb_regions;   /* N: the classes are 0 ... N (1 ... 255) */
    int coupe;        /* plane of vol_eval compared with a 2D ground truth, from 0 */
    int mode;         /* 0: ground truth ima_test; 1: vol_test; other values: no comparison */
    ima3Du1 vol_eval; /* the classified volume */
    ima3Du1 vol_test; /* the ground-truth volume (mode 1) */
    imau1 ima_test;   /* the ground-truth image (mode 0) */
    read_ima_t lecteur; /* reader of the ground-truth image */
} confusion_matrix_t;

/* Asks, without heading, and reads the files at once:
 *   " Nombre de region a etudier: "  N, 1 ... 255;
 *   " Nom du fichier contenant l'image \303\240 \303\251valuer: " (the a
 *     grave and e acute in UTF-8) the volume file read whole into vol_eval;
 *   " Image de test 2D (0) ou 3D (1): " mode;
 *   mode 0: prints "\n Image contenant l'ensemble de test ", asks the
 *     reader's question with an empty heading (" nom complet du fichier
 *     image a lire"), reads the image into ima_test (ima or 8-bit ras),
 *     then " Numero de la coupe: " coupe, 0 ... planes - 1;
 *   mode 1: " Nom du fichier contenant l'ensemble de test: " the volume
 *     file read whole into vol_test;
 *   another mode: nothing more.
 * Refused with one line and status 1: replies outside the ranges above
 * (naming the question), and a ground truth smaller than the volume to
 * evaluate (an image of fewer rows than samples per trace or fewer columns
 * than traces per plane; a volume smaller along any axis), and more than
 * 2147483647 voxels to compare (a plane in mode 0, the volume in mode 1),
 * whose counts an int could not hold; the readers refuse missing or broken
 * files. Returns the record after the last
 * question. */
param *confusion_matrix_lect(confusion_matrix_t *desc, param *ptp);

/* Checks the descriptor as the reading phase does (N, plane, ground-truth
 * sizes), then replaces every sample e of vol_eval by the integer part of
 * e * N / 255, so that grey levels 0 ... 255 become classes 0 ... N.
 * Returns 0. */
int confusion_matrix_init(confusion_matrix_t *desc);

/* Adds to matrix[t][e] one for each voxel whose true class t and found
 * class e are both at most N:
 *   mode 0: every sample x of every trace y of plane coupe of vol_eval,
 *     against the pixel of ima_test at row x, column y (the image's rows
 *     run along the volume's samples, its columns along its traces);
 *   mode 1: every voxel of vol_eval against the same voxel of vol_test;
 *   another mode: nothing.
 * Returns 0. */
int confusion_matrix_calc(confusion_matrix_t *desc, int **matrix);

/* Releases vol_eval and, in mode 0, the pixels of ima_test, in mode 1
 * vol_test. Returns 0. */
int confusion_matrix_ferm(confusion_matrix_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* CONFUSION_MATRIX_H */
