#include "XfsManager.h"

#include "ApiVersion.h"
#include "BufferHeap.h"
#include "CriticalSectionLock.h"
#include "ManagerWindow.h"
#include "ProviderLibrary.h"
#include "ServiceConfig.h"

#include <new>
#include <string>
#include <vector>

namespace {

// For requests whose arguments the provider alone judges.
HRESULT NoArgumentCheck() { return WFS_SUCCESS; }

const DWORD kAllEventClasses = SERVICE_EVENTS | USER_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS;

} // namespace

CXfsManager &CXfsManager::Instance()
{
    // Never destroyed: manager windows and provider threads may call in while
    // the process shuts down.
    static CXfsManager *pManager = new CXfsManager();
    return *pManager;
}

CXfsManager::CXfsManager() { InitializeCriticalSection(&m_cs); }

// --- start-up and application handles ---------------------------------

HRESULT CXfsManager::StartUp(DWORD dwVersionsRequired, LPWFSVERSION lpWFSVersion)
{
    if (!lpWFSVersion)
        return WFS_ERR_INVALID_POINTER;
    CCriticalSectionLock lock(m_cs);
    if (m_bStarted)
        return WFS_ERR_ALREADY_STARTED;
    HRESULT hr = ApiVersion::Negotiate(dwVersionsRequired, lpWFSVersion);
    if (hr == WFS_SUCCESS)
        m_bStarted = true;
    return hr;
}

HRESULT CXfsManager::CleanUp()
{
    std::vector<CRequest> waiting;
    std::vector<std::pair<HSERVICE, CProviderLibrary *>> sessions;
    std::vector<CProviderLibrary *> providers;
    {
        CCriticalSectionLock lock(m_cs);
        if (!m_bStarted)
            return WFS_ERR_NOT_STARTED;
        m_bStarted = false;
        for (const auto &entry : m_syncRequests)
            waiting.push_back(entry.second);
        m_syncRequests.clear();
        sessions.assign(m_sessions.begin(), m_sessions.end());
        m_sessions.clear();
        m_appHandles.Clear();
        providers = m_providers.TakeAll();
    }
    // A synchronous call that waits (the caller cleans up from inside its
    // loop) ends now; its own completion is freed when it comes.
    for (const CRequest &request : waiting)
        CompleteRequestWithCode(request, WFS_ERR_CANCELED);
    // Sessions left open are closed for the application: the provider
    // cancels what they have outstanding, as every close does. The close
    // completions come to this thread's manager window and are freed.
    HWND hOwn = ManagerWindow::ForCurrentThread();
    for (const auto &session : sessions) {
        REQUESTID id;
        {
            CCriticalSectionLock lock(m_cs);
            id = NextRequestId();
        }
        session.second->Close(session.first, hOwn, id);
    }
    m_providers.Unload(providers);
    return WFS_SUCCESS;
}

HRESULT CXfsManager::CreateAppHandle(LPHAPP lphApp)
{
    CCriticalSectionLock lock(m_cs);
    if (!m_bStarted)
        return WFS_ERR_NOT_STARTED;
    if (!lphApp)
        return WFS_ERR_INVALID_POINTER;
    return m_appHandles.Create(lphApp);
}

HRESULT CXfsManager::DestroyAppHandle(HAPP hApp)
{
    CCriticalSectionLock lock(m_cs);
    if (!m_bStarted)
        return WFS_ERR_NOT_STARTED;
    return m_appHandles.Destroy(hApp) ? WFS_SUCCESS : WFS_ERR_INVALID_APP_HANDLE;
}

// --- requests -----------------------------------------------------------

REQUESTID CXfsManager::NextRequestId()
{
    if (++m_lastRequestId == 0)
        ++m_lastRequestId;
    return m_lastRequestId;
}

HSERVICE CXfsManager::NextServiceHandle()
{
    // Handles go round before one is reused, so a stale handle rarely
    // reaches a newer session. 0 when all 65535 are open.
    for (unsigned nTries = 0; nTries < 0xFFFF; ++nTries) {
        if (++m_hLastService == 0)
            ++m_hLastService;
        if (m_sessions.find(m_hLastService) == m_sessions.end())
            return m_hLastService;
    }
    return 0;
}

