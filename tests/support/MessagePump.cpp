#include "MessagePump.h"

namespace {

const DWORD kPollMs = 5;

void DispatchQueued()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

bool PumpUntil(const std::function<bool()> &done, DWORD dwMilliseconds)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwMilliseconds;
    for (;;) {
        DispatchQueued();
        if (done())
            return true;
        const ULONGLONG ullNow = GetTickCount64();
        if (ullNow >= ullEnd)
            return false;
        DWORD dwWait = static_cast<DWORD>(ullEnd - ullNow);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwWait < kPollMs ? dwWait : kPollMs,
                                  QS_ALLINPUT);
    }
}
