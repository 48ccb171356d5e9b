#include "Provider.h"

#include <algorithm>
#include <cstring>

#include "InfoAnswers.h"
#include "PanelTrace.h"
#include "ProviderRegistry.h"

namespace ttusim {

namespace {

// Versions this provider speaks (low byte major, high byte minor): the TTU
// structures of 3.00 to 3.03 are laid out alike.
constexpr WORD kLowestVersion = 0x0003;  // 3.00
constexpr WORD kHighestVersion = 0x0303; // 3.03
constexpr DWORD kAllEventClasses = SERVICE_EVENTS | USER_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS;

class CriticalSection {
public:
    explicit CriticalSection(CRITICAL_SECTION &cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CriticalSection() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION &m_cs;
};

int VersionOrder(WORD wVersion)
{
    return (wVersion & 0xFF) * 256 + (wVersion >> 8);
}

/* A required range's high word of 0 means "no upper bound". */
HRESULT Negotiate(DWORD dwRequired, LPWFSVERSION lpVersion, HRESULT hrTooLow, HRESULT hrTooHigh)
{
    WORD wLow = LOWORD(dwRequired), wHigh = HIWORD(dwRequired);
    HRESULT hr = WFS_SUCCESS;
    WORD wVersion = kHighestVersion;
    if (wHigh && VersionOrder(wHigh) < VersionOrder(kLowestVersion))
        hr = hrTooLow;
    else if (VersionOrder(wLow) > VersionOrder(kHighestVersion))
        hr = hrTooHigh;
    else if (wHigh && VersionOrder(wHigh) < VersionOrder(kHighestVersion))
        wVersion = wHigh;
    if (lpVersion) {
        memset(lpVersion, 0, sizeof *lpVersion);
        lpVersion->wVersion = hr == WFS_SUCCESS ? wVersion : 0;
        lpVersion->wLowVersion = kLowestVersion;
        lpVersion->wHighVersion = kHighestVersion;
        strcpy(lpVersion->szDescription, "ZT virtual operator panel (TTU)");
        strcpy(lpVersion->szSystemStatus, hr == WFS_SUCCESS ? "" : "version not supported");
    }
    return hr;
}

bool TimedOut(const Request &request, DWORD dwNow, DWORD &dwWait)
{
    if (request.dwTimeOut == WFS_INDEFINITE_WAIT)
        return false;
    DWORD dwElapsed = dwNow - request.dwStart;
    if (dwElapsed >= request.dwTimeOut)
        return true;
    dwWait = std::min(dwWait, request.dwTimeOut - dwElapsed);
    return false;
}

/* The hold-back injected for this request; true once it has passed. */
bool DelayOver(Request &request, const InjectedFault *faults, DWORD dwFirstCode, int nCodes,
               DWORD dwNow, DWORD &dwWait)
{
    if (!request.bDelayKnown) {
        request.bDelayKnown = true;
        DWORD i = request.dwCode - dwFirstCode;
        request.dwDelay = i < (DWORD)nCodes ? faults[i].dwDelay : 0;
    }
    DWORD dwElapsed = dwNow - request.dwStart;
    if (dwElapsed >= request.dwDelay)
        return true;
    dwWait = std::min(dwWait, request.dwDelay - dwElapsed);
    return false;
}

/* Takes one injected failure of this code, if there is one. */
bool TakeFault(InjectedFault *faults, DWORD dwFirstCode, int nCodes, DWORD dwCode, HRESULT &hr)
{
    DWORD i = dwCode - dwFirstCode;
    if (i >= (DWORD)nCodes || faults[i].nCount <= 0)
        return false;
    --faults[i].nCount;
    hr = faults[i].hResult;
    return true;
}

bool LockedByOther(const PanelState &state, HSERVICE hService)
{
    if (!state.dwLockPid)
        return false;
    if (state.dwLockPid == GetCurrentProcessId())
        return state.hLockService != hService;
    return ProcessAlive(state.dwLockPid);
}

/* What the device's status lets a command do. */
HRESULT DeviceReady(const PanelState &state, DWORD dwCommand)
{
    switch (state.fwDevice) {
    case WFS_TTU_DEVONLINE:
        return WFS_SUCCESS;
    case WFS_TTU_DEVHWERROR:
    case WFS_TTU_DEVUSERERROR:
        // A reset is how an application recovers the device.
        return dwCommand == WFS_CMD_TTU_RESET ? WFS_SUCCESS
               : state.fwDevice == WFS_TTU_DEVHWERROR ? WFS_ERR_HARDWARE_ERROR
                                                     : WFS_ERR_DEV_NOT_READY;
    default:
        return WFS_ERR_DEV_NOT_READY;
    }
}

bool IsRead(DWORD dwCommand)
{
    return dwCommand == WFS_CMD_TTU_READ || dwCommand == WFS_CMD_TTU_READ_FORM;
}

bool IsFormCommand(DWORD dwCommand)
{
    return dwCommand == WFS_CMD_TTU_WRITE_FORM || dwCommand == WFS_CMD_TTU_READ_FORM;
}

UINT CompletionMessage(RequestKind kind)
{
    switch (kind) {
    case RequestKind::Open:
        return WFS_OPEN_COMPLETE;
    case RequestKind::Close:
        return WFS_CLOSE_COMPLETE;
    case RequestKind::Lock:
        return WFS_LOCK_COMPLETE;
    case RequestKind::Unlock:
        return WFS_UNLOCK_COMPLETE;
    case RequestKind::Register:
        return WFS_REGISTER_COMPLETE;
    case RequestKind::Deregister:
        return WFS_DEREGISTER_COMPLETE;
    case RequestKind::Execute:
        return WFS_EXECUTE_COMPLETE;
    case RequestKind::GetInfo:
        return WFS_GETINFO_COMPLETE;
    }
    return 0;
}

} // namespace

Provider &Provider::Instance()
{
    static Provider provider;
    return provider;
}

Provider::Provider()
{
    InitializeCriticalSection(&m_cs);
    m_hWake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

HRESULT Provider::Open(HSERVICE hService, LPCSTR lpszLogicalName, DWORD dwTraceLevel, HWND hWnd,
                       REQUESTID reqId, DWORD dwSPIVersionsRequired, LPWFSVERSION lpSPIVersion,
                       DWORD dwSrvcVersionsRequired, LPWFSVERSION lpSrvcVersion)
{
    if (!hWnd)
        return WFS_ERR_INVALID_HWND;
    if (!lpszLogicalName)
        return WFS_ERR_INVALID_POINTER;
    {
        CriticalSection lock(m_cs);
        if (m_sessions.count(hService))
            return WFS_ERR_INVALID_HSERVICE;
    }
    auto request = NewRequest(RequestKind::Open, hService, hWnd, reqId);

    // Every failure below is the open's outcome: it arrives with the
    // completion, as the result of opening a real device would.
    HRESULT hr = Negotiate(dwSPIVersionsRequired, lpSPIVersion, WFS_ERR_SPI_VER_TOO_LOW,
                           WFS_ERR_SPI_VER_TOO_HIGH);
    HRESULT hrSrvc = Negotiate(dwSrvcVersionsRequired, lpSrvcVersion, WFS_ERR_SRVC_VER_TOO_LOW,
                               WFS_ERR_SRVC_VER_TOO_HIGH);
    hr = hr != WFS_SUCCESS ? hr : hrSrvc;

    auto config = std::make_shared<PanelConfig>();
    std::string strError;
    std::wstring strPath;
    if (hr == WFS_SUCCESS) {
        // A configuration that cannot be found or read is a fault of the
        // installation, not of the device: WFS_ERR_INTERNAL_ERROR.
        if (!ConfigPathForLogicalService(lpszLogicalName, strPath, strError) ||
            !LoadPanelConfig(strPath, *config, strError))
            hr = WFS_ERR_INTERNAL_ERROR;
        else
            hr = SharedPanel::Attach(&config->description, strError);
        if (hr != WFS_SUCCESS)
            TraceError("WFPOpen", std::string("open of ") + lpszLogicalName + " fails: " + strError);
    }
    request->hrOpen = hr;

    CriticalSection lock(m_cs);
    Session &session = m_sessions[hService];
    session.config = config;
    session.dwTraceLevel = dwTraceLevel;
    return Submit(std::move(request));
}

HRESULT Provider::Submit(std::unique_ptr<Request> request)
{
    CriticalSection lock(m_cs);
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

/* A command or query with nothing outstanding ahead of it in this process
   needs no worker: it runs on the caller's thread, under one hold of the
   panel, and its completion is posted before the call returns (the
   application receives it through its queue all the same). Nothing here
   waits on another request, so the worker need not hear of the changes;
   what they mean for this process's sessions (status events) is seen to
   here. False when the request must wait (a delay, a read for keys): the
   worker takes it over. */
bool Provider::RunAtOnce(Request &request)
{
    if (request.kind != RequestKind::Execute && request.kind != RequestKind::GetInfo)
        return false;
    SharedPanel::QuietHere quiet;
    SharedPanel::Access state;
    DWORD dwWait = INFINITE;
    bool bDeviceBusy = false;
    if (!Progress(request, GetTickCount(), bDeviceBusy, dwWait))
        return false;
    WatchPanel();
    return true;
}

std::unique_ptr<Request> Provider::NewRequest(RequestKind kind, HSERVICE hService, HWND hWnd,
                                              REQUESTID reqId, DWORD dwCode)
{
    auto request = std::make_unique<Request>();
    request->kind = kind;
    request->hService = hService;
    request->hWnd = hWnd;
    request->id = reqId;
    request->dwCode = dwCode;
    request->dwStart = GetTickCount();
    return request;
}

/* The checks every request but the open shares, then the queue. */
HRESULT Provider::Queue(std::unique_ptr<Request> request)
{
    if (!request->hWnd)
        return WFS_ERR_INVALID_HWND;
    CriticalSection lock(m_cs);
    if (!m_sessions.count(request->hService))
        return WFS_ERR_INVALID_HSERVICE;
    if (request->kind == RequestKind::Close) {
        // Whatever the session still has outstanding completes, cancelled,
        // before the close itself.
        for (auto &lpRequest : m_requests)
            if (lpRequest->hService == request->hService && lpRequest->kind != RequestKind::Open)
                lpRequest->bCancelled = true;
    }
    return Submit(std::move(request));
}

HRESULT Provider::Close(HSERVICE hService, HWND hWnd, REQUESTID reqId)
{
    return Queue(NewRequest(RequestKind::Close, hService, hWnd, reqId));
}

HRESULT Provider::Lock(HSERVICE hService, DWORD dwTimeOut, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::Lock, hService, hWnd, reqId);
    request->dwTimeOut = dwTimeOut;
    return Queue(std::move(request));
}

HRESULT Provider::Unlock(HSERVICE hService, HWND hWnd, REQUESTID reqId)
{
    return Queue(NewRequest(RequestKind::Unlock, hService, hWnd, reqId));
}

HRESULT Provider::Register(RequestKind kind, HSERVICE hService, DWORD dwEventClass,
                           HWND hWndReg, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(kind, hService, hWnd, reqId);
    request->dwEventClass = dwEventClass;
    request->hWndReg = hWndReg;
    return Queue(std::move(request));
}

HRESULT Provider::Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpCmdData, DWORD dwTimeOut,
                          HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::Execute, hService, hWnd, reqId, dwCommand);
    request->dwTimeOut = dwTimeOut;
    request->data = CopyCommandData(dwCommand, lpCmdData);
    return Queue(std::move(request));
}

HRESULT Provider::GetInfo(HSERVICE hService, DWORD dwCategory, LPVOID lpQueryDetails,
                          DWORD dwTimeOut, HWND hWnd, REQUESTID reqId)
{
    auto request = NewRequest(RequestKind::GetInfo, hService, hWnd, reqId, dwCategory);
    request->dwTimeOut = dwTimeOut;
    request->data = CopyQueryDetails(dwCategory, lpQueryDetails);
    return Queue(std::move(request));
}

HRESULT Provider::Cancel(HSERVICE hService, REQUESTID reqId)
{
    CriticalSection lock(m_cs);
    if (!m_sessions.count(hService))
        return WFS_ERR_INVALID_HSERVICE;
    bool bFound = false;
    for (auto &lpRequest : m_requests) {
        if (lpRequest->hService != hService || (reqId && lpRequest->id != reqId))
            continue;
        // An open or close cannot be taken back.
        if (lpRequest->kind == RequestKind::Open || lpRequest->kind == RequestKind::Close)
            continue;
        lpRequest->bCancelled = true;
        bFound = true;
    }
    SetEvent(m_hWake);
    return bFound || reqId == 0 ? WFS_SUCCESS : WFS_ERR_INVALID_REQ_ID;
}

HRESULT Provider::SetTraceLevel(HSERVICE hService, DWORD dwTraceLevel)
{
    CriticalSection lock(m_cs);
    auto it = m_sessions.find(hService);
    if (it == m_sessions.end())
        return WFS_ERR_INVALID_HSERVICE;
    it->second.dwTraceLevel = dwTraceLevel;
    return WFS_SUCCESS;
}

/* The worker holds its own reference on the DLL and drops it as it ends,
   so unloading is safe at any time; sessions still open are a caller's
   mistake that is reported rather than torn down. */
HRESULT Provider::Unload()
{
    CriticalSection lock(m_cs);
    return m_sessions.empty() ? WFS_SUCCESS : WFS_ERR_OP_IN_PROGRESS;
}

bool Provider::EnsureWorker()
{
    if (m_bWorkerRunning)
        return true;
    wchar_t szSelf[MAX_PATH];
    GetModuleFileNameW(ThisModule(), szSelf, MAX_PATH);
    HMODULE hSelf = LoadLibraryW(szSelf);
    HANDLE hThread = hSelf ? CreateThread(nullptr, 0, WorkerMain, hSelf, 0, nullptr) : nullptr;
    if (!hThread) {
        TraceError("Provider::EnsureWorker", "the worker thread cannot be started");
        if (hSelf)
            FreeLibrary(hSelf);
        return false;
    }
    CloseHandle(hThread);
    m_bWorkerRunning = true;
    SharedPanel::Access state;
    memcpy(m_seenStatusChanges, state->statusChanges, sizeof m_seenStatusChanges);
    m_dwSeenSystemEvents = state->dwSystemEventCount;
    return true;
}

DWORD WINAPI Provider::WorkerMain(LPVOID lpSelf)
{
    Provider &provider = Instance();
    HANDLE handles[2] = {provider.m_hWake, SharedPanel::StartListening()};
    for (;;) {
        DWORD dwWait = provider.Step();
        if (dwWait == 0)
            break;
        WaitForMultipleObjects(2, handles, FALSE, dwWait);
    }
    FreeLibraryAndExitThread(static_cast<HMODULE>(lpSelf), 0);
}

/* One pass over everything outstanding; returns how long to sleep, or 0
   when the worker has nothing left to do and has ended its duty. */
DWORD Provider::Step()
{
    CriticalSection lock(m_cs);
    DWORD dwNow = GetTickCount();
    DWORD dwWait = INFINITE;
    bool bDeviceBusy = false;
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        if (Progress(**it, dwNow, bDeviceBusy, dwWait))
            it = m_requests.erase(it);
        else
            ++it;
    }
    WatchPanel();
    if (m_sessions.empty() && m_requests.empty()) {
        SharedPanel::StopListening();
        m_bWorkerRunning = false;
        return 0;
    }
    return dwWait == 0 ? 1 : dwWait;
}

