#include "CallCounters.h"

#include <cstring>

namespace {

const char *const kNames[] = {
    "WFSStartUp", "WFSCleanUp", "WFSCreateAppHandle", "WFSDestroyAppHandle",
    "WFSAsyncOpen", "WFSAsyncClose", "WFSAsyncRegister", "WFSAsyncDeregister", "WFSAsyncLock",
    "WFSAsyncUnlock", "WFSAsyncExecute", "WFSAsyncGetInfo", "WFSCancelAsyncRequest",
    "WFSFreeResult", "WFMSetTraceLevel",
    "WFSOpen", "WFSClose", "WFSRegister", "WFSDeregister", "WFSLock", "WFSUnlock", "WFSExecute",
    "WFSGetInfo",
    "WFMAllocateBuffer", "WFMAllocateMore", "WFMFreeBuffer",
};
const int kCount = static_cast<int>(ApiFunction::Count);
static_assert(sizeof(kNames) / sizeof(kNames[0]) == kCount, "one name per API function");

volatile LONG g_counts[kCount];
// A time-out is a full DWORD (0xFFFFFFFF is a valid one), so whether there
// was a call is kept beside it.
volatile LONG g_timeOuts[kCount];
volatile LONG g_timedCalls[kCount];

int IndexOf(LPCSTR lpszFunction)
{
    for (int i = 0; lpszFunction && i < kCount; ++i) {
        if (std::strcmp(kNames[i], lpszFunction) == 0)
            return i;
    }
    return -1;
}

} // namespace

void CallCounters::Count(ApiFunction function)
{
    InterlockedIncrement(&g_counts[static_cast<int>(function)]);
}

void CallCounters::Count(ApiFunction function, DWORD dwTimeOut)
{
    const int i = static_cast<int>(function);
    InterlockedExchange(&g_timeOuts[i], static_cast<LONG>(dwTimeOut));
    InterlockedExchange(&g_timedCalls[i], 1);
    Count(function);
}

LONG CallCounters::Get(LPCSTR lpszFunction)
{
    const int i = IndexOf(lpszFunction);
    return i < 0 ? -1 : InterlockedCompareExchange(&g_counts[i], 0, 0);
}

BOOL CallCounters::LastTimeOut(LPCSTR lpszFunction, LPDWORD lpdwTimeOut)
{
    const int i = IndexOf(lpszFunction);
    if (i < 0 || !lpdwTimeOut || !InterlockedCompareExchange(&g_timedCalls[i], 0, 0))
        return FALSE;
    *lpdwTimeOut = static_cast<DWORD>(InterlockedCompareExchange(&g_timeOuts[i], 0, 0));
    return TRUE;
}

void CallCounters::Reset()
{
    for (int i = 0; i < kCount; ++i)
        InterlockedExchange(&g_counts[i], 0), InterlockedExchange(&g_timedCalls[i], 0);
}
