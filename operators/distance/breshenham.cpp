// Bresenham's digital segment. The coordinates and the decision value are
// held in 64 bits, so that segments of any image drawn with int
// coordinates follow the same steps as the 16-bit scheme does for small
// ones, without its wrap-around.

#include "breshenham.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool inside(const imau1& img, int x, int y) { return x >= 0 && y >= 0 && x < img.nc && y < img.nr; }

}  // namespace

extern "C" {

int breshenham(imau1 img, int x0, int y0, int x1, int y1, int value) {
    if (!inside(img, x0, y0) || !inside(img, x1, y1)) {
        std::printf("\n>> ERREUR breshenham : segment (%d,%d)-(%d,%d) hors de l'image %dx%d\n", x0, y0, x1, y1, img.nc,
                    img.nr);
        return -1;
    }
    const auto v = static_cast<unsigned char>(value);
    const long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
    const bool along_columns = std::llabs(dy) <= std::llabs(dx);
    // Major and minor coordinates, their ends, steps and differences.
    long long major = along_columns ? x0 : y0, minor = along_columns ? y0 : x0;
    const long long end = along_columns ? x1 : y1;
    const long long M = std::llabs(along_columns ? dx : dy), m = std::llabs(along_columns ? dy : dx);
    const long long major_step = (along_columns ? dx : dy) < 0 ? -1 : 1;
    const long long minor_step = (along_columns ? dy : dx) < 0 ? -1 : 1;
    auto put = [&](long long a, long long b) { img.pixels[along_columns ? b : a][along_columns ? a : b] = v; };

    long long decision = 2 * m - M;
    while (major != end) {
        put(major, minor);
        major += major_step;
        if (decision <= 0) {
            decision += 2 * m;
        } else {
            decision += 2 * (m - M);
            minor += minor_step;
        }
    }
    img.pixels[y1][x1] = v;
    return 0;
}

}  // extern "C"