/* True when the request is done (its completion posted). */
bool Provider::Progress(Request &request, DWORD dwNow, bool &bDeviceBusy, DWORD &dwWait)
{
    if (request.bCancelled) {
        ReleaseRead(request);
        Complete(request, WFS_ERR_CANCELED);
        return true;
    }
    if (request.kind != RequestKind::Open && !m_sessions.count(request.hService)) {
        Complete(request, WFS_ERR_INVALID_HSERVICE); // made after its session's close
        return true;
    }
    switch (request.kind) {
    case RequestKind::Open:
        Complete(request, request.hrOpen);
        if (request.hrOpen != WFS_SUCCESS)
            m_sessions.erase(request.hService);
        return true;
    case RequestKind::Close:
        FinishClose(request);
        return true;
    case RequestKind::Register:
    case RequestKind::Deregister:
        FinishRegistration(request);
        return true;
    case RequestKind::Unlock: {
        HRESULT hr = WFS_ERR_NOT_LOCKED;
        {
            SharedPanel::Access state;
            if (state->dwLockPid == GetCurrentProcessId() &&
                state->hLockService == request.hService) {
                state->dwLockPid = 0;
                state->hLockService = 0;
                state.Changed(); // wakes lock requests waiting elsewhere
                hr = WFS_SUCCESS;
            }
        }
        Complete(request, hr);
        return true;
    }
    case RequestKind::Lock:
        return ProgressLock(request, dwNow, dwWait);
    case RequestKind::GetInfo:
        return ProgressInfo(request, dwNow, dwWait);
    case RequestKind::Execute:
        if (bDeviceBusy) {
            // Queued behind another command: only its time-out can end it.
            if (!TimedOut(request, dwNow, dwWait))
                return false;
            Complete(request, WFS_ERR_TIMEOUT);
            return true;
        }
        bDeviceBusy = true;
        return ProgressExecute(request, dwNow, dwWait);
    }
    return true;
}

