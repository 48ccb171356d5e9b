#include "TraceSettings.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Zentrik\\Trace";

bool ReadEnvironment(const wchar_t *pszName, std::wstring &value)
{
    wchar_t buffer[MAX_PATH * 2];
    DWORD cch = GetEnvironmentVariableW(pszName, buffer, MAX_PATH * 2);
    if (cch == 0 || cch >= MAX_PATH * 2)
        return false;
    value.assign(buffer, cch);
    return true;
}

std::wstring Expand(const std::wstring &text)
{
    wchar_t buffer[MAX_PATH * 2];
    DWORD cch = ExpandEnvironmentStringsW(text.c_str(), buffer, MAX_PATH * 2);
    if (cch == 0 || cch > MAX_PATH * 2)
        return text;
    return buffer;
}

std::wstring WithoutTrailingSlash(std::wstring folder)
{
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

std::wstring DefaultFolder()
{
    wchar_t temp[MAX_PATH + 1];
    DWORD cch = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder = (cch > 0 && cch <= MAX_PATH) ? std::wstring(temp, cch) : L"C:\\";
    return WithoutTrailingSlash(folder) + L"\\ZTOperatorPanelX";
}

} // namespace

CTraceSettings CTraceSettings::Load()
{
    CTraceSettings settings;
    std::wstring folder;
    bool bHaveFolder = false;
    bool bHaveLevel = false;

    std::wstring level;
    if (ReadEnvironment(L"ZT_TRACE_LEVEL", level)) {
        settings.nMaxLevel = static_cast<int>(std::wcstol(level.c_str(), nullptr, 10));
        bHaveLevel = true;
    }
    if (ReadEnvironment(L"ZT_TRACE_DIR", folder) && !folder.empty())
        bHaveFolder = true;

    HKEY hKey = nullptr;
    if ((!bHaveFolder || !bHaveLevel) &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        if (!bHaveFolder) {
            wchar_t buffer[MAX_PATH * 2] = {};
            DWORD cb = sizeof buffer - sizeof(wchar_t);
            DWORD type = 0;
            if (RegQueryValueExW(hKey, L"Folder", nullptr, &type, reinterpret_cast<BYTE *>(buffer),
                                 &cb) == ERROR_SUCCESS &&
                (type == REG_SZ || type == REG_EXPAND_SZ) && buffer[0] != L'\0') {
                folder = Expand(buffer);
                bHaveFolder = true;
            }
        }
        if (!bHaveLevel) {
            DWORD value = 0;
            DWORD cb = sizeof value;
            DWORD type = 0;
            if (RegQueryValueExW(hKey, L"MaxLevel", nullptr, &type,
                                 reinterpret_cast<BYTE *>(&value), &cb) == ERROR_SUCCESS &&
                type == REG_DWORD)
                settings.nMaxLevel = static_cast<int>(value);
        }
        RegCloseKey(hKey);
    }
    settings.strFolder = bHaveFolder ? WithoutTrailingSlash(folder) : DefaultFolder();
    return settings;
}
