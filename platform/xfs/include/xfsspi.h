/*
 * XFS service provider interface: what the manager calls in a provider DLL.
 * The manager assigns hService and request identifiers; the provider posts
 * completions and events itself, with buffers from the WFM functions.
 */
#ifndef ZT_XFSSPI_H
#define ZT_XFSSPI_H

#include "xfsapi.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ZT_BUILDING_XFS_PROVIDER
#define XFSSPI_EXPORT __declspec(dllexport)
#else
#define XFSSPI_EXPORT
#endif

XFSSPI_EXPORT HRESULT WINAPI WFPOpen(HSERVICE hService, LPSTR lpszLogicalName, HAPP hApp,
                                     LPSTR lpszAppID, DWORD dwTraceLevel, DWORD dwTimeOut,
                                     HWND hWnd, REQUESTID ReqID, HPROVIDER hProvider,
                                     DWORD dwSPIVersionsRequired, LPWFSVERSION lpSPIVersion,
                                     DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion);
XFSSPI_EXPORT HRESULT WINAPI WFPClose(HSERVICE hService, HWND hWnd, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPLock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd,
                                     REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPUnlock(HSERVICE hService, HWND hWnd, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPRegister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                                         HWND hWnd, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPDeregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                                           HWND hWnd, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPExecute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData,
                                        DWORD dwTimeOut, HWND hWnd, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPGetInfo(HSERVICE hService, DWORD dwCategory,
                                        LPVOID lpQueryDetails, DWORD dwTimeOut, HWND hWnd,
                                        REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPCancelAsyncRequest(HSERVICE hService, REQUESTID ReqID);
XFSSPI_EXPORT HRESULT WINAPI WFPSetTraceLevel(HSERVICE hService, DWORD dwTraceLevel);
XFSSPI_EXPORT HRESULT WINAPI WFPUnloadService(void);

/* Pointer types the manager uses after GetProcAddress. */
typedef HRESULT(WINAPI *PFNWFPOPEN)(HSERVICE, LPSTR, HAPP, LPSTR, DWORD, DWORD, HWND, REQUESTID,
                                    HPROVIDER, DWORD, LPWFSVERSION, DWORD, LPWFSVERSION);
typedef HRESULT(WINAPI *PFNWFPCLOSE)(HSERVICE, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPLOCK)(HSERVICE, DWORD, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPUNLOCK)(HSERVICE, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPREGISTER)(HSERVICE, DWORD, HWND, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPDEREGISTER)(HSERVICE, DWORD, HWND, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPEXECUTE)(HSERVICE, DWORD, LPVOID, DWORD, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPGETINFO)(HSERVICE, DWORD, LPVOID, DWORD, HWND, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPCANCELASYNCREQUEST)(HSERVICE, REQUESTID);
typedef HRESULT(WINAPI *PFNWFPSETTRACELEVEL)(HSERVICE, DWORD);
typedef HRESULT(WINAPI *PFNWFPUNLOADSERVICE)(void);

#ifdef __cplusplus
}
#endif

#endif /* ZT_XFSSPI_H */
