/*
 * msxfs.dll's exported functions: each counts its call and hands over to the
 * manager; the synchronous forms wrap the asynchronous ones (SyncCall.h).
 *
 * Codes the caller can meet before any provider is involved, in this order:
 * WFS_ERR_NOT_STARTED; WFS_ERR_INVALID_HSERVICE (unknown, still opening or
 * closing session); WFS_ERR_INVALID_POINTER; WFS_ERR_INVALID_APP_HANDLE;
 * WFS_ERR_INVALID_HWND (hWnd is no window); WFS_ERR_INVALID_EVENT_CLASS and
 * WFS_ERR_INVALID_HWNDREG (register, deregister). Opening a logical name that is not configured gives
 * WFS_ERR_SERVICE_NOT_FOUND at once, one whose provider is not configured,
 * cannot be loaded or lacks an SPI function WFS_ERR_INVALID_SERVPROV; no
 * completion follows either. Every other code comes from the provider.
 * The buffer functions and WFSFreeResult work whether or not WFSStartUp ran.
 */
#include "BufferHeap.h"
#include "CallCounters.h"
#include "SyncCall.h"
#include "XfsManager.h"

#include <xfsadmin.h>
#include <xfsdiag.h>

namespace {

CXfsManager &Manager() { return CXfsManager::Instance(); }

CTarget WindowTarget(HWND hWnd) { return CTarget{hWnd, nullptr}; }

} // namespace

extern "C" {

HRESULT WINAPI WFSStartUp(DWORD dwVersionsRequired, LPWFSVERSION lpWFSVersion)
{
    CallCounters::Count(ApiFunction::StartUp);
    return Manager().StartUp(dwVersionsRequired, lpWFSVersion);
}

HRESULT WINAPI WFSCleanUp(void)
{
    CallCounters::Count(ApiFunction::CleanUp);
    return Manager().CleanUp();
}

HRESULT WINAPI WFSCreateAppHandle(LPHAPP lphApp)
{
    CallCounters::Count(ApiFunction::CreateAppHandle);
    return Manager().CreateAppHandle(lphApp);
}

HRESULT WINAPI WFSDestroyAppHandle(HAPP hApp)
{
    CallCounters::Count(ApiFunction::DestroyAppHandle);
    return Manager().DestroyAppHandle(hApp);
}

HRESULT WINAPI WFSAsyncOpen(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID,
                            DWORD dwTraceLevel, DWORD dwTimeOut, LPHSERVICE lphService,
                            HWND hWnd, DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion,
                            LPWFSVERSION lpSPIVersion, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncOpen, dwTimeOut);
    return Manager().Open(lpszLogicalName, hApp, lpszAppID, dwTraceLevel, dwTimeOut, lphService,
                          WindowTarget(hWnd), dwSrvcVersionsRequired, lpSrvcVersion,
                          lpSPIVersion, lpRequestID);
}

HRESULT WINAPI WFSAsyncClose(HSERVICE hService, HWND hWnd, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncClose);
    return Manager().Close(hService, WindowTarget(hWnd), lpRequestID);
}

HRESULT WINAPI WFSAsyncRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, HWND hWnd,
                                LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncRegister);
    return Manager().Register(hService, dwEventClass, hWndReg, WindowTarget(hWnd), lpRequestID);
}

HRESULT WINAPI WFSAsyncDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                                  HWND hWnd, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncDeregister);
    return Manager().Deregister(hService, dwEventClass, hWndReg, WindowTarget(hWnd),
                                lpRequestID);
}

HRESULT WINAPI WFSAsyncLock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd,
                            LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncLock, dwTimeOut);
    return Manager().Lock(hService, dwTimeOut, WindowTarget(hWnd), lpRequestID);
}

HRESULT WINAPI WFSAsyncUnlock(HSERVICE hService, HWND hWnd, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncUnlock);
    return Manager().Unlock(hService, WindowTarget(hWnd), lpRequestID);
}

HRESULT WINAPI WFSAsyncExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData,
                               DWORD dwTimeOut, HWND hWnd, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncExecute, dwTimeOut);
    return Manager().Execute(hService, dwCommand, lpCmdData, dwTimeOut, WindowTarget(hWnd),
                             lpRequestID);
}

HRESULT WINAPI WFSAsyncGetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                               DWORD dwTimeOut, HWND hWnd, LPREQUESTID lpRequestID)
{
    CallCounters::Count(ApiFunction::AsyncGetInfo, dwTimeOut);
    return Manager().GetInfo(hService, dwCategory, lpQueryDetails, dwTimeOut, WindowTarget(hWnd),
                             lpRequestID);
}

HRESULT WINAPI WFSCancelAsyncRequest(HSERVICE hService, REQUESTID RequestID)
{
    CallCounters::Count(ApiFunction::CancelAsyncRequest);
    return Manager().CancelAsyncRequest(hService, RequestID);
}

HRESULT WINAPI WFSFreeResult(LPWFSRESULT lpResult)
{
    CallCounters::Count(ApiFunction::FreeResult);
    return Manager().FreeResult(lpResult);
}

