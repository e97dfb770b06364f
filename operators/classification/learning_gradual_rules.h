/*
 * learning_gradual_rules.h: learning of gradual rules from labelled
 * learning points.
 *
 * For every pair of attributes (a1, a2), a1 < a2, and every class (or group
 * of points of a class, for a preprocessed learning set), the points are
 * projected onto the plane (a1, a2); the convex hull of their outline is
 * written to the corners file (its vertices from the pivot, clockwise) and
 * its rules to the rules file: for every hull edge whose ends differ in x
 * and in y, one pair of lines bounding the edge's x interval (line A) and
 * y interval (line B), with codes given by the edge's direction and the
 * hull's turn sign, then two bounding rules over the hull's x and y ranges.
 *
 * Two data files are read:
 * - raw learning points (pretraite 0): for every point nb_attributs reals
 *   and an integer label (not used), the first pts_par_classe[0] points in
 *   class 0, and so on (learning-set-tool writes them);
 * - a preprocessed learning set (pretraite 1; learning-set-cleaning-tool
 *   writes it): the number of classes C, then for every attribute pair in
 *   order its two attribute numbers, and for every class its number of
 *   groups m, the m group sizes and the points (two reals each), group
 *   after group.
 * The whole data file is read and checked before the output files are
 * created: a file that cannot be opened, a number that cannot be read, a
 * value that is not finite, a file shorter than its sizes, a class without
 * any group or a group without any point end the process (status 1) with a
 * line naming the file, and leave no output file.
 *
 * Every allocation failure ends the process (classifier_data.h).
 */
#ifndef LEARNING_GRADUAL_RULES_H
#define LEARNING_GRADUAL_RULES_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    const char* fichier_donnees; /* data file: the reply itself, in the dialogue's record */
    const char* fichier_coins;   /* corners file (reply) */
    const char* fichier_regles;  /* rules file (reply) */
    int nb_classes;              /* number of classes; 0 for a preprocessed learning set */
    int nb_attributs;            /* attributes per point, 2 at least */
    int* pts_par_classe;         /* nb_classes class sizes (malloc), released by _ferm */
    short pretraite;             /* 1: preprocessed learning set, 0: raw points */
} learning_gradual_rules_t;

/* Asks, each question being debq, one blank and the text:
 * "Data file containing the learning points", "Does it come from the
 * preprocessing stage? (0/1)", "File for the coordinates of the corners",
 * "File for the obtained rules", "Number of attributes in the curent file"
 * (2 at least); then a reply other than 0 or 1 to the second question ends
 * the process with the line "Please confirm that the data file comes from
 * the preprocessing stage or not" (status 1), 1 sets nb_classes to 0 and
 * ends the dialogue, and 0 goes on with "Number of classes in the current
 * file" (1 at least) and, for every class numbered from 0, "Number of
 * learning points in class %d" (1 at least). The file names point to the
 * replies in the chain of records. Other refusals are the declared
 * questions' (status 1). Returns the record after the last question. */
param* learning_gradual_rules_lect(learning_gradual_rules_t* desc, param* ptp, const char* debq);

/* For a preprocessed learning set, allocates pts_par_classe with
 * nb_classes (0) entries. For raw points, refuses class sizes whose sum
 * exceeds the range of int (status 1). Returns 0. */
int learning_gradual_rules_init(learning_gradual_rules_t* desc);

/* Reads and checks the data file (see above), creates (empties) the rules
 * file and then the corners file ("ERREUR: impossible d'ouvrir le fichier
 * %s\n", status 1, when one cannot be created) and writes them:
 * - raw points: "0 1\n" to both files, then the data set with the class
 *   number -1;
 * - preprocessed: for every attribute pair and class k, "\n%d %d" (a1, a2)
 *   to the corners file and then to the rules file, then the class's groups
 *   as a data set with the class number k.
 * A data set starts with "\n****%d****\n" (the class number) in the rules
 * file and then in the corners file; then, for every attribute pair (i, j)
 * of the set and every group in order, the hull in the corners file and its
 * rules in the rules file. The learning points are not modified. The two
 * output files may be one file: its lines then come in the order given.
 * Returns 0. */
int learning_gradual_rules_calc(learning_gradual_rules_t* desc);

/* Releases pts_par_classe. Returns 0. */
int learning_gradual_rules_ferm(learning_gradual_rules_t* desc);

#ifdef __cplusplus
}
#endif

#endif /* LEARNING_GRADUAL_RULES_H */
