// png-export-tool end to end: the PNG it writes, decoded with libpng,
// against the source pixels for every kind of input, and the refusals.

#include <png.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "images.hpp"
#include "program_test.hpp"
#include "volume.h"

using namespace testing_support;

namespace {

// A decoded picture: sizes, channels (1 grey, 3 colour) and the bytes.
struct Picture {
    int nc = 0, nr = 0, channels = 0;
    std::string bytes;
    bool operator==(const Picture&) const = default;
};

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
    for (double v : values)
        out += char(!(hi > lo)         ? 0
                    : std::isfinite(v) ? std::lround((v - lo) * 255.0 / (hi - lo))
                    : v == INFINITY    ? 255
                                       : 0);
    return out;
}

// Writes the image as <path>.<ext> with the suite's writer, releases it and
// returns the picture expected: `bytes`, or its values (complex: the
// modulus) scaled.
template <class Image>
Picture written(const std::string& path, const std::string& ext, Image image, int channels, const std::string& bytes) {
    write_image(path, ext, image);
    std::vector<double> values;
    for (const auto& p : pixels_of(image))
        if constexpr (requires { p.re; })
            values.push_back(std::hypot(double(p.re), double(p.im)));
        else
            values.push_back(double(p));
    fw::free_image(&image);
    return {image.nc, image.nr, channels, bytes.empty() ? scaled(values) : bytes};
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
    const Outcome run = expect_dialogue_modes({">> image a exporter : nom complet du fichier image a lire",
                                               ">> image png : nom complet du fichier png a ecrire"},
                                              {"a.ima", "a.png"}, {"a.png"});
    EXPECT_NE(run.out.find(">> png-export-tool : image png ecrite a.png, dimX=3, dimY=2, niveaux de gris\n"),
              std::string::npos);
}

TEST_F(PngExportTool, EveryKindAgainstItsSourcePixels) {
    const int nc = 9, nr = 7;
    using Level = std::function<int(int, int)>;
    const Level red = [](int x, int y) { return (x * 37 + y * 11) % 256; };
    const Level green = [&](int x, int y) { return 255 - red(x, y); },
                blue = [&](int x, int y) { return red(x, y) / 2; };
    std::string text_table, levels, coloured;  // the table as a .3lt, the levels, alone and through it
    for (int i = 0; i < 768; ++i) text_table += std::to_string(i < 256 ? i : i < 512 ? 511 - i : (i - 512) / 2) + " ";
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x)
            levels += char(red(x, y)), coloured += {char(red(x, y)), char(green(x, y)), char(blue(x, y))};
    const auto grey = [&] { return make_image<imau1>(nc, nr, red); };
    imau1 mapped = grey();
    alloc_lut_u1(&mapped);
    for (int i = 0; i < 256; ++i) mapped.lutr[i] = i, mapped.lutv[i] = 255 - i, mapped.lutb[i] = i / 2;
    const auto random = [&](double lo, double hi) { return [&, lo, hi](int, int) { return uniform(lo, hi); }; };
    imafl fl = make_image<imafl>(nc, nr, random(-1e3, 1e3));
    fl.pixels[0][3] = NAN, fl.pixels[1][1] = INFINITY, fl.pixels[2][2] = -INFINITY;
    const auto complex = [&](int, int) { return complexe8{float(uniform(-50, 50)), float(uniform(-50, 50))}; };
    write("lut.3lt", text_table);

    std::vector<std::pair<std::string, Picture>> cases = {
        // input -> picture expected
        {"grey.ima", written(file("grey"), "ima", grey(), 1, levels)},
        {"lut.ima", written(file("lut"), "ima", grey(), 3, coloured)},
        {"map.ras", written(file("map"), "ras", mapped, 3, coloured)},
        {"u2.imw", written(file("u2"), "imw", make_image<imau2>(nc, nr, random(100, 60000)), 1, "")},
        {"u4.iml", written(file("u4"), "iml", make_image<imau4>(nc, nr, random(0, 4e9)), 1, "")},
        {"fl.imf", written(file("fl"), "imf", fl, 1, "")},
        {"flat.imf", written(file("flat"), "imf", make_image<imafl>(nc, nr, [](int, int) { return 2.5; }), 1, "")},
        {"cx.cxf", written(file("cx"), "cxf", make_image<imacx8>(nc, nr, complex), 1, "")},
    };
    imarvb rvb = make_rvb(nc, nr, red, green, blue);
    write_image(file("rgb"), "ras", rvb);
    free_lut_u1(&mapped), free_imarvb(&rvb);
    cases.push_back({"rgb.ras", Picture{nc, nr, 3, coloured}});
    for (const auto& [input, expected] : cases) {
        const Outcome run = this->run({input, input + ".png"});
        EXPECT_EQ(run.status, 0) << input << run.out;
        EXPECT_EQ(decode(file(input + ".png")), expected) << input;
    }
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
        return Picture{dy, dx, 1, scale ? scaled(values) : std::string(values.begin(), values.end())};
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
