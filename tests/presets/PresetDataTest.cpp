// Data lines: made from the engine, parsed as the "%d,...,%d" scan does, and applied to the
// engine as one undoable step (version-1 width, short and damaged lines, clamping, Tail on).
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "presets/PresetData.h"
#include "tests/presets/PresetTestSupport.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

std::vector<int> Values(IHqPlugInProp* engine) {
    std::vector<int> values(kParamCount);
    EXPECT_EQ(S_OK, ReadPresetValues(engine, values.data()));
    return values;
}

int Tail(IHqPlugInProp* engine) {
    int tail = -1;
    engine->GetTail(&tail);
    return tail;
}

constexpr char kPlate[] = "-20,120,95,25,70,90,12,700,28,80,-15,-60,-80,150,0,0,1,0";
const std::vector<int> kPlateValues = {-20, 120, 95,  25,  70,  90, 12, 700, 28,
                                       80,  -15, -60, -80, 150, 0,  0,  1,   0};

TEST(DataLine, IsTheEighteenValuesInTableOrder) {
    EngineHarness engine;
    int values[kParamCount];
    ASSERT_EQ(S_OK, ReadPresetValues(engine.Get(), values));
    char text[kDataLineSize];
    ASSERT_TRUE(FormatDataLine(values, text, sizeof text));
    EXPECT_STREQ(kDefaultDataLine, text);

    std::unique_ptr<char[]> line(NewDataLine(engine.Get()));
    ASSERT_NE(nullptr, line);
    EXPECT_STREQ(kDefaultDataLine, line.get());
    EXPECT_EQ(nullptr, NewDataLine(nullptr));
    EXPECT_EQ(E_POINTER, ReadPresetValues(nullptr, values));

    // The widest possible line fits the page's buffer; a smaller buffer is reported.
    int extremes[kParamCount];
    for (int& v : extremes) v = INT_MIN;
    EXPECT_TRUE(FormatDataLine(extremes, text, sizeof text));
    EXPECT_EQ(18u * 11u + 17u, std::string(text).size());
    char small[20];
    EXPECT_FALSE(FormatDataLine(kPlateValues.data(), small, sizeof small));
}

TEST(DataLine, ParsesTheLeadingWellFormedValues) {
    struct Case {
        const char* text;
        std::vector<int> values;
    };
    const Case cases[] = {
        {kPlate, kPlateValues},
        {"1,2,3", {1, 2, 3}},
        {"", {}},
        {"x,1", {}},
        {"1,x,3", {1}},
        {"1 ,2", {1}},
        {"1,,3", {1}},
        {" 1,\t-2, +3", {1, -2, 3}},
        {"7;8", {7}},
        {"99999999999,-99999999999", {INT_MAX, INT_MIN}},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18garbage",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
    };
    for (const Case& c : cases) {
        int values[kParamCount] = {};
        const int count = ParseDataLine(c.text, values);
        EXPECT_EQ(c.values, std::vector<int>(values, values + count)) << c.text;
    }
    int values[kParamCount];
    EXPECT_EQ(0, ParseDataLine(nullptr, values));
}

TEST(ApplyPreset, SetsEveryParameterAndSwitchesTailOn) {
    EngineHarness engine;
    ASSERT_EQ(0, Tail(engine.Get()));
    int applied = -1;
    EXPECT_EQ(S_OK, ApplyPresetData(engine.Get(), kPlate, 3, &applied));
    EXPECT_EQ(kParamCount, applied);
    EXPECT_EQ(kPlateValues, Values(engine.Get()));
    EXPECT_EQ(1, Tail(engine.Get()));
    int stereo = -1;
    engine->GetStereo(&stereo);
    EXPECT_EQ(1, stereo);
}

