// Plain references of the 2D chamfer propagation, on binary images held
// flat: the two scans written as the algorithm states them (three planes,
// a 25-entry candidate table per visit and its minimum, first in row order
// on ties), and the shortest mask-path lengths to the zero pixels by
// Dijkstra's algorithm, for the images whose zero pixels all lie inside the
// frame (there the two scans find the shortest paths: the free space they
// propagate through is the interior rectangle, which is convex).
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace chamfer_reference {

constexpr int kInfinity = 20000;

// A binary image, row after row.
struct Image {
    int nc, nr;
    std::vector<unsigned char> v;

    std::string describe() const { return "image " + std::to_string(nc) + "x" + std::to_string(nr); }
    std::string where(std::size_t i) const {
        return "pixel (" + std::to_string(i % nc) + ", " + std::to_string(i / nc) + ")";
    }
    bool frame(int x, int y) const { return x < 2 || y < 2 || x >= nc - 2 || y >= nr - 2; }
};

// nc x nr (1 ... max each) with each pixel 0 at one of six densities,
// from none to all; with `frame_ones`, the frame holds no zero pixel.
inline Image random_image(std::mt19937& random, int max, bool frame_ones = false) {
    Image image{1 + static_cast<int>(random() % max), 1 + static_cast<int>(random() % max), {}};
    const unsigned per_mille[] = {0, 5, 30, 150, 500, 1000};
    const unsigned zeros = per_mille[random() % 6];
    for (int y = 0; y < image.nr; ++y)
        for (int x = 0; x < image.nc; ++x)
            image.v.push_back(random() % 1000 < zeros && !(frame_ones && image.frame(x, y)) ? 0 : 1 + random() % 255);
    return image;
}

// Weights by offset, [row offset + 2][column offset + 2].
template <class T>
using Table = std::array<std::array<T, 5>, 5>;

// The symmetric table of the weights of (0, 1), (1, 0), (1, 1), (1, 2) and
// (2, 1); the offsets of a single axis or diagonal with a 2 have twice the
// weight of their half, the centre is unused.
template <class T>
Table<T> table(T row, T column, T diagonal, T knight_row, T knight_column) {
    const std::array<T, 5> far{2 * diagonal, knight_column, 2 * column, knight_column, 2 * diagonal};
    const std::array<T, 5> near{knight_row, diagonal, column, diagonal, knight_row};
    return {far, near, std::array<T, 5>{2 * row, row, 0, row, 2 * row}, near, far};
}

// The smallest entry of a table and its row and column, the first in row
// order on ties.
template <class T>
T minimum(const Table<T>& t, int* row, int* col) {
    *row = *col = 0;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            if (t[i][j] < t[*row][*col]) *row = i, *col = j;
    return t[*row][*col];
}

// The two scans as stated: propagation, forward and result planes.
template <class T>
std::vector<T> two_scans(const Image& image, const Table<T>& w) {
    const int nc = image.nc, nr = image.nr;
    std::vector<T> p(image.v.size()), forward(image.v.size(), 0), result(image.v.size(), 0);
    for (std::size_t k = 0; k < p.size(); ++k) p[k] = image.v[k] ? T(kInfinity) : T(0);
    auto visit = [&](int i, int j, bool backward) {
        const std::size_t at = static_cast<std::size_t>(i) * nc + j;
        if (p[at] == 0) {
            result[at] = 0;
            return;
        }
        Table<T> candidates;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const bool before = dy < 0 || (dy == 0 && dx < 0);
                const bool used = backward ? !before && (dy != 0 || dx != 0) : before;
                candidates[dy + 2][dx + 2] = used ? p[at + dy * nc + dx] + w[dy + 2][dx + 2] : T(kInfinity);
            }
        int row, col;
        const T m = minimum(candidates, &row, &col);
        if (!backward) {
            forward[at] = p[at] = m;
        } else {
            result[at] = p[at] = forward[at] < m ? forward[at] : m;
        }
    };
    for (int i = 2; i <= nr - 3; ++i)
        for (int j = 2; j <= nc - 3; ++j) visit(i, j, false);
    for (int i = nr - 3; i >= 2; --i)
        for (int j = nc - 3; j >= 2; --j) visit(i, j, true);
    return result;
}

// The shortest path lengths through the interior from the zero pixels
// (frame included) along the offsets of the table, at most 20000; 0 on the
// frame and at the zero pixels.
template <class T>
std::vector<T> shortest_paths(const Image& image, const Table<T>& w) {
    const int nc = image.nc;
    std::vector<T> d(image.v.size(), T(2 * kInfinity));
    using Entry = std::pair<T, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    for (int k = 0; k < static_cast<int>(d.size()); ++k)
        if (image.v[static_cast<std::size_t>(k)] == 0) queue.push({d[static_cast<std::size_t>(k)] = 0, k});
    while (!queue.empty()) {
        const auto [length, k] = queue.top();
        queue.pop();
        if (length > d[static_cast<std::size_t>(k)]) continue;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int x = k % nc + dx, y = k / nc + dy, to = y * nc + x;
                if ((dx == 0 && dy == 0) || x < 0 || y < 0 || x >= nc || y >= image.nr || image.frame(x, y)) continue;
                const T through = length + w[dy + 2][dx + 2];
                if (through < d[static_cast<std::size_t>(to)]) queue.push({d[static_cast<std::size_t>(to)] = through, to});
            }
    }
    for (int k = 0; k < static_cast<int>(d.size()); ++k)
        d[static_cast<std::size_t>(k)] = image.frame(k % nc, k / nc) ? T(0) : std::min(d[static_cast<std::size_t>(k)], T(kInfinity));
    return d;
}

}  // namespace chamfer_reference
