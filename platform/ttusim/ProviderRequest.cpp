#include "ProviderRequest.h"

#include <algorithm>

#include "ResultBuilder.h"

std::unique_ptr<CProviderRequest> NewRequest(RequestKind kind, HSERVICE hService, HWND hWnd,
                                    REQUESTID reqId, DWORD dwCode)
{
    auto request = std::make_unique<CProviderRequest>();
    request->kind = kind;
    request->hService = hService;
    request->hWnd = hWnd;
    request->id = reqId;
    request->dwCode = dwCode;
    request->dwStart = GetTickCount();
    return request;
}

bool TimedOut(const CProviderRequest &request, DWORD dwNow, DWORD &dwWait)
{
    if (request.dwTimeOut == WFS_INDEFINITE_WAIT)
        return false;
    DWORD dwElapsed = dwNow - request.dwStart;
    if (dwElapsed >= request.dwTimeOut)
        return true;
    dwWait = std::min(dwWait, request.dwTimeOut - dwElapsed);
    return false;
}

void Complete(const CProviderRequest &request, HRESULT hr)
{
    CResultBuilder result(request.id, request.hService, request.dwCode, hr);
    PostResult(request.hWnd, static_cast<UINT>(request.kind), result.Detach());
}

bool CompleteIfTimedOut(const CProviderRequest &request, DWORD dwNow, DWORD &dwWait)
{
    if (!TimedOut(request, dwNow, dwWait))
        return false;
    Complete(request, WFS_ERR_TIMEOUT);
    return true;
}

bool LockedByOther(const CPanelState &state, HSERVICE hService)
{
    if (!state.dwLockPid)
        return false;
    if (state.dwLockPid == GetCurrentProcessId())
        return state.hLockService != hService;
    return ProcessAlive(state.dwLockPid);
}
