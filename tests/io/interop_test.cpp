// Interoperability with the widely installed image toolkits (netpbm and
// ImageMagick): rasters they write, in both encodings where they offer them,
// are read by the suite as the pixels they started from, and the rasters and
// raw images the suite writes are read by them as the suite's pixels. Each
// test is skipped, saying so, where its toolkit is not installed.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

bool on_path(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The ImageMagick converter: "magick" in its later versions, else the
// Debian name of version 6 (so that no other program called convert is
// taken for it), else "convert".
std::string imagemagick() {
    for (const char* name : {"magick", "convert-im6.q16", "convert"})
        if (on_path(name)) return name;
    return "";
}

// Runs a shell command in `dir`; its standard output goes to `out` there.
// Returns what it printed on its error output when it failed, else "".
std::string run_in(const TempDir& dir, const std::string& command, const std::string& out) {
    const std::string line = "cd '" + dir.path() + "' && " + command + " > " + out + " 2> errors.txt";
    const int status = std::system(line.c_str());
    return status == 0 ? "" : "status " + std::to_string(status) + " of " + command + ": " + read_file(dir.file("errors.txt"));
}

// An image as the toolkits and the suite should agree on it: its size and
// its samples row after row (three per pixel, red, green, blue, for colour;
// one for 16-bit grey, big-endian).
struct Pixels {
    int width = 0, height = 0;
    std::string samples;
    bool operator==(const Pixels&) const = default;
};

void PrintTo(const Pixels& p, std::ostream* os) {
    *os << p.width << "x" << p.height << " (" << p.samples.size() << " bytes)";
}

// Reads a binary PGM or PPM; 8-bit grey becomes red = green = blue unless
// `keep_grey`.
Pixels parse_pnm(const std::string& bytes, bool keep_grey = false) {
    std::size_t at = 2;
    auto number = [&] {
        while (at < bytes.size() && (std::isspace(static_cast<unsigned char>(bytes[at])) || bytes[at] == '#'))
            at = bytes[at] == '#' ? bytes.find('\n', at) : at + 1;
        int value = 0;
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) value = 10 * value + (bytes[at++] - '0');
        return value;
    };
    const bool colour = bytes.compare(0, 2, "P6") == 0;
    if (!colour && bytes.compare(0, 2, "P5") != 0) return {};
    Pixels p;
    p.width = number();
    p.height = number();
    const int maxval = number();
    const std::string data = bytes.substr(at + 1);
    if (colour || keep_grey || maxval > 255) {
        p.samples = data;
        return p;
    }
    for (const char v : data) p.samples += std::string(3, v);
    return p;
}

std::string pnm(const Pixels& p, bool grey) {
    std::string out = std::string(grey ? "P5" : "P6") + "\n" + std::to_string(p.width) + " " +
                      std::to_string(p.height) + "\n255\n";
    for (std::size_t i = 0; i < p.samples.size(); i += grey ? 3 : 1) out += p.samples[i];
    return out;
}

// What the suite reads from "img.ras": the reader its header's depth calls
// for; a colour-mapped image's pixels through its map.
Pixels read_by_suite(const TempDir& dir) {
    Pixels p;
    if (static_cast<unsigned char>(read_file(dir.file("img.ras"))[15]) == 24) {
        imarvb image = read_image<imarvb>(dir.file("img"), "ras");
        p = {image.nc, image.nr, ""};
        for (int y = 0; y < image.nr; ++y)
            for (int x = 0; x < image.nc; ++x) p.samples += {char(image.r[y][x]), char(image.v[y][x]), char(image.b[y][x])};
        fw::free_image(&image);
        return p;
    }
    imau1 image = read_image<imau1>(dir.file("img"), "ras");
    p = {image.nc, image.nr, ""};
    for (unsigned char v : pixels_of(image)) {
        if (image.lutr != nullptr) p.samples += {char(image.lutr[v]), char(image.lutv[v]), char(image.lutb[v])};
        else p.samples += std::string(3, static_cast<char>(v));
    }
    free_lut_u1(&image);
    fw::free_image(&image);
    return p;
}

// Test images with runs (of 128 too, the escape of the byte encoding) and
// odd and even widths: grey, of six colours, and of more colours than a
// map holds.
Pixels grey_image(int width, int height) {
    Pixels p{width, height, ""};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.samples += std::string(3, static_cast<char>((x + y) % 9 == 0 ? 128 : (x / 4 * 37 + y * 11) % 256));
    return p;
}

