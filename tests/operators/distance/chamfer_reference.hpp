// The two scans of the 2D chamfer propagation as the algorithm states them,
// on binary images held flat: three planes, a 25-entry candidate table per
// visit and its minimum, the first in row order on ties. (A shortest-path
// search over the mask is no reference: from zero pixels of the frame, and
// with strongly anisotropic masks, paths exist that two scans cannot follow.)
#pragma once

#include <array>
#include <random>
#include <string>
#include <vector>

namespace chamfer_reference {

struct Image {
    int nc, nr;
    std::vector<unsigned char> v;  // row after row
    std::string describe() const { return "image " + std::to_string(nc) + "x" + std::to_string(nr); }
    std::string where(std::size_t i) const { return "pixel (" + std::to_string(i % nc) + ", " + std::to_string(i / nc) + ")"; }
};

// 1 ... 24 pixels a side, zero pixels at one of six densities from none to all.
inline Image random_image(std::mt19937& random) {
    Image image{1 + static_cast<int>(random() % 24), 1 + static_cast<int>(random() % 24), {}};
    const unsigned per_mille[] = {0, 5, 30, 150, 500, 1000}, zeros = per_mille[random() % 6];
    for (int k = 0; k < image.nc * image.nr; ++k) image.v.push_back(random() % 1000 < zeros ? 0 : 1 + random() % 255);
    return image;
}

// Weights by offset [row + 2][column + 2], from those of (0, 1), (1, 0),
// (1, 1), (1, 2) and (2, 1); a double step weighs twice its half.
template <class T>
using Table = std::array<std::array<T, 5>, 5>;
template <class T>
Table<T> table(T row, T column, T diagonal, T knight_row, T knight_column) {
    const std::array<T, 5> far{2 * diagonal, knight_column, 2 * column, knight_column, 2 * diagonal};
    const std::array<T, 5> near{knight_row, diagonal, column, diagonal, knight_row};
    return {far, near, std::array<T, 5>{2 * row, row, 0, row, 2 * row}, near, far};
}

template <class T>
T minimum(const Table<T>& t, int* row, int* col) {
    *row = *col = 0;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            if (t[i][j] < t[*row][*col]) *row = i, *col = j;
    return t[*row][*col];
}

template <class T>
std::vector<T> two_scans(const Image& image, const Table<T>& w) {
    const T infinity = 20000;
    std::vector<T> p(image.v.size()), forward(p.size(), 0), result(p.size(), 0);
    for (std::size_t k = 0; k < p.size(); ++k) p[k] = image.v[k] ? infinity : 0;
    auto visit = [&](int i, int j, int side) {  // side -1: forward scan, 1: backward
        const int at = i * image.nc + j;
        if (p[at] == 0) return void(result[at] = 0);
        Table<T> candidates;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                candidates[dy + 2][dx + 2] =
                    (dy != 0 ? dy : dx) * side > 0 ? p[at + dy * image.nc + dx] + w[dy + 2][dx + 2] : infinity;
        int row, col;
        const T m = minimum(candidates, &row, &col);
        if (side < 0) forward[at] = p[at] = m;
        else result[at] = p[at] = forward[at] < m ? forward[at] : m;
    };
    for (int i = 2; i <= image.nr - 3; ++i)
        for (int j = 2; j <= image.nc - 3; ++j) visit(i, j, -1);
    for (int i = image.nr - 3; i >= 2; --i)
        for (int j = image.nc - 3; j >= 2; --j) visit(i, j, 1);
    return result;
}

}  // namespace chamfer_reference
