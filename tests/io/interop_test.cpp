// Interoperability with the widely installed toolkits netpbm and ImageMagick:
// rasters they write (in both encodings where they offer them) are read by
// the suite as the pixels they started from, and the rasters and raw images
// the suite writes are read by them as the suite's pixels. Each test is
// skipped, saying so, where its toolkit is not installed.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

bool on_path(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// ImageMagick's converter: "magick" from version 7, else the Debian name of
// version 6, so that no other program called "convert" is taken for it.
std::string imagemagick() {
    for (const char* name : {"magick", "convert-im6.q16", "convert"})
        if (on_path(name)) return name;
    return "";
}

// Runs `command` in `dir` ("%" standing for `converter`), its standard
// output into `out`; returns "" or what went wrong.
std::string run_in(const TempDir& dir, std::string command, const std::string& converter, const std::string& out) {
    if (const auto at = command.find('%'); at != std::string::npos) command.replace(at, 1, converter);
    const int status = std::system(("cd '" + dir.path() + "' && " + command + " > " + out + " 2> errors.txt").c_str());
    return status == 0 ? "" : command + ": status " + std::to_string(status) + " " + read_file(dir.file("errors.txt"));
}

// Test pictures of odd or even width with runs (of 128 too, the encoding's
// escape): kind 0 grey, 1 six colours (a colour map's worth), 2 more colours
// than a map holds. Pixel (x, y) of kind 1 is colour six_index(x, y).
const unsigned char kSix[6][3] = {{128, 128, 128}, {255, 0, 0}, {0, 90, 200}, {17, 17, 17}, {250, 240, 5}, {0, 0, 0}};
int six_index(int x, int y) { return (x / 3 + y) % 6; }

std::string rgb_of(int kind, int x, int y) {
    if (kind == 0) return std::string(3, static_cast<char>((x + y) % 9 == 0 ? 128 : (x / 4 * 37 + y * 11) % 256));
    if (kind == 1) return std::string(reinterpret_cast<const char*>(kSix[six_index(x, y)]), 3);
    return {char(x * 29 + y * 7), char(x * 13 + y * 101), char(x < 4 ? 128 : x * y)};
}

// "WxH:" and the red, green, blue bytes of every pixel.
std::string picture(int kind, int w, int h) {
    std::string p = std::to_string(w) + "x" + std::to_string(h) + ":";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p += rgb_of(kind, x, y);
    return p;
}

// The same for a PGM or PPM (8-bit grey as red = green = blue, 16-bit grey
// as its big-endian samples).
std::string from_pnm(const std::string& bytes) {
    std::size_t at = 2;
    auto number = [&] {
        while (at < bytes.size() && !std::isdigit(static_cast<unsigned char>(bytes[at])))
            at = bytes[at] == '#' ? bytes.find('\n', at) : at + 1;
        int v = 0;
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) v = 10 * v + (bytes[at++] - '0');
        return v;
    };
    const int w = number(), h = number(), maxval = number();
    const std::string data = bytes.substr(at + 1);
    std::string p = std::to_string(w) + "x" + std::to_string(h) + ":";
    if (bytes.compare(0, 2, "P5") != 0 || maxval > 255) return p + data;
    for (const char v : data) p += std::string(3, v);
    return p;
}

// What the suite holds: a colour-mapped image's pixels through its map.
std::string shown(const imau1& image) {
    std::string p = std::to_string(image.nc) + "x" + std::to_string(image.nr) + ":";
    for (const unsigned char v : pixels_of(image))
        p += image.lutr != nullptr ? std::string{char(image.lutr[v]), char(image.lutv[v]), char(image.lutb[v])}
                                   : std::string(3, static_cast<char>(v));
    return p;
}

std::string shown(const imarvb& image) {
    std::string p = std::to_string(image.nc) + "x" + std::to_string(image.nr) + ":";
    for (int y = 0; y < image.nr; ++y)
        for (int x = 0; x < image.nc; ++x) p += {char(image.r[y][x]), char(image.v[y][x]), char(image.b[y][x])};
    return p;
}

std::string shown(const imau2& image) {
    std::string p = std::to_string(image.nc) + "x" + std::to_string(image.nr) + ":";
    for (const auto v : pixels_of(image)) p += {char(v >> 8), char(v & 0xff)};
    return p;
}

// Rasters a toolkit writes on its standard output from in.pgm (kind 0) or
// in.ppm, of raster type `type` (0: any), read by the suite in a child so
// that a refusal is reported with its message.
struct Written {
    const char* what;
    int kind, w, h;
    const char* command;
    int type;
};

void expect_read_by_suite(const std::string& converter, const std::vector<Written>& cases) {
    for (const Written& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string rgb = picture(c.kind, c.w, c.h);
        std::string pnm = (c.kind == 0 ? "P5\n" : "P6\n") + std::to_string(c.w) + " " + std::to_string(c.h) + "\n255\n";
        for (std::size_t i = rgb.find(':') + 1; i < rgb.size(); i += c.kind == 0 ? 3 : 1) pnm += rgb[i];
        write_file(dir.file(c.kind == 0 ? "in.pgm" : "in.ppm"), pnm);
        ASSERT_EQ(run_in(dir, c.command, converter, "img.ras"), "");
        const std::string file = read_file(dir.file("img.ras"));
        ASSERT_GE(file.size(), 32u);
        EXPECT_TRUE(c.type == 0 || file[23] == c.type) << "raster type " << int(file[23]);
        const Outcome run = run_captured([&] {
            std::string p;
            if (file[15] == 24) {
                imarvb image = read_image<imarvb>(dir.file("img"), "ras");
                p = shown(image);
            } else {
                imau1 image = read_image<imau1>(dir.file("img"), "ras");
                p = shown(image);
            }
            std::fwrite(p.data(), 1, p.size(), stderr);
        });
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(run.err == rgb);
    }
}

