#include "Request.h"

#include "BufferHeap.h"

namespace {

// A result the manager made for an application's window: posted, as the
// provider's are; freed when the window is gone.
void Post(HWND hWnd, UINT uMsg, LPWFSRESULT lpResult)
{
    if (!PostMessageW(hWnd, uMsg, 0, reinterpret_cast<LPARAM>(lpResult)))
        CBufferHeap::Instance().Free(lpResult);
}

} // namespace

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

void CompleteRequest(const CRequest &request, LPWFSRESULT lpResult)
{
    if (request.target.pSync) {
        request.target.pSync->hResult = lpResult->hResult;
        request.target.pSync->lpResult = lpResult;
        request.target.pSync->bDone = true;
        return;
    }
    Post(request.target.hWnd, CompletionMessage(request.kind), lpResult);
}

void CompleteRequestWithCode(const CRequest &request, HRESULT hResult)
{
    LPVOID lpvResult = nullptr;
    // Without even these few bytes the application's completion is lost:
    // nothing else could carry it.
    CBufferHeap::Instance().AllocateInternal(sizeof(WFSRESULT), &lpvResult);
    LPWFSRESULT lpResult = static_cast<LPWFSRESULT>(lpvResult);
    if (lpResult) {
        lpResult->RequestID = request.id;
        lpResult->hService = request.hService;
        GetLocalTime(&lpResult->tsTimestamp);
        lpResult->hResult = hResult;
        lpResult->u.dwCommandCode = request.dwCode;
        CompleteRequest(request, lpResult);
    } else if (request.target.pSync) {
        request.target.pSync->hResult = hResult;
        request.target.pSync->bDone = true;
    }
}
