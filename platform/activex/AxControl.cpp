#include "AxControl.h"

#include <new>

#include "AxModule.h"

namespace {

const WCHAR kControlWindowClass[] = L"AxControlWindow";
LONG g_nControlWindows = 0;  // windows of kControlWindowClass in this module

// A new control starts 5 cm by 2.5 cm, in HIMETRIC.
const SIZEL kDefaultExtent = {5000, 2500};

RECT ToRect(LPCRECTL prcl)
{
    return RECT{prcl->left, prcl->top, prcl->right, prcl->bottom};
}

template <class T>
void ReleaseAndClear(T *&p)
{
    if (p) {
        T *pOld = p;
        p = nullptr;
        pOld->Release();
    }
}

} // namespace

CAxControl::CAxControl(const AxControlClassInfo &classInfo)
    : m_cRef(1),
      m_classInfo(classInfo),
      m_dispatch(*classInfo.pLibID, classInfo.wVerMajor, classInfo.wVerMinor, *classInfo.pDispIID,
                 *classInfo.pVtblIID),
      m_eventPoint(this, *classInfo.pEventIID),
      m_pClientSite(nullptr),
      m_pInPlaceSite(nullptr),
      m_pOleAdviseHolder(nullptr),
      m_pViewAdviseSink(nullptr),
      m_dwViewAdviseAspects(0),
      m_dwViewAdviseFlags(0),
      m_hWnd(nullptr),
      m_bUIActive(false),
      m_bDirty(false),
      m_nFreezeEvents(0),
      m_sizeExtent(kDefaultExtent)
{
    AxLockModule();
}

CAxControl::~CAxControl()
{
    DestroyControlWindow();
    m_eventPoint.UnadviseAll();
    ReleaseAndClear(m_pInPlaceSite);
    ReleaseAndClear(m_pClientSite);
    ReleaseAndClear(m_pOleAdviseHolder);
    ReleaseAndClear(m_pViewAdviseSink);
    AxUnlockModule();
}

// ---- IUnknown

STDMETHODIMP CAxControl::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    void *pv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, *m_classInfo.pDispIID))
        pv = static_cast<IDispatch *>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        pv = static_cast<IConnectionPointContainer *>(this);
    else if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        pv = static_cast<IProvideClassInfo2 *>(this);
    else if (IsEqualIID(riid, IID_IOleObject))
        pv = static_cast<IOleObject *>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
        pv = static_cast<IOleInPlaceObject *>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
        pv = static_cast<IOleInPlaceActiveObject *>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        pv = static_cast<IOleControl *>(this);
    else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        pv = static_cast<IViewObject2 *>(this);
    else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
        pv = static_cast<IPersistStreamInit *>(this);
    else if (IsEqualIID(riid, IID_ISpecifyPropertyPages))
        pv = static_cast<ISpecifyPropertyPages *>(this);
    *ppv = pv;
    if (!pv)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CAxControl::AddRef()
{
    return InterlockedIncrement(&m_cRef);
}

STDMETHODIMP_(ULONG) CAxControl::Release()
{
    const LONG cRef = InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    return cRef;
}

// ---- IDispatch

STDMETHODIMP CAxControl::GetTypeInfoCount(UINT *pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

STDMETHODIMP CAxControl::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo)
{
    return m_dispatch.GetTypeInfo(iTInfo, lcid, ppTInfo);
}

STDMETHODIMP CAxControl::GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                       DISPID *rgDispId)
{
    return m_dispatch.GetIDsOfNames(riid, rgszNames, cNames, lcid, rgDispId);
}

STDMETHODIMP CAxControl::Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                UINT *puArgErr)
{
    // A host may release its last reference from inside the call (an event
    // handler); the object stays alive until the call is over.
    AddRef();
    const HRESULT hr = m_dispatch.Invoke(GetDispatchTarget(), dispIdMember, riid, lcid, wFlags,
                                         pDispParams, pVarResult, pExcepInfo, puArgErr);
    Release();
    return hr;
}

// ---- IConnectionPointContainer, IProvideClassInfo2

STDMETHODIMP CAxControl::EnumConnectionPoints(IEnumConnectionPoints **ppEnum)
{
    IConnectionPoint *pPoint = &m_eventPoint;
    return AxCreateConnectionPointEnum(&pPoint, 1, ppEnum);
}

STDMETHODIMP CAxControl::FindConnectionPoint(REFIID riid, IConnectionPoint **ppCP)
{
    if (!ppCP)
        return E_POINTER;
    *ppCP = nullptr;
    if (!IsEqualIID(riid, m_eventPoint.GetIID()))
        return CONNECT_E_NOCONNECTION;
    m_eventPoint.AddRef();
    *ppCP = &m_eventPoint;
    return S_OK;
}

