/*
 * conv16to8.h: 16-bit to 8-bit conversion by a linear stretch.
 *
 * An input interval [lo, hi] is stretched onto 0 ... 255; levels up to lo
 * become 0 and levels from hi up become 255. The interval is chosen by one
 * of three methods: from the smallest level to the mean plus K standard
 * deviations, between the levels of the K% and (100-K)% quantiles, or the
 * fixed interval [0, K]. The mapping is tabulated once for all 65 536
 * levels.
 */
#ifndef CONV16TO8_H
#define CONV16TO8_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Number of input levels. */
#define CONV16TO8_NIVEAUX 65536

/* Size of the report text, terminator included. */
#define CONV16TO8_RAPPORT 256

typedef struct {
    int methode; /* 1 = [min, moy + K*sigma], 2 = [n(K%), n(100-K%)], 3 = [0, K] */
    float K;
    unsigned long long histo[CONV16TO8_NIVEAUX]; /* pixels of every input level (methods 1, 2) */
    unsigned char table[CONV16TO8_NIVEAUX];      /* output level of every input level */
    char rapport[CONV16TO8_RAPPORT];             /* the interval chosen, as printed */
} conv16to8_t;

/* Asks "<debq> methode de conversion : 1=[min,moy+K*sigma],
 * 2=[n(K%), n(100-k%)], 3=[0, K]" (base-10 integer) then "<debq> valeur du
 * parametre K" (real). A method other than 1, 2 or 3 prints
 * "\n>> ERREUR conv16to8_lect : methode <m> inconnue \n" and ends the
 * process with status 1 before K is asked; a reply beyond the range of int
 * (method) or of float (K) is refused with one line naming the question,
 * status 1. Returns the record after the second question. */
param *conv16to8_lect(conv16to8_t *desc, param *ptp, const char *debq);

/* Gives *out the sizes of in, names it "<in.nom>(conv16to8m<methode>)",
 * allocates it (no colour tables) and, for methods 1 and 2, clears the
 * histogram. Returns 0. */
int conv16to8_init(conv16to8_t *desc, imau2 in, imau1 *out);

/* Chooses [lo, hi] with desc->methode and desc->K, prints
 * "\n>>conv16to8 : <report line>\n", fills desc->table and writes
 * table[in pixel] into every pixel of *out. With N the pixel count, in
 * single precision:
 *   1: lo = the smallest level, hi = (int)(sigma*K + m + 0.5), m the mean
 *      and sigma the standard deviation (variance (S2 - N m^2) / (N - 1),
 *      taken as 0 when below 0 or when N < 2);
 *   2: q = N*K/100 + 0.5; lo = 1 + the first level at which the count of
 *      pixels at or below it reaches q, hi = the first level at which the
 *      count at or above it reaches q, minus 1 (a walk that never reaches q
 *      gives lo = 65536 and hi = -1);
 *   3: lo = 0, hi = (int)K.
 * Real values beyond the range of int are taken as INT_MIN or INT_MAX.
 * table[i] is 0 for i <= lo, 255 for i >= hi, and otherwise
 * min(255, (int)(i*e + g + 0.5)) with e = 255.9999/(hi - lo) and g = -e*lo;
 * when hi <= lo, table[i] is 0 for i <= lo and 255 above. A method other
 * than 1, 2 or 3, or an *out of other sizes than in, ends the process with
 * status 1. Returns 0. */
int conv16to8_calc(conv16to8_t *desc, imau2 in, imau1 *out);

#ifdef __cplusplus
}
#endif

#endif /* CONV16TO8_H */