Pixels six_colours(int width, int height) {
    const unsigned char colours[6][3] = {{128, 128, 128}, {255, 0, 0}, {0, 90, 200}, {17, 17, 17}, {250, 240, 5}, {0, 0, 0}};
    Pixels p{width, height, ""};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (const unsigned char c : colours[(x / 3 + y) % 6]) p.samples += static_cast<char>(c);
    return p;
}

Pixels many_colours(int width, int height) {
    Pixels p{width, height, ""};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.samples += {char(x * 29 + y * 7), char(x * 13 + y * 101), char(x < 4 ? 128 : x * y)};
    return p;
}

// Rasters written by a toolkit from a PGM or PPM: the suite reads the
// pixels the toolkit started from. `type` is the raster type the toolkit
// must have written (0: any).
struct Written {
    const char* what;
    Pixels source;
    bool grey;
    std::string command;  // writes the raster on its standard output; "%" stands for the converter
    int type;
};

void expect_read_by_suite(const std::string& converter, const std::vector<Written>& cases) {
    for (const Written& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        write_file(dir.file(c.grey ? "in.pgm" : "in.ppm"), pnm(c.source, c.grey));
        std::string command = c.command;
        if (const auto at = command.find('%'); at != std::string::npos) command.replace(at, 1, converter);
        ASSERT_EQ(run_in(dir, command, "img.ras"), "");
        const std::string header = read_file(dir.file("img.ras"));
        ASSERT_GE(header.size(), 32u);
        if (c.type != 0) {
            EXPECT_EQ(header[23], c.type);
        }
        // Read in a child, so that a refusal is reported with its message.
        const Outcome run = run_captured([&] {
            const Pixels p = read_by_suite(dir);
            const std::string shape = std::to_string(p.width) + "x" + std::to_string(p.height) + ":";
            std::fwrite(shape.data(), 1, shape.size(), stderr);
            std::fwrite(p.samples.data(), 1, p.samples.size(), stderr);
        });
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(run.err == std::to_string(c.source.width) + "x" + std::to_string(c.source.height) + ":" +
                                   c.source.samples);
    }
}

// Files written by the suite, read by a toolkit: `command` turns img.<ext>
// into a PGM or PPM on its standard output.
struct Read {
    const char* what;
    std::function<Pixels(const TempDir&)> write;  // writes img.<ext>, returns what it holds
    std::string command;
    bool keep_grey;
};

void expect_read_by_toolkit(const std::string& converter, const std::vector<Read>& cases) {
    for (const Read& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Pixels expected = c.write(dir);
        std::string command = c.command;
        if (const auto at = command.find('%'); at != std::string::npos) command.replace(at, 1, converter);
        ASSERT_EQ(run_in(dir, command, "out.pnm"), "");
        EXPECT_EQ(parse_pnm(read_file(dir.file("out.pnm")), c.keep_grey), expected);
    }
}

// The suite's images: grey and colour-mapped 8-bit, 24-bit and 16-bit.
imau1 suite_grey(int w, int h) {
    return make_image<imau1>(w, h, [](int x, int y) { return (x + y) % 5 == 0 ? 128 : x * 17 + y; });
}

imau1 suite_mapped(int w, int h) {
    imau1 image = make_image<imau1>(w, h, [](int x, int y) { return (x + 2 * y) % 7; });
    alloc_lut_u1(&image);
    for (int i = 0; i < 256; ++i) {
        image.lutr[i] = static_cast<unsigned char>(i * 40);
        image.lutv[i] = static_cast<unsigned char>(255 - i * 3);
        image.lutb[i] = static_cast<unsigned char>(i * i);
    }
    return image;
}

imarvb suite_colour(int w, int h) {
    using F = std::function<int(int, int)>;
    return make_rvb(w, h, F([](int x, int y) { return x * 29 + y; }), F([](int x, int y) { return 128 + x - y; }),
                    F([](int x, int y) { return x * y; }));
}

imau2 suite_16(int w, int h) {
    return make_image<imau2>(w, h, [](int x, int y) { return x * 4099 + y * 257 + 1; });
}

// What a toolkit should see of them.
Pixels seen(const imau1& image) {
    Pixels p{image.nc, image.nr, ""};
    for (unsigned char v : pixels_of(image)) {
        if (image.lutr != nullptr) p.samples += {char(image.lutr[v]), char(image.lutv[v]), char(image.lutb[v])};
        else p.samples += std::string(3, static_cast<char>(v));
    }
    return p;
}

Pixels seen(const imarvb& image) {
    Pixels p{image.nc, image.nr, ""};
    for (int y = 0; y < image.nr; ++y)
        for (int x = 0; x < image.nc; ++x) p.samples += {char(image.r[y][x]), char(image.v[y][x]), char(image.b[y][x])};
    return p;
}

