// The base property page as a host's property frame drives it, in lifecycle order, with a dialog
// from the test program's own resources.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <tuple>

#include "framework/BasePropertyPage.h"
#include "framework/Module.h"
#include "tests/support/ComTestHarness.h"

namespace {

// A page that records its hooks in `calls`; a press of control 1001 makes it dirty.
class CTestPage final : public CBasePropertyPage {
public:
    CTestPage() : CBasePropertyPage(L"test page", nullptr, 501, 502) { NonDelegatingAddRef(); }
    HRESULT OnConnect(IUnknown*) override { return calls += "connect ", connectResult; }
    HRESULT OnDisconnect() override { return calls += "disconnect ", S_OK; }
    HRESULT OnActivate() override { return calls += "activate ", S_OK; }
    HRESULT OnDeactivate() override { return calls += "deactivate ", S_OK; }
    HRESULT OnApplyChanges() override { return calls += "apply ", S_OK; }
    INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) calls += window == Window() ? "init " : "init-unknown ";
        if (message == WM_DESTROY) calls += "destroy ";
        if (message == WM_COMMAND && LOWORD(wParam) == 1001) SetDirty();
        if (message == WM_APP) throw std::runtime_error("from a window procedure");
        return message == WM_INITDIALOG;
    }
    std::string calls;
    HRESULT connectResult = S_OK;
};

// A property frame's site on the test's stack: counts and status changes are only recorded.
class RecordingSite final : public IPropertyPageSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        return *ppv = nullptr, E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        return statusChanges += flags, S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
    ULONG references = 0;
    DWORD statusChanges = 0;
};

TEST(PropertyPage, LifecycleAsAPropertyFrameDrivesIt) {
    SetModuleInstance(GetModuleHandleW(nullptr));
    const HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                       0, 500, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, frame);
    auto* page = new CTestPage;
    RecordingSite site;
    IUnknown* objects[2] = {&site, &site};
    const RECT place = {10, 20, 250, 200};
    MSG message = {};
    const std::tuple<const char*, HRESULT, HRESULT> kRefused[] = {
        {"Help", page->Help(L"C:\\"), E_NOTIMPL},
        {"TranslateAccelerator", page->TranslateAccelerator(&message), E_NOTIMPL},
        {"GetPageInfo null", page->GetPageInfo(nullptr), E_POINTER},
        {"Activate null", page->Activate(frame, nullptr, FALSE), E_POINTER},
        {"Show before Activate", page->Show(SW_SHOW), E_UNEXPECTED},
        {"Move before Activate", page->Move(&place), E_UNEXPECTED},
        {"Deactivate before Activate", page->Deactivate(), E_UNEXPECTED},
        {"Apply without object", page->Apply(), E_UNEXPECTED},
        {"SetObjects none", page->SetObjects(0, nullptr), S_OK},
        {"SetObjects null", page->SetObjects(1, nullptr), E_POINTER},
        {"SetObjects two", page->SetObjects(2, objects), E_UNEXPECTED},
        {"SetPageSite", page->SetPageSite(&site), S_OK},
        {"SetPageSite again", page->SetPageSite(&site), E_UNEXPECTED},
    };
    for (const auto& [call, result, expected] : kRefused) EXPECT_EQ(expected, result) << call;
    EXPECT_EQ("", page->calls);
    EXPECT_EQ(1u, site.references);
    ComPtr<IUnknown> found;
    ASSERT_EQ(S_OK, page->QueryInterface(IID_IPropertyPage, found.PutVoid()));
    EXPECT_EQ(page->GetOwner(), IdentityOf(found.Get()));
    EXPECT_EQ(E_NOINTERFACE, page->QueryInterface(IID_IPropertyPage2, found.PutVoid()));

    PROPPAGEINFO info = {};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_EQ(sizeof(PROPPAGEINFO), info.cb);
    EXPECT_STREQ(L"qv:test page", info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    // 120 by 80 dialog units in pixels of the template's font; measuring reaches no hook.
    EXPECT_TRUE(info.size.cx > 120 && info.size.cy > 80 && info.size.cx < 600);
    EXPECT_EQ("", page->calls);

    page->connectResult = E_NOINTERFACE;
    EXPECT_EQ(E_NOINTERFACE, page->SetObjects(1, objects));
    EXPECT_EQ(E_UNEXPECTED, page->Apply()) << "a failed connection connects nothing";
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    page->connectResult = S_OK;
    EXPECT_EQ(S_OK, page->SetObjects(1, objects));
    EXPECT_EQ(S_OK, page->Apply()) << "not dirty: nothing to apply";
    EXPECT_EQ("connect connect ", page->calls);

    ASSERT_EQ(S_OK, page->Activate(frame, &place, FALSE));
    const HWND dialog = page->Window();
    EXPECT_EQ("connect connect init activate ", page->calls);
    EXPECT_EQ(frame, GetParent(dialog));
    EXPECT_NE(nullptr, GetDlgItem(dialog, 1001)) << "the template's controls";
    EXPECT_TRUE(IsWindowVisible(dialog));
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(0, std::memcmp(&place, &bounds, sizeof(RECT)));
    EXPECT_EQ(E_UNEXPECTED, page->Activate(frame, &place, FALSE));
    EXPECT_EQ(E_INVALIDARG, page->Show(SW_MINIMIZE));
    EXPECT_EQ(S_OK, page->Show(SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(dialog));
    const RECT moved = {5, 5, 105, 105};
    EXPECT_EQ(S_OK, page->Move(&moved));
    GetClientRect(dialog, &bounds);
    EXPECT_EQ(100, bounds.right);
    EXPECT_EQ(0, SendMessageW(dialog, WM_APP, 0, 0)) << "no exception leaves the dialog";

    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
    EXPECT_EQ(S_OK, page->IsPageDirty());
    EXPECT_EQ(static_cast<DWORD>(PROPPAGESTATUS_DIRTY), site.statusChanges);
    EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, page->Window());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ("connect connect init activate apply deactivate destroy disconnect ", page->calls);
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(0u, site.references);

    // Released while active, the page destroys its dialog.
    ASSERT_EQ(S_OK, page->Activate(frame, &place, FALSE));
    const HWND active = page->Window();
    EXPECT_EQ(0u, page->Release());
    EXPECT_FALSE(IsWindow(active));
    EXPECT_EQ(0, ModuleObjectCount());
    DestroyWindow(frame);
}

}  // namespace
