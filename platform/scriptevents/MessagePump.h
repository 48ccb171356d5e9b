/*
 * Dispatching the calling thread's messages for a given time: what a script
 * does instead of WScript.Sleep so that posted completions, timers and
 * events reach their windows and sinks while it waits.
 */
#ifndef ZT_SCRIPTEVENTS_MESSAGEPUMP_H
#define ZT_SCRIPTEVENTS_MESSAGEPUMP_H

#include <windows.h>

namespace zt_scriptevents {

// Asked after each batch of messages whether the wait is over.
class PumpCondition {
public:
    virtual ~PumpCondition() = default;
    virtual HRESULT IsMet(bool *pbMet) = 0;
};

// Dispatches messages until dwMilliseconds have passed, or, with a
// condition, until it is met (it is asked before waiting at all). A WM_QUIT
// seen while pumping is posted again on the way out, so the caller's own
// loop still ends. *pbMet tells whether the condition ended the wait; a
// failing condition ends it with its error.
HRESULT PumpMessages(DWORD dwMilliseconds, PumpCondition *pCondition, bool *pbMet);

} // namespace zt_scriptevents

#endif
