// The page's layout, windows and objects; its buttons and Help; a state loaded by the host; and
// the Presets menu: marks, a preset as one undo step, presets added and updated.
#include <gtest/gtest.h>

#include "engine/ParameterTable.h"
#include "tests/page/PageTestSupport.h"
#include "ui/controls/SkinControls.h"
#include "ui/page/PageLayout.h"

namespace {

constexpr int kUndo = 20011, kSetup = 20012, kSetupMenu = 20013;

int Tail(IHqPlugInProp* engine) {
    int tail = -1;
    engine->GetTail(&tail);
    return tail;
}

TEST_F(PageTest, ResetRestoresTheFactorySettingsInOneUndoStep) {
    const int changed[kParamCount] = {-100, 300, 100,  99, 7,   40, 20, 1200, 120,
                                      90,   -60, -200, 30, 180, 1,  1,  1,    1};
    SetupBlock block = {};
    for (int i = 0; i < kParamCount; ++i) block.words[kParameters[i].word] = changed[i];
    engine_->SetAllParams(&block);
    Click(20014);
    for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(kParameters[i].defaultValue, Param(i)) << i;
    EXPECT_EQ(1, Tail(engine_.Get()));
    EXPECT_EQ("-12.0", Text(10028));
    Click(kUndo);
    for (int i = 0; i < kParamCount; ++i) EXPECT_EQ(changed[i], Param(i)) << i;
    EXPECT_EQ(0, Tail(engine_.Get()));
    EXPECT_EQ("3.0", Text(10028));
}

TEST_F(PageTest, SetupsSwitchAndCopyThroughTheButtonAndItsMenu) {
    auto menu = [&](std::vector<std::string> item) {
        UiScript script;
        script.Then(ChooseMenuItem(item));
        Click(kSetupMenu);
        EXPECT_TRUE(script.Done());
    };
    engine_->SetDecay(50, TRUE);
    menu({"Copy to B"});
    engine_->SetDecay(80, TRUE);
    Click(kSetup);
    EXPECT_EQ("Setup B", Text(kSetup));
    EXPECT_EQ("5.0", Text(10018));
    menu({"Copy from A"});
    EXPECT_EQ(80, Param(Param::kDecay));
    Click(kUndo);
    EXPECT_EQ(50, Param(Param::kDecay));
    menu({"Setup A"});
    EXPECT_EQ("Setup A", Text(kSetup));
    EXPECT_EQ(80, Param(Param::kDecay));
    menu({});  // dismissed: the arrow button is let go all the same
    EXPECT_EQ(0, SendMessageA(Item(kSetupMenu), QVB_GETCHECK, 0, 0));
    EXPECT_EQ(0, engine_->GetSetup());
}

TEST_F(PageTest, MonoKeepsTheWidthTextAndUndoBringsStereoBack) {
    engine_->SetWidth(150, TRUE);
    Ticks(2);
    Click(10004);
    EXPECT_EQ("Mono", Text(10004));
    EXPECT_FALSE(IsWindowEnabled(Item(10031)));
    Ticks(3);
    EXPECT_EQ("150", Text(10031));
    EXPECT_EQ(0, Param(Param::kWidth));
    Click(kUndo);
    EXPECT_EQ("Stereo", Text(10004));
    EXPECT_TRUE(IsWindowEnabled(Item(10031)));
    EXPECT_EQ(150, Param(Param::kWidth));
}

TEST_F(PageTest, TailMutesAndBypassToggle) {
    Click(10003);
    EXPECT_EQ(1, Tail(engine_.Get()));
    EXPECT_EQ(1, SendMessageA(Item(10003), QVB_GETCHECK, 0, 0));
    const int kMutes[][2] = {{10002, Param::kInputMute},
                             {10024, Param::kDryMute},
                             {10027, Param::kERMute},
                             {10030, Param::kReverbMute}};
    for (const auto& [button, param] : kMutes) {
        Click(button);
        EXPECT_EQ(1, Param(param)) << button;
        Click(kUndo);
        EXPECT_EQ(0, Param(param)) << button;
    }
    Click(20010);  // Bypass is no setting: Undo leaves it alone
    EXPECT_EQ(1, engine_->GetBypass());
    Click(kUndo);
    EXPECT_EQ(1, engine_->GetBypass());
    EXPECT_EQ(1, SendMessageA(Item(20010), QVB_GETCHECK, 0, 0));
}

TEST_F(PageTest, AStateLoadedByTheHostShowsAtOnce) {
    engine_->SetDecay(123, TRUE);
    ComPtr<IStream> stream;
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IPersistStream, persist.PutVoid()));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    ASSERT_EQ(S_OK, stream->Seek({}, STREAM_SEEK_SET, nullptr));
    engine_->SetDecay(10, TRUE);
    Ticks(2);
    ASSERT_EQ(S_OK, persist->Load(stream.Get()));
    Pump();  // the engine's notice, before any refresh tick
    EXPECT_EQ("12.3", Text(10018));
    // Its other notices change nothing.
    SetWindowTextA(Item(10018), "x");
    PostMessageA(Page(), WM_COMMAND, MAKEWPARAM(32700, 1), 0);
    Pump();
    EXPECT_EQ("x", Text(10018));
}

