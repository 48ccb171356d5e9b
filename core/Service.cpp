#include "Service.h"

#include "CriticalSectionLock.h"
#include "TTUContext.h"
#include "Trace.h"
#include "xfsttu.h"

namespace {
const DWORD kAllEventClasses = SERVICE_EVENTS | USER_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS;
const DWORD kOpenTraceLevel = 2;
const DWORD kInitialQueryTimeOut = 30000;

LPVOID Deref(LPVOID *lppData)
{
    return lppData ? *lppData : nullptr;
}

// One entry of an extra list, converted from the ANSI code page. cbEntry
// counts the terminating zero byte, which the conversion carries over.
std::wstring ConvertEntry(LPCSTR lpszEntry, int cbEntry)
{
    int cchWide = MultiByteToWideChar(CP_ACP, 0, lpszEntry, cbEntry, nullptr, 0);
    if (cchWide <= 0)
        return std::wstring();
    std::wstring strEntry(static_cast<size_t>(cchWide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, lpszEntry, cbEntry, &strEntry[0], cchWide);
    strEntry.resize(static_cast<size_t>(cchWide) - 1);
    return strEntry;
}
} // namespace

CService::CService() : m_hLastResult(WFS_SUCCESS), m_nInstance(0)
{
    InitializeCriticalSection(&m_cs);
}

CService::~CService()
{
    DeleteCriticalSection(&m_cs);
}

BOOL CService::PumpUntilCompleted(REQUESTID RequestID, MSG *pQuit)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    for (;;) {
        BOOL bGot = GetMessageW(pQuit, nullptr, 0, 0);
        if (bGot == 0)
            return FALSE;
        if (bGot != -1) {
            TranslateMessage(pQuit);
            DispatchMessageW(pQuit);
        }
        if (pContext->IsCompleted(RequestID))
            return TRUE;
    }
}

BOOL CService::WaitForCompletion(REQUESTID RequestID, BOOL bHandshake)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    pContext->SetRequestOwner(RequestID, m_nInstance);
    pContext->AddPending(RequestID);
    if (bHandshake)
        pContext->SetHandshake();

    MSG msg;
    if (PumpUntilCompleted(RequestID, &msg)) {
        // Nobody could receive the completion: its own code still
        // decides, never what an earlier request left here.
        pContext->TakeDiscardedResult(RequestID, &m_hLastResult);
        return TRUE;
    }
    // WM_QUIT ended the wait. The pending entry goes so that the list holds
    // only requests somebody still waits for; the completion, when it
    // comes, is still routed to this instance and released as usual. The
    // operation fails rather than go on with an older result, and the quit
    // is posted again so that the host's own loop still ends.
    pContext->RemovePending(RequestID);
    m_hLastResult = WFS_ERR_CANCELED;
    PostQuitMessage(static_cast<int>(msg.wParam));
    return FALSE;
}

// The owner's wait encloses this one (the owner is still pumping when this
// instance is asked for the status), so the owner, not this wait, takes a
// discarded code and removes the entry on WM_QUIT.
void CService::JoinStatusQuery(REQUESTID RequestID)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    MSG msg;
    if (PumpUntilCompleted(RequestID, &msg)) {
        pContext->PeekDiscardedResult(RequestID, &m_hLastResult);
        return;
    }
    m_hLastResult = WFS_ERR_CANCELED;
    PostQuitMessage(static_cast<int>(msg.wParam));
}

HRESULT CService::OpenSession(DWORD dwTimeOut)
{
    CCriticalSectionLock lock(m_cs);
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (pContext->GetOpened())
        return WFS_SUCCESS;
    // Called again from a handler that the open's own wait dispatched: one
    // open at a time, or the process would hold a session nobody closes.
    if (pContext->IsOpening())
        return WFS_ERR_OP_IN_PROGRESS;
    pContext->BeginOpening();
    HRESULT hResult = OpenNewSession(dwTimeOut);
    pContext->EndOpening();
    return hResult;
}

HRESULT CService::OpenNewSession(DWORD dwTimeOut)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    WFSVERSION version = {};
    HRESULT hResult = WFSStartUp(GetVersionsRequired(), &version);
    if (hResult != WFS_SUCCESS && hResult != WFS_ERR_ALREADY_STARTED)
        return hResult;

    // Kept for the life of the process: never destroyed.
    HAPP hApp = nullptr;
    hResult = WFSCreateAppHandle(&hApp);
    if (hResult != WFS_SUCCESS)
        return hResult;

    HSERVICE hService = 0;
    hResult = AsyncOpen(hApp, &hService, dwTimeOut);
    if (hResult != WFS_SUCCESS)
        return hResult;
    hResult = Register(hService);
    if (hResult != WFS_SUCCESS)
        return hResult;
    hResult = QueryInitialInfo(hService);
    if (hResult != WFS_SUCCESS)
        return hResult;

    pContext->SetSession(hService);
    return WFS_SUCCESS;
}

