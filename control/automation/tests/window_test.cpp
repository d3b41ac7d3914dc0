// The control on a window of a container, under a real display: its pixels,
// its drawing for the container, its about box and its property page.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas.h"
#include "com_test.h"
#include "container.h"
#include "dispatch_ids.h"

namespace zelmar::test {
namespace {

constexpr COLORREF kGrey = RGB(192, 192, 192);
constexpr int kWidth = 100;
constexpr int kHeight = 20;

// What the control should look like at `origin` in a picture of `size`:
// grey, and "Zelmar" in black at two units from the corner, in `font`.
void DrawExpected(Canvas& picture, POINT origin, HGDIOBJ font) {
    const HBRUSH grey = CreateSolidBrush(kGrey);
    const RECT field = {origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
    FillRect(picture.Dc(), &field, grey);
    DeleteObject(grey);
    SelectObject(picture.Dc(), font);
    SetTextColor(picture.Dc(), RGB(0, 0, 0));
    SetBkColor(picture.Dc(), kGrey);
    TextOutW(picture.Dc(), origin.x + 2, origin.y + 2, L"Zelmar", 6);
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CLSID clsid = {};
        ASSERT_EQ(CLSIDFromProgID(L"ZELMAR.ZelmarCtrl.1", &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_)),
                  S_OK);
    }
    void TearDown() override {
        if (control_) control_->Close(OLECLOSE_NOSAVE);
        control_.Reset();
    }

    OleApartment ole_;
    ComPtr<IOleObject> control_;
};

TEST_F(WindowTest, ShowsAGreyFieldWithItsNameInItsWindow) {
    Container container(RECT{10, 10, 10 + kWidth, 10 + kHeight});
    ASSERT_NE(container.Window(), nullptr);
    ASSERT_EQ(container.Place(*control_.Get()), S_OK);
    ComPtr<IOleInPlaceObject> inPlace;
    HWND window = nullptr;
    ASSERT_EQ(control_.As(&inPlace), S_OK);
    ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
    EXPECT_EQ(GetParent(window), container.Window());
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    UpdateWindow(window);

    Canvas shown(kWidth, kHeight, RGB(255, 255, 255));
    const HDC windowDc = GetDC(window);
    BitBlt(shown.Dc(), 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY);
    Canvas expected(kWidth, kHeight, RGB(255, 255, 255));
    DrawExpected(expected, {0, 0}, GetCurrentObject(windowDc, OBJ_FONT));
    ReleaseDC(window, windowDc);

    EXPECT_EQ(shown.At(0, 0), 0xC0C0C0u);
    EXPECT_EQ(shown.At(kWidth - 1, kHeight - 1), 0xC0C0C0u);
    EXPECT_EQ(shown.FirstDifference(expected), "same");

    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_TRUE(container.Deactivated());
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowTest, DrawsIntoTheBoundsItIsGiven) {
    ComPtr<IViewObject2> view;
    ASSERT_EQ(control_.As(&view), S_OK);
    for (const POINT origin : {POINT{0, 0}, POINT{13, 7}}) {
        Canvas drawn(kWidth + 20, kHeight + 10, RGB(255, 255, 255));
        const RECTL bounds = {origin.x, origin.y, origin.x + kWidth, origin.y + kHeight};
        ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn.Dc(), &bounds,
                             nullptr, nullptr, 0),
                  S_OK);
        Canvas expected(kWidth + 20, kHeight + 10, RGB(255, 255, 255));
        DrawExpected(expected, origin, GetCurrentObject(drawn.Dc(), OBJ_FONT));
        EXPECT_EQ(drawn.FirstDifference(expected), "same") << origin.x << "," << origin.y;
    }
}

// The about box as the hook found it, closed at once.
struct AboutSeen {
    std::wstring caption;
    std::wstring text;
};
AboutSeen g_about;

LRESULT CALLBACK CloseAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    const HWND dialog = reinterpret_cast<HWND>(wParam);
    wchar_t text[128] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(dialog, text, 128) &&
        text == std::wstring(L"#32770")) {
        GetWindowTextW(dialog, text, 128);
        g_about.caption = text;
        GetWindowTextW(FindWindowExW(dialog, nullptr, L"Static", L"Zelmar Control, Version 1.0"),
                       text, 128);
        g_about.text = text;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, AboutBoxShowsDialogOne) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control_.As(&dispatch), S_OK);
    const HHOOK hook = SetWindowsHookExW(WH_CBT, CloseAboutBox, nullptr, GetCurrentThreadId());
    Arguments none;
    EXPECT_EQ(Call(*dispatch.Get(), ZELMAR_DISPID_ABOUT_BOX, none, nullptr), S_OK);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(g_about.caption, L"About Zelmar Control");
    EXPECT_EQ(g_about.text, L"Zelmar Control, Version 1.0");
}

TEST_F(WindowTest, PropertyPageShowsItsDialog) {
    ComPtr<IPropertyPage> page;
    CLSID clsid = {};
    CLSIDFromString(L"{A7B202AB-A508-4235-9C97-C25799782590}", &clsid);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
    PROPPAGEINFO info = {};
    info.cb = sizeof(info);
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"General");
    EXPECT_GT(info.size.cx, info.size.cy);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);

    Container container(RECT{0, 0, 1, 1});
    const RECT position = {0, 0, info.size.cx, info.size.cy};
    ASSERT_EQ(page->Activate(container.Window(), &position, FALSE), S_OK);
    const HWND dialog = FindWindowExW(container.Window(), nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(FindWindowExW(dialog, nullptr, L"Static",
                            L"TODO: Place controls to manipulate properties of Zelmar Control on "
                            L"this dialog."),
              nullptr);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace zelmar::test
