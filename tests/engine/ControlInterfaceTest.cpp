// The engine control interface: setups A/B and their copies, undo as its own redo (a Stereo
// toggle too), the editor's refresh flag and Recalculate.
#include <gtest/gtest.h>

#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

TEST(ControlInterface, SetupsSwapAndCopy) {
    EngineHarness engine;
    auto decay = [&engine] { return engine.Words()[SetupWord::kDecay]; };
    engine->CopySetup(0, 1);
    engine->SetDecay(80, FALSE);  // A: 80, B: 15
    engine->SelectSetup(1);
    EXPECT_EQ(std::pair(1, 15), std::pair(engine->GetSetup(), decay()));
    engine->SelectSetup(1);  // already live: nothing happens
    EXPECT_EQ(15, decay());
    engine->SelectSetup(0);
    EXPECT_EQ(80, decay());
    engine->SelectSetup(1);
    EXPECT_EQ(15, decay());

    // Copied, switching changes nothing; "copy from" brings the stored block back.
    engine->SetPredelay(42, FALSE);
    engine->CopySetup(0, 1);
    const std::vector<int> before = engine.Words();
    engine->SelectSetup(0);
    EXPECT_EQ(before, engine.Words());
    engine->SetPredelay(7, FALSE);
    engine->CopySetup(1, 0);
    engine->CopySetup(1, 1);  // other pairs do nothing
    engine->CopySetup(0, 0);
    EXPECT_EQ(before, engine.Words());
}

TEST(ControlInterface, UndoIsItsOwnRedoAndAGestureKeepsItsFirstSnapshot) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    auto decay = [&engine] { return engine.Words()[SetupWord::kDecay]; };
    engine->SaveUndo(kUndoCommand);
    engine->SetDecay(100, TRUE);
    engine->Undo();
    EXPECT_EQ(15, decay());
    engine->Undo();
    EXPECT_EQ(100, decay());

    engine->SaveUndo(7);
    engine->SetDecay(30, TRUE);  // opens a capture
    engine->SaveUndo(7);         // the same control while it is open: no new snapshot
    engine->SetDecay(40, TRUE);
    engine->EndCapture();
    engine->Undo();
    EXPECT_EQ(100, decay());
    engine->SaveUndo(7);  // without an open capture a new one
    engine->SetDecay(50, FALSE);
    engine->SaveUndo(7);
    engine->SetDecay(60, FALSE);
    engine->Undo();
    EXPECT_EQ(50, decay());

    // A Stereo toggle is undone by toggling back, the width with it.
    engine->SetWidth(170, FALSE);
    engine->SaveUndo(kUndoStereoToggle);
    engine->SetStereo(0, TRUE);
    engine->Undo();
    EXPECT_EQ(std::pair(170, 1),
              std::pair(engine.Words()[SetupWord::kWidth], engine.Words()[SetupWord::kStereo]));
    engine->Undo();
    EXPECT_EQ(0, engine.Words()[SetupWord::kStereo]);
}

TEST(ControlInterface, RefreshFlagAndRecalculateFollowTheAutomation) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    engine.Start();
    automation->TestAndClearChanged();
    engine->SetParamsChanged(FALSE);
    EXPECT_EQ(S_FALSE, engine->QueryParamsChanged());
    EXPECT_EQ(S_FALSE, engine->QueryParamsChanged());
    automation->MarkChanged();
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());  // until the editor clears it
    engine->SetParamsChanged(FALSE);
    automation->HostSetsValue(Param::kDecay, 1.0f);
    engine.Render(kModeContinue, {0.0, 0.0});
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());

    // Recalculate shows automated values to the getters at once; the next block derives.
    automation->HostSetsValue(Param::kPredelay, 0.5f);
    EXPECT_EQ(S_OK, engine->Recalculate());
    EXPECT_EQ(125, engine.Words()[SetupWord::kPredelay]);
    engine.Render(kModeContinue, {0.0, 0.0});
    EXPECT_EQ(5512, engine->Memory(kPredelayMemory).length);
}

}  // namespace
