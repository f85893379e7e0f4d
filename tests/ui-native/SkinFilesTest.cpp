// The skin generator's file formats against the toolkit's decoder, and the committed skin files
// against the sizes the controls draw them at.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/skingen/SkinWriters.h"
#include "ui/controls/SkinPixels.h"

namespace {

std::vector<std::uint8_t> ReadSkinFile(const std::string& name) {
    std::ifstream file(std::string(QV_SKIN_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(SkinRle8, EncodedRowsDecodeToTheSamePixels) {
    // Runs, short literals, a long literal of odd length and a run at the end.
    std::vector<std::uint8_t> row = {5, 5, 5, 5, 1, 2, 9, 9, 3, 4, 5, 6, 7, 8, 8, 8, 8};
    for (int i = 0; i < 300; ++i) row.push_back(static_cast<std::uint8_t>(i < 280 ? 200 : i));
    const int width = static_cast<int>(row.size());
    Bytes data = EncodeRle8Row(row.data(), width);
    data.push_back(0);
    data.push_back(1);
    std::vector<std::uint8_t> decoded(static_cast<std::size_t>(Rle8Stride(width)), 0);
    EXPECT_EQ(data.size(), DecodeRle8(data.data(), data.size(), width, 1, decoded.data()));
    decoded.resize(row.size());
    EXPECT_EQ(row, decoded);
}

TEST(SkinRle8, BitmapRowsAreBottomUpWithLineEnds) {
    Canvas c(3, 2, Grey(10));
    c.Set(0, 0, Grey(250));  // top-left
    const Bytes file = Bitmap8Rle(c);
    ASSERT_GT(file.size(), 14u + 40 + 1024);
    EXPECT_EQ(1u, Le32(file, 14 + 16));  // run-length 8-bit
    const std::size_t bits = 14 + 40 + 1024;
    std::vector<std::uint8_t> decoded(8, 0);
    DecodeRle8(file.data() + bits, file.size() - bits, 3, 2, decoded.data());
    EXPECT_EQ((std::vector<std::uint8_t>{10, 10, 10, 0, 250, 10, 10, 0}), decoded);
}

struct SkinFile {
    const char* name;
    std::size_t bytes;
};

TEST(CommittedSkin, RawImagesHaveTheSizesOfTheirControls) {
    const SkinFile raws[] = {
        {"FieldFace.raw", 40 * 21 * 4},    {"MeterLit.raw", 12 * 144 * 4},
        {"MeterUnlit.raw", 12 * 144 * 4},  {"SliderThumb.raw", 29 * 16 * 4},
        {"BypassNormal.raw", 50 * 21 * 4}, {"BypassPressed.raw", 50 * 21 * 4},
        {"WideNormal.raw", 76 * 21 * 4},   {"WidePressed.raw", 76 * 21 * 4},
        {"SetupNormal.raw", 61 * 21 * 4},  {"SetupPressed.raw", 61 * 21 * 4},
        {"CopyNormal.raw", 15 * 21 * 4},   {"CopyPressed.raw", 15 * 21 * 4},
        {"HelpNormal.raw", 24 * 21 * 4},   {"HelpPressed.raw", 24 * 21 * 4},
        {"SmallNormal.raw", 36 * 21 * 4},  {"SmallPressed.raw", 36 * 21 * 4},
    };
    for (const SkinFile& f : raws) EXPECT_EQ(f.bytes, ReadSkinFile(f.name).size()) << f.name;
}

TEST(CommittedSkin, BitmapsHaveTheirSizesAndFormats) {
    struct BitmapFile {
        const char* name;
        std::uint32_t width, height, bits, compression;
    };
    const BitmapFile bitmaps[] = {
        {"Background.bmp", 428, 453, 24, 0}, {"RevTimeShade.bmp", 148, 84, 8, 1},
        {"FreqShade.bmp", 148, 38, 8, 1},    {"ClipDark.bmp", 12, 9, 24, 0},
        {"ClipRed.bmp", 12, 9, 24, 0},       {"ClipBright.bmp", 12, 9, 24, 0},
        {"Marker.bmp", 7, 11, 4, 0},
    };
    for (const BitmapFile& f : bitmaps) {
        SCOPED_TRACE(f.name);
        const auto bytes = ReadSkinFile(f.name);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ('B', bytes[0]);
        EXPECT_EQ(40u, Le32(bytes, 14));
        EXPECT_EQ(f.width, Le32(bytes, 18));
        EXPECT_EQ(f.height, Le32(bytes, 22));
        EXPECT_EQ(f.bits, bytes[28] | (bytes[29] << 8));
        EXPECT_EQ(f.compression, Le32(bytes, 30));
    }
}

TEST(CommittedSkin, MarkerKeyColourIsMagentaAndCursorsAreMonochrome32) {
    const auto marker = ReadSkinFile("Marker.bmp");
    ASSERT_GE(marker.size(), 62u);
    EXPECT_EQ(0x00FF00FFu, Le32(marker, 54));  // entry 0 (B, G, R, 0): magenta
    for (const char* name : {"OpenHand.cur", "ClosedHand.cur", "LeftRight.cur", "UpDown.cur"}) {
        SCOPED_TRACE(name);
        const auto cursor = ReadSkinFile(name);
        ASSERT_EQ(22u + 40 + 8 + 256, cursor.size());
        EXPECT_EQ(2, cursor[2]);   // cursor resource
        EXPECT_EQ(32, cursor[6]);  // 32 x 32
        EXPECT_EQ(32, cursor[7]);
        EXPECT_EQ(1, cursor[22 + 14]);  // 1 bit per pixel
    }
    const auto leftRight = ReadSkinFile("LeftRight.cur");
    EXPECT_EQ(9, leftRight[10]);  // hot spot (9, 8)
    EXPECT_EQ(8, leftRight[12]);
    const auto upDown = ReadSkinFile("UpDown.cur");
    EXPECT_EQ(8, upDown[10]);  // hot spot (8, 9)
    EXPECT_EQ(9, upDown[12]);
    const auto hand = ReadSkinFile("OpenHand.cur");
    EXPECT_EQ(8, hand[10]);  // hot spot (8, 7)
    EXPECT_EQ(7, hand[12]);
}

}  // namespace
