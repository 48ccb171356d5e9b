/*
 * An execute request at the head of the device's queue: the command runs
 * (or a read starts and is fed keys) on the shared panel, its execute
 * events and its completion go to the window that made it.
 */
#ifndef ZT_TTUSIM_EXECUTEREQUEST_H
#define ZT_TTUSIM_EXECUTEREQUEST_H

#include "ProviderRequest.h"

/* True when the request is done (its completion posted); else dwWait is
   lowered to when it must be looked at again. */
bool ProgressExecute(CProviderRequest &request, const CPanelConfig &config, DWORD dwNow,
                     DWORD &dwWait);

/* Gives the keyboard back when the request's read holds it. */
void ReleaseRead(CProviderRequest &request);

#endif