TEST_F(PageTest, HelpOpensTheFileBesideTheLibraryOrSaysWhyNot) {
    const std::wstring dll = PluginDllPath();
    const std::string help = std::string(dll.begin(), dll.end() - 3) + "chm";
    ASSERT_TRUE(MoveFileA(help.c_str(), (help + ".away").c_str())) << help;
    std::string text, caption;
    UiScript missing;
    missing.Then(AnswerMessageBox(IDOK, &text, &caption));
    Click(20016);
    MoveFileA((help + ".away").c_str(), help.c_str());
    EXPECT_EQ("Unable to open the Halvern:qv Reverb help file:\n" + help, text);
    EXPECT_EQ("Error", caption);

    Click(20016);
    Ticks(2);
    HWND viewer = FindWindowA("HH Parent", nullptr);
    ASSERT_NE(nullptr, viewer) << "no help viewer";
    SendMessageA(viewer, WM_CLOSE, 0, 0);
}

TEST_F(PageTest, EveryControlOfTheLayoutIsInPlace) {
    for (const PageLayout::Control& c : PageLayout::kControls) {
        SCOPED_TRACE(testing::Message() << "control " << c.id);
        HWND control = Item(c.id);
        ASSERT_NE(nullptr, control);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, Page(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(c.x, r.left);
        EXPECT_EQ(c.y, r.top);
        EXPECT_EQ(c.w, r.right - r.left);
        EXPECT_EQ(c.h, r.bottom - r.top);
        EXPECT_EQ(c.style, static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)));
    }
}

TEST_F(PageTest, PageInfoObjectsAndWindowsComeAndGo) {
    PROPPAGEINFO info = {};
    ASSERT_EQ(S_OK, page_->GetPageInfo(&info));
    EXPECT_STREQ(L"qv:reverb", info.pszTitle);
    EXPECT_EQ(428, info.size.cx);
    EXPECT_EQ(453, info.size.cy);
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(E_POINTER, page_->GetPageInfo(nullptr));
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the page counts among the DLL's objects";

    // The host closes the window and opens it again on the same page object.
    engine_->SetDecay(42, TRUE);
    ASSERT_EQ(S_OK, page_->Deactivate());
    EXPECT_EQ(nullptr, Page());
    const RECT place = {0, 0, 428, 453};
    ASSERT_EQ(S_OK, page_->Activate(frame_, &place, FALSE));
    EXPECT_EQ("4.2", Text(10018));

    // An object without the engine's interface leaves the page without engine.
    ComPtr<IUnknown> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     graph.PutVoid()));
    IUnknown* objects[] = {graph.Get()};
    EXPECT_EQ(E_NOINTERFACE, page_->SetObjects(1, objects));
    Click(20014);
    EXPECT_EQ(42, Param(Param::kDecay)) << "Reset reached an engine the page no longer has";
}

TEST_F(PageTest, AChosenPresetIsMarkedAndAppliedAsOneUndoStep) {
    std::vector<std::string> items = MenuItems();
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ((std::vector<std::string>{"Add Preset...", "Preset Manager...", "-"}),
              std::vector<std::string>(items.begin(), items.begin() + 3));
    EXPECT_TRUE(Has(items, "Halls/Large Hall"));

    const std::vector<int> before = EngineValues();
    UiScript choose;
    choose.Then(ChooseMenuItem({"Halls", "Large Hall"}));
    Presets(choose);
    EXPECT_EQ(StoredValues("Large Hall"), EngineValues());
    int tail = 0;
    engine_->GetTail(&tail);
    EXPECT_EQ(1, tail);
    items = MenuItems();
    EXPECT_EQ("Update Preset: Large Hall...", items.at(1));
    EXPECT_TRUE(Has(items, "Halls/Large Hall*"));

    Click(20011);
    EXPECT_EQ(before, EngineValues());
    engine_->GetTail(&tail);
    EXPECT_EQ(0, tail);
}

TEST_F(PageTest, PresetsAreAddedAndUpdatedWithTheCurrentValues) {
    engine_->SetDecay(77, TRUE);
    std::string refusal, question;
    UiScript add;
    add.Then(ChooseMenuItem({"Add Preset..."}))
        .Then(InDialog("Add qv:Reverb preset", [](HWND dialog) { UiPressButton(dialog, IDOK); }))
        .Then(AnswerMessageBox(IDOK, &refusal))
        .Then(InDialog("Add qv:Reverb preset", [](HWND dialog) {
            UiType(GetDlgItem(dialog, 1511), "My Plate");
            UiType(GetDlgItem(dialog, 1513), "Mine");
            UiPressButton(dialog, IDOK);
        }));
    Presets(add);
    EXPECT_EQ("Unable to add preset because no name was specified.", refusal);
    EXPECT_EQ(EngineValues(), StoredValues("My Plate"));
    EXPECT_TRUE(Has(MenuItems(), "Mine/My Plate*"));

    engine_->SetDecay(99, TRUE);
    UiScript update;
    update.Then(ChooseMenuItem({"Update Preset: My Plate..."}))
        .Then(AnswerMessageBox(IDYES, &question));
    Presets(update);
    EXPECT_EQ(
        "Would you like to update the stored parameters for\nthe \"My Plate\" preset with "
        "the current settings?",
        question);
    EXPECT_EQ(99, StoredValues("My Plate")[Param::kDecay]);
}

}  // namespace
