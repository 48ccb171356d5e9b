#include "ManagerWindow.h"

#include "CriticalSectionLock.h"
#include "XfsManager.h"

#include <map>

// The linker's symbol for the start of this DLL's image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t kClassName[] = L"ZtXfsManagerWindow";

bool IsProviderMessage(UINT uMsg)
{
    return (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE) ||
           (uMsg >= WFS_EXECUTE_EVENT && uMsg <= WFS_SYSTEM_EVENT);
}

LRESULT CALLBACK ManagerWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (IsProviderMessage(uMsg)) {
        CXfsManager::Instance().OnOwnWindowMessage(uMsg, reinterpret_cast<LPWFSRESULT>(lParam));
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HINSTANCE ManagerModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

class CManagerWindows {
public:
    CManagerWindows() { InitializeCriticalSection(&m_cs); }

    HWND ForCurrentThread()
    {
        DWORD dwThread = GetCurrentThreadId();
        CCriticalSectionLock lock(m_cs);
        auto it = m_windows.find(dwThread);
        // A thread that ended took its window along; a new thread may reuse
        // its identifier.
        if (it != m_windows.end() && IsWindow(it->second) &&
            GetWindowThreadProcessId(it->second, nullptr) == dwThread)
            return it->second;
        if (!RegisterOnce())
            return nullptr;
        HWND hWnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ManagerModule(), nullptr);
        if (hWnd)
            m_windows[dwThread] = hWnd;
        return hWnd;
    }

private:
    bool RegisterOnce()
    {
        if (m_bRegistered)
            return true;
        WNDCLASSEXW wc = {sizeof wc};
        wc.lpfnWndProc = ManagerWndProc;
        wc.hInstance = ManagerModule();
        wc.lpszClassName = kClassName;
        m_bRegistered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
        return m_bRegistered;
    }

    CRITICAL_SECTION m_cs;
    bool m_bRegistered = false;
    std::map<DWORD, HWND> m_windows;
};

} // namespace

HWND ManagerWindow::ForCurrentThread()
{
    // Never destroyed: windows of this class may outlive any static
    // destructor order.
    static CManagerWindows *pWindows = new CManagerWindows();
    return pWindows->ForCurrentThread();
}
