#include "PanelHarness.h"

#include <algorithm>

#include <gtest/gtest.h>

char kPanelService[] = "OperatorPanel";

static bool IsXfsMessage(UINT uMsg)
{
    return uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_SYSTEM_EVENT;
}

MessageWindow::MessageWindow()
{
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TtuSimTestWindow";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    m_hWnd = CreateWindowW(L"TtuSimTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), this);
}

MessageWindow::~MessageWindow()
{
    DestroyWindow(m_hWnd);
    FreeAll();
}

LRESULT CALLBACK MessageWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCCREATE) {
        auto *lpCreate = reinterpret_cast<CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, (LONG_PTR)lpCreate->lpCreateParams);
    }
    auto *self = reinterpret_cast<MessageWindow *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self && IsXfsMessage(uMsg) && lParam) {
        self->m_messages.push_back({uMsg, reinterpret_cast<LPWFSRESULT>(lParam)});
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

static bool IsCompletion(UINT uMsg)
{
    return uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE;
}

LPWFSRESULT MessageWindow::Completion(REQUESTID id) const
{
    for (const Delivered &d : m_messages)
        if (IsCompletion(d.uMsg) && d.lpResult->RequestID == id)
            return d.lpResult;
    return nullptr;
}

size_t MessageWindow::CountCompletions(REQUESTID id) const
{
    size_t n = 0;
    for (const Delivered &d : m_messages)
        n += IsCompletion(d.uMsg) && d.lpResult->RequestID == id;
    return n;
}

std::vector<LPWFSRESULT> MessageWindow::Events(UINT uMsg, DWORD dwEventID) const
{
    std::vector<LPWFSRESULT> events;
    for (const Delivered &d : m_messages)
        if (d.uMsg == uMsg && d.lpResult->u.dwEventID == dwEventID)
            events.push_back(d.lpResult);
    return events;
}

void MessageWindow::FreeAll()
{
    for (const Delivered &d : m_messages)
        WFSFreeResult(d.lpResult);
    m_messages.clear();
}

static void StartManagerOnce()
{
    static bool bStarted = [] {
        WFSVERSION version;
        return WFSStartUp(0x00000003, &version) == WFS_SUCCESS;
    }();
    ASSERT_TRUE(bStarted);
}

PanelSession::PanelSession(const char *lpszLogicalName)
{
    StartManagerOnce();
    WFSVERSION srvc, spi;
    REQUESTID id = 0;
    m_hrOpen = WFSAsyncOpen(const_cast<LPSTR>(lpszLogicalName), nullptr, nullptr, 0, 0,
                            &m_hService, m_window.Handle(), 0x00000103, &srvc, &spi, &id);
    if (m_hrOpen != WFS_SUCCESS)
        return;
    m_hrOpen = Code(Wait(id));
    m_bOpen = m_hrOpen == WFS_SUCCESS;
}

PanelSession::~PanelSession()
{
    if (m_bOpen)
        Close();
}

REQUESTID PanelSession::Submitted(HRESULT hr, REQUESTID id)
{
    m_hrSubmit = hr;
    return hr == WFS_SUCCESS ? id : 0;
}

REQUESTID PanelSession::ExecuteAsync(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut)
{
    REQUESTID id = 0;
    HRESULT hr = WFSAsyncExecute(m_hService, dwCommand, lpData, dwTimeOut, m_window.Handle(), &id);
    return Submitted(hr, id);
}

REQUESTID PanelSession::GetInfoAsync(DWORD dwCategory, LPVOID lpQuery, DWORD dwTimeOut)
{
    REQUESTID id = 0;
    HRESULT hr = WFSAsyncGetInfo(m_hService, dwCategory, lpQuery, dwTimeOut, m_window.Handle(), &id);
    return Submitted(hr, id);
}

REQUESTID PanelSession::LockAsync(DWORD dwTimeOut)
{
    REQUESTID id = 0;
    HRESULT hr = WFSAsyncLock(m_hService, dwTimeOut, m_window.Handle(), &id);
    return Submitted(hr, id);
}

LPWFSRESULT PanelSession::Wait(REQUESTID id, DWORD dwMilliseconds)
{
    if (!id)
        return nullptr;
    PumpUntil([&] { return m_window.Completion(id) != nullptr; }, dwMilliseconds);
    return m_window.Completion(id);
}

LPWFSRESULT PanelSession::Execute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut)
{
    return Wait(ExecuteAsync(dwCommand, lpData, dwTimeOut));
}

LPWFSRESULT PanelSession::GetInfo(DWORD dwCategory, LPVOID lpQuery)
{
    return Wait(GetInfoAsync(dwCategory, lpQuery));
}

HRESULT PanelSession::Lock(DWORD dwTimeOut)
{
    return Code(Wait(LockAsync(dwTimeOut)));
}

HRESULT PanelSession::Unlock()
{
    REQUESTID id = 0;
    HRESULT hr = WFSAsyncUnlock(m_hService, m_window.Handle(), &id);
    return Code(Wait(Submitted(hr, id)));
}

HRESULT PanelSession::Register(DWORD dwEventClass)
{
    REQUESTID id = 0;
    HRESULT hr = WFSAsyncRegister(m_hService, dwEventClass, m_window.Handle(),
                                                m_window.Handle(), &id);
    return Code(Wait(Submitted(hr, id)));
}

HRESULT PanelSession::Close()
{
    REQUESTID id = 0;
    m_bOpen = false;
    HRESULT hr = WFSAsyncClose(m_hService, m_window.Handle(), &id);
    return Code(Wait(Submitted(hr, id)));
}

std::vector<std::wstring> DisplayLines()
{
    WCHAR sz[kMaxDisplayText];
    WORD wX = 0, wY = 0;
    std::vector<std::wstring> lines;
    if (TtuSimGetDisplay(sz, kMaxDisplayText, &wX, &wY) != WFS_SUCCESS)
        return lines;
    for (WORD y = 0; y < wY; ++y)
        lines.emplace_back(sz + y * (wX + 1), wX);
    return lines;
}

TTUSIMSNAPSHOT Snapshot()
{
    TTUSIMSNAPSHOT snapshot = {};
    EXPECT_EQ(TtuSimGetSnapshot(&snapshot), WFS_SUCCESS);
    return snapshot;
}
