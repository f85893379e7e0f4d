// Compositing, tinting, shading and run-length decoding over plain buffers.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "ui/controls/SkinPixels.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

// A w x h B, G, R, unused buffer of one colour.
Pixels Buffer(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Pixels p(static_cast<std::size_t>(w * h) * 4, 0);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        p[i] = b;
        p[i + 1] = g;
        p[i + 2] = r;
    }
    return p;
}

// A w x h skin image of one colour and transparency.
Pixels Image(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t t) {
    Pixels p(static_cast<std::size_t>(w * h) * 4, 0);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        p[i] = r;
        p[i + 1] = g;
        p[i + 2] = b;
        p[i + 3] = t;
    }
    return p;
}

std::array<int, 3> Rgb(const Pixels& p, int w, int x, int y) {
    const std::size_t i = static_cast<std::size_t>(y * w + x) * 4;
    return {p[i + 2], p[i + 1], p[i]};
}

TEST(SkinOpacity, FollowsTransparencyAndFade) {
    EXPECT_EQ(0, SkinOpacity(0, 255));
    EXPECT_EQ(256, SkinOpacity(255, 255));
    EXPECT_EQ(129, SkinOpacity(128, 255));
    EXPECT_EQ(2, SkinOpacity(1, 255));
    // Fade 160: an opaque pixel lets about 63 % of the background through.
    EXPECT_EQ(161, SkinOpacity(0, 160));
    EXPECT_EQ(256, SkinOpacity(255, 160));
    EXPECT_EQ(100 * 95 / 255 + 160 + 1, SkinOpacity(100, 160));
    // Fade 0 draws the image as stored, like 255.
    EXPECT_EQ(0, SkinOpacity(0, 0));
    EXPECT_EQ(201, SkinOpacity(200, 0));
}

TEST(BlendChannel, FloorsTowardMinusInfinity) {
    EXPECT_EQ(10, BlendChannel(10, 200, 256));
    EXPECT_EQ(200, BlendChannel(10, 200, 0));
    // (10 - 200) x 129 / 256 = -95.74..., floored to -96.
    EXPECT_EQ(104, BlendChannel(10, 200, 129));
    // (200 - 10) x 129 / 256 = 95.74..., floored to 95.
    EXPECT_EQ(105, BlendChannel(200, 10, 129));
}

TEST(CompositeSkinImage, OpaqueTransparentAndHalfPixels) {
    const int w = 3;
    const int h = 1;
    Pixels dest = Buffer(w, h, 10, 100, 250);
    Pixels image = {200, 50, 0, 0, /**/ 200, 50, 0, 255, /**/ 200, 50, 0, 128};
    CompositeSkinImage(dest.data(), w, h, image.data(), 255, 0, 0);
    EXPECT_EQ((std::array<int, 3>{200, 50, 0}), Rgb(dest, w, 0, 0));
    EXPECT_EQ((std::array<int, 3>{10, 100, 250}), Rgb(dest, w, 1, 0));
    // floor((d - s) x 129 / 256) + s per channel.
    EXPECT_EQ((std::array<int, 3>{104, 75, 125}), Rgb(dest, w, 2, 0));
}

TEST(CompositeSkinImage, FadeOfDisabledControls) {
    Pixels dest = Buffer(1, 1, 0, 0, 0);
    Pixels image = Image(1, 1, 255, 255, 255, 0);
    CompositeSkinImage(dest.data(), 1, 1, image.data(), 160, 0, 0);
    // a = 161: (0 - 255) x 161 / 256 = -160.37, floored -161, + 255 = 94.
    EXPECT_EQ((std::array<int, 3>{94, 94, 94}), Rgb(dest, 1, 0, 0));
}

