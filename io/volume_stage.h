/*
 * volume_stage.h: reader and writer stages for volumes, the way the 2D
 * reader and writer stages serve images.
 *
 * Each stage asks one question for its file name in the reading phase. The
 * reader recognises the file's format by its first bytes (an LVF file begins
 * with the integer 128, a volume file with "aaaa"); the writer chooses it by
 * the name (".lvf": an LVF file; any other name: a volume file). Programs ask
 * their heading followed by " nom complet du fichier volume a lire" or
 * " nom complet du fichier volume a ecrire".
 *
 * Every refusal prints its message on standard output and ends the process
 * with status 1 (the LVF reader's own exit for a file it cannot open aside).
 */
#ifndef VOLUME_STAGE_H
#define VOLUME_STAGE_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reader stage: the file name as replied, and the planes to read (from 1;
 * premier 0 reads the whole volume). */
typedef struct {
    char nom[LONG_NOM];
    int premier;
    int dernier;
} read_vol_t;

/* Writer stage: the file name as replied, and its format (1: LVF). */
typedef struct {
    char nom[LONG_NOM];
    int lvf;
} write_vol_t;

/* Asks `question` as given; the reply (not empty) is the file name. Sets
 * premier and dernier to 0 (the whole volume). Returns the next record. */
param *read_vol_lect(read_vol_t *desc, param *ptp, const char *question);

/* Fills dimx, dimy, dimz, entete and nb_bits (the file's bits per sample)
 * of *v from the file's header, without reading samples (data is left
 * alone). Sizes that are not positive are refused. Returns 0. */
int read_vol_entete(read_vol_t *desc, ima3Du1 *v);

/* Read the volume (or planes premier ... dernier) into *v.
 * read_volu1_init takes LVF files and volume files (16-bit volume files are
 * rescaled to 8 bits, as lect_ima3Du1 does); read_vols2_init and
 * read_vold_init take volume files only, converted as lect_ima3Ds2 and
 * lect_ima3Dd do. Return 0. */
int read_volu1_init(read_vol_t *desc, ima3Du1 *v);
int read_vols2_init(read_vol_t *desc, ima3Ds2 *v);
int read_vold_init(read_vol_t *desc, ima3Dd *v);

/* Asks `question` as given; the reply (not empty) is the file name, whose
 * ending chooses the format. Returns the next record. */
param *write_vol_lect(write_vol_t *desc, param *ptp, const char *question);

/* Refuses a format that cannot hold volumes of nb_bits bits per sample (LVF
 * holds 8 bits only). Call it before any output file is created. Returns 0. */
int write_vol_init(write_vol_t *desc, int nb_bits);

/* Write the volume in the format chosen (an 8-bit LVF file takes a header
 * length of 24 and 8 bits whatever the record holds) and return 0; a
 * failed write ends the process. write_vols2_ferm and write_vold_ferm write
 * volume files only. */
int write_volu1_ferm(write_vol_t *desc, ima3Du1 *v);
int write_vols2_ferm(write_vol_t *desc, ima3Ds2 *v);
int write_vold_ferm(write_vol_t *desc, ima3Dd *v);

#ifdef __cplusplus
}
#endif

#endif /* VOLUME_STAGE_H */
