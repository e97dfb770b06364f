/*
 * conv_img.h: colour-space conversions of a colour image (three 8-bit
 * planes r, v, b).
 *
 * Between RGB and an 8-bit hue-luminance-saturation code (TLS) both ways,
 * HSV both ways, and from RGB to CIE L*a*b* and L*u*v*. The 8-bit
 * conversions read and write colour images; the real-valued results (HSV,
 * Lab, Luv, and a copy of TLS) go to three double planes of the
 * descriptor, which the HSV-to-RGB conversion reads. The planes hold pixel
 * (row y, column x) of the image at row nr-1-y, column nc-1-x: they are the
 * image turned by a half turn. Each representation is shifted by the three
 * offsets decal1, decal2, decal3 given in the dialogue.
 *
 * Conversions (type):
 *  1 RGB -> TLS, on the bytes r, v, b: L = rint((r + v + b) / 3);
 *    w = r - (v + b) / 2, a = 0.8660254037844386 (v - b);
 *    T = 255/(2 pi) atan(a / w) for w > 0, 255/(2 pi) (pi + atan(a / w))
 *    for w < 0, made an integer (T >= 0: its integer part, plus 1 when the
 *    fraction is at least 0.4999; T < 0: its integer part minus 1), and 64
 *    (a > 0) or 192 when w = 0; S = rint(sqrt(w^2 + a^2)). The output r, v,
 *    b planes get T + (int)decal1, L + (int)decal2, S + (int)decal3 modulo
 *    256, and the double planes the same three byte values.
 *  2 TLS -> RGB: T, L, S are the input bytes plus (int)decal1, 2, 3 modulo
 *    256; theta = (T < 193 ? T : T - 255) 2 pi / 255; R = L + 2/3 S cos,
 *    m = L - 1/3 S cos, s = 0.5773502691896257 S sin, G = m + s, B = m - s,
 *    each clamped to [0, 255] and rounded (rint).
 *  3 RGB -> HSV with R, G, B = bytes / 255: V the largest, S = (V - min) /
 *    V (0 and H = -1 when V = 0 or S = 0), H in degrees [0, 360); the planes
 *    get H + decal1, S + decal2, V + decal3.
 *  4 HSV -> RGB from the planes plus the offsets: a hue outside [0, 360) is
 *    taken modulo 360; the sector formulas; each byte is 255 times the
 *    value truncated toward zero, modulo 256 (negative values included);
 *    a value that is not a number gives 0.
 *  5 RGB -> L*a*b* and 6 RGB -> L*u*v*, through XYZ with the matrix chosen
 *    by primaires (0: toetRGB_to_XYZ, 1: ceiRGB_to_XYZ) and its white (the
 *    matrix applied to R = G = B = 1); L = 116 (Y/Yn)^(1/3) - 16 above
 *    0.008856, else 903.3 Y/Yn; the planes get L + decal1 and a + decal2,
 *    b + decal3 (or u* + decal2, v* + decal3).
 */
#ifndef CONV_IMG_H
#define CONV_IMG_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    double **comp1;  /* component 1 plane: nr row pointers over nr x nc doubles, half-turned */
    double **comp2;  /* component 2 plane */
    double **comp3;  /* component 3 plane */
    int type;        /* the conversion, 1 ... 6 */
    int primaires;   /* RGB-to-XYZ matrix of Lab and Luv: 0 or 1 */
    double decal1;   /* offsets added to components 1, 2, 3 */
    double decal2;
    double decal3;
    int nr;          /* size of the planes */
    int nc;
} conv_img_t;

/* Asks "<debq> Tipe de conversion (entier)"; an unknown type prints
 * "Nombre incorect" and ends the process with status 1. Then the three
 * offsets of the type, read as reals ("Teinte (TLS) (entier)", "Luminance
 * (TLS) (entier)", "Saturation (TLS) (entier)" for 1 and 2, which must lie
 * within the range of int; "Hue - Teinte (HSV) (real) 0 - 360 ",
 * "Saturation (HSV) (real) 0 - 1 ", "Value (HSV) (real) 0 - 1 " for 3 and
 * 4; "L (Lab) (real) ", "a (Lab) (real) ", "b (Lab) (real) " for 5, "L (Luv)
 * (real) ", "u (Luv) (real) ", "v (Luv) (real) " for 6), and for 5 and 6
 * the matrix, 0 or 1 ("(Transformation intermediaire) ..."). A refused
 * reply ends the process with status 1. The planes are left unallocated.
 * Returns the record after the last question. */
param *conv_img_lect(conv_img_t *desc, param *ptp, const char *debq);

/* Gives *out the size of in, in's name, and its pixels (alloc_imarvb);
 * stores the size in the descriptor and allocates the three planes
 * (alloc_space_struct). Only in's size is read. Returns 0. */
int conv_img_init(conv_img_t *desc, imarvb *out, imarvb in);

/* Converts by desc->type: 1 in -> *out and the planes, 2 in -> *out, 3, 5,
 * 6 in -> the planes, 4 the planes -> *out. The input is left unchanged.
 * The images must have the size given to conv_img_init ("\n>> ERREUR
 * conv_img_calc : phase d'initialisation absente pour cette image\n",
 * status 1); an unknown type prints "Nombre incorect", status 1.
 * Returns 0. */
int conv_img_calc(conv_img_t *desc, imarvb *out, imarvb in);

/* Allocates the three planes of desc->nr x desc->nc doubles (values
 * undefined); exhausted memory: "\n allocation image impossible", status 1. */
void alloc_space_struct(conv_img_t *desc);

/* Releases the three planes and nulls their pointers. */
void free_space_struct(conv_img_t *desc);

/* X, Y, Z of the components R, V, B in [0, 1] with the two matrices:
 *   toetRGB_to_XYZ: X = 0.04 R + 0.084 V - 0.041 B, Y = 0.021 R + 0.107 V
 *     - 0.038 B, Z = -0.005 R + 0.011 V + 0.024 B;
 *   ceiRGB_to_XYZ: X = 0.49 R + 0.31 V + 0.2 B, Y = 0.177 R + 0.813 V +
 *     0.011 B, Z = 0 R + 0.01 V + 0.99 B.
 * A component outside [0, 1] ends the process with status 1 after
 * "\nEREURE: Les valeurs de *R, *V et *B sont dehors l'interval [0,1]."
 * and the line naming the function. */
void toetRGB_to_XYZ(double R, double V, double B, double *X, double *Y, double *Z);
void ceiRGB_to_XYZ(double R, double V, double B, double *X, double *Y, double *Z);

/* u = 4 X / d, v = 6 Y / d with d = X + 15 Y + 3 Z, and Y passed through;
 * all three are 0 when |d| <= 1e-12. */
void XYZ_to_ceiuvY(double X, double Y, double Z, double *u, double *v, double *Yout);

#ifdef __cplusplus
}
#endif

#endif /* CONV_IMG_H */
