/*
 * image.h: the records that every stage of a program shares.
 *
 * Plain C records so that operators written in C (for example from a
 * generated skeleton) and the C++ implementation use the same layouts:
 * the dialogue record, the 2D image records, the volume records and the
 * descriptors of the image reader and writer stages.
 */
#ifndef IMAGE_H
#define IMAGE_H

#include <stdio.h>

/* Result of a phase that went well. */
#define NO_ERROR 0

/* Size of every text field (names, questions, replies), terminator included. */
#define LONG_NOM 200

/* One question of the dialogue: its text, its reply, the next record. */
typedef struct param {
    char qst[LONG_NOM];
    char rep[LONG_NOM];
    struct param *suiv;
} param;

/* Complex pixels: real part, then imaginary part. */
typedef struct {
    short re;
    short im;
} complexe4;

typedef struct {
    float re;
    float im;
} complexe8;

typedef struct {
    double re;
    double im;
} complexe16;

/*
 * 2D images: pixels[y][x] over one contiguous block of nr * nc pixels
 * (pixels[0] is the start of the block), nc columns, nr rows, a name.
 */
typedef struct {
    unsigned char **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
    /* Colour tables (256 entries each) or all three null. */
    unsigned char *lutr;
    unsigned char *lutv;
    unsigned char *lutb;
} imau1;

typedef struct {
    unsigned short **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imau2;

typedef struct {
    short **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imas2;

typedef struct {
    unsigned int **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imau4;

typedef struct {
    int **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imas4;

typedef struct {
    float **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imafl;

typedef struct {
    double **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imadb;

typedef struct {
    complexe4 **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imacx4;

typedef struct {
    complexe8 **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imacx8;

typedef struct {
    complexe16 **pixels;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imacx16;

/* Colour image: three planes (red, green, blue), each over its own block. */
typedef struct {
    unsigned char **r;
    unsigned char **v;
    unsigned char **b;
    int nc;
    int nr;
    char nom[LONG_NOM];
} imarvb;

/*
 * Volumes: data[z][y][x] is sample x of trace y of plane z; every trace is
 * its own allocation and every plane has its own table of trace pointers.
 * dimx samples per trace, dimy traces per plane, dimz planes held, entete
 * the header length of the file read, nb_bits the bits per sample (8, 16
 * or 64).
 */
typedef struct {
    int dimx;
    int dimy;
    int dimz;
    int entete;
    int nb_bits;
    unsigned char ***data;
    /* Sliding window over an LVF stream: number of the plane at the centre
     * of the window, number of planes held (data then has nb_seq planes),
     * and the stream read or written. */
    int courant;
    int nb_seq;
    FILE *fichier;
} ima3Du1;

typedef struct {
    int dimx;
    int dimy;
    int dimz;
    int entete;
    int nb_bits;
    short ***data;
} ima3Ds2;

typedef struct {
    int dimx;
    int dimy;
    int dimz;
    int entete;
    int nb_bits;
    unsigned int ***data;
} ima3Du4;

typedef struct {
    int dimx;
    int dimy;
    int dimz;
    int entete;
    int nb_bits;
    unsigned long long ***data;
} ima3Du8;

typedef struct {
    int dimx;
    int dimy;
    int dimz;
    int entete;
    int nb_bits;
    double ***data;
} ima3Dd;

/* Reader stage: file name split into name and extension (without the dot). */
typedef struct {
    char nom[LONG_NOM];
    char ext[LONG_NOM];
} read_ima_t;

/*
 * Writer stage: fichier is the .dim stream of the raw formats or the raster
 * stream itself, fd the raw pixel file.
 */
typedef struct {
    FILE *fichier;
    int fd;
    char nom[LONG_NOM];
    char ext[LONG_NOM];
} write_ima_t;

#endif /* IMAGE_H */
