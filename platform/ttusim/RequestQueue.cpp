#include "RequestQueue.h"

#include <new>

#include "CriticalSectionLock.h"
#include "PanelTrace.h"
#include "ProviderRegistry.h"

namespace {

struct CWorkerStart {
    CRequestQueue *pQueue;
    HMODULE hSelf;
    HANDLE hChanged; // the process's change event
};

} // namespace

CRequestQueue::CRequestQueue(CRITICAL_SECTION &cs, SessionMap &sessions)
    : m_cs(cs), m_sessions(sessions), m_machine(sessions), m_fanOut(sessions)
{
    m_hWake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

HRESULT CRequestQueue::Submit(std::unique_ptr<CProviderRequest> request)
{
    CCriticalSectionLock lock(m_cs);
    // An open that failed before this process ever reached the panel (its
    // configuration missing or broken) has no panel to run against: only
    // its failure is posted, and no worker starts.
    if (!CSharedPanel::IsAttached()) {
        bool bDeviceBusy = false;
        DWORD dwWait = INFINITE;
        if (request->kind == RequestKind::Open && request->hrOpen != WFS_SUCCESS &&
            m_machine.Progress(*request, GetTickCount(), bDeviceBusy, dwWait))
            return WFS_SUCCESS;
        return WFS_ERR_INTERNAL_ERROR;
    }
    if (!EnsureWorker()) {
        if (request->kind == RequestKind::Open)
            m_sessions.erase(request->hService);
        return WFS_ERR_INTERNAL_ERROR;
    }
    if (m_requests.empty() && RunAtOnce(*request))
        return WFS_SUCCESS;
    m_requests.push_back(std::move(request));
    SetEvent(m_hWake);
    return WFS_SUCCESS;
}

bool CRequestQueue::Cancel(HSERVICE hService, REQUESTID reqId, bool bClosing)
{
    CCriticalSectionLock lock(m_cs);
    bool bFound = false;
    for (auto &lpRequest : m_requests) {
        if (lpRequest->hService != hService || (reqId && lpRequest->id != reqId))
            continue;
        // An open cannot be taken back, nor a close but by the session's end.
        if (lpRequest->kind == RequestKind::Open ||
            (!bClosing && lpRequest->kind == RequestKind::Close))
            continue;
        lpRequest->bCancelled = true;
        bFound = true;
    }
    if (!bClosing)
        SetEvent(m_hWake);
    return bFound;
}

/* A request with nothing outstanding ahead of it in this process needs no
   worker: it runs on the caller's thread, under one hold of the panel, and
   its completion is posted before the call returns (the application
   receives it through its queue all the same); handing it to the worker
   would cost a thread switch, which on a busy machine is most of an open or
   a close. Nothing here waits on another request, so the worker need not
   hear of the changes; what they mean for this process's sessions (status
   events) is seen to here, and so is the end of the last session. False
   when the request must wait (a lock held elsewhere, a delay, a read for
   keys): the worker takes it over. */
bool CRequestQueue::RunAtOnce(CProviderRequest &request)
{
    if (request.kind == RequestKind::Lock)
        return false;
    CSharedPanel::QuietHere quiet;
    CSharedPanel::Access state;
    DWORD dwWait = INFINITE;
    bool bDeviceBusy = false;
    if (!m_machine.Progress(request, GetTickCount(), bDeviceBusy, dwWait))
        return false;
    m_fanOut.WatchPanel();
    if (m_sessions.empty() && m_bOnDuty) {
        CSharedPanel::StopListening();
        m_bOnDuty = false;
    }
    return true;
}

/* The worker holds its own reference on the DLL and drops it as it ends,
   so unloading is safe at any time. It outlives the sessions of the
   process, idle and no listener of the panel, because starting a thread
   costs more than all the rest of an open together; it ends when the
   provider is unloaded (StopWorker), and at process exit it is simply
   ended with the others, holding nothing another process waits for. */
bool CRequestQueue::EnsureWorker()
{
    m_bStopWorker = false;
    if (m_bWorkerRunning) {
        if (!m_bOnDuty) {
            CSharedPanel::Access hold; // one hold of the panel for both
            CSharedPanel::StartListening();
            m_fanOut.StartFromNow();
            m_bOnDuty = true;
        }
        return true;
    }
    wchar_t szSelf[MAX_PATH];
    GetModuleFileNameW(ThisModule(), szSelf, MAX_PATH);
    HMODULE hSelf = LoadLibraryW(szSelf);
    CWorkerStart *pStart = nullptr;
    if (hSelf) {
        CSharedPanel::Access hold;
        pStart = new (std::nothrow) CWorkerStart{this, hSelf, CSharedPanel::StartListening()};
        m_fanOut.StartFromNow();
    }
    HANDLE hThread = pStart ? CreateThread(nullptr, 0, WorkerMain, pStart, 0, nullptr) : nullptr;
    if (!hThread) {
        TraceError("RequestQueue::EnsureWorker", "the worker thread cannot be started");
        if (pStart)
            CSharedPanel::StopListening();
        delete pStart;
        if (hSelf)
            FreeLibrary(hSelf);
        return false;
    }
    CloseHandle(hThread);
    m_bWorkerRunning = true;
    m_bOnDuty = true;
    return true;
}

void CRequestQueue::StopWorker()
{
    CCriticalSectionLock lock(m_cs);
    m_bStopWorker = true;
    SetEvent(m_hWake);
}

DWORD WINAPI CRequestQueue::WorkerMain(LPVOID lpStart)
{
    CWorkerStart start = *static_cast<CWorkerStart *>(lpStart);
    delete static_cast<CWorkerStart *>(lpStart);
    HANDLE handles[2] = {start.pQueue->m_hWake, start.hChanged};
    for (;;) {
        DWORD dwWait = start.pQueue->Step();
        if (dwWait == 0)
            break;
        WaitForMultipleObjects(2, handles, FALSE, dwWait);
    }
    FreeLibraryAndExitThread(start.hSelf, 0);
}

/* One pass over everything outstanding; returns how long to sleep, or 0
   when the worker is to end. With no session left it stops listening: a
   process without sessions must not keep the panel in use for others. */
DWORD CRequestQueue::Step()
{
    CCriticalSectionLock lock(m_cs);
    DWORD dwNow = GetTickCount();
    DWORD dwWait = INFINITE;
    bool bDeviceBusy = false;
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        if (m_machine.Progress(**it, dwNow, bDeviceBusy, dwWait))
            it = m_requests.erase(it);
        else
            ++it;
    }
    m_fanOut.WatchPanel();
    if (m_sessions.empty() && m_requests.empty()) {
        if (m_bOnDuty) {
            CSharedPanel::StopListening();
            m_bOnDuty = false;
        }
        if (m_bStopWorker) {
            m_bStopWorker = false;
            m_bWorkerRunning = false;
            return 0;
        }
        return INFINITE;
    }
    return dwWait == 0 ? 1 : dwWait;
}
