/*
 * One request of an SPI call as the provider keeps it until its completion,
 * and the sessions the requests belong to.
 */
#ifndef ZT_TTUSIM_PROVIDERREQUEST_H
#define ZT_TTUSIM_PROVIDERREQUEST_H

#include <list>
#include <map>
#include <memory>

#include "CommandData.h"
#include "PanelDevice.h"
#include "xfsspi.h"

namespace ttusim {

enum class RequestKind { Open, Close, Lock, Unlock, Register, Deregister, Execute, GetInfo };

struct Request {
    RequestKind kind;
    HSERVICE hService;
    HWND hWnd;
    REQUESTID id;
    DWORD dwCode = 0;     // command or category
    DWORD dwTimeOut = 0;  // WFS_INDEFINITE_WAIT: none
    DWORD dwStart = 0;    // tick count when it was made
    DWORD dwEventClass = 0;
    HWND hWndReg = nullptr;
    HRESULT hrOpen = WFS_SUCCESS;
    CommandData data;

    bool bCancelled = false;
    bool bDelayKnown = false;
    DWORD dwDelay = 0;    // injected hold-back
    std::unique_ptr<KeyboardRead> read; // a read that has started
    DWORD dwReadToken = 0;
};

struct Registration {
    HWND hWndReg;
    DWORD dwEventClasses;
};

struct Session {
    std::shared_ptr<PanelConfig> config;
    std::list<Registration> registrations;
    DWORD dwTraceLevel = 0;
};

typedef std::map<HSERVICE, Session> SessionMap;

std::unique_ptr<Request> NewRequest(RequestKind kind, HSERVICE hService, HWND hWnd,
                                    REQUESTID reqId, DWORD dwCode = 0);

/* True once the request's time-out has passed; else dwWait is lowered to
   the time left. */
bool TimedOut(const Request &request, DWORD dwNow, DWORD &dwWait);

/* Posts the request's completion with hr and no data. */
void Complete(const Request &request, HRESULT hr);

/* Whether the panel's lock keeps this session out. */
bool LockedByOther(const PanelState &state, HSERVICE hService);

} // namespace ttusim

#endif
