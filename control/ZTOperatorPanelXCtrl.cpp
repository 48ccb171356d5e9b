#include "ZTOperatorPanelXCtrl.h"

#include <cwchar>
#include <new>

#include "ComModule.h"

#include "AxRegistry.h"
#include "TTUContext.h"
#include "Service.h"
#include "TTUMsgWnd.h"
#include "TTUServiceFactory.h"
#include "ZTOperatorPanelXPropPage.h"
#include "resource.h"

namespace {

// OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
// OLEMISC_RECOMPOSEONRESIZE; not OLEMISC_ACTIVATEWHENVISIBLE: the control
// shows nothing worth a window of its own until a container asks for one.
const DWORD kMiscStatus = 0x00020091;

// Version of the persistent state; states of older versions carry nothing
// of the control's own and load as they are.
const DWORD kPersistVersion = 0x00010000;

const CLSID kPropPages[] = {CLSID_ZTOperatorPanelXPropPage};

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
        return TRUE;
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

const AxControlClassInfo CZTOperatorPanelXCtrl::s_classInfo = {
    &CLSID_ZTOperatorPanelX,
    &DIID__DZTOperatorPanelX,
    &IID_IZTOperatorPanelXImpl,
    &DIID__DZTOperatorPanelXEvents,
    &LIBID_ZTOPERATORPANELXLib,
    1,
    0,
    kMiscStatus,
    kPropPages,
    ARRAYSIZE(kPropPages),
};

const WCHAR CZTOperatorPanelXCtrl::s_szProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";

HRESULT CZTOperatorPanelXCtrl::UpdateRegistry(HINSTANCE hInstance, BOOL bRegister)
{
    if (!bRegister)
        return AxUnregisterClass(CLSID_ZTOperatorPanelX, s_szProgID);
    const AxControlRegistration reg = {
        &CLSID_ZTOperatorPanelX, s_szProgID,   IDS_ZTOPERATORPANELX,       IDB_ZTOPERATORPANELX,
        AX_REG_APARTMENT_THREADING /* 4 */,     kMiscStatus, &LIBID_ZTOPERATORPANELXLib, 1, 0,
    };
    return AxRegisterControlClass(hInstance, reg);
}

CZTOperatorPanelXCtrl::CZTOperatorPanelXCtrl()
    : CAxControl(s_classInfo), m_pTTUService(nullptr), m_pMsgWnd(nullptr), m_hMsgWnd(nullptr)
{
    CreateInstanceWindow();
}

// The service, then the instance window named after the next instance
// number. The number is taken (and the window entered in the context's
// routing table) only when the window exists, so a failed creation leaves
// the number to the next control. Without a service there is no window:
// nothing could handle what would be routed to it.
void CZTOperatorPanelXCtrl::CreateInstanceWindow()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    const int nInstance = pContext->GetLastInstance() + 1;
    WCHAR szTitle[32];
    swprintf(szTitle, ARRAYSIZE(szTitle), L"TTUMsgWnd%d", nInstance);

    m_pTTUService = CreateTTUService(this);
    if (!m_pTTUService)
        return;
    CService *pService = GetServiceSession(m_pTTUService);
    m_pMsgWnd = new (std::nothrow) CTTUMsgWnd(pService);
    if (!m_pMsgWnd)
        return;
    // CHiddenWindow registers the window class itself; a failure there shows
    // as a failed Create and the control goes on without a window.
    if (m_pMsgWnd->Create(szTitle)) {
        m_pMsgWnd->SetOwner(static_cast<IDispatch *>(this));
        m_hMsgWnd = m_pMsgWnd->GetSafeHwnd();
        pContext->SetLastInstance(nInstance);
        pContext->AddInstanceWnd(nInstance, m_hMsgWnd);
        pService->SetInstanceNumber(nInstance);
    }
}

CZTOperatorPanelXCtrl::~CZTOperatorPanelXCtrl()
{
    if (m_pMsgWnd) {
        // From the service: the window lets go of it when it is destroyed,
        // which a host may do before the control goes.
        const int nInstance = GetServiceSession(m_pTTUService)->GetInstanceNumber();
        const bool bRegistered = m_hMsgWnd != nullptr;
        m_pMsgWnd->SetOwner(nullptr);
        m_pMsgWnd->DestroyWindow();
        delete m_pMsgWnd;
        m_pMsgWnd = nullptr;
        m_hMsgWnd = nullptr;
        if (bRegistered)
            CTTUContext::GetInstance()->RemoveInstanceWnd(nInstance);
    }
    if (m_pTTUService) {
        DeleteTTUService(m_pTTUService);
        m_pTTUService = nullptr;
    }
}

const zt_com::InterfaceEntry *CZTOperatorPanelXCtrl::Interfaces()
{
    using Self = CZTOperatorPanelXCtrl;
    static const zt_com::InterfaceEntry s_table[] = {
        zt_com::Entry<Self, IDispatch>(DIID__DZTOperatorPanelX),
        zt_com::Entry<Self, IZTEventSinkAccess>(IID_IZTEventSinkAccess),
        zt_com::BaseEntries<Self, CAxControl>(CAxControl::Interfaces()),
    };
    return s_table;
}

void CZTOperatorPanelXCtrl::OnDraw(HDC hdc, const RECT &rcBounds, const RECT &)
{
    FillRect(hdc, &rcBounds, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    Ellipse(hdc, rcBounds.left, rcBounds.top, rcBounds.right, rcBounds.bottom);
}

void CZTOperatorPanelXCtrl::DoPropExchange(CAxPropExchange &px)
{
    DWORD dwVersion = 0;
    px.ExchangeVersion(&dwVersion, kPersistVersion);
    CAxControl::DoPropExchange(px);
}

STDMETHODIMP CZTOperatorPanelXCtrl::AboutBox()
{
    HWND hwndOwner = GetControlWindow() ? GetAncestor(GetControlWindow(), GA_ROOT) : GetActiveWindow();
    DialogBoxParamW(zt_com::ThisModule(), MAKEINTRESOURCEW(IDD_ABOUTBOX_ZTOPERATORPANELX), hwndOwner,
                    AboutDlgProc, 0);
    return S_OK;
}
