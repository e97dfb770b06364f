// Rectangles drawn once per pixel against drawing each pixel from the list,
// values converted to each pixel type, and objects files read with care.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "rectangles.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;
using cycle::Rectangle;

namespace {

struct Scene {
    int nc, nr;
    float background;
    std::vector<Rectangle> objects;
    std::string describe() const {
        std::ostringstream s;
        s << nc << "x" << nr << ", " << objects.size() << " rectangles";
        return s.str();
    }
    std::string where(std::size_t i) const { return "pixel " + std::to_string(i % nc) + "," + std::to_string(i / nc); }
};

// Every pixel from the first rectangle of the list that covers it.
template <class Pixel>
std::vector<Pixel> plain(const Scene& s) {
    std::vector<Pixel> out;
    for (int y = 0; y < s.nr; ++y)
        for (int x = 0; x < s.nc; ++x) {
            double v = s.background;
            for (const Rectangle& r : s.objects)
                if (r.x0 <= x && x <= r.x1 && r.y0 <= y && y <= r.y1) {
                    v = r.value;
                    break;
                }
            out.push_back(cycle::pixel_value<Pixel>(v));
        }
    return out;
}

template <class Pixel>
std::vector<Pixel> drawn(const Scene& s) {
    std::vector<Pixel> block(static_cast<std::size_t>(s.nc) * s.nr, Pixel(7));
    std::vector<Pixel*> rows;
    for (int y = 0; y < s.nr; ++y) rows.push_back(block.data() + static_cast<std::size_t>(y) * s.nc);
    cycle::draw_rectangles(rows.data(), s.nc, s.nr, s.background, s.objects);
    return block;
}

// Rectangles partly outside the image, empty ones, overlaps and repeats.
Scene random_scene(std::mt19937& random, int) {
    std::uniform_int_distribution<int> size(1, 40), count(0, 30), coordinate(-10, 50), value(-300, 70000);
    Scene s{size(random), size(random), static_cast<float>(value(random)) / 3, {}};
    for (int k = count(random); k > 0; --k)
        s.objects.push_back({coordinate(random), coordinate(random), coordinate(random), coordinate(random),
                             static_cast<float>(value(random)) / 7});
    return s;
}

}  // namespace

TEST(Rectangles, DrawnOncePerPixelAsTheFirstCoveringRectangle) {
    reference_sweep(14, 300, random_scene, drawn<unsigned char>, plain<unsigned char>);
    reference_sweep(15, 300, random_scene, drawn<unsigned short>, plain<unsigned short>);
    reference_sweep(16, 200, random_scene, drawn<float>, plain<float>);
}

TEST(Rectangles, ValuesTruncatedAndSaturatedToThePixelType) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), huge = 1e300;
    struct Case {
        double value;
        int u1, u2;
        unsigned u4;
    } cases[] = {{12.7, 12, 12, 12},     {-0.9, 0, 0, 0},         {-5, 0, 0, 0},
                 {255.9, 255, 255, 255}, {256, 255, 256, 256},    {70000, 255, 65535, 70000},
                 {5e9, 255, 65535, 4294967295u}, {nan, 0, 0, 0}, {huge, 255, 65535, 4294967295u}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(cycle::pixel_value<unsigned char>(c.value), c.u1);
        EXPECT_EQ(cycle::pixel_value<unsigned short>(c.value), c.u2);
        EXPECT_EQ(cycle::pixel_value<unsigned>(c.value), c.u4);
    }
    EXPECT_EQ(cycle::pixel_value<float>(12.7), 12.7f);
    EXPECT_EQ(cycle::pixel_value<float>(huge), std::numeric_limits<float>::infinity());
    EXPECT_EQ(cycle::pixel_value<float>(-huge), -std::numeric_limits<float>::infinity());
}

TEST(Rectangles, ObjectsFilesReadOrRefused) {
    TempDir dir;
    const std::string path = dir.file("objects.txt");
    auto read = [&](const std::string& text) {
        write_file(path, text);
        return cycle::read_rectangles(path.c_str());
    };
    auto refusal = [&](const std::string& text) {
        write_file(path, text);
        return run_captured([&] { cycle::read_rectangles(path.c_str()); });
    };
    // Any white space between the numbers; the value is a float.
    const std::vector<Rectangle> objects = read("2\n1 2\t3 4 5.5\n\n-1 0 9 8 16777217 trailing");
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1].x0, -1);
    EXPECT_EQ(objects[1].y1, 8);
    EXPECT_EQ(objects[0].value, 5.5f);
    EXPECT_EQ(objects[1].value, 16777216.0f);
    EXPECT_EQ(read("0").size(), 0u);

    const std::string unreadable = "\n>> ERREUR : objet ";
    const std::pair<std::string, std::string> refused[] = {
        {"", "\n>> ERREUR : fichier d'objets " + path + " vide ou illisible (un nombre d'objets entier attendu)\n"},
        {"deux", "vide ou illisible"},
        {"-1\n", "\n>> ERREUR : nombre d'objets -1 incorrect dans " + path + " (entier positif ou nul attendu)\n"},
        {"3000000000", "nombre d'objets 3000000000 incorrect"},
        {"1\n1 2 3 4", unreadable + "1 de " + path},
        {"1\n1 2 3.5 4 5", unreadable + "1 de "},
        {"2\n1 2 3 4 5\n", unreadable + "2 de " + path + " illisible (2 objets annonces ; quatre entiers et un reel "
                                                          "attendus par objet)\n"},
        {"1\n1 2 3 99999999999 5", unreadable + "1 de "},
        {"1\n1 2 3 4 x", unreadable + "1 de "},
        {"2000000000\n0 0 1 1 1", unreadable + "2 de "},
    };
    for (const auto& [text, message] : refused) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(ended_saying(refusal(text), 1, message));
    }
    EXPECT_TRUE(ended(run_captured([&] { cycle::read_rectangles(dir.file("none").c_str()); }), 1,
                      "\n>> ERREUR : fichier " + dir.file("none") + " introuvable\n"));
}
