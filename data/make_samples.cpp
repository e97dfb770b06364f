// make-samples: writes the sample images that the demonstration and the
// benchmarks run on, so that the project never ships foreign files.
//
//   make-samples <folder>            the demonstration samples
//   make-samples --bench <folder>    8192 x 8192 inputs for the benchmarks
//
// Files are written byte by byte in the suite's formats (big-endian raw
// files with their .dim, host-order upper-case variants, raster files of
// both pixel orders), independently of the library's writers.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "make-samples: %s\n", what.c_str());
    std::exit(1);
}

void save(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) die("cannot write " + path);
}

void save_text(const std::string& path, const std::string& text) {
    save(path, Bytes(text.begin(), text.end()));
}

void put_be32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void announce(const std::string& path, const std::string& what) { std::printf("  %-28s %s\n", path.c_str(), what.c_str()); }

// A raw image "name.ext" with its "name.dim".
void save_raw(const std::string& stem, const std::string& ext, int nc, int nr, const Bytes& pixels) {
    save_text(stem + ".dim", std::to_string(nc) + " " + std::to_string(nr));
    save(stem + "." + ext, pixels);
}

// A raster file of depth 8 (with an optional 768-byte map) or 24.
void save_raster(const std::string& path, int nc, int nr, int depth, int type, const Bytes& map, const Bytes& rows) {
    Bytes out;
    const std::uint32_t row = static_cast<std::uint32_t>(nc * depth / 8);
    put_be32(out, 0x59a66a95);
    put_be32(out, static_cast<std::uint32_t>(nc));
    put_be32(out, static_cast<std::uint32_t>(nr));
    put_be32(out, static_cast<std::uint32_t>(depth));
    put_be32(out, (row + (row & 1u)) * static_cast<std::uint32_t>(nr));
    put_be32(out, static_cast<std::uint32_t>(type));
    put_be32(out, map.empty() ? 0 : 1);
    put_be32(out, static_cast<std::uint32_t>(map.size()));
    out.insert(out.end(), map.begin(), map.end());
    for (int y = 0; y < nr; ++y) {
        out.insert(out.end(), rows.begin() + static_cast<std::ptrdiff_t>(y) * row,
                   rows.begin() + static_cast<std::ptrdiff_t>(y + 1) * row);
        if (row & 1u) out.push_back(0);
    }
    save(path, out);
}

// A smooth 8-bit pattern: a diagonal ramp with concentric rings.
unsigned char pattern(int x, int y, int nc, int nr) {
    const double dx = x - nc / 2.0, dy = y - nr / 2.0;
    const double ring = 40.0 * std::sin(std::sqrt(dx * dx + dy * dy) / 6.0);
    const double ramp = 200.0 * (x + y) / (nc + nr);
    return static_cast<unsigned char>(std::lround(std::fmin(255.0, std::fmax(0.0, ramp + ring + 30.0))));
}

Bytes pattern_image(int nc, int nr) {
    Bytes p(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr));
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) p[static_cast<std::size_t>(y) * nc + x] = pattern(x, y, nc, nr);
    return p;
}

// Bright cells (discs and rings of various grey levels, some touching only
// diagonally) on a dark, slightly noisy ground.
Bytes cells_image(int nc, int nr) {
    Bytes p(static_cast<std::size_t>(nc) * static_cast<std::size_t>(nr));
    std::uint32_t state = 99;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (auto& v : p) v = static_cast<unsigned char>(10 + next() % 40);
    auto disc = [&](int cx, int cy, int r, int hole, unsigned char grey) {
        for (int y = std::max(0, cy - r); y <= std::min(nr - 1, cy + r); ++y)
            for (int x = std::max(0, cx - r); x <= std::min(nc - 1, cx + r); ++x) {
                const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (d2 <= r * r && d2 >= hole * hole) p[static_cast<std::size_t>(y) * nc + x] = grey;
            }
    };
    for (int i = 0; i < 36; ++i) {
        const int r = 4 + static_cast<int>(next() % 14);
        disc(static_cast<int>(next() % nc), static_cast<int>(next() % nr), r, i % 6 == 0 ? r / 2 : 0,
             static_cast<unsigned char>(120 + next() % 136));
    }
    // Two squares that meet only at a corner: one object with 8-connexity,
    // two with 4-connexity.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            p[static_cast<std::size_t>(120 + y) * nc + 90 + x] = 220;
            p[static_cast<std::size_t>(130 + y) * nc + 100 + x] = 220;
        }
    return p;
}

