/*
 * The service provider of one process: its sessions, the requests they
 * made, and the worker thread that completes those requests, feeds keys to
 * a read and turns changes of the shared panel into system events.
 *
 * Every completion, execute event and system event is posted straight to
 * the window the request (or registration) named. A request that finds
 * nothing of this process outstanding runs within its SPI call unless it
 * must wait (a lock held elsewhere, a delay, a read for keys); everything
 * else is recorded and completed by the worker. Execute
 * requests of this process run one at a time in arrival order (the device
 * does one thing at a time); information requests are answered at once,
 * also while a read waits for keys.
 *
 * The SPI's promises are kept here, whatever the manager: every accepted
 * request completes exactly once; a cancel, and a close for everything its
 * session still has outstanding, complete with WFS_ERR_CANCELED before the
 * close's own completion; results are WFMAllocateBuffer/WFMAllocateMore
 * chains that one WFSFreeResult releases, and a result whose window is gone
 * is freed here.
 */
#ifndef ZT_TTUSIM_PROVIDER_H
#define ZT_TTUSIM_PROVIDER_H

#include <string>

#include "RequestQueue.h"

class CProvider {
public:
    static CProvider &Instance();

    HRESULT Open(HSERVICE hService, LPCSTR lpszLogicalName, DWORD dwTraceLevel, HWND hWnd,
                 REQUESTID reqId, DWORD dwSPIVersionsRequired, LPWFSVERSION lpSPIVersion,
                 DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion);
    HRESULT Close(HSERVICE hService, HWND hWnd, REQUESTID reqId);
    HRESULT Lock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd, REQUESTID reqId);
    HRESULT Unlock(HSERVICE hService, HWND hWnd, REQUESTID reqId);
    HRESULT Register(RequestKind kind, HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                     HWND hWnd, REQUESTID reqId);
    HRESULT Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                    HWND hWnd, REQUESTID reqId);
    HRESULT GetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails, DWORD dwTimeOut,
                    HWND hWnd, REQUESTID reqId);
    HRESULT Cancel(HSERVICE hService, REQUESTID reqId);
    HRESULT SetTraceLevel(HSERVICE hService, DWORD dwTraceLevel);
    HRESULT Unload();

private:
    CProvider();

    /* The checks every request but the open shares, then the queue. */
    HRESULT Queue(std::unique_ptr<CProviderRequest> request);

    CRITICAL_SECTION m_cs;
    SessionMap m_sessions;
    CRequestQueue m_queue;
};

#endif