bool CXfsManager::Track(const CRequest &request)
{
    if (!request.target.pSync)
        return true;
    try {
        m_syncRequests[request.id] = request;
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void CXfsManager::Untrack(REQUESTID RequestID)
{
    CCriticalSectionLock lock(m_cs);
    m_syncRequests.erase(RequestID);
}

HWND CXfsManager::WindowFor(const CTarget &target)
{
    return target.pSync ? ManagerWindow::ForCurrentThread() : target.hWnd;
}

void CXfsManager::AfterRefusal(HSERVICE hService, HRESULT hr)
{
    if (hr != WFS_ERR_INVALID_HSERVICE)
        return;
    CCriticalSectionLock lock(m_cs);
    m_sessions.erase(hService);
}

HRESULT CXfsManager::CheckTarget(const CTarget &target, LPREQUESTID lpRequestID) const
{
    if (!lpRequestID)
        return WFS_ERR_INVALID_POINTER;
    if (!target.pSync && !IsWindow(target.hWnd))
        return WFS_ERR_INVALID_HWND;
    return WFS_SUCCESS;
}

HRESULT CXfsManager::Open(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID, DWORD dwTraceLevel,
                          DWORD dwTimeOut, LPHSERVICE lphService, const CTarget &target,
                          DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion,
                          LPWFSVERSION lpSPIVersion, LPREQUESTID lpRequestID)
{
    {
        CCriticalSectionLock lock(m_cs);
        if (!m_bStarted)
            return WFS_ERR_NOT_STARTED;
        if (!lpszLogicalName || !lphService || !lpSrvcVersion || !lpSPIVersion)
            return WFS_ERR_INVALID_POINTER;
        // A null handle is the standard's default application handle.
        if (!m_appHandles.Valid(hApp))
            return WFS_ERR_INVALID_APP_HANDLE;
        HRESULT hr = CheckTarget(target, lpRequestID);
        if (hr != WFS_SUCCESS)
            return hr;
    }
    std::string strDllPath;
    HRESULT hr = ServiceConfig::FindProviderDll(lpszLogicalName, strDllPath);
    CProviderLibrary *pProvider = nullptr;
    if (hr == WFS_SUCCESS)
        hr = m_providers.Get(strDllPath, &pProvider);
    if (hr != WFS_SUCCESS)
        return hr;
    HWND hWnd = WindowFor(target);
    if (!hWnd)
        return WFS_ERR_INTERNAL_ERROR;

    CRequest request = {0, 0, RequestKind::Open, 0, target};
    {
        CCriticalSectionLock lock(m_cs);
        if (!m_bStarted)
            return WFS_ERR_NOT_STARTED;
        request.hService = NextServiceHandle();
        if (request.hService == 0)
            return WFS_ERR_INTERNAL_ERROR;
        request.id = NextRequestId();
        try {
            m_sessions[request.hService] = pProvider;
        } catch (const std::bad_alloc &) {
            return WFS_ERR_OUT_OF_MEMORY;
        }
        if (!Track(request)) {
            m_sessions.erase(request.hService);
            return WFS_ERR_OUT_OF_MEMORY;
        }
    }
    *lphService = request.hService;
    *lpRequestID = request.id;
    hr = pProvider->Open(request.hService, lpszLogicalName, hApp, lpszAppID, dwTraceLevel,
                         dwTimeOut, hWnd, request.id, pProvider->Handle(),
                         ApiVersion::kSpiVersionsRequired, lpSPIVersion, dwSrvcVersionsRequired,
                         lpSrvcVersion);
    if (hr != WFS_SUCCESS) {
        CCriticalSectionLock lock(m_cs);
        m_syncRequests.erase(request.id);
        m_sessions.erase(request.hService);
        *lphService = 0;
        *lpRequestID = 0;
    }
    return hr;
}

template <typename ArgumentCheck, typename Entry, typename... Args>
HRESULT CXfsManager::Submit(HSERVICE hService, RequestKind kind, DWORD dwCode,
                            const CTarget &target, LPREQUESTID lpRequestID,
                            ArgumentCheck checkArguments, Entry CProviderLibrary::*pEntry,
                            Args... args)
{
    CRequest request = {0, hService, kind, dwCode, target};
    HWND hWnd = WindowFor(target);
    auto checkCall = [&]() -> HRESULT {
        HRESULT hr = CheckTarget(target, lpRequestID);
        if (hr == WFS_SUCCESS)
            hr = checkArguments();
        if (hr != WFS_SUCCESS)
            return hr;
        if (!hWnd)
            return WFS_ERR_INTERNAL_ERROR;
        request.id = NextRequestId();
        if (!Track(request))
            return WFS_ERR_OUT_OF_MEMORY;
        // From here on the session takes no new request.
        if (kind == RequestKind::Close)
            m_sessions.erase(hService);
        return WFS_SUCCESS;
    };
    HRESULT hr;
    CProviderLibrary *pProvider = SessionProvider(hService, checkCall, hr);
    if (!pProvider)
        return hr;
    *lpRequestID = request.id;
    hr = (pProvider->*pEntry)(hService, args..., hWnd, request.id);
    if (hr == WFS_SUCCESS)
        return WFS_SUCCESS;
    if (kind == RequestKind::Close) {
        // The session ends all the same; whatever it still has outstanding
        // is the provider's to cancel.
        pProvider->CancelAsyncRequest(hService, 0);
        Untrack(request.id);
        CompleteRequestWithCode(request, hr);
        return WFS_SUCCESS;
    }
    Untrack(request.id);
    AfterRefusal(hService, hr);
    *lpRequestID = 0;
    return hr;
}

HRESULT CXfsManager::Close(HSERVICE hService, const CTarget &target, LPREQUESTID lpRequestID)
{
    return Submit(hService, RequestKind::Close, 0, target, lpRequestID, NoArgumentCheck,
                  &CProviderLibrary::Close);
}

HRESULT CXfsManager::Register(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                              const CTarget &target, LPREQUESTID lpRequestID)
{
    auto checkArguments = [&]() -> HRESULT {
        if (dwEventClass == 0 || (dwEventClass & ~kAllEventClasses))
            return WFS_ERR_INVALID_EVENT_CLASS;
        return IsWindow(hWndReg) ? WFS_SUCCESS : WFS_ERR_INVALID_HWNDREG;
    };
    return Submit(hService, RequestKind::Register, 0, target, lpRequestID, checkArguments,
                  &CProviderLibrary::Register, dwEventClass, hWndReg);
}

HRESULT CXfsManager::Deregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                                const CTarget &target, LPREQUESTID lpRequestID)
{
    // Class 0 deregisters every class, a null hWndReg every window; a window
    // already destroyed can no longer be named.
    auto checkArguments = [&]() -> HRESULT {
        if (dwEventClass & ~kAllEventClasses)
            return WFS_ERR_INVALID_EVENT_CLASS;
        return !hWndReg || IsWindow(hWndReg) ? WFS_SUCCESS : WFS_ERR_INVALID_HWNDREG;
    };
    return Submit(hService, RequestKind::Deregister, 0, target, lpRequestID, checkArguments,
                  &CProviderLibrary::Deregister, dwEventClass, hWndReg);
}

HRESULT CXfsManager::Lock(HSERVICE hService, DWORD dwTimeOut, const CTarget &target,
                          LPREQUESTID lpRequestID)
{
    return Submit(hService, RequestKind::Lock, 0, target, lpRequestID, NoArgumentCheck,
                  &CProviderLibrary::Lock, dwTimeOut);
}

HRESULT CXfsManager::Unlock(HSERVICE hService, const CTarget &target, LPREQUESTID lpRequestID)
{
    return Submit(hService, RequestKind::Unlock, 0, target, lpRequestID, NoArgumentCheck,
                  &CProviderLibrary::Unlock);
}

HRESULT CXfsManager::Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData,
                             DWORD dwTimeOut, const CTarget &target, LPREQUESTID lpRequestID)
{
    return Submit(hService, RequestKind::Execute, dwCommand, target, lpRequestID, NoArgumentCheck,
                  &CProviderLibrary::Execute, dwCommand, lpCmdData, dwTimeOut);
}