HRESULT CService::AsyncOpen(HAPP hApp, LPHSERVICE lphService, DWORD dwTimeOut)
{
    char szLogicalName[LOGICAL_NAME_SIZE] = {};
    GetLogicalName(szLogicalName);

    WFSVERSION srvcVersion = {};
    WFSVERSION spiVersion = {};
    REQUESTID RequestID = 0;
    CTTUContext *pContext = CTTUContext::GetInstance();
    HRESULT hResult = WFSAsyncOpen(szLogicalName, hApp, nullptr, kOpenTraceLevel, dwTimeOut,
                                   lphService, pContext->GetWnd(), GetSrvcVersionsRequired(),
                                   &srvcVersion, &spiVersion, &RequestID);
    if (hResult != WFS_SUCCESS)
        return hResult;
    pContext->SetOpeningService(*lphService);
    if (!WaitForCompletion(RequestID, FALSE))
        pContext->AbandonOpen(RequestID);
    return m_hLastResult;
}

HRESULT CService::Register(HSERVICE hService)
{
    HWND hWnd = CTTUContext::GetInstance()->GetWnd();
    REQUESTID RequestID = 0;
    HRESULT hResult = WFSAsyncRegister(hService, kAllEventClasses, hWnd, hWnd, &RequestID);
    if (hResult == WFS_SUCCESS) {
        WaitForCompletion(RequestID, TRUE);
        hResult = m_hLastResult;
        if (hResult == WFS_SUCCESS)
            hResult = WFMSetTraceLevel(hService, 0);
    }
    if (hResult != WFS_SUCCESS)
        Close(hService);
    return hResult;
}

HRESULT CService::QueryAndWait(HSERVICE hService, DWORD dwCategory)
{
    REQUESTID RequestID = 0;
    HRESULT hResult = WFSAsyncGetInfo(hService, dwCategory, nullptr, kInitialQueryTimeOut,
                                      CTTUContext::GetInstance()->GetWnd(), &RequestID);
    if (hResult != WFS_SUCCESS)
        return hResult;
    WaitForCompletion(RequestID, FALSE);
    return m_hLastResult;
}

HRESULT CService::QueryInitialInfo(HSERVICE hService)
{
    HRESULT hResult = QueryAndWait(hService, WFS_INF_TTU_CAPABILITIES);
    if (hResult == WFS_SUCCESS)
        hResult = QueryAndWait(hService, WFS_INF_TTU_STATUS);
    if (hResult != WFS_SUCCESS)
        Close(hService);
    return hResult;
}

HRESULT CService::CloseSession()
{
    CCriticalSectionLock lock(m_cs);
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_SUCCESS;

    // A failed deregistration has closed the session already; either way
    // the process must be able to open it again, so the state is reset and
    // the first failure returned.
    HSERVICE hService = pContext->GetService();
    HRESULT hResult = Deregister(hService);
    if (hResult == WFS_SUCCESS)
        hResult = Close(hService);

    ResetDeviceInfo();
    pContext->SetSession(0);
    m_mapExtra.clear();
    return hResult;
}

HRESULT CService::Deregister(HSERVICE hService)
{
    HWND hWnd = CTTUContext::GetInstance()->GetWnd();
    REQUESTID RequestID = 0;
    HRESULT hResult = WFSAsyncDeregister(hService, 0, hWnd, hWnd, &RequestID);
    if (hResult == WFS_SUCCESS) {
        WaitForCompletion(RequestID, TRUE);
        hResult = m_hLastResult;
    }
    if (hResult != WFS_SUCCESS)
        Close(hService);
    return hResult;
}

HRESULT CService::Close(HSERVICE hService)
{
    REQUESTID RequestID = 0;
    HRESULT hResult =
        WFSAsyncClose(hService, CTTUContext::GetInstance()->GetWnd(), &RequestID);
    if (hResult != WFS_SUCCESS)
        return hResult;
    WaitForCompletion(RequestID, FALSE);
    return m_hLastResult;
}

HRESULT CService::RecordOwner(HRESULT hResult, REQUESTID RequestID)
{
    if (hResult == WFS_SUCCESS)
        CTTUContext::GetInstance()->SetRequestOwner(RequestID, m_nInstance);
    return hResult;
}

HRESULT CService::Lock(DWORD dwTimeOut)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_ERR_NOT_STARTED;
    REQUESTID RequestID = 0;
    HRESULT hResult =
        WFSAsyncLock(pContext->GetService(), dwTimeOut, pContext->GetWnd(), &RequestID);
    return RecordOwner(hResult, RequestID);
}

HRESULT CService::Unlock()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_ERR_NOT_STARTED;
    REQUESTID RequestID = 0;
    HRESULT hResult = WFSAsyncUnlock(pContext->GetService(), pContext->GetWnd(), &RequestID);
    return RecordOwner(hResult, RequestID);
}

