/*
 * eval_volume.h: volume, surface and compactness of the objects of one
 * grey level in an 8-bit volume.
 *
 * The voxels equal to the class studied are grouped into 6-connected
 * objects (voxels touching by a face), numbered 1 ... N; every other voxel
 * is 0. The labelling is the raster pass of the 3D region growing (reggr3d.h)
 * restricted to the class, with equality as the similarity; voxel (0, 0, 0)
 * starts label 1 when it belongs to the class.
 */
#ifndef EVAL_VOLUME_H
#define EVAL_VOLUME_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    unsigned char classe;  /* the grey level studied */
    ima3Du8 *etiquettes;   /* the label volume: allocated by init, freed by ferm */
} eval_volume_t;

/* Asks "<debq> Classe a etudier (niveau de gris)"; the reply is read as a
 * base-10 int (beyond the range of int: refused, status 1) and its low 8
 * bits are kept (256 is class 0). Returns the next record. */
param *eval_volume_lect(eval_volume_t *desc, param *ptp, const char *debq);

/* Allocates the label volume record and its voxels (zero-filled) with the
 * dimx, dimy, dimz, entete and nb_bits of *in. Returns 0. */
int eval_volume_init(eval_volume_t *desc, ima3Du1 *in);

/* Labels the objects of *in (eval_etiquetage_strict), prints
 * "Nombre d'objets: <N>" and "Calcul compacite ...", then writes their
 * attributes to "attr.txt" (calcul_attributs_objets). A label volume that
 * is missing or of other sizes than *in ends the process with status 1.
 * Returns N. */
int eval_volume_calc(eval_volume_t *desc, ima3Du1 *in);

/* Frees the label volume and its record. Returns 0. */
int eval_volume_ferm(eval_volume_t *desc);

/* The labelling: objects of class `classe` of *in numbered into *lab
 * (same sizes), others 0. Prints "nb_etiq = <n + 1> (max 17000000)" (n the
 * last label made, with the warning "-----DANGER Pas assez d'etiquettes
 * !!!----" at n = 16 999 999, when later new objects have shared that
 * label). Stores n + 1 in *nb_etiq and N in *nb_objets. A table that cannot
 * be allocated ends the process with "Probleme d'allocation m\351moire
 * (pt_etiq)" and status 1. */
void eval_etiquetage_strict(ima3Du1 *in, ima3Du8 *lab, unsigned char classe, int *nb_etiq, int *nb_objets);

/* The label choice and chain merges of label_management,
 * equivalence_2_label and equivalence_3_label (reggr3d.h) on unsigned
 * tables. */
void eval_label_management(int code, unsigned l, unsigned u, unsigned z, unsigned long long *cell, unsigned *table,
                           int *counter);
unsigned eval_equivalence_2_label(unsigned *table, unsigned a, unsigned b);
unsigned eval_equivalence_3_label(unsigned *table, unsigned a, unsigned b, unsigned c);

/* Numbers the roots of the table (labels 0 ... n, 0 being the background)
 * 0, 1, 2 ... in increasing order, maps every label of *lab to the number
 * of its root and returns the number of objects (the largest number). */
int eval_reetiquetage(ima3Du8 *lab, unsigned *table, int n);

/* Prints "Calcul des attributs en cours", counts the volume V (voxels) and
 * surface S (voxels on a face of the volume or with one of their 26
 * neighbours of another label) of objects 1 ... N of the label volume,
 * prints "Sauvagarde des r\351sultats dans <path>" and writes one line
 * "i V S K" ("%d %d %d %.4lf") per object into the file, with the
 * compactness K = V / ((S / pi)^1.5 * 4 pi / 3); then prints
 * "Compacitee moyenne: <mean K>" (0 without objects). Returns 0. */
int calcul_attributs_objets(eval_volume_t *desc, const char *path, int N);

/* Prints "un", writes one line "i V" per object 1 ... N into the file and
 * prints the smallest and largest volumes, their mean and standard
 * deviation and how many objects have fewer than 10 voxels, 10 to 99, 100
 * to 999, 1000 to 9999 and more. Without objects the file is empty and
 * every figure is 0. Returns 0. */
int calcul_vol_objets(eval_volume_t *desc, const char *path, int N);

/* Both reports: count arrays that cannot be allocated end the process with
 * "Probleme allocation memoire", status 1; a file that cannot be created
 * with the system's reason after "Dans calcul_attributs_objets" (or "Dans
 * calcul_vol_objets") on standard error, then "Erreur ouverture de <path>",
 * status 1; a failed write with a message and status 1. */

#ifdef __cplusplus
}
#endif

#endif /* EVAL_VOLUME_H */
