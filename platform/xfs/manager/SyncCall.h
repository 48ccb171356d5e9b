/*
 * The synchronous forms (WFSOpen, WFSExecute, ...): the asynchronous request
 * aimed at a slot on the caller's stack, then a message loop until the
 * completion fills it.
 *
 * The loop dispatches every message of the thread, not only the manager's:
 * the completion reaches the manager's window through the thread's queue, and an
 * application whose windows stopped answering (painting, other completions,
 * its own posts) for the length of a device operation would look hung. The
 * price is re-entrancy, which the standard answers: one synchronous call per
 * thread at a time, a second gets WFS_ERR_OP_IN_PROGRESS.
 *
 * A WM_QUIT ends the wait: the request is cancelled and completes at once
 * with WFS_ERR_CANCELED, and the quit is posted again for the caller's loop.
 */
#ifndef ZT_XFS_MANAGER_SYNCCALL_H
#define ZT_XFS_MANAGER_SYNCCALL_H

#include "Request.h"

namespace SyncCall {

// Issues issue(target, lpRequestID) and waits for its completion. Returns the
// call's code when it was refused, else the completion's hResult. The result
// goes to *lppResult when lppResult is given, else it is freed.
template <typename Issue>
HRESULT Run(Issue issue, LPWFSRESULT *lppResult);

// The waiting part, shared by every synchronous form.
HRESULT Wait(REQUESTID RequestID, CSyncSlot &slot, LPWFSRESULT *lppResult);
bool Begin();
void End();

template <typename Issue>
HRESULT Run(Issue issue, LPWFSRESULT *lppResult)
{
    if (lppResult)
        *lppResult = nullptr;
    if (!Begin())
        return WFS_ERR_OP_IN_PROGRESS;
    CSyncSlot slot;
    REQUESTID RequestID = 0;
    HRESULT hr = issue(CTarget{nullptr, &slot}, &RequestID);
    if (hr == WFS_SUCCESS)
        hr = Wait(RequestID, slot, lppResult);
    End();
    return hr;
}

} // namespace SyncCall

#endif
