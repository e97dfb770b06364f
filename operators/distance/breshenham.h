/*
 * breshenham.h: digital straight segments drawn into an 8-bit image.
 */
#ifndef BRESHENHAM_H
#define BRESHENHAM_H

#include "image.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Writes (unsigned char) value into every pixel of the digital segment
 * from column x0, row y0 to column x1, row y1 of img, both end points
 * included, by Bresenham's integer scheme. The major axis is the columns
 * when |y1 - y0| <= |x1 - x0| (ties go to the columns), the rows otherwise;
 * the segment takes one pixel per step along it, and the other coordinate
 * moves one step towards the end point when the decision value (2m - M at
 * first, m and M the minor and major differences) is strictly positive,
 * so a pixel exactly halfway keeps the coordinate: (0, 0) to (4, 2) gives
 * (0,0), (1,0), (2,1), (3,1), (4,2). Returns 0; when an end point lies
 * outside the image, prints a line and returns -1 without writing
 * anything. */
int breshenham(imau1 img, int x0, int y0, int x1, int y1, int value);

#ifdef __cplusplus
}
#endif

#endif /* BRESHENHAM_H */
