#include "TTUContext.h"

#include <algorithm>
#include <new>

#include "CriticalSectionLock.h"
#include "HiddenWindow.h"

namespace {
// The module-level owner of the singleton.
CTTUContext *g_pContext = nullptr;

const wchar_t kSettingsKey[] = L"SOFTWARE\\Zentrik\\";
const int kDefaultSrvMode = 0;
const int kDefaultErrHandle = 1;

bool IsXfsMessage(UINT uMsg)
{
    return (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE) ||
           (uMsg >= WFS_EXECUTE_EVENT && uMsg <= WFS_SYSTEM_EVENT);
}

int ReadSetting(HKEY hKey, LPCWSTR lpszName, int nDefault)
{
    DWORD dwValue = 0;
    DWORD cbValue = sizeof dwValue;
    if (RegQueryValueExW(hKey, lpszName, nullptr, nullptr, reinterpret_cast<LPBYTE>(&dwValue),
                         &cbValue) != ERROR_SUCCESS)
        return nDefault;
    return static_cast<int>(dwValue);
}
} // namespace

CTTUContext *CTTUContext::GetInstance()
{
    if (!g_pContext) {
        g_pContext = new CTTUContext;
        // Without a window, requests name a null window and the XFS manager's
        // answer to that is what the requesting operation returns.
        g_pContext->CreateContextWindow();
    }
    return g_pContext;
}

void CTTUContext::ReleaseInstance()
{
    if (!g_pContext)
        return;
    g_pContext->DestroyContextWindow();
    delete g_pContext;
    g_pContext = nullptr;
}

CTTUContext::CTTUContext()
    : m_hWnd(nullptr), m_bOpened(FALSE), m_hService(0), m_nErrHandle(kDefaultErrHandle),
      m_nSrvMode(kDefaultSrvMode), m_nLastInstance(0), m_bRegistered(FALSE),
      m_hHandshake(nullptr), m_bOpening(FALSE), m_hOpening(0), m_dwArrivals(0), m_StatusQueryID(0),
      m_dwStatusQueryArrivals(0), m_hLiveContexts(nullptr), m_plLiveContexts(nullptr)
{
    ReadSettings();
    InitializeCriticalSection(&m_cs);
    m_strWndClass = L"TTUContextWindow";
    m_hHandshake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OpenWindowCount();
}

CTTUContext::~CTTUContext()
{
    CloseWindowCount();
    if (m_hHandshake)
        CloseHandle(m_hHandshake);
    DeleteCriticalSection(&m_cs);
}

void CTTUContext::ReadSettings()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
        m_nSrvMode = kDefaultSrvMode;
        m_nErrHandle = kDefaultErrHandle;
        return;
    }
    m_nSrvMode = ReadSetting(hKey, L"SrvMode", kDefaultSrvMode);
    m_nErrHandle = ReadSetting(hKey, L"ErrHandle", kDefaultErrHandle);
    RegCloseKey(hKey);
}

BOOL CTTUContext::CreateContextWindow()
{
    HINSTANCE hInstance = CHiddenWindow::GetModuleInstance();
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CTTUContext::ContextWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = m_strWndClass.c_str();
    if (!RegisterClassW(&wc))
        return FALSE;

    m_hWnd = CreateWindowExW(0, m_strWndClass.c_str(), m_strWndClass.c_str(), WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                             nullptr, hInstance, nullptr);
    if (!m_hWnd) {
        UnregisterClassW(m_strWndClass.c_str(), hInstance);
        return FALSE;
    }
    ShowWindow(m_hWnd, SW_HIDE);
    UpdateWindow(m_hWnd);
    return TRUE;
}

