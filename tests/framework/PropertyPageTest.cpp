// The base property page as a host's property frame drives it, in lifecycle order: interfaces,
// page information from the module's resources, the page site, objects (OnConnect,
// OnDisconnect), activation with a real dialog from a template (messages reaching
// OnReceiveMessage, OnActivate), showing and moving, the dirty flag and Apply, deactivation.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/BasePropertyPage.h"
#include "framework/Module.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

constexpr int kDialogId = 501;
constexpr int kTitleId = 502;
constexpr UINT kThrowMessage = WM_APP + 1;

// A page that records its hooks; a button press (WM_COMMAND 1001) makes it dirty.
class CTestPage final : public CBasePropertyPage {
public:
    CTestPage() : CBasePropertyPage(L"test page", nullptr, kDialogId, kTitleId) {}

    HRESULT OnConnect(IUnknown* object) override {
        calls.push_back("OnConnect");
        connected = object;
        return connectResult;
    }
    HRESULT OnDisconnect() override {
        calls.push_back("OnDisconnect");
        connected = nullptr;
        return S_OK;
    }
    HRESULT OnActivate() override {
        calls.push_back("OnActivate");
        return S_OK;
    }
    HRESULT OnDeactivate() override {
        calls.push_back("OnDeactivate");
        return S_OK;
    }
    HRESULT OnApplyChanges() override {
        calls.push_back("OnApplyChanges");
        return S_OK;
    }
    INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITDIALOG) {
            calls.push_back("WM_INITDIALOG");
            initWindowMatches = window == Window();
            return TRUE;
        }
        if (message == WM_DESTROY) calls.push_back("WM_DESTROY");
        if (message == WM_COMMAND && LOWORD(wParam) == 1001) {
            SetDirty();
            return TRUE;
        }
        if (message == kThrowMessage) throw std::runtime_error("from a window procedure");
        return CBasePropertyPage::OnReceiveMessage(window, message, wParam, lParam);
    }

    std::vector<std::string> calls;
    IUnknown* connected = nullptr;  // not counted
    HRESULT connectResult = S_OK;
    bool initWindowMatches = false;
};

