#include "FaultTable.h"

#include <algorithm>

bool DelayOver(CProviderRequest &request, const CInjectedFault *faults, DWORD dwFirstCode,
               int nCodes, DWORD dwNow, DWORD &dwWait)
{
    if (!request.bDelayKnown) {
        request.bDelayKnown = true;
        DWORD i = request.dwCode - dwFirstCode;
        request.dwDelay = i < (DWORD)nCodes ? faults[i].dwDelay : 0;
    }
    DWORD dwElapsed = dwNow - request.dwStart;
    if (dwElapsed >= request.dwDelay)
        return true;
    dwWait = std::min(dwWait, request.dwDelay - dwElapsed);
    return false;
}

bool TakeFault(CInjectedFault *faults, DWORD dwFirstCode, int nCodes, DWORD dwCode, HRESULT &hr)
{
    DWORD i = dwCode - dwFirstCode;
    if (i >= (DWORD)nCodes || faults[i].nCount <= 0)
        return false;
    --faults[i].nCount;
    hr = faults[i].hResult;
    return true;
}
