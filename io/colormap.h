/*
 * colormap.h: attaching a colour table read from a text file to an 8-bit
 * image, so that the writer stores it with the image (as the ".3lt"
 * companion of an ".ima" file or as the colour map of a raster file).
 *
 * The file holds 768 decimal integers separated by any white space: 256
 * red, then 256 green, then 256 blue values, each kept as its low 8 bits
 * (the layout of a ".3lt" file).
 */
#ifndef COLORMAP_H
#define COLORMAP_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    const char *fichier;  /* the reply of the stage's question, in its record (not copied) */
    unsigned char *lutr;  /* loaded tables of 256 entries, or all three null */
    unsigned char *lutv;
    unsigned char *lutb;
} add_colormap_t;

/* Asks "<debq> Nom du fichier contenant la colormap"; desc->fichier points
 * at the reply; no table is loaded yet. Returns the next record. */
param *add_colormap_lect(add_colormap_t *desc, param *ptp, const char *debq);

/* Loads the file. A file that cannot be opened ("add_colormap_init:
 * ATTENTION, impossible d'ouvrir le fichier %s\n") or that does not hold
 * 768 integers ("add_colormap_init: ATTENTION colormap %s incomplete, LUT
 * ignoree\n") is only a warning and leaves the three tables null;
 * otherwise prints "add_colormap_init: LUT %s chargee\n". Exhausted memory
 * ends the process ("add_colormap_init: ERREUR allocation impossible",
 * status 1). Returns 0. */
int add_colormap_init(add_colormap_t *desc);

/* Gives *ima the loaded tables (shared with the descriptor; null tables
 * remove the image's colour table). Tables the image had are released
 * first, unless they are the descriptor's own. Returns 0. */
int add_colormap_calc(add_colormap_t *desc, imau1 *ima);

#ifdef __cplusplus
}
#endif

#endif /* COLORMAP_H */
