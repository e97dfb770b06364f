/*
 * png_export.h: writing an 8-bit picture (grey or red-green-blue) as a PNG
 * file, for looking at the suite's images with any viewer.
 */
#ifndef PNG_EXPORT_H
#define PNG_EXPORT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Writes nc x nr pixels, rows from the top, each row from the left, as the
 * PNG file `nom`: channels 1 is one grey byte a pixel, channels 3 three bytes
 * (red, green, blue). Sizes must be positive and channels 1 or 3 (otherwise
 * "\n>> ERREUR write_png : image %d x %d a %d canaux non ecrite\n"). A file
 * that cannot be written is removed and ends the process with
 * "\n>> ERREUR write_png : ecriture de %s impossible (%s)\n" (the reason
 * given by libpng), status 1. Returns 0. */
int write_png(const char *nom, const unsigned char *pixels, int nc, int nr, int channels);

#ifdef __cplusplus
}
#endif

#endif /* PNG_EXPORT_H */
