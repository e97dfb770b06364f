/*
 * csom.h: self-organising map on a ring of neurons, trained without
 * supervision on the pixels of a stack of 8-bit images.
 *
 * Each pixel is a sample whose vector holds its value in each of the
 * input_neurons images. The output_neurons neurons form a ring (the
 * neighbour after the last is the first). After training, each pixel is
 * labelled with the index of its winning neuron, rendered as a grey level.
 *
 * Calling order: csom_lect, set samples, csom_init, imau1tocsomvect,
 * csom_calc, csomvecttoimau1, csom_destruct.
 *
 * Every two-dimensional table is one contiguous block with a row-pointer
 * table over it (row d of inputs and weights is dimension d). Arithmetic is
 * single precision unless stated.
 */
#ifndef CSOM_H
#define CSOM_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Most input images the dialogue accepts: each is one more question. */
#define CSOM_MAX_INPUT_NEURONS 1024

typedef struct {
    unsigned int input_neurons;  /* dimension of the samples (input images), at least 1 */
    unsigned int output_neurons; /* neurons on the ring, at least 2 */
    int samples;                 /* number of samples (pixels), set by the caller before csom_init */
    unsigned int max_neigh;      /* initial neighbourhood radius, at most output_neurons / 2 */
    unsigned int max_epoch;      /* training epochs, at least 1 */
    unsigned char random_init;   /* 1: random initial weights, 0: linear ramp */
    unsigned char rescale;       /* 1: rescale each input dimension before training */
    float max_learn_rate;        /* initial learning rate, positive */
    float **inputs;              /* inputs[d][s]: input_neurons rows of samples values */
    float **weights;             /* weights[d][n]: input_neurons rows of output_neurons values */
    float **scratch_weights;     /* same shape as weights: the last change of each weight */
    float *learn_rate;           /* rate of each epoch */
    float *radius;               /* neighbourhood radius of each epoch */
    int *winners;                /* winning neuron of each sample (0 until trained) */
    int sample;                  /* current sample and epoch of the training */
    int epoch;
    float *distances;            /* squared distances of the current sample to each neuron */
} csom_t;

/* Asks, each as "<debq> <text>", in order: "input_neurons (unsigned int)",
 * "output_neurons (unsigned int)", "max_neigh (unsigned int)",
 * "max_learn_rate (float)", "max_epoch (unsigned int)",
 * "random init or not? (1/0)", "rescale the input space or not? (1/0)".
 * Integers are read as base-10 strtol reads them, the rate as strtod does.
 * Refused with one line naming the question and status 1: input_neurons
 * outside 1 ... CSOM_MAX_INPUT_NEURONS, output_neurons below 2, max_epoch below 1, a reply beyond the
 * range of int, a rate that is not positive, random init or rescale other
 * than 0 or 1.
 * A max_neigh above output_neurons * 0.5 prints "WARNING: max_neigh must be
 * < %f   (output_neurons/2)" with the half; a reply typed on the terminal is
 * then asked again (without default), while a reply taken from a control
 * file or from the command line is refused (status 1), so that a replay
 * never loops. Leaves the tables null. Returns the record after the last
 * question. */
param *csom_lect(csom_t *desc, param *ptp, const char *debq);

/* Allocates every table (inputs, weights and scratch weights as blocks
 * with row tables, distances, radius and rate schedules, winners set to
 * 0), builds the schedules and, after seeding the C library's generator
 * with the current time, the initial weights:
 *   radius[i] = ceil(max_neigh - step * i) in single precision, with
 *     step = max_neigh / max_epoch rounded to single precision; the last
 *     entry is then 1;
 *   learn_rate[i] = max_learn_rate * (0.01 / max_learn_rate)^(i / max_epoch)
 *     computed in double, stored in single precision;
 *   random: weight = integer part of rand() * 255.0 / 2147483647.0, drawn
 *     neuron by neuron, dimension by dimension within a neuron;
 *   ramp: weight of neuron n = n * 254.0 / output_neurons for every
 *     dimension.
 * A failed allocation prints "\n fatal error: a.NN allocation  impossible"
 * (a.13, a.14 inputs row table and block, a.01, a.02 weights, a.03, a.04
 * scratch weights, a.05 distances, a.07 radius, a.08 rate, a.09 winners,
 * in this order) and ends the process with status 1; sizes beyond memory
 * count as failures. A descriptor outside the limits of csom_lect, or
 * samples below 1, is refused with one line and status 1 before anything
 * is allocated. Returns 0. */
int csom_init(csom_t *desc);

/* inputs is the table made by csom_init, count the number of images that
 * follow, each an imau1 passed by value: pixel (row y, column x) of image d
 * is copied into inputs[d][y * nc + x] as a float. The images must have
 * samples pixels each, and count must be input_neurons; images of
 * different sizes are refused (one line, status 1) before anything is
 * copied. Returns 0. */
int imau1tocsomvect(float **inputs, int count, ...);

/* Trains the map and records the winners:
 * 1. with rescale set, every value of a dimension is multiplied by
 *    255 / (maximum - minimum) of that dimension (computed once in single
 *    precision; scaled, not shifted); a dimension whose values are all
 *    equal is left as it is;
 * 2. the winner starts at 0 once and carries over from sample to sample;
 * 3. for each epoch e and each sample s in order: the squared distance to
 *    each neuron (single precision, dimensions in increasing order); a
 *    neuron becomes the winner only when its distance is strictly below a
 *    running minimum that starts at 100000000.0 (the first of equal minima
 *    wins, and when no distance is below the start the previous winner
 *    remains); winners[s] = the winner; then, when radius[e] > 0, for
 *    j = 0, 1, ... while j < radius[e]: h = 1 - 1.000000001 * j / radius[e]
 *    in double, and the neuron j places forward of the winner on the ring,
 *    then the one j places backward, each get w = w + h * learn_rate[e] *
 *    (x - w) in every dimension (x - w in single precision, the products
 *    and the sum in double, the result stored in single precision; its
 *    change goes to scratch_weights); at j = 0 the winner is thus updated
 *    twice, the second time from its new value.
 * Returns 0. */
int csom_calc(csom_t *desc);

/* Sets out's nc and nr to the given numbers of columns and rows, its name
 * to "csom_out", allocates it and writes at pixel (row y, column x) the
 * grey level (254 * n) / (output_neurons - 1) (integer division) of neuron
 * n = winners[y * nc + x]. nc * nr must equal samples: otherwise the
 * process ends with one line and status 1. The grey-level table's
 * allocation failure prints the a.05 message (status 1). Returns 0. */
int csomvecttoimau1(csom_t *desc, int nc, int nr, imau1 *out);

/* Frees the inputs, weights, scratch weights (blocks and row tables),
 * distances, both schedules and the winners, and nulls the pointers.
 * Returns 0. */
int csom_destruct(csom_t *desc);

#ifdef __cplusplus
}

#include <span>

/* The copy of imau1tocsomvect from a span of images (image d into row d). */
int imau1tocsomvect(float **inputs, std::span<const imau1> images);
#endif

#endif /* CSOM_H */
