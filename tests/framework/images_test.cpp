// Image records: allocation layout, names, colour tables, byte reversal.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "images.hpp"
#include "proto2D.h"
#include "support.hpp"

using namespace testing_support;

namespace {

// Allocates an nc x nr record of Image's type: its name is kept, its rows
// follow one another in one block, and every pixel can be written.
template <class Image>
void expect_one_block(int nc, int nr) {
    Image image{};
    image.nc = nc;
    image.nr = nr;
    std::snprintf(image.nom, sizeof image.nom, "kept");
    fw::alloc_image(&image);
    EXPECT_STREQ(image.nom, "kept");
    ASSERT_NE(image.pixels[0], nullptr);
    EXPECT_TRUE(rows_linked(image));
    image.pixels[nr - 1][nc - 1] = {};
    fw::free_image(&image);
}

}  // namespace

TEST(ImageRecords, EveryTypeIsOneBlockWithLinkedRows) {
    expect_one_block<imau1>(7, 5);
    expect_one_block<imau2>(7, 5);
    expect_one_block<imas2>(3, 4);
    expect_one_block<imau4>(3, 4);
    expect_one_block<imas4>(3, 4);
    expect_one_block<imafl>(3, 4);
    expect_one_block<imadb>(9, 1);
    expect_one_block<imacx4>(3, 4);
    expect_one_block<imacx8>(3, 4);
    expect_one_block<imacx16>(3, 4);

    imarvb rvb{};
    rvb.nc = 2;
    rvb.nr = 3;
    alloc_imarvb(&rvb);
    EXPECT_TRUE(rows_linked(rvb));
    for (unsigned char** plane : {rvb.r, rvb.v, rvb.b}) plane[2][1] = 1;
    EXPECT_NE(rvb.r[0], rvb.v[0]);
    free_imarvb(&rvb);
}

TEST(ImageRecords, Imau1TablesAreNulledAndSharedByAllocAs) {
    imau1 src = make_image<imau1>(4, 2, [](int, int) { return 0xAB; });
    std::snprintf(src.nom, sizeof src.nom, "source");
    EXPECT_EQ(luts_of(src), "");
    EXPECT_EQ(src.lutb, nullptr);
    alloc_lut_u1(&src);

    imau1 dst{};
    alloc_imau1_as(&src, &dst);
    EXPECT_EQ(shape(dst), "4x2");
    EXPECT_STREQ(dst.nom, "source");
    EXPECT_EQ(dst.lutr, src.lutr);
    EXPECT_EQ(dst.lutv, src.lutv);
    EXPECT_EQ(dst.lutb, src.lutb);
    EXPECT_EQ(bytes_of(dst), std::string(8, '\0'));
    EXPECT_TRUE(rows_linked(dst));

    // Releasing the pixels leaves the tables to their owner.
    free_imau1(&dst);
    src.lutr[255] = 1;
    free_lut_u1(&src);
    EXPECT_EQ(src.lutr, nullptr);
    EXPECT_EQ(src.lutv, nullptr);
    free_imau1(&src);
}

TEST(ImageRecords, EmptyAndImpossibleSizes) {
    imau1 empty{};
    empty.nc = 0;
    empty.nr = 3;
    alloc_imau1(&empty);
    EXPECT_NE(empty.pixels, nullptr);
    EXPECT_NE(empty.pixels[0], nullptr);
    free_imau1(&empty);

    const std::function<void()> impossible[] = {
        [] {
            imafl image{};
            image.nc = -1;
            image.nr = 4;
            alloc_imafl(&image);
        },
        [] {
            imacx16 image{};
            image.nc = image.nr = 2000000000;
            alloc_imacx16(&image);
        }};
    for (const auto& alloc : impossible) {
        const Outcome run = run_captured(alloc);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "\n allocation image impossible\n");
    }
}

TEST(ByteOrder, ValuesAreReversedOneByOne) {
    std::string sixteen;
    for (int i = 0; i < 16; ++i) sixteen += static_cast<char>(i);
    const struct {
        const char* what;
        std::function<void(void*)> reverse;
        std::string bytes, reversed;
    } cases[] = {
        {"permuteShort", permuteShort, "\x01\x02", "\x02\x01"},
        {"permuteInt", permuteInt, "\x95\x6a\xa6\x59", "\x59\xa6\x6a\x95"},
        {"permuteFloat", permuteFloat, byte_string({0, 0, 0x80, 0x3f}), byte_string({0x3f, 0x80, 0, 0})},
        {"permuteLong", permuteLong, sixteen.substr(1, 8), byte_string({8, 7, 6, 5, 4, 3, 2, 1})},
        {"permuteShortTab", [](void* p) { permuteShortTab(p, 2); }, "\x11\x22\x33\x44", "\x22\x11\x44\x33"},
        {"permuteIntTab", [](void* p) { permuteIntTab(p, 3); }, "\x11\x22\x33\x44" + sixteen.substr(1, 8),
         "\x44\x33\x22\x11\x04\x03\x02\x01\x08\x07\x06\x05"},
        {"permuteFloatTab", [](void* p) { permuteFloatTab(p, 1); }, "\x01\x02\x03\x04", "\x04\x03\x02\x01"},
        {"permuteLongTab", [](void* p) { permuteLongTab(p, 2); }, sixteen,
         byte_string({7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8})},
    };
    // Odd, unaligned starts are fine: the helpers work on bytes.
    for (const auto& c : cases) {
        for (std::size_t offset : {0, 1}) {
            SCOPED_TRACE(std::string(c.what) + " at offset " + std::to_string(offset));
            std::string buffer = std::string(offset, '\x09') + c.bytes + "\x09";
            c.reverse(buffer.data() + offset);
            EXPECT_EQ(buffer, std::string(offset, '\x09') + c.reversed + "\x09");
        }
    }
}
