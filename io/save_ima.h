/*
 * save_ima.h: saving an image progressively, a group of rows at a time.
 *
 * The initialisation creates the output files, each computation call
 * appends rows, and the closing phase completes the size information from
 * the number of rows actually written: the ".dim" file of the raw formats,
 * or the height and length fields of the raster header. The closing phase
 * can also write "nom.origima", a text that says where the saved rows came
 * from in a source image, with a legend. The files have the layouts that
 * the reader stage reads (big-endian raw files, raster files with a
 * 768-byte colour map).
 */
#ifndef SAVE_IMA_H
#define SAVE_IMA_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Longest extension the descriptor holds, terminator included. */
#define SAVE_IMA_LONG_EXT 12

typedef struct {
    FILE *fichier;              /* the .dim stream (raw formats) or the raster file */
    int fd;                     /* the raw pixel file (raw formats), else -1 */
    char nom[LONG_NOM];         /* output name without extension */
    char ext[SAVE_IMA_LONG_EXT];/* extension without the dot */
    int nb_lignes;              /* rows written so far */
    int nb_colonnes;            /* row length: the raster's width, or that of the first rows written */
    char legende[LONG_NOM];     /* legend of "nom.origima"; empty: no such file */
} save_ima_t;

/* Where the saved rows come from: the source image's name and extension,
 * the column and row of the first saved pixel, and the width of the window
 * taken from it. */
typedef struct {
    char nom[LONG_NOM];
    char ext[LONG_NOM];
    int np;
    int nl;
    int largeur;
} save_ima_origine_t;

/* Asks "<debq> nom complet du fichier" and "<debq> legende pour fichier
 * .origima (non cree si vide)". The legend is kept, except the reply "-",
 * which stands for no legend (an empty reply cannot be recorded in a .ctrl
 * file). The name is split at its last '.' that is not its first character;
 * without one: "\n>> ERREUR save_ima_lect : nom image incomplet
 * (extension?)", status 1; an extension longer than 11 characters is
 * refused likewise. Returns the record after the second question. */
param *save_ima_lect(save_ima_t *desc, param *ptp, const char *debq);

/* Raw formats imw, iml, imf, cxs, cxf: creates "nom.ext" (permissions
 * 0644), then the stream of "nom.dim". Another extension: "\n>> ERREUR
 * save_ima_init: extension fichier %s inconnue\n", status 1, before any
 * file is created; a file that cannot be created: "\n>> ERREUR
 * save_ima_init: creation fichier %s impossible\n", status 1. No row is
 * written yet. Returns 0. */
int save_ima_init(save_ima_t *desc);

/* 8-bit images. ima: creates "nom.ima" and the stream of "nom.dim", and,
 * when ima has its three colour tables, writes them to "nom.3lt" as the
 * writer stage does. ras: creates "nom.ras" and writes the header (width
 * ima.nc, height ima.nr, depth 8, raster type 1, map type 1, map length
 * 768) and the map: ima's tables, or three grey ramps without them; the
 * rows then have ima.nc pixels. Another extension: "\n>> ERREUR
 * save_imau1_init: extension fichier %s inconnues\n", status 1, before any
 * file is created. Returns 0. */
int save_imau1_init(save_ima_t *desc, imau1 ima);

/* Append the m rows lignes[0] ... lignes[m-1] of n pixels each, multi-byte
 * values big-endian (the caller's rows are left unchanged); 8-bit raster
 * rows of odd length get a zero byte. The first rows written fix the row
 * length (a raster's is its width): rows of another length, an extension
 * that does not hold the function's pixel type (ima or ras for u1, imw for
 * u2, iml for u4, imf for fl, cxs for cx4, cxf for cx8) and a short write
 * end the process with status 1. Return 0. */
int save_imau1_calc(save_ima_t *desc, unsigned char **lignes, int n, int m);
int save_imau2_calc(save_ima_t *desc, unsigned short **lignes, int n, int m);
int save_imau4_calc(save_ima_t *desc, unsigned int **lignes, int n, int m);
int save_imafl_calc(save_ima_t *desc, float **lignes, int n, int m);
int save_imacx4_calc(save_ima_t *desc, complexe4 **lignes, int n, int m);
int save_imacx8_calc(save_ima_t *desc, complexe8 **lignes, int n, int m);

/* Completes and closes the files: raw formats get "nb_colonnes nb_lignes"
 * in "nom.dim" (">> save_ima_ferm : ecriture %s.%s terminee" is printed),
 * a raster gets its height and length fields ("nb ligne ecrite:%d").
 * With a legend, then writes "nom.origima":
 *   Fichier origine : <source nom>.<source ext>
 *   \tpoint haut gauche : np = <np>, nl = <nl>
 *   \tpoint bas droite  : np = <np + largeur - 1>, nl = <nl + nb_lignes - 1>
 *   Legende : <legende>
 * Closing before any row was written, and a failed write or close, end the
 * process with status 1. Returns 0. */
int save_ima_ferm(const save_ima_origine_t *origine, save_ima_t *desc);

#ifdef __cplusplus
}

/* The typed appending functions by overload, for code written once for
 * every pixel type. */
inline int save_ima_calc(save_ima_t *d, unsigned char **l, int n, int m) { return save_imau1_calc(d, l, n, m); }
inline int save_ima_calc(save_ima_t *d, unsigned short **l, int n, int m) { return save_imau2_calc(d, l, n, m); }
inline int save_ima_calc(save_ima_t *d, unsigned int **l, int n, int m) { return save_imau4_calc(d, l, n, m); }
inline int save_ima_calc(save_ima_t *d, float **l, int n, int m) { return save_imafl_calc(d, l, n, m); }
inline int save_ima_calc(save_ima_t *d, complexe4 **l, int n, int m) { return save_imacx4_calc(d, l, n, m); }
inline int save_ima_calc(save_ima_t *d, complexe8 **l, int n, int m) { return save_imacx8_calc(d, l, n, m); }
#endif

#endif /* SAVE_IMA_H */
