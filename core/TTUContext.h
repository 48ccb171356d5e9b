// CTTUContext: the one object per process between the XFS manager and the
// control instances. Every XFS request of the process names the context's
// hidden window ("TTUContextWindow"); its window procedure routes each
// completion or event by request identifier to the issuing instance's
// message window, or broadcasts it to every instance. The context also holds
// the process's single XFS session (open flag, handle, registration flag),
// the two registry settings and the instance counter.
//
// Used only from the thread that created the context window.
#pragma once

#include <windows.h>

#include <list>
#include <map>
#include <set>
#include <string>

#include "xfsapi.h"

// Posted without parameters to every other process's context window after an
// execute completion or execute event: "re-read the device status".
#define WM_TTU_STATUS_REFRESH 20000

class CTTUContext {
public:
    // The singleton; created (with its window) on the first call.
    static CTTUContext *GetInstance();
    // Destroys the window and the singleton. No XFS call is made.
    static void ReleaseInstance();

    virtual ~CTTUContext();

    // Session state shared by every instance of the process.
    HWND GetWnd() const { return m_hWnd; }
    // FALSE only when this is known to be the one window of the context
    // class on the desktop (a count in memory shared by every process), so
    // that a completion need not search the desktop for others. An uncertain
    // count (a process that died with its window) answers TRUE.
    BOOL MayHaveOtherContexts() const { return !m_plLiveContexts || *m_plLiveContexts != 1; }
    BOOL GetOpened() const { return m_bOpened; }
    HSERVICE GetService() const { return m_hService; }
    BOOL GetRegistered() const { return m_bRegistered; }
    // The session opened and registered (a handle), or closed again (0).
    void SetSession(HSERVICE hService)
    {
        m_hService = hService;
        m_bOpened = m_bRegistered = hService != 0;
    }

    // An open in progress (its wait dispatches messages, so a host can call
    // in again): another open is refused meanwhile. The handle is known once
    // the XFS manager accepted the open.
    BOOL IsOpening() const { return m_bOpening; }
    void BeginOpening() { m_bOpening = TRUE; m_hOpening = 0; }
    void SetOpeningService(HSERVICE hService) { m_hOpening = hService; }
    void EndOpening() { m_bOpening = FALSE; m_hOpening = 0; }
    // Whether a result of this handle belongs to the session that is open,
    // or to the one being opened.
    BOOL IsCurrentSession(HSERVICE hService) const;
    // The session is gone (the service disconnected the application): it is
    // closed without waiting, the flags go back to closed, and nothing of it
    // reaches an instance any more.
    void AbandonSession();

    // Registry settings under HKLM "SOFTWARE\Zentrik\".
    int GetSrvMode() const { return m_nSrvMode; }
    int GetErrHandle() const { return m_nErrHandle; }

    int GetLastInstance() const { return m_nLastInstance; }
    void SetLastInstance(int nInstance) { m_nLastInstance = nInstance; }
    LPCWSTR GetWndClass() const { return m_strWndClass.c_str(); }

    // Request bookkeeping.
    void SetRequestOwner(REQUESTID RequestID, int nInstance);
    BOOL LookupRequestOwner(REQUESTID RequestID, int *pnInstance) const;
    void RemoveRequestOwner(REQUESTID RequestID);

    void AddInstanceWnd(int nInstance, HWND hWnd);
    void RemoveInstanceWnd(int nInstance);
    HWND LookupInstanceWnd(int nInstance) const;

    void AddPending(REQUESTID RequestID);
    void RemovePending(REQUESTID RequestID);
    BOOL IsCompleted(REQUESTID RequestID) const;
    // The code of a waited-for completion that nobody could receive; FALSE
    // when the completion was delivered.
    BOOL TakeDiscardedResult(REQUESTID RequestID, HRESULT *phResult);
    // A wait given up before its open completed: the session, should it
    // open after all, is closed again without waiting.
    void AbandonOpen(REQUESTID RequestID) { m_setAbandonedOpens.insert(RequestID); }

    void SetHandshake();
    void ResetHandshake();

    // Status queries without details all get the same answer, and every
    // instance sees it: an instance that needs the status while such a
    // query is outstanding waits for that one rather than asking again. A
    // query is shared only until anything else reaches the context window
    // (an event, a completion, a refresh request): what changed since must
    // be asked afresh.
    void SetStatusQuery(REQUESTID RequestID);
    BOOL FindSharedStatusQuery(REQUESTID *pRequestID) const;
    // The code of a discarded completion, left for the wait that owns it.
    BOOL PeekDiscardedResult(REQUESTID RequestID, HRESULT *phResult) const;

    // A receiver of a broadcast counts it down under m_cs; the receiver that
    // gets 0 back is the last one and releases the counter (and the result).
    LONG CountDownBroadcast(LONG *plCounter);
    // An instance window took one message the context had posted to it (a
    // message handed over directly comes while none is counted: no-op).
    void OnQueuedMessageTaken(HWND hInstanceWnd);
    static void FreeBroadcastCounter(LONG *plCounter);

    static LRESULT CALLBACK ContextWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    CTTUContext();

    BOOL CreateContextWindow();
    void DestroyContextWindow();
    void OpenWindowCount();
    void CloseWindowCount();
    BOOL PostToInstance(HWND hInstanceWnd, UINT uMsg, WPARAM wParam, LPWFSRESULT lpResult);
    void ReadSettings();
    void ReleaseQueuedResults();

    void RouteToOwner(UINT uMsg, LPWFSRESULT lpResult);
    void RouteGetInfoComplete(LPWFSRESULT lpResult);
    void BroadcastToInstances(UINT uMsg, LPWFSRESULT lpResult, BOOL bCounter);
    void Discard(UINT uMsg, LPWFSRESULT lpResult);
    BOOL DropStaleResult(UINT uMsg, LPWFSRESULT lpResult);
    void CloseWithoutWaiting(HSERVICE hService);

    CRITICAL_SECTION m_cs;
    HWND m_hWnd;
    BOOL m_bOpened;
    HSERVICE m_hService;
    int m_nErrHandle;
    int m_nSrvMode;
    int m_nLastInstance;
    std::wstring m_strWndClass;
    BOOL m_bRegistered;
    HANDLE m_hHandshake;
    std::map<REQUESTID, int> m_mapRequestOwner;
    std::map<int, HWND> m_mapInstanceWnd;
    std::list<REQUESTID> m_listPendingSync;
    BOOL m_bOpening;
    HSERVICE m_hOpening;
    std::set<HSERVICE> m_setLostSessions;
    std::set<REQUESTID> m_setAbandonedOpens;
    std::map<REQUESTID, HRESULT> m_mapDiscardedResults;
    DWORD m_dwArrivals;
    REQUESTID m_StatusQueryID;
    DWORD m_dwStatusQueryArrivals;
    HANDLE m_hLiveContexts;
    volatile LONG *m_plLiveContexts;
    // Messages posted to each instance window and not yet taken by it.
    std::map<HWND, LONG> m_mapQueued;
};