bool Provider::ProgressLock(Request &request, DWORD dwNow, DWORD &dwWait)
{
    {
        SharedPanel::Access state;
        if (!LockedByOther(*state, request.hService)) {
            state->dwLockPid = GetCurrentProcessId();
            state->hLockService = request.hService;
            state.Changed();
            Complete(request, WFS_SUCCESS);
            return true;
        }
    }
    if (!TimedOut(request, dwNow, dwWait))
        return false;
    Complete(request, WFS_ERR_TIMEOUT);
    return true;
}

bool Provider::ProgressInfo(Request &request, DWORD dwNow, DWORD &dwWait)
{
    if (TimedOut(request, dwNow, dwWait)) {
        Complete(request, WFS_ERR_TIMEOUT);
        return true;
    }
    {
        SharedPanel::Access state;
        if (!DelayOver(request, state->categoryFaults, WFS_INF_TTU_STATUS, kNumCategories, dwNow,
                       dwWait))
            return false;
    }
    ResultBuilder result(request.id, request.hService, request.dwCode, WFS_SUCCESS);
    HRESULT hr;
    {
        SharedPanel::Access state;
        if (TakeFault(state->categoryFaults, WFS_INF_TTU_STATUS, kNumCategories, request.dwCode,
                      hr))
            state.Changed();
        else
            hr = AnswerInfo(*m_sessions[request.hService].config, *state, request.dwCode,
                            request.data, result);
    }
    result.SetResult(hr);
    if (hr != WFS_SUCCESS)
        result.SetBuffer(nullptr);
    PostResult(request.hWnd, WFS_GETINFO_COMPLETE, result.Detach());
    return true;
}