HRESULT CXfsManager::GetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                             DWORD dwTimeOut, const CTarget &target, LPREQUESTID lpRequestID)
{
    return Submit(hService, RequestKind::GetInfo, dwCategory, target, lpRequestID, NoArgumentCheck,
                  &CProviderLibrary::GetInfo, dwCategory, lpQueryDetails, dwTimeOut);
}

template <typename CallCheck>
CProviderLibrary *CXfsManager::SessionProvider(HSERVICE hService, CallCheck checkCall,
                                               HRESULT &hr)
{
    CCriticalSectionLock lock(m_cs);
    if (!m_bStarted) {
        hr = WFS_ERR_NOT_STARTED;
        return nullptr;
    }
    auto session = m_sessions.find(hService);
    if (session == m_sessions.end()) {
        hr = WFS_ERR_INVALID_HSERVICE;
        return nullptr;
    }
    CProviderLibrary *pProvider = session->second;
    hr = checkCall();
    return hr == WFS_SUCCESS ? pProvider : nullptr;
}

template <typename Call> HRESULT CXfsManager::CallProvider(HSERVICE hService, Call call)
{
    HRESULT hr;
    CProviderLibrary *pProvider = SessionProvider(hService, NoArgumentCheck, hr);
    if (!pProvider)
        return hr;
    hr = call(*pProvider);
    AfterRefusal(hService, hr);
    return hr;
}

