/*
 * lvf_volume.h: 8-bit volumes in LVF files, whole, by box, or plane by
 * plane through a sliding window.
 *
 * An LVF file is a 24-byte header of six host-order 32-bit integers (magic
 * number 128, header length 24, samples per trace, traces per plane,
 * planes, bits per sample 8) followed by the samples, plane after plane,
 * trace after trace, one byte each.
 *
 * Unlike the volume files of volume.h, these functions report failures by
 * their result (-1) after printing a message that names the function, so
 * that the caller decides; allocation failures are reported the same way.
 * Only a file that cannot be opened for reading ends the process (status
 * 255, after "Dans lvf_volume.cpp, ligne N, " with the source line of the
 * report and the system's reason).
 */
#ifndef LVF_VOLUME_H
#define LVF_VOLUME_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Reads a whole LVF file into *v (sizes, entete = 24, nb_bits = 8, planes
 * allocated). Returns 0, or -1 when the header or the file's length is
 * wrong. */
int lect_volume_u1(const char *nom, ima3Du1 *v);

/* Checks the header of an LVF file, fills the sizes of *v and keeps the
 * stream in v->fichier, positioned at the first sample. Returns 0 or -1. */
int lecture_entete_lvf(const char *nom, ima3Du1 *v);

/* Writes *v as an LVF file. Returns the result of closing the file; 1 when
 * the record's entete is not 24, its nb_bits not 8 or a size not positive
 * (checked before the file is created); -1 when the file cannot be created
 * or written. */
int write_volume_u1(const char *nom, ima3Du1 *v);

/* Writes the box x0..x1, y0..y1, z0..z1 (inclusive) of *v as an LVF file.
 * Returns 0, or -1 (box outside the volume, file not created or written). */
int write_part_of_volume_u1(const char *nom, ima3Du1 *v, int x0, int y0, int z0, int x1, int y1, int z1);

/* Creates an LVF file, writes the magic number and the header of *v, and
 * keeps the stream in v->fichier. Returns 0, or -1 with v->fichier null
 * (sizes not positive, file not created or written). */
int ecriture_entete_lvf(const char *nom, ima3Du1 *v);

/*
 * Sliding window, reading. lect_volume_u1_sequence_first checks the file,
 * allocates a window of `largeur` planes (an even width is raised to the
 * next odd one with a warning; a width below 1 or wider than the volume
 * plus one is refused), reads the first largeur - 1 planes and returns
 * courant = largeur / 2, or -1, in which case the stream is closed and the
 * window released (v->fichier and v->data null). Each
 * lect_volume_u1_sequence_next reads the next plane of the file and
 * increments courant; it returns -1 once the file has no plane left (the
 * caller then closes v->fichier and releases the window).
 *
 * Window slots: counting the planes of the file from 1 (plane 0 being a
 * zero plane before the volume), slot i of v->data holds plane
 * courant - nb_seq/2 + i, so the centre slot nb_seq/2 holds plane courant.
 * A call to next moves every plane one slot towards the start.
 */
int lect_volume_u1_sequence_first(const char *nom, ima3Du1 *v, int largeur);
int lect_volume_u1_sequence_next(ima3Du1 *v);

/* Sliding window, writing: the header of *v and `bord` zero planes; then
 * one plane per call (slot v->courant of v->data); then `bord` zero planes
 * and the file is closed. Each returns 0, or -1 on a failed write. */
int write_volume_u1_sequence_preparation(const char *nom, ima3Du1 *v, int bord);
int write_volume_u1_sequence_next(ima3Du1 *v);
int write_volume_u1_sequence_fermeture(ima3Du1 *v, int bord);

/* Copies dimx, dimy, dimz, entete, nb_bits, courant and nb_seq (not the
 * samples). */
void copie_entete_ima3du1(ima3Du1 *src, ima3Du1 *dst);

#ifdef __cplusplus
}
#endif

#endif /* LVF_VOLUME_H */