// The suite writes img.<ext> from picture `kind` (kind 1 as indices with a
// colour map, kind 2 as 24-bit; ext imw: 16-bit values); a toolkit converts
// it to a PGM or PPM on its standard output.
struct Read {
    const char* what;
    int kind, w, h;
    const char* ext;
    const char* command;
};

void expect_read_by_toolkit(const std::string& converter, const std::vector<Read>& cases) {
    for (const Read& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::string expected;
        const auto grey = [&](int x, int y) { return static_cast<unsigned char>(rgb_of(0, x, y)[0]); };
        if (std::string(c.ext) == "imw") {
            imau2 image = make_image<imau2>(c.w, c.h, [](int x, int y) { return x * 4099 + y * 257 + 1; });
            write_image(dir.file("img"), c.ext, image);
            expected = shown(image);
            fw::free_image(&image);
        } else if (c.kind == 2) {
            const auto part = [](int k) { return [k](int x, int y) { return rgb_of(2, x, y)[k]; }; };
            imarvb image = make_rvb(c.w, c.h, part(0), part(1), part(2));
            write_image(dir.file("img"), c.ext, image);
            expected = shown(image);
            fw::free_image(&image);
        } else {
            imau1 image = c.kind == 0 ? make_image<imau1>(c.w, c.h, grey) : make_image<imau1>(c.w, c.h, six_index);
            if (c.kind == 1) {
                alloc_lut_u1(&image);
                for (int i = 0; i < 256; ++i) {
                    image.lutr[i] = kSix[i % 6][0];
                    image.lutv[i] = kSix[i % 6][1];
                    image.lutb[i] = kSix[i % 6][2];
                }
            }
            write_image(dir.file("img"), c.ext, image);
            expected = shown(image);
            free_lut_u1(&image);
            fw::free_image(&image);
        }
        ASSERT_EQ(run_in(dir, c.command, converter, "out.pnm"), "");
        EXPECT_TRUE(from_pnm(read_file(dir.file("out.pnm"))) == expected);
    }
}

}  // namespace

TEST(Interop, NetpbmRastersReadBySuite) {
    if (!on_path("pnmtorast")) GTEST_SKIP() << "netpbm is not installed (no pnmtorast): interoperability not tested";
    expect_read_by_suite("", {
        {"grey, odd width, byte-encoded", 0, 37, 9, "pnmtorast in.pgm", 2},
        {"grey, even width, byte-encoded", 0, 300, 4, "pnmtorast in.pgm", 2},
        {"grey, odd width, standard", 0, 37, 9, "pnmtorast -standard in.pgm", 1},
        {"colour map, odd width, byte-encoded", 1, 23, 5, "pnmtorast in.ppm", 2},
        {"colour map, even width, standard", 1, 24, 5, "pnmtorast -standard in.ppm", 1},
        {"24-bit, odd width", 2, 37, 9, "pnmtorast in.ppm", 0},
        {"24-bit, even width, standard", 2, 40, 9, "pnmtorast -standard in.ppm", 1},
    });
}

TEST(Interop, ImageMagickRastersReadBySuite) {
    const std::string converter = imagemagick();
    if (converter.empty()) GTEST_SKIP() << "ImageMagick is not installed: interoperability not tested";
    expect_read_by_suite(converter, {
        {"grey, odd width", 0, 37, 9, "% in.pgm ras:-", 0},
        {"colour map, odd width", 1, 23, 5, "% in.ppm -type Palette ras:-", 0},
        {"colour map, even width", 1, 24, 3, "% in.ppm -type Palette ras:-", 0},
        {"24-bit, odd width", 2, 37, 9, "% in.ppm ras:-", 0},
    });
}

TEST(Interop, SuiteFilesReadByNetpbm) {
    if (!on_path("rasttopnm")) GTEST_SKIP() << "netpbm is not installed (no rasttopnm): interoperability not tested";
    expect_read_by_toolkit("", {
        {"8-bit raster, odd width", 0, 13, 4, "ras", "rasttopnm img.ras"},
        {"8-bit raster with colour map", 1, 9, 3, "ras", "rasttopnm img.ras"},
        {"24-bit raster, odd width", 2, 11, 3, "ras", "rasttopnm img.ras"},
        {"24-bit raster, even width", 2, 12, 2, "ras", "rasttopnm img.ras"},
        {"8-bit raw image", 0, 13, 4, "ima", "rawtopgm 13 4 img.ima"},
        {"16-bit raw image", 0, 7, 3, "imw", "rawtopgm -bpp 2 -maxval 65535 7 3 img.imw"},
    });
}

TEST(Interop, SuiteFilesReadByImageMagick) {
    const std::string converter = imagemagick();
    if (converter.empty()) GTEST_SKIP() << "ImageMagick is not installed: interoperability not tested";
    expect_read_by_toolkit(converter, {
        {"8-bit raster, odd width", 0, 13, 4, "ras", "% img.ras -depth 8 ppm:-"},
        {"8-bit raster with colour map", 1, 9, 3, "ras", "% img.ras -depth 8 ppm:-"},
        {"24-bit raster, odd width", 2, 11, 3, "ras", "% img.ras -depth 8 ppm:-"},
        {"8-bit raw image", 0, 13, 4, "ima", "% -size 13x4 -depth 8 gray:img.ima pgm:-"},
        {"16-bit raw image", 0, 7, 3, "imw", "% -size 7x3 -depth 16 -endian MSB gray:img.imw pgm:-"},
    });
}
