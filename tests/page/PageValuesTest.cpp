// Keys, typed text and drags reach the engine, a gesture per undo step; automation from a host
// thread comes back as texts and positions.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/ParameterTable.h"
#include "tests/page/PageTestSupport.h"
#include "tests/support/UiTestHost.h"
#include "ui/controls/SkinControls.h"

namespace {

using PageValues = PageTest;

constexpr int kUndo = 20011;

// The top-left corners of the handles a display shows, left to right: 7 x 7 grey squares, a
// dark outline around a light inside (the display's shading darkens both).
std::vector<POINT> FindHandles(HWND display) {
    const UiCapture capture(display);
    auto grey = [&](int x, int y, bool light) {
        const COLORREF c = capture.At(x, y);
        const int v = GetRValue(c);
        return v == GetGValue(c) && v == GetBValue(c) && (light ? v >= 200 : v <= 110);
    };
    std::vector<POINT> handles;
    for (int x = 0; x + 6 < capture.Width(); ++x) {
        for (int y = 0; y + 6 < capture.Height(); ++y) {
            if (grey(x, y, false) && grey(x + 6, y + 6, false) && grey(x + 1, y + 1, true) &&
                grey(x + 3, y + 3, true)) {
                handles.push_back({x, y});
            }
        }
    }
    return handles;
}

TEST_F(PageValues, EndAndHomeInEveryFieldSetItsParameterAndSlider) {
    const int kFields[][3] = {// field, parameter, slider
                              {10000, Param::kInput, 10001},    {10005, Param::kLowCut, 0},
                              {10006, Param::kHighCut, 0},      {10008, Param::kPredelay, 10009},
                              {10010, Param::kRoomSize, 10011}, {10012, Param::kDiffusion, 10013},
                              {10014, Param::kBassMult, 0},     {10016, Param::kCrossover, 0},
                              {10018, Param::kDecay, 0},        {10020, Param::kHighDamping, 0},
                              {10022, Param::kDry, 10023},      {10025, Param::kER, 10026},
                              {10028, Param::kReverb, 10029},   {10031, Param::kWidth, 0}};
    for (const auto& [field, param, slider] : kFields) {
        SCOPED_TRACE(testing::Message() << "field " << field);
        for (const auto& [key, value] : {std::pair{VK_END, kParameters[param].maximum},
                                         std::pair{VK_HOME, kParameters[param].minimum}}) {
            SendMessageA(Item(field), WM_KEYDOWN, key, 1);
            Pump();
            EXPECT_EQ(value, Param(param));
            EXPECT_TRUE(slider == 0 || value == SendMessageA(Item(slider), QVS_GETPOS, 0, 0));
        }
    }
}

TEST_F(PageValues, AutomationFromAHostThreadShowsInTextsAndControls) {
    ComPtr<IMediaParams> automation;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IMediaParams, automation.PutVoid()));
    std::atomic<bool> stop{false};
    // Meanwhile a control surface keeps moving Width, on a thread of its own.
    std::thread surface([&] {
        for (int i = 0; !stop; ++i) automation->SetParam(Param::kWidth, (i % 100) / 100.0f);
    });
    const struct {
        int param, value, field;
        const char* text;
    } kCases[] = {{Param::kInput, -360, 10000, "-36.0"}, {Param::kLowCut, 19, 10005, "OFF"},
                  {Param::kLowCut, 20, 10005, "20"},     {Param::kHighCut, 221, 10006, "OFF"},
                  {Param::kHighCut, 220, 10006, "22.0"}, {Param::kPredelay, 35, 10008, "35"},
                  {Param::kRoomSize, 80, 10010, "80"},   {Param::kDiffusion, 60, 10012, "60"},
                  {Param::kBassMult, 12, 10014, "1.2"},  {Param::kCrossover, 450, 10016, "450"},
                  {Param::kDecay, 23, 10018, "2.3"},     {Param::kHighDamping, 5, 10020, "0.5"},
                  {Param::kDry, -361, 10022, "-Inf."},   {Param::kER, -35, 10025, "-3.5"},
                  {Param::kReverb, 60, 10028, "6.0"},    {Param::kERMute, 1, 0, nullptr}};
    for (const auto& c : kCases) {
        const ParameterDef& def = kParameters[c.param];
        std::thread host(
            [&] { automation->SetParam(c.param, float(c.value - def.minimum) / def.Span()); });
        host.join();
        Ticks(2);
        if (c.text != nullptr) {
            EXPECT_EQ(c.text, Text(c.field)) << c.text;
        }
    }
    stop = true;
    surface.join();
    EXPECT_EQ(80, SendMessageA(Item(10011), QVS_GETPOS, 0, 0));
    EXPECT_EQ(60, SendMessageA(Item(10029), QVS_GETPOS, 0, 0));
    EXPECT_EQ(1, SendMessageA(Item(10027), QVB_GETCHECK, 0, 0));
}

