#include "AxControlOle.h"

CAxControlOle::CAxControlOle(CAxControlBase &control)
    : m_control(control), m_pClientSite(nullptr), m_pInPlaceSite(nullptr), m_pOleAdviseHolder(nullptr), m_bUIActive(false)
{
}

CAxControlOle::~CAxControlOle()
{
    m_control.DestroyControlWindow();
    AxReleaseAndClear(m_pInPlaceSite);
    AxReleaseAndClear(m_pClientSite);
    AxReleaseAndClear(m_pOleAdviseHolder);
}

STDMETHODIMP CAxControlOle::SetClientSite(IOleClientSite *pClientSite)
{
    if (pClientSite)
        pClientSite->AddRef();
    AxReleaseAndClear(m_pClientSite);
    m_pClientSite = pClientSite;
    return S_OK;
}

STDMETHODIMP CAxControlOle::GetClientSite(IOleClientSite **ppClientSite)
{
    if (!ppClientSite)
        return E_POINTER;
    if (m_pClientSite)
        m_pClientSite->AddRef();
    *ppClientSite = m_pClientSite;
    return S_OK;
}

STDMETHODIMP CAxControlOle::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::Close(DWORD)
{
    InPlaceDeactivate();
    if (m_pOleAdviseHolder)
        m_pOleAdviseHolder->SendOnClose();
    return S_OK;
}

// A control is neither linked to nor transferred as data.
STDMETHODIMP CAxControlOle::SetMoniker(DWORD, IMoniker *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlOle::GetMoniker(DWORD, DWORD, IMoniker **ppmk)
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlOle::InitFromData(IDataObject *, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlOle::GetClipboardData(DWORD, IDataObject **ppDataObject)
{
    if (ppDataObject)
        *ppDataObject = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxControlOle::DoVerb(LONG iVerb, LPMSG, IOleClientSite *pActiveSite, LONG, HWND, LPCRECT)
{
    if (pActiveSite && !m_pClientSite)
        SetClientSite(pActiveSite);
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(false);
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(true);
    case OLEIVERB_HIDE:
        if (m_control.m_hWnd)
            ShowWindow(m_control.m_hWnd, SW_HIDE);
        return S_OK;
    default:
        return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

STDMETHODIMP CAxControlOle::EnumVerbs(IEnumOLEVERB **ppEnumOleVerb)
{
    return OleRegEnumVerbs(*m_control.m_classInfo.pClsid, ppEnumOleVerb);
}

STDMETHODIMP CAxControlOle::Update()
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::GetUserClassID(CLSID *pClsid)
{
    if (!pClsid)
        return E_POINTER;
    *pClsid = *m_control.m_classInfo.pClsid;
    return S_OK;
}

STDMETHODIMP CAxControlOle::GetUserType(DWORD dwFormOfType, LPOLESTR *pszUserType)
{
    return OleRegGetUserType(*m_control.m_classInfo.pClsid, dwFormOfType, pszUserType);
}

STDMETHODIMP CAxControlOle::SetExtent(DWORD dwDrawAspect, SIZEL *psizel)
{
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    m_control.m_sizeExtent = *psizel;
    m_control.m_bDirty = true;
    return S_OK;
}

STDMETHODIMP CAxControlOle::GetExtent(DWORD dwDrawAspect, SIZEL *psizel)
{
    return m_control.GetContentExtent(dwDrawAspect, psizel);
}

STDMETHODIMP CAxControlOle::Advise(IAdviseSink *pAdvSink, DWORD *pdwConnection)
{
    if (!m_pOleAdviseHolder) {
        const HRESULT hr = CreateOleAdviseHolder(&m_pOleAdviseHolder);
        if (FAILED(hr))
            return hr;
    }
    return m_pOleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

STDMETHODIMP CAxControlOle::Unadvise(DWORD dwConnection)
{
    if (!m_pOleAdviseHolder)
        return OLE_E_NOCONNECTION;
    return m_pOleAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CAxControlOle::EnumAdvise(IEnumSTATDATA **ppenumAdvise)
{
    if (!ppenumAdvise)
        return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_pOleAdviseHolder)
        return S_OK;
    return m_pOleAdviseHolder->EnumAdvise(ppenumAdvise);
}

STDMETHODIMP CAxControlOle::GetMiscStatus(DWORD dwAspect, DWORD *pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = dwAspect == DVASPECT_CONTENT ? m_control.m_classInfo.dwMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP CAxControlOle::SetColorScheme(LOGPALETTE *)
{
    return E_NOTIMPL;
}

// ---- IOleControl

STDMETHODIMP CAxControlOle::GetControlInfo(CONTROLINFO *pCI)
{
    if (!pCI)
        return E_POINTER;
    pCI->hAccel = nullptr;
    pCI->cAccel = 0;
    pCI->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CAxControlOle::OnMnemonic(MSG *)
{
    return S_OK;
}

STDMETHODIMP CAxControlOle::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

// While a container has events frozen it does not accept them; they are
// dropped, not queued, as the container asked not to be disturbed.
STDMETHODIMP CAxControlOle::FreezeEvents(BOOL bFreeze)
{
    if (bFreeze)
        ++m_control.m_nFreezeEvents;
    else if (m_control.m_nFreezeEvents > 0)
        --m_control.m_nFreezeEvents;
    return S_OK;
}
