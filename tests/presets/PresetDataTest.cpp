// Data lines: made from the engine, parsed as the "%d,...,%d" scan does, and applied to the
// engine as one undoable step of user changes.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>

#include "presets/PresetData.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

constexpr char kPlate[] = "-20,120,95,25,70,90,12,700,28,80,-15,-60,-80,150,0,0,1,0";

std::string DataLine(IHqPlugInProp* engine) {
    return std::unique_ptr<char[]>(NewDataLine(engine)).get();
}

TEST(DataLine, IsTheEighteenValuesInTableOrderAndParsesAsTheScanDoes) {
    EngineHarness engine;
    EXPECT_EQ(kDefaultDataLine, DataLine(engine.Get()));
    // The widest line needs 216 bytes with its NUL; a buffer too small is reported.
    int widest[kParamCount];
    for (int& v : widest) v = INT_MIN;
    char text[kDataLineSize];
    EXPECT_TRUE(FormatDataLine(widest, text, 216));
    EXPECT_FALSE(FormatDataLine(widest, text, 215));

    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    // clang-format off
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"1,2,3", {1, 2, 3}}, {"", {}}, {nullptr, {}}, {"x,1", {}}, {"1,x,3", {1}}, {"1 ,2", {1}},
        {"1,,3", {1}}, {" 1,\t-2, +3", {1, -2, 3}}, {"7;8", {7}},
        {"99999999999,-99999999999", {INT_MAX, INT_MIN}},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19", all},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18garbage", all}};
    // clang-format on
    for (const auto& [line, expected] : cases) {
        int values[kParamCount] = {};
        EXPECT_EQ(expected, std::vector<int>(values, values + ParseDataLine(line, values)))
            << (line != nullptr ? line : "null");
    }
}

TEST(ApplyPreset, SetsTheStatedValuesClampedAndSwitchesTailOn) {
    const std::string v1 = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,2,0,0,0,0";
    // The data line and its version, the values applied, the engine's data line afterwards.
    // clang-format off
    const std::tuple<std::string, int, int, std::string> cases[] = {
        {kPlate, 3, 18, kPlate}, {v1, 1, 18, kDefaultDataLine}, {v1, 2, 18, v1}, {v1, 3, 18, v1},
        {"0,75,40,0,50,100,10,500,15,40,0,-35,-120,5", 1, 14,
         "0,75,40,0,50,100,10,500,15,40,0,-35,-120,200,0,0,0,0"},
        {"-20,120,95,oops,70", 3, 3, "-20,120,95,0,50,100,10,500,15,40,0,-35,-120,100,0,0,0,0"},
        {"", 3, 0, kDefaultDataLine},
        {"999,0,900,-5,0,101,1,9999,500,300,-999,61,-362,201,2,-1,7,1", 3, 18,
         "60,19,221,0,1,100,2,2000,200,221,-361,60,-361,200,1,0,1,1"}};
    // clang-format on
    for (const auto& [data, version, count, line] : cases) {
        EngineHarness engine;
        int applied = -1;
        EXPECT_EQ(count == kParamCount ? S_OK : S_FALSE,
                  ApplyPresetData(engine.Get(), data.c_str(), version, &applied));
        EXPECT_EQ(count, applied) << data;
        EXPECT_EQ(line, DataLine(engine.Get())) << data << " version " << version;
        EXPECT_EQ(1, engine.Words()[SetupWord::kTail] & engine.Words()[SetupWord::kStereo]);
    }

    int applied = -1;
    EXPECT_EQ(E_POINTER, ApplyPresetData(nullptr, kPlate, 3, &applied));
    EXPECT_EQ(0, applied);
    EXPECT_EQ(E_POINTER, ApplyPresetData(EngineHarness().Get(), nullptr, 3));
}

TEST(ApplyPreset, IsOneUndoableStepOfUserChanges) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    engine->SetDecay(77, FALSE);
    engine->SetInputMute(1, FALSE);
    const std::vector<int> before = engine.Words();
    FakeAutomation::Last()->TakeLog();
    ASSERT_EQ(S_FALSE, ApplyPresetData(engine.Get(), "-20,120", 3));
    Strings log = FakeAutomation::Last()->TakeLog();
    for (std::string& entry : log) entry = entry.substr(0, entry.find(' ', entry.find(' ') + 1));
    EXPECT_EQ((Strings{"SetParam 0", "Begin 0", "Changed 0", "SetParam 1", "End 0", "Begin 1",
                       "Changed 1"}),
              log);
    engine->Undo();
    EXPECT_EQ(before, engine.Words());
    engine->Undo();  // undo is its own redo
    EXPECT_EQ("-20,120,40,0,50,100,10,500,77,40,0,-35,-120,100,1,0,0,0", DataLine(engine.Get()));
}

}  // namespace