// A property frame's site: records status changes.
class RecordingSite final : public IPropertyPageSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPageSite)) {
            *ppv = static_cast<IPropertyPageSite*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack: the count is only watched.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        statusChanges.push_back(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
        *locale = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** container) override {
        *container = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    ULONG references = 0;
    std::vector<DWORD> statusChanges;
};

class PropertyPage : public ::testing::Test {
protected:
    // One visible frame window for the suite: making and mapping one takes long under Wine.
    static void SetUpTestSuite() {
        frame = CreateWindowExW(0, L"STATIC", L"qv test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 500, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(frame); }

    void SetUp() override {
        ASSERT_NE(nullptr, frame);
        ASSERT_EQ(0, ModuleObjectCount());
        SetModuleInstance(GetModuleHandleW(nullptr));
        page = new CTestPage;
        page->NonDelegatingAddRef();
    }
    void TearDown() override {
        if (page != nullptr) {
            EXPECT_EQ(0u, page->Release());
        }
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
    }

    static inline HWND frame = nullptr;
    CTestPage* page = nullptr;
    const RECT place = {10, 20, 250, 200};
};

TEST_F(PropertyPage, AnswersIPropertyPageWithItsIdentity) {
    void* out = nullptr;
    ASSERT_EQ(S_OK, page->QueryInterface(IID_IPropertyPage, &out));
    EXPECT_EQ(static_cast<IPropertyPage*>(page), out);
    void* unknown = nullptr;
    ASSERT_EQ(S_OK, static_cast<IPropertyPage*>(out)->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(page->GetOwner()), unknown);
    EXPECT_EQ(3u, RefCount(page->GetOwner()));
    static_cast<IUnknown*>(unknown)->Release();
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(E_NOINTERFACE, page->QueryInterface(IID_IPropertyPage2, &out));
    EXPECT_EQ(E_NOTIMPL, page->Help(L"C:\\"));
    MSG message = {};
    EXPECT_EQ(E_NOTIMPL, page->TranslateAccelerator(&message));
}

TEST_F(PropertyPage, PageInfoComesFromTheResources) {
    EXPECT_EQ(E_POINTER, page->GetPageInfo(nullptr));
    PROPPAGEINFO info = {};
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_EQ(sizeof(PROPPAGEINFO), info.cb);
    ASSERT_NE(nullptr, info.pszTitle);
    EXPECT_STREQ(L"qv:test page", info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    // 120 by 80 dialog units in pixels of the template's font.
    EXPECT_GT(info.size.cx, 120);
    EXPECT_GT(info.size.cy, 80);
    EXPECT_LT(info.size.cx, 600);
    EXPECT_EQ(nullptr, info.pszDocString);
    EXPECT_EQ(nullptr, info.pszHelpFile);
    EXPECT_EQ(0u, info.dwHelpContext);
    EXPECT_TRUE(page->calls.empty()) << "measuring does not reach the page";
}

TEST_F(PropertyPage, KeepsOneSite) {
    RecordingSite site;
    EXPECT_EQ(S_OK, page->SetPageSite(&site));
    EXPECT_EQ(1u, site.references);
    EXPECT_EQ(E_UNEXPECTED, page->SetPageSite(&site));
    EXPECT_EQ(1u, site.references);
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(0u, site.references);
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
}

TEST_F(PropertyPage, ObjectsConnectAndDisconnect) {
    bool destroyed = false;
    auto* object = new CTestObject(nullptr, &destroyed);
    object->NonDelegatingAddRef();
    IUnknown* objects[2] = {object->GetOwner(), object->GetOwner()};

    EXPECT_EQ(E_UNEXPECTED, page->Apply()) << "no object yet";
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr)) << "nothing to disconnect";
    EXPECT_EQ(E_POINTER, page->SetObjects(1, nullptr));
    EXPECT_EQ(E_UNEXPECTED, page->SetObjects(2, objects));
    EXPECT_TRUE(page->calls.empty());

    EXPECT_EQ(S_OK, page->SetObjects(1, objects));
    EXPECT_EQ(object->GetOwner(), page->connected);
    EXPECT_EQ(S_OK, page->Apply()) << "not dirty: nothing to apply";
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(nullptr, page->connected);
    EXPECT_EQ((std::vector<std::string>{"OnConnect", "OnDisconnect"}), page->calls);

    page->connectResult = E_NOINTERFACE;
    EXPECT_EQ(E_NOINTERFACE, page->SetObjects(1, objects));
    EXPECT_EQ(E_UNEXPECTED, page->Apply());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(3u, page->calls.size()) << "a failed connection is not disconnected";
    object->Release();
    EXPECT_TRUE(destroyed);
}

TEST_F(PropertyPage, ActivationMakesTheDialogFromItsTemplate) {
    EXPECT_EQ(E_UNEXPECTED, page->Show(SW_SHOW));
    EXPECT_EQ(E_UNEXPECTED, page->Move(&place));
    EXPECT_EQ(E_UNEXPECTED, page->Deactivate());
    EXPECT_EQ(E_POINTER, page->Activate(frame, nullptr, FALSE));
    EXPECT_EQ(nullptr, page->Window());

    ASSERT_EQ(S_OK, page->Activate(frame, &place, FALSE));
    const HWND dialog = page->Window();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(page->initWindowMatches) << "the window is known before WM_INITDIALOG";
    EXPECT_EQ((std::vector<std::string>{"WM_INITDIALOG", "OnActivate"}), page->calls);
    EXPECT_EQ(frame, GetParent(dialog));
    EXPECT_NE(nullptr, GetDlgItem(dialog, 1001)) << "the template's controls";
    EXPECT_TRUE(IsWindowVisible(dialog));
    RECT bounds;
    GetWindowRect(dialog, &bounds);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(place.left, bounds.left);
    EXPECT_EQ(place.top, bounds.top);
    EXPECT_EQ(place.right, bounds.right);
    EXPECT_EQ(place.bottom, bounds.bottom);
    EXPECT_EQ(E_UNEXPECTED, page->Activate(frame, &place, FALSE));

    EXPECT_EQ(E_INVALIDARG, page->Show(SW_MINIMIZE));
    EXPECT_EQ(S_OK, page->Show(SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(S_OK, page->Show(SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(dialog));
    const RECT moved = {5, 5, 105, 105};
    EXPECT_EQ(E_POINTER, page->Move(nullptr));
    EXPECT_EQ(S_OK, page->Move(&moved));
    GetClientRect(dialog, &bounds);
    EXPECT_EQ(100, bounds.right);

    // No exception leaves the dialog procedure.
    EXPECT_EQ(0, SendMessageW(dialog, kThrowMessage, 0, 0));

    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(nullptr, page->Window());
    EXPECT_EQ(E_UNEXPECTED, page->Deactivate());
    EXPECT_EQ(
        (std::vector<std::string>{"WM_INITDIALOG", "OnActivate", "OnDeactivate", "WM_DESTROY"}),
        page->calls);
}

TEST_F(PropertyPage, DirtyFlagTellsTheSiteAndApplyClearsIt) {
    RecordingSite site;
    ASSERT_EQ(S_OK, page->SetPageSite(&site));
    bool destroyed = false;
    auto* object = new CTestObject(nullptr, &destroyed);
    object->NonDelegatingAddRef();
    IUnknown* objects[1] = {object->GetOwner()};
    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
    ASSERT_EQ(S_OK, page->Activate(frame, &place, FALSE));

    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    SendMessageW(page->Window(), WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
    EXPECT_EQ(S_OK, page->IsPageDirty());
    EXPECT_TRUE(page->IsDirty());
    EXPECT_EQ(std::vector<DWORD>{PROPPAGESTATUS_DIRTY}, site.statusChanges);
    EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Apply());
    int applied = 0;
    for (const std::string& call : page->calls) applied += call == "OnApplyChanges";
    EXPECT_EQ(1, applied);

    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(0u, site.references);
    object->Release();
    EXPECT_TRUE(destroyed);
}

TEST_F(PropertyPage, ReleasedWhileActiveItDestroysItsDialog) {
    ASSERT_EQ(S_OK, page->Activate(frame, &place, FALSE));
    const HWND dialog = page->Window();
    EXPECT_EQ(0u, page->Release());
    page = nullptr;
    EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
