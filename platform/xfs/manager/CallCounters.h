/*
 * How often each API function was called in this process, whatever the
 * result: tests and benchmarks read them through WFMDiagCallCount to see
 * what an application really asked of the manager.
 */
#ifndef ZT_XFS_MANAGER_CALLCOUNTERS_H
#define ZT_XFS_MANAGER_CALLCOUNTERS_H

#include <windows.h>

enum class ApiFunction {
    StartUp, CleanUp, CreateAppHandle, DestroyAppHandle,
    AsyncOpen, AsyncClose, AsyncRegister, AsyncDeregister, AsyncLock, AsyncUnlock,
    AsyncExecute, AsyncGetInfo, CancelAsyncRequest, FreeResult, SetTraceLevel,
    Open, Close, Register, Deregister, Lock, Unlock, Execute, GetInfo,
    AllocateBuffer, AllocateMore, FreeBuffer,
    Count
};

namespace CallCounters {
void Count(ApiFunction function);
// The same, for a function that takes a time-out: the last one is kept.
void Count(ApiFunction function, DWORD dwTimeOut);
// -1 for a name that is no API function: a mistyped name in a test must not
// read as "never called".
LONG Get(LPCSTR lpszFunction);
// The time-out of the last call that took one; FALSE when there was none
// since the last Reset (or for a name that is no API function).
BOOL LastTimeOut(LPCSTR lpszFunction, LPDWORD lpdwTimeOut);
void Reset();
} // namespace CallCounters

#endif
