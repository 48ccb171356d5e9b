/*
 * The failures and hold-backs injected for a command or category (the
 * tables of the shared panel), as a request meets them.
 */
#ifndef ZT_TTUSIM_FAULTTABLE_H
#define ZT_TTUSIM_FAULTTABLE_H

#include "ProviderRequest.h"
#include "SharedPanel.h"

/* The hold-back injected for this request; true once it has passed, else
   dwWait is lowered to the time left. */
bool DelayOver(CProviderRequest &request, const CInjectedFault *faults, DWORD dwFirstCode,
               int nCodes, DWORD dwNow, DWORD &dwWait);

/* Takes one injected failure of this code, if there is one. */
bool TakeFault(CInjectedFault *faults, DWORD dwFirstCode, int nCodes, DWORD dwCode, HRESULT &hr);

#endif
