// The engine control interface: setups A/B and their copies, undo as its own redo, the
// Stereo/Width pair, editor windows and their notices, the refresh flag and formats.
#include <gtest/gtest.h>

#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"
#include "tests/support/TestWindow.h"

namespace {

int Word(CAudioTransform& engine, int word) {
    SetupBlock block;
    engine.GetAllParams(&block);
    return block.words[word];
}

TEST(ControlInterface, ANewEngineHoldsTheDefaultsInStereo) {
    EngineHarness engine;
    SetupBlock block;
    engine->GetAllParams(&block);
    SetupBlock expected = kDefaultSetup;
    expected.words[SetupWord::kStereo] = 1;
    for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(expected.words[w], block.words[w]) << w;
    int stereo = 0;
    engine->GetStereo(&stereo);
    EXPECT_EQ(1, stereo);
    EXPECT_TRUE(engine->IsDirtyFlag());
    EXPECT_EQ(-1, engine->GetPresetIndex());
    EXPECT_EQ(0, engine->GetSetup());
}

TEST(ControlInterface, StereoSwitchRemembersTheWidth) {
    EngineHarness engine;
    engine->SetWidth(150, FALSE);
    engine->SetStereo(0, FALSE);
    EXPECT_EQ(0, Word(*engine, SetupWord::kWidth));
    EXPECT_EQ(0, Word(*engine, SetupWord::kStereo));
    engine->SetStereo(1, FALSE);
    EXPECT_EQ(150, Word(*engine, SetupWord::kWidth));
    EXPECT_EQ(1, Word(*engine, SetupWord::kStereo));

    // Already in Stereo: nothing changes, not even the flags.
    SetupBlock snapshot;
    engine->SyncFromAutomation(&snapshot);
    engine->ClearDirtyFlag();
    engine->SetStereo(5, FALSE);
    EXPECT_EQ(0, engine->SyncFromAutomation(&snapshot));
    EXPECT_FALSE(engine->IsDirtyFlag());
}

TEST(ControlInterface, SelectingSetupsSwapsAAndB) {
    EngineHarness engine;
    engine->CopySetup(0, 1);
    engine->SetDecay(80, FALSE);  // A: 80, B: 15
    engine->SelectSetup(1);
    EXPECT_EQ(1, engine->GetSetup());
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));
    engine->SelectSetup(1);  // already live: nothing happens
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));
    engine->SelectSetup(0);
    EXPECT_EQ(80, Word(*engine, SetupWord::kDecay));
    engine->SelectSetup(1);
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));
}

TEST(ControlInterface, CopyingASetupMakesSwitchingSilent) {
    EngineHarness engine;
    engine->SetPredelay(42, FALSE);
    engine->CopySetup(0, 1);
    SetupBlock before, after;
    engine->GetAllParams(&before);
    engine->SelectSetup(1);
    engine->GetAllParams(&after);
    for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(before.words[w], after.words[w]) << w;

    // "Copy from": the stored block comes back through the setters.
    engine->SetPredelay(7, FALSE);
    engine->CopySetup(1, 0);
    EXPECT_EQ(42, Word(*engine, SetupWord::kPredelay));
    engine->CopySetup(1, 1);  // other pairs do nothing
    engine->CopySetup(0, 0);
    EXPECT_EQ(42, Word(*engine, SetupWord::kPredelay));
}

TEST(ControlInterface, UndoIsItsOwnRedo) {
    EngineHarness engine;
    engine->SaveUndo(kUndoCommand);
    engine->SetDecay(100, TRUE);
    engine->Undo();
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));
    engine->Undo();
    EXPECT_EQ(100, Word(*engine, SetupWord::kDecay));
}

TEST(ControlInterface, OneGestureKeepsItsFirstSnapshot) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    engine->SaveUndo(7);
    engine->SetDecay(30, TRUE);  // opens a capture
    engine->SaveUndo(7);         // same control while the capture is open: no new snapshot
    engine->SetDecay(40, TRUE);
    engine->EndCapture();
    engine->Undo();
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));

    // Without an open capture the same identifier takes a new snapshot.
    engine->SaveUndo(7);
    engine->SetDecay(50, FALSE);
    engine->SaveUndo(7);
    engine->SetDecay(60, FALSE);
    engine->Undo();
    EXPECT_EQ(50, Word(*engine, SetupWord::kDecay));
}

