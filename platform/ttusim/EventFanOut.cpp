#include "EventFanOut.h"

#include <cstring>

#include "ResultBuilder.h"

void CEventFanOut::StartFromNow()
{
    CSharedPanel::Access state;
    memcpy(m_seenStatusChanges, state->statusChanges, sizeof m_seenStatusChanges);
    m_dwSeenSystemEvents = state->dwSystemEventCount;
}

void CEventFanOut::WatchPanel()
{
    DWORD statusChanges[kStatusWords], dwSystemEvents;
    DWORD events[kSystemEventRing];
    {
        CSharedPanel::Access state;
        CSharedPanel::CountStatusChanges(*state); // also those of an Access still open here
        memcpy(statusChanges, state->statusChanges, sizeof statusChanges);
        dwSystemEvents = state->dwSystemEventCount;
        memcpy(events, state->systemEvents, sizeof events);
    }
    WORD fwChanged = 0;
    for (int i = 0; i < kStatusWords; ++i)
        if (statusChanges[i] != m_seenStatusChanges[i])
            fwChanged |= (WORD)(1u << i); // kStatusDevice, kStatusKeyboard, ..
    memcpy(m_seenStatusChanges, statusChanges, sizeof m_seenStatusChanges);
    if (fwChanged)
        SendSystemEvent(WFS_SYSE_DEVICE_STATUS, fwChanged);
    // More events than the ring holds since the last look: the oldest are
    // gone; the ones still there are sent.
    if (dwSystemEvents - m_dwSeenSystemEvents > (DWORD)kSystemEventRing)
        m_dwSeenSystemEvents = dwSystemEvents - kSystemEventRing;
    for (; m_dwSeenSystemEvents != dwSystemEvents; ++m_dwSeenSystemEvents)
        SendSystemEvent(events[m_dwSeenSystemEvents % kSystemEventRing], 0);
}

/* fwStatusChanged: the status words whose change the event reports (0 for
   an injected event); a session hears of a change when its StatusEvents
   names one of them. */
void CEventFanOut::SendSystemEvent(DWORD dwEventID, WORD fwStatusChanged)
{
    for (auto &entry : m_sessions) {
        if (fwStatusChanged && !(entry.second.config->fwStatusEvents & fwStatusChanged))
            continue;
        for (const CRegistration &registration : entry.second.registrations)
            if (registration.dwEventClasses & SYSTEM_EVENTS) {
                CResultBuilder result(0, entry.first, dwEventID, WFS_SUCCESS);
                PostResult(registration.hWndReg, WFS_SYSTEM_EVENT, result.Detach());
            }
    }
}

void CEventFanOut::PostExecuteEvents(const CProviderRequest &request, const EventList &events)
{
    for (const CExecuteEvent &event : events) {
        CResultBuilder result(request.id, request.hService, event.dwEventID, WFS_SUCCESS);
        if (event.dwEventID == WFS_EXEE_TTU_KEY) {
            LPWFSTTUKEY lpKey = result.Add<WFSTTUKEY>();
            if (lpKey)
                *lpKey = event.key;
            result.SetBuffer(lpKey);
        } else {
            LPWFSTTUFIELDFAIL lpFail = result.Add<WFSTTUFIELDFAIL>();
            if (lpFail) {
                lpFail->lpszFormName = result.String(event.strForm);
                lpFail->lpszFieldName = result.String(event.strField);
                lpFail->wFailure = event.wFailure;
            }
            result.SetBuffer(lpFail);
        }
        PostResult(request.hWnd, WFS_EXECUTE_EVENT, result.Detach());
    }
}
