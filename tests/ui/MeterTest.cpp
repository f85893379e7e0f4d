// "qv:Meter" in a real window: lit rows for given levels, ballistics with hold and fall, maxima
// and their reset, and the peak readout text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"

namespace {

class MeterTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The lit image's red channel tells its row; the unlit image is plain grey.
        for (int y = 0; y < 144; ++y) {
            for (int x = 0; x < 12; ++x) {
                BYTE* p = &lit_[static_cast<std::size_t>(y * 12 + x) * 4];
                p[0] = static_cast<BYTE>(y);
                p[1] = 200;
                p[2] = 10;
            }
        }
    }
    HWND Meter(DWORD style, int x = 300, int w = 12, int h = 144) {
        HWND meter = host_.Create(kMeterClass, nullptr, style, x, 20, w, h, 10600);
        SendMessageA(meter, QVM_SETIMAGES, reinterpret_cast<WPARAM>(unlit_.data()),
                     reinterpret_cast<LPARAM>(lit_.data()));
        SendMessageA(meter, QVM_SETRANGE, static_cast<WPARAM>(-600), 0);
        return meter;
    }
    static void Levels(HWND meter, int a, int b = -9999) {
        SendMessageA(meter, QVM_SETLEVELS, static_cast<WPARAM>(a), static_cast<LPARAM>(b));
    }
    // The first and last lit row in column 5, or -1 when none is lit.
    static std::pair<int, int> LitRows(HWND meter) {
        UiCapture c(meter);
        int first = -1;
        int last = -1;
        for (int y = 0; y < c.Height(); ++y) {
            if (GetGValue(c.At(5, y)) == 200) {
                if (first < 0) first = y;
                last = y;
            }
        }
        return {first, last};
    }
    static bool RowLit(HWND meter, int y) { return UiCapture(meter).At(5, y) == RGB(y, 200, 10); }

    UiTestHost host_;
    std::vector<BYTE> unlit_ = UiSolidImage(12, 144, 50, 50, 50);
    std::vector<BYTE> lit_ = UiSolidImage(12, 144, 0, 0, 0);
};

TEST_F(MeterTest, LitRowsForGivenLevels) {
    HWND meter = Meter(QVMS_VERT);
    Levels(meter, -300);
    EXPECT_EQ((std::pair<int, int>{72, 141}), LitRows(meter));
    EXPECT_TRUE(RowLit(meter, 72));
    EXPECT_EQ(RGB(50, 50, 50), UiCapture(meter).At(5, 71));
    Levels(meter, 0);
    EXPECT_EQ((std::pair<int, int>{2, 141}), LitRows(meter));
    Levels(meter, 60);  // above the maximum: all rows from 2
    EXPECT_EQ((std::pair<int, int>{2, 141}), LitRows(meter));
    Levels(meter, -9999);
    EXPECT_EQ((std::pair<int, int>{-1, -1}), LitRows(meter));
    EXPECT_EQ(RGB(50, 50, 50), UiCapture(meter).At(5, 141));
}

TEST_F(MeterTest, InvertedAndHorizontalMeters) {
    HWND inverted = Meter(QVMS_VERT | QVMS_INVERT);
    Levels(inverted, -600);
    EXPECT_EQ((std::pair<int, int>{2, 141}), LitRows(inverted));
    Levels(inverted, -300);
    EXPECT_EQ((std::pair<int, int>{72, 141}), LitRows(inverted));
    Levels(inverted, 0);
    EXPECT_EQ((std::pair<int, int>{-1, -1}), LitRows(inverted));

    HWND across = Meter(0, 100, 144, 12);
    SendMessageA(across, QVM_SETIMAGES, reinterpret_cast<WPARAM>(unlit_.data()),
                 reinterpret_cast<LPARAM>(unlit_.data()));
    std::vector<BYTE> litAcross = UiSolidImage(144, 12, 0, 200, 10);
    SendMessageA(across, QVM_SETIMAGES, reinterpret_cast<WPARAM>(unlit_.data()),
                 reinterpret_cast<LPARAM>(litAcross.data()));
    Levels(across, -300);  // p = 70 of 140: columns 0 to 71
    UiCapture c(across);
    EXPECT_EQ(RGB(0, 200, 10), c.At(0, 5));
    EXPECT_EQ(RGB(0, 200, 10), c.At(71, 5));
    EXPECT_EQ(RGB(50, 50, 50), c.At(72, 5));
}

TEST_F(MeterTest, WithoutImagesNothingIsComposited) {
    HWND meter = host_.Create(kMeterClass, nullptr, QVMS_VERT, 300, 20, 12, 144, 10601);
    Levels(meter, 0);
    UiCapture c(meter);
    EXPECT_NE(RGB(0, 200, 10), c.At(5, 50));
    EXPECT_EQ(0, GetGValue(c.At(5, 50)) == 200);
}