HRESULT CService::Execute(DWORD dwCommand, LPVOID *lppCmdData, DWORD dwTimeOut, WORD wTag)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_ERR_NOT_STARTED;
    REQUESTID RequestID = 0;
    HRESULT hResult = WFSAsyncExecute(pContext->GetService(), dwCommand, Deref(lppCmdData),
                                      dwTimeOut, pContext->GetWnd(), &RequestID);
    if (RecordOwner(hResult, RequestID) == WFS_SUCCESS)
        OnExecuteIssued(dwCommand, lppCmdData, wTag, RequestID);
    return hResult;
}

HRESULT CService::GetInfo(DWORD dwCategory, LPVOID *lppQueryDetails, DWORD dwTimeOut)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_ERR_NOT_STARTED;
    REQUESTID RequestID = 0;
    const BOOL bPlainStatus = dwCategory == WFS_INF_TTU_STATUS && !Deref(lppQueryDetails);
    if (bPlainStatus && pContext->FindSharedStatusQuery(&RequestID)) {
        JoinStatusQuery(RequestID);
        return WFS_SUCCESS;
    }
    HRESULT hResult = WFSAsyncGetInfo(pContext->GetService(), dwCategory, Deref(lppQueryDetails),
                                      dwTimeOut, pContext->GetWnd(), &RequestID);
    if (hResult == WFS_SUCCESS) {
        if (bPlainStatus)
            pContext->SetStatusQuery(RequestID);
        WaitForCompletion(RequestID, FALSE);
    } else {
        TTU_TRACE(2, "ERROR", "CService::GetInfo", "Result of WFSGetInfo(dwCategory [%d], ...) = %d",
                  static_cast<int>(dwCategory), static_cast<int>(hResult));
        TTU_ERROR_CODE("57", hResult);
    }
    return hResult;
}

HRESULT CService::CancelRequests()
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened())
        return WFS_ERR_NOT_STARTED;
    // Request 0: every outstanding request of the session.
    return WFSCancelAsyncRequest(pContext->GetService(), 0);
}

std::wstring CService::LookupExtra(const std::wstring &strKey) const
{
    auto it = m_mapExtra.find(strKey);
    return it == m_mapExtra.end() ? std::wstring() : it->second;
}

// The handlers parse the reply's extra list into m_mapExtra during the wait;
// the query's own result is not looked at, so a failed query answers from the
// list parsed last.
std::wstring CService::GetExtraStatus(const std::wstring &strKey)
{
    GetInfo(WFS_INF_TTU_STATUS, nullptr, WFS_INDEFINITE_WAIT);
    return LookupExtra(strKey);
}

std::wstring CService::GetExtraCaps(const std::wstring &strKey)
{
    GetInfo(WFS_INF_TTU_CAPABILITIES, nullptr, WFS_INDEFINITE_WAIT);
    return LookupExtra(strKey);
}

void CService::HandleMessage(UINT uMsg, LPWFSRESULT *lppResult)
{
    // The context never routes a message without a result.
    if (!lppResult || !*lppResult)
        return;
    LPWFSRESULT lpResult = *lppResult;
    switch (uMsg) {
    case WFS_OPEN_COMPLETE:
    case WFS_CLOSE_COMPLETE:
    case WFS_REGISTER_COMPLETE:
    case WFS_DEREGISTER_COMPLETE:
        m_hLastResult = lpResult->hResult;
        CTTUContext::GetInstance()->RemovePending(lpResult->RequestID);
        break;
    case WFS_LOCK_COMPLETE:
        DoLockComplete(uMsg, lppResult);
        break;
    case WFS_UNLOCK_COMPLETE:
        DoUnlockComplete(uMsg, lppResult);
        break;
    case WFS_GETINFO_COMPLETE:
        // The pending entry goes once every instance has seen the answer.
        m_hLastResult = lpResult->hResult;
        DoGetInfoComplete(uMsg, lppResult);
        break;
    case WFS_EXECUTE_COMPLETE:
        DoExecuteComplete(uMsg, lppResult);
        break;
    case WFS_EXECUTE_EVENT:
        DoExecuteEvent(uMsg, lppResult);
        break;
    case WFS_SERVICE_EVENT:
        DoServiceEvent(uMsg, lppResult);
        break;
    case WFS_USER_EVENT:
        DoUserEvent(uMsg, lppResult);
        break;
    case WFS_SYSTEM_EVENT:
        DoSystemEvent(uMsg, lppResult);
        break;
    default:
        break;
    }
}

void CService::ParseExtra(LPSTR *lppszExtra)
{
    m_mapExtra.clear();
    if (!lppszExtra || !*lppszExtra)
        return;

    LPCSTR lpszEntry = *lppszExtra;
    for (LPCSTR p = lpszEntry;; ++p) {
        if (*p != '\0')
            continue;
        const std::wstring strEntry = ConvertEntry(lpszEntry, static_cast<int>(p - lpszEntry) + 1);
        const size_t nEquals = strEntry.find(L'=');
        if (nEquals == std::wstring::npos)
            m_mapExtra[std::wstring()] = strEntry;
        else
            m_mapExtra[strEntry.substr(0, nEquals)] = strEntry.substr(nEquals + 1);
        if (p[1] == '\0')
            break;
        lpszEntry = p + 1;
    }
}
