#include "ServiceConfig.h"

#include <xfsapi.h>

#include <map>
#include <vector>

#include "CriticalSectionLock.h"
#include "RegistryWatch.h"

namespace {

const char kLogicalServicesKey[] = "SOFTWARE\\XFS\\LOGICAL_SERVICES\\";
const char kServiceProvidersKey[] = "SOFTWARE\\XFS\\SERVICE_PROVIDERS\\";

struct CRawValue {
    bool bFound;
    DWORD dwType;
    std::vector<char> data; // zero-terminated
};

// The values of HKLM\<subkey> as the registry holds them. Opens look the
// same few values up again and again, and each look-up is a round trip to
// the registry: the values read are kept until anything below SOFTWARE\XFS
// changes, which the watch tells at the price of one look at an event per
// open (Refresh).
class CRawValues {
public:
    static CRawValues &Instance()
    {
        static CRawValues values;
        return values;
    }
    void Refresh()
    {
        CCriticalSectionLock lock(m_cs);
        if (m_watch.Changed())
            m_values.clear();
    }
    CRawValue Read(const std::string &strSubKey, LPCSTR lpszValue)
    {
        const std::string strName = strSubKey + '\n' + lpszValue;
        CCriticalSectionLock lock(m_cs);
        auto it = m_values.find(strName);
        if (it != m_values.end())
            return it->second;
        CRawValue raw = {false, 0, {}};
        HKEY hKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) ==
            ERROR_SUCCESS) {
            DWORD cbData = 0;
            raw.bFound = RegQueryValueExA(hKey, lpszValue, nullptr, &raw.dwType, nullptr,
                                          &cbData) == ERROR_SUCCESS;
            raw.data.assign(cbData + 1, '\0');
            if (raw.bFound)
                raw.bFound = RegQueryValueExA(hKey, lpszValue, nullptr, &raw.dwType,
                                              reinterpret_cast<BYTE *>(raw.data.data()),
                                              &cbData) == ERROR_SUCCESS;
            RegCloseKey(hKey);
        }
        m_values[strName] = raw;
        return raw;
    }

private:
    CRawValues() { InitializeCriticalSection(&m_cs); }

    CRITICAL_SECTION m_cs;
    CRegistryWatch m_watch{HKEY_LOCAL_MACHINE, L"SOFTWARE\\XFS"};
    std::map<std::string, CRawValue> m_values;
};

// A string value of HKLM\<subkey>, environment references expanded (each
// time: the environment may have changed); false when the key or the value
// is missing, empty or not a string.
bool ReadString(const std::string &strSubKey, LPCSTR lpszValue, std::string &strOut)
{
    CRawValue raw = CRawValues::Instance().Read(strSubKey, lpszValue);
    std::vector<char> &value = raw.data;
    if (!raw.bFound || (raw.dwType != REG_SZ && raw.dwType != REG_EXPAND_SZ) || value.empty() ||
        value[0] == '\0')
        return false;
    if (raw.dwType == REG_EXPAND_SZ) {
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
    CRawValues::Instance().Refresh();
    if (!IsPlainKeyName(lpszLogicalName) ||
        !ReadString(std::string(kLogicalServicesKey) + lpszLogicalName, "provider", strProvider))
        return WFS_ERR_SERVICE_NOT_FOUND;
    if (!IsPlainKeyName(strProvider.c_str()) ||
        !ReadString(std::string(kServiceProvidersKey) + strProvider, "dllname", strDllPath))
        return WFS_ERR_INVALID_SERVPROV;
    return WFS_SUCCESS;
}