HRESULT WINAPI WFMSetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    CallCounters::Count(ApiFunction::SetTraceLevel);
    return Manager().SetTraceLevel(hService, dwTraceLevel);
}

// --- synchronous forms ---------------------------------------------------

HRESULT WINAPI WFSOpen(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID, DWORD dwTraceLevel,
                       DWORD dwTimeOut, DWORD dwSrvcVersionsRequired,
                       LPWFSVERSION lpSrvcVersion, LPWFSVERSION lpSPIVersion,
                       LPHSERVICE lphService)
{
    CallCounters::Count(ApiFunction::Open, dwTimeOut);
    HRESULT hr = SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Open(lpszLogicalName, hApp, lpszAppID, dwTraceLevel, dwTimeOut,
                                  lphService, target, dwSrvcVersionsRequired, lpSrvcVersion,
                                  lpSPIVersion, lpRequestID);
        },
        nullptr);
    // A session whose open failed does not exist: no handle to misuse.
    if (hr != WFS_SUCCESS && lphService)
        *lphService = 0;
    return hr;
}

HRESULT WINAPI WFSClose(HSERVICE hService)
{
    CallCounters::Count(ApiFunction::Close);
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Close(hService, target, lpRequestID);
        },
        nullptr);
}

HRESULT WINAPI WFSRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg)
{
    CallCounters::Count(ApiFunction::Register);
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Register(hService, dwEventClass, hWndReg, target, lpRequestID);
        },
        nullptr);
}

HRESULT WINAPI WFSDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg)
{
    CallCounters::Count(ApiFunction::Deregister);
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Deregister(hService, dwEventClass, hWndReg, target, lpRequestID);
        },
        nullptr);
}

HRESULT WINAPI WFSLock(HSERVICE hService, DWORD dwTimeOut, LPWFSRESULT *lppResult)
{
    CallCounters::Count(ApiFunction::Lock, dwTimeOut);
    if (!lppResult)
        return WFS_ERR_INVALID_POINTER;
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Lock(hService, dwTimeOut, target, lpRequestID);
        },
        lppResult);
}

HRESULT WINAPI WFSUnlock(HSERVICE hService)
{
    CallCounters::Count(ApiFunction::Unlock);
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Unlock(hService, target, lpRequestID);
        },
        nullptr);
}

HRESULT WINAPI WFSExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                          LPWFSRESULT *lppResult)
{
    CallCounters::Count(ApiFunction::Execute, dwTimeOut);
    if (!lppResult)
        return WFS_ERR_INVALID_POINTER;
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().Execute(hService, dwCommand, lpCmdData, dwTimeOut, target,
                                     lpRequestID);
        },
        lppResult);
}

HRESULT WINAPI WFSGetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                          DWORD dwTimeOut, LPWFSRESULT *lppResult)
{
    CallCounters::Count(ApiFunction::GetInfo, dwTimeOut);
    if (!lppResult)
        return WFS_ERR_INVALID_POINTER;
    return SyncCall::Run(
        [&](const CTarget &target, LPREQUESTID lpRequestID) {
            return Manager().GetInfo(hService, dwCategory, lpQueryDetails, dwTimeOut, target,
                                     lpRequestID);
        },
        lppResult);
}

// --- buffers ----------------------------------------------------------------

HRESULT WINAPI WFMAllocateBuffer(ULONG ulSize, ULONG ulFlags, LPVOID *lppvData)
{
    CallCounters::Count(ApiFunction::AllocateBuffer);
    return CBufferHeap::Instance().Allocate(ulSize, ulFlags, lppvData);
}

HRESULT WINAPI WFMAllocateMore(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData)
{
    CallCounters::Count(ApiFunction::AllocateMore);
    return CBufferHeap::Instance().AllocateMore(ulSize, lpvOriginal, lppvData);
}

HRESULT WINAPI WFMFreeBuffer(LPVOID lpvData)
{
    CallCounters::Count(ApiFunction::FreeBuffer);
    return CBufferHeap::Instance().Free(lpvData);
}

// --- diagnostics ------------------------------------------------------------

LONG WINAPI WFMDiagLiveBufferCount(void) { return CBufferHeap::Instance().LiveCount(); }

LONGLONG WINAPI WFMDiagLiveBufferBytes(void) { return CBufferHeap::Instance().LiveBytes(); }

void WINAPI WFMDiagFailAllocation(LONG nth) { CBufferHeap::Instance().FailAllocation(nth); }

LONG WINAPI WFMDiagCallCount(LPCSTR lpszFunction) { return CallCounters::Get(lpszFunction); }

BOOL WINAPI WFMDiagLastTimeOut(LPCSTR lpszFunction, LPDWORD lpdwTimeOut)
{
    return CallCounters::LastTimeOut(lpszFunction, lpdwTimeOut);
}

void WINAPI WFMDiagResetCallCounts(void) { CallCounters::Reset(); }

} // extern "C"
