// preprocessing.hpp: the steps of the learning-set preprocessing, on the
// points of two attributes (xs, ys), for the tests and the benchmarks.
#pragma once

#include <cstdio>
#include <vector>

namespace preprocessing {

// The trace files the steps append to.
struct Traces {
    std::FILE* clean;   // learn_clean.data
    std::FILE* compet;  // compet_agg.txt
    std::FILE* groups;  // learning_set_processing.txt
};

// Smallest non-zero |v[a] - v[b]| over v[0 ... count - 1]; 0 when every
// value is the same.
double dmin(const float* v, int count);

// The side of a grid cell: 3 x dmin, or 0.003 when dmin is 0.
double cell_size(const float* v, int count);

// The agglomeration step: while a pass over the pairs (p, q > p) in order
// changes something, a point p of cluster A and a point q of cluster B
// closer than 1.5 x min(s_A, s_B) in x and in y (sx, sy: the clusters'
// spacings) put the point of the smaller cluster into the other (q joins A
// when A is strictly larger, otherwise p joins B), counts following.
void agglomerate(const float* xs, const float* ys, int n, const std::vector<double>& sx, const std::vector<double>& sy,
                 std::vector<int>& label, std::vector<int>& count);

// Competitive agglomeration of the n >= 1 points: clusters as contiguous
// ranges (stable), the points and their clusters appended to the compet
// trace, the number of clusters to the groups trace, then, with several
// clusters, every cluster's convex verification. Returns the number of
// clusters.
int competitive_agglomeration(float* xs, float* ys, int n, const Traces& traces);

// Convex verification of the n >= 1 points of one group: the group, or its
// quadrants when its points fill its outline below 70%, appended to the
// groups trace. The points are reordered by quadrant.
void convex_verif(float* xs, float* ys, int n, std::FILE* groups);

// The whole chain on the classes of sizes[] (consecutive ranges of xs,
// ys): cleaning, sparse-cell filter, agglomeration, verification.
void process_chain(std::vector<float> xs, std::vector<float> ys, std::vector<int> sizes, const Traces& traces);

}  // namespace preprocessing
