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
// -1 for a name that is no API function: a mistyped name in a test must not
// read as "never called".
LONG Get(LPCSTR lpszFunction);
void Reset();
} // namespace CallCounters

#endif
