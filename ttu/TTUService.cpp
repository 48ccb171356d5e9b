// CTTUService: lifetime, the CService slots, routing of completions and
// events, and the error policy.
#include "TTUService.h"

#include "TTUContext.h"
#include "TTULastKnownStatus.h"
#include "TextConversion.h"
#include "Trace.h"

namespace {

const char kLogicalName[] = "OperatorPanel";

// The host application's main window: the first visible top-level window of
// the calling thread that no other window owns. The control's own hidden
// windows are never visible, so they are never taken for it.
BOOL CALLBACK FindMainWindowProc(HWND hWnd, LPARAM lParam)
{
    if (IsWindowVisible(hWnd) && !GetWindow(hWnd, GW_OWNER)) {
        *reinterpret_cast<HWND *>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindHostMainWindow()
{
    HWND hMainWnd = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMainWindowProc,
                      reinterpret_cast<LPARAM>(&hMainWnd));
    return hMainWnd;
}

} // namespace

CTTUService::CTTUService(CTTUEventSink *pCtrl)
    : m_bStatusValid(FALSE), m_bCapsValid(FALSE), m_bKeyDetailValid(FALSE), m_wFormWidth(0),
      m_wFormHeight(0), m_wFormVersionMajor(0), m_wFormVersionMinor(0),
      m_fwFormCharSupport(WFS_TTU_AVAILASCII), m_fwFieldType(0), m_fwFieldClass(1),
      m_fwFieldAccess(1), m_fwFieldOverflow(0), m_pCtrl(pCtrl), m_sDisplaySizeX(0),
      m_sDisplaySizeY(0), m_bKeyLockStatus(FALSE), m_sPrevDisplaySizeX(0), m_sPrevDisplaySizeY(0),
      m_bPrevKeyLockStatus(FALSE), m_bHasKeyLock(FALSE), m_bHasDisplayLight(FALSE),
      m_bCanSupportCursor(FALSE), m_bCanSupportForms(FALSE), m_fwCharSupport(WFS_TTU_AVAILASCII),
      m_usNumResolutions(0), m_mapFieldValues(10)
{
    CopyLastKnownStatus();
    ClearFormInfo();
    ClearFieldInfo();
    // A new instance waits for capabilities of its own before it trusts an
    // LED count; but the count of a session that is open (or opening) is
    // the device's, which other instances go on using.
    CTTUContext *pContext = CTTUContext::GetInstance();
    if (!pContext->GetOpened() && !pContext->IsOpening())
        g_usNumOfLEDs = 0;
}

CTTUService::~CTTUService()
{
    m_pCtrl = nullptr;
    ClearFormInfo();
    ClearFieldInfo();
}

void CTTUService::CopyLastKnownStatus()
{
    m_strDeviceStatus = g_strDeviceStatus;
    m_sDisplaySizeX = g_sDisplaySizeX;
    m_sDisplaySizeY = g_sDisplaySizeY;
    m_strKeyboardStatus = g_strKeyboardStatus;
    m_bKeyLockStatus = g_bKeyLockStatus;
    m_varLEDStatus = g_varLEDStatus;
    m_arrLEDStatus = g_arrLEDStatus;
}

void CTTUService::OnExecuteIssued(DWORD, LPVOID *, WORD, REQUESTID) {}

void CTTUService::DoUserEvent(UINT, LPWFSRESULT *) {}

void CTTUService::DoServiceEvent(UINT, LPWFSRESULT *) {}

DWORD CTTUService::GetVersionsRequired()
{
    return 0x00000003;
}

DWORD CTTUService::GetSrvcVersionsRequired()
{
    return 0x00000103;
}

void CTTUService::GetLogicalName(LPSTR lpszLogicalName)
{
    lstrcpyA(lpszLogicalName, kLogicalName);
    TTU_TRACE(1, "INFORMATION", "CTTUService::GetLogicalName", "szLogicalName=%s", lpszLogicalName);
}

void CTTUService::DoLockComplete(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (lpResult->hResult == WFS_ERR_TIMEOUT) {
        TTU_TRACE_EVENT("CTTUService::DoLockComplete", "FireLockTimeout");
        m_pCtrl->FireLockTimeout();
    } else if (lpResult->hResult != WFS_SUCCESS) {
        DoErrorStatus(uMsg, lpResult->u.dwCommandCode, lpResult->hResult);
    } else {
        TTU_TRACE_EVENT("CTTUService::DoLockComplete", "FireLockGranted");
        m_pCtrl->FireLockGranted();
    }
}

void CTTUService::DoUnlockComplete(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    if (lpResult->hResult != WFS_SUCCESS) {
        DoErrorStatus(uMsg, lpResult->u.dwCommandCode, lpResult->hResult);
    } else {
        TTU_TRACE_EVENT("CTTUService::DoUnlockComplete", "FireLockReleased");
        m_pCtrl->FireLockReleased();
    }
}

namespace {
using CompletionHandler = void (CTTUService::*)(UINT, LPWFSRESULT *);
struct CHandlerRow {
    DWORD dwCode;
    CompletionHandler pfnHandle;
};

// A code no row names (another service's command or category) is ignored.
CompletionHandler FindHandler(const CHandlerRow *pRows, size_t nRows, DWORD dwCode)
{
    for (size_t i = 0; i < nRows; ++i)
        if (pRows[i].dwCode == dwCode)
            return pRows[i].pfnHandle;
    return nullptr;
}
} // namespace

void CTTUService::DoExecuteComplete(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CHandlerRow kRows[] = {
        {WFS_CMD_TTU_BEEP, &CTTUService::HandleBeep},
        {WFS_CMD_TTU_CLEARSCREEN, &CTTUService::HandleClearScreen},
        {WFS_CMD_TTU_DISPLIGHT, &CTTUService::HandleDispLight},
        {WFS_CMD_TTU_SET_LED, &CTTUService::HandleSetLed},
        {WFS_CMD_TTU_SET_RESOLUTION, &CTTUService::HandleSetResolution},
        {WFS_CMD_TTU_WRITE_FORM, &CTTUService::HandleWriteForm},
        {WFS_CMD_TTU_READ_FORM, &CTTUService::HandleReadForm},
        {WFS_CMD_TTU_WRITE, &CTTUService::HandleWrite},
        {WFS_CMD_TTU_READ, &CTTUService::HandleRead},
        {WFS_CMD_TTU_RESET, &CTTUService::HandleReset},
    };
    DWORD dwCode = (*lppResult)->u.dwCommandCode;
    TTU_TRACE(1, "INFORMATION", "CTTUService::DoExecuteComplete",
              "DoExecuteComplete[lpResult->u.dwCommandCode=%d]", static_cast<int>(dwCode));
    if (CompletionHandler pfnHandle = FindHandler(kRows, ARRAYSIZE(kRows), dwCode))
        (this->*pfnHandle)(uMsg, lppResult);
}

void CTTUService::DoGetInfoComplete(UINT uMsg, LPWFSRESULT *lppResult)
{
    static const CHandlerRow kRows[] = {
        {WFS_INF_TTU_STATUS, &CTTUService::HandleStatus},
        {WFS_INF_TTU_CAPABILITIES, &CTTUService::HandleCapabilities},
        {WFS_INF_TTU_FORM_LIST, &CTTUService::HandleFormList},
        {WFS_INF_TTU_QUERY_FORM, &CTTUService::HandleQueryForm},
        {WFS_INF_TTU_QUERY_FIELD, &CTTUService::HandleQueryField},
        {WFS_INF_TTU_KEY_DETAIL, &CTTUService::HandleKeyDetail},
    };
    DWORD dwCategory = (*lppResult)->u.dwCommandCode;
    TTU_TRACE(1, "INFORMATION", "CTTUService::DoGetInfoComplete",
              "DoGetInfoComplete[lpResult->u.dwCommandCode=%d]", static_cast<int>(dwCategory));
    if (CompletionHandler pfnHandle = FindHandler(kRows, ARRAYSIZE(kRows), dwCategory))
        (this->*pfnHandle)(uMsg, lppResult);
}

void CTTUService::DoSystemEvent(UINT uMsg, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    switch (lpResult->u.dwEventID) {
    case WFS_SYSE_HARDWARE_ERROR:
        m_bStatusValid = FALSE;
        TTU_TRACE_INFO("CTTUService::DoSystemEvent",
                       "Warnning:SYSE_HARDWARE_ERROR-->Do not FireDeviceError");
        break;
    case WFS_SYSE_DEVICE_STATUS:
        // The status the event carries is not read: the query's answer
        // passes through HandleStatus, which compares and fires.
        TTU_TRACE_INFO("CTTUService::DoSystemEvent", "WFS_SYSE_DEVICE_STATUS Received");
        m_bStatusValid = FALSE;
        GetInfo(WFS_INF_TTU_STATUS, nullptr, COMMAND_TIMEOUT);
        break;
    case WFS_SYSE_APP_DISCONNECT:
        HandleAppDisconnect(uMsg, lpResult);
        break;
    default:
        break;
    }
}

// The session is gone for every instance of the process; the host hears of
// it whatever the registry settings say. The first instance to hear it closes
// the lost session without waiting, so that its outstanding requests and its
// registration do not outlive it; the others see it closed already. Once a
// newer session is open (a handler reopened it), the old one says nothing more.
void CTTUService::HandleAppDisconnect(UINT uMsg, LPWFSRESULT lpResult)
{
    m_bStatusValid = FALSE;
    CTTUContext *pContext = CTTUContext::GetInstance();
    const BOOL bCurrent = pContext->IsCurrentSession(lpResult->hService);
    if (!bCurrent && pContext->GetOpened())
        return;
    ResetDeviceInfo();
    if (bCurrent)
        pContext->AbandonSession();
    std::wstring strName = GetRequestName(uMsg, lpResult->u.dwEventID);
    TTU_TRACE_EVENT("CTTUService::DoSystemEvent", "FireFatalError{dwEventID[%d], hResult[%d]}",
                    static_cast<int>(lpResult->u.dwEventID), static_cast<int>(lpResult->hResult));
    m_pCtrl->FireFatalError(strName.c_str(), lpResult->hResult);
}

void CTTUService::DoExecuteEvent(UINT, LPWFSRESULT *lppResult)
{
    LPWFSRESULT lpResult = *lppResult;
    switch (lpResult->u.dwEventID) {
    case WFS_EXEE_TTU_FIELDERROR:
        FireFieldFailure(lpResult, true);
        break;
    case WFS_EXEE_TTU_FIELDWARNING:
        FireFieldFailure(lpResult, false);
        break;
    case WFS_EXEE_TTU_KEY:
        FireKeyPressed(lpResult);
        break;
    default:
        break;
    }
}

// An event without its data has nothing to tell the host.
void CTTUService::FireFieldFailure(LPWFSRESULT lpResult, bool bError)
{
    const WFSTTUFIELDFAIL *lpFail = static_cast<const WFSTTUFIELDFAIL *>(lpResult->lpBuffer);
    if (!lpFail)
        return;
    TTU_TRACE_EVENT("CTTUService::DoExecuteEvent",
                    bError ? "FireFieldError(%s, %s, %d)" : "FireFieldWarning(%s, %s, %d)",
                    lpFail->lpszFormName ? lpFail->lpszFormName : "",
                    lpFail->lpszFieldName ? lpFail->lpszFieldName : "",
                    static_cast<int>(lpFail->wFailure));
    std::unique_ptr<wchar_t[]> formName = AnsiToWideBuffer(lpFail->lpszFormName);
    if (!formName) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::DoExecuteEvent", "6d");
        return;
    }
    std::unique_ptr<wchar_t[]> fieldName = AnsiToWideBuffer(lpFail->lpszFieldName);
    if (!fieldName) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::DoExecuteEvent", "6d");
        return;
    }
    SHORT sFailure = static_cast<SHORT>(lpFail->wFailure);
    if (bError)
        m_pCtrl->FireFieldError(formName.get(), fieldName.get(), sFailure);
    else
        m_pCtrl->FireFieldWarning(formName.get(), fieldName.get(), sFailure);
}

