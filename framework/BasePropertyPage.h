// The base of a filter's property page: IPropertyPage over CUnknown. The page's dialog is
// created from a template resource of the module when the frame activates the page; every
// dialog message goes to OnReceiveMessage, and the frame's other calls end in the OnConnect,
// OnDisconnect, OnActivate, OnDeactivate and OnApplyChanges hooks. A derived page sets the
// dirty flag through SetDirty. All of it runs on the host's user-interface thread.
#pragma once

#include <ocidl.h>

#include "framework/Unknown.h"
#include "platform/Platform.h"

class CBasePropertyPage : public IPropertyPage, public CUnknown {
public:
    // `dialogId` names the page's dialog template and `titleId` its title string, both in
    // the module's resources (ModuleInstance).
    CBasePropertyPage(const WCHAR* name, IUnknown* outer, int dialogId, int titleId);

    DECLARE_IUNKNOWN

    // IPropertyPage, in its slot order.
    // Keeps the frame's site with one reference; null releases it. E_UNEXPECTED when a site
    // is set twice.
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    // Creates the dialog as a child of `parent`, runs OnActivate, places it at `rect` and
    // shows it: E_POINTER, E_UNEXPECTED when it exists already, E_OUTOFMEMORY when it cannot
    // be created.
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    // OnDeactivate, then destroys the dialog: E_UNEXPECTED without one.
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    // The title string (task memory, E_OUTOFMEMORY) and the dialog template's size in pixels.
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    // One object: OnConnect with it. None: OnDisconnect when an object was connected. More
    // than one: E_UNEXPECTED.
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    // SW_SHOW, SW_SHOWNORMAL or SW_HIDE (E_INVALIDARG for others); E_UNEXPECTED without the
    // dialog.
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    // S_OK when the dirty flag is set, S_FALSE otherwise.
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    // E_UNEXPECTED without an object; when dirty, OnApplyChanges clears the flag on success.
    HRESULT STDMETHODCALLTYPE Apply() override;
    // E_NOTIMPL (TranslateAccelerator: E_POINTER for a null message first).
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpFolder) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

    // The page's hooks, each S_OK by default.
    virtual HRESULT OnConnect(IUnknown* object);
    virtual HRESULT OnDisconnect();
    virtual HRESULT OnActivate();
    virtual HRESULT OnDeactivate();
    virtual HRESULT OnApplyChanges();
    // The dialog procedure's work: the result is the dialog procedure's. The default handles
    // nothing (0), leaving every message to the dialog's own default handling.
    virtual INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // IPropertyPage, then IUnknown.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ~CBasePropertyPage() override;

    HWND Window() const { return window_; }  // not owned: destroyed by Deactivate
    bool IsDirty() const { return dirty_; }

protected:
    // Sets the dirty flag and tells the frame.
    void SetDirty();

    IPropertyPageSite* pageSite_ = nullptr;  // counted
    HWND window_ = nullptr;                  // the dialog while it exists
    bool dirty_ = false;
    bool objectSet_ = false;
    const int dialogId_;
    const int titleId_;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