bool Provider::ProgressExecute(Request &request, DWORD dwNow, DWORD &dwWait)
{
    EventList events;
    HRESULT hr = WFS_SUCCESS;
    bool bDone;
    if (!request.read) {
        if (TimedOut(request, dwNow, dwWait)) {
            Complete(request, WFS_ERR_TIMEOUT);
            return true;
        }
        {
            SharedPanel::Access state;
            if (!DelayOver(request, state->commandFaults, WFS_CMD_TTU_BEEP, kNumCommands, dwNow,
                           dwWait))
                return false;
        }
        bDone = StartExecute(request, events, hr);
    } else {
        bDone = ProgressRead(request, events, hr);
        if (!bDone && TimedOut(request, dwNow, dwWait)) {
            ReleaseRead(request);
            hr = WFS_ERR_TIMEOUT;
            bDone = true;
        }
    }
    PostExecuteEvents(request, events);
    if (bDone)
        CompleteExecute(request, hr);
    return bDone;
}

/* Runs a command that has come to the head of the queue. True when it is
   over at once; false while a read has started (or waits for the keyboard
   that a read of another process holds). */
bool Provider::StartExecute(Request &request, EventList &events, HRESULT &hr)
{
    const PanelConfig &config = *m_sessions[request.hService].config;
    SharedPanel::Access state;
    if (TakeFault(state->commandFaults, WFS_CMD_TTU_BEEP, kNumCommands, request.dwCode, hr)) {
        state.Changed();
        return true;
    }
    // A code outside the TTU class is no command at all; a TTU command this
    // panel was configured without is one it does not support.
    if (request.dwCode < WFS_CMD_TTU_BEEP || request.dwCode > WFS_CMD_TTU_RESET) {
        hr = WFS_ERR_INVALID_COMMAND;
        return true;
    }
    if (IsFormCommand(request.dwCode) && !config.bForms) {
        hr = WFS_ERR_UNSUPP_COMMAND;
        return true;
    }
    if (LockedByOther(*state, request.hService)) {
        hr = WFS_ERR_LOCKED;
        return true;
    }
    if (request.data.hrUnusable != WFS_SUCCESS) {
        hr = request.data.hrUnusable;
        return true;
    }
    if ((hr = DeviceReady(*state, request.dwCode)) != WFS_SUCCESS)
        return true;
    if (!IsRead(request.dwCode)) {
        hr = PanelDevice(config).Execute(*state, request.dwCode, request.data, events);
        state.Changed();
        return true;
    }

    if (state->bReadActive && ProcessAlive(state->dwReadOwnerPid)) {
        hr = WFS_SUCCESS;
        return false; // the keyboard is busy with another process's read
    }
    state.Changed();
    std::unique_ptr<KeyboardRead> read = request.dwCode == WFS_CMD_TTU_READ
                                             ? NewTextRead(config, request.data)
                                             : NewFormRead(config, request.data);
    if ((hr = read->Start(*state, events)) != WFS_SUCCESS)
        return true;
    if (read->Finished()) {
        request.read = std::move(read); // answers its (empty) output
        return true;
    }
    if (request.dwCode == WFS_CMD_TTU_READ ? request.data.read.bFlush : FALSE)
        state->dwKeysRead = state->dwKeysWritten;
    state->bReadActive = TRUE;
    state->dwReadOwnerPid = GetCurrentProcessId();
    state->dwReadToken = ++state->dwNextToken;
    request.dwReadToken = state->dwReadToken;
    request.read = std::move(read);
    return false;
}

