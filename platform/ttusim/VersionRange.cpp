#include "VersionRange.h"

#include <cstring>

namespace {

// Versions this provider speaks (low byte major, high byte minor): the TTU
// structures of 3.00 to 3.03 are laid out alike.
constexpr WORD kLowestVersion = 0x0003;  // 3.00
constexpr WORD kHighestVersion = 0x0303; // 3.03

int VersionOrder(WORD wVersion)
{
    return (wVersion & 0xFF) * 256 + (wVersion >> 8);
}

} // namespace

HRESULT NegotiateVersion(DWORD dwRequired, LPWFSVERSION lpVersion, HRESULT hrTooLow,
                         HRESULT hrTooHigh)
{
    WORD wLow = LOWORD(dwRequired), wHigh = HIWORD(dwRequired);
    HRESULT hr = WFS_SUCCESS;
    WORD wVersion = kHighestVersion;
    if (wHigh && VersionOrder(wHigh) < VersionOrder(kLowestVersion))
        hr = hrTooLow;
    else if (VersionOrder(wLow) > VersionOrder(kHighestVersion))
        hr = hrTooHigh;
    else if (wHigh && VersionOrder(wHigh) < VersionOrder(kHighestVersion))
        wVersion = wHigh;
    if (lpVersion) {
        memset(lpVersion, 0, sizeof *lpVersion);
        lpVersion->wVersion = hr == WFS_SUCCESS ? wVersion : 0;
        lpVersion->wLowVersion = kLowestVersion;
        lpVersion->wHighVersion = kHighestVersion;
        strcpy(lpVersion->szDescription, "ZT virtual operator panel (TTU)");
        strcpy(lpVersion->szSystemStatus, hr == WFS_SUCCESS ? "" : "version not supported");
    }
    return hr;
}
