/*
 * Where a logical service's provider lives, read from the XFS configuration
 * in the registry:
 *   HKLM\SOFTWARE\XFS\LOGICAL_SERVICES\<logical name>   value "provider"
 *   HKLM\SOFTWARE\XFS\SERVICE_PROVIDERS\<provider>      value "dllname"
 * Looked at at every open, so a configuration changed while the process
 * runs takes effect at the next open.
 */
#ifndef ZT_XFS_MANAGER_SERVICECONFIG_H
#define ZT_XFS_MANAGER_SERVICECONFIG_H

#include <windows.h>

#include <string>

namespace ServiceConfig {
// WFS_SUCCESS with the provider DLL's path; WFS_ERR_SERVICE_NOT_FOUND when
// the logical name is not configured; WFS_ERR_INVALID_SERVPROV when it names
// a provider that has no usable "dllname".
HRESULT FindProviderDll(LPCSTR lpszLogicalName, std::string &strDllPath);
} // namespace ServiceConfig

#endif
