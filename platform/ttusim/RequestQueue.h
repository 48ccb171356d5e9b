/*
 * The requests of this process still outstanding, in arrival order, and
 * the worker thread that moves them on whenever the panel changes or a
 * time runs out. Shares the provider's lock.
 */
#ifndef ZT_TTUSIM_REQUESTQUEUE_H
#define ZT_TTUSIM_REQUESTQUEUE_H

#include "EventFanOut.h"
#include "RequestMachine.h"

class CRequestQueue {
public:
    CRequestQueue(CRITICAL_SECTION &cs, SessionMap &sessions);

    /* Runs the request at once or queues it for the worker. */
    HRESULT Submit(std::unique_ptr<CProviderRequest> request);
    /* Marks the session's requests cancelled (reqId 0: all of them), but
       an open, and a close unless bClosing; false when none matched. */
    bool Cancel(HSERVICE hService, REQUESTID reqId, bool bClosing);
    /* The provider is unloading with no session left: the worker ends (a
       later request starts one again). */
    void StopWorker();

private:
    bool RunAtOnce(CProviderRequest &request);
    bool EnsureWorker();
    static DWORD WINAPI WorkerMain(LPVOID lpStart);
    DWORD Step();

    CRITICAL_SECTION &m_cs;
    SessionMap &m_sessions;
    CRequestMachine m_machine;
    CEventFanOut m_fanOut;
    std::list<std::unique_ptr<CProviderRequest>> m_requests; // in arrival order
    HANDLE m_hWake;
    bool m_bWorkerRunning = false; // the thread exists
    bool m_bOnDuty = false;        // it listens to the panel for sessions here
    bool m_bStopWorker = false;    // it ends once nothing is left to do
};

#endif
