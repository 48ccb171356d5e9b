/*
 * The XFS manager of this process: start-up, application handles, sessions
 * and the synchronous calls in progress.
 *
 * Requests. Every asynchronous call checks its arguments, looks the session
 * up and calls the provider at once with the application's own window and a
 * request identifier unique in the process (so also per session), never 0.
 * The provider's code for the call is the call's result. From then on the
 * request is the provider's: it posts the one completion, and any execute
 * events, straight to the application's window; the manager adds no hop
 * and sees none of it. What a provider owes under the SPI (exactly one
 * completion per accepted request, WFS_ERR_CANCELED for requests outstanding
 * at a cancel or at their session's close, results from the WFM functions,
 * a result freed when its window is gone) is therefore the provider's own
 * duty, as it is under any XFS manager.
 *
 * Sessions. A session takes requests once WFPOpen accepted its open; a
 * provider that later answers WFS_ERR_INVALID_HSERVICE for it has ended it,
 * and the manager forgets it too. An accepted close ends the session at
 * once for the manager: nothing new is taken on it. When WFPClose itself
 * fails, the close is still accepted: the provider is asked to cancel what
 * the session has outstanding, and the close completes with the provider's
 * code, a result the manager makes.
 *
 * Synchronous calls and WFSCleanUp are the manager's own requests: their
 * completions come to the manager's window on the calling thread
 * (ManagerWindow.h), where a synchronous call takes its result and every
 * other message (execute events, late completions, the closes WFSCleanUp
 * makes) is freed.
 */
#ifndef ZT_XFS_MANAGER_XFSMANAGER_H
#define ZT_XFS_MANAGER_XFSMANAGER_H

#include "AppHandles.h"
#include "ProviderCache.h"
#include "Request.h"

#include <map>

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

    // A completion or event the provider posted to the manager's window.
    void OnOwnWindowMessage(UINT uMsg, LPWFSRESULT lpResult);

    // A synchronous call gives up waiting (WM_QUIT): the provider is asked
    // to cancel and the request completes at once with WFS_ERR_CANCELED.
    void Abandon(REQUESTID RequestID);

private:
    CXfsManager();
    ~CXfsManager() = delete;

    // The common road of every request but the open: checkArguments()
    // gives the request's own argument code; the provider's answer comes
    // from its entry point pEntry, called with the service handle, args,
    // the window and the request id.
    template <typename ArgumentCheck, typename Entry, typename... Args>
    HRESULT Submit(HSERVICE hService, RequestKind kind, DWORD dwCode, const CTarget &target,
                   LPREQUESTID lpRequestID, ArgumentCheck checkArguments,
                   Entry CProviderLibrary::*pEntry, Args... args);
    // The provider of a session of a started manager once checkCall()
    // returned WFS_SUCCESS (both under m_cs). Null with the code when the
    // call cannot go on.
    template <typename CallCheck>
    CProviderLibrary *SessionProvider(HSERVICE hService, CallCheck checkCall, HRESULT &hr);
    // A call of the session's provider that needs nothing but the session.
    template <typename Call> HRESULT CallProvider(HSERVICE hService, Call call);
    HRESULT CheckTarget(const CTarget &target, LPREQUESTID lpRequestID) const;
    // Where the provider posts: the application's window, or for a
    // synchronous call the manager's window of this thread (null when it
    // cannot be made).
    static HWND WindowFor(const CTarget &target);
    REQUESTID NextRequestId();
    HSERVICE NextServiceHandle();
    // Records a synchronous call's request (under m_cs); false when out of
    // memory.
    bool Track(const CRequest &request);
    void Untrack(REQUESTID RequestID);
    // What a provider's refusal tells about the session.
    void AfterRefusal(HSERVICE hService, HRESULT hr);

    CRITICAL_SECTION m_cs;
    bool m_bStarted = false;
    CAppHandles m_appHandles;
    std::map<HSERVICE, CProviderLibrary *> m_sessions;
    HSERVICE m_hLastService = 0;
    std::map<REQUESTID, CRequest> m_syncRequests; // synchronous calls waiting
    REQUESTID m_lastRequestId = 0;
    CProviderCache m_providers;
};

#endif
