#include "FaultTable.h"

#include <algorithm>

namespace {

DWORD FaultIndex(bool bCategory, DWORD dwCode)
{
    return dwCode - (bCategory ? WFS_INF_TTU_STATUS : WFS_CMD_TTU_BEEP);
}

} // namespace

bool HasFaultEntry(bool bCategory, DWORD dwCode)
{
    return FaultIndex(bCategory, dwCode) < (DWORD)(bCategory ? kNumCategories : kNumCommands);
}

CInjectedFault *FindFault(CPanelState &state, bool bCategory, DWORD dwCode)
{
    if (!HasFaultEntry(bCategory, dwCode))
        return nullptr;
    DWORD i = FaultIndex(bCategory, dwCode);
    return bCategory ? &state.categoryFaults[i] : &state.commandFaults[i];
}

bool DelayOver(CProviderRequest &request, bool bCategory, DWORD dwNow, DWORD &dwWait)
{
    if (!request.bDelayKnown) {
        CSharedPanel::Access state;
        const CInjectedFault *lpFault = FindFault(*state, bCategory, request.dwCode);
        request.bDelayKnown = true;
        request.dwDelay = lpFault ? lpFault->dwDelay : 0;
    }
    DWORD dwElapsed = dwNow - request.dwStart;
    if (dwElapsed >= request.dwDelay)
        return true;
    dwWait = std::min(dwWait, request.dwDelay - dwElapsed);
    return false;
}

bool TakeFault(CPanelState &state, bool bCategory, DWORD dwCode, HRESULT &hr)
{
    CInjectedFault *lpFault = FindFault(state, bCategory, dwCode);
    if (!lpFault || lpFault->nCount <= 0)
        return false;
    --lpFault->nCount;
    hr = lpFault->hResult;
    return true;
}
