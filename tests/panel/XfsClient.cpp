#include "XfsClient.h"

#include "ttusim.h"

#include <algorithm>

namespace {

const wchar_t kWindowClass[] = L"ZtPanelClientWindow";

bool IsXfsMessage(UINT uMsg)
{
    return (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE) ||
           (uMsg >= WFS_EXECUTE_EVENT && uMsg <= WFS_SYSTEM_EVENT);
}

} // namespace

XfsClient::XfsClient()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    m_hWnd = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

XfsClient::~XfsClient()
{
    if (m_bOpen)
        Close();
    DestroyWindow(m_hWnd);
    // Messages posted after the last look (late events) are freed too.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsXfsMessage(msg.message) && msg.hwnd == m_hWnd)
            WFSFreeResult(reinterpret_cast<LPWFSRESULT>(msg.lParam));
        else
            DispatchMessageW(&msg);
    }
    for (const Posted &posted : m_inbox)
        WFSFreeResult(posted.lpResult);
}

LRESULT CALLBACK XfsClient::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto *pClient = reinterpret_cast<XfsClient *>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pClient && IsXfsMessage(uMsg)) {
        ++pClient->m_nThroughWindowProc;
        pClient->m_inbox.push_back(Posted{uMsg, reinterpret_cast<LPWFSRESULT>(lParam)});
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void XfsClient::Collect()
{
    // First what is this window's, as a wait loop filters; then the rest of
    // the queue, taking what arrived for this window meanwhile.
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WFS_OPEN_COMPLETE, WFS_SYSTEM_EVENT, PM_REMOVE) ||
           PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == m_hWnd && IsXfsMessage(msg.message)) {
            m_inbox.push_back(Posted{msg.message, reinterpret_cast<LPWFSRESULT>(msg.lParam)});
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Result XfsClient::TakeFirst(const std::function<bool(const WFSRESULT &, UINT)> &matches, DWORD dwMilliseconds)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwMilliseconds;
    for (;;) {
        Collect();
        const auto found = std::find_if(m_inbox.begin(), m_inbox.end(),
                                        [&](const Posted &posted) { return matches(*posted.lpResult, posted.uMsg); });
        if (found != m_inbox.end()) {
            Result result(found->lpResult);
            m_inbox.erase(found);
            return result;
        }
        const ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullEnd)
            return Result();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ullEnd - ullNow), QS_ALLINPUT);
    }
}

Result XfsClient::Await(REQUESTID requestID, DWORD dwMilliseconds)
{
    return TakeFirst([requestID](const WFSRESULT &result, UINT uMsg) {
        return uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE && result.RequestID == requestID;
    }, dwMilliseconds);
}

HRESULT XfsClient::Finish(HRESULT hrSubmit, REQUESTID requestID, Result *pResult)
{
    if (hrSubmit != WFS_SUCCESS)
        return hrSubmit;
    Result result = Await(requestID);
    if (!result)
        return WFS_ERR_TIMEOUT + 1000; // no completion at all: a code no request answers
    const HRESULT hr = result->hResult;
    if (pResult)
        *pResult = std::move(result);
    return hr;
}

HRESULT XfsClient::Open(const char *lpszLogicalName)
{
    WFSVERSION srvcVersion = {};
    WFSVERSION spiVersion = {};
    REQUESTID requestID = 0;
    const HRESULT hrSubmit =
        WFSAsyncOpen(const_cast<LPSTR>(lpszLogicalName), nullptr, const_cast<LPSTR>("PanelClient"), 0, 0,
                     &m_hService, m_hWnd, 0x00000003, &srvcVersion, &spiVersion, &requestID);
    const HRESULT hr = Finish(hrSubmit, requestID, nullptr);
    m_bOpen = hr == WFS_SUCCESS;
    return hr;
}

HRESULT XfsClient::Register(DWORD dwEventClass)
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = WFSAsyncRegister(m_hService, dwEventClass, m_hWnd, m_hWnd, &requestID);
    return Finish(hrSubmit, requestID, nullptr);
}

HRESULT XfsClient::Lock(DWORD dwTimeOut)
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = WFSAsyncLock(m_hService, dwTimeOut, m_hWnd, &requestID);
    return Finish(hrSubmit, requestID, nullptr);
}

HRESULT XfsClient::Unlock()
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = WFSAsyncUnlock(m_hService, m_hWnd, &requestID);
    return Finish(hrSubmit, requestID, nullptr);
}

HRESULT XfsClient::Close()
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = WFSAsyncClose(m_hService, m_hWnd, &requestID);
    const HRESULT hr = Finish(hrSubmit, requestID, nullptr);
    if (hr == WFS_SUCCESS)
        m_bOpen = false;
    return hr;
}

HRESULT XfsClient::SubmitExecute(DWORD dwCommand, LPVOID lpData, DWORD dwTimeOut, LPREQUESTID lpRequestID)
{
    return WFSAsyncExecute(m_hService, dwCommand, lpData, dwTimeOut, m_hWnd, lpRequestID);
}

HRESULT XfsClient::Execute(DWORD dwCommand, LPVOID lpData, Result *pResult, DWORD dwTimeOut)
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = SubmitExecute(dwCommand, lpData, dwTimeOut, &requestID);
    return Finish(hrSubmit, requestID, pResult);
}

HRESULT XfsClient::GetInfo(DWORD dwCategory, LPVOID lpQuery, Result *pResult)
{
    REQUESTID requestID = 0;
    const HRESULT hrSubmit = WFSAsyncGetInfo(m_hService, dwCategory, lpQuery, 0, m_hWnd, &requestID);
    return Finish(hrSubmit, requestID, pResult);
}

std::vector<Result> XfsClient::TakeEvents(UINT uMsg)
{
    Collect();
    std::vector<Result> events;
    for (auto it = m_inbox.begin(); it != m_inbox.end();) {
        if (it->uMsg == uMsg) {
            events.emplace_back(it->lpResult);
            it = m_inbox.erase(it);
        } else {
            ++it;
        }
    }
    return events;
}

Result XfsClient::AwaitEvent(UINT uMsg, DWORD dwEventID, DWORD dwMilliseconds)
{
    return TakeFirst([uMsg, dwEventID](const WFSRESULT &result, UINT uPosted) {
        return uPosted == uMsg && result.u.dwEventID == dwEventID;
    }, dwMilliseconds);
}

bool PanelReadActive()
{
    TTUSIMSNAPSHOT snapshot = {};
    TtuSimGetSnapshot(&snapshot);
    return snapshot.bReadActive != FALSE;
}

std::vector<std::wstring> PanelLines()
{
    TTUSIMSNAPSHOT snapshot = {};
    TtuSimGetSnapshot(&snapshot);
    std::wstring strText((snapshot.wDisplaySizeX + 1u) * snapshot.wDisplaySizeY + 1u, L'\0');
    WORD wSizeX = 0;
    WORD wSizeY = 0;
    TtuSimGetDisplay(&strText[0], static_cast<DWORD>(strText.size()), &wSizeX, &wSizeY);
    std::vector<std::wstring> lines;
    size_t uStart = 0;
    for (WORD y = 0; y < wSizeY; ++y) {
        lines.push_back(strText.substr(uStart, wSizeX));
        uStart += wSizeX + 1u;
    }
    return lines;
}
