// The program helpers: the pixel-type table and what derives from it.

#include <gtest/gtest.h>

#include <string>

#include "cycle.hpp"
#include "pixel_traits.hpp"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// Releases an image of any type of the table.
void release(cycle::AnyImage& image) {
    std::visit([](auto& in) { fw::free_image(&in); }, image);
}

// Writes an image with write_any into "img.<ext>" and reads it back with
// read_any; returns the type read and whether the pixels came back. Both
// images are released.
template <class Image>
std::string round_trip(const TempDir& dir, Image image, const char* ext) {
    write_ima_t writer = writer_for(dir.file("img"), ext);
    read_ima_t reader = reader_for(dir.file("img"), ext);
    std::string type;
    bool same = false;
    quietly([&] {
        cycle::check_writable(image, ext);
        write_ima_init(&writer);
        EXPECT_EQ(cycle::write_any(&writer, image), 0);
        cycle::AnyImage back = cycle::read_any(&reader);
        type = cycle::type_name(back);
        if (const Image* read = std::get_if<Image>(&back)) same = pixels_of(*read) == pixels_of(image);
        release(back);
    });
    fw::free_image(&image);
    return type + (same ? "" : " with other pixels");
}

}  // namespace

TEST(ImageTypes, EveryReadableTypeRoundTripsThroughTheTable) {
    TempDir dir;
    auto f = [](int x, int y) { return 3 * x + 7 * y + 1; };
    EXPECT_EQ(round_trip(dir, make_image<imau1>(5, 3, f), "ima"), "u1");
    EXPECT_EQ(round_trip(dir, make_image<imau1>(5, 3, f), "ras"), "u1");
    EXPECT_EQ(round_trip(dir, make_image<imau2>(5, 3, [&](int x, int y) { return 1000 * f(x, y); }), "imw"), "u2");
    EXPECT_EQ(round_trip(dir, make_image<imau4>(5, 3, [&](int x, int y) { return 100000 * f(x, y); }), "iml"), "u4");
    EXPECT_EQ(round_trip(dir, make_image<imafl>(5, 3, [&](int x, int y) { return f(x, y) / 3.0f; }), "imf"), "fl");
    // 24-bit rasters share the extension of 8-bit ones; the depth tells them apart.
    imarvb rvb = make_rvb(3, 2, f, f, f);
    write_ima_t writer = writer_for(dir.file("c"), "ras");
    read_ima_t reader = reader_for(dir.file("c"), "ras");
    quietly([&] {
        write_ima_init(&writer);
        cycle::write_any(&writer, rvb);
        cycle::AnyImage back = cycle::read_any(&reader);
        EXPECT_EQ(cycle::type_name(back), "rvb");
        release(back);
    });
    free_imarvb(&rvb);
}

TEST(ImageTypes, WritableFormatsFollowTheTable) {
    EXPECT_TRUE(cycle::writes<imau1>("ima"));
    EXPECT_TRUE(cycle::writes<imau1>("ras"));
    EXPECT_FALSE(cycle::writes<imau1>("imw"));
    EXPECT_FALSE(cycle::writes<imau1>("ima "));
    EXPECT_TRUE(cycle::writes<imarvb>("ras"));
    EXPECT_FALSE(cycle::writes<imadb>("imf"));
    EXPECT_FALSE(cycle::writes<imau2>("IMW"));  // the writer makes big-endian files only

    const struct {
        const char *type, *ext;
        bool refused;
    } cases[] = {{"u2", "imw", false}, {"u2", "ima", true},  {"rvb", "ras", false}, {"rvb", "ima", true},
                 {"db", "imf", true},  {"u1", "png", false} /* left to write_ima_init */};
    for (const auto& c : cases) {
        const Outcome run = run_captured([&] { cycle::check_writable(c.type, c.ext); });
        EXPECT_EQ(run.status, c.refused ? 1 : 0) << c.type << " " << c.ext;
        const std::string message = "\n>> ERREUR ecriture : une image " + std::string(c.type) +
                                    " ne peut pas etre ecrite au format ." + c.ext + "\n";
        EXPECT_EQ(run.out, c.refused ? message : "");
    }
}

TEST(ImageTypes, DispatchCallsTheTemplateForAcceptedTypesOnly) {
    cycle::AnyImage u2 = make_image<imau2>(2, 2, [](int x, int y) { return x + y; });
    cycle::AnyImage db = make_image<imadb>(2, 2, [](int x, int y) { return x * 0.5 + y; });
    auto sum = [](const auto& image) {
        double total = 0;
        for (const auto p : pixels_of(image)) total += static_cast<double>(p);
        return total;
    };
    EXPECT_EQ((cycle::dispatch<imau1, imau2, imadb>(u2, "tool", sum)), 4.0);
    EXPECT_EQ((cycle::dispatch<imau1, imau2, imadb>(db, "tool", sum)), 3.0);
    const Outcome refused = run_captured([&] { cycle::dispatch<imau1, imafl>(u2, "mean-tool", sum); });
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "\n>> ERREUR mean-tool : type d'image u2 non traite (types acceptes : u1, fl)\n");
    release(u2);
    release(db);
}