// Which pixels of a 10 x 8 grey-200 image the standard tint reaches in a border mode.
std::vector<std::vector<bool>> TintedMap(int borderMode) {
    const int w = 10;
    const int h = 8;
    Pixels dest = Buffer(w, h, 0, 0, 0);
    Pixels image = Image(w, h, 200, 200, 200, 0);
    CompositeSkinImage(dest.data(), w, h, image.data(), 255, kStandardTint, borderMode);
    std::vector<std::vector<bool>> map(h, std::vector<bool>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto rgb = Rgb(dest, w, x, y);
            if (rgb == std::array<int, 3>{217, 211, 102}) {
                map[y][x] = true;
            } else {
                EXPECT_EQ((std::array<int, 3>{200, 200, 200}), rgb) << x << "," << y;
            }
        }
    }
    return map;
}

TEST(CompositeSkinImage, StandardTintSparesTwoLeftTopOneRightBottomInMode1) {
    const auto map = TintedMap(1);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(x >= 2 && x <= 8 && y >= 2 && y <= 6, map[y][x]) << x << "," << y;
        }
    }
}

TEST(CompositeSkinImage, StandardTintSparesOneLeftTopTwoRightBottomInMode2) {
    const auto map = TintedMap(2);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(x >= 1 && x <= 7 && y >= 1 && y <= 5, map[y][x]) << x << "," << y;
        }
    }
}

TEST(CompositeSkinImage, BorderMode0TintsEveryPixelAndTintClampsAt255) {
    const auto map = TintedMap(0);
    for (const auto& row : map) {
        for (bool tinted : row) EXPECT_TRUE(tinted);
    }
    Pixels dest = Buffer(1, 1, 0, 0, 0);
    Pixels image = Image(1, 1, 250, 250, 250, 0);
    CompositeSkinImage(dest.data(), 1, 1, image.data(), 255, kStandardTint, 0);
    // 250 x 255 / 235 = 271 is held at 255; 250 x 248 / 235 = 263 too; blue 250 x 120 / 235.
    EXPECT_EQ((std::array<int, 3>{255, 255, 127}), Rgb(dest, 1, 0, 0));
}

TEST(CompositeSkinImage, NothingForEmptyAreaOrNoImage) {
    Pixels dest = Buffer(2, 2, 1, 2, 3);
    const Pixels before = dest;
    Pixels image = Image(2, 2, 9, 9, 9, 0);
    CompositeSkinImage(dest.data(), 0, 2, image.data(), 255, 0, 0);
    CompositeSkinImage(dest.data(), 2, 0, image.data(), 255, 0, 0);
    CompositeSkinImage(dest.data(), 2, 2, nullptr, 255, 0, 0);
    EXPECT_EQ(before, dest);
}

TEST(CompositeSkinImageRect, ReadsRowsOfTheWiderImage) {
    // A 4 x 3 image whose red channel is 10 x row + column.
    Pixels image = Image(4, 3, 0, 0, 0, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            image[static_cast<std::size_t>(y * 4 + x) * 4] = static_cast<std::uint8_t>(10 * y + x);
    }
    Pixels dest = Buffer(2, 2, 255, 255, 255);
    CompositeSkinImageRect(dest.data(), 2, 2, image.data(), 4, 1, 1);
    EXPECT_EQ(11, Rgb(dest, 2, 0, 0)[0]);
    EXPECT_EQ(12, Rgb(dest, 2, 1, 0)[0]);
    EXPECT_EQ(21, Rgb(dest, 2, 0, 1)[0]);
    EXPECT_EQ(22, Rgb(dest, 2, 1, 1)[0]);
    // Image width 0 means the area's width.
    Pixels narrow = Buffer(2, 1, 0, 0, 0);
    CompositeSkinImageRect(narrow.data(), 2, 1, image.data(), 0, 0, 1);
    EXPECT_EQ(2, Rgb(narrow, 2, 0, 0)[0]);
    EXPECT_EQ(3, Rgb(narrow, 2, 1, 0)[0]);
}