STDMETHODIMP CAxControl::GetClassInfo(ITypeInfo **ppTI)
{
    if (!ppTI)
        return E_POINTER;
    *ppTI = nullptr;
    const HRESULT hr = m_dispatch.Load(LOCALE_USER_DEFAULT);
    if (FAILED(hr))
        return hr;
    return m_dispatch.GetTypeLib()->GetTypeInfoOfGuid(*m_classInfo.pClsid, ppTI);
}

STDMETHODIMP CAxControl::GetGUID(DWORD dwGuidKind, GUID *pGUID)
{
    if (!pGUID)
        return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *pGUID = GUID_NULL;
        return E_INVALIDARG;
    }
    *pGUID = *m_classInfo.pEventIID;
    return S_OK;
}

// ---- IOleObject

STDMETHODIMP CAxControl::SetClientSite(IOleClientSite *pClientSite)
{
    if (pClientSite)
        pClientSite->AddRef();
    ReleaseAndClear(m_pClientSite);
    m_pClientSite = pClientSite;
    return S_OK;
}

STDMETHODIMP CAxControl::GetClientSite(IOleClientSite **ppClientSite)
{
    if (!ppClientSite)
        return E_POINTER;
    if (m_pClientSite)
        m_pClientSite->AddRef();
    *ppClientSite = m_pClientSite;
    return S_OK;
}

STDMETHODIMP CAxControl::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

STDMETHODIMP CAxControl::Close(DWORD)
{
    InPlaceDeactivate();
    if (m_pOleAdviseHolder)
        m_pOleAdviseHolder->SendOnClose();
    return S_OK;
}

// A control is neither linked to nor transferred as data.
STDMETHODIMP CAxControl::SetMoniker(DWORD, IMoniker *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::GetMoniker(DWORD, DWORD, IMoniker **ppmk)
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::InitFromData(IDataObject *, BOOL, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::GetClipboardData(DWORD, IDataObject **ppDataObject)
{
    if (ppDataObject)
        *ppDataObject = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite *pActiveSite, LONG, HWND, LPCRECT)
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
        if (m_hWnd)
            ShowWindow(m_hWnd, SW_HIDE);
        return S_OK;
    default:
        return iVerb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

STDMETHODIMP CAxControl::EnumVerbs(IEnumOLEVERB **ppEnumOleVerb)
{
    return OleRegEnumVerbs(*m_classInfo.pClsid, ppEnumOleVerb);
}

STDMETHODIMP CAxControl::Update()
{
    return S_OK;
}

STDMETHODIMP CAxControl::IsUpToDate()
{
    return S_OK;
}

STDMETHODIMP CAxControl::GetUserClassID(CLSID *pClsid)
{
    return GetClassID(pClsid);
}

STDMETHODIMP CAxControl::GetUserType(DWORD dwFormOfType, LPOLESTR *pszUserType)
{
    return OleRegGetUserType(*m_classInfo.pClsid, dwFormOfType, pszUserType);
}

STDMETHODIMP CAxControl::SetExtent(DWORD dwDrawAspect, SIZEL *psizel)
{
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    m_sizeExtent = *psizel;
    m_bDirty = true;
    return S_OK;
}

STDMETHODIMP CAxControl::GetExtent(DWORD dwDrawAspect, SIZEL *psizel)
{
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *psizel = m_sizeExtent;
    return S_OK;
}

STDMETHODIMP CAxControl::Advise(IAdviseSink *pAdvSink, DWORD *pdwConnection)
{
    if (!m_pOleAdviseHolder) {
        const HRESULT hr = CreateOleAdviseHolder(&m_pOleAdviseHolder);
        if (FAILED(hr))
            return hr;
    }
    return m_pOleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

STDMETHODIMP CAxControl::Unadvise(DWORD dwConnection)
{
    if (!m_pOleAdviseHolder)
        return OLE_E_NOCONNECTION;
    return m_pOleAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CAxControl::EnumAdvise(IEnumSTATDATA **ppenumAdvise)
{
    if (!ppenumAdvise)
        return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_pOleAdviseHolder)
        return S_OK;
    return m_pOleAdviseHolder->EnumAdvise(ppenumAdvise);
}

STDMETHODIMP CAxControl::GetMiscStatus(DWORD dwAspect, DWORD *pdwStatus)
{
    if (!pdwStatus)
        return E_POINTER;
    *pdwStatus = dwAspect == DVASPECT_CONTENT ? m_classInfo.dwMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP CAxControl::SetColorScheme(LOGPALETTE *)
{
    return E_NOTIMPL;
}

// ---- In-place activation

HRESULT CAxControl::ActivateInPlace(bool bUIActivate)
{
    if (!m_pClientSite)
        return E_UNEXPECTED;
    if (!m_pInPlaceSite) {
        IOleInPlaceSite *pSite = nullptr;
        HRESULT hr = m_pClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&pSite));
        if (FAILED(hr))
            return hr;
        if (pSite->CanInPlaceActivate() != S_OK) {
            pSite->Release();
            return E_FAIL;
        }
        pSite->OnInPlaceActivate();
        HWND hwndParent = nullptr;
        IOleInPlaceFrame *pFrame = nullptr;
        IOleInPlaceUIWindow *pDoc = nullptr;
        RECT rcPos = {}, rcClip = {};
        OLEINPLACEFRAMEINFO frameInfo = {sizeof frameInfo};
        hr = pSite->GetWindow(&hwndParent);
        if (SUCCEEDED(hr))
            hr = pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &frameInfo);
        ReleaseAndClear(pFrame);
        ReleaseAndClear(pDoc);
        if (SUCCEEDED(hr))
            hr = CreateControlWindow(hwndParent, rcPos);
        if (FAILED(hr)) {
            pSite->OnInPlaceDeactivate();
            pSite->Release();
            return hr;
        }
        m_pInPlaceSite = pSite;
    }
    if (m_hWnd)
        ShowWindow(m_hWnd, SW_SHOWNA);
    if (bUIActivate && !m_bUIActive) {
        m_bUIActive = true;
        m_pInPlaceSite->OnUIActivate();
    }
    return S_OK;
}

HRESULT CAxControl::CreateControlWindow(HWND hwndParent, const RECT &rcPos)
{
    const HINSTANCE hInstance = AxGetModuleInstance();
    if (g_nControlWindows == 0) {
        WNDCLASSEXW wc = {sizeof wc};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = ControlWndProc;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.lpszClassName = kControlWindowClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return HRESULT_FROM_WIN32(GetLastError());
    }
    m_hWnd = CreateWindowExW(0, kControlWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, rcPos.left, rcPos.top,
                             rcPos.right - rcPos.left, rcPos.bottom - rcPos.top, hwndParent, nullptr,
                             hInstance, this);
    if (!m_hWnd) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        if (g_nControlWindows == 0)
            UnregisterClassW(kControlWindowClass, hInstance);
        return FAILED(hr) ? hr : E_FAIL;
    }
    ++g_nControlWindows;
    return S_OK;
}

