#include "Provider.h"

#include "CriticalSectionLock.h"
#include "PanelTrace.h"
#include "ProviderRegistry.h"
#include "VersionRange.h"

CProvider &CProvider::Instance()
{
    static CProvider provider;
    return provider;
}

CProvider::CProvider() : m_queue(m_cs, m_sessions)
{
    InitializeCriticalSection(&m_cs);
}

HRESULT CProvider::Open(HSERVICE hService, LPCSTR lpszLogicalName, DWORD dwTraceLevel, HWND hWnd,
                       REQUESTID reqId, DWORD dwSPIVersionsRequired, LPWFSVERSION lpSPIVersion,
                       DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion)
{
    if (!hWnd)
        return WFS_ERR_INVALID_HWND;
    if (!lpszLogicalName)
        return WFS_ERR_INVALID_POINTER;
    {
        CCriticalSectionLock lock(m_cs);
        if (m_sessions.count(hService))
            return WFS_ERR_INVALID_HSERVICE;
    }
    auto request = NewRequest(RequestKind::Open, hService, hWnd, reqId);

    // Every failure below is the open's outcome: it arrives with the
    // completion, as the result of opening a real device would.
    HRESULT hr = NegotiateVersion(dwSPIVersionsRequired, lpSPIVersion, WFS_ERR_SPI_VER_TOO_LOW,
                           WFS_ERR_SPI_VER_TOO_HIGH);
    HRESULT hrSrvc = NegotiateVersion(dwSrvcVersionsRequired, lpSrvcVersion,
                                      WFS_ERR_SRVC_VER_TOO_LOW, WFS_ERR_SRVC_VER_TOO_HIGH);
    hr = hr != WFS_SUCCESS ? hr : hrSrvc;

    auto config = std::make_shared<CPanelConfig>();
    std::string strError;
    std::wstring strPath;
    if (hr == WFS_SUCCESS) {
        // A configuration that cannot be found or read is a fault of the
        // installation, not of the device: WFS_ERR_INTERNAL_ERROR.
        if (!ConfigPathForLogicalService(lpszLogicalName, strPath, strError) ||
            !LoadPanelConfig(strPath, *config, strError))
            hr = WFS_ERR_INTERNAL_ERROR;
        else
            hr = CSharedPanel::Attach(&config->description, strError);
        if (hr != WFS_SUCCESS)
            TraceError("WFPOpen",
                       std::string("open of ") + lpszLogicalName + " fails: " + strError);
    }
    request->hrOpen = hr;

    CCriticalSectionLock lock(m_cs);
    CSession &session = m_sessions[hService];
    session.config = config;
    session.dwTraceLevel = dwTraceLevel;
    return m_queue.Submit(std::move(request));
}

HRESULT CProvider::Queue(std::unique_ptr<CProviderRequest> request)
{
    if (!request->hWnd)
        return WFS_ERR_INVALID_HWND;
    CCriticalSectionLock lock(m_cs);
    if (!m_sessions.count(request->hService))
        return WFS_ERR_INVALID_HSERVICE;
    // Whatever the session still has outstanding completes, cancelled,
    // before the close itself.
    if (request->kind == RequestKind::Close)
        m_queue.Cancel(request->hService, 0, true);
    return m_queue.Submit(std::move(request));
}

HRESULT CProvider::Close(HSERVICE hService, HWND hWnd, REQUESTID reqId)
{
    return Queue(NewRequest(RequestKind::Close, hService, hWnd, reqId));
}

HRESULT CProvider::Lock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::Lock, hService, hWnd, reqId);
    request->dwTimeOut = dwTimeOut;
    return Queue(std::move(request));
}

HRESULT CProvider::Unlock(HSERVICE hService, HWND hWnd, REQUESTID reqId)
{
    return Queue(NewRequest(RequestKind::Unlock, hService, hWnd, reqId));
}

HRESULT CProvider::Register(RequestKind kind, HSERVICE hService, DWORD dwEventClass,
                           HWND hWndReg, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(kind, hService, hWnd, reqId);
    request->dwEventClass = dwEventClass;
    request->hWndReg = hWndReg;
    return Queue(std::move(request));
}

HRESULT CProvider::Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                          HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::Execute, hService, hWnd, reqId, dwCommand);
    request->dwTimeOut = dwTimeOut;
    request->data = CopyCommandData(dwCommand, lpCmdData);
    return Queue(std::move(request));
}

HRESULT CProvider::GetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                          DWORD dwTimeOut, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::GetInfo, hService, hWnd, reqId, dwCategory);
    request->dwTimeOut = dwTimeOut;
    request->data = CopyQueryDetails(dwCategory, lpQueryDetails);
    return Queue(std::move(request));
}

HRESULT CProvider::Cancel(HSERVICE hService, REQUESTID reqId)
{
    CCriticalSectionLock lock(m_cs);
    if (!m_sessions.count(hService))
        return WFS_ERR_INVALID_HSERVICE;
    bool bFound = m_queue.Cancel(hService, reqId, false);
    return bFound || reqId == 0 ? WFS_SUCCESS : WFS_ERR_INVALID_REQ_ID;
}

HRESULT CProvider::SetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    CCriticalSectionLock lock(m_cs);
    auto it = m_sessions.find(hService);
    if (it == m_sessions.end())
        return WFS_ERR_INVALID_HSERVICE;
    it->second.dwTraceLevel = dwTraceLevel;
    return WFS_SUCCESS;
}

/* The worker holds its own reference on the DLL (RequestQueue.cpp), so
   unloading is safe at any time; it is told to end here. Sessions still
   open are a caller's mistake that is reported rather than torn down. */
HRESULT CProvider::Unload()
{
    CCriticalSectionLock lock(m_cs);
    if (!m_sessions.empty())
        return WFS_ERR_OP_IN_PROGRESS;
    m_queue.StopWorker();
    return WFS_SUCCESS;
}
