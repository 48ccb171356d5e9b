// Injected faults and delays, locks between sessions, configuration
// errors, and results the manager cannot allocate.
#include <fstream>
#include <iterator>
#include <string>

#include "PanelTest.h"
#include "trcutil30.h"

namespace {

using FaultTest = PanelTest;

WFSTTUBEEP g_beep = {WFS_TTU_BEEPKEYPRESS};

TEST_F(FaultTest, InjectedCodesComeBackUnchangedForTheirCountOnly)
{
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 2, WFS_ERR_HARDWARE_ERROR), WFS_SUCCESS);
    ASSERT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, WFS_ERR_TTU_CHARSETDATA), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_ERR_TTU_CHARSETDATA);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(Snapshot().wLastBeep, 0); // a failed command did no work
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    // An injected code wins over the command's own checks.
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_READ, 1, WFS_ERR_TTU_KEYCANCELED), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, nullptr), WFS_ERR_TTU_KEYCANCELED);

    // A code no provider makes; other categories go on unaffected.
    ASSERT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, -12345), WFS_SUCCESS);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_CAPABILITIES), WFS_SUCCESS);
    LPWFSRESULT lpFailed = Session().GetInfo(WFS_INF_TTU_STATUS);
    EXPECT_EQ(Session().Code(lpFailed), -12345);
    EXPECT_EQ(lpFailed->u.dwCommandCode, DWORD(WFS_INF_TTU_STATUS));
    EXPECT_EQ(lpFailed->lpBuffer, nullptr);

    EXPECT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_RESET + 1, 1, 0), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_KEY_DETAIL + 1, 1, 0), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, -1, 0), WFS_ERR_INVALID_DATA);
}

TEST_F(FaultTest, DelayedCompletionsCanTimeOutOrBeCancelled)
{
    // Held back far longer than the test runs: a later request of another
    // kind overtakes it, so it was still pending when that one completed.
    ASSERT_EQ(TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 600000), WFS_SUCCESS);
    REQUESTID id = Session().ExecuteAsync(WFS_CMD_TTU_BEEP, &g_beep);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    EXPECT_EQ(Session().Window().Completion(id), nullptr);
    ASSERT_EQ(WFSCancelAsyncRequest(Session().Service(), id), WFS_SUCCESS);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_CANCELED);
    EXPECT_EQ(Snapshot().wLastBeep, 0); // the work was never done

    id = Session().ExecuteAsync(WFS_CMD_TTU_BEEP, &g_beep, 50);
    EXPECT_EQ(Session().Code(Session().Wait(id)), WFS_ERR_TIMEOUT);
    ASSERT_EQ(TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 0), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
    EXPECT_EQ(TtuSimDelay(FALSE, WFS_CMD_TTU_RESET + 1, 10), WFS_ERR_INVALID_DATA);
}

