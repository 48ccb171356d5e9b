#include "PanelWindow.h"

#include "ConsoleKeys.h"
#include "ConsoleText.h"
#include "PanelActions.h"
#include "PanelCanvas.h"
#include "PanelLayout.h"
#include "PanelPicture.h"
#include "xfsttu.h"

#include <cstring>
#include <string>

namespace {

const wchar_t kClassName[] = L"ZTVirtualPanelWindow";
const wchar_t kTitle[] = L"ZT virtual operator panel";
const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
const UINT_PTR kRefreshTimer = 1;
// The change count is looked at this often (as `watch` does); a quarter of
// the quickest flash period keeps flashing even.
const UINT kRefreshMilliseconds = 50;
const DWORD kFlashStep = 125;

LPARAM PackKey(const CPanelKey &key)
{
    return static_cast<LPARAM>(MAKELONG(key.wcKey, key.wCommandKey));
}

class CPanelWindow {
public:
    // *pbAdopted turns true once the window owns the object (and deletes it
    // when it goes).
    CPanelWindow(bool bMainWindow, bool *pbAdopted) : m_bMainWindow(bMainWindow), m_pbAdopted(pbAdopted)
    {
    }

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_NCCREATE) {
            auto *pCreate = reinterpret_cast<CREATESTRUCTW *>(lParam);
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
            auto *pNew = static_cast<CPanelWindow *>(pCreate->lpCreateParams);
            pNew->m_hWnd = hWnd;
            *pNew->m_pbAdopted = true;
        }
        auto *pThis = reinterpret_cast<CPanelWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (!pThis)
            return DefWindowProcW(hWnd, uMsg, wParam, lParam);
        const LRESULT lResult = pThis->Handle(uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY)
            delete pThis;
        return lResult;
    }

