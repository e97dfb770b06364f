// The colour-map stage: complete, short, unreadable and missing files, and
// the tables an image gives up or keeps.

#include <gtest/gtest.h>

#include <string>

#include "colormap.h"
#include "files.hpp"
#include "images.hpp"

using namespace testing_support;

namespace {

// An 8-bit image with a colour table (every entry 9).
imau1 coloured_image() {
    imau1 image = make_image<imau1>(3, 2, [](int x, int y) { return x + y; });
    alloc_lut_u1(&image);
    for (unsigned char* t : {image.lutr, image.lutv, image.lutb}) std::fill(t, t + 256, 9);
    return image;
}

// "v0 v1 ..." for the values f(0) ... f(count - 1), with varied blanks.
template <class F>
std::string values_text(int count, F f) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::to_string(f(i)) + (i % 7 == 6 ? "\n" : i % 3 ? " " : "\t ");
    return s;
}

}  // namespace

TEST(AddColormap, LoadsTheFileOrLeavesTheImageWithoutTable) {
    TempDir dir;
    // Values beyond a byte keep their low 8 bits: 300 -> 44, -1 -> 255.
    auto value = [](int i) { return i == 5 ? 300 : i == 6 ? -1 : 3 * i + 1; };
    std::string expected;
    for (int i = 0; i < 768; ++i) expected += static_cast<char>(value(i) & 0xff);
    write_file(dir.file("full.txt"), values_text(768, value));
    write_file(dir.file("short.txt"), values_text(767, value));
    write_file(dir.file("text.txt"), values_text(100, value) + " x " + values_text(668, value));
    const struct {
        const char* file;
        std::string message, tables;
    } cases[] = {
        {"full.txt", "add_colormap_init: LUT @/full.txt chargee\n", expected},
        {"short.txt", "add_colormap_init: ATTENTION colormap @/short.txt incomplete, LUT ignoree\n", ""},
        {"text.txt", "add_colormap_init: ATTENTION colormap @/text.txt incomplete, LUT ignoree\n", ""},
        {"none.txt", "add_colormap_init: ATTENTION, impossible d'ouvrir le fichier @/none.txt\n", ""},
    };
    for (const auto& c : cases) {
        const std::string name = dir.file(c.file);
        add_colormap_t map{name.c_str(), nullptr, nullptr, nullptr};
        EXPECT_EQ(quietly([&] { add_colormap_init(&map); }), in_folder(c.message, dir.path()));
        // The image's own table is released (a leak otherwise) and replaced.
        imau1 image = coloured_image();
        add_colormap_calc(&map, &image);
        EXPECT_EQ(luts_of(image), c.tables) << c.file;
        EXPECT_EQ(image.lutr, map.lutr);
        // Attached again, the shared tables stay valid.
        add_colormap_calc(&map, &image);
        EXPECT_EQ(luts_of(image), c.tables) << c.file;
        free_lut_u1(&image);
        fw::free_image(&image);
    }
}

TEST(AddColormap, ReadingPhasePointsAtTheReply) {
    const Outcome run = run_phase({"map.txt"}, [](param* head) {
        add_colormap_t map;
        param* next = add_colormap_lect(&map, head, ">> palette :");
        std::fprintf(stderr, "%d %s %d", map.fichier == head->rep, map.fichier, map.lutr == nullptr);
        return next;
    }, [](param*, param*) {});
    EXPECT_EQ(run.err, "1 map.txt 1");
    EXPECT_NE(run.out.find("\n>> palette : Nom du fichier contenant la colormap = map.txt\n"), std::string::npos);
}
