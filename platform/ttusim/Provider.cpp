#include "Provider.h"

#include <mutex>

#include "CriticalSectionLock.h"
#include "PanelTrace.h"
#include "ProviderRegistry.h"
#include "VersionRange.h"

namespace {

/* The panel's configuration as the last open read it. Reading and checking
   the INI file costs more than the rest of an open, and it rarely changes:
   a configuration is taken again while its file has the same path, size and
   last-write time. File times are coarse (a write in the same tick keeps
   the time), so a file written less than kSettleMs before it was read is
   read again at every open until it has settled. */
const ULONGLONG kSettleMs = 2000;

struct CConfigCache {
    std::mutex mutex;
    std::wstring strPath;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    bool bSettled = false;
    std::shared_ptr<CPanelConfig> config;
};

ULONGLONG Ticks100ns(const FILETIME &time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::shared_ptr<CPanelConfig> LoadConfig(const std::wstring &strPath, std::string &strError)
{
    static CConfigCache s_cache;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    const bool bFound =
        GetFileAttributesExW(strPath.c_str(), GetFileExInfoStandard, &attributes) != FALSE;
    std::lock_guard<std::mutex> guard(s_cache.mutex);
    const WIN32_FILE_ATTRIBUTE_DATA &cached = s_cache.attributes;
    if (bFound && s_cache.config && s_cache.bSettled && s_cache.strPath == strPath &&
        attributes.nFileSizeHigh == cached.nFileSizeHigh &&
        attributes.nFileSizeLow == cached.nFileSizeLow &&
        Ticks100ns(attributes.ftLastWriteTime) == Ticks100ns(cached.ftLastWriteTime))
        return s_cache.config;

    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto config = std::make_shared<CPanelConfig>();
    if (!LoadPanelConfig(strPath, *config, strError)) {
        s_cache.config.reset();
        return nullptr;
    }
    // Sessions share it: nothing changes a configuration once read.
    s_cache.strPath = strPath;
    s_cache.attributes = attributes;
    s_cache.bSettled = bFound && Ticks100ns(now) >
                                     Ticks100ns(attributes.ftLastWriteTime) + kSettleMs * 10000;
    s_cache.config = config;
    return config;
}

} // namespace

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

    std::shared_ptr<CPanelConfig> config;
    std::string strError;
    std::wstring strPath;
    if (hr == WFS_SUCCESS) {
        // A configuration that cannot be found or read is a fault of the
        // installation, not of the device: WFS_ERR_INTERNAL_ERROR.
        if (!ConfigPathForLogicalService(lpszLogicalName, strPath, strError) ||
            !(config = LoadConfig(strPath, strError)))
            hr = WFS_ERR_INTERNAL_ERROR;
        else
            hr = CSharedPanel::Attach(&config->description, strError);
        if (hr != WFS_SUCCESS)
            TraceError("WFPOpen",
                       std::string("open of ") + lpszLogicalName + " fails: " + strError);
    }
    request->hrOpen = hr;

    if (!config)
        config = std::make_shared<CPanelConfig>();
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
