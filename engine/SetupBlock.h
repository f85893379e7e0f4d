// The engine's block of twenty settings words in physical units: the live settings, setups A
// and B, the undo snapshot, the persisted state and preset data all share this layout.
#pragma once

#include <cstdint>

constexpr int kSetupWordCount = 20;

struct SetupBlock {
    std::int32_t words[kSetupWordCount];
};
static_assert(sizeof(SetupBlock) == 80, "SetupBlock is twenty 32-bit words");

// Word positions. Words 0 to 17 hold the parameters, in an order that differs from the
// parameter index order from index 11 on (see ParameterTable.h).
namespace SetupWord {
constexpr int kInput = 0;
constexpr int kLowCut = 1;
constexpr int kHighCut = 2;
constexpr int kPredelay = 3;
constexpr int kRoomSize = 4;
constexpr int kDiffusion = 5;
constexpr int kBassMult = 6;
constexpr int kCrossover = 7;
constexpr int kDecay = 8;
constexpr int kHighDamping = 9;
constexpr int kDry = 10;
constexpr int kReverb = 11;
constexpr int kInputMute = 12;
constexpr int kDryMute = 13;
constexpr int kReverbMute = 14;
constexpr int kER = 15;
constexpr int kERMute = 16;
constexpr int kWidth = 17;
constexpr int kTail = 18;
constexpr int kStereo = 19;
}  // namespace SetupWord

// The settings of built-in preset 0: every parameter at its default, Tail off.
inline constexpr SetupBlock kDefaultSetup = {
    {0, 75, 40, 0, 50, 100, 10, 500, 15, 40, 0, -120, 0, 0, 0, -35, 0, 100, 0, 0}};
