/*
 * What moves a request on, one pass at a time, until its completion: the
 * open's outcome, close, lock and unlock of the shared panel, registrations,
 * information requests and (ExecuteRequest.h) commands. Runs under the
 * provider's lock.
 */
#ifndef ZT_TTUSIM_REQUESTMACHINE_H
#define ZT_TTUSIM_REQUESTMACHINE_H

#include "ProviderRequest.h"

class CRequestMachine {
public:
    explicit CRequestMachine(SessionMap &sessions) : m_sessions(sessions) {}

    /* True when the request is done (its completion posted). bDeviceBusy:
       an earlier command of this process holds the device; dwWait is
       lowered to when the request must be looked at again. */
    bool Progress(CProviderRequest &request, DWORD dwNow, bool &bDeviceBusy, DWORD &dwWait);

private:
    bool ProgressLock(CProviderRequest &request, DWORD dwNow, DWORD &dwWait);
    bool ProgressInfo(CProviderRequest &request, DWORD dwNow, DWORD &dwWait);
    static HRESULT Register(CSession &session, const CProviderRequest &request);
    static HRESULT Deregister(CSession &session, const CProviderRequest &request);
    void FinishRegistration(CProviderRequest &request);
    static bool ReleaseLock(HSERVICE hService);
    void FinishClose(CProviderRequest &request);

    SessionMap &m_sessions;
};

#endif
