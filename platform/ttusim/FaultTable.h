/*
 * The failures and hold-backs injected for a command or an information
 * category (the tables of the shared panel).
 */
#ifndef ZT_TTUSIM_FAULTTABLE_H
#define ZT_TTUSIM_FAULTTABLE_H

#include "ProviderRequest.h"
#include "SharedPanel.h"

/* Whether the code is a TTU command (or, bCategory, a TTU category). */
bool HasFaultEntry(bool bCategory, DWORD dwCode);

/* The injected fault of a TTU command or category; null for another code. */
CInjectedFault *FindFault(CPanelState &state, bool bCategory, DWORD dwCode);

/* The hold-back injected for this request (looked at under the panel's
   lock); true once it has passed, else dwWait is lowered to the time left. */
bool DelayOver(CProviderRequest &request, bool bCategory, DWORD dwNow, DWORD &dwWait);

/* Takes one injected failure of this code, if there is one. */
bool TakeFault(CPanelState &state, bool bCategory, DWORD dwCode, HRESULT &hr);

#endif
