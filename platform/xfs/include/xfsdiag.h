/*
 * Diagnostics of this project's XFS manager (msxfs.dll). These exports are
 * not part of the XFS API: tests and benchmarks use them to count live
 * buffers (the leak counter), to make a buffer allocation fail on purpose and
 * to count the API calls an application made. A maker's manager does not have
 * them; nothing in the control uses them.
 */
#ifndef ZT_XFSDIAG_H
#define ZT_XFSDIAG_H

#include "xfsapi.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Buffers allocated with WFMAllocateBuffer/WFMAllocateMore and not yet freed,
   counting every chained block, in this process. */
XFSAPI_EXPORT LONG WINAPI WFMDiagLiveBufferCount(void);
XFSAPI_EXPORT LONGLONG WINAPI WFMDiagLiveBufferBytes(void);

/* Make the n-th buffer allocation from now on (1 = the next one; counting
   WFMAllocateBuffer and WFMAllocateMore alike) fail with
   WFS_ERR_OUT_OF_MEMORY. 0 disarms. */
XFSAPI_EXPORT void WINAPI WFMDiagFailAllocation(LONG nth);

/* Number of calls made in this process to the API function with this name
   ("WFSAsyncGetInfo", "WFSStartUp", ...), whatever their result; -1 for a
   name that is no API function of this manager, so a mistyped name never
   reads as "not called". The synchronous forms count under their own names
   only, and the manager's internal allocations are not calls. */
XFSAPI_EXPORT LONG WINAPI WFMDiagCallCount(LPCSTR lpszFunction);
/* The dwTimeOut of the last call of this API function ("WFSAsyncExecute",
   "WFSAsyncOpen", ...) in *lpdwTimeOut; FALSE when it was not called since
   the counters were reset, or takes no time-out. */
XFSAPI_EXPORT BOOL WINAPI WFMDiagLastTimeOut(LPCSTR lpszFunction, LPDWORD lpdwTimeOut);
/* Sets every call counter back to 0 and forgets the time-outs. */
XFSAPI_EXPORT void WINAPI WFMDiagResetCallCounts(void);

#ifdef __cplusplus
}
#endif

#endif /* ZT_XFSDIAG_H */
