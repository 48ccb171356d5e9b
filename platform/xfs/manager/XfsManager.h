/*
 * The XFS manager of this process: start-up, application handles, sessions
 * and the requests outstanding on them.
 *
 * Requests. Every asynchronous call checks its arguments, looks the session
 * up, records the request and calls the provider at once, handing it the
 * calling thread's relay window (RelayWindow.h) and a request identifier
 * unique in the process (so also per session), never 0. The provider's own
 * code for the call is the call's result; when it is not 0 the request is
 * forgotten and nothing follows. When it is 0, exactly one completion
 * follows: the provider's, forwarded unchanged (same LPWFSRESULT), or one the
 * manager makes (WFS_ERR_CANCELED) for a request still outstanding when its
 * session closes or WFSCleanUp runs. A completion that arrives for a request
 * no longer outstanding is freed, never delivered twice.
 *
 * Delivery. A message the relay window dequeued is handed to an application
 * window of the same thread with SendMessage: the application's loop already
 * dispatched it, so it arrives exactly where a direct post would have, for
 * one posted message instead of two (~100 us each under Wine). Windows of
 * other threads, and results the manager makes outside a dispatch, are
 * posted. A result whose window is gone is freed.
 *
 * Events. Registration passes the application's hWndReg to the provider
 * unchanged, and the provider posts service, user and system events to it
 * directly: events end no request, so there is nothing to track, and one post
 * per event is the cheapest road. Execute events belong to a request and
 * come through the relay window to the request's window (a synchronous
 * WFSExecute has none: its execute events are freed).
 *
 * Sessions. A session accepts requests once its open completed with 0. A
 * close always ends the session: when WFPClose itself fails, the close is
 * still accepted and completes with the provider's code, after every request
 * of the session still outstanding completed with WFS_ERR_CANCELED; the same
 * cancellations precede a close completion the provider posts.
 */
#ifndef ZT_XFS_MANAGER_XFSMANAGER_H
#define ZT_XFS_MANAGER_XFSMANAGER_H

#include "Request.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class CProviderLibrary;

class CXfsManager {
public:
    static CXfsManager &Instance();

    HRESULT StartUp(DWORD dwVersionsRequired, LPWFSVERSION lpWFSVersion);
    HRESULT CleanUp();
    HRESULT CreateAppHandle(LPHAPP lphApp);
    HRESULT DestroyAppHandle(HAPP hApp);

    HRESULT Open(LPSTR lpszLogicalName, HAPP hApp, LPSTR lpszAppID, DWORD dwTraceLevel,
                 DWORD dwTimeOut, LPHSERVICE lphService, const CTarget &target,
                 DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion,
                 LPWFSVERSION lpSPIVersion, LPREQUESTID lpRequestID);
    HRESULT Close(HSERVICE hService, const CTarget &target, LPREQUESTID lpRequestID);
    HRESULT Register(HSERVICE hService, DWORD dwEventClass, HWND hWndReg, const CTarget &target,
                     LPREQUESTID lpRequestID);
    HRESULT Deregister(HSERVICE hService, DWORD dwEventClass, HWND hWndReg,
                       const CTarget &target, LPREQUESTID lpRequestID);
    HRESULT Lock(HSERVICE hService, DWORD dwTimeOut, const CTarget &target,
                 LPREQUESTID lpRequestID);
    HRESULT Unlock(HSERVICE hService, const CTarget &target, LPREQUESTID lpRequestID);
    HRESULT Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                    const CTarget &target, LPREQUESTID lpRequestID);
    HRESULT GetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails, DWORD dwTimeOut,
                    const CTarget &target, LPREQUESTID lpRequestID);
    HRESULT CancelAsyncRequest(HSERVICE hService, REQUESTID RequestID);
    HRESULT SetTraceLevel(HSERVICE hService, DWORD dwTraceLevel);
    HRESULT FreeResult(LPWFSRESULT lpResult);

    // A completion or event the provider posted to a relay window.
    void OnProviderMessage(UINT uMsg, LPWFSRESULT lpResult);

    // A synchronous call gives up waiting (WM_QUIT): the provider is asked
    // to cancel and the request completes at once with WFS_ERR_CANCELED.
    void Abandon(REQUESTID RequestID);

    // One synchronous call at a time per thread; false while one is running.
    bool BeginBlockingCall();
    void EndBlockingCall();

private:
    enum class SessionState { Opening, Open, Closing };
    struct CSession {
        CProviderLibrary *pProvider;
        SessionState state;
    };
    CXfsManager();
    ~CXfsManager() = delete;

    // The common road of every request but the open: checkArguments()
    // gives the request's own argument code; the provider's answer comes
    // from its entry point pEntry, called with the service handle, args,
    // the relay window and the request id.
    template <typename ArgumentCheck, typename Entry, typename... Args>
    HRESULT Submit(HSERVICE hService, RequestKind kind, DWORD dwCode, const CTarget &target,
                   LPREQUESTID lpRequestID, ArgumentCheck checkArguments,
                   Entry CProviderLibrary::*pEntry, Args... args);
    // A session of a started manager (under m_cs); bOpenOnly refuses one
    // still opening or closing. Null with the code when there is none.
    CSession *FindSession(HSERVICE hService, bool bOpenOnly, HRESULT &hr);
    // The provider of such a session once checkCall() (also under m_cs)
    // returned WFS_SUCCESS. Null with the code when the call cannot go on.
    template <typename CallCheck>
    CProviderLibrary *SessionProvider(HSERVICE hService, bool bOpenOnly, CallCheck checkCall,
                                      HRESULT &hr);
    HRESULT LoadProvider(const std::string &strDllPath, CProviderLibrary **ppProvider);
    HRESULT CheckTarget(const CTarget &target, LPREQUESTID lpRequestID) const;
    REQUESTID NextRequestId();
    HSERVICE NextServiceHandle();
    std::vector<CRequest> TakeRequestsOfSession(HSERVICE hService);
    // What the end of a request does to its session (under m_cs): an open
    // makes it usable or removes it, a close removes it and hands back the
    // requests it leaves outstanding.
    void EndRequest(const CRequest &request, HRESULT hResult, std::vector<CRequest> &orphans);
    void EndClose(const CRequest &close, HRESULT hResult);

    static void Complete(const CRequest &request, LPWFSRESULT lpResult, bool bInDispatch);
    static void CompleteWithCode(const CRequest &request, HRESULT hResult, bool bInDispatch);

    CRITICAL_SECTION m_cs;
    bool m_bStarted = false;
    std::set<HAPP> m_appHandles;
    ULONG_PTR m_nLastAppHandle = 0;
    std::map<HSERVICE, CSession> m_sessions;
    HSERVICE m_hLastService = 0;
    std::map<REQUESTID, CRequest> m_requests;
    REQUESTID m_lastRequestId = 0;
    std::vector<CProviderLibrary *> m_providers;
    std::set<DWORD> m_blockingThreads;
};

#endif
