#include "AxControlView.h"

CAxControlView::CAxControlView(CAxControlBase &control)
    : m_control(control), m_pViewAdviseSink(nullptr), m_dwViewAdviseAspects(0), m_dwViewAdviseFlags(0)
{
}

CAxControlView::~CAxControlView()
{
    AxReleaseAndClear(m_pViewAdviseSink);
}

STDMETHODIMP CAxControlView::Draw(DWORD dwDrawAspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC hdcDraw,
                                  LPCRECTL lprcBounds, LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!hdcDraw || !lprcBounds)
        return E_INVALIDARG;
    const RECT rcBounds = {lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
    m_control.OnDraw(hdcDraw, rcBounds, rcBounds);
    return S_OK;
}

STDMETHODIMP CAxControlView::GetColorSet(DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **ppColorSet)
{
    if (ppColorSet)
        *ppColorSet = nullptr;
    return S_FALSE;  // no particular palette
}

STDMETHODIMP CAxControlView::Freeze(DWORD, LONG, void *, DWORD *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlView::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlView::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink *pAdvSink)
{
    if (pAdvSink)
        pAdvSink->AddRef();
    AxReleaseAndClear(m_pViewAdviseSink);
    m_pViewAdviseSink = pAdvSink;
    m_dwViewAdviseAspects = aspects;
    m_dwViewAdviseFlags = advf;
    return S_OK;
}

STDMETHODIMP CAxControlView::GetAdvise(DWORD *pAspects, DWORD *pAdvf, IAdviseSink **ppAdvSink)
{
    if (pAspects)
        *pAspects = m_dwViewAdviseAspects;
    if (pAdvf)
        *pAdvf = m_dwViewAdviseFlags;
    if (ppAdvSink) {
        if (m_pViewAdviseSink)
            m_pViewAdviseSink->AddRef();
        *ppAdvSink = m_pViewAdviseSink;
    }
    return S_OK;
}

STDMETHODIMP CAxControlView::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE *, LPSIZEL lpsizel)
{
    return m_control.GetContentExtent(dwDrawAspect, lpsizel);
}