// An 8-bit volume file: the 80-byte header ('a' but for the big-endian
// sizes, 8 bits per sample and the header length), then the samples.
void save_volume(const std::string& path, int dimx, int dimy, int dimz, const Bytes& samples) {
    Bytes out(80, 'a');
    auto put = [&out](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(v >> (24 - 8 * k));
    };
    put(4, static_cast<std::uint32_t>(dimx));
    put(8, static_cast<std::uint32_t>(dimy));
    put(12, static_cast<std::uint32_t>(dimz));
    put(36, 8);
    put(72, 80);
    out.insert(out.end(), samples.begin(), samples.end());
    save(path, out);
}

// A volume of a bright ball and a tube across a soft gradient, sprinkled
// with isolated dark and bright voxels (the noise a median removes).
Bytes phantom_volume(int dimx, int dimy, int dimz, std::uint32_t seed, int noise_per_mille) {
    Bytes v(static_cast<std::size_t>(dimx) * static_cast<std::size_t>(dimy) * static_cast<std::size_t>(dimz));
    std::uint32_t state = seed;
    std::size_t i = 0;
    for (int z = 0; z < dimz; ++z)
        for (int y = 0; y < dimy; ++y)
            for (int x = 0; x < dimx; ++x, ++i) {
                const double bx = x - dimx * 0.4, by = y - dimy * 0.5, bz = z - dimz * 0.5;
                const double tube = (y - dimy * 0.3) * (y - dimy * 0.3) + (z - dimz * 0.7) * (z - dimz * 0.7);
                int value = 40 + 60 * x / dimx;
                if (bx * bx + by * by + bz * bz < (dimz * 0.3) * (dimz * 0.3)) value = 210;
                else if (tube < (dimz * 0.08) * (dimz * 0.08)) value = 160;
                state = state * 1664525u + 1013904223u;
                const int dice = static_cast<int>((state >> 8) % 1000);
                if (dice < noise_per_mille / 2) value = 0;
                else if (dice < noise_per_mille) value = 255;
                v[i] = static_cast<unsigned char>(value);
            }
    return v;
}

void demo_samples(const std::string& dir) {
    std::printf("make-samples: writing the demonstration samples into %s/\n", dir.c_str());

    const int nc = 256, nr = 192;
    const Bytes grey = pattern_image(nc, nr);
    save_raw(dir + "/gradient", "ima", nc, nr, grey);
    announce(dir + "/gradient.ima", "8-bit raw image (256 x 192) with its .dim");

    // The same pixels with a false-colour table.
    save_raw(dir + "/palette", "ima", nc, nr, grey);
    std::string lut;
    for (int plane = 0; plane < 3; ++plane) {
        for (int i = 0; i < 256; ++i) {
            const int v = plane == 0 ? i : plane == 1 ? (i * 3) % 256 : 255 - i;
            lut += std::to_string(v) + ((i + 1) % 16 == 0 ? "\n" : " ");
        }
    }
    save_text(dir + "/palette.3lt", lut);
    announce(dir + "/palette.ima", "8-bit raw image with a colour table (.3lt)");

    // An odd width, so that raster rows carry a padding byte.
    const int onc = 101, onr = 64;
    save_raster(dir + "/odd.ras", onc, onr, 8, 1, {}, pattern_image(onc, onr));
    announce(dir + "/odd.ras", "8-bit raster of odd width (101 x 64)");

    // 16-bit, in host order (upper-case extension).
    Bytes depth;
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            const std::uint16_t v = static_cast<std::uint16_t>(pattern(x, y, nc, nr) * 250 + x);
            depth.push_back(static_cast<unsigned char>(v & 0xff));
            depth.push_back(static_cast<unsigned char>(v >> 8));
        }
    save_raw(dir + "/depth", "IMW", nc, nr, depth);
    announce(dir + "/depth.IMW", "16-bit raw image in host byte order");

    // 32-bit floats, big-endian.
    Bytes field;
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            const float f = std::sin(x / 20.0f) * std::cos(y / 15.0f);
            std::uint32_t bits;
            static_assert(sizeof bits == sizeof f);
            std::memcpy(&bits, &f, sizeof f);
            put_be32(field, bits);
        }
    save_raw(dir + "/field", "imf", nc, nr, field);
    announce(dir + "/field.imf", "float raw image");

    // A 24-bit raster stored red, green, blue (raster type 3).
    const int cnc = 129, cnr = 96;
    Bytes rgb;
    for (int y = 0; y < cnr; ++y)
        for (int x = 0; x < cnc; ++x) {
            rgb.push_back(static_cast<unsigned char>(2 * x));
            rgb.push_back(static_cast<unsigned char>(255 - 2 * y));
            rgb.push_back(pattern(x, y, cnc, cnr));
        }
    save_raster(dir + "/colour.ras", cnc, cnr, 24, 3, {}, rgb);
    announce(dir + "/colour.ras", "24-bit raster, red-green-blue order (129 x 96)");

    save_raw(dir + "/cells", "ima", 320, 240, cells_image(320, 240));
    announce(dir + "/cells.ima", "8-bit image of bright cells on a dark ground (320 x 240)");

    save_volume(dir + "/phantom.vol", 96, 80, 48, phantom_volume(96, 80, 48, 5, 60));
    announce(dir + "/phantom.vol", "8-bit volume file (96 x 80 x 48): a ball and a tube, 6% noisy voxels");
}

