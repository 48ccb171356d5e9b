// The two registry settings that choose how fatal errors are reported, read
// once when the context is created.
#include "CoreTestSupport.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Zentrik";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CTTUContext::ReleaseInstance();
        HKEY hKey = nullptr;
        m_bKeyExisted = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        if (m_bKeyExisted) {
            m_bHadSrvMode = Read(hKey, L"SrvMode", &m_dwSrvMode);
            m_bHadErrHandle = Read(hKey, L"ErrHandle", &m_dwErrHandle);
            RegCloseKey(hKey);
        }
    }
    void TearDown() override
    {
        CTTUContext::ReleaseInstance();
        RemoveSettings();
        if (m_bKeyExisted) {
            if (m_bHadSrvMode)
                Write(L"SrvMode", m_dwSrvMode);
            if (m_bHadErrHandle)
                Write(L"ErrHandle", m_dwErrHandle);
        }
    }

    static bool Read(HKEY hKey, LPCWSTR lpszName, DWORD *pdwValue)
    {
        DWORD cb = sizeof *pdwValue;
        return RegQueryValueExW(hKey, lpszName, nullptr, nullptr, reinterpret_cast<LPBYTE>(pdwValue),
                                &cb) == ERROR_SUCCESS;
    }
    static void Write(LPCWSTR lpszName, DWORD dwValue)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &hKey, nullptr));
        RegSetValueExW(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dwValue),
                       sizeof dwValue);
        RegCloseKey(hKey);
    }
    // Removes both values, and the key when nothing else lives in it.
    static void RemoveSettings()
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
            return;
        RegDeleteValueW(hKey, L"SrvMode");
        RegDeleteValueW(hKey, L"ErrHandle");
        RegCloseKey(hKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey); // fails while subkeys exist
    }
    static bool KeyExists()
    {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
            return false;
        RegCloseKey(hKey);
        return true;
    }
    // A context created now, as at module load.
    static std::pair<int, int> FreshSettings()
    {
        CTTUContext::ReleaseInstance();
        CTTUContext *pContext = CTTUContext::GetInstance();
        return {pContext->GetSrvMode(), pContext->GetErrHandle()};
    }

    bool m_bKeyExisted = false;
    bool m_bHadSrvMode = false;
    bool m_bHadErrHandle = false;
    DWORD m_dwSrvMode = 0;
    DWORD m_dwErrHandle = 0;
};

TEST_F(SettingsTest, DefaultsWithoutTheKeyOrWithoutAValue)
{
    RemoveSettings();
    if (!KeyExists()) {
        EXPECT_EQ(std::make_pair(0, 1), FreshSettings()) << "no key";
    }

    Write(L"SrvMode", 1);
    EXPECT_EQ(std::make_pair(1, 1), FreshSettings()) << "only SrvMode";

    RemoveSettings();
    Write(L"ErrHandle", 0);
    EXPECT_EQ(std::make_pair(0, 0), FreshSettings()) << "only ErrHandle";
}

TEST_F(SettingsTest, ValuesAreReadOnceWhenTheContextIsCreated)
{
    Write(L"SrvMode", 2);
    Write(L"ErrHandle", 7);
    EXPECT_EQ(std::make_pair(2, 7), FreshSettings());

    // Changing the registry later does not reach the living context.
    Write(L"SrvMode", 0);
    EXPECT_EQ(2, CTTUContext::GetInstance()->GetSrvMode());
    EXPECT_EQ(std::make_pair(0, 7), FreshSettings());
}

} // namespace