/* Feeds the keys pressed since the last pass to the read. */
bool Provider::ProgressRead(Request &request, EventList &events, HRESULT &hr)
{
    SharedPanel::Access state;
    if (!state->bReadActive || state->dwReadToken != request.dwReadToken) {
        hr = WFS_ERR_HARDWARE_ERROR; // the panel was reset under the read
        return true;
    }
    if (state->fwDevice != WFS_TTU_DEVONLINE) {
        ReleaseRead(request);
        hr = state->fwDevice == WFS_TTU_DEVHWERROR ? WFS_ERR_HARDWARE_ERROR
                                                   : WFS_ERR_DEV_NOT_READY;
        return true;
    }
    bool bDone = false;
    while (!bDone && state->dwKeysRead != state->dwKeysWritten) {
        PanelKey key = state->keys[state->dwKeysRead % kKeyBufferSize];
        ++state->dwKeysRead;
        bDone = request.read->OnKey(*state, key, events, hr);
        state.Changed();
    }
    if (bDone)
        state->bReadActive = FALSE;
    return bDone;
}

void Provider::ReleaseRead(Request &request)
{
    if (!request.read)
        return;
    SharedPanel::Access state;
    if (state->bReadActive && state->dwReadToken == request.dwReadToken) {
        state->bReadActive = FALSE;
        state->bCursorOn = FALSE;
        state.Changed();
    }
}

