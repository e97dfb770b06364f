// rectangles.hpp: images made of a uniform background and rectangles of
// given values, as synthetic-image-tool draws them from an objects file.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>
#include <vector>

namespace cycle {

// One rectangle: columns x0 ... x1 and rows y0 ... y1, inclusive, counted
// from 0, and its value. x0 > x1 or y0 > y1 covers nothing.
struct Rectangle {
    int x0, y0, x1, y1;
    float value;
};

// Reads an objects file: a count n, then n records "x0 y0 x1 y1 value",
// any white space between the numbers; values are kept as floats. An unreadable or empty file, a
// count that is not a non-negative integer, a record that is not four
// integers and a real, and fewer records than announced end the process
// with status 1 and a message naming the file.
std::vector<Rectangle> read_rectangles(const char* path);

// A value as a pixel of type Pixel: floating types take it as it is
// (beyond their range it becomes an infinity); integer types take it
// truncated toward zero and saturated to their range, NaN giving 0.
template <class Pixel>
Pixel pixel_value(double value) {
    if constexpr (std::is_floating_point_v<Pixel>) {
        constexpr double top = std::numeric_limits<Pixel>::max();
        if (value > top) return std::numeric_limits<Pixel>::infinity();
        if (value < -top) return -std::numeric_limits<Pixel>::infinity();
        return static_cast<Pixel>(value);
    } else {
        if (std::isnan(value)) return 0;
        const double t = std::trunc(value);
        if (t <= static_cast<double>(std::numeric_limits<Pixel>::min())) return std::numeric_limits<Pixel>::min();
        if (t >= static_cast<double>(std::numeric_limits<Pixel>::max())) return std::numeric_limits<Pixel>::max();
        return static_cast<Pixel>(t);
    }
}

// Draws the rectangles over the nc x nr pixels of `rows` (row y starts at
// rows[y]): every pixel takes the value of the first rectangle in the list
// that covers it, the background where none does. Each row is painted
// once per change of the rectangles crossing it and copied otherwise;
// within a row, a table of the next unpainted column lets each pixel be
// painted once, so the cost grows with the pixels and the rectangles'
// heights, not with rectangles x pixels.
template <class Pixel>
void draw_rectangles(Pixel** rows, int nc, int nr, double background, const std::vector<Rectangle>& objects) {
    const Pixel ground = pixel_value<Pixel>(background);
    // Rectangles clipped to the image, by the row where they start and the
    // row after they end.
    std::vector<std::vector<int>> starting(static_cast<std::size_t>(nr) + 1), ending(static_cast<std::size_t>(nr) + 1);
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const Rectangle& r = objects[k];
        const int x0 = std::max(r.x0, 0), x1 = std::min(r.x1, nc - 1);
        const int y0 = std::max(r.y0, 0), y1 = std::min(r.y1, nr - 1);
        if (x0 > x1 || y0 > y1) continue;
        starting[static_cast<std::size_t>(y0)].push_back(static_cast<int>(k));
        ending[static_cast<std::size_t>(y1) + 1].push_back(static_cast<int>(k));
    }
    std::vector<Pixel> values(objects.size());
    for (std::size_t k = 0; k < objects.size(); ++k) values[k] = pixel_value<Pixel>(objects[k].value);

    std::vector<int> crossing;  // rectangles crossing the current row, in list order
    std::vector<int> next(static_cast<std::size_t>(nc) + 1);
    const std::size_t width = static_cast<std::size_t>(nc);
    for (int y = 0; y < nr; ++y) {
        const auto& in = starting[static_cast<std::size_t>(y)];
        const auto& out = ending[static_cast<std::size_t>(y)];
        if (y > 0 && in.empty() && out.empty()) {
            std::copy(rows[y - 1], rows[y - 1] + width, rows[y]);
            continue;
        }
        for (int k : out) crossing.erase(std::lower_bound(crossing.begin(), crossing.end(), k));
        for (int k : in) crossing.insert(std::lower_bound(crossing.begin(), crossing.end(), k), k);

        Pixel* row = rows[y];
        std::fill(row, row + width, ground);
        for (int x = 0; x <= nc; ++x) next[static_cast<std::size_t>(x)] = x;
        // The first unpainted column at or after x (nc when none), halving
        // the paths it follows.
        auto unpainted = [&next](int x) {
            while (next[static_cast<std::size_t>(x)] != x) {
                const int up = next[static_cast<std::size_t>(next[static_cast<std::size_t>(x)])];
                next[static_cast<std::size_t>(x)] = up;
                x = up;
            }
            return x;
        };
        for (int k : crossing) {
            const Rectangle& r = objects[static_cast<std::size_t>(k)];
            const int x1 = std::min(r.x1, nc - 1);
            for (int x = unpainted(std::max(r.x0, 0)); x <= x1; x = unpainted(x + 1)) {
                row[x] = values[static_cast<std::size_t>(k)];
                next[static_cast<std::size_t>(x)] = x + 1;
            }
        }
    }
}

}  // namespace cycle
