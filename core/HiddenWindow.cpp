#include "HiddenWindow.h"

namespace {
const wchar_t kClassName[] = L"ZTHiddenWindow";
}

LONG CHiddenWindow::s_nLiveWindows = 0;

CHiddenWindow::CHiddenWindow() : m_hWnd(nullptr) {}

CHiddenWindow::~CHiddenWindow()
{
    DestroyWindow();
}

HINSTANCE CHiddenWindow::GetModuleInstance()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CHiddenWindow::GetModuleInstance), &hModule);
    return hModule;
}

BOOL CHiddenWindow::RegisterWindowClass()
{
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CHiddenWindow::StaticWindowProc;
    wc.hInstance = GetModuleInstance();
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    // Still registered from an earlier window of this module: fine.
    return RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void CHiddenWindow::UnregisterUnusedClass()
{
    // Fails harmlessly while another window of the class exists.
    if (s_nLiveWindows == 0)
        UnregisterClassW(kClassName, GetModuleInstance());
}

BOOL CHiddenWindow::Create(LPCWSTR lpszTitle)
{
    if (m_hWnd || !RegisterWindowClass())
        return FALSE;
    // WM_NCCREATE attaches the handle to this object (see StaticWindowProc).
    HWND hWnd = CreateWindowExW(0, kClassName, lpszTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                GetModuleInstance(), this);
    if (!hWnd) {
        UnregisterUnusedClass();
        return FALSE;
    }
    return TRUE;
}

BOOL CHiddenWindow::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    // WM_NCDESTROY detaches the object from the handle.
    BOOL bDestroyed = ::DestroyWindow(m_hWnd);
    UnregisterUnusedClass();
    return bDestroyed;
}

LRESULT CHiddenWindow::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CHiddenWindow::StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam,
                                                 LPARAM lParam)
{
    CHiddenWindow *pWindow = nullptr;
    if (uMsg == WM_NCCREATE) {
        pWindow = static_cast<CHiddenWindow *>(
            reinterpret_cast<LPCREATESTRUCTW>(lParam)->lpCreateParams);
        pWindow->m_hWnd = hWnd;
        ++s_nLiveWindows;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pWindow));
    } else {
        pWindow = reinterpret_cast<CHiddenWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (!pWindow)
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);

    LRESULT lResult = pWindow->WindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pWindow->m_hWnd = nullptr;
        --s_nLiveWindows;
    }
    return lResult;
}
