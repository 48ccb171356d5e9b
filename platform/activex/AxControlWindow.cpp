#include "AxControlBase.h"

#include "ComModule.h"

namespace {

const WCHAR kControlWindowClass[] = L"AxControlWindow";
LONG g_nControlWindows = 0;  // windows of kControlWindowClass in this module

} // namespace

const SIZEL CAxControlBase::s_defaultExtent = {5000, 2500};

CAxControlBase::CAxControlBase(const AxControlClassInfo &classInfo)
    : m_classInfo(classInfo), m_hWnd(nullptr), m_bDirty(false), m_nFreezeEvents(0),
      m_sizeExtent(s_defaultExtent)
{
}

CAxControlBase::~CAxControlBase()
{
    DestroyControlWindow();
}

HRESULT CAxControlBase::GetContentExtent(DWORD dwDrawAspect, SIZEL *psizel) const
{
    if (!psizel)
        return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *psizel = m_sizeExtent;
    return S_OK;
}

HRESULT CAxControlBase::CreateControlWindow(HWND hwndParent, const RECT &rcPos)
{
    const HINSTANCE hInstance = zt_com::ThisModule();
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

void CAxControlBase::DestroyControlWindow()
{
    if (!m_hWnd)
        return;
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    // The class must not outlive the code of its window procedure when the
    // module is unloaded.
    if (--g_nControlWindows == 0)
        UnregisterClassW(kControlWindowClass, zt_com::ThisModule());
}

LRESULT CALLBACK CAxControlBase::ControlWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE) {
        const CREATESTRUCTW *pCreate = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    CAxControlBase *pControl = reinterpret_cast<CAxControlBase *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
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
