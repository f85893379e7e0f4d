// The editor page as a host opens it: every control of the layout in place, its page
// information, and windows and objects that come and go on one page object.
#include <gtest/gtest.h>

#include "engine/ParameterTable.h"
#include "tests/page/PageTestSupport.h"
#include "ui/page/PageLayout.h"

namespace {

using PageLayoutTest = PageTest;

TEST_F(PageLayoutTest, EveryControlOfTheLayoutIsInPlace) {
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

TEST_F(PageLayoutTest, PageInfoObjectsAndWindowsComeAndGo) {
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

}  // namespace
