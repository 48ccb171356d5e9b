/*
 * One outstanding request as the manager tracks it, from acceptance to the
 * one completion that ends it.
 */
#ifndef ZT_XFS_MANAGER_REQUEST_H
#define ZT_XFS_MANAGER_REQUEST_H

#include <xfsapi.h>

enum class RequestKind { Open, Close, Lock, Unlock, Register, Deregister, Execute, GetInfo };

// Where a synchronous call waits for its completion (on its own stack).
struct CSyncSlot {
    bool bDone = false;
    HRESULT hResult = WFS_SUCCESS;
    LPWFSRESULT lpResult = nullptr; // may stay null if even a cancellation found no memory
};

// Who receives the completion: an application window, or a synchronous call.
struct CTarget {
    HWND hWnd;
    CSyncSlot *pSync;
};

struct CRequest {
    REQUESTID id;
    HSERVICE hService;
    RequestKind kind;
    DWORD dwCode; // command or category, echoed in a result the manager makes itself
    CTarget target;
};

// The completion message that ends a request of this kind.
UINT CompletionMessage(RequestKind kind);

// Hands a request its completion: into a synchronous call's slot, or posted
// to the application's window (freed when the window is gone).
void CompleteRequest(const CRequest &request, LPWFSRESULT lpResult);
// The same with a result the manager makes itself.
void CompleteRequestWithCode(const CRequest &request, HRESULT hResult);

#endif
