#define ZT_BUILDING_XFS_PROVIDER
#include "fake_provider.h"

#include <xfsadmin.h>
#include <xfsspi.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct CBehaviour {
    int nAction = FAKE_COMPLETE_NOW;
    HRESULT hResult = WFS_SUCCESS;
};

struct CHeld {
    UINT uMsg;
    HWND hWnd;
    HSERVICE hService;
    REQUESTID RequestID;
    DWORD dwCode;
    HRESULT hResult;
};

const UINT kCompletionOf[FAKE_KIND_COUNT] = {
    WFS_OPEN_COMPLETE, WFS_CLOSE_COMPLETE, WFS_LOCK_COMPLETE, WFS_UNLOCK_COMPLETE,
    WFS_REGISTER_COMPLETE, WFS_DEREGISTER_COMPLETE, WFS_EXECUTE_COMPLETE, WFS_GETINFO_COMPLETE};

// Tests drive the provider from the thread that pumps; SPI calls come on
// that same thread, so no lock is needed.
CBehaviour g_behaviour[FAKE_KIND_COUNT];
int g_nExecuteEvents = 0;
bool g_bHonourCancel = false;
std::vector<CHeld> g_held;
std::set<HWND> g_registered;
FAKECALL g_lastCall;
std::map<std::string, LONG> g_calls;

LPWFSRESULT MakeResult(HSERVICE hService, REQUESTID RequestID, DWORD dwCode, HRESULT hResult)
{
    LPVOID lpv = nullptr;
    if (WFMAllocateBuffer(sizeof(WFSRESULT), WFS_MEM_ZEROINIT, &lpv) != WFS_SUCCESS)
        return nullptr;
    LPWFSRESULT lpResult = static_cast<LPWFSRESULT>(lpv);
    lpResult->RequestID = RequestID;
    lpResult->hService = hService;
    GetLocalTime(&lpResult->tsTimestamp);
    lpResult->hResult = hResult;
    lpResult->u.dwCommandCode = dwCode;
    LPVOID lpBuffer = nullptr;
    if (WFMAllocateMore(sizeof(DWORD), lpResult, &lpBuffer) == WFS_SUCCESS) {
        *static_cast<DWORD *>(lpBuffer) = dwCode;
        lpResult->lpBuffer = lpBuffer;
    }
    return lpResult;
}

void Post(HWND hWnd, UINT uMsg, HSERVICE hService, REQUESTID RequestID, DWORD dwCode,
          HRESULT hResult)
{
    LPWFSRESULT lpResult = MakeResult(hService, RequestID, dwCode, hResult);
    if (lpResult && !PostMessageW(hWnd, uMsg, 0, reinterpret_cast<LPARAM>(lpResult)))
        WFMFreeBuffer(lpResult);
}

void Complete(const CHeld &request)
{
    if (request.uMsg == WFS_EXECUTE_COMPLETE) {
        for (int i = 0; i < g_nExecuteEvents; ++i)
            Post(request.hWnd, WFS_EXECUTE_EVENT, request.hService, request.RequestID,
                 static_cast<DWORD>(i + 1), WFS_SUCCESS);
    }
    Post(request.hWnd, request.uMsg, request.hService, request.RequestID, request.dwCode,
         request.hResult);
}

HRESULT Handle(const char *lpszFunction, int nKind, HSERVICE hService, HWND hWnd,
               REQUESTID RequestID, DWORD dwCode, DWORD dwTimeOut, LPVOID lpData)
{
    ++g_calls[lpszFunction];
    g_lastCall.hService = hService;
    g_lastCall.hWnd = hWnd;
    g_lastCall.RequestID = RequestID;
    g_lastCall.dwCode = dwCode;
    g_lastCall.dwTimeOut = dwTimeOut;
    g_lastCall.lpData = lpData;
    const CBehaviour &behaviour = g_behaviour[nKind];
    CHeld request = {kCompletionOf[nKind], hWnd, hService, RequestID, dwCode, behaviour.hResult};
    switch (behaviour.nAction) {
    case FAKE_FAIL_CALL: return behaviour.hResult;
    case FAKE_HOLD: g_held.push_back(request); break;
    case FAKE_NEVER: break;
    default: Complete(request); break;
    }
    return WFS_SUCCESS;
}

} // namespace

