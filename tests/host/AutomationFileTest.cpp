// The automation script reader: labels and indexes, times and values, comments and blank
// lines, every kind of malformed line with its number, files, and the hand-over to the
// automation object.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "engine/StandaloneReverb.h"
#include "host/AutomationFile.h"
#include "host/MediaParams.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

TEST(AutomationFile, ReadsLabelsIndexesTimesValuesAndCurves) {
    const char* text =
        "# a comment line\n"
        "\n"
        "Decay 0 8 0 0.4975 linear\n"
        "  room   SIZE\t2 4.5 0.2 0.9 Sine   # trailing comment\r\n"
        "16 5 6 1 1 jump\n"
        "e.r. mute 0.0000001 1e1 0 0.5 INVSQUARE\n"
        "low cut 1 1 0.25 0.25 square";  // no newline at the end
    AutomationScript script;
    std::string error = "unchanged";
    ASSERT_TRUE(ParseAutomation(text, &script, &error)) << error;
    EXPECT_EQ("", error);
    EXPECT_EQ(5u, script.SegmentCount());

    ASSERT_EQ(1u, script.segments[Param::kDecay].size());
    const MP_ENVELOPE_SEGMENT& decay = script.segments[Param::kDecay][0];
    EXPECT_EQ(0, decay.rtStart);
    EXPECT_EQ(8 * kSecond, decay.rtEnd);
    EXPECT_EQ(0.0f, decay.valStart);
    EXPECT_EQ(0.4975f, decay.valEnd);
    EXPECT_EQ(MP_CURVE_LINEAR, decay.iCurve);
    EXPECT_EQ(0u, decay.flags);

    const MP_ENVELOPE_SEGMENT& room = script.segments[Param::kRoomSize][0];
    EXPECT_EQ(2 * kSecond, room.rtStart);
    EXPECT_EQ(45000000, room.rtEnd);
    EXPECT_EQ(MP_CURVE_SINE, room.iCurve);

    ASSERT_EQ(2u, script.segments[Param::kERMute].size());
    EXPECT_EQ(MP_CURVE_JUMP, script.segments[Param::kERMute][0].iCurve);
    EXPECT_EQ(1, script.segments[Param::kERMute][1].rtStart);  // 100 ns
    EXPECT_EQ(10 * kSecond, script.segments[Param::kERMute][1].rtEnd);
    EXPECT_EQ(MP_CURVE_INVSQUARE, script.segments[Param::kERMute][1].iCurve);
    EXPECT_EQ(MP_CURVE_SQUARE, script.segments[Param::kLowCut][0].iCurve);
}

TEST(AutomationFile, EveryLabelOfTheTableIsKnown) {
    for (int i = 0; i < kParamCount; ++i) {
        const std::string line = std::string(kParameters[i].label) + " 0 1 0 1 linear\n";
        AutomationScript script;
        std::string error;
        ASSERT_TRUE(ParseAutomation(line, &script, &error)) << kParameters[i].label << error;
        EXPECT_EQ(1u, script.segments[i].size()) << kParameters[i].label;
    }
}

TEST(AutomationFile, MalformedLinesAreReportedWithTheirNumber) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"Decy 0 1 0 1 linear", "line 3: unknown parameter \"Decy\""},
        {"Room 0 1 0 1 linear", "line 3: unknown parameter \"Room\""},
        {"18 0 1 0 1 linear", "line 3: parameter index 18 is outside 0 to 17"},
        {"-1 0 1 0 1 linear", "line 3: parameter index -1 is outside 0 to 17"},
        {"Decay 0 1 0 1", "line 3: expected PARAMETER START END FROM TO CURVE, found 5 fields"},
        {"Decay", "line 3: expected PARAMETER START END FROM TO CURVE, found 1 field"},
        {"Decay zero 1 0 1 linear", "line 3: start time \"zero\" is not a number"},
        {"Decay 0 1s 0 1 linear", "line 3: end time \"1s\" is not a number"},
        {"Decay 0 1 0,5 1 linear", "line 3: start value \"0,5\" is not a number"},
        {"Decay 0 1 0 nan linear", "line 3: end value \"nan\" is not a number"},
        {"Decay -1 1 0 1 linear", "line 3: start time -1 is outside 0 to 1000000000 seconds"},
        {"Decay 0 2e9 0 1 linear", "line 3: end time 2e9 is outside 0 to 1000000000 seconds"},
        {"Decay 2 1 0 1 linear", "line 3: end time 1 is before start time 2"},
        {"Decay 0 1 1.5 1 linear", "line 3: start value 1.5 is outside 0 to 1"},
        {"Decay 0 1 0 -0.1 linear", "line 3: end value -0.1 is outside 0 to 1"},
        {"Decay 0 1 0 1 lin",
         "line 3: unknown curve \"lin\" (expected jump, linear, square, "
         "invsquare or sine)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text = std::string("# header\nDecay 0 1 0 1 jump\n") + c.line + "\n";
        AutomationScript script;
        std::string error;
        EXPECT_FALSE(ParseAutomation(text, &script, &error));
        EXPECT_EQ(c.error, error);
        EXPECT_EQ(0u, script.SegmentCount());  // nothing of the file is used
    }
}

TEST(AutomationFile, FilesNameThemselvesInTheirErrors) {
    AutomationScript script;
    std::string error;
    EXPECT_FALSE(ReadAutomationFile("no-such-automation.txt", &script, &error));
    EXPECT_EQ("no-such-automation.txt: cannot read the file", error);

    const char* path = "automation-file-test.txt";
    {
        std::ofstream file(path, std::ios::binary);
        file << "Decay 0 1 0 1 linear\n\nWidth 0 1 0 2 linear\n";
    }
    EXPECT_FALSE(ReadAutomationFile(path, &script, &error));
    EXPECT_EQ("automation-file-test.txt:3: end value 2 is outside 0 to 1", error);
    {
        std::ofstream file(path, std::ios::binary);
        file << "Width 0 1 0 1 linear\r\n";
    }
    EXPECT_TRUE(ReadAutomationFile(path, &script, &error)) << error;
    EXPECT_EQ(1u, script.segments[Param::kWidth].size());
    std::remove(path);
}

TEST(AutomationFile, TheScriptReachesTheEnvelopesSnapped) {
    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status, &CMediaParams::Create);
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    params->SetSampleRate(48000);
    AutomationScript script;
    std::string error;
    ASSERT_TRUE(
        ParseAutomation("Decay 0.10001 1 0 1 linear\nWidth 0 1 0.5 0.5 jump\n"
                        "Decay 2 3 1 0 sine\n",
                        &script, &error));
    EXPECT_EQ(S_OK, ApplyAutomation(params, &script));
    EXPECT_EQ(1000000, script.segments[Param::kDecay][0].rtStart);  // snapped, written back
    const auto decay = params->Envelope(Param::kDecay).Segments();
    ASSERT_EQ(2u, decay.size());
    EXPECT_EQ(1000000, decay[0].rtStart);
    EXPECT_EQ(MP_CURVE_SINE, decay[1].iCurve);
    EXPECT_EQ(1u, params->Envelope(Param::kWidth).SegmentCount());
    EXPECT_EQ(0u, params->Envelope(Param::kInput).SegmentCount());
    EXPECT_EQ(E_POINTER, ApplyAutomation(nullptr, &script));
    engine->Release();
}

}  // namespace