TEST_F(MeterTest, BallisticsFallHoldAndCatch) {
    HWND meter = Meter(QVMS_VERT | QVMS_BALLISTICS);
    Levels(meter, -100);
    Levels(meter, -9999);
    int hold = 0;
    SendMessageA(meter, QVM_GETHOLD, reinterpret_cast<WPARAM>(&hold), 0);
    EXPECT_EQ(-100, hold);
    // Bar at -120: 140 - floor(480 x 140 / 600 + 0.5) = 28, lit from row 30. Hold at -100:
    // 140 - 117 = 23, a line at rows 25 and 26.
    EXPECT_TRUE(RowLit(meter, 25));
    EXPECT_TRUE(RowLit(meter, 26));
    EXPECT_FALSE(RowLit(meter, 24));
    EXPECT_FALSE(RowLit(meter, 27));
    EXPECT_FALSE(RowLit(meter, 29));
    EXPECT_TRUE(RowLit(meter, 30));
    for (int i = 0; i < 29; ++i) Levels(meter, -9999);
    SendMessageA(meter, QVM_GETHOLD, reinterpret_cast<WPARAM>(&hold), 0);
    EXPECT_EQ(-100, hold);  // 30 updates after the peak
    Levels(meter, -9999);
    SendMessageA(meter, QVM_GETHOLD, reinterpret_cast<WPARAM>(&hold), 0);
    EXPECT_EQ(-130, hold);
    Levels(meter, -9999);
    int holdB = 0;
    SendMessageA(meter, QVM_GETHOLD, reinterpret_cast<WPARAM>(&hold),
                 reinterpret_cast<LPARAM>(&holdB));
    EXPECT_EQ(-160, hold);
    EXPECT_EQ(-9999, holdB);  // silence on B: its hold falls below and is caught at once
    SendMessageA(meter, QVM_SETDECAY, 50, 0);
    Levels(meter, -200);
    int maxA = 0;
    SendMessageA(meter, QVM_GETMAX, reinterpret_cast<WPARAM>(&maxA), 0);
    EXPECT_EQ(-100, maxA);
    SendMessageA(meter, QVM_GETHOLD, reinterpret_cast<WPARAM>(&hold), 0);
    EXPECT_EQ(-190, hold);  // fell by 30
}

TEST_F(MeterTest, MaximaResetAndNullPointers) {
    HWND meter = Meter(QVMS_VERT | QVMS_BALLISTICS);
    Levels(meter, -250, -50);
    Levels(meter, -300, -400);
    int b = 0;
    SendMessageA(meter, QVM_GETMAX, 0, reinterpret_cast<LPARAM>(&b));  // only B is written
    EXPECT_EQ(-50, b);
    int a = 1;
    SendMessageA(meter, QVM_GETMAX, reinterpret_cast<WPARAM>(&a), 0);
    EXPECT_EQ(-250, a);
    SendMessageA(meter, QVM_GETMAX, 0, 0);
    SendMessageA(meter, QVM_RESETMAX, 0, 0);
    SendMessageA(meter, QVM_GETMAX, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(-9999, a);
    EXPECT_EQ(-9999, b);
    // The meter ignores the mouse and sends nothing.
    UiMouse(meter, WM_LBUTTONDOWN, 3, 3);
    UiMouse(meter, WM_LBUTTONUP, 3, 3);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(host_.Take().empty());
}

TEST(FormatMeterPeakText, SpacesSizedWithTheFont) {
    UiTestHost host;
    HWND readout = host.Create(kStaticTextClass, "", 0, 10, 10, 52, 11, 10602);
    HFONT font = CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HDC dc = GetDC(readout);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE inf = {0, 0};
    SIZE zero = {0, 0};
    SIZE longer = {0, 0};
    GetTextExtentPoint32A(dc, "-Inf", 4, &inf);
    GetTextExtentPoint32A(dc, "0.0", 3, &zero);
    GetTextExtentPoint32A(dc, "-35.5", 5, &longer);
    SelectObject(dc, previous);
    ReleaseDC(readout, dc);

    char text[kMeterPeakTextSize];
    FormatMeterPeakText(readout, font, text, -9999, 0);
    const int gap = std::max<int>(1, (47 - inf.cx - zero.cx) / 3);
    EXPECT_EQ("-Inf" + std::string(static_cast<std::size_t>(gap), ' ') + "0.0", std::string(text));
    FormatMeterPeakText(readout, font, text, -355, -355);
    const int tight = std::max<int>(1, (47 - 2 * longer.cx) / 3);
    EXPECT_EQ("-35.5" + std::string(static_cast<std::size_t>(tight), ' ') + "-35.5",
              std::string(text));
    FormatMeterPeakText(readout, font, text, 2147483647, -2147483647);
    EXPECT_LT(std::strlen(text), static_cast<std::size_t>(kMeterPeakTextSize));
    DeleteObject(font);
}

}  // namespace
