/*
 * The service provider interface the XFS manager calls.
 */
#include "Provider.h"

extern "C" {

HRESULT WINAPI WFPOpen(HSERVICE hService, LPSTR lpszLogicalName, HAPP, LPSTR, DWORD dwTraceLevel,
                       DWORD, HWND hWnd, REQUESTID ReqID, HPROVIDER, DWORD dwSPIVersionsRequired,
                       LPWFSVERSION lpSPIVersion, DWORD dwSrvcVersionsRequired,
                       LPWFSVERSION lpSrvcVersion)
{
    // The open time-out is not used: opening the virtual panel never waits.
    return CProvider::Instance().Open(hService, lpszLogicalName, dwTraceLevel, hWnd, ReqID,
                                     dwSPIVersionsRequired, lpSPIVersion, dwSrvcVersionsRequired,
                                     lpSrvcVersion);
}

HRESULT WINAPI WFPClose(HSERVICE hService, HWND hWnd, REQUESTID ReqID)
{
    return CProvider::Instance().Close(hService, hWnd, ReqID);
}

HRESULT WINAPI WFPLock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID)
{
    return CProvider::Instance().Lock(hService, dwTimeOut, hWnd, ReqID);
}

HRESULT WINAPI WFPUnlock(HSERVICE hService, HWND hWnd, REQUESTID ReqID)
{
    return CProvider::Instance().Unlock(hService, hWnd, ReqID);
}

HRESULT WINAPI WFPRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, HWND hWnd,
                           REQUESTID ReqID)
{
    return CProvider::Instance().Register(RequestKind::Register, hService, dwEventClass, hWndReg,
                                         hWnd, ReqID);
}

HRESULT WINAPI WFPDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, HWND hWnd,
                             REQUESTID ReqID)
{
    return CProvider::Instance().Register(RequestKind::Deregister, hService, dwEventClass,
                                         hWndReg, hWnd, ReqID);
}

HRESULT WINAPI WFPExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                          HWND hWnd, REQUESTID ReqID)
{
    return CProvider::Instance().Execute(hService, dwCommand, lpCmdData, dwTimeOut, hWnd, ReqID);
}

HRESULT WINAPI WFPGetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                          DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID)
{
    return CProvider::Instance().GetInfo(hService, dwCategory, lpQueryDetails, dwTimeOut, hWnd,
                                        ReqID);
}

HRESULT WINAPI WFPCancelAsyncRequest(HSERVICE hService, REQUESTID ReqID)
{
    return CProvider::Instance().Cancel(hService, ReqID);
}

HRESULT WINAPI WFPSetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    return CProvider::Instance().SetTraceLevel(hService, dwTraceLevel);
}

HRESULT WINAPI WFPUnloadService(void)
{
    return CProvider::Instance().Unload();
}

} // extern "C"
