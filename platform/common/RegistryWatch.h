// Tells cheaply whether anything below a registry key may have changed:
// one look at an event the registry signals, where reading the values again
// would cost a round trip to the registry for every key and value. Not
// thread-safe: its user serialises the calls.
#pragma once

#include <windows.h>

class CRegistryWatch {
public:
    CRegistryWatch(HKEY hRoot, const wchar_t *pszSubKey) : m_hRoot(hRoot), m_pszSubKey(pszSubKey)
    {
    }
    ~CRegistryWatch() { Disarm(); }
    CRegistryWatch(const CRegistryWatch &) = delete;
    CRegistryWatch &operator=(const CRegistryWatch &) = delete;

    // True when what was read below the key since the last call may be
    // stale: the first time, after a change, and always while the watch
    // cannot be set (the key missing, say). The watch is set again before
    // this returns true, so values read right after it are seen to change.
    bool Changed()
    {
        if (m_hEvent && WaitForSingleObject(m_hEvent, 0) == WAIT_TIMEOUT)
            return false;
        Arm();
        return true;
    }

private:
    void Arm()
    {
        if (!m_hKey && RegOpenKeyExW(m_hRoot, m_pszSubKey, 0, KEY_NOTIFY, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
        if (m_hKey && !m_hEvent)
            m_hEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const DWORD dwFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
        if (!m_hKey || !m_hEvent ||
            RegNotifyChangeKeyValue(m_hKey, TRUE, dwFilter, m_hEvent, TRUE) != ERROR_SUCCESS)
            Disarm(); // the key went away, say: read every time until it is back
    }

    void Disarm()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
        if (m_hEvent)
            CloseHandle(m_hEvent);
        m_hKey = nullptr;
        m_hEvent = nullptr;
    }

    HKEY m_hRoot;
    const wchar_t *m_pszSubKey;
    HKEY m_hKey = nullptr;
    HANDLE m_hEvent = nullptr;
};
