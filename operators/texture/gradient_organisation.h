/*
 * gradient_organisation.h: how the 3D grey-level gradient of an 8-bit
 * volume is organised around each voxel, computed plane by plane from an
 * LVF stream.
 *
 * The gradient of every plane is computed once with separable exponential
 * filters and kept in rings of gradient planes; the structure tensor of the
 * gradients in a box around each voxel gives three eigenvalues v1, v2, v3
 * (|v1| >= |v2| >= |v3|) and a principal direction; the eigenvalue planes
 * are optionally smoothed by a recursive Deriche filter, then one of 16
 * attributes of the eigenvalues is scaled and written as an 8-bit plane.
 * Output plane z describes the box of gradient planes centred on input
 * plane z; the gradient of planes outside the volume, and of planes nearer
 * than T/2 to its first or last plane, is zero.
 */
#ifndef GRADIENT_ORGANISATION_H
#define GRADIENT_ORGANISATION_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    float alpha;              /* Deriche smoothing of the eigenvalue planes; 0: none, else > 0 */
    int acp_x, acp_y, acp_z;  /* tensor box: columns, rows, planes (positive, odd) */
    int taille_gradient;      /* T (at least 2): the gradient filters use offsets 1 ... T/2 */
    int type_attribut;        /* 1 ... 14, 16 or 17 (see gradient_organisation_attribut) */
    float coef_normalisation; /* the attribute is multiplied by it before it is stored */
    /* Rings of acp_z gradient planes of nc * nr values (x, y and z
     * components); slot i of output plane z holds the gradient of input
     * plane z - acp_z/2 + i. */
    short **gx, **gy, **gz;
    /* Principal direction (x component >= 0) and eigenvalues of the current
     * plane, nc * nr values each. */
    float *dir_x, *dir_y, *dir_z;
    float *v1, *v2, *v3;
    float alpha_gradient; /* parameter of the gradient filters, set by init */
    int nc, nr;           /* plane size the buffers were allocated for */
} gradient_organisation_t;

/* Asks, without any heading (debq is not used): "Alpha (filtre de
 * Deriche):", "Taille ACP x:", "Taille ACP y:", "Taille ACP z:", "Taille
 * gradient:", prints the list of attributes, then asks "Type d'attribut:"
 * and "Coefficient de normalisation:". Refused with one line and status 1:
 * a negative alpha, box sizes that are not positive and odd, T below 2, an
 * attribute outside 1 ... 17 or equal to 15, a number beyond its type.
 * Returns the record after the last question. */
param *gradient_organisation_lect(gradient_organisation_t *desc, param *ptp, const char *debq);

/* Checks that the gradient filters (2*(T/2) + 1 voxels) and the tensor box
 * fit in the volume described by in (dimx, dimy, dimz), ending the process
 * with status 1 otherwise; then allocates the three rings and the six
 * planes, zero-filled, for planes of dimx x dimy, and sets alpha_gradient =
 * CalculAlpha(T, 50, 0.02). Returns 0. */
int gradient_organisation_init(gradient_organisation_t *desc, ima3Du1 in);

/* Streams the whole volume, with the parameters and plane size init was
 * given (the rings are as deep as acp_z was then): in is the reading window
 * opened by lect_volume_u1_sequence_first with a width of 2*(T/2) + 1
 * planes and not moved since; out is a writing window of the same plane
 * size with at least one plane, courant 0, whose file is prepared. For
 * every input plane s = 1 ... dimz it prints "Section s/dimz...", builds
 * output plane s into out->data[0] and writes it with
 * write_volume_u1_sequence_next. A value is |attribute * coef_normalisation|
 * cut to 255 and truncated; a NaN is stored as 0. A window of another shape,
 * or a failed read or write, ends the process with status 1. Returns 0. */
int gradient_organisation_calc(gradient_organisation_t *desc, ima3Du1 *in, ima3Du1 *out);

/* Releases the rings and the planes. Returns 0. */
int gradient_organisation_ferm(gradient_organisation_t *desc);

/* The alpha for which k5 (T alpha + 1) exp(-T alpha) falls to x, with k5 =
 * (1 - e^-5)^2 / (1 + 10 e^-5 - e^-10), by bisection on [0, 10] from 5,
 * `iterations` times (double precision, the last midpoint returned). */
float CalculAlpha(int T, int iterations, float x);

/* Gradient of the centre plane planes[n] of the 2n + 1 planes planes[0 ...
 * 2n] (each nr traces of nc samples), with smoothing kernel (alpha i + 1)
 * exp(-alpha i) and derivative kernel i exp(-alpha i), each normalised to
 * the sum of its two sides, offsets 1 ... n: gx is the smoothing across
 * planes, derivative along x, smoothing along y; gy the smoothing across
 * planes, derivative along y, smoothing along x; gz the derivative across
 * planes, smoothing along x, then along y. Sums are single precision, in
 * the order f(0)v(0) + f(1)(v(-1) + v(1)) + ...; results are truncated to
 * 16 bits and written for columns n ... nc-n-1 and rows n ... nr-n-1 only.
 * n must be at least 1 and 2n + 1 at most nc and nr. */
void gradient3D(unsigned char ***planes, short *gx, short *gy, short *gz, int nc, int nr, float alpha, int n);

/* Structure tensor of the gradients of the rings (bz planes of nc x nr)
 * over the box bx x by x bz centred on every pixel (x = bx/2 ... nc-bx/2-1,
 * y = by/2 ... nr-by/2-1): the means of gx^2, gy^2, gz^2, gx gy, gx gz,
 * gy gz (64-bit sums), decomposed by Equation3D in `mode`. Stores the
 * eigenvalues in v1, v2, v3 and the eigenvector of v1, turned so that its x
 * component is not negative, in dir_x, dir_y, dir_z; every other pixel of
 * the six planes is set to 0. */
void Acp3D_NS(short **gx, short **gy, short **gz, int nc, int nr, float *dir_x, float *dir_y, float *dir_z, float *v1,
              float *v2, float *v3, int bx, int by, int bz, int mode);

/* Eigen-decomposition of the symmetric matrix m by the roots of its
 * characteristic polynomial (trigonometric form). mode 0: valeurs holds
 * the eigenvalues ordered by decreasing absolute value and vecteurs[k] the
 * unit eigenvector of valeurs[k] ((1, 0, 0) when none is found); mode 1:
 * the same vectors, but valeurs holds the absolute values of the
 * polynomial's coefficients |trace|, |sum of the principal 2x2 minors|,
 * |determinant|. Any other mode ends the process with status 1. Rounding
 * can make the discriminant or p slightly positive, which a symmetric
 * matrix never has: they are then taken as 0 (a multiple root). */
void Equation3D(const double m[3][3], double valeurs[3], double vecteurs[3][3], int mode);

/* Recursive Deriche smoothing of an nc x nr float plane, in place: each
 * row, then each column, filtered by a causal and an anticausal pass in
 * double precision. alpha must be positive. */
void LissageDeriche(float alpha, float *plane, int nc, int nr);

/* Attribute `type` (1 ... 17 but 15) of the eigenvalues v1, v2, v3, in
 * single precision (see the list printed by gradient_organisation_lect);
 * types outside the list give 0. */
float gradient_organisation_attribut(int type, float v1, float v2, float v3);

/* The 8-bit value stored for an attribute: |attribut * coef| cut to 255 and
 * truncated; a NaN (attribute 9 when v3 <= 0) gives 0. */
unsigned char gradient_organisation_valeur(float attribut, float coef);

#ifdef __cplusplus
}
#endif

#endif /* GRADIENT_ORGANISATION_H */
