// The editor in the platform's property frame: four states pictured, the last with audio playing
// (meters, readouts, clip lamps); and dxhost --editor rendering with what was set in its frame.
#include <control.h>
#include <gtest/gtest.h>
#include <olectl.h>

#include <cstdio>

#include "tests/page/PageTestSupport.h"
#include "tests/support/UiTestHost.h"

namespace {

using PageFrameTest = RegisteredFilterTest;

bool SamePicture(const UiCapture& a, const UiCapture& b) {
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (a.At(x, y) != b.At(x, y)) return false;
        }
    }
    return true;
}

// The first window below parent, at any depth, with this control id.
HWND FindDescendant(HWND parent, int id) {
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(c) == id) return c;
        if (HWND found = FindDescendant(c, id)) return found;
    }
    return nullptr;
}

// The top-level window of a process (0: this one) that holds the page's E.R. Mute button.
HWND FindEditorFrame(DWORD pid) {
    std::pair<DWORD, HWND> search = {pid != 0 ? pid : GetCurrentProcessId(), nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->first && FindDescendant(window, 10027) != nullptr) s->second = window;
            return s->second == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Posted: a button that opens a menu acts on the press, so it gets no release.
void PostClick(HWND control, bool release = true) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    if (release) PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(PageFrameTest, AUserSetsTheReverbUpWhileAudioPlays) {
    std::string error;
    ASSERT_TRUE(
        WriteWavFile("frame.wav", MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 48000, 144000), &error));
    WineParserChain chain;
    ASSERT_NO_FATAL_FAILURE(chain.Build("frame.wav", filter_.Get(), L"reverb", nullptr, 0));
    // Played in real time, so that the page can watch it pass.
    ComPtr<IReferenceClock> clock;
    ComPtr<IMediaFilter> timing;
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IReferenceClock, clock.PutVoid()));
    ASSERT_EQ(S_OK, chain.graph->QueryInterface(IID_IMediaFilter, timing.PutVoid()));
    ASSERT_EQ(S_OK, timing->SetSyncSource(clock.Get()));
    ASSERT_EQ(S_OK, chain.graph->QueryInterface(IID_IMediaControl, control.PutVoid()));

    HWND frame = nullptr;
    auto item = [&](int id) { return FindDescendant(frame, id); };
    auto shot = [&](const char* name) {
        return Do([&, name] { EXPECT_TRUE(WriteScreenPng(frame, name)); });
    };
    std::unique_ptr<UiCapture> darkLamp, silentMeter;
    std::string readout;
    bool meterLit = false;
    auto lampsDark = [&] {
        return SamePicture(*darkLamp, UiCapture(item(1022))) &&
               SamePicture(*darkLamp, UiCapture(item(1023)));
    };
    bool lampsLit = false, lampsCleared = false;
    UiScript script;
    script.Then([&] { return (frame = FindEditorFrame(0)) != nullptr; })
        .Then(Pause(300))
        .Then(shot("editor-defaults.png"))
        .Then(Do([&] {
            darkLamp = std::make_unique<UiCapture>(item(1022));
            silentMeter = std::make_unique<UiCapture>(item(10603));
            PostClick(item(10004));  // Mono
            PostClick(item(20010));  // Bypass
        }))
        .Then(Pause(200))
        .Then(shot("editor-mono-bypass.png"))
        .Then(Do([&] {
            PostClick(item(20010));
            PostClick(item(20012));  // Setup B
            PostClick(item(20015), false);
        }))
        .Then(ChooseMenuItem({"Halls", "Large Hall"}))
        .Then(Pause(200))
        .Then(shot("editor-setup-b-preset.png"))
        .Then(Do([&] {
            SendMessageA(item(10000), WM_KEYDOWN, VK_END, 1);  // Input +6 dB: the output clips
            control->Run();
        }))
        .Then([&, start = GetTickCount()] {  // until the audio shows, however busy the machine
            readout = UiText(item(10605));
            meterLit = !SamePicture(*silentMeter, UiCapture(item(10603)));
            lampsLit = !lampsDark();
            return (readout != "-Inf    -Inf" && meterLit && lampsLit) ||
                   GetTickCount() - start > 10000;
        })
        .Then(shot("editor-meters-clip.png"))
        .Then(Do([&] { control->Stop(); }))
        .Then(Pause(200))
        .Then(Do([&] { PostClick(item(1023)); }))  // either output indicator clears both
        .Then([&, start = GetTickCount()] {
            lampsCleared = lampsDark();
            return lampsCleared || GetTickCount() - start > 5000;
        })
        .Then(Do([&] { UiPressButton(frame, IDOK); }));

    IUnknown* objects[] = {filter_.Get()};
    CLSID page = CLSID_HqPlugInPropPage;
    ASSERT_EQ(S_OK, OleCreatePropertyFrame(nullptr, 10, 10, L"Halvern:qv Reverb", 1, objects, 1,
                                           &page, LOCALE_USER_DEFAULT, 0, nullptr));
    chain.Release();
    ASSERT_TRUE(script.Done());
    ComPtr<IHqPlugInProp> engine;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()));
    EXPECT_EQ(1, engine->GetSetup());
    EXPECT_EQ(0, engine->GetBypass());
    EXPECT_NE("-Inf    -Inf", readout);
    EXPECT_TRUE(meterLit);
    EXPECT_TRUE(lampsLit);
    EXPECT_TRUE(lampsCleared);
}

TEST_F(PageFrameTest, DxhostRendersWithWhatTheUserSetInItsEditor) {
    std::string error;
    ASSERT_TRUE(
        WriteWavFile("editor-in.wav", MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 48000, 4800), &error));
    std::string command = std::string("\"") + QV_DXHOST_EXE +
                          "\" editor-in.wav editor-out.wav --editor --save-state editor.state";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND frame = nullptr;
    for (int i = 0; i < 300 && frame == nullptr; ++i, Sleep(50)) {
        frame = FindEditorFrame(process.dwProcessId);
    }
    ASSERT_NE(nullptr, frame) << "dxhost showed no editor";
    PostClick(FindDescendant(frame, 10027));  // E.R. Mute, in the other process
    Sleep(300);
    PostMessageA(GetDlgItem(frame, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
    // The state: a 20-byte header, then the settings.
    SetupBlock block = {};
    std::FILE* state = std::fopen("editor.state", "rb");
    ASSERT_NE(nullptr, state);
    std::fseek(state, 20, SEEK_SET);
    EXPECT_EQ(1u, std::fread(&block, sizeof(block), 1, state));
    std::fclose(state);
    EXPECT_EQ(1, block.words[SetupWord::kERMute]);
}

}  // namespace
