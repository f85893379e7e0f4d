// The toolkit's portable laws where the controls' pictures and gestures under Wine do not reach:
// wheel speeds, packing, ticks, axes' ends, meter numbers, typed values, run-length decoding.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ui/controls/InputLaws.h"
#include "ui/controls/LogAxis.h"
#include "ui/controls/MeterModel.h"
#include "ui/controls/ParseTenths.h"
#include "ui/controls/SkinPixels.h"
#include "ui/controls/SliderGeometry.h"

namespace {

TEST(ControlLaws, WheelPackingTicksAxesMeterNumbersAndTypedValues) {
    EXPECT_EQ((std::vector<int>{5, 2, 1, 20, -10, 1}),
              (std::vector<int>{WheelChange(120, 100), WheelChange(120, 250), WheelChange(120, 501),
                                WheelChange(240, 100), UnpackFieldDelta(0xFFF62710u),
                                PeakTextGap(30, 30)}));       // a readout's gap is at least 1
    EXPECT_EQ(0x11700001u, PackFieldAdjust(0x10001, 70000));  // both truncated to 16 bits
    SliderTick ticks[64];
    EXPECT_EQ((std::vector<std::size_t>{1, 0, 0, 4}),
              (std::vector<std::size_t>{
                  SliderTicks(5, 5, 10, 0, ticks, 64), SliderTicks(0, 100, 0, 0, ticks, 64),
                  SliderTicks(0, 100, -5, 0, ticks, 64), SliderTicks(0, 1000, 1, 0, ticks, 4)}));
    const LogAxis freq = MakeLogAxis(19.0, 22100.0), time = MakeLogAxis(60.0, 40000.0);
    EXPECT_EQ((std::vector<int>{19, 22100, 60, 40000, 140}),
              (std::vector<int>{AxisValue(freq, 2, 2, 150), AxisValue(freq, 152, 2, 150),
                                AxisValueUp(time, 86, 86, 82), AxisValueUp(time, 4, 86, 82),
                                MeterLitStart(5, 3, 3, 140, true)}));  // a range of 0 lights none
    std::vector<std::string> readouts;
    for (const int level : {-1000, -999, -35, 0, -5, INT32_MAX}) {
        char out[16];
        FormatPeakLevel(level, out, sizeof(out));
        readouts.push_back(out);
    }
    EXPECT_EQ((std::vector<std::string>{"-Inf", "-99.9", "-3.5", "0.0", "-0.5", "214748364.7"}),
              readouts);
    const char* const texts[] = {"12.34", "-0.5", ".5", " 7", "3.",         "abc",          "",
                                 "-Inf.", "--5",  "+5", "x7", "\t-36.1 dB", "99999999999.9"};
    const int tenths[] = {123, -5, 5, 70, 30, 0, 0, 0, 0, 0, 0, -361, INT32_MAX};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(tenths[i], ParseTenths(texts[i], 1)) << texts[i];
    EXPECT_EQ((std::vector<int>{0, -1205}),
              (std::vector<int>{ParseTenths(nullptr, 1), ParseTenths("-12.05", 2)}));
}

TEST(ControlLaws, RunLengthDecoding) {
    using Bytes = std::vector<std::uint8_t>;
    // Data; width, height and bytes read; the pixels in rows of Rle8Stride bytes.
    const std::tuple<Bytes, std::vector<int>, Bytes> cases[] = {
        // a delta leaves the pixels it skips alone
        {{2, 1, 0, 2, 2, 1, 2, 5, 0, 1},
         {6, 2, 10},
         {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 0, 0}},
        // nothing after the last row's end of line, nor past the buffer
        {{4, 1, 0, 0, 4, 2, 0, 0, 4, 3}, {4, 2, 8}, {1, 1, 1, 1, 2, 2, 2, 2}},
        {{200, 6, 0, 9, 1}, {4, 1, 5}, {6, 6, 6, 6}}};
    for (const auto& [data, shape, expected] : cases) {
        Bytes out(expected.size(), 0);
        EXPECT_EQ(std::size_t(shape[2]),
                  DecodeRle8(data.data(), data.size(), shape[0], shape[1], out.data()));
        EXPECT_EQ(expected, out);
    }
    // Nothing is composited without an image or an area; an image width of 0 is the area's.
    Bytes pixels(16, 9);
    CompositeSkinImage(pixels.data(), 2, 2, nullptr, 255, 0, 0);
    CompositeSkinImage(pixels.data(), 0, 2, pixels.data(), 255, 0, 0);
    CompositeSkinImageRect(pixels.data(), 1, 1, Bytes({1, 0, 0, 0, 2, 0, 0, 0}).data(), 0, 0, 1);
    EXPECT_EQ(Bytes({0, 0, 2, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}), pixels);
}

}  // namespace