extern "C" {

void WINAPI FakeReset(void)
{
    for (CBehaviour &behaviour : g_behaviour)
        behaviour = CBehaviour();
    g_nExecuteEvents = 0;
    g_bHonourCancel = false;
    g_held.clear();
    g_registered.clear();
    g_lastCall = FAKECALL();
    g_calls.clear();
}

void WINAPI FakeSetBehaviour(int nKind, int nAction, HRESULT hResult)
{
    g_behaviour[nKind].nAction = nAction;
    g_behaviour[nKind].hResult = hResult;
}

void WINAPI FakeSetExecuteEvents(int nCount) { g_nExecuteEvents = nCount; }
void WINAPI FakeSetHonourCancel(BOOL bHonour) { g_bHonourCancel = bHonour != FALSE; }

int WINAPI FakeReleaseHeld(void)
{
    std::vector<CHeld> held;
    held.swap(g_held);
    for (const CHeld &request : held)
        Complete(request);
    return static_cast<int>(held.size());
}

int WINAPI FakeHeldCount(void) { return static_cast<int>(g_held.size()); }

int WINAPI FakePostEvent(UINT uMsg, HSERVICE hService, DWORD dwEventID)
{
    for (HWND hWnd : g_registered)
        Post(hWnd, uMsg, hService, 0, dwEventID, WFS_SUCCESS);
    return static_cast<int>(g_registered.size());
}

void WINAPI FakeGetLastCall(FAKECALL *lpCall) { *lpCall = g_lastCall; }

LONG WINAPI FakeCallCount(LPCSTR lpszFunction)
{
    auto it = g_calls.find(lpszFunction);
    return it == g_calls.end() ? 0 : it->second;
}

// --- the SPI ------------------------------------------------------------

HRESULT WINAPI WFPOpen(HSERVICE hService, LPSTR, HAPP, LPSTR, DWORD dwTraceLevel,
                       DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID, HPROVIDER hProvider,
                       DWORD dwSPIVersionsRequired, LPWFSVERSION lpSPIVersion,
                       DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion)
{
    lpSPIVersion->wVersion = 0x0303;
    lpSrvcVersion->wVersion = 0x0303;
    HRESULT hr = Handle("WFPOpen", FAKE_OPEN, hService, hWnd, ReqID, dwTraceLevel, dwTimeOut,
                        nullptr);
    g_lastCall.hProvider = hProvider;
    g_lastCall.dwSPIVersionsRequired = dwSPIVersionsRequired;
    g_lastCall.dwSrvcVersionsRequired = dwSrvcVersionsRequired;
    return hr;
}

HRESULT WINAPI WFPClose(HSERVICE hService, HWND hWnd, REQUESTID ReqID)
{
    return Handle("WFPClose", FAKE_CLOSE, hService, hWnd, ReqID, 0, 0, nullptr);
}

HRESULT WINAPI WFPLock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID)
{
    return Handle("WFPLock", FAKE_LOCK, hService, hWnd, ReqID, 0, dwTimeOut, nullptr);
}

HRESULT WINAPI WFPUnlock(HSERVICE hService, HWND hWnd, REQUESTID ReqID)
{
    return Handle("WFPUnlock", FAKE_UNLOCK, hService, hWnd, ReqID, 0, 0, nullptr);
}

HRESULT WINAPI WFPRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, HWND hWnd,
                           REQUESTID ReqID)
{
    HRESULT hr = Handle("WFPRegister", FAKE_REGISTER, hService, hWnd, ReqID, dwEventClass, 0,
                        nullptr);
    g_lastCall.hWndReg = hWndReg;
    if (hr == WFS_SUCCESS)
        g_registered.insert(hWndReg);
    return hr;
}

HRESULT WINAPI WFPDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, HWND hWnd,
                             REQUESTID ReqID)
{
    HRESULT hr = Handle("WFPDeregister", FAKE_DEREGISTER, hService, hWnd, ReqID, dwEventClass,
                        0, nullptr);
    g_lastCall.hWndReg = hWndReg;
    if (hr == WFS_SUCCESS && hWndReg)
        g_registered.erase(hWndReg);
    else if (hr == WFS_SUCCESS)
        g_registered.clear();
    return hr;
}

HRESULT WINAPI WFPExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                          HWND hWnd, REQUESTID ReqID)
{
    return Handle("WFPExecute", FAKE_EXECUTE, hService, hWnd, ReqID, dwCommand, dwTimeOut,
                  lpCmdData);
}

HRESULT WINAPI WFPGetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                          DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID)
{
    return Handle("WFPGetInfo", FAKE_GETINFO, hService, hWnd, ReqID, dwCategory, dwTimeOut,
                  lpQueryDetails);
}

HRESULT WINAPI WFPCancelAsyncRequest(HSERVICE hService, REQUESTID ReqID)
{
    ++g_calls["WFPCancelAsyncRequest"];
    g_lastCall.hService = hService;
    g_lastCall.RequestID = ReqID;
    if (!g_bHonourCancel)
        return WFS_SUCCESS;
    std::vector<CHeld> kept;
    for (CHeld request : g_held) {
        if (request.hService == hService && (ReqID == 0 || request.RequestID == ReqID)) {
            request.hResult = WFS_ERR_CANCELED;
            Complete(request);
        } else {
            kept.push_back(request);
        }
    }
    g_held.swap(kept);
    return WFS_SUCCESS;
}

HRESULT WINAPI WFPSetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    ++g_calls["WFPSetTraceLevel"];
    g_lastCall.hService = hService;
    g_lastCall.dwCode = dwTraceLevel;
    return WFS_SUCCESS;
}

HRESULT WINAPI WFPUnloadService(void)
{
    ++g_calls["WFPUnloadService"];
    return WFS_SUCCESS;
}

} // extern "C"
