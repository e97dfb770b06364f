// Image records: allocation layout, names, colour tables, byte reversal.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "proto2D.h"
#include "support.hpp"

using namespace testing_support;

namespace {

template <class Image>
void expect_contiguous_rows(const Image& ima) {
    for (int y = 0; y < ima.nr; ++y) EXPECT_EQ(ima.pixels[y], ima.pixels[0] + static_cast<std::ptrdiff_t>(y) * ima.nc);
}

}  // namespace

TEST(ImageRecords, EveryTypeIsOneBlockWithLinkedRows) {
    imau2 u2{};
    u2.nc = 7;
    u2.nr = 5;
    std::snprintf(u2.nom, sizeof u2.nom, "kept");
    alloc_imau2(&u2);
    expect_contiguous_rows(u2);
    EXPECT_STREQ(u2.nom, "kept");
    free_imau2(&u2);

    imacx16 cx{};
    cx.nc = 3;
    cx.nr = 4;
    alloc_imacx16(&cx);
    expect_contiguous_rows(cx);
    EXPECT_EQ(reinterpret_cast<char*>(cx.pixels[1]) - reinterpret_cast<char*>(cx.pixels[0]), 3 * 16);
    free_imacx16(&cx);

    imadb one_row{};
    one_row.nc = 9;
    one_row.nr = 1;
    alloc_imadb(&one_row);
    EXPECT_NE(one_row.pixels[0], nullptr);
    one_row.pixels[0][8] = 1.0;
    free_imadb(&one_row);

    imarvb rvb{};
    rvb.nc = 2;
    rvb.nr = 3;
    alloc_imarvb(&rvb);
    for (unsigned char** plane : {rvb.r, rvb.v, rvb.b}) {
        EXPECT_EQ(plane[2], plane[0] + 4);
        plane[2][1] = 1;
    }
    EXPECT_NE(rvb.r[0], rvb.v[0]);
    free_imarvb(&rvb);
}

TEST(ImageRecords, Imau1TablesAreNulledAndSharedByAllocAs) {
    imau1 src{};
    src.nc = 4;
    src.nr = 2;
    std::snprintf(src.nom, sizeof src.nom, "source");
    alloc_imau1(&src);
    EXPECT_EQ(src.lutr, nullptr);
    EXPECT_EQ(src.lutb, nullptr);
    alloc_lut_u1(&src);
    std::memset(src.pixels[0], 0xAB, 8);

    imau1 dst{};
    alloc_imau1_as(&src, &dst);
    EXPECT_EQ(dst.nc, 4);
    EXPECT_EQ(dst.nr, 2);
    EXPECT_STREQ(dst.nom, "source");
    EXPECT_EQ(dst.lutr, src.lutr);
    EXPECT_EQ(dst.lutv, src.lutv);
    EXPECT_EQ(dst.lutb, src.lutb);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(dst.pixels[0][i], 0);
    expect_contiguous_rows(dst);

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

    auto negative = run_captured([] {
        imafl ima{};
        ima.nc = -1;
        ima.nr = 4;
        alloc_imafl(&ima);
    });
    EXPECT_EQ(negative.status, 1);
    EXPECT_EQ(negative.out, "\n allocation image impossible\n");

    auto huge = run_captured([] {
        imacx16 ima{};
        ima.nc = 2000000000;
        ima.nr = 2000000000;
        alloc_imacx16(&ima);
    });
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.out, "\n allocation image impossible\n");
}

TEST(ByteOrder, ValuesAreReversedOneByOne) {
    unsigned char shorts[] = {0x11, 0x22, 0x33, 0x44};
    permuteShortTab(shorts, 2);
    EXPECT_EQ(std::memcmp(shorts, "\x22\x11\x44\x33", 4), 0);

    unsigned char ints[] = {0x11, 0x22, 0x33, 0x44, 1, 2, 3, 4, 5, 6, 7, 8};
    permuteIntTab(ints, 3);
    EXPECT_EQ(std::memcmp(ints, "\x44\x33\x22\x11\x04\x03\x02\x01\x08\x07\x06\x05", 12), 0);

    unsigned char longs[16];
    for (int i = 0; i < 16; ++i) longs[i] = static_cast<unsigned char>(i);
    permuteLongTab(longs, 2);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(longs[i], 7 - i);
        EXPECT_EQ(longs[8 + i], 15 - i);
    }

    float f = 1.0f;
    permuteFloat(&f);
    permuteFloat(&f);
    EXPECT_EQ(f, 1.0f);
    std::uint32_t word = 0x59a66a95;
    permuteInt(&word);
    EXPECT_EQ(word, 0x956aa659u);
    std::uint16_t half = 0x0102;
    permuteShort(&half);
    EXPECT_EQ(half, 0x0201);
    std::uint64_t wide = 0x0102030405060708ull;
    permuteLong(&wide);
    EXPECT_EQ(wide, 0x0807060504030201ull);

    // Odd, unaligned starts are fine: the helpers work on bytes.
    unsigned char odd[5] = {9, 1, 2, 3, 4};
    permuteFloatTab(odd + 1, 1);
    EXPECT_EQ(std::memcmp(odd, "\x09\x04\x03\x02\x01", 5), 0);
}
