/*
 * fuzzy_c_means.h: unsupervised fuzzy clustering of a data input into
 * nb_class classes.
 *
 * The result is a fuzzy data output (one membership per class and point,
 * classifier_data.h) and one centre per class of 16-bit integers, one per
 * attribute. All the arithmetic is single precision (float sums, powers
 * by powf), in the order written below, so that a run is reproducible to
 * the bit. With m = fuzzy_coeff, x[a][p] attribute a of point p and
 * u[j][p] the membership of point p in class j, each iteration:
 *   centres     c[j][a] = (sum over p of u[j][p]^m x[a][p]) /
 *               (sum over p of u[j][p]^m), sums in increasing p, truncated
 *               toward zero into 0 ... 65535 (clamped); a class whose
 *               weights sum to 0 keeps its centre;
 *   memberships D[k] = (sum over a of (x[a][p] - c[k][a])^2) + 0.001 and
 *               u[j][p] = (1 / D[j]^e) / (sum over k of 1 / D[k]^e) with
 *               e = 1 / (m - 1); when the powers overflow or underflow so
 *               that this sum is 0 or infinite, the point goes wholly to
 *               its nearest class, shared equally by classes equally near;
 *   variation   the sum over p, then j, of 10 |old u[j][p] - new u[j][p]|,
 *               divided by nb_pts x nb_class; the iterations stop when it
 *               is below threshold.
 */
#ifndef FUZZY_C_MEANS_H
#define FUZZY_C_MEANS_H

#include "classifier_data.h"
#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int nb_class;                  /* number of classes, 1 or more */
    int nb_it;                     /* most iterations */
    float fuzzy_coeff;             /* fuzziness exponent m, above 1 */
    float threshold;               /* stop when the mean variation falls below it */
    float variation;               /* sum of the membership changes of the last iteration */
    unsigned short** centres;      /* centres[class][attribute], rows over one block (init) */
    char extension[LONG_NOM];      /* ".ima", ".ras" or ".imf" for membership images, "" for none */
    char initialisation[LONG_NOM]; /* "0", "1" or the name of a centre file */
    int nb_attributs;              /* attributes of the centres (init) */
} fuzzy_c_means_t;

/* Asks, each as "<debq> <text>": "nombre de classes [nb_class] (entier)"
 * (1 or more), "indice de flou [fuzzy_coeff] (>1) (reel)" (a float above
 * 1), "seuil d'arret [threshold] [0, 1] (ex:0.001) (reel)" (any float),
 * "nombre maximum d'iterations [nb_it] (entier)" (any int), "extension
 * noms fichiers images d'appartenance (.ima|.ras|.imf), non sauvees si ''"
 * (".ima", ".ras", ".imf", or '' or nothing for none, stored as "") and
 * "Quelle initialisation? ( 0 | 1 | nom_fichier )" (copied). A reply
 * outside what a question accepts ends the process with one line naming
 * it, status 1. Returns the record after the last question. */
param* fuzzy_c_means_lect(fuzzy_c_means_t* desc, param* ptp, const char* debq);

/*
 * Prints "\n fuzzy_c_mean init...", makes *out a fuzzy output of nb_class
 * classes with the nb_pts, equ_nb_rows and equ_nb_cols of in and
 * allocates it, allocates the centres (all 0; failure: "MEMORY ALLOCATION
 * ERROR" and the system's reason on standard error, status 3), then
 * initialises:
 *   "0"  prints "...Choix d'initialisation = 0\n", seeds rand with the
 *        current time and gives each point, class by class, the draw
 *        rand() % 100, each then divided by the point's sum of draws
 *        unless that sum is 0 (the memberships stay 0);
 *   "1"  prints "...Choix d'initialisation = 1\n" and, without seeding,
 *        draws centre[j][a] = rand() % L (largest value of the input,
 *        truncated; draws above 65535 clamped), attribute by attribute and
 *        class by class within one; L below 1 is refused (status 1);
 *   else the name of a centre file: prints "...initialisation par fichier
 *        = lecture dans '%s' les coeff suivants :\n\n", reads nb_class x
 *        nb_attributs integers ("%d", any white space between), class
 *        after class, echoing "centre[%d][%d] = %d \t" and a line feed
 *        after each class. A file that cannot be opened, holds fewer
 *        numbers or a value outside 0 ... 65535 is refused (status 1).
 * After "1" or a file, the memberships come from the centres: for the
 * last attribute a (each attribute overwrites the memberships of the one
 * before, so the last one's remain), d[k] = |c[k][a] - x[a][p]|, S the
 * running sum of the d[k] truncated to an integer after each addition,
 * u[k][p] = d[k] / S, or 1 / nb_class for every class when S is 0.
 * Refused with a line and status 1 before anything is allocated: nb_class
 * below 1, fuzzy_coeff not above 1, an input without points or
 * attributes. Prints "\ninit fcm OK.". Returns 0.
 */
int fuzzy_c_means_init(fuzzy_c_means_t* desc, data_input in, data_output* out);

/*
 * Prints "\nfcm calc...\n", "Nb. de iterations[nb_it]=%d\n" and "\n", then
 * runs iterations i = 0, 1, ... while i < nb_it, each printing "\n It\351ration
 * num\351ro %d\n\n", every new centre as "centre[%d][%d] = %d\n" (class,
 * attribute, value; a line feed after each attribute), "===> seuil =
 * %1.5f" and "   --->>    la variation actuelle = %1.5f" (the mean
 * variation), then "  ...  donc, continue" unless it stops or is the last.
 * Ends with "\n\nCalcul effectu\351!" and "\nNb. maximum d'it\351rations
 * atteint !!! " when every iteration ran (also when nb_it <= 0), otherwise
 * "L'algorithme a termin\351 le calcul apr\350s  %d cycles.\n" (i + 1); then
 * "\n". in and *out must be those of init (otherwise status 1). Returns 0.
 */
int fuzzy_c_means_calc(fuzzy_c_means_t* desc, data_input in, data_output* out);

#ifdef __cplusplus
}
#endif

#endif /* FUZZY_C_MEANS_H */