HRESULT CXfsManager::CancelAsyncRequest(HSERVICE hService, REQUESTID RequestID)
{
    // The provider knows which requests are outstanding (an unknown one is
    // its WFS_ERR_INVALID_REQ_ID) and completes what it cancels, with
    // WFS_ERR_CANCELED.
    return CallProvider(hService, [&](CProviderLibrary &provider) {
        return provider.CancelAsyncRequest(hService, RequestID);
    });
}

HRESULT CXfsManager::SetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    return CallProvider(hService, [&](CProviderLibrary &provider) {
        return provider.SetTraceLevel(hService, dwTraceLevel);
    });
}

HRESULT CXfsManager::FreeResult(LPWFSRESULT lpResult)
{
    // Works without start-up too: a result may arrive after WFSCleanUp and
    // must still be freeable.
    if (!lpResult)
        return WFS_ERR_INVALID_POINTER;
    return CBufferHeap::Instance().Free(lpResult) == WFS_SUCCESS ? WFS_SUCCESS
                                                                  : WFS_ERR_INVALID_RESULT;
}

// --- the manager's own requests ----------------------------------------------

void CXfsManager::OnOwnWindowMessage(UINT uMsg, LPWFSRESULT lpResult)
{
    // Nothing is read from a pointer this manager did not hand out.
    if (!CBufferHeap::Instance().IsLiveOriginal(lpResult))
        return;
    CRequest request{};
    {
        CCriticalSectionLock lock(m_cs);
        auto it = m_syncRequests.find(lpResult->RequestID);
        // Execute events of a synchronous call have nobody to go to; late
        // completions (a call that gave up, WFSCleanUp's closes) neither.
        if (it == m_syncRequests.end() || uMsg != CompletionMessage(it->second.kind)) {
            CBufferHeap::Instance().Free(lpResult);
            return;
        }
        request = it->second;
        m_syncRequests.erase(it);
        // A session whose open failed does not exist.
        if (request.kind == RequestKind::Open && lpResult->hResult != WFS_SUCCESS)
            m_sessions.erase(request.hService);
    }
    CompleteRequest(request, lpResult);
}

void CXfsManager::Abandon(REQUESTID RequestID)
{
    CRequest request{};
    CProviderLibrary *pProvider = nullptr;
    {
        CCriticalSectionLock lock(m_cs);
        auto it = m_syncRequests.find(RequestID);
        if (it == m_syncRequests.end())
            return;
        request = it->second;
        m_syncRequests.erase(it);
        auto session = m_sessions.find(request.hService);
        if (session != m_sessions.end())
            pProvider = session->second;
    }
    // Its completion, when the provider still sends one, is freed on arrival.
    if (pProvider)
        pProvider->CancelAsyncRequest(request.hService, RequestID);
    CompleteRequestWithCode(request, WFS_ERR_CANCELED);
}
