// The base property page.
#include "framework/BasePropertyPage.h"

#include <cstring>

#include "framework/Module.h"

namespace {

// A dialog procedure that handles nothing: used to measure the template.
INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

}  // namespace

CBasePropertyPage::CBasePropertyPage(const WCHAR* name, IUnknown* outer, int dialogId, int titleId)
    : CUnknown(name, outer), dialogId_(dialogId), titleId_(titleId) {}

CBasePropertyPage::~CBasePropertyPage() {
    if (window_ != nullptr) {
        // The derived page is gone: its window procedure must not be reached any more.
        SetWindowLongPtrW(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
    if (pageSite_ != nullptr) pageSite_->Release();
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IPropertyPage)) {
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site != nullptr) {
        if (pageSite_ != nullptr) return E_UNEXPECTED;
        site->AddRef();
        pageSite_ = site;
    } else if (pageSite_ != nullptr) {
        pageSite_->Release();
        pageSite_ = nullptr;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (rect == nullptr) return E_POINTER;
    if (window_ != nullptr) return E_UNEXPECTED;
    // WM_INITDIALOG records the window in window_ before the page sees it.
    const HWND created = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(dialogId_), parent,
                                            &DialogProc, reinterpret_cast<LPARAM>(this));
    if (created == nullptr) return E_OUTOFMEMORY;
    window_ = created;
    HRESULT hr = OnActivate();
    if (SUCCEEDED(hr)) hr = Move(rect);
    if (FAILED(hr)) {
        DestroyWindow(window_);
        window_ = nullptr;
        return hr;
    }
    return Show(SW_SHOWNORMAL);
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Deactivate() {
    if (window_ == nullptr) return E_UNEXPECTED;
    const HRESULT hr = OnDeactivate();
    if (FAILED(hr)) return hr;
    DestroyWindow(window_);
    window_ = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) return E_POINTER;
    const HINSTANCE module = ModuleInstance();
    const WCHAR* title = nullptr;
    // With a zero buffer size LoadStringW points at the resource text itself (not
    // NUL-terminated) and returns its length.
    const int length =
        LoadStringW(module, static_cast<UINT>(titleId_), reinterpret_cast<LPWSTR>(&title), 0);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(WCHAR)));
    if (copy == nullptr) return E_OUTOFMEMORY;
    if (length > 0) std::memcpy(copy, title, length * sizeof(WCHAR));
    copy[length] = L'\0';

    SIZE size = {0, 0};
    // The template's size in pixels is the size of a dialog made from it.
    const HWND measured = CreateDialogParamW(module, MAKEINTRESOURCEW(dialogId_),
                                             GetDesktopWindow(), &MeasureProc, 0);
    if (measured != nullptr) {
        RECT bounds;
        GetWindowRect(measured, &bounds);
        size.cx = bounds.right - bounds.left;
        size.cy = bounds.bottom - bounds.top;
        DestroyWindow(measured);
    }
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = copy;
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count == 1) {
        if (objects == nullptr || objects[0] == nullptr) return E_POINTER;
        const HRESULT hr = OnConnect(objects[0]);
        objectSet_ = SUCCEEDED(hr);
        return hr;
    }
    if (count == 0) {
        if (!objectSet_) return S_OK;
        objectSet_ = false;
        return OnDisconnect();
    }
    return E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Show(UINT command) {
    if (window_ == nullptr) return E_UNEXPECTED;
    if (command != SW_SHOW && command != SW_SHOWNORMAL && command != SW_HIDE) return E_INVALIDARG;
    ShowWindow(window_, static_cast<int>(command));
    InvalidateRect(window_, nullptr, TRUE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Move(LPCRECT rect) {
    if (rect == nullptr) return E_POINTER;
    if (window_ == nullptr) return E_UNEXPECTED;
    MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               TRUE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::IsPageDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Apply() {
    if (!objectSet_) return E_UNEXPECTED;
    if (!dirty_) return S_OK;
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr)) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::Help(LPCOLESTR) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CBasePropertyPage::TranslateAccelerator(MSG* message) {
    if (message == nullptr) return E_POINTER;
    return E_NOTIMPL;
}

HRESULT CBasePropertyPage::OnConnect(IUnknown*) {
    return S_OK;
}

HRESULT CBasePropertyPage::OnDisconnect() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnActivate() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnDeactivate() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnApplyChanges() {
    return S_OK;
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

void CBasePropertyPage::SetDirty() {
    dirty_ = true;
    if (pageSite_ != nullptr) pageSite_->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

INT_PTR CALLBACK CBasePropertyPage::DialogProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    // The page lives in DWLP_USER: the window's user data belongs to the derived page.
    CBasePropertyPage* page;
    if (message == WM_INITDIALOG) {
        page = reinterpret_cast<CBasePropertyPage*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        page->window_ = window;
    } else {
        page = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (page == nullptr) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = page->OnReceiveMessage(window, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the dialog manager; the message counts as unhandled.
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        if (page->window_ == window) page->window_ = nullptr;
    }
    return result;
}