void Provider::FinishRegistration(Request &request)
{
    Session &session = m_sessions[request.hService];
    HRESULT hr = WFS_SUCCESS;
    if (request.kind == RequestKind::Register) {
        if (request.dwEventClass == 0 || (request.dwEventClass & ~kAllEventClasses))
            hr = WFS_ERR_INVALID_EVENT_CLASS;
        else if (!request.hWndReg || !IsWindow(request.hWndReg))
            hr = WFS_ERR_INVALID_HWNDREG;
        else {
            auto it = std::find_if(session.registrations.begin(), session.registrations.end(),
                                   [&](const Registration &r) { return r.hWndReg == request.hWndReg; });
            if (it == session.registrations.end())
                session.registrations.push_back({request.hWndReg, request.dwEventClass});
            else
                it->dwEventClasses |= request.dwEventClass;
        }
    } else if (request.dwEventClass & ~kAllEventClasses) {
        hr = WFS_ERR_INVALID_EVENT_CLASS;
    } else {
        // Class 0 means every class, a null window every window.
        DWORD dwClasses = request.dwEventClass ? request.dwEventClass : kAllEventClasses;
        bool bFound = false;
        for (auto it = session.registrations.begin(); it != session.registrations.end();) {
            if ((request.hWndReg && it->hWndReg != request.hWndReg) ||
                !(it->dwEventClasses & dwClasses)) {
                ++it;
                continue;
            }
            bFound = true;
            it->dwEventClasses &= ~dwClasses;
            it = it->dwEventClasses ? std::next(it) : session.registrations.erase(it);
        }
        if (!bFound)
            hr = WFS_ERR_NOT_REGISTERED;
    }
    Complete(request, hr);
}

