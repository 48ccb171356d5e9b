#include "MessagePump.h"

namespace zt_scriptevents {
namespace {

// Dispatches what is queued now; false once WM_QUIT has been taken out.
bool DispatchQueued(WPARAM *pwQuitCode)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            *pwQuitCode = msg.wParam;
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

} // namespace

HRESULT PumpMessages(DWORD dwMilliseconds, PumpCondition *pCondition, bool *pbMet)
{
    *pbMet = false;
    const ULONGLONG ullStart = GetTickCount64();
    bool bQuitSeen = false;
    WPARAM wQuitCode = 0;
    HRESULT hr = S_OK;
    for (;;) {
        // After a WM_QUIT the wait goes on (it never ends early), but
        // messages are left queued: the thread is on its way out.
        if (!bQuitSeen)
            bQuitSeen = !DispatchQueued(&wQuitCode);
        if (pCondition) {
            hr = pCondition->IsMet(pbMet);
            if (FAILED(hr) || *pbMet)
                break;
        }
        const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
        if (ullElapsed >= dwMilliseconds)
            break;
        const DWORD dwLeft = static_cast<DWORD>(dwMilliseconds - ullElapsed);
        if (bQuitSeen)
            Sleep(dwLeft);
        else
            MsgWaitForMultipleObjectsEx(0, nullptr, dwLeft, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (bQuitSeen)
        PostQuitMessage(static_cast<int>(wQuitCode));
    return hr;
}

} // namespace zt_scriptevents
