// png-export-tool end to end: the PNG it writes, decoded with libpng,
// against the source pixels for every kind of input, and the refusals.

#include <png.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

const std::vector<std::string> kQuestions = {
    ">> image a exporter : nom complet du fichier image a lire",
    ">> image png : nom complet du fichier png a ecrire",
};

// A decoded picture: sizes, channels (1 grey, 3 colour) and the bytes.
struct Picture {
    int nc = 0, nr = 0, channels = 0;
    std::string bytes;
    bool operator==(const Picture&) const = default;
};

void PrintTo(const Picture& p, std::ostream* os) {
    *os << p.nc << "x" << p.nr << "x" << p.channels << " [";
    for (unsigned char c : p.bytes) *os << int(c) << ' ';
    *os << "]";
}

Picture decode(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
    const bool grey = (image.format & PNG_FORMAT_FLAG_COLOR) == 0;
    image.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
    Picture p{static_cast<int>(image.width), static_cast<int>(image.height), grey ? 1 : 3, ""};
    p.bytes.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, p.bytes.data(), 0, nullptr) == 0) return {};
    return p;
}

// The plain rule: the finite range onto 0 ... 255, rounded; NaN, -inf and a
// flat image 0, +inf 255.
std::string scaled(const std::vector<double>& values) {
    double lo = INFINITY, hi = -INFINITY;
    for (double v : values)
        if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    std::string out;
    for (double v : values) {
        int b = 0;
        if (hi > lo && std::isfinite(v))
            b = static_cast<int>(std::lround((v - lo) * 255.0 / (hi - lo)));
        else if (hi > lo && v == INFINITY)
            b = 255;
        out += static_cast<char>(b);
    }
    return out;
}

template <class Image>
std::vector<double> doubles(const Image& image) {
    std::vector<double> values;
    for (const auto& p : pixels_of(image)) {
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(p)>>)
            values.push_back(static_cast<double>(p));
        else
            values.push_back(std::hypot(static_cast<double>(p.re), static_cast<double>(p.im)));
    }
    return values;
}

// An image written by the suite's writer as <stem>.<ext>; the expected
// grey picture of its scaled pixels.
template <class Image>
Picture scaled_image(const std::string& path, const std::string& ext, const Image& image) {
    write_image(path, ext, image);
    return {image.nc, image.nr, 1, scaled(doubles(image))};
}

class PngExportTool : public ProgramTest {
protected:
    PngExportTool() : ProgramTest("png-export-tool") {}
    std::mt19937 random{15};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
};

}  // namespace

TEST_F(PngExportTool, DialogueModes) {
    write("a.dim", "3 2");
    write("a.ima", "ABCDEF");
    const Outcome run = expect_dialogue_modes(kQuestions, {"a.ima", "a.png"}, {"a.png"});
    EXPECT_NE(run.out.find(">> png-export-tool : image png ecrite a.png, dimX=3, dimY=2, niveaux de gris\n"),
              std::string::npos);
    ASSERT_EQ(this->run({"a.ima", "a.png"}).status, 0);
    EXPECT_EQ(decode(file("a.png")), (Picture{3, 2, 1, "ABCDEF"}));
}

TEST_F(PngExportTool, EveryKindAgainstItsSourcePixels) {
    const int nc = 9, nr = 7;
    std::string lut;  // red i, green 255 - i, blue i / 2
    for (int i = 0; i < 768; ++i) lut += std::to_string(i < 256 ? i : i < 512 ? 511 - i : (i - 512) / 2) + " ";
    const auto level = [&](int x, int y) { return (x * 37 + y * 11) % 256; };
    std::string coloured;  // the levels through that table
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            const int v = level(x, y);
            coloured += {static_cast<char>(v), static_cast<char>(255 - v), static_cast<char>(v / 2)};
        }
    auto grey = make_image<imau1>(nc, nr, level);
    auto u4 = make_image<imau4>(nc, nr, [&](int, int) { return static_cast<unsigned>(uniform(0, 4e9)); });
    auto fl = make_image<imafl>(nc, nr, [&](int, int) { return uniform(-1e3, 1e3); });
    fl.pixels[0][3] = NAN, fl.pixels[1][1] = INFINITY, fl.pixels[2][2] = -INFINITY;
    auto flat = make_image<imafl>(nc, nr, [](int, int) { return 2.5f; });
    auto cx = make_image<imacx8>(nc, nr, [&](int, int) {
        return complexe8{static_cast<float>(uniform(-50, 50)), static_cast<float>(uniform(-50, 50))};
    });
    auto u2 = make_image<imau2>(nc, nr, [&](int, int) { return uniform(100, 60000); });
    imarvb rvb = make_rvb(nc, nr, std::function<int(int, int)>(level),
                          std::function<int(int, int)>([&](int x, int y) { return 255 - level(x, y); }),
                          std::function<int(int, int)>([&](int x, int y) { return level(x, y) / 2; }));

    // input file -> how it is made (and the picture expected)
    imau1 mapped = grey;  // the same pixels with a colour map
    const std::vector<std::pair<std::string, std::function<Picture()>>> cases = {
        {"grey.ima",
         [&] {
             write_image(file("grey"), "ima", grey);
             return Picture{nc, nr, 1, bytes_of(grey)};
         }},
        {"lut.ima",
         [&] {
             write_image(file("lut"), "ima", grey);
             write("lut.3lt", lut);
             return Picture{nc, nr, 3, coloured};
         }},
        {"map.ras",
         [&] {
             alloc_lut_u1(&mapped);
             for (int i = 0; i < 256; ++i) mapped.lutr[i] = i, mapped.lutv[i] = 255 - i, mapped.lutb[i] = i / 2;
             write_image(file("map"), "ras", mapped);
             return Picture{nc, nr, 3, coloured};
         }},
        {"rgb.ras",
         [&] {
             write_image(file("rgb"), "ras", rvb);
             return Picture{nc, nr, 3, coloured};
         }},
        {"u2.imw", [&] { return scaled_image(file("u2"), "imw", u2); }},
        {"u4.iml", [&] { return scaled_image(file("u4"), "iml", u4); }},
        {"fl.imf", [&] { return scaled_image(file("fl"), "imf", fl); }},
        {"flat.imf", [&] { return scaled_image(file("flat"), "imf", flat); }},
        {"cx.cxf", [&] { return scaled_image(file("cx"), "cxf", cx); }},
    };
    for (const auto& [input, make] : cases) {
        const Picture expected = make();
        ASSERT_EQ(expected.bytes.size(), static_cast<std::size_t>(nc * nr * expected.channels)) << input;
        const Outcome run = this->run({input, input + ".png"});
        EXPECT_EQ(run.status, 0) << input << run.out;
        EXPECT_EQ(decode(file(input + ".png")), expected) << input;
    }
    free_lut_u1(&mapped);
    fw::free_image(&grey), fw::free_image(&u4), fw::free_image(&fl), fw::free_image(&flat), fw::free_image(&cx);
    fw::free_image(&u2), free_imarvb(&rvb);
}

