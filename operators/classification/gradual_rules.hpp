// gradual_rules.hpp: the geometry shared by the learning of gradual rules
// and the preprocessing of learning sets: the outline of a group of points
// in the plane of two attributes, its convex hull, and the rule lines of a
// hull.
#pragma once

#include <cstdio>
#include <vector>

namespace gradual_rules {

struct Point {
    double x;
    double y;
};

// Turn test of P0, P1 and P2: (P2.x - P0.x)(P1.y - P0.y) - (P1.x - P0.x)(P2.y - P0.y);
// positive when P0 -> P1 -> P2 turns clockwise (x to the right, y upwards).
inline double isleft(Point p0, Point p1, Point p2) {
    return (p2.x - p0.x) * (p1.y - p0.y) - (p1.x - p0.x) * (p2.y - p0.y);
}

// The outline ring of the points (xs[p], ys[p]), p = first ... first +
// count - 1 (count >= 1): for every distinct y, the node of the largest x
// (the "right" list) and the node of the smallest x (the "left" list). Each
// list starts with the y of the first point, then the other y values from
// the latest first seen to the earliest; the ring is the right list
// followed by the left list. Equal x values keep the earliest point's.
// Runs in O(count log count).
std::vector<Point> contour_extraction(const float* xs, const float* ys, int first, int count);

// The convex hull of a non-empty set of points: its vertices with strict
// turns only (points on an edge and repeated points left out), starting at
// the pivot (the smallest y, on a tie the largest x), clockwise. One
// distinct point gives that point; collinear points their two extreme
// points, the pivot first. Runs in O(n log n).
std::vector<Point> conv_hull(const std::vector<Point>& outline);

// Appends the hull's vertices ("%f %f\n" each) and the line of 25 stars.
void write_corners(std::FILE* corners, const std::vector<Point>& hull);

// Appends the rules of a hull: one pair of lines per edge whose ends
// differ in x and in y, numbered from 0, then the two bounding rules, then
// the line of 25 stars. Returns 0.
int rules_calc(std::FILE* rules, const std::vector<Point>& hull);

}  // namespace gradual_rules