// Every window of the context class, in any process, counts itself in and
// out (WM_NCCREATE, WM_NCDESTROY), so the count needs this before the window.
void CTTUContext::OpenWindowCount()
{
    m_hLiveContexts = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                         L"Local\\ZTOperatorPanelX.LiveContexts");
    if (!m_hLiveContexts)
        return;
    m_plLiveContexts = static_cast<volatile LONG *>(
        MapViewOfFile(m_hLiveContexts, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
}

void CTTUContext::CloseWindowCount()
{
    if (m_plLiveContexts) {
        UnmapViewOfFile(const_cast<LONG *>(m_plLiveContexts));
        m_plLiveContexts = nullptr;
    }
    if (m_hLiveContexts)
        CloseHandle(m_hLiveContexts);
    m_hLiveContexts = nullptr;
}

void CTTUContext::DestroyContextWindow()
{
    ReleaseQueuedResults();
    if (!::DestroyWindow(m_hWnd))
        return;
    CloseWindowCount();
    UnregisterClassW(m_strWndClass.c_str(), CHiddenWindow::GetModuleInstance());
    m_hWnd = nullptr;
}

// Results the XFS manager posted to the context window and nobody has
// dispatched yet would be lost with the window: release them. No XFS call
// other than WFSFreeResult is made.
void CTTUContext::ReleaseQueuedResults()
{
    if (!m_hWnd)
        return;
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WFS_OPEN_COMPLETE, WFS_SYSTEM_EVENT, PM_REMOVE)) {
        if (IsXfsMessage(msg.message) && msg.lParam)
            WFSFreeResult(reinterpret_cast<LPWFSRESULT>(msg.lParam));
    }
}

void CTTUContext::SetRequestOwner(REQUESTID RequestID, int nInstance)
{
    m_mapRequestOwner[RequestID] = nInstance;
}

namespace {
// The value held for a key, copied out; FALSE when the map has none.
template <typename TMap, typename TValue>
BOOL CopyValue(const TMap &map, const typename TMap::key_type &key, TValue *pValue)
{
    auto it = map.find(key);
    if (it == map.end())
        return FALSE;
    *pValue = it->second;
    return TRUE;
}
} // namespace

BOOL CTTUContext::LookupRequestOwner(REQUESTID RequestID, int *pnInstance) const
{
    return CopyValue(m_mapRequestOwner, RequestID, pnInstance);
}

void CTTUContext::RemoveRequestOwner(REQUESTID RequestID)
{
    m_mapRequestOwner.erase(RequestID);
}

void CTTUContext::AddInstanceWnd(int nInstance, HWND hWnd)
{
    m_mapInstanceWnd[nInstance] = hWnd;
}

void CTTUContext::RemoveInstanceWnd(int nInstance)
{
    auto it = m_mapInstanceWnd.find(nInstance);
    if (it != m_mapInstanceWnd.end())
        m_mapQueued.erase(it->second);
    m_mapInstanceWnd.erase(nInstance);
}

HWND CTTUContext::LookupInstanceWnd(int nInstance) const
{
    auto it = m_mapInstanceWnd.find(nInstance);
    return it == m_mapInstanceWnd.end() ? nullptr : it->second;
}

void CTTUContext::AddPending(REQUESTID RequestID)
{
    m_listPendingSync.push_back(RequestID);
}

void CTTUContext::RemovePending(REQUESTID RequestID)
{
    auto it = std::find(m_listPendingSync.begin(), m_listPendingSync.end(), RequestID);
    if (it != m_listPendingSync.end())
        m_listPendingSync.erase(it);
}

BOOL CTTUContext::TakeDiscardedResult(REQUESTID RequestID, HRESULT *phResult)
{
    if (!CopyValue(m_mapDiscardedResults, RequestID, phResult))
        return FALSE;
    m_mapDiscardedResults.erase(RequestID);
    return TRUE;
}

BOOL CTTUContext::PeekDiscardedResult(REQUESTID RequestID, HRESULT *phResult) const
{
    return CopyValue(m_mapDiscardedResults, RequestID, phResult);
}

void CTTUContext::SetStatusQuery(REQUESTID RequestID)
{
    m_StatusQueryID = RequestID;
    m_dwStatusQueryArrivals = m_dwArrivals;
}

BOOL CTTUContext::FindSharedStatusQuery(REQUESTID *pRequestID) const
{
    if (m_StatusQueryID == 0 || m_dwStatusQueryArrivals != m_dwArrivals || IsCompleted(m_StatusQueryID))
        return FALSE;
    *pRequestID = m_StatusQueryID;
    return TRUE;
}

BOOL CTTUContext::IsCurrentSession(HSERVICE hService) const
{
    return hService != 0 && ((m_bOpened && hService == m_hService) ||
                             (m_bOpening && hService == m_hOpening));
}

// The lost session still holds the device (an outstanding read, its event
// registration) until it is closed; its answers, and the close's own, are
// dropped on arrival.
void CTTUContext::AbandonSession()
{
    if (m_bOpened && m_hService) {
        m_setLostSessions.insert(m_hService);
        CloseWithoutWaiting(m_hService);
    }
    m_bOpened = FALSE;
    m_hService = 0;
    m_bRegistered = FALSE;
}