TEST(ApplyPreset, OneUndoRestoresEverythingFromBefore) {
    EngineHarness engine;
    engine->SetDecay(77, FALSE);
    engine->SetInputMute(1, FALSE);
    SetupBlock before;
    engine->GetAllParams(&before);

    ASSERT_EQ(S_OK, ApplyPresetData(engine.Get(), kPlate, 3));
    engine->Undo();
    SetupBlock after;
    engine->GetAllParams(&after);
    for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(before.words[w], after.words[w]) << w;
    engine->Undo();  // undo is its own redo
    EXPECT_EQ(kPlateValues, Values(engine.Get()));
}

TEST(ApplyPreset, VersionOneWidthIsInFiftieths) {
    const std::string line = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,2,0,0,0,0";
    struct Case {
        int version;
        int width;
    };
    for (const Case c : {Case{1, 100}, Case{2, 2}, Case{3, 2}}) {
        EngineHarness engine;
        ASSERT_EQ(S_OK, ApplyPresetData(engine.Get(), line.c_str(), c.version));
        EXPECT_EQ(c.width, Values(engine.Get())[Param::kWidth]) << c.version;
    }
    EngineHarness engine;  // 5 x 50 is beyond the range: clamped like any value
    ApplyPresetData(engine.Get(), "0,75,40,0,50,100,10,500,15,40,0,-35,-120,5", 1);
    EXPECT_EQ(200, Values(engine.Get())[Param::kWidth]);
}

TEST(ApplyPreset, AShortOrDamagedLineLeavesTheRestUnchanged) {
    EngineHarness engine;
    const std::vector<int> defaults = Values(engine.Get());
    int applied = -1;
    EXPECT_EQ(S_FALSE, ApplyPresetData(engine.Get(), "-20,120,95,oops,70", 3, &applied));
    EXPECT_EQ(3, applied);
    std::vector<int> expected = defaults;
    expected[0] = -20;
    expected[1] = 120;
    expected[2] = 95;
    EXPECT_EQ(expected, Values(engine.Get()));
    EXPECT_EQ(1, Tail(engine.Get()));

    EXPECT_EQ(S_FALSE, ApplyPresetData(engine.Get(), "", 3, &applied));
    EXPECT_EQ(0, applied);
    EXPECT_EQ(expected, Values(engine.Get()));
    engine->Undo();  // the snapshot was still taken: Undo is a no-op change here
    EXPECT_EQ(expected, Values(engine.Get()));
}

TEST(ApplyPreset, TheEngineClampsOutOfRangeValues) {
    EngineHarness engine;
    EXPECT_EQ(S_OK,
              ApplyPresetData(engine.Get(),
                              "999,0,900,-5,0,101,1,9999,500,300,-999,61,-362,201,2,-1,7,1", 3));
    EXPECT_EQ((std::vector<int>{60, 19, 221, 0, 1, 100, 2, 2000, 200, 221, -361, 60, -361, 200, 1,
                                0, 1, 1}),
              Values(engine.Get()));
}

TEST(ApplyPreset, EachValueIsReportedAsAUserChange) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    automation->TakeLog();
    ApplyPresetData(engine.Get(), "-20,120", 3);
    const std::vector<std::string> log = automation->TakeLog();
    ASSERT_EQ(7u, log.size());
    EXPECT_EQ("SetParam 0", log[0].substr(0, 10));
    EXPECT_EQ("Begin 0", log[1]);
    EXPECT_EQ("Changed 0", log[2].substr(0, 9));
    EXPECT_EQ("SetParam 1", log[3].substr(0, 10));
    EXPECT_EQ("End 0", log[4]);
    EXPECT_EQ("Begin 1", log[5]);
    EXPECT_EQ("Changed 1", log[6].substr(0, 9));
}

TEST(ApplyPreset, NullArgumentsTouchNothing) {
    EngineHarness engine;
    int applied = -1;
    EXPECT_EQ(E_POINTER, ApplyPresetData(nullptr, kPlate, 3, &applied));
    EXPECT_EQ(0, applied);
    EXPECT_EQ(E_POINTER, ApplyPresetData(engine.Get(), nullptr, 3));
    EXPECT_EQ(0, Tail(engine.Get()));
}

}  // namespace
