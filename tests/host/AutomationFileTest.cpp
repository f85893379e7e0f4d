// The automation script reader: labels, times, values and curves, every kind of malformed line
// with its number, files, and the hand-over to the automation object.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "host/AutomationFile.h"
#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

bool Same(const std::vector<MP_ENVELOPE_SEGMENT>& a, const std::vector<MP_ENVELOPE_SEGMENT>& b) {
    // An empty list's data() may be null, which memcmp may not be given even for no bytes.
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

TEST(AutomationFile, ReadsLabelsIndexesTimesValuesAndCurves) {
    const char* text =
        "# a comment line\n"
        "\n"
        "Decay 0 8 0 0.4975 linear\n"
        "  room   SIZE\t2 4.5 0.2 0.9 Sine   # trailing comment\r\n"
        "16 5 6 1 1 jump\n"
        "e.r. mute 0.0000001 1e1 0 0.5 INVSQUARE\n"
        "low cut 1 1 0.25 0.25 square";  // no newline at the end
    AutomationScript script, expected;
    std::string error = "unchanged";
    ASSERT_TRUE(ParseAutomation(text, &script, &error)) << error;
    EXPECT_EQ("", error);
    expected.segments[Param::kDecay] = {{0, 8 * kSecond, 0.0f, 0.4975f, MP_CURVE_LINEAR, 0}};
    expected.segments[Param::kRoomSize] = {{2 * kSecond, 45000000, 0.2f, 0.9f, MP_CURVE_SINE, 0}};
    expected.segments[Param::kERMute] = {
        {5 * kSecond, 6 * kSecond, 1.0f, 1.0f, MP_CURVE_JUMP, 0},
        {1, 10 * kSecond, 0.0f, 0.5f, MP_CURVE_INVSQUARE, 0}};  // 100 ns
    expected.segments[Param::kLowCut] = {{kSecond, kSecond, 0.25f, 0.25f, MP_CURVE_SQUARE, 0}};
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_TRUE(Same(expected.segments[i], script.segments[i]));
}

TEST(AutomationFile, MalformedLinesAreReportedWithTheirNumberAndNothingIsUsed) {
    const std::pair<const char*, const char*> cases[] = {
        {"Decy 0 1 0 1 linear", "unknown parameter \"Decy\""},
        {"8x 0 1 0 1 linear", "unknown parameter \"8x\""},
        {"18 0 1 0 1 linear", "parameter index 18 is outside 0 to 17"},
        {"-1 0 1 0 1 linear", "parameter index -1 is outside 0 to 17"},
        {"Decay 0 1 0 1", "expected PARAMETER START END FROM TO CURVE, found 5 fields"},
        {"Decay", "expected PARAMETER START END FROM TO CURVE, found 1 field"},
        {"Decay zero 1 0 1 linear", "start time \"zero\" is not a number"},
        {"Decay 0 1s 0 1 linear", "end time \"1s\" is not a number"},
        {"Decay 0 1 0,5 1 linear", "start value \"0,5\" is not a number"},
        {"Decay 0 1 0 nan linear", "end value \"nan\" is not a number"},
        {"Decay -1 1 0 1 linear", "start time -1 is outside 0 to 1000000000 seconds"},
        {"Decay 2e9 2e9 0 1 linear", "start time 2e9 is outside 0 to 1000000000 seconds"},
        {"Decay 0 2e9 0 1 linear", "end time 2e9 is outside 0 to 1000000000 seconds"},
        {"Decay 2 1 0 1 linear", "end time 1 is before start time 2"},
        {"Decay 0 1 1.5 1 linear", "start value 1.5 is outside 0 to 1"},
        {"Decay 0 1 0 -0.1 linear", "end value -0.1 is outside 0 to 1"},
        {"Decay 0 1 0 1 lin",
         "unknown curve \"lin\" (expected jump, linear, square, invsquare or sine)"},
    };
    for (const auto& [line, message] : cases) {
        AutomationScript script;
        std::string error;
        EXPECT_FALSE(ParseAutomation(std::string("# header\nDecay 0 1 0 1 jump\n") + line + "\n",
                                     &script, &error));
        EXPECT_EQ(std::string("line 3: ") + message, error);
        EXPECT_EQ(0u, script.SegmentCount()) << line;
    }
}

TEST(AutomationFile, FilesNameThemselvesInTheirErrorsAndReachTheEnvelopesSnapped) {
    AutomationScript script;
    std::string error;
    EXPECT_FALSE(ReadAutomationFile("no-such-automation.txt", &script, &error));
    EXPECT_EQ("no-such-automation.txt: cannot read the file", error);
    const char* path = "automation-file-test.txt";
    std::ofstream(path, std::ios::binary) << "Decay 0 1 0 1 linear\n\nWidth 0 1 0 2 linear\n";
    EXPECT_FALSE(ReadAutomationFile(path, &script, &error));
    EXPECT_EQ("automation-file-test.txt:3: end value 2 is outside 0 to 1", error);
    std::ofstream(path, std::ios::binary) << "Decay 0.10001 1 0 1 linear\r\n"
                                             "Width 0 1 0.5 0.5 jump\nDecay 2 3 1 0 sine\n";
    ASSERT_TRUE(ReadAutomationFile(path, &script, &error)) << error;
    std::remove(path);

    EngineHarness engine(44100, 2, &CMediaParams::Create);
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    params->SetSampleRate(48000);
    EXPECT_EQ(S_OK, ApplyAutomation(params, &script));
    EXPECT_EQ(1000000, script.segments[Param::kDecay][0].rtStart);  // snapped, written back
    EXPECT_TRUE(Same(script.segments[Param::kDecay], params->Envelope(Param::kDecay).Segments()));
    EXPECT_EQ(1u, params->Envelope(Param::kWidth).SegmentCount());
    EXPECT_EQ(E_POINTER, ApplyAutomation(nullptr, &script));
    params->Envelope(Param::kWidth).SetSegmentLimit(0);
    EXPECT_EQ(E_OUTOFMEMORY, ApplyAutomation(params, &script));
}

}  // namespace