void CTTUContext::CloseWithoutWaiting(HSERVICE hService)
{
    REQUESTID RequestID = 0;
    // Never recorded: the completion finds no owner and is released.
    WFSAsyncClose(hService, m_hWnd, &RequestID);
}

BOOL CTTUContext::DropStaleResult(UINT uMsg, LPWFSRESULT lpResult)
{
    if (!lpResult)
        return FALSE;
    if (uMsg == WFS_OPEN_COMPLETE && m_setAbandonedOpens.erase(lpResult->RequestID)) {
        RemoveRequestOwner(lpResult->RequestID);
        if (lpResult->hResult == WFS_SUCCESS) {
            m_setLostSessions.insert(lpResult->hService);
            CloseWithoutWaiting(lpResult->hService);
        }
        WFSFreeResult(lpResult);
        return TRUE;
    }
    if (!m_setLostSessions.count(lpResult->hService))
        return FALSE;
    if (uMsg == WFS_CLOSE_COMPLETE)
        m_setLostSessions.erase(lpResult->hService);
    RemoveRequestOwner(lpResult->RequestID);
    Discard(uMsg, lpResult);
    return TRUE;
}

BOOL CTTUContext::IsCompleted(REQUESTID RequestID) const
{
    return std::find(m_listPendingSync.begin(), m_listPendingSync.end(), RequestID) ==
           m_listPendingSync.end();
}

void CTTUContext::SetHandshake()
{
    SetEvent(m_hHandshake);
}

void CTTUContext::ResetHandshake()
{
    ResetEvent(m_hHandshake);
}

LONG CTTUContext::CountDownBroadcast(LONG *plCounter)
{
    CCriticalSectionLock lock(m_cs);
    return --*plCounter;
}

void CTTUContext::FreeBroadcastCounter(LONG *plCounter)
{
    delete plCounter;
}

