// Data lines: made from the engine, parsed as the "%d,...,%d" scan does, and applied to the
// engine as one undoable step (version-1 width, short and damaged lines, clamping, Tail on).
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "presets/PresetData.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

constexpr char kPlate[] = "-20,120,95,25,70,90,12,700,28,80,-15,-60,-80,150,0,0,1,0";

std::string DataLine(IHqPlugInProp* engine) {
    std::unique_ptr<char[]> line(NewDataLine(engine));
    return line != nullptr ? line.get() : "(none)";
}

TEST(DataLine, IsTheEighteenValuesInTableOrder) {
    EngineHarness engine;
    EXPECT_EQ(kDefaultDataLine, DataLine(engine.Get()));
    // The widest line fits the page's buffer; a buffer too small is reported.
    int values[kParamCount];
    for (int& v : values) v = INT_MIN;
    char text[kDataLineSize];
    EXPECT_TRUE(FormatDataLine(values, text, sizeof text));
    EXPECT_EQ(18u * 11u + 17u, std::string(text).size());
    EXPECT_FALSE(FormatDataLine(values, text, 20));
}

TEST(DataLine, ParsesTheLeadingWellFormedValues) {
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    // clang-format off
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"1,2,3", {1, 2, 3}}, {"", {}}, {nullptr, {}}, {"x,1", {}}, {"1,x,3", {1}}, {"1 ,2", {1}},
        {"1,,3", {1}}, {" 1,\t-2, +3", {1, -2, 3}}, {"7;8", {7}},
        {"99999999999,-99999999999", {INT_MAX, INT_MIN}},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19", all},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18garbage", all}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        int values[kParamCount] = {};
        EXPECT_EQ(expected, std::vector<int>(values, values + ParseDataLine(text, values)))
            << (text != nullptr ? text : "null");
    }
}

TEST(ApplyPreset, SetsTheStatedValuesClampedAndSwitchesTailOn) {
    const std::string v1 = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,2,0,0,0,0";
    struct Case {
        std::string data;
        int version;
        int applied;
        std::string line;  // the engine's data line afterwards
    };
    // clang-format off
    const Case cases[] = {
        {kPlate, 3, 18, kPlate}, {v1, 1, 18, kDefaultDataLine}, {v1, 2, 18, v1}, {v1, 3, 18, v1},
        {"0,75,40,0,50,100,10,500,15,40,0,-35,-120,5", 1, 14,
         "0,75,40,0,50,100,10,500,15,40,0,-35,-120,200,0,0,0,0"},
        {"-20,120,95,oops,70", 3, 3, "-20,120,95,0,50,100,10,500,15,40,0,-35,-120,100,0,0,0,0"},
        {"", 3, 0, kDefaultDataLine},
        {"999,0,900,-5,0,101,1,9999,500,300,-999,61,-362,201,2,-1,7,1", 3, 18,
         "60,19,221,0,1,100,2,2000,200,221,-361,60,-361,200,1,0,1,1"}};
    // clang-format on
    for (const Case& c : cases) {
        EngineHarness engine;
        int applied = -1, tail = -1, stereo = -1;
        EXPECT_EQ(c.applied == kParamCount ? S_OK : S_FALSE,
                  ApplyPresetData(engine.Get(), c.data.c_str(), c.version, &applied));
        EXPECT_EQ(c.applied, applied) << c.data;
        EXPECT_EQ(c.line, DataLine(engine.Get())) << c.data << " version " << c.version;
        engine->GetTail(&tail);
        engine->GetStereo(&stereo);
        EXPECT_EQ(1, tail);
        EXPECT_EQ(1, stereo);
    }

    EngineHarness engine;
    int applied = -1, tail = -1;
    EXPECT_EQ(E_POINTER, ApplyPresetData(nullptr, kPlate, 3, &applied));
    EXPECT_EQ(0, applied);
    EXPECT_EQ(E_POINTER, ApplyPresetData(engine.Get(), nullptr, 3));
    engine->GetTail(&tail);
    EXPECT_EQ(0, tail);
}

TEST(ApplyPreset, IsOneUndoableStepOfUserChanges) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    engine->SetDecay(77, FALSE);
    engine->SetInputMute(1, FALSE);
    SetupBlock before, after;
    engine->GetAllParams(&before);
    FakeAutomation::Last()->TakeLog();
    ASSERT_EQ(S_FALSE, ApplyPresetData(engine.Get(), "-20,120", 3));
    Strings log = FakeAutomation::Last()->TakeLog();
    for (std::string& entry : log) entry = entry.substr(0, entry.find(' ', entry.find(' ') + 1));
    EXPECT_EQ((Strings{"SetParam 0", "Begin 0", "Changed 0", "SetParam 1", "End 0", "Begin 1",
                       "Changed 1"}),
              log);
    engine->Undo();
    engine->GetAllParams(&after);
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
    engine->Undo();  // undo is its own redo
    EXPECT_EQ("-20,120,40,0,50,100,10,500,77,40,0,-35,-120,100,1,0,0,0", DataLine(engine.Get()));
}

}  // namespace