TEST(ControlInterface, UndoOfAStereoToggleRestoresTheWidth) {
    EngineHarness engine;
    engine->SetWidth(170, FALSE);
    engine->SaveUndo(kUndoStereoToggle);
    engine->SetStereo(0, TRUE);
    engine->Undo();
    int stereo = 0;
    engine->GetStereo(&stereo);
    EXPECT_EQ(1, stereo);
    EXPECT_EQ(170, Word(*engine, SetupWord::kWidth));
    engine->Undo();
    engine->GetStereo(&stereo);
    EXPECT_EQ(0, stereo);
}

TEST(ControlInterface, NotifyWindowsUseTwoSlots) {
    EngineHarness engine;
    TestWindow first, second, third;
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(first.Handle(), 32700));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(first.Handle(), 32701));  // same slot, updated
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 32700));
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(third.Handle(), 32700));

    engine->NotifyEditors(kNoticeStateLoaded);
    WORD id = 0, code = 0;
    LPARAM lParam = -1;
    ASSERT_TRUE(first.NextCommand(&id, &code, &lParam));
    EXPECT_EQ(32701, id);
    EXPECT_EQ(100, code);
    EXPECT_EQ(0, lParam);
    ASSERT_TRUE(second.NextCommand(&id, &code, &lParam));
    EXPECT_EQ(32700, id);
    EXPECT_FALSE(third.NextCommand(&id, &code, &lParam));

    // Unregistering frees a slot (and is harmless for a window that holds none).
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(third.Handle(), 0));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 0));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(third.Handle(), 32700));

    // A destroyed window's slot is freed by the next notice.
    first.Destroy();
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(second.Handle(), 32700));
    engine->NotifyEditors(kNoticeOutputFormat);
    ASSERT_TRUE(third.NextCommand(&id, &code, &lParam));
    EXPECT_EQ(1, code);
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 32700));
}

TEST(ControlInterface, RefreshFlagFollowsConsumedChanges) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    engine.Start();
    automation->TestAndClearChanged();
    engine->SetParamsChanged(FALSE);
    EXPECT_EQ(S_FALSE, engine->QueryParamsChanged());
    EXPECT_EQ(S_FALSE, engine->QueryParamsChanged());

    automation->MarkChanged();
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());  // the flag stays until the editor clears it
    engine->SetParamsChanged(FALSE);

    automation->HostSetsValue(Param::kDecay, 1.0f);
    std::vector<double> out;
    engine.Run(kModeContinue, {0.0, 0.0}, &out);
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());
}

TEST(ControlInterface, RecalculateMakesGettersShowAutomatedValues) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    engine.Start();
    FakeAutomation::Last()->HostSetsValue(Param::kPredelay, 0.5f);
    EXPECT_EQ(S_OK, engine->Recalculate());
    int predelay = 0;
    engine->GetPredelay(&predelay);
    EXPECT_EQ(125, predelay);
    std::vector<double> out;
    engine.Run(kModeContinue, {0.0, 0.0}, &out);
    EXPECT_EQ(static_cast<std::int32_t>(125 * 44100 / 1000.0),
              engine->Memory(kPredelayMemory).length);
}

TEST(ControlInterface, WaveFormatsAreCopiedOnlyOnceSet) {
    HRESULT status = S_OK;
    CStandaloneReverb* engine = new CStandaloneReverb(&status);
    WAVEFORMATEX format{};
    format.nChannels = 9;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 0));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 1));
    EXPECT_EQ(9, format.nChannels);
    engine->SetFormats(CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 1, 22050),
                       CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 2, 22050));
    EXPECT_EQ(S_OK, engine->GetWaveFormat(&format, 0));
    EXPECT_EQ(1, format.nChannels);
    EXPECT_EQ(22050u, format.nSamplesPerSec);
    EXPECT_EQ(S_OK, engine->GetWaveFormat(&format, 1));
    EXPECT_EQ(4, format.nBlockAlign);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 2));
    engine->Release();
}

TEST(ControlInterface, BuiltinPresetsRestoreTheDefaults) {
    EngineHarness engine;
    engine->SetDecay(99, FALSE);
    engine->SetStereo(0, FALSE);
    EXPECT_EQ(S_OK, engine->ApplyPreset(1));
    EXPECT_EQ(15, Word(*engine, SetupWord::kDecay));
    EXPECT_EQ(1, Word(*engine, SetupWord::kStereo));
    EXPECT_EQ(100, Word(*engine, SetupWord::kWidth));
    EXPECT_EQ(E_INVALIDARG, engine->ApplyPreset(2));
}

}  // namespace
