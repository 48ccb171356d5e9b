#include "RequestMachine.h"

#include <algorithm>

#include "ExecuteRequest.h"
#include "FaultTable.h"
#include "InfoAnswers.h"
#include "ResultBuilder.h"

namespace {

constexpr DWORD kAllEventClasses = SERVICE_EVENTS | USER_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS;

} // namespace

/* True when the request is done (its completion posted). */
bool CRequestMachine::Progress(CProviderRequest &request, DWORD dwNow, bool &bDeviceBusy,
                               DWORD &dwWait)
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
    case RequestKind::Unlock:
        Complete(request, ReleaseLock(request.hService) ? WFS_SUCCESS : WFS_ERR_NOT_LOCKED);
        return true;
    case RequestKind::Lock:
        return ProgressLock(request, dwNow, dwWait);
    case RequestKind::GetInfo:
        return ProgressInfo(request, dwNow, dwWait);
    case RequestKind::Execute:
        // Queued behind another command: only its time-out can end it.
        if (bDeviceBusy)
            return CompleteIfTimedOut(request, dwNow, dwWait);
        bDeviceBusy = true;
        return ProgressExecute(request, *m_sessions[request.hService].config, dwNow, dwWait);
    }
    return true;
}

bool CRequestMachine::ProgressLock(CProviderRequest &request, DWORD dwNow, DWORD &dwWait)
{
    {
        CSharedPanel::Access state;
        if (!LockedByOther(*state, request.hService)) {
            state->dwLockPid = GetCurrentProcessId();
            state->hLockService = request.hService;
            state.Changed();
            Complete(request, WFS_SUCCESS);
            return true;
        }
    }
    return CompleteIfTimedOut(request, dwNow, dwWait);
}

bool CRequestMachine::ProgressInfo(CProviderRequest &request, DWORD dwNow, DWORD &dwWait)
{
    if (CompleteIfTimedOut(request, dwNow, dwWait))
        return true;
    if (!DelayOver(request, true, dwNow, dwWait))
        return false;
    CResultBuilder result(request.id, request.hService, request.dwCode, WFS_SUCCESS);
    HRESULT hr;
    {
        CSharedPanel::Access state;
        if (TakeFault(*state, true, request.dwCode, hr))
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

HRESULT CRequestMachine::Register(CSession &session, const CProviderRequest &request)
{
    if (request.dwEventClass == 0 || (request.dwEventClass & ~kAllEventClasses))
        return WFS_ERR_INVALID_EVENT_CLASS;
    if (!request.hWndReg || !IsWindow(request.hWndReg))
        return WFS_ERR_INVALID_HWNDREG;
    auto it = std::find_if(session.registrations.begin(), session.registrations.end(),
                           [&](const CRegistration &r) { return r.hWndReg == request.hWndReg; });
    if (it == session.registrations.end())
        session.registrations.push_back({request.hWndReg, request.dwEventClass});
    else
        it->dwEventClasses |= request.dwEventClass;
    return WFS_SUCCESS;
}

HRESULT CRequestMachine::Deregister(CSession &session, const CProviderRequest &request)
{
    if (request.dwEventClass & ~kAllEventClasses)
        return WFS_ERR_INVALID_EVENT_CLASS;
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
    return bFound ? WFS_SUCCESS : WFS_ERR_NOT_REGISTERED;
}

void CRequestMachine::FinishRegistration(CProviderRequest &request)
{
    CSession &session = m_sessions[request.hService];
    Complete(request, request.kind == RequestKind::Register ? Register(session, request)
                                                            : Deregister(session, request));
}

/* Frees the panel when this session holds its lock. */
bool CRequestMachine::ReleaseLock(HSERVICE hService)
{
    CSharedPanel::Access state;
    if (state->dwLockPid != GetCurrentProcessId() || state->hLockService != hService)
        return false;
    state->dwLockPid = 0;
    state->hLockService = 0;
    state.Changed(); // wakes lock requests waiting elsewhere
    return true;
}

void CRequestMachine::FinishClose(CProviderRequest &request)
{
    ReleaseLock(request.hService);
    Complete(request, WFS_SUCCESS);
    m_sessions.erase(request.hService);
}