TEST(MultiplyPixels, UsesTheMaskBlueByte) {
    Pixels dest = Buffer(3, 1, 200, 100, 255);
    Pixels mask = {255, 0, 0, 0, /**/ 128, 255, 255, 0, /**/ 0, 255, 255, 0};
    MultiplyPixels(dest.data(), mask.data(), 3);
    // (c x m + 1) / 256.
    EXPECT_EQ((std::array<int, 3>{199, 99, 254}), Rgb(dest, 3, 0, 0));
    EXPECT_EQ((std::array<int, 3>{100, 50, 127}), Rgb(dest, 3, 1, 0));
    EXPECT_EQ((std::array<int, 3>{0, 0, 0}), Rgb(dest, 3, 2, 0));
}

TEST(DecodeRle8, RunsAbsoluteRunsAndLineEnds) {
    // 5 x 3 (stride 8): a run and an odd absolute run that spills into the row's padding,
    // an absolute row, and a run on the last row.
    const std::uint8_t data[] = {3, 7, 0, 3, 1, 2, 9, 0,  // 7 7 7, absolute "1 2 9" + pad
                                 0, 0,                    // end of line
                                 0, 3, 3, 4, 5, 0, 0, 0,  // absolute 3 4 5 + pad, end of line
                                 2, 9, 0, 1};             // 9 9, end of bitmap
    const int stride = Rle8Stride(5);
    ASSERT_EQ(8, stride);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride * 3), 0);
    EXPECT_EQ(sizeof(data), DecodeRle8(data, sizeof(data), 5, 3, out.data()));
    const std::vector<std::uint8_t> expected = {7, 7, 7, 1, 2, 9, 0, 0,  //
                                                3, 4, 5, 0, 0, 0, 0, 0,  //
                                                9, 9, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, out);
}

TEST(DecodeRle8, DeltaLeavesSkippedPixelsAtZero) {
    // 6 x 3: 1 1, delta (2, 1), 5 5, end of bitmap.
    const std::uint8_t data[] = {2, 1, 0, 2, 2, 1, 2, 5, 0, 1};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(Rle8Stride(6) * 3), 0);
    DecodeRle8(data, sizeof(data), 6, 3, out.data());
    const std::vector<std::uint8_t> expected = {1, 1, 0, 0, 0, 0, 0, 0,  //
                                                0, 0, 0, 0, 5, 5, 0, 0,  //
                                                0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, out);
}

TEST(DecodeRle8, StopsAfterTheLastRowAndAtTheEndOfData) {
    std::vector<std::uint8_t> out(8, 0);
    // 4 x 2: end of line after each row, then a run that must not be written.
    const std::uint8_t lines[] = {4, 1, 0, 0, 4, 2, 0, 0, 4, 3};
    EXPECT_EQ(8u, DecodeRle8(lines, sizeof(lines), 4, 2, out.data()));
    EXPECT_EQ((std::vector<std::uint8_t>{1, 1, 1, 1, 2, 2, 2, 2}), out);
    // Runs past the buffer and truncated escapes are ignored safely.
    std::vector<std::uint8_t> small(4, 0);
    const std::uint8_t overflow[] = {200, 6, 0, 9, 1};
    DecodeRle8(overflow, sizeof(overflow), 4, 1, small.data());
    EXPECT_EQ((std::vector<std::uint8_t>{6, 6, 6, 6}), small);
    const std::uint8_t truncatedDelta[] = {0, 2, 1};
    EXPECT_EQ(2u, DecodeRle8(truncatedDelta, sizeof(truncatedDelta), 4, 1, small.data()));
}

TEST(PaletteEntryCount, OnlyUpToEightBits) {
    EXPECT_EQ(2, PaletteEntryCount(1));
    EXPECT_EQ(16, PaletteEntryCount(4));
    EXPECT_EQ(256, PaletteEntryCount(8));
    EXPECT_EQ(0, PaletteEntryCount(16));
    EXPECT_EQ(0, PaletteEntryCount(24));
    EXPECT_EQ(0, PaletteEntryCount(0));
}

}  // namespace