// The key text is the pressed key's ANSI character as a one-character text
// (empty for a command key, whose cKey is 0): the structure has nothing
// after cKey that could be read as more text.
void CTTUService::FireKeyPressed(LPWFSRESULT lpResult)
{
    const WFSTTUKEY *lpKey = static_cast<const WFSTTUKEY *>(lpResult->lpBuffer);
    if (!lpKey)
        return;
    char szKey[2] = {lpKey->cKey, '\0'};
    TTU_TRACE_EVENT("CTTUService::DoExecuteEvent", "FireTTUKeyPressed(%s, %d, %d)", szKey,
                    static_cast<int>(lpKey->wUNICODEKey), static_cast<int>(lpKey->wCommandKey));
    std::unique_ptr<wchar_t[]> key = AnsiToWideBuffer(szKey);
    if (!key) {
        TTU_TRACE_ALLOC_FAILED("CTTUService::DoExecuteEvent", "6d");
        return;
    }
    m_pCtrl->FireTTUKeyPressed(key.get(), static_cast<SHORT>(lpKey->wUNICODEKey),
                               static_cast<SHORT>(lpKey->wCommandKey));
}

// With SrvMode 0 and ErrHandle 0 the host application is asked to close.
// WM_CLOSE is posted and not waited for: the window belongs to this very
// thread, which has to return to its message loop before it can handle the
// message, so any wait here could only end by time-out (or never). The
// host's close then runs in its own time, after the current handler.
void CTTUService::DoErrorStatus(UINT uMsg, DWORD dwCode, HRESULT hResult)
{
    CTTUContext *pContext = CTTUContext::GetInstance();
    int nSrvMode = pContext->GetSrvMode();
    int nErrHandle = pContext->GetErrHandle();
    if (nSrvMode == 0 && nErrHandle == 0) {
        if (HWND hMainWnd = FindHostMainWindow())
            PostMessageW(hMainWnd, WM_CLOSE, 0, 0);
    } else if ((nSrvMode == 0 || nSrvMode == 1) && nErrHandle == 1) {
        std::wstring strName = GetRequestName(uMsg, dwCode);
        TTU_TRACE_EVENT("CTTUService::DoErrorStatus", "FireFatalError{Command[%S], hResult[%d]}",
                        strName.c_str(), static_cast<int>(hResult));
        m_pCtrl->FireFatalError(strName.c_str(), hResult);
    }
}

