/*
 * Turns what happened on the shared panel into the system events of this
 * process's sessions, and a command's execute events into messages for the
 * window that made it.
 */
#ifndef ZT_TTUSIM_EVENTFANOUT_H
#define ZT_TTUSIM_EVENTFANOUT_H

#include "ProviderRequest.h"
#include "SharedPanel.h"

class CEventFanOut {
public:
    explicit CEventFanOut(const SessionMap &sessions) : m_sessions(sessions) {}

    /* What the panel has seen so far is no news: only later changes are
       sent. */
    void StartFromNow();
    /* Sends the system events of what changed since the last look. */
    void WatchPanel();

    static void PostExecuteEvents(const CProviderRequest &request, const EventList &events);

private:
    void SendSystemEvent(DWORD dwEventID, WORD fwStatusChanged);

    const SessionMap &m_sessions;
    DWORD m_seenStatusChanges[kStatusWords] = {};
    DWORD m_dwSeenSystemEvents = 0;
};

#endif