TEST_F(FaultTest, ALockKeepsOtherSessionsOut)
{
    XfsClient other;
    ASSERT_EQ(other.OpenResult(), WFS_SUCCESS);
    ASSERT_EQ(Session().Lock(0), WFS_SUCCESS);
    EXPECT_EQ(Session().Lock(0), WFS_SUCCESS); // locking again changes nothing
    EXPECT_EQ(other.ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_ERR_LOCKED);
    EXPECT_EQ(other.GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    EXPECT_EQ(other.Lock(60), WFS_ERR_TIMEOUT);
    EXPECT_EQ(other.Unlock(), WFS_ERR_NOT_LOCKED);

    // A waiting lock is granted when the holder lets go, not before: the
    // holder still commands the panel meanwhile.
    REQUESTID id = other.LockAsync(30000);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
    EXPECT_EQ(other.Window().Completion(id), nullptr);
    ASSERT_EQ(Session().Unlock(), WFS_SUCCESS);
    EXPECT_EQ(other.Code(other.Wait(id)), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_ERR_LOCKED);
    // Closing the holder's session frees the device.
    EXPECT_EQ(other.Close(), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
}

TEST_F(FaultTest, ResultsTheManagerCannotAllocateAnswerOutOfMemory)
{
    WFMDiagFailAllocation(2); // the status structure, after its WFSRESULT
    LPWFSRESULT lpResult = Session().GetInfo(WFS_INF_TTU_STATUS);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->hResult, WFS_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(lpResult->lpBuffer, nullptr);
    WFMDiagFailAllocation(0);
}

/* A logical service of its own, served by this same DLL with another INI. */
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        m_strIni = std::wstring(szTemp) + L"ttusim_test_panel.ini";
        wchar_t szDll[MAX_PATH];
        GetModuleFileNameW(GetModuleHandleW(L"ttusim.dll"), szDll, MAX_PATH);
        SetValue(L"SOFTWARE\\XFS\\LOGICAL_SERVICES\\TtuSimConfigTest", L"class", L"TTU");
        SetValue(L"SOFTWARE\\XFS\\LOGICAL_SERVICES\\TtuSimConfigTest", L"provider",
                 L"TtuSimConfigTest");
        SetValue(kProviderKey, L"dllname", szDll);
        SetValue(kProviderKey, L"config", m_strIni.c_str());
        TrcCaptureStart();
        TrcCaptureClear();
        WFSVERSION version;
        ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
    }
    void TearDown() override
    {
        TrcCaptureStop();
        WFSCleanUp();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\XFS\\LOGICAL_SERVICES\\TtuSimConfigTest");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProviderKey);
        DeleteFileW(m_strIni.c_str());
        EXPECT_EQ(WFMDiagLiveBufferCount(), 0);
    }
    static void SetValue(LPCWSTR lpszKey, LPCWSTR lpszName, LPCWSTR lpszValue)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, lpszKey, lpszName, REG_SZ, lpszValue,
                                  (DWORD)(wcslen(lpszValue) + 1) * sizeof(WCHAR)),
                  ERROR_SUCCESS);
    }
    void WriteIni(const char *pszText)
    {
        std::ofstream(m_strIni.c_str(), std::ios::binary) << pszText;
    }
    static std::string Captured()
    {
        std::string str(TrcCaptureGet(nullptr, 0), '\0');
        TrcCaptureGet(&str[0], (DWORD)str.size());
        return str;
    }
    HRESULT Open()
    {
        XfsClient session("TtuSimConfigTest");
        return session.OpenResult();
    }

    static constexpr LPCWSTR kProviderKey = L"SOFTWARE\\XFS\\SERVICE_PROVIDERS\\TtuSimConfigTest";
    std::wstring m_strIni;
};

TEST_F(ConfigTest, ABrokenLineFailsTheOpenAndIsNamed)
{
    WriteIni("[Device]\nResolutions=20x4\nLEDs=nine\n[Keyboard]\nKeys=0123\n");
    EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
    std::string strTrace = Captured();
    EXPECT_NE(strTrace.find("ttusim_test_panel.ini(3): LEDs must be a number from 0 to 8"),
              std::string::npos)
        << strTrace;

    WriteIni("[Device]\nResolutions=20x4\n[Keyboard]\nKeys=0123\n[Form A]\nSize=10x1\n"
             "Field=F; Position=5,0; Length=6\n");
    EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
    EXPECT_NE(Captured().find("ttusim_test_panel.ini(7): field 'F' does not fit"),
              std::string::npos);

    DeleteFileW(m_strIni.c_str());
    EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
    EXPECT_NE(Captured().find("cannot open the panel configuration"), std::string::npos);
    SetValue(kProviderKey, L"config", L"C:\\nowhere\\panel.ini"); // seen by the next open
    EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
    EXPECT_NE(Captured().find("C:\\nowhere\\panel.ini: cannot open"), std::string::npos);
}

TEST_F(ConfigTest, AnUnusedPanelBecomesTheDeviceNowConfigured)
{
    WriteIni("[Device]\nResolutions=16x2\n[Keyboard]\nKeys=0123\n");
    {
        XfsClient session("TtuSimConfigTest");
        ASSERT_EQ(session.OpenResult(), WFS_SUCCESS);
        TTUSIMSNAPSHOT s = Snapshot();
        EXPECT_EQ(s.wDisplaySizeX, 16);
        EXPECT_EQ(s.wNumOfLEDs, 0);
        EXPECT_EQ(TtuSimPressKey(L'4', 0), WFS_ERR_INVALID_DATA); // not on this keyboard
    }
    XfsClient standard;
    ASSERT_EQ(standard.OpenResult(), WFS_SUCCESS);
    EXPECT_EQ(Snapshot().wDisplaySizeX, 20);
}