TEST_F(PngExportTool, VolumesShowTheirMiddlePlaneAsSectionToolCutsIt) {
    const int dx = 6, dy = 5, dz = 5;  // middle plane 2; rows along x
    const auto f = [&](int x, int y, int z) { return (x * 40 + y * 7 + z * 3) % 256; };
    auto u1 = make_volume(dx, dy, dz, f);
    auto s2 = make_volume<ima3Ds2>(dx, dy, dz, [&](int x, int y, int z) { return f(x, y, z) * 100 - 3000; });
    auto d = make_volume<ima3Dd>(dx, dy, dz, [&](int, int, int z) { return z == 2 ? uniform(-1, 1) : 1e9; });
    const auto plane = [&](auto& v, bool scale) {
        std::vector<double> values;
        for (int x = 0; x < dx; ++x)
            for (int y = 0; y < dy; ++y) values.push_back(static_cast<double>(v.data[2][y][x]));
        std::string bytes;
        for (double b : values) bytes += static_cast<char>(b);
        return Picture{dy, dx, 1, scale ? scaled(values) : bytes};
    };
    u1.nb_bits = 8, s2.nb_bits = 16, d.nb_bits = 64;
    ecr_ima3Du1(file("u1.vol").c_str(), &u1);
    ecr_ima3Ds2(file("s2.vol").c_str(), &s2);
    ecr_ima3Dd(file("d.vol").c_str(), &d);
    write("u1.lvf", lvf_file(dx, dy, dz, samples(dx, dy, dz, f)));
    const std::vector<std::pair<std::string, Picture>> cases = {{"u1.vol", plane(u1, false)},
                                                                {"u1.lvf", plane(u1, false)},
                                                                {"s2.vol", plane(s2, true)},
                                                                {"d.vol", plane(d, true)}};
    for (const auto& [input, expected] : cases) {
        const Outcome run = this->run({input, "out.png"});
        EXPECT_EQ(run.status, 0) << input << run.out;
        EXPECT_EQ(decode(file("out.png")), expected) << input;
    }
    release(&u1), release(&s2), release(&d);
}

TEST_F(PngExportTool, RefusalsComeBeforeAnyOutputFile) {
    write("a.dim", "3 2");
    write("a.ima", "ABCDEF");
    write("w32.vol", volume_header(2, 2, 2, 32) + std::string(32, '\0'));
    write("bad.vol", "not a volume");
    // arguments, message (the PNG named last must not exist)
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a.ima", "a.ras"}, "\n>> ERREUR png-export-tool : a.ras : le nom du fichier png doit finir par .png\n"},
        {{"a.ima", ".png"}, "\n>> ERREUR png-export-tool : .png : le nom du fichier png doit finir par .png\n"},
        {{"a.txt", "t.png"}, "\n>> ERREUR lecture : extension txt inconnue (.ima/.ras/.imw/.iml/.imf/.cxs/.cxf)\n"},
        {{"w32.vol", "w.png"},
         "\n>> ERREUR png-export-tool : volume w32.vol de 32 bits par echantillon non traite (8, 16 ou 64)\n"},
        {{"bad.vol", "b.png"}, "\n>> ERREUR read_vol_entete : bad.vol n'est ni un volume LVF ni un fichier volume\n"},
        {{"a.ima", "none/a.png"},
         "\n>> ERREUR write_png : ecriture de none/a.png impossible (No such file or directory)\n"},
    };
    for (const auto& [args, message] : cases) expect_refused(args, 1, message, {args.back()});
}
