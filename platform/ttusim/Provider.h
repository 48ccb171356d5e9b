/*
 * The service provider of one process: its sessions, the requests they
 * made, and the worker thread that completes those requests, feeds keys to
 * a read and turns changes of the shared panel into system events.
 *
 * Every completion, execute event and system event is posted straight to
 * the window the request (or registration) named. A command or query that
 * finds nothing of this process outstanding runs within its SPI call;
 * everything else is recorded and completed by the worker. Execute
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

#include <list>
#include <map>
#include <memory>
#include <string>

#include "CommandData.h"
#include "PanelDevice.h"
#include "xfsspi.h"

namespace ttusim {

enum class RequestKind { Open, Close, Lock, Unlock, Register, Deregister, Execute, GetInfo };

struct Request {
    RequestKind kind;
    HSERVICE hService;
    HWND hWnd;
    REQUESTID id;
    DWORD dwCode = 0;     // command or category
    DWORD dwTimeOut = 0;  // WFS_INDEFINITE_WAIT: none
    DWORD dwStart = 0;    // tick count when it was made
    DWORD dwEventClass = 0;
    HWND hWndReg = nullptr;
    HRESULT hrOpen = WFS_SUCCESS;
    CommandData data;

    bool bCancelled = false;
    bool bDelayKnown = false;
    DWORD dwDelay = 0;    // injected hold-back
    std::unique_ptr<KeyboardRead> read; // a read that has started
    DWORD dwReadToken = 0;
};

struct Registration {
    HWND hWndReg;
    DWORD dwEventClasses;
};

struct Session {
    std::shared_ptr<PanelConfig> config;
    std::list<Registration> registrations;
    DWORD dwTraceLevel = 0;
};

class Provider {
public:
    static Provider &Instance();

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
    Provider();

    static std::unique_ptr<Request> NewRequest(RequestKind kind, HSERVICE hService, HWND hWnd,
                                               REQUESTID reqId, DWORD dwCode = 0);
    HRESULT Queue(std::unique_ptr<Request> request);
    HRESULT Submit(std::unique_ptr<Request> request);
    bool RunAtOnce(Request &request);
    bool EnsureWorker();
    static DWORD WINAPI WorkerMain(LPVOID);
    DWORD Step();
    bool Progress(Request &request, DWORD dwNow, bool &bDeviceBusy, DWORD &dwWait);
    bool ProgressLock(Request &request, DWORD dwNow, DWORD &dwWait);
    bool ProgressInfo(Request &request, DWORD dwNow, DWORD &dwWait);
    bool ProgressExecute(Request &request, DWORD dwNow, DWORD &dwWait);
    bool StartExecute(Request &request, EventList &events, HRESULT &hr);
    bool ProgressRead(Request &request, EventList &events, HRESULT &hr);
    void FinishRegistration(Request &request);
    void FinishClose(Request &request);
    void ReleaseRead(Request &request);
    void Complete(Request &request, HRESULT hr);
    void PostExecuteEvents(Request &request, const EventList &events);
    void CompleteExecute(Request &request, HRESULT hr);
    void WatchPanel();
    void SendSystemEvent(DWORD dwEventID, WORD fwStatusChanged);

    CRITICAL_SECTION m_cs;
    std::map<HSERVICE, Session> m_sessions;
    std::list<std::unique_ptr<Request>> m_requests; // in arrival order
    HANDLE m_hWake;
    bool m_bWorkerRunning = false;
    DWORD m_seenStatusChanges[kStatusWords] = {};
    DWORD m_dwSeenSystemEvents = 0;
};

} // namespace ttusim

#endif