void bench_samples(const std::string& dir) {
    const int n = 8192;
    Bytes p(static_cast<std::size_t>(n) * n);
    std::uint32_t state = 12345;
    for (auto& v : p) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<unsigned char>(state >> 24);
    }
    save_raster(dir + "/big8.ras", n, n, 8, 1, {}, p);
    Bytes w(p.size() * 2);
    for (std::size_t i = 0; i < p.size(); ++i) {
        w[2 * i] = p[i];
        w[2 * i + 1] = static_cast<unsigned char>(p[i] ^ 0x5a);
    }
    save_raw(dir + "/big16", "imw", n, n, w);

    // Random blobs: a coarse random grid, bilinearly interpolated, about
    // half of the pixels at or above 128.
    const int cell = 160, grid = n / cell + 2;
    std::vector<int> coarse(static_cast<std::size_t>(grid) * grid);
    for (auto& v : coarse) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<int>(state >> 24);
    }
    for (int y = 0; y < n; ++y) {
        const int gy = y / cell, fy = y % cell;
        for (int x = 0; x < n; ++x) {
            const int gx = x / cell, fx = x % cell;
            auto at = [&](int i, int j) { return coarse[static_cast<std::size_t>(j) * grid + i]; };
            const int top = at(gx, gy) * (cell - fx) + at(gx + 1, gy) * fx;
            const int bottom = at(gx, gy + 1) * (cell - fx) + at(gx + 1, gy + 1) * fx;
            p[static_cast<std::size_t>(y) * n + x] = static_cast<unsigned char>((top * (cell - fy) + bottom * fy) / (cell * cell));
        }
    }
    save_raw(dir + "/blobs", "ima", n, n, p);

    // Adversarial shapes for labellers that follow label links. Top half:
    // bands of combs of 512 teeth whose neighbours are bridged one pair at a
    // time from right to left, one row further down each time, so that a
    // labeller that never shortens its links builds a chain through all the
    // teeth and walks it for every tooth of every later row. Bottom half: a
    // square spiral of one-pixel walls eight pixels apart.
    std::fill(p.begin(), p.end(), 0);
    auto set = [&](int x, int y) { p[static_cast<std::size_t>(y) * n + x] = 255; };
    const int teeth = n / 16, band = 1024;
    for (int top = 0; top < n / 2; top += band) {
        for (int t = 0; t < teeth; ++t)
            for (int y = top; y < top + band - 1; ++y) set(16 * t, y);
        for (int t = teeth - 1; t >= 1; --t) {
            const int y = top + 1 + (teeth - 1 - t) * 2;
            for (int x = 16 * (t - 1); x <= 16 * t; ++x) set(x, y);
        }
    }
    for (int ring = 0;; ++ring) {
        const int lo = ring * 8, hi = n - 1 - ring * 8, ylo = n / 2 + ring * 8, yhi = n - 1 - ring * 8;
        if (ylo + 8 >= yhi || lo + 8 >= hi) break;
        for (int x = lo; x <= hi; ++x) set(x, ylo);
        for (int y = ylo; y <= yhi; ++y) set(hi, y);
        for (int x = lo; x <= hi; ++x) set(x, yhi);
        for (int y = ylo + 8; y <= yhi; ++y) set(lo, y);
        for (int x = lo; x <= lo + 8; ++x) set(x, ylo + 8);
    }
    save_raw(dir + "/adversarial", "ima", n, n, p);

    save_volume(dir + "/vol256.vol", 256, 256, 256, phantom_volume(256, 256, 256, 11, 60));
    std::printf("make-samples: wrote big8.ras, big16.imw, blobs.ima and adversarial.ima (8192 x 8192) and "
                "vol256.vol (256 x 256 x 256) into %s\n",
                dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) demo_samples(argv[1]);
    else if (argc == 3 && std::string(argv[1]) == "--bench") bench_samples(argv[2]);
    else die("usage: make-samples <folder> | make-samples --bench <folder>");
    return 0;
}
