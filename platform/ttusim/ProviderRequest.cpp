#include "ProviderRequest.h"

#include <algorithm>

#include "ResultBuilder.h"

namespace {

UINT CompletionMessage(RequestKind kind)
{
    switch (kind) {
    case RequestKind::Open: return WFS_OPEN_COMPLETE;
    case RequestKind::Close: return WFS_CLOSE_COMPLETE;
    case RequestKind::Lock: return WFS_LOCK_COMPLETE;
    case RequestKind::Unlock: return WFS_UNLOCK_COMPLETE;
    case RequestKind::Register: return WFS_REGISTER_COMPLETE;
    case RequestKind::Deregister: return WFS_DEREGISTER_COMPLETE;
    case RequestKind::Execute: return WFS_EXECUTE_COMPLETE;
    case RequestKind::GetInfo: return WFS_GETINFO_COMPLETE;
    }
    return 0;
}

} // namespace

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
    PostResult(request.hWnd, CompletionMessage(request.kind), result.Detach());
}

bool LockedByOther(const CPanelState &state, HSERVICE hService)
{
    if (!state.dwLockPid)
        return false;
    if (state.dwLockPid == GetCurrentProcessId())
        return state.hLockService != hService;
    return ProcessAlive(state.dwLockPid);
}
