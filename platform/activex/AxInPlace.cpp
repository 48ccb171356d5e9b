// In-place activation: the container's site, the control's child window
// inside it, and UI activation.
#include "AxControlOle.h"

// Asks the site whether and where the control may go, and creates the
// window there; on failure the site is told the activation ended.
HRESULT CAxControlOle::ConnectInPlaceSite(IOleInPlaceSite *pSite)
{
    if (pSite->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    pSite->OnInPlaceActivate();
    HWND hwndParent = nullptr;
    IOleInPlaceFrame *pFrame = nullptr;
    IOleInPlaceUIWindow *pDoc = nullptr;
    RECT rcPos = {}, rcClip = {};
    OLEINPLACEFRAMEINFO frameInfo = {sizeof frameInfo};
    HRESULT hr = pSite->GetWindow(&hwndParent);
    if (SUCCEEDED(hr))
        hr = pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &frameInfo);
    AxReleaseAndClear(pFrame);
    AxReleaseAndClear(pDoc);
    if (SUCCEEDED(hr))
        hr = m_control.CreateControlWindow(hwndParent, rcPos);
    if (FAILED(hr))
        pSite->OnInPlaceDeactivate();
    return hr;
}

HRESULT CAxControlOle::ActivateInPlace(bool bUIActivate)
{
    if (!m_pClientSite)
        return E_UNEXPECTED;
    if (!m_pInPlaceSite) {
        IOleInPlaceSite *pSite = nullptr;
        HRESULT hr = m_pClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&pSite));
        if (FAILED(hr))
            return hr;
        hr = ConnectInPlaceSite(pSite);
        if (FAILED(hr)) {
            pSite->Release();
            return hr;
        }
        m_pInPlaceSite = pSite;
    }
    if (m_control.m_hWnd)
        ShowWindow(m_control.m_hWnd, SW_SHOWNA);
    if (bUIActivate && !m_bUIActive) {
        m_bUIActive = true;
        m_pInPlaceSite->OnUIActivate();
    }
    return S_OK;
}

STDMETHODIMP CAxControlOle::GetWindow(HWND *phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_control.m_hWnd;
    return m_control.m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CAxControlOle::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlOle::InPlaceDeactivate()
{
    if (!m_pInPlaceSite)
        return S_OK;
    UIDeactivate();
    m_control.DestroyControlWindow();
    IOleInPlaceSite *pSite = m_pInPlaceSite;
    m_pInPlaceSite = nullptr;
    pSite->OnInPlaceDeactivate();
    pSite->Release();
    return S_OK;
}

STDMETHODIMP CAxControlOle::UIDeactivate()
{
    if (m_bUIActive && m_pInPlaceSite) {
        m_bUIActive = false;
        m_pInPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP CAxControlOle::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (!lprcPosRect)
        return E_POINTER;
    if (m_control.m_hWnd)
        MoveWindow(m_control.m_hWnd, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
                   lprcPosRect->bottom - lprcPosRect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CAxControlOle::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

STDMETHODIMP CAxControlOle::TranslateAccelerator(LPMSG)
{
    return S_FALSE;  // the control has no accelerators
}

STDMETHODIMP CAxControlOle::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL)
{
    return S_OK;  // no tool space needed
}

STDMETHODIMP CAxControlOle::EnableModeless(BOOL)
{
    return S_OK;
}