LRESULT CALLBACK CTTUContext::ContextWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CTTUContext *pContext = g_pContext;
    if (pContext && pContext->m_plLiveContexts && (uMsg == WM_NCCREATE || uMsg == WM_NCDESTROY)) {
        if (uMsg == WM_NCCREATE)
            InterlockedIncrement(pContext->m_plLiveContexts);
        else
            InterlockedDecrement(pContext->m_plLiveContexts);
    }
    if (pContext && hWnd == pContext->m_hWnd) {
        // Status answers change nothing on the device; everything else may.
        if (uMsg != WFS_GETINFO_COMPLETE)
            ++pContext->m_dwArrivals;
        LPWFSRESULT lpResult = reinterpret_cast<LPWFSRESULT>(lParam);
        if (IsXfsMessage(uMsg) && pContext->DropStaleResult(uMsg, lpResult))
            return DefWindowProcW(hWnd, uMsg, wParam, lParam);
        switch (uMsg) {
        case WFS_REGISTER_COMPLETE:
        case WFS_DEREGISTER_COMPLETE:
            // The requester sets the event once it has recorded the request,
            // so the completion is never routed before that.
            WaitForSingleObject(pContext->m_hHandshake, INFINITE);
            pContext->ResetHandshake();
            pContext->RouteToOwner(uMsg, lpResult);
            break;
        case WFS_OPEN_COMPLETE:
        case WFS_CLOSE_COMPLETE:
        case WFS_LOCK_COMPLETE:
        case WFS_UNLOCK_COMPLETE:
        case WFS_EXECUTE_COMPLETE:
        case WFS_EXECUTE_EVENT:
            pContext->RouteToOwner(uMsg, lpResult);
            break;
        case WFS_GETINFO_COMPLETE:
            pContext->RouteGetInfoComplete(lpResult);
            break;
        case WFS_SERVICE_EVENT:
        case WFS_USER_EVENT:
        case WFS_SYSTEM_EVENT:
            pContext->BroadcastToInstances(uMsg, lpResult, TRUE);
            break;
        case WM_TTU_STATUS_REFRESH:
            pContext->BroadcastToInstances(uMsg, nullptr, FALSE);
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void CTTUContext::RouteToOwner(UINT uMsg, LPWFSRESULT lpResult)
{
    int nInstance = 0;
    if (!lpResult || !LookupRequestOwner(lpResult->RequestID, &nInstance)) {
        Discard(uMsg, lpResult);
        return;
    }
    // An execute keeps its entry so that all its events and finally its
    // completion find the owner.
    if (uMsg != WFS_EXECUTE_EVENT)
        RemoveRequestOwner(lpResult->RequestID);
    HWND hInstanceWnd = LookupInstanceWnd(nInstance);
    if (!hInstanceWnd) {
        Discard(uMsg, lpResult);
        return;
    }
    // Nothing of the context waits in the instance window's queue: handing
    // the message over now keeps its order and saves a trip through the
    // queue. Otherwise it goes behind what is queued.
    auto it = m_mapQueued.find(hInstanceWnd);
    if ((it == m_mapQueued.end() || it->second == 0) &&
        GetWindowThreadProcessId(hInstanceWnd, nullptr) == GetCurrentThreadId()) {
        SendMessageW(hInstanceWnd, uMsg, 0, reinterpret_cast<LPARAM>(lpResult));
        return;
    }
    if (!PostToInstance(hInstanceWnd, uMsg, 0, lpResult))
        Discard(uMsg, lpResult);
}

BOOL CTTUContext::PostToInstance(HWND hInstanceWnd, UINT uMsg, WPARAM wParam, LPWFSRESULT lpResult)
{
    if (!PostMessageW(hInstanceWnd, uMsg, wParam, reinterpret_cast<LPARAM>(lpResult)))
        return FALSE;
    ++m_mapQueued[hInstanceWnd];
    return TRUE;
}

void CTTUContext::OnQueuedMessageTaken(HWND hInstanceWnd)
{
    auto it = m_mapQueued.find(hInstanceWnd);
    if (it != m_mapQueued.end() && --it->second <= 0)
        m_mapQueued.erase(it);
}

void CTTUContext::RouteGetInfoComplete(LPWFSRESULT lpResult)
{
    int nInstance = 0;
    if (!lpResult || !LookupRequestOwner(lpResult->RequestID, &nInstance)) {
        Discard(WFS_GETINFO_COMPLETE, lpResult);
        return;
    }
    RemoveRequestOwner(lpResult->RequestID);
    BroadcastToInstances(WFS_GETINFO_COMPLETE, lpResult, TRUE);
}

void CTTUContext::BroadcastToInstances(UINT uMsg, LPWFSRESULT lpResult, BOOL bCounter)
{
    if (!bCounter) {
        // A refresh needs only one instance: the session is shared.
        if (!m_mapInstanceWnd.empty())
            PostToInstance(m_mapInstanceWnd.begin()->second, uMsg, 0, nullptr);
        return;
    }

    LONG *plCounter = new (std::nothrow) LONG(static_cast<LONG>(m_mapInstanceWnd.size()));
    if (!plCounter || *plCounter == 0) {
        delete plCounter;
        Discard(uMsg, lpResult);
        return;
    }
    // Only this thread's message loop runs the receivers, so none of them
    // can count down before every post below has been made.
    LONG lNotPosted = 0;
    for (const auto &entry : m_mapInstanceWnd) {
        if (!PostToInstance(entry.second, uMsg, reinterpret_cast<WPARAM>(plCounter), lpResult))
            ++lNotPosted;
    }
    if (lNotPosted == 0)
        return;
    LONG lRemaining;
    {
        CCriticalSectionLock lock(m_cs);
        lRemaining = (*plCounter -= lNotPosted);
    }
    if (lRemaining == 0) {
        FreeBroadcastCounter(plCounter);
        Discard(uMsg, lpResult);
    }
}

// Nobody can receive this message: an unknown request, an owner whose
// control was destroyed, or a broadcast while no instance window is
// registered. We release the result rather than leak it, and a synchronous
// wait for the request ends instead of pumping forever, with the code of
// the completion it waited for.
void CTTUContext::Discard(UINT uMsg, LPWFSRESULT lpResult)
{
    if (!lpResult)
        return;
    if (uMsg <= WFS_EXECUTE_COMPLETE && !IsCompleted(lpResult->RequestID)) {
        m_mapDiscardedResults[lpResult->RequestID] = lpResult->hResult;
        RemovePending(lpResult->RequestID);
    }
    WFSFreeResult(lpResult);
}
