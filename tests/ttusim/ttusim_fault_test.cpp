// Injected faults and delays, locks between sessions, configuration
// errors, and results the manager cannot allocate.
#include <string>

#include "PanelTest.h"
#include "TraceCapture.h"
#include "trcutil30.h"

namespace {

using FaultTest = PanelTest;

WFSTTUBEEP g_beep = {WFS_TTU_BEEPKEYPRESS};

// Counts above one are checked through the control.
TEST_F(FaultTest, InjectedCodesComeBackUnchangedAndOnce)
{
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_HARDWARE_ERROR), WFS_SUCCESS);
    ASSERT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, -12345), WFS_SUCCESS); // a code no provider makes
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_CAPABILITIES), WFS_SUCCESS);  // other categories go on
    LPWFSRESULT lpFailed = Session().GetInfo(WFS_INF_TTU_STATUS);
    EXPECT_EQ(Session().Code(lpFailed), -12345);
    EXPECT_EQ(lpFailed->u.dwCommandCode, DWORD(WFS_INF_TTU_STATUS));
    EXPECT_EQ(lpFailed->lpBuffer, nullptr);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(Snapshot().wLastBeep, 0); // a failed command did no work
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, &g_beep), WFS_SUCCESS);
    EXPECT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    // An injected code wins over the command's own checks.
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_READ, 1, WFS_ERR_TTU_KEYCANCELED), WFS_SUCCESS);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_READ, nullptr), WFS_ERR_TTU_KEYCANCELED);
    EXPECT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_RESET + 1, 1, 0), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimFailNext(TRUE, WFS_INF_TTU_KEY_DETAIL + 1, 1, 0), WFS_ERR_INVALID_DATA);
    EXPECT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, -1, 0), WFS_ERR_INVALID_DATA);
}

TEST_F(FaultTest, DelayedCompletionsCanBeCancelled)
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
    // A delay of 0 ends the holding back (time-outs: the panel tool's test).
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
        char szDll[MAX_PATH];
        GetModuleFileNameA(GetModuleHandleA("ttusim.dll"), szDll, MAX_PATH);
        SetHklmString(kLogical, "class", "TTU");
        SetHklmString(kLogical, "provider", "TtuSimConfigTest");
        SetHklmString(kProvider, "dllname", szDll);
        TrcCaptureStart();
        TrcCaptureClear();
        WFSVERSION version;
        ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
    }
    void TearDown() override
    {
        TrcCaptureStop();
        WFSCleanUp();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kLogical);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProvider);
        EXPECT_EQ(WFMDiagLiveBufferCount(), 0);
    }
    static HRESULT Open() { return XfsClient("TtuSimConfigTest").OpenResult(); }

    static constexpr const char *kLogical = "SOFTWARE\\XFS\\LOGICAL_SERVICES\\TtuSimConfigTest";
    static constexpr const char *kProvider = "SOFTWARE\\XFS\\SERVICE_PROVIDERS\\TtuSimConfigTest";
};

TEST_F(ConfigTest, ABrokenLineFailsTheOpenAndIsNamed)
{
    {
        ScopedPanelIni ini("[Device]\nResolutions=20x4\nLEDs=nine\n[Keyboard]\nKeys=0123\n", "TtuSimConfigTest");
        EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
        EXPECT_FALSE(CapturedTraceLinesWith("TtuSimConfigTest.ini(3): LEDs must be a number from 0 to 8").empty());
    }
    {
        ScopedPanelIni ini("[Device]\nResolutions=20x4\n[Keyboard]\nKeys=0123\n[Form A]\nSize=10x1\n"
                           "Field=F; Position=5,0; Length=6\n", "TtuSimConfigTest");
        EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
        EXPECT_FALSE(CapturedTraceLinesWith("TtuSimConfigTest.ini(7): field 'F' does not fit").empty());
    }
    SetHklmString(kProvider, "config", "C:\\nowhere\\panel.ini");
    EXPECT_EQ(Open(), WFS_ERR_INTERNAL_ERROR);
    // The registry changed since the last open is what this open reads.
    EXPECT_FALSE(CapturedTraceLinesWith("C:\\nowhere\\panel.ini: cannot open the panel configuration").empty());
}

TEST_F(ConfigTest, AnUnusedPanelBecomesTheDeviceNowConfigured)
{
    ScopedPanelIni ini("[Device]\nResolutions=16x2\n[Keyboard]\nKeys=0123\n", "TtuSimConfigTest");
    {
        XfsClient session("TtuSimConfigTest");
        ASSERT_EQ(session.OpenResult(), WFS_SUCCESS);
        EXPECT_EQ(Snapshot().wDisplaySizeX, 16);
        EXPECT_EQ(Snapshot().wNumOfLEDs, 0);
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
    ScopedPanelIni ini("[Device]\nResolutions=16x2\n[Keyboard]\nKeys=0123\n", "TtuSimConfigTest");
    EXPECT_EQ(Open(), WFS_ERR_HARDWARE_ERROR);
    EXPECT_FALSE(CapturedTraceLinesWith("the panel already runs as another device").empty());
}

TEST_F(ConfigTest, DeviceStatusEventsFollowTheStatusWordsConfigured)
{
    // The shipped panel reports device-state changes only; the same panel
    // configured with StatusEvents=DEVICE, KEYBOARD, KEYLOCK, LEDS all four.
    ScopedPanelIni ini(ShippedPanelIni({{"StatusEvents=DEVICE", "StatusEvents=DEVICE, KEYBOARD, KEYLOCK, LEDS"}}),
                       "TtuSimConfigTest");
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
