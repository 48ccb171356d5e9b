// A minimal container hosts the control in a window: in-place activation
// gives the control a child window at the site's position, and the
// control's drawing (IViewObject::Draw) is checked pixel by pixel.
#include <gtest/gtest.h>

#include <olectl.h>

#include "ControlHost.h"

namespace {

class Site : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit Site(HWND hWnd) : m_hWnd(hWnd) {}
    LONG m_cRef = 1;
    int m_nActivations = 0, m_nDeactivations = 0;
    RECT m_rcPos = {10, 20, 110, 70};

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        const bool bClient = riid == IID_IUnknown || riid == IID_IOleClientSite;
        const bool bInPlace = riid == IID_IOleWindow || riid == IID_IOleInPlaceSite;
        *ppv = bClient    ? static_cast<void *>(static_cast<IOleClientSite *>(this))
               : bInPlace ? static_cast<void *>(static_cast<IOleInPlaceSite *>(this))
                          : nullptr;
        return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cRef; }
    STDMETHODIMP_(ULONG) Release() override { return --m_cRef; }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer **ppContainer) override { return *ppContainer = nullptr, E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND *phwnd) override { return *phwnd = m_hWnd, S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return ++m_nActivations, S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc, LPRECT prcPos,
                                  LPRECT prcClip, LPOLEINPLACEFRAMEINFO) override
    {
        *ppFrame = nullptr;
        *ppDoc = nullptr;
        *prcPos = *prcClip = m_rcPos;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return ++m_nDeactivations, S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND m_hWnd;
};

class ControlContainer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
};

TEST_F(ControlContainer, InPlaceActivationGivesTheControlAChildWindowAtTheSite)
{
    HWND hFrame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hFrame);
    Site site(hFrame);
    IDispatch *pControl = CreateControl();
    ASSERT_NE(nullptr, pControl);
    IOleObject *pOle = nullptr;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&pOle)));
    ASSERT_EQ(S_OK, pOle->SetClientSite(&site));
    ASSERT_EQ(S_OK, pOle->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, hFrame, &site.m_rcPos));
    EXPECT_EQ(1, site.m_nActivations);

    IOleInPlaceObject *pInPlace = nullptr;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&pInPlace)));
    HWND hControl = nullptr;
    ASSERT_EQ(S_OK, pInPlace->GetWindow(&hControl));
    EXPECT_EQ(hFrame, GetParent(hControl));
    RECT rc = {};
    GetWindowRect(hControl, &rc);
    MapWindowPoints(nullptr, hFrame, reinterpret_cast<POINT *>(&rc), 2);
    EXPECT_EQ(site.m_rcPos.left, rc.left);
    EXPECT_EQ(site.m_rcPos.top, rc.top);
    EXPECT_EQ(100, rc.right - rc.left);
    EXPECT_EQ(50, rc.bottom - rc.top);

    const RECT rcMoved = {5, 5, 65, 45};
    EXPECT_EQ(S_OK, pInPlace->SetObjectRects(&rcMoved, &rcMoved));
    GetClientRect(hControl, &rc);
    EXPECT_EQ(60, rc.right);
    EXPECT_EQ(40, rc.bottom);

    EXPECT_EQ(S_OK, pOle->Close(OLECLOSE_NOSAVE));
    EXPECT_FALSE(IsWindow(hControl));
    EXPECT_EQ(1, site.m_nDeactivations);
    pOle->SetClientSite(nullptr);
    pInPlace->Release();
    pOle->Release();
    EXPECT_EQ(0u, pControl->Release());
    EXPECT_EQ(1, site.m_cRef) << "the control let go of its site";
    DestroyWindow(hFrame);
}

TEST_F(ControlContainer, DrawFillsWhiteAndDrawsTheInscribedEllipseWithTheCurrentPenAndBrush)
{
    IDispatch *pControl = CreateControl();
    ASSERT_NE(nullptr, pControl);
    IViewObject2 *pView = nullptr;
    ASSERT_EQ(S_OK, pControl->QueryInterface(IID_IViewObject2, reinterpret_cast<void **>(&pView)));

    HDC hdcScreen = GetDC(nullptr);
    HDC hdc = CreateCompatibleDC(hdcScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -60, 1, 32, BI_RGB};
    void *pvBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    ReleaseDC(nullptr, hdcScreen);
    ASSERT_NE(nullptr, hBitmap);
    HGDIOBJ hOldBitmap = SelectObject(hdc, hBitmap);
    // Red everywhere first, so an unpainted pixel shows.
    HBRUSH hRed = CreateSolidBrush(RGB(255, 0, 0));
    RECT rcAll = {0, 0, 100, 60};
    FillRect(hdc, &rcAll, hRed);
    HPEN hPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HBRUSH hBrush = CreateSolidBrush(RGB(0, 255, 0));
    HGDIOBJ hOldPen = SelectObject(hdc, hPen);
    HGDIOBJ hOldBrush = SelectObject(hdc, hBrush);

    const RECTL rcBounds = {10, 10, 90, 50};
    ASSERT_EQ(S_OK, pView->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &rcBounds, nullptr,
                                nullptr, 0));
    GdiFlush();
    auto pixel = [&](int x, int y) {
        const DWORD bgr = static_cast<const DWORD *>(pvBits)[y * 100 + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    };
    EXPECT_EQ(RGB(255, 0, 0), pixel(5, 5)) << "outside the bounds: untouched";
    EXPECT_EQ(RGB(255, 255, 255), pixel(11, 11)) << "corner of the bounds: white";
    EXPECT_EQ(RGB(255, 255, 255), pixel(88, 48));
    EXPECT_EQ(RGB(0, 255, 0), pixel(50, 30)) << "inside the ellipse: the DC's brush";
    EXPECT_EQ(RGB(0, 0, 255), pixel(10, 30)) << "left end of the ellipse: the DC's pen";
    EXPECT_EQ(RGB(0, 0, 255), pixel(50, 10)) << "top of the ellipse";
    EXPECT_EQ(DV_E_DVASPECT, pView->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, hdc, &rcBounds, nullptr,
                                         nullptr, 0));

    for (HGDIOBJ hOld : {hOldPen, hOldBrush, hOldBitmap})
        SelectObject(hdc, hOld);
    for (HGDIOBJ hObject : std::initializer_list<HGDIOBJ>{hPen, hBrush, hRed, hBitmap})
        DeleteObject(hObject);
    DeleteDC(hdc);
    pView->Release();
    EXPECT_EQ(0u, pControl->Release());
}

} // namespace
