#include "SyncCall.h"

#include "BufferHeap.h"
#include "CriticalSectionLock.h"
#include "XfsManager.h"

#include <new>
#include <set>

namespace {

// The threads inside a synchronous call. Never destroyed: a call may end
// while the process shuts down.
struct CBlockingThreads {
    CBlockingThreads() { InitializeCriticalSection(&cs); }
    CRITICAL_SECTION cs;
    std::set<DWORD> threads;
};

CBlockingThreads &BlockingThreads()
{
    static CBlockingThreads *pThreads = new CBlockingThreads();
    return *pThreads;
}

} // namespace

bool SyncCall::Begin()
{
    CBlockingThreads &blocking = BlockingThreads();
    CCriticalSectionLock lock(blocking.cs);
    try {
        return blocking.threads.insert(GetCurrentThreadId()).second;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

void SyncCall::End()
{
    CBlockingThreads &blocking = BlockingThreads();
    CCriticalSectionLock lock(blocking.cs);
    blocking.threads.erase(GetCurrentThreadId());
}

HRESULT SyncCall::Wait(REQUESTID RequestID, CSyncSlot &slot, LPWFSRESULT *lppResult)
{
    bool bQuit = false;
    WPARAM nQuitCode = 0;
    while (!slot.bDone) {
        MSG msg;
        BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        if (bGot > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (bGot == 0) {
            bQuit = true;
            nQuitCode = msg.wParam;
        }
        CXfsManager::Instance().Abandon(RequestID);
    }
    if (bQuit)
        PostQuitMessage(static_cast<int>(nQuitCode));
    if (lppResult)
        *lppResult = slot.lpResult;
    else if (slot.lpResult)
        CBufferHeap::Instance().Free(slot.lpResult);
    return slot.hResult;
}
