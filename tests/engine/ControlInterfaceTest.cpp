// The engine control interface: setups A/B and their copies, undo as its own redo and a gesture's
// one snapshot, the editor's refresh flag and Recalculate, and the editors' notice windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

TEST(ControlInterface, SetupsSwapAndCopy) {
    EngineHarness engine;
    auto decay = [&engine] { return engine.Words()[SetupWord::kDecay]; };
    engine->CopySetup(0, 1);
    engine->SetDecay(80, FALSE);  // A: 80, B: 15
    std::vector<std::pair<int, int>> seen;
    for (int setup : {1, 1, 0, 1}) {  // selecting the live setup again does nothing
        engine->SelectSetup(setup);
        seen.emplace_back(engine->GetSetup(), decay());
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 15}, {1, 15}, {0, 80}, {1, 15}}), seen);
    EXPECT_EQ(E_INVALIDARG, engine->SelectSetup(-1));
    engine->SetDecay(42, FALSE);
    engine->CopySetup(1, 0);  // the stored setup (A) becomes the live one
    engine->CopySetup(1, 1);  // other pairs do nothing
    EXPECT_EQ(80, decay());
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
}

TEST(ControlInterface, RefreshFlagAndRecalculateFollowTheAutomation) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    engine.Start();
    automation->TestAndClearChanged();
    engine->SetParamsChanged(FALSE);
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

// Two editors' windows are told; one that no longer exists frees its slot at the next notice.
TEST(ControlInterface, TwoEditorWindowsAreKeptAndStaleOnesForgotten) {
    EngineHarness engine;
    const auto window = [](std::uintptr_t n) { return reinterpret_cast<HWND>(n); };  // none real
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(1), 32700));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(1), 32701));  // the same slot, updated
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(2), 32700));
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(window(3), 32700));
    EXPECT_EQ(E_INVALIDARG, engine->SetNotifyWindow(nullptr, 32700));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(2), 0));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(3), 32700));
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(window(4), 32700));
    engine->NotifyEditors(kNoticeStateLoaded);
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(window(4), 32700));
}

}  // namespace
