/*
 * volume.h: volume records in memory and volume files on disk.
 *
 * A volume file is an 80-byte header of big-endian 32-bit integers (trace
 * length at offset 4, traces per plane at 8, planes at 12, bits per sample
 * at 36, header length at 72; every other byte 'a') followed by the
 * samples, plane after plane, trace after trace: bytes, big-endian 16-bit
 * values, or doubles in host order.
 *
 * Every function that cannot go on prints its message on standard output
 * and ends the process with status 1.
 */
#ifndef VOLUME_H
#define VOLUME_H

#include <stdio.h>

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Allocate the plane table, the trace tables and the zero-filled traces of
 * a record whose dimx, dimy and dimz are set (entete and nb_bits are left
 * alone). */
void allouer_ima3Du1(ima3Du1 *v);
void allouer_ima3Ds2(ima3Ds2 *v);
void allouer_ima3Du4(ima3Du4 *v);
void allouer_ima3Du8(ima3Du8 *v);
void allouer_ima3Dd(ima3Dd *v);

/* The same for a sliding window: nb_seq planes instead of dimz. */
void allouer_ima3Du1_sequence(ima3Du1 *v);

/* Release every trace, every trace table and the plane table; data
 * becomes null. */
void liberer_ima3Du1(ima3Du1 *v);
void liberer_ima3Ds2(ima3Ds2 *v);
void liberer_ima3Du4(ima3Du4 *v);
void liberer_ima3Du8(ima3Du8 *v);
void liberer_ima3Dd(ima3Dd *v);
void liberer_ima3Du1_sequence(ima3Du1 *v);

/* Read a volume file into *v and return its stream, left open just after
 * the samples read. mode 0: the whole volume; mode 1: plane premier only;
 * mode 2: planes premier to dernier (planes counted from 1; dernier is only
 * read in mode 2). lect_ima3Du1 rescales 16-bit files to 0 ... 254 (printing
 * "max=..; min=.."); lect_ima3Ds2 widens 8-bit samples b to b * 256;
 * lect_ima3Dd takes only 64-bit files. */
FILE *lect_ima3Du1(const char *nom, ima3Du1 *v, int mode, int premier, int dernier);
FILE *lect_ima3Ds2(const char *nom, ima3Ds2 *v, int mode, int premier, int dernier);
FILE *lect_ima3Dd(const char *nom, ima3Dd *v, int mode, int premier, int dernier);

/* Write *v as a volume file of 8, 16 or 64 bits per sample. Return 0 (the
 * result of closing the file; a failed write or close ends the process). */
int ecr_ima3Du1(const char *nom, ima3Du1 *v);
int ecr_ima3Ds2(const char *nom, ima3Ds2 *v);
int ecr_ima3Dd(const char *nom, ima3Dd *v);

/* Header fields of an open volume file. */
void lire_longueur_trace(FILE *f, int *valeur);
void lire_nb_trace(FILE *f, int *valeur);
void lire_nb_plan(FILE *f, int *valeur);
void lire_nb_octet(FILE *f, int *valeur); /* bits per sample */
void lire_longueur_entete(FILE *f, int *valeur);
void ecr_longueur_trace(FILE *f, int valeur);
void ecr_nb_trace(FILE *f, int valeur);
void ecr_nb_plan(FILE *f, int valeur);
void ecr_nb_octet(FILE *f, int valeur);
void ecr_longueur_entete(FILE *f, int valeur);

/* Copies the header of src (its stored length) to the start of dst, then
 * sets dst's number of planes and bits per sample to the given values when
 * they are not 0; dst is left just after the header. */
void copie_entete(FILE *src, FILE *dst, int nb_plans, int nb_bits);

#ifdef __cplusplus
}
#endif

#endif /* VOLUME_H */
