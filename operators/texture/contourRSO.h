/*
 * contourRSO.h: oriented contours of a 16-bit image by a ratio test.
 *
 * In the w x w window centred on a pixel, the sums of the squared grey
 * levels of the two halves of the window are compared for four dividing
 * lines (vertical, horizontal, main diagonal, anti-diagonal; the cells on
 * the line are not counted). The strength of the pixel is the smallest of
 * the four normalised ratios min(r, 1/r), in (0, 1], smaller meaning a
 * stronger contour, and its direction code says which line won and which
 * half is brighter:
 *
 *   ratio (first half / second half)   r > 1   r < 1
 *   r1 vertical line (left / right)      1      128
 *   r2 horizontal line (top / bottom)   64      192
 *   r3 main diagonal (upper right /     96      224
 *      lower left)
 *   r4 anti-diagonal (upper left /      32      160
 *      lower right)
 *
 * Code 0: no contour (all four ratios 1). Optionally only the pixels whose
 * strength is a local maximum across their contour are kept.
 */
#ifndef CONTOURRSO_H
#define CONTOURRSO_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    signed char taille;          /* window size w: odd, 1 ... 127, smaller than the image */
    unsigned char sauve_masques; /* 1: save the four masks as msqv, msqh, msqdp, msqds (.ima) */
    unsigned char max_locaux;    /* 1: keep only the local maxima across the contour */
    /* The w x w masks, in the order of the ratios: each cell 1 (first
     * half), 2 (second half) or 0 (on the dividing line). */
    imau1 masques[4];
    /* Ratios of three consecutive image rows for each mask (rows 0, 1, 2:
     * previous, current, next), nc columns, 1.0 where none is computed;
     * allocated with the local-maximum flag only. */
    imafl rapports[4];
} contourRSO_t;

/* Asks "<debq> dimension fenetre d'analyse (impair)", "<debq> sauver
 * imagette masque (oui=1/non=0)" and "<debq> selection des contours max
 * locaux (oui=1/non=0)". A window that is not odd in 1 ... 127, or a flag
 * other than 0 and 1, is refused with one line and status 1. Returns the
 * record after the last question. */
param *contourRSO_lect(contourRSO_t *desc, param *ptp, const char *debq);

/* Refuses (status 1) a window not smaller than the image along both sides
 * or a descriptor the dialogue would have refused. Then sizes, names
 * ("<in.nom>_ctr_val<w>x<w>", "<in.nom>_ctr_dir<w>x<w>") and allocates the
 * strength image *val and the direction image *dir, builds the masks, with
 * the local-maximum flag allocates the ratio rows filled with 1.0, and with
 * the save flag writes the masks as msqv.ima, msqh.ima, msqdp.ima and
 * msqds.ima (with their .dim) in the current folder. Returns 0. */
int contourRSOu2_init(contourRSO_t *desc, imau2 in, imafl *val, imau1 *dir);

/* Fills *val with 1.0 and *dir with 0, then for every pixel at least w/2
 * from every edge stores its strength and code (with the local-maximum
 * flag, only where maxlocgrad accepts the pixel). The sums are exact
 * (64-bit integers of the single-precision squares, which are integers),
 * the ratio is their quotient in extended precision stored in single
 * precision. Images of other sizes than in end the process with status 1.
 * Returns 0. */
int contourRSOu2_calc(contourRSO_t *desc, imau2 in, imafl *val, imau1 *dir);

/* The ratio of one mask (an odd square) at one pixel, from its definition:
 * S1 / S2 over the cells holding 1 and 2, with squares[v] = v*v in single
 * precision; 3.4028235e+38 when only S2 is 0, 1.0 when both are. The
 * window must lie inside the image. */
float appl_masque12(imau2 in, imau1 masque, int row, int col, const float *squares);

/* Strength (*valeur) and code (*code) of the four ratios: r1 decides
 * first (1.0 and code 0 when r1 = 1); r2, r3, r4 in turn replace it when
 * their normalised ratio is strictly smaller. */
void valdirmax(float r1, float r2, float r3, float r4, float *valeur, unsigned char *code);

/* 1 when the pixel of column col of ratio row 1 is a local maximum across
 * its contour: its strength is at most the normalised ratio of the same
 * mask at its two neighbours across the dividing line (rows 0 and 2 of
 * desc->rapports, or columns col - 1 and col + 1 of row 1). Code 0 gives
 * 0; an unknown code ends the process with status 1. */
int maxlocgrad(float valeur, unsigned char code, int col, contourRSO_t *desc);

#ifdef __cplusplus
}
#endif

#endif /* CONTOURRSO_H */
