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

// Each kind is the message of its completion.
enum class RequestKind : UINT {
    Open = WFS_OPEN_COMPLETE,
    Close = WFS_CLOSE_COMPLETE,
    Lock = WFS_LOCK_COMPLETE,
    Unlock = WFS_UNLOCK_COMPLETE,
    Register = WFS_REGISTER_COMPLETE,
    Deregister = WFS_DEREGISTER_COMPLETE,
    Execute = WFS_EXECUTE_COMPLETE,
    GetInfo = WFS_GETINFO_COMPLETE
};

struct CProviderRequest {
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
    CCommandData data;

    bool bCancelled = false;
    bool bDelayKnown = false;
    DWORD dwDelay = 0;    // injected hold-back
    std::unique_ptr<CKeyboardRead> read; // a read that has started
    DWORD dwReadToken = 0;
};

struct CRegistration {
    HWND hWndReg;
    DWORD dwEventClasses;
};

struct CSession {
    std::shared_ptr<CPanelConfig> config;
    std::list<CRegistration> registrations;
    DWORD dwTraceLevel = 0;
};

typedef std::map<HSERVICE, CSession> SessionMap;

std::unique_ptr<CProviderRequest> NewRequest(RequestKind kind, HSERVICE hService, HWND hWnd,
                                    REQUESTID reqId, DWORD dwCode = 0);

/* True once the request's time-out has passed; else dwWait is lowered to
   the time left. */
bool TimedOut(const CProviderRequest &request, DWORD dwNow, DWORD &dwWait);

/* Posts the request's completion with hr and no data. */
void Complete(const CProviderRequest &request, HRESULT hr);

/* Completes the request with WFS_ERR_TIMEOUT once its time-out has passed
   (true); else lowers dwWait to the time left. */
bool CompleteIfTimedOut(const CProviderRequest &request, DWORD dwNow, DWORD &dwWait);

/* Whether the panel's lock keeps this session out. */
bool LockedByOther(const CPanelState &state, HSERVICE hService);

#endif
