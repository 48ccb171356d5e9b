#include "ApiVersion.h"

#include <cstring>

namespace {

const WORD kLowestApiVersion = 0x0003;
const WORD kHighestApiVersion = 0x0303;
const char kDescription[] = "ZT XFS Manager 3.03";

// Version words compare by major, then minor.
int VersionOrder(WORD wVersion) { return (LOBYTE(wVersion) << 8) | HIBYTE(wVersion); }

HRESULT Agree(DWORD dwVersionsRequired, WORD *pwVersion)
{
    WORD wLow = LOWORD(dwVersionsRequired);
    WORD wHigh = HIWORD(dwVersionsRequired);
    if (VersionOrder(wLow) > VersionOrder(kHighestApiVersion))
        return WFS_ERR_API_VER_TOO_HIGH;
    if (wHigh == 0 || VersionOrder(wHigh) > VersionOrder(kHighestApiVersion))
        wHigh = kHighestApiVersion;
    // Also an inverted range (high below low) leaves nothing to agree on.
    if (VersionOrder(wHigh) < VersionOrder(kLowestApiVersion) ||
        VersionOrder(wHigh) < VersionOrder(wLow))
        return WFS_ERR_API_VER_TOO_LOW;
    *pwVersion = wHigh;
    return WFS_SUCCESS;
}

} // namespace

HRESULT ApiVersion::Negotiate(DWORD dwVersionsRequired, LPWFSVERSION lpVersion)
{
    WORD wVersion = 0;
    HRESULT hr = Agree(dwVersionsRequired, &wVersion);
    std::memset(lpVersion, 0, sizeof *lpVersion);
    lpVersion->wVersion = wVersion;
    lpVersion->wLowVersion = kLowestApiVersion;
    lpVersion->wHighVersion = kHighestApiVersion;
    std::strcpy(lpVersion->szDescription, kDescription);
    return hr;
}
