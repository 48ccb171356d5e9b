// The two registry settings that choose how fatal errors are reported, read
// once when the context is created. The test owns the whole key while it
// runs: a copy is kept aside and put back afterwards.
#include "CoreTestSupport.h"

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Zentrik";
const wchar_t kSaved[] = L"SOFTWARE\\ZentrikSavedBySettingsTest";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CTTUContext::ReleaseInstance();
        HKEY hKey = nullptr, hSaved = nullptr;
        m_bKeyExisted = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        if (m_bKeyExisted) {
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSaved, 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, &hSaved, nullptr));
            ASSERT_EQ(ERROR_SUCCESS, RegCopyTreeW(hKey, nullptr, hSaved));
            RegCloseKey(hSaved);
            RegCloseKey(hKey);
            ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey));
        }
    }
    void TearDown() override
    {
        CTTUContext::ReleaseInstance();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
        if (!m_bKeyExisted)
            return;
        HKEY hKey = nullptr, hSaved = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSaved, 0, KEY_READ, &hSaved);
        EXPECT_EQ(ERROR_SUCCESS, RegCopyTreeW(hSaved, nullptr, hKey));
        RegCloseKey(hSaved);
        RegCloseKey(hKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSaved);
    }
    static void Write(LPCWSTR lpszName, DWORD dwValue)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE,
                                                 nullptr, &hKey, nullptr));
        RegSetValueExW(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dwValue),
                       sizeof dwValue);
        RegCloseKey(hKey);
    }
    // A context created now, as at module load.
    static std::pair<int, int> FreshSettings()
    {
        CTTUContext::ReleaseInstance();
        return {CTTUContext::GetInstance()->GetSrvMode(), CTTUContext::GetInstance()->GetErrHandle()};
    }

    bool m_bKeyExisted = false;
};

TEST_F(SettingsTest, DefaultsWithoutTheKeyOrAValueAndReadOnlyOnce)
{
    EXPECT_EQ(std::make_pair(0, 1), FreshSettings()) << "no key";
    Write(L"SrvMode", 1);
    EXPECT_EQ(std::make_pair(1, 1), FreshSettings()) << "only SrvMode";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey);
    Write(L"ErrHandle", 0);
    EXPECT_EQ(std::make_pair(0, 0), FreshSettings()) << "only ErrHandle";

    Write(L"SrvMode", 2);
    Write(L"ErrHandle", 7);
    EXPECT_EQ(std::make_pair(2, 7), FreshSettings());
    // Changing the registry later does not reach the living context.
    Write(L"SrvMode", 0);
    EXPECT_EQ(2, CTTUContext::GetInstance()->GetSrvMode());
    EXPECT_EQ(std::make_pair(0, 7), FreshSettings());
}

} // namespace