private:
    LRESULT Handle(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        switch (uMsg) {
        case WM_CREATE:
            Refresh(true);
            SetTimer(m_hWnd, kRefreshTimer, kRefreshMilliseconds, nullptr);
            return 0;
        case WM_TIMER:
            Refresh(false);
            return 0;
        case WM_ERASEBKGND:
            return 1; // the picture covers everything
        case WM_PAINT:
            Paint();
            return 0;
        case WM_PRINTCLIENT:
            DrawPanel(reinterpret_cast<HDC>(wParam), m_layout, m_view, m_font.Handle(), GetTickCount());
            return 0;
        case WM_DRAWITEM:
            return DrawKey(*reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && lParam)
                Press(UnpackKey(reinterpret_cast<HWND>(lParam)));
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (uMsg == WM_SYSKEYDOWN && wParam != VK_F10)
                break;
            Typed(static_cast<WORD>(wParam), 0);
            return 0;
        case WM_CHAR:
            Typed(0, static_cast<WCHAR>(wParam));
            return 0;
        case WM_DESTROY:
            KillTimer(m_hWnd, kRefreshTimer);
            if (m_bMainWindow)
                PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
    }

    static CPanelKey UnpackKey(HWND hButton)
    {
        const LONG_PTR lKey = GetWindowLongPtrW(hButton, GWLP_USERDATA);
        return CPanelKey{static_cast<WCHAR>(LOWORD(lKey)), HIWORD(lKey)};
    }

    // Rereads the panel when its change count moved; redraws on a change
    // and at each step of a flash.
    void Refresh(bool bFirst)
    {
        TTUSIMSNAPSHOT snapshot{};
        if (!bFirst && TtuSimGetSnapshot(&snapshot) == WFS_SUCCESS &&
            snapshot.dwChangeCount == m_view.snapshot.dwChangeCount) {
            const DWORD dwStep = GetTickCount() / kFlashStep;
            if (PanelFlashes(m_view) && dwStep != m_dwFlashStep) {
                m_dwFlashStep = dwStep;
                InvalidateRect(m_hWnd, nullptr, FALSE);
            }
            return;
        }
        TTUSIMPANELVIEW view;
        if (TtuSimGetPanelView(&view) != WFS_SUCCESS)
            return; // shown as it was; the next tick tries again
        const bool bNewLayout = bFirst || SameKeysAndSize(view) == false;
        m_view = view;
        if (bNewLayout)
            Relayout();
        for (const CKeyPlace &place : m_layout.keys)
            EnableWindow(FindKeyButton(m_hWnd, place.key), KeyActive(m_view, place.key));
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }

    bool SameKeysAndSize(const TTUSIMPANELVIEW &view) const
    {
        return view.snapshot.wDisplaySizeX == m_view.snapshot.wDisplaySizeX &&
               view.snapshot.wDisplaySizeY == m_view.snapshot.wDisplaySizeY &&
               view.snapshot.wNumOfLEDs == m_view.snapshot.wNumOfLEDs &&
               memcmp(view.szKeys, m_view.szKeys, sizeof view.szKeys) == 0 &&
               memcmp(view.wCommandKeys, m_view.wCommandKeys, sizeof view.wCommandKeys) == 0;
    }

    // One owner-drawn button per key, and the window sized to the picture.
    void Relayout()
    {
        for (HWND hChild; (hChild = GetWindow(m_hWnd, GW_CHILD)) != nullptr;)
            DestroyWindow(hChild);
        m_layout = LayOutPanel(m_view, m_font.Cell());
        const HINSTANCE hInstance = GetModuleHandleW(nullptr);
        for (const CKeyPlace &place : m_layout.keys) {
            const RECT &rc = place.rc;
            HWND hButton = CreateWindowExW(0, L"BUTTON", place.strLabel.c_str(),
                                           WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rc.left, rc.top,
                                           rc.right - rc.left, rc.bottom - rc.top, m_hWnd,
                                           nullptr, hInstance, nullptr);
            if (hButton)
                SetWindowLongPtrW(hButton, GWLP_USERDATA, PackKey(place.key));
        }
        RECT rcWindow{0, 0, m_layout.size.cx, m_layout.size.cy};
        AdjustWindowRect(&rcWindow, kStyle, FALSE);
        SetWindowPos(m_hWnd, nullptr, 0, 0, rcWindow.right - rcWindow.left,
                     rcWindow.bottom - rcWindow.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Drawn off screen first, so a redraw never flickers.
    void Paint()
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        CPanelCanvas canvas(m_layout.size.cx, m_layout.size.cy);
        if (hdc && canvas.Ok()) {
            DrawPanel(canvas.Dc(), m_layout, m_view, m_font.Handle(), GetTickCount());
            BitBlt(hdc, 0, 0, canvas.Width(), canvas.Height(), canvas.Dc(), 0, 0, SRCCOPY);
        }
        EndPaint(m_hWnd, &ps);
    }

    LRESULT DrawKey(const DRAWITEMSTRUCT &item)
    {
        CKeyPlace place{UnpackKey(item.hwndItem), item.rcItem, std::wstring()};
        place.strLabel = KeyLabel(place.key);
        DrawKeyFace(item.hDC, place, m_font.Handle(), !(item.itemState & ODS_DISABLED),
                    (item.itemState & ODS_SELECTED) != 0);
        return TRUE;
    }

    void Typed(WORD wVirtualKey, WCHAR wcChar)
    {
        const DWORD dwControl = GetKeyState(VK_CONTROL) < 0 ? LEFT_CTRL_PRESSED : 0;
        const CWatchKey typed = MapConsoleKey(TRUE, wVirtualKey, wcChar, dwControl);
        if (typed.action == WatchAction::Quit)
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        else if (typed.action == WatchAction::Press)
            Press(typed.key);
    }

    // A refused key is named in the title until the next key is taken.
    void Press(const CPanelKey &key)
    {
        std::string strError;
        std::wstring strTitle = kTitle;
        if (PressKey(key, &strError) != WFS_SUCCESS)
            strTitle += L" - " + std::wstring(strError.begin(), strError.end());
        SetWindowTextW(m_hWnd, strTitle.c_str());
    }

    HWND m_hWnd = nullptr;
    bool m_bMainWindow;
    bool *m_pbAdopted;
    CPanelFont m_font;
    TTUSIMPANELVIEW m_view{};
    CPanelLayout m_layout;
    DWORD m_dwFlashStep = 0;
};

bool RegisterPanelClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CPanelWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HWND CreatePanelWindow(bool bMainWindow)
{
    if (!RegisterPanelClass())
        return nullptr;
    bool bAdopted = false;
    auto *pWindow = new CPanelWindow(bMainWindow, &bAdopted);
    HWND hWnd = CreateWindowExW(0, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 200,
                                100, nullptr, nullptr, GetModuleHandleW(nullptr), pWindow);
    if (!bAdopted)
        delete pWindow; // no window ever held it
    return hWnd;
}

HWND FindKeyButton(HWND hPanelWindow, const CPanelKey &key)
{
    for (HWND hChild = GetWindow(hPanelWindow, GW_CHILD); hChild;
         hChild = GetWindow(hChild, GW_HWNDNEXT))
        if (GetWindowLongPtrW(hChild, GWLP_USERDATA) == PackKey(key))
            return hChild;
    return nullptr;
}

int RunGui()
{
    TTUSIMSNAPSHOT snapshot;
    const LONG lResult = TtuSimGetSnapshot(&snapshot);
    if (lResult != WFS_SUCCESS) {
        WriteText(GetStdHandle(STD_ERROR_HANDLE),
                  "ttupanel: cannot read the panel: " + DescribeResult(lResult) + "\n");
        return kExitRefused;
    }
    HWND hWnd = CreatePanelWindow(true);
    if (!hWnd) {
        WriteText(GetStdHandle(STD_ERROR_HANDLE),
                  "ttupanel: no window can be opened here (error " +
                      std::to_string(GetLastError()) +
                      "); 'ttupanel snapshot FILE.png' draws the panel without a display\n");
        return kExitRefused;
    }
    ShowWindow(hWnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Keys typed while a button has the focus are the panel's too.
        if ((msg.message == WM_KEYDOWN || msg.message == WM_CHAR || msg.message == WM_SYSKEYDOWN) &&
            IsChild(hWnd, msg.hwnd))
            msg.hwnd = hWnd;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return kExitDone;
}