void CAxControl::DestroyControlWindow()
{
    if (!m_hWnd)
        return;
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    // The class must not outlive the code of its window procedure when the
    // module is unloaded.
    if (--g_nControlWindows == 0)
        UnregisterClassW(kControlWindowClass, AxGetModuleInstance());
}

LRESULT CALLBACK CAxControl::ControlWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE) {
        const CREATESTRUCTW *pCreate = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    CAxControl *pControl = reinterpret_cast<CAxControl *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    switch (uMsg) {
    case WM_ERASEBKGND:
        return 1;  // OnDraw paints every pixel
    case WM_PAINT:
        if (pControl) {
            PAINTSTRUCT ps;
            HDC hdc = BeginPaint(hWnd, &ps);
            RECT rcClient;
            GetClientRect(hWnd, &rcClient);
            pControl->OnDraw(hdc, rcClient, ps.rcPaint);
            EndPaint(hWnd, &ps);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject

STDMETHODIMP CAxControl::GetWindow(HWND *phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

STDMETHODIMP CAxControl::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::InPlaceDeactivate()
{
    if (!m_pInPlaceSite)
        return S_OK;
    UIDeactivate();
    DestroyControlWindow();
    IOleInPlaceSite *pSite = m_pInPlaceSite;
    m_pInPlaceSite = nullptr;
    pSite->OnInPlaceDeactivate();
    pSite->Release();
    return S_OK;
}

STDMETHODIMP CAxControl::UIDeactivate()
{
    if (m_bUIActive && m_pInPlaceSite) {
        m_bUIActive = false;
        m_pInPlaceSite->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP CAxControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (!lprcPosRect)
        return E_POINTER;
    if (m_hWnd)
        MoveWindow(m_hWnd, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
                   lprcPosRect->bottom - lprcPosRect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CAxControl::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

STDMETHODIMP CAxControl::TranslateAccelerator(LPMSG)
{
    return S_FALSE;  // the control has no accelerators
}

STDMETHODIMP CAxControl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxControl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

STDMETHODIMP CAxControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL)
{
    return S_OK;  // no tool space needed
}

STDMETHODIMP CAxControl::EnableModeless(BOOL)
{
    return S_OK;
}

// ---- IOleControl

STDMETHODIMP CAxControl::GetControlInfo(CONTROLINFO *pCI)
{
    if (!pCI)
        return E_POINTER;
    pCI->hAccel = nullptr;
    pCI->cAccel = 0;
    pCI->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CAxControl::OnMnemonic(MSG *)
{
    return S_OK;
}

STDMETHODIMP CAxControl::OnAmbientPropertyChange(DISPID)
{
    return S_OK;
}

// While a container has events frozen it does not accept them; they are
// dropped, not queued, as the container asked not to be disturbed.
STDMETHODIMP CAxControl::FreezeEvents(BOOL bFreeze)
{
    if (bFreeze)
        ++m_nFreezeEvents;
    else if (m_nFreezeEvents > 0)
        --m_nFreezeEvents;
    return S_OK;
}

// ---- IViewObject2

STDMETHODIMP CAxControl::Draw(DWORD dwDrawAspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC hdcDraw,
                              LPCRECTL lprcBounds, LPCRECTL,
                              BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR)
{
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!hdcDraw || !lprcBounds)
        return E_INVALIDARG;
    const RECT rcBounds = ToRect(lprcBounds);
    OnDraw(hdcDraw, rcBounds, rcBounds);
    return S_OK;
}

STDMETHODIMP CAxControl::GetColorSet(DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **ppColorSet)
{
    if (ppColorSet)
        *ppColorSet = nullptr;
    return S_FALSE;  // no particular palette
}

STDMETHODIMP CAxControl::Freeze(DWORD, LONG, void *, DWORD *)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP CAxControl::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink *pAdvSink)
{
    if (pAdvSink)
        pAdvSink->AddRef();
    ReleaseAndClear(m_pViewAdviseSink);
    m_pViewAdviseSink = pAdvSink;
    m_dwViewAdviseAspects = aspects;
    m_dwViewAdviseFlags = advf;
    return S_OK;
}

STDMETHODIMP CAxControl::GetAdvise(DWORD *pAspects, DWORD *pAdvf, IAdviseSink **ppAdvSink)
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

STDMETHODIMP CAxControl::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE *, LPSIZEL lpsizel)
{
    return GetExtent(dwDrawAspect, lpsizel);
}

// ---- IPersistStreamInit

STDMETHODIMP CAxControl::GetClassID(CLSID *pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = *m_classInfo.pClsid;
    return S_OK;
}

STDMETHODIMP CAxControl::IsDirty()
{
    return m_bDirty ? S_OK : S_FALSE;
}

STDMETHODIMP CAxControl::Load(LPSTREAM pStm)
{
    if (!pStm)
        return E_POINTER;
    CAxPropExchange px(pStm, true);
    DoPropExchange(px);
    if (SUCCEEDED(px.GetResult()))
        m_bDirty = false;
    return px.GetResult();
}

STDMETHODIMP CAxControl::Save(LPSTREAM pStm, BOOL fClearDirty)
{
    if (!pStm)
        return E_POINTER;
    CAxPropExchange px(pStm, false);
    DoPropExchange(px);
    if (SUCCEEDED(px.GetResult()) && fClearDirty)
        m_bDirty = false;
    return px.GetResult();
}

STDMETHODIMP CAxControl::GetSizeMax(ULARGE_INTEGER *pCbSize)
{
    if (!pCbSize)
        return E_POINTER;
    CAxPropExchange px(nullptr, false);
    DoPropExchange(px);
    pCbSize->QuadPart = px.GetSize();
    return S_OK;
}

STDMETHODIMP CAxControl::InitNew()
{
    OnResetState();
    return S_OK;
}

void CAxControl::DoPropExchange(CAxPropExchange &px)
{
    px.ExchangeLong(&m_sizeExtent.cx);
    px.ExchangeLong(&m_sizeExtent.cy);
}

void CAxControl::OnResetState()
{
    m_sizeExtent = kDefaultExtent;
    m_bDirty = false;
}

// ---- ISpecifyPropertyPages

STDMETHODIMP CAxControl::GetPages(CAUUID *pPages)
{
    if (!pPages)
        return E_POINTER;
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    if (m_classInfo.cPropPages == 0)
        return S_OK;
    GUID *pElems = static_cast<GUID *>(CoTaskMemAlloc(m_classInfo.cPropPages * sizeof(GUID)));
    if (!pElems)
        return E_OUTOFMEMORY;
    for (ULONG i = 0; i < m_classInfo.cPropPages; ++i)
        pElems[i] = m_classInfo.pPropPageClsids[i];
    pPages->cElems = m_classInfo.cPropPages;
    pPages->pElems = pElems;
    return S_OK;
}
