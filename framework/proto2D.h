/*
 * proto2D.h: the functions of the framework (dialogue, image records, byte
 * reversal) and of the 2D image reader and writer stages.
 *
 * Every function that cannot go on prints its message on standard output and
 * ends the process (status 1 unless stated otherwise); none returns an error
 * code.
 */
#ifndef PROTO2D_H
#define PROTO2D_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Dialogue ---------------------------------------------------------- */

/* Empties *first, prints the banner and chooses the mode from the command
 * line: MANUEL (no argument), FICHIER (one argument ending in ".ctrl", whose
 * records pre-fill the chain) or AUTO (the arguments are the replies).
 * Returns 0. */
int param_debut(int argc, char **argv, param *first);

/* Asks (MANUEL), replays with the stored reply as default (FICHIER) or shows
 * (AUTO) one question on *ptp; afterwards ptp->suiv is never null. */
void lec_param(const char *question, param *ptp);

/* Reads one ".ctrl" line ("reply<tabs>#question") into *p.
 * Returns 1 when a record was read, 0 at the end of the file (then *p is
 * left empty). */
int flec_param(FILE *f, param *p);

/* Appends a new empty record as p->suiv. */
void alloc_param(param *p);

/* Offers to save the replies of the chain as a ".ctrl" file (not in AUTO
 * mode). Returns 0. */
int param_fin(int argc, char **argv, param *first);

/* Direct questions with the current value as default; an empty line or the
 * end of standard input keeps the value. A typed number is read as strtol
 * or strtod reads it; one beyond the range of the value's type ends the
 * process (status 1). lec_nom's buffer holds LONG_NOM characters. */
void lec_int(int *value, const char *question);
void lec_float(float *value, const char *question);
void lec_double(double *value, const char *question);
void lec_nom(char *nom, const char *question);

/* Next name of a numbered series (coupe_01 -> coupe_02, coupe9 -> coupe10,
 * coupe -> coupe_01). suivant holds LONG_NOM characters.
 * Returns 2, 1 or 0 for a two-digit, one-digit or missing number. */
int nom_image_suivante(const char *nom, char *suivant);

/* ---- Image records ----------------------------------------------------- */

/* Allocate the row table and one pixel block of a record whose nc and nr
 * are set (values undefined); nom is left as it is. alloc_imau1 also nulls
 * the colour tables. */
void alloc_imau1(imau1 *ima);
void alloc_imau2(imau2 *ima);
void alloc_imas2(imas2 *ima);
void alloc_imau4(imau4 *ima);
void alloc_imas4(imas4 *ima);
void alloc_imafl(imafl *ima);
void alloc_imadb(imadb *ima);
void alloc_imacx4(imacx4 *ima);
void alloc_imacx8(imacx8 *ima);
void alloc_imacx16(imacx16 *ima);
void alloc_imarvb(imarvb *ima);

/* Gives *dst the sizes, name and (shared) colour tables of *src and
 * allocates zero-filled pixels. */
void alloc_imau1_as(imau1 *src, imau1 *dst);

/* Release the pixel block and the row table (never the colour tables). */
void free_imau1(imau1 *ima);
void free_imau2(imau2 *ima);
void free_imas2(imas2 *ima);
void free_imau4(imau4 *ima);
void free_imas4(imas4 *ima);
void free_imafl(imafl *ima);
void free_imadb(imadb *ima);
void free_imacx4(imacx4 *ima);
void free_imacx8(imacx8 *ima);
void free_imacx16(imacx16 *ima);
void free_imarvb(imarvb *ima);

/* ---- Byte reversal ----------------------------------------------------- */

/* Reverse the bytes of one value (2, 4, 4 or 8 bytes) in place. */
void permuteShort(void *value);
void permuteInt(void *value);
void permuteFloat(void *value);
void permuteLong(void *value);

/* Reverse each of n consecutive values in place. */
void permuteShortTab(void *values, int n);
void permuteIntTab(void *values, int n);
void permuteFloatTab(void *values, int n);
void permuteLongTab(void *values, int n);

/* ---- Reader stage ------------------------------------------------------ */

/* Asks "<debq> nom complet du fichier image a lire" and splits the reply at
 * its last '.' into desc->nom and desc->ext. Returns the next record. */
param *read_ima_lect(read_ima_t *desc, param *ptp, const char *debq);

/* Load the file named by desc into *ima (sizes, pixels, nom = "nom.ext").
 * read_imau1_init takes "ima" (with its .dim and optional .3lt) and 8-bit
 * "ras"; the typed raw readers take their lower-case (big-endian) and
 * upper-case (host-order) extensions; read_imarvb_init takes a 24-bit
 * raster of any extension. Return 0. */
int read_imau1_init(read_ima_t *desc, imau1 *ima);
int read_imau2_init(read_ima_t *desc, imau2 *ima);
int read_imau4_init(read_ima_t *desc, imau4 *ima);
int read_imafl_init(read_ima_t *desc, imafl *ima);
int read_imacx4_init(read_ima_t *desc, imacx4 *ima);
int read_imacx8_init(read_ima_t *desc, imacx8 *ima);
int read_imarvb_init(read_ima_t *desc, imarvb *ima);

/* (Re)allocates the three 256-entry colour tables of *ima (values
 * undefined). */
void alloc_lut_u1(imau1 *ima);

/* Releases the colour tables that are set and nulls the three pointers. */
void free_lut_u1(imau1 *ima);

/* ---- Writer stage ------------------------------------------------------ */

/* Asks "<debq> nom complet du fichier image a ecrire" and splits the reply
 * at its last '.' into desc->nom and desc->ext. Returns the next record. */
param *write_ima_lect(write_ima_t *desc, param *ptp, const char *debq);

/* Creates the output files of desc's extension (ima, imw, iml, imf, cxs,
 * cxf: "nom.dim" and the data file; ras: the raster file). Returns 0. */
int write_ima_init(write_ima_t *desc);

/* Write the image into the files created by write_ima_init and close them.
 * Each function accepts only the extensions of its pixel type: ima or ras
 * for imau1, imw, iml, imf, cxs, cxf for the others, ras for imarvb.
 * The image is left unchanged. Return 0. */
int write_imau1_ferm(write_ima_t *desc, imau1 ima);
int write_imau2_ferm(write_ima_t *desc, imau2 ima);
int write_imau4_ferm(write_ima_t *desc, imau4 ima);
int write_imafl_ferm(write_ima_t *desc, imafl ima);
int write_imacx4_ferm(write_ima_t *desc, imacx4 ima);
int write_imacx8_ferm(write_ima_t *desc, imacx8 ima);
int write_imarvb_ferm(write_ima_t *desc, imarvb ima);

#ifdef __cplusplus
}
#endif

#endif /* PROTO2D_H */
