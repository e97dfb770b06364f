/*
 * labelcc.h: connected-component labelling of an 8-bit image.
 *
 * Every connected object (4- or 8-connexity) of the pixels selected by a
 * grey-level threshold gets its own number in a 16-bit label image:
 * background 0, objects 1 ... N in the raster order of their first pixel.
 */
#ifndef LABELCC_H
#define LABELCC_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int connexite; /* 4 or 8 */
    int seuil;     /* first grey level of the objects */
    int contraste; /* < 0: dark objects (<= seuil); >= 0: bright objects (>= seuil) */
} labelcc_t;

/* Asks "<debq> connexite : 4 ou 8", "<debq> seuil : premier niveau de gris
 * des objets" and "<debq> contraste : <0 = objets sombres, >=0 = objets
 * claires". A connexity other than 4 or 8, or a reply beyond the range of
 * int, ends the process (status 1). Returns the record after the third
 * question. */
param *labelcc_lect(labelcc_t *desc, param *ptp, const char *debq);

/* Sizes *out like in, names it "<in.nom>_label_s<seuil>" and allocates it.
 * Returns 0. */
int labelccu1_init(labelcc_t *desc, imau1 in, imau2 *out);

/* Labels in into *out (labels 1 ... N). Returns N. */
int labelccu1_calc(labelcc_t *desc, imau1 in, imau2 *out);

/* The labelling core: two scans of in, labels written into out (same
 * sizes). The four integers are read through their addresses. plage >= 2
 * numbers the objects 1 ... N; plage <= 1 folds the numbers into 1 ... 255.
 * Returns N. More than 65 535 provisional labels, or exhausted memory, end
 * the process with status 2 (messages on standard error). Not re-entrant. */
int ETIQ(imau1 in, imau2 out, int *connexite, int *seuil, int *contraste, int *plage);

/* The two scans of ETIQ on their own; they work on the state ETIQ sets up
 * (the label table among it) and test the pixels themselves. */
void ETIQ_S1(void);
void ETIQ_S2(void);

#ifdef __cplusplus
}
#endif

#endif /* LABELCC_H */