std::wstring CTTUService::GetRequestName(UINT uMsg, DWORD dwCode)
{
    static const LPCWSTR kInfoNames[] = {L"INF_TTU_STATUS",      L"INF_TTU_CAPABILITIES",
                                         L"INF_TTU_FORM_LIST",   L"INF_TTU_QUERY_FORM",
                                         L"INF_TTU_QUERY_FIELD", L"INF_TTU_KEY_DETAIL"};
    static const LPCWSTR kCommandNames[] = {
        L"CMD_TTU_BEEP",           L"CMD_TTU_CLEARSCREEN", L"CMD_TTU_DISPLIGHT", L"CMD_TTU_SET_LED",
        L"CMD_TTU_SET_RESOLUTION", L"CMD_TTU_WRITE_FORM",  L"CMD_TTU_READ_FORM", L"CMD_TTU_WRITE",
        L"CMD_TTU_READ",           L"CMD_TTU_RESET"};
    static const LPCWSTR kExecuteEventNames[] = {L"EXEE_TTU_FIELDERROR", L"EXEE_TTU_FIELDWARNING",
                                                 L"EXEE_TTU_KEY"};
    static const LPCWSTR kSystemEventNames[] = {L"SYSE_UNDELIVERABLE_MSG", L"SYSE_HARDWARE_ERROR",
                                                L"SYSE_VERSION_ERROR", L"SYSE_DEVICE_STATUS",
                                                L"SYSE_APP_DISCONNECT"};
    // Names by code, counted from the first code of each table.
    auto pick = [dwCode](const LPCWSTR *pNames, size_t nNames, DWORD dwFirst) -> std::wstring {
        return dwCode >= dwFirst && dwCode - dwFirst < nNames ? pNames[dwCode - dwFirst] : L"";
    };
    switch (uMsg) {
    case WFS_LOCK_COMPLETE:
        return L"LOCK";
    case WFS_UNLOCK_COMPLETE:
        return L"UNLOCK";
    case WFS_GETINFO_COMPLETE:
        return pick(kInfoNames, 6, WFS_INF_TTU_STATUS);
    case WFS_EXECUTE_COMPLETE:
        return pick(kCommandNames, 10, WFS_CMD_TTU_BEEP);
    case WFS_EXECUTE_EVENT:
        return pick(kExecuteEventNames, 3, WFS_EXEE_TTU_FIELDERROR);
    case WFS_SYSTEM_EVENT:
        return pick(kSystemEventNames, 5, WFS_SYSE_UNDELIVERABLE_MSG);
    default:
        return std::wstring();
    }
}

