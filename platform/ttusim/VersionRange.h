/*
 * The SPI and TTU service versions this provider speaks.
 */
#ifndef ZT_TTUSIM_VERSIONRANGE_H
#define ZT_TTUSIM_VERSIONRANGE_H

#include "xfsspi.h"

/* The version to use for a required range (a high word of 0 means no upper
   bound), or hrTooLow / hrTooHigh; lpVersion, when given, tells which
   versions would have done. */
HRESULT NegotiateVersion(DWORD dwRequired, LPWFSVERSION lpVersion, HRESULT hrTooLow,
                         HRESULT hrTooHigh);

#endif