Pixels seen(const imau2& image) {
    Pixels p{image.nc, image.nr, ""};
    for (const auto v : pixels_of(image)) p.samples += {char(v >> 8), char(v & 0xff)};
    return p;
}

// Writes the image make() gives as img.<ext> and returns what it holds.
template <class Make>
std::function<Pixels(const TempDir&)> writes(Make make, int w, int h, const std::string& ext) {
    return [=](const TempDir& dir) {
        auto image = make(w, h);
        write_image(dir.file("img"), ext, image);
        const Pixels p = seen(image);
        if constexpr (std::is_same_v<decltype(image), imau1>) free_lut_u1(&image);
        fw::free_image(&image);
        return p;
    };
}

}  // namespace

TEST(Interop, NetpbmRastersReadBySuite) {
    if (!on_path("pnmtorast")) GTEST_SKIP() << "netpbm is not installed (no pnmtorast): interoperability not tested";
    expect_read_by_suite("", {
        {"grey, odd width, byte-encoded", grey_image(37, 9), true, "pnmtorast in.pgm", 2},
        {"grey, even width, byte-encoded", grey_image(300, 4), true, "pnmtorast in.pgm", 2},
        {"grey, odd width, standard", grey_image(37, 9), true, "pnmtorast -standard in.pgm", 1},
        {"colour map, odd width, byte-encoded", six_colours(23, 5), false, "pnmtorast in.ppm", 2},
        {"colour map, even width, standard", six_colours(24, 5), false, "pnmtorast -standard in.ppm", 1},
        {"24-bit, odd width", many_colours(37, 9), false, "pnmtorast in.ppm", 0},
        {"24-bit, even width, standard", many_colours(40, 9), false, "pnmtorast -standard in.ppm", 1},
    });
}

TEST(Interop, ImageMagickRastersReadBySuite) {
    const std::string converter = imagemagick();
    if (converter.empty()) GTEST_SKIP() << "ImageMagick is not installed: interoperability not tested";
    expect_read_by_suite(converter, {
        {"grey, odd width", grey_image(37, 9), true, "% in.pgm ras:-", 0},
        {"colour map, odd width", six_colours(23, 5), false, "% in.ppm -type Palette ras:-", 0},
        {"colour map, even width", six_colours(24, 3), false, "% in.ppm -type Palette ras:-", 0},
        {"24-bit, odd width", many_colours(37, 9), false, "% in.ppm ras:-", 0},
    });
}

TEST(Interop, SuiteFilesReadByNetpbm) {
    if (!on_path("rasttopnm")) GTEST_SKIP() << "netpbm is not installed (no rasttopnm): interoperability not tested";
    expect_read_by_toolkit("", {
        {"8-bit raster, odd width", writes(suite_grey, 13, 4, "ras"), "rasttopnm img.ras", false},
        {"8-bit raster with colour map", writes(suite_mapped, 9, 3, "ras"), "rasttopnm img.ras", false},
        {"24-bit raster, odd width", writes(suite_colour, 11, 3, "ras"), "rasttopnm img.ras", false},
        {"24-bit raster, even width", writes(suite_colour, 12, 2, "ras"), "rasttopnm img.ras", false},
        {"8-bit raw image", writes(suite_grey, 13, 4, "ima"), "rawtopgm 13 4 img.ima", false},
        {"16-bit raw image", writes(suite_16, 7, 3, "imw"), "rawtopgm -bpp 2 -maxval 65535 7 3 img.imw", true},
    });
}

TEST(Interop, SuiteFilesReadByImageMagick) {
    const std::string converter = imagemagick();
    if (converter.empty()) GTEST_SKIP() << "ImageMagick is not installed: interoperability not tested";
    expect_read_by_toolkit(converter, {
        {"8-bit raster, odd width", writes(suite_grey, 13, 4, "ras"), "% img.ras -depth 8 ppm:-", false},
        {"8-bit raster with colour map", writes(suite_mapped, 9, 3, "ras"), "% img.ras -depth 8 ppm:-", false},
        {"24-bit raster, odd width", writes(suite_colour, 11, 3, "ras"), "% img.ras -depth 8 ppm:-", false},
        {"8-bit raw image", writes(suite_grey, 13, 4, "ima"), "% -size 13x4 -depth 8 gray:img.ima pgm:-", false},
        {"16-bit raw image", writes(suite_16, 7, 3, "imw"), "% -size 7x3 -depth 16 -endian MSB gray:img.imw pgm:-", true},
    });
}
