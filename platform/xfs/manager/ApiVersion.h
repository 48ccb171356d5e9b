/*
 * The API versions this manager speaks, and the SPI range it asks of
 * providers.
 */
#ifndef ZT_XFS_MANAGER_APIVERSION_H
#define ZT_XFS_MANAGER_APIVERSION_H

#include <xfsapi.h>

namespace ApiVersion {

// 3.00 to 3.03 (low byte major, high byte minor).
const DWORD kSpiVersionsRequired = 0x03030003;

// The version both sides accept, or the standard's code for why there is
// none; *lpVersion is filled either way (a refusal tells the caller which
// versions would have done). A high word of 0 sets no upper bound.
HRESULT Negotiate(DWORD dwVersionsRequired, LPWFSVERSION lpVersion);

} // namespace ApiVersion

#endif