LPCSTR CTTUService::GetString(int nTable, WORD wValue)
{
    struct Row {
        WORD wValue;
        LPCSTR lpszKeyword;
    };
    static const Row kType[] = {{0, "TEXT"}, {1, "INVISIBLE"}, {2, "PASSWORD"}};
    static const Row kClass[] = {{0, "OPTIONAL"}, {1, "STATIC"}, {2, "REQUIRED"}};
    static const Row kAccess[] = {{1, "READ"}, {2, "WRITE"}, {3, "READWRITE"}};
    static const Row kOverflow[] = {{0, "TERMINATE"}, {1, "TRUNCATE"}, {2, "OVERWRITE"}};
    // Both bits: the form takes Unicode.
    static const Row kCharSet[] = {{1, "ASCII"}, {2, "UNICODE"}, {3, "UNICODE"}};
    static const Row *const kTables[] = {kType, kClass, kAccess, kOverflow, kCharSet};

    if (nTable < 0 || nTable > 4) {
        TTU_TRACE_ERROR("CTTUService::GetString", "No Matched Value");
        TTU_ERROR_CODE("6a", nTable);
        return nullptr;
    }
    for (int i = 0; i < 3; ++i)
        if (kTables[nTable][i].wValue == wValue)
            return kTables[nTable][i].lpszKeyword;
    return nullptr;
}