void Provider::FinishClose(Request &request)
{
    {
        SharedPanel::Access state;
        if (state->dwLockPid == GetCurrentProcessId() && state->hLockService == request.hService) {
            state->dwLockPid = 0;
            state->hLockService = 0;
            state.Changed();
        }
    }
    Complete(request, WFS_SUCCESS);
    m_sessions.erase(request.hService);
}

void Provider::Complete(Request &request, HRESULT hr)
{
    ResultBuilder result(request.id, request.hService, request.dwCode, hr);
    PostResult(request.hWnd, CompletionMessage(request.kind), result.Detach());
}

void Provider::PostExecuteEvents(Request &request, const EventList &events)
{
    for (const ExecuteEvent &event : events) {
        ResultBuilder result(request.id, request.hService, event.dwEventID, WFS_SUCCESS);
        if (event.dwEventID == WFS_EXEE_TTU_KEY) {
            LPWFSTTUKEY lpKey = result.Add<WFSTTUKEY>();
            if (lpKey)
                *lpKey = event.key;
            result.SetBuffer(lpKey);
        } else {
            LPWFSTTUFIELDFAIL lpFail = result.Add<WFSTTUFIELDFAIL>();
            if (lpFail) {
                lpFail->lpszFormName = result.String(event.strForm);
                lpFail->lpszFieldName = result.String(event.strField);
                lpFail->wFailure = event.wFailure;
            }
            result.SetBuffer(lpFail);
        }
        PostResult(request.hWnd, WFS_EXECUTE_EVENT, result.Detach());
    }
}

void Provider::CompleteExecute(Request &request, HRESULT hr)
{
    ResultBuilder result(request.id, request.hService, request.dwCode, hr);
    if (hr == WFS_SUCCESS && request.read)
        request.read->BuildOutput(result);
    PostResult(request.hWnd, WFS_EXECUTE_COMPLETE, result.Detach());
}

void Provider::WatchPanel()
{
    DWORD statusChanges[kStatusWords], dwSystemEvents;
    DWORD events[kSystemEventRing];
    {
        SharedPanel::Access state;
        SharedPanel::CountStatusChanges(*state); // also those of an Access still open here
        memcpy(statusChanges, state->statusChanges, sizeof statusChanges);
        dwSystemEvents = state->dwSystemEventCount;
        memcpy(events, state->systemEvents, sizeof events);
    }
    WORD fwChanged = 0;
    for (int i = 0; i < kStatusWords; ++i)
        if (statusChanges[i] != m_seenStatusChanges[i])
            fwChanged |= (WORD)(1u << i); // kStatusDevice, kStatusKeyboard, ..
    memcpy(m_seenStatusChanges, statusChanges, sizeof m_seenStatusChanges);
    if (fwChanged)
        SendSystemEvent(WFS_SYSE_DEVICE_STATUS, fwChanged);
    // More events than the ring holds since the last look: the oldest are
    // gone; the ones still there are sent.
    if (dwSystemEvents - m_dwSeenSystemEvents > (DWORD)kSystemEventRing)
        m_dwSeenSystemEvents = dwSystemEvents - kSystemEventRing;
    for (; m_dwSeenSystemEvents != dwSystemEvents; ++m_dwSeenSystemEvents)
        SendSystemEvent(events[m_dwSeenSystemEvents % kSystemEventRing], 0);
}

/* fwStatusChanged: the status words whose change the event reports (0 for
   an injected event); a session hears of a change when its StatusEvents
   names one of them. */
void Provider::SendSystemEvent(DWORD dwEventID, WORD fwStatusChanged)
{
    for (auto &entry : m_sessions) {
        if (fwStatusChanged && !(entry.second.config->fwStatusEvents & fwStatusChanged))
            continue;
        for (const Registration &registration : entry.second.registrations)
            if (registration.dwEventClasses & SYSTEM_EVENTS) {
                ResultBuilder result(0, entry.first, dwEventID, WFS_SUCCESS);
                PostResult(registration.hWndReg, WFS_SYSTEM_EVENT, result.Detach());
            }
    }
}

} // namespace ttusim
