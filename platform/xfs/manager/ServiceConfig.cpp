#include "ServiceConfig.h"

#include <xfsapi.h>

#include <vector>

namespace {

const char kLogicalServicesKey[] = "SOFTWARE\\XFS\\LOGICAL_SERVICES\\";
const char kServiceProvidersKey[] = "SOFTWARE\\XFS\\SERVICE_PROVIDERS\\";

// A string value of HKLM\<subkey>, environment references expanded; false
// when the key or the value is missing, empty or not a string.
bool ReadString(const std::string &strSubKey, LPCSTR lpszValue, std::string &strOut)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return false;
    DWORD dwType = 0;
    DWORD cbData = 0;
    bool bOk = RegQueryValueExA(hKey, lpszValue, nullptr, &dwType, nullptr, &cbData) ==
                   ERROR_SUCCESS &&
               (dwType == REG_SZ || dwType == REG_EXPAND_SZ);
    std::vector<char> value(cbData + 1, '\0');
    if (bOk)
        bOk = RegQueryValueExA(hKey, lpszValue, nullptr, &dwType,
                               reinterpret_cast<BYTE *>(value.data()), &cbData) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    if (!bOk || value[0] == '\0')
        return false;
    if (dwType == REG_EXPAND_SZ) {
        DWORD cchExpanded = ExpandEnvironmentStringsA(value.data(), nullptr, 0);
        std::vector<char> expanded(cchExpanded + 1, '\0');
        if (ExpandEnvironmentStringsA(value.data(), expanded.data(), cchExpanded + 1) == 0)
            return false;
        value.swap(expanded);
    }
    strOut = value.data();
    return true;
}

// A name used as one registry key must not reach into another key.
bool IsPlainKeyName(LPCSTR lpszName)
{
    return lpszName[0] != '\0' && std::string(lpszName).find('\\') == std::string::npos;
}

} // namespace

HRESULT ServiceConfig::FindProviderDll(LPCSTR lpszLogicalName, std::string &strDllPath)
{
    std::string strProvider;
    if (!IsPlainKeyName(lpszLogicalName) ||
        !ReadString(std::string(kLogicalServicesKey) + lpszLogicalName, "provider", strProvider))
        return WFS_ERR_SERVICE_NOT_FOUND;
    if (!IsPlainKeyName(strProvider.c_str()) ||
        !ReadString(std::string(kServiceProvidersKey) + strProvider, "dllname", strDllPath))
        return WFS_ERR_INVALID_SERVPROV;
    return WFS_SUCCESS;
}