TEST_F(ConfigTest, AnotherDeviceCannotShareTheRunningPanel)
{
    XfsClient running; // keeps the default panel powered on
    ASSERT_EQ(running.OpenResult(), WFS_SUCCESS);
    WriteIni("[Device]\nResolutions=16x2\n[Keyboard]\nKeys=0123\n");
    EXPECT_EQ(Open(), WFS_ERR_HARDWARE_ERROR);
    EXPECT_NE(Captured().find("the panel already runs as another device"), std::string::npos);
}

TEST_F(ConfigTest, DeviceStatusEventsFollowTheStatusWordsConfigured)
{
    // The shipped panel reports device-state changes only; the same panel
    // configured with StatusEvents=DEVICE, KEYBOARD, KEYLOCK, LEDS all four.
    wchar_t szIni[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"ttusim.dll"), szIni, MAX_PATH);
    wcscpy(wcsrchr(szIni, L'\\') + 1, L"panel.ini");
    std::ifstream shipped(szIni, std::ios::binary);
    std::string strIni((std::istreambuf_iterator<char>(shipped)), std::istreambuf_iterator<char>());
    const size_t at = strIni.find("StatusEvents=DEVICE");
    ASSERT_NE(at, std::string::npos);
    WriteIni(strIni.insert(at + 19, ", KEYBOARD, KEYLOCK, LEDS").c_str());
    XfsClient narrow, broad("TtuSimConfigTest");
    ASSERT_EQ(broad.OpenResult(), WFS_SUCCESS);
    ASSERT_EQ(narrow.Register(SYSTEM_EVENTS), WFS_SUCCESS);
    ASSERT_EQ(broad.Register(SYSTEM_EVENTS), WFS_SUCCESS);
    auto statusEvents = [](XfsClient &session) {
        return session.Window().Events(WFS_SYSTEM_EVENT, WFS_SYSE_DEVICE_STATUS).size();
    };
    WFSTTUSETLEDS led = {0, WFS_TTU_LEDCONTINUOUS};
    // Changes the panel's worker sees at one look make one event, so each
    // change waits for the event of the one before.
    ASSERT_EQ(narrow.ExecuteCode(WFS_CMD_TTU_SET_LED, &led), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return statusEvents(broad) == 1; }));
    ASSERT_EQ(TtuSimSetKeylockStatus(WFS_TTU_KBDLOCKON), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return statusEvents(broad) == 2; }));
    ASSERT_EQ(TtuSimSetKeyboardStatus(WFS_TTU_KBDOFF), WFS_SUCCESS);
    EXPECT_TRUE(PumpUntil([&] { return statusEvents(broad) == 3; }));
    // The beeper is no status word; the device state is one for both.
    ASSERT_EQ(narrow.ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
    ASSERT_EQ(TtuSimSetDeviceStatus(WFS_TTU_DEVBUSY), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return statusEvents(broad) == 4 && statusEvents(narrow) > 0; }));
    // Whatever was posted before now has been dispatched once this answers.
    ASSERT_EQ(narrow.GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    EXPECT_EQ(statusEvents(narrow), 1u);
    EXPECT_EQ(statusEvents(broad), 4u);
    EXPECT_EQ(narrow.Window().Events(WFS_SYSTEM_EVENT, WFS_SYSE_DEVICE_STATUS)[0]->hService,
              narrow.Service());
    // Injected system events reach every registered session.
    ASSERT_EQ(TtuSimSendSystemEvent(WFS_SYSE_DEVICE_STATUS), WFS_SUCCESS);
    ASSERT_EQ(TtuSimSendSystemEvent(WFS_SYSE_HARDWARE_ERROR), WFS_SUCCESS);
    EXPECT_TRUE(PumpUntil([&] {
        return narrow.Window().Events(WFS_SYSTEM_EVENT, WFS_SYSE_HARDWARE_ERROR).size() == 1;
    }));
    EXPECT_EQ(statusEvents(narrow), 2u);
    EXPECT_EQ(TtuSimSendSystemEvent(6), WFS_ERR_INVALID_DATA);
    TtuSimReset();
}

} // namespace
