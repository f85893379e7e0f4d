// The editor page in a test frame (see PageTestSupport.h).
#include "tests/page/PageTestSupport.h"

#include <vector>

#include "engine/ParameterAccess.h"
#include "presets/PresetData.h"
#include "tools/skingallery/PngWriter.h"

namespace {

LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                      static_cast<WORD>(static_cast<short>(y)));
}

}  // namespace

HWND PageTest::frame_ = nullptr;

void PageTest::SetUpTestSuite() {
    RegisteredFilterTest::SetUpTestSuite();
    frame_ = CreateWindowExA(0, "STATIC", "page test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                             40, 460, 500, nullptr, nullptr, nullptr, nullptr);
}

void PageTest::TearDownTestSuite() {
    DestroyWindow(frame_);
    RegisteredFilterTest::TearDownTestSuite();
}

void PageTest::SetUp() {
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    bank_ = std::string(folder) + "\\" + kPresetFileName;
    const std::wstring dll = PluginDllPath();
    const std::string dllFolder(dll.begin(), dll.begin() + dll.rfind(L'\\') + 1);
    ASSERT_TRUE(CopyFileA((dllFolder + kPresetFileName).c_str(), bank_.c_str(), FALSE));
    RegisteredFilterTest::SetUp();
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFilterClassKeyPath, "PluginPath",
                                             REG_SZ, folder, strlen(folder) + 1));
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IHqPlugInProp, engine_.PutVoid()));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module_->GetClassObject(CLSID_HqPlugInPropPage, IID_IClassFactory,
                                            factory.PutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage, page_.PutVoid()));
    IUnknown* objects[] = {filter_.Get()};
    ASSERT_EQ(S_OK, page_->SetObjects(1, objects));
    const RECT place = {0, 0, 428, 453};
    ASSERT_EQ(S_OK, page_->Activate(frame_, &place, FALSE));
    Ticks(1);
}

void PageTest::TearDown() {
    if (page_) {
        page_->Deactivate();
        page_->SetObjects(0, nullptr);
        page_.Reset();
    }
    Pump();
    engine_.Reset();
    RegisteredFilterTest::TearDown();
    DeleteFileA(bank_.c_str());
}

int PageTest::Param(int index) const {
    return GetParameterValue(engine_.Get(), index);
}

std::vector<int> PageTest::EngineValues() const {
    std::vector<int> values(kParamCount);
    ReadPresetValues(engine_.Get(), values.data());
    return values;
}

std::vector<int> PageTest::StoredValues(const char* name) const {
    CPresetList store(nullptr, nullptr, kPresetPluginName);
    store.LoadFile(kFilterClassKeyPath, bank_.c_str());
    std::vector<int> values(kParamCount);
    const PresetRecord* record = store.FindByName(name, nullptr);
    if (record != nullptr) ParseDataLine(record->data, values.data());
    return values;
}

void PageTest::Presets(UiScript& script) {
    Click(20015);
    EXPECT_TRUE(script.Done());
}

std::vector<std::string> PageTest::MenuItems() {
    std::vector<std::string> items;
    UiScript script;
    script.Then(ReadMenu(&items));
    Presets(script);
    return items;
}

void PageTest::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void PageTest::Ticks(int count) {
    constexpr DWORD kTickMs = 75;
    const DWORD end = GetTickCount() + count * kTickMs + kTickMs / 2;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
}

void PageTest::Click(int id, int x, int y, bool twice) {
    HWND control = Item(id);
    RECT client;
    GetClientRect(control, &client);
    const LPARAM at = x < 0 ? Point(client.right / 2, client.bottom / 2) : Point(x, y);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(control, WM_LBUTTONUP, 0, at);
    if (twice) {
        SendMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(control, WM_LBUTTONUP, 0, at);
    }
    Pump();
}

void PageTest::Drag(int id, int x0, int y0, int x1, int y1) {
    HWND control = Item(id);
    POINT screen = {x0, y0};
    ClientToScreen(control, &screen);
    SetCursorPos(screen.x, screen.y);
    Pump();
    SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, Point(x0, y0));
    for (int i = 1; i <= 8; ++i) {
        SendMessageA(control, WM_MOUSEMOVE, MK_LBUTTON,
                     Point(x0 + (x1 - x0) * i / 8, y0 + (y1 - y0) * i / 8));
        Pump();
    }
    SendMessageA(control, WM_LBUTTONUP, 0, Point(x1, y1));
    Pump();
}

void PageTest::TypeInto(int fieldId, const std::string& text) {
    Click(fieldId, 20, 10, true);
    HWND box = GetWindow(Item(fieldId), GW_CHILD);
    ASSERT_NE(nullptr, box) << "no typed-entry box over field " << fieldId;
    UiType(box, text);
    SendMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    Pump();
}

bool WriteScreenPng(HWND window, const std::string& path) {
    // The window's client area, widened to take in an open menu of this thread.
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    if (HWND menu = FindWindowA("#32768", nullptr); menu != nullptr && IsWindowVisible(menu)) {
        RECT r;
        GetWindowRect(menu, &r);
        UnionRect(&area, &area, &r);
    }
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF c = GetPixel(memory, x, y);
            rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return WritePng(path, w, h, rgb);
}
