#include "SyncCall.h"

#include "BufferHeap.h"
#include "XfsManager.h"

bool SyncCall::Begin() { return CXfsManager::Instance().BeginBlockingCall(); }

void SyncCall::End() { CXfsManager::Instance().EndBlockingCall(); }

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
