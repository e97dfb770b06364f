/* A small operator written in C against the public headers, the way a
 * generated skeleton is filled in: a threshold with the four phases. */
#include <stdio.h>
#include <stdlib.h>

#include "image.h"
#include "proto2D.h"

typedef struct {
    int seuil;
} seuil_t;

param *seuil_lect(seuil_t *desc, param *ptp, char *debq) {
    char question[500];
    snprintf(question, sizeof question, "%s seuil (entier)", debq);
    lec_param(question, ptp);
    desc->seuil = (int)strtol(ptp->rep, NULL, 10);
    return ptp->suiv;
}

int seuilu1_init(seuil_t *desc, imau1 in, imau1 *out) {
    (void)desc;
    out->nc = in.nc;
    out->nr = in.nr;
    snprintf(out->nom, sizeof out->nom, "%.190s_seuil", in.nom);
    alloc_imau1(out);
    return NO_ERROR;
}

int seuilu1_calc(seuil_t *desc, imau1 in, imau1 *out) {
    long n = (long)in.nc * in.nr;
    for (long i = 0; i < n; i++) out->pixels[0][i] = in.pixels[0][i] >= desc->seuil ? 255 : 0;
    return NO_ERROR;
}

int seuil_ferm(seuil_t *desc) {
    (void)desc;
    return NO_ERROR;
}
