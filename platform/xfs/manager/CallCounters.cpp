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

} // namespace

void CallCounters::Count(ApiFunction function)
{
    InterlockedIncrement(&g_counts[static_cast<int>(function)]);
}

LONG CallCounters::Get(LPCSTR lpszFunction)
{
    if (!lpszFunction)
        return -1;
    for (int i = 0; i < kCount; ++i) {
        if (std::strcmp(kNames[i], lpszFunction) == 0)
            return InterlockedCompareExchange(&g_counts[i], 0, 0);
    }
    return -1;
}

void CallCounters::Reset()
{
    for (int i = 0; i < kCount; ++i)
        InterlockedExchange(&g_counts[i], 0);
}
