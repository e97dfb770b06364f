/*
 * traitement_donnees.h: preprocessing of labelled learning points for the
 * learning of gradual rules.
 *
 * For every pair of attributes (i, j), i < j, and every class, on a copy of
 * the two attributes (the points read are never altered):
 * 1. repeated points are removed, each kept point counting its copies;
 * 2. points of sparsely populated cells of a grid sized from the class's
 *    smallest spacings are dropped;
 * 3. the class is split into compact clusters by competitive agglomeration;
 * 4. a cluster filling its outline too sparsely is split into quadrants;
 * and the groups of points are written to the processed learning set, which
 * rules-learning-tool reads as preprocessed data: the number of classes,
 * then for every pair its attribute numbers and for every class its number
 * of groups, the group sizes and the points ("%f %f\n"), group after group.
 *
 * Three trace files are left in the working directory: "learn_clean.data"
 * (the points kept by step 1 and their multiplicities), "compet_agg.txt"
 * (the points of every agglomeration and their clusters) and
 * "learning_set_processing.txt" (the groups of every pair, which are then
 * converted into the processed learning set).
 */
#ifndef TRAITEMENT_DONNEES_H
#define TRAITEMENT_DONNEES_H

#include "image.h"
#include "learning_set.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    const char* fichier_donnees; /* raw learning points: the reply, in the dialogue's record */
    const char* fichier_traite;  /* processed learning set to write (reply) */
    int nb_classes;              /* 1 at least */
    int nb_attributs;            /* 2 at least */
    int* pts_par_classe;         /* nb_classes class sizes, 2 at least each (malloc), released by _ferm */
} traitement_donnees_t;

/* Asks, each question being debq, one blank and the text: "Data file
 * containing the learning points", "Number of classes in the current file"
 * (1 at least), "Number of learning points in class %d" for every class
 * numbered from 0, "Number of attributes in the curent file", "Data file
 * containing the processed learning set". A class of fewer than two points
 * ends the process with "ERREUR traitement_donnees : la classe %d n'a que
 * %d point(s), il en faut au moins 2\n", fewer than 2 attributes with "The
 * number of attributes is not enough to construct the classification
 * rules\n" (status 1); other refusals are the declared questions'. The file
 * names point to the replies in the chain of records. Returns the record
 * after the last question. */
param* traitement_donnees_lect(traitement_donnees_t* desc, param* ptp, const char* debq);

/* Reads the data file into *set: for every point nb_attributs reals and an
 * integer label (discarded), the first pts_par_classe[0] points in class 0,
 * and so on; set->input gets nb_attributs x (sum of the class sizes)
 * points, set->output is crisp with nb_classes classes and each point's
 * class. A file that cannot be opened ("ERREUR: impossible d'ouvrir le
 * fichier %s\n"), a number that cannot be read, a value that is not finite
 * or a file shorter than the sizes end the process (status 1) before any
 * output file is created, as do class sizes whose sum exceeds the range of
 * int. Returns 0. */
int traitement_donnees_init(traitement_donnees_t* desc, learning_set* set);

/* Creates (empties) "learn_clean.data", "compet_agg.txt",
 * "learning_set_processing.txt" (which gets the number of classes) and the
 * processed learning set, processes every attribute pair, then converts
 * "learning_set_processing.txt" into the processed learning set. A trace
 * file that cannot be created ends the process (status 1) with "ERREUR:
 * impossible d'ouvrir le fichier learn_clean.data\n", "Error in opening the
 * text file for the unsupervised clustering\n" (compet_agg.txt),
 * "Impossible to open the learning_set_processing.txt file\n" or, when it
 * cannot be read back, "Impossible to open the learning_set.processing.txt
 * file for reading \n"; the processed learning set with "ERREUR: impossible
 * d'ouvrir le fichier %s\n", or, when it is one of the trace files, with
 * "ERREUR traitement_donnees : le fichier traite %s est un des fichiers de
 * trace (...)". An outline too fine for the verification grid (more than
 * 2^24 cells to draw, values very close together over a wide range) ends
 * the process with a line saying so (status 1). Returns 0. */
int traitement_donnees_calc(learning_set* set, traitement_donnees_t* desc);

/* Releases the class sizes and the learning set. Returns 0. */
int traitement_donnees_ferm(traitement_donnees_t* desc, learning_set* set);

#ifdef __cplusplus
}
#endif

#endif /* TRAITEMENT_DONNEES_H */