TEST_F(PageValues, TypedEntriesAreReadInEachFieldsForm) {
    const struct {
        int field;
        const char* typed;
        int param, value;
        const char* shown;
    } kCases[] = {
        {10028, "-INF.", Param::kReverb, -361, "-Inf."},
        {10018, "slow", Param::kDecay, 1, "0.1"},  // no number: 0, which the engine clamps
        {10018, "2.57", Param::kDecay, 25, "2.5"},
        {10000, " -12.34 dB", Param::kInput, -123, "-12.3"},
        {10005, "100.9", Param::kLowCut, 100, "100"},
        {10010, "99999999999999", Param::kRoomSize, 100, "100"},
        {10008, "-5", Param::kPredelay, 0, "0"},
        {10006, "8", Param::kHighCut, 80, "8.0"},
    };
    for (const auto& c : kCases) {
        TypeInto(c.field, c.typed);
        EXPECT_EQ(c.value, Param(c.param)) << c.typed;
        EXPECT_EQ(c.shown, Text(c.field)) << c.typed;
    }
    Click(kUndo);
    EXPECT_EQ("4.0", Text(10006));
}

TEST_F(PageValues, DragsAreUndoneWholeAndDoubleClicksReset) {
    Drag(10011, 2, 10, 150, 10);  // the Room Size slider from end to end
    EXPECT_EQ(100, Param(Param::kRoomSize));
    EXPECT_EQ("100", Text(10010));
    Ticks(1);
    Click(kUndo);
    EXPECT_EQ(50, Param(Param::kRoomSize));
    engine_->SetRoomSize(90, TRUE);
    Click(10011, 20, 10, true);
    EXPECT_EQ(50, Param(Param::kRoomSize));
    Click(kUndo);
    EXPECT_EQ(90, Param(Param::kRoomSize));

    // The frequency display's high-cut handle to the left; a double click resets it.
    std::vector<POINT> freq = FindHandles(Item(10007));
    ASSERT_EQ(2u, freq.size());
    Drag(10007, freq[1].x + 3, freq[1].y + 3, freq[1].x - 30, freq[1].y + 3);
    Pump();
    EXPECT_LT(Param(Param::kHighCut), 40);
    EXPECT_NE("4.0", Text(10006));
    freq = FindHandles(Item(10007));
    Click(10007, freq[1].x + 3, freq[1].y + 3, true);
    Pump();
    EXPECT_EQ(40, Param(Param::kHighCut));

    // The reverb-time display's main corner moves decay and damping at once: one undo step.
    const std::vector<POINT> revTime = FindHandles(Item(10021));
    ASSERT_EQ(2u, revTime.size());
    Drag(10021, revTime[1].x + 3, revTime[1].y + 3, revTime[1].x + 3, revTime[1].y - 20);
    Pump();
    EXPECT_GT(Param(Param::kDecay), 15);
    EXPECT_EQ(
        std::to_string(Param(Param::kDecay) / 10) + "." + std::to_string(Param(Param::kDecay) % 10),
        Text(10018));
    Ticks(1);
    Click(kUndo);
    EXPECT_EQ(15, Param(Param::kDecay));
}

}  // namespace
