// Status change events, the process-wide last known status, system events,
// lock completions and failed queries, through the virtual panel.
#include "TTUTestSupport.h"

#include "ControlHost.h"
#include "TTULastKnownStatus.h"
#include "xfsdiag.h"

namespace {

// The keyboard, key lock and LED changes below reach the control as
// WFS_SYSE_DEVICE_STATUS: the panel is configured to report those status
// words too (StatusEvents in its INI), not only the device state.
class StatusEventsTest : public PanelTest {
protected:
    static void SetUpTestSuite()
    {
        s_pIni = new ScopedPanelIni(
            ShippedPanelIni({{"StatusEvents=DEVICE", "StatusEvents=DEVICE, KEYBOARD, KEYLOCK, LEDS"}}));
    }
    static void TearDownTestSuite() { delete s_pIni; }
    static ScopedPanelIni *s_pIni;
};
ScopedPanelIni *StatusEventsTest::s_pIni;

// The open's own status fills the snapshot without events: the session's
// registration is not yet in place when it arrives. The same status again
// changes nothing.
TEST_F(StatusEventsTest, NothingFiresForTheOpensOwnStatus)
{
    PanelInstance &instance = OpenedInstance();
    EXPECT_EQ(L"DEVONLINE", instance.Service().GetDeviceStatus());
    EXPECT_EQ(L"ON", instance.Service().GetKeyboardStatus());
    EXPECT_EQ(4u, g_usNumOfLEDs);
    EXPECT_TRUE(Settled(instance, 0).empty());
    EXPECT_TRUE(CapturedTraceLinesWith("StatusChanged").empty());
}

// Every instance compares against its own snapshot and fires its own
// events, with the old and new values in the line.
TEST_F(StatusEventsTest, DeviceKeyboardAndKeyLockChangesReachEveryInstance)
{
    PanelInstance &first = OpenedInstance();
    PanelInstance &second = AddInstance();
    TrcCaptureClear();
    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE));
    ASSERT_TRUE(WaitForEvents(second, 1));
    EXPECT_EQ((std::vector<std::string>{"DeviceStatusChanged(DEVOFFLINE)"}), Settled(first, 1));
    EXPECT_EQ(first.Events(), second.Events());
    EXPECT_EQ(2u, CapturedTraceLinesWith("L0 TTU ACTIVEX EVENT CTTUService::HandleStatus "
                                         "FireDeviceStatusChanged[DEVONLINE -> DEVOFFLINE]").size());

    // Key lock on while the keyboard is on.
    first.Events().clear();
    second.Events().clear();
    ASSERT_EQ(0, TtuSimSetKeylockStatus(WFS_TTU_KBDLOCKON));
    ASSERT_TRUE(WaitForEvents(second, 1));
    EXPECT_EQ((std::vector<std::string>{"KeylockStatusChanged(TRUE)"}), Settled(first, 1));
    EXPECT_EQ(first.Events(), second.Events());
    EXPECT_FALSE(CapturedTraceLinesWith("FireKeylockStatusChanged[FALSE -> TRUE]").empty());

    // Keyboard off: the key lock no longer counts as on.
    first.Events().clear();
    ASSERT_EQ(0, TtuSimSetKeyboardStatus(WFS_TTU_KBDOFF));
    EXPECT_EQ((std::vector<std::string>{"KeyboardStatusChanged(OFF)", "KeylockStatusChanged(FALSE)"}),
              Settled(first, 2));
    EXPECT_FALSE(CapturedTraceLinesWith("FireKeyboardStatusChanged[ON -> OFF]").empty());
    EXPECT_FALSE(CapturedTraceLinesWith("FireKeylockStatusChanged[TRUE -> FALSE]").empty());
    EXPECT_EQ(L"OFF", g_strKeyboardStatus);
}

TEST_F(StatusEventsTest, EveryLED)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    const LPCWSTR states[] = {L"SLOW", L"MEDIUM", L"QUICK", L"CONTINUOUS"};
    for (SHORT i = 0; i < 4; ++i)
        ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(i, states[i]));
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(0,SLOW)", "LEDStatusChanged(1,MEDIUM)",
                                        "LEDStatusChanged(2,QUICK)", "LEDStatusChanged(3,CONTINUOUS)"}),
              Settled(instance, 4));
    // The LEDStatus property's array.
    EXPECT_EQ((std::vector<std::wstring>{L"SLOW", L"MEDIUM", L"QUICK", L"CONTINUOUS"}),
              StringsOf(g_varLEDStatus.Get()));
}

// A new instance starts from the last known status of the process; a close
// takes everything back to "no device", and after a reopen the LEDs follow
// the new count again.
TEST_F(StatusEventsTest, LastKnownStatusIsSharedAndResetByTheClose)
{
    PanelInstance &first = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(1, L"QUICK"));
    Settled(first, 1);
    PanelInstance &later = AddInstance();
    EXPECT_EQ(L"DEVONLINE", later.Service().GetDeviceStatus());
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(1, L"OFF"));
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(1,OFF)"}), Settled(later, 1));

    first.Service().SetStatusValid(TRUE);
    ASSERT_EQ(WFS_SUCCESS, first.Service().CloseSession());
    EXPECT_EQ(L"DEVNODEVICE", first.Service().GetDeviceStatus());
    EXPECT_EQ(L"NOTAVAILABLE", first.Service().GetKeyboardStatus());
    EXPECT_EQ(L"DEVNODEVICE", g_strDeviceStatus);
    EXPECT_EQ(0, g_sDisplaySizeX);
    EXPECT_TRUE(g_arrLEDStatus.empty());
    EXPECT_EQ(VT_EMPTY, g_varLEDStatus.Type());
    EXPECT_EQ(WFS_TTU_AVAILASCII, first.Service().GetCharSupport());
    EXPECT_FALSE(first.Service().CanSupportCursor());

    // The reopen's own status arrives before the session is registered: it
    // fills the values again without an event, and the next change is
    // measured against them, not against the no-device values.
    first.Events().clear();
    TrcCaptureClear();
    ASSERT_EQ(WFS_SUCCESS, first.Service().OpenSession(10000));
    EXPECT_TRUE(first.Service().IsStatusValid());
    EXPECT_EQ(L"DEVONLINE", first.Service().GetDeviceStatus());
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(3, L"SLOW"));
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(3,SLOW)"}), Settled(first, 1));
    EXPECT_EQ(2u, CapturedTraceLinesWith("FireLEDStatusChanged[Index=3, strOld=OFF, strNew=SLOW]").size())
        << "one line for each instance";
}

TEST_F(StatusEventsTest, HardwareErrorOnlyMarksTheStatusForRereading)
{
    PanelInstance &instance = OpenedInstance();
    instance.Service().SetStatusValid(TRUE);
    LONG lQueries = WFMDiagCallCount("WFSAsyncGetInfo");
    ASSERT_EQ(0, TtuSimSendSystemEvent(WFS_SYSE_HARDWARE_ERROR));
    // Whatever the handler does, it has done when the flag falls.
    ASSERT_TRUE(PumpUntil([&] { return !instance.Service().IsStatusValid(); }));
    EXPECT_TRUE(instance.Events().empty());
    EXPECT_EQ(lQueries, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_TRUE(HasCapturedTraceLine("L0 TTU ACTIVEX INFORMATION CTTUService::DoSystemEvent "
                                     "Warnning:SYSE_HARDWARE_ERROR-->Do not FireDeviceError"));
}

// Granted and released through the panel; a time-out, and any other code
// through the error policy.
TEST_F(StatusEventsTest, LockCompletions)
{
    PanelInstance &instance = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, instance.Service().Lock(1000));
    ASSERT_TRUE(WaitForEvents(instance, 1));
    ASSERT_EQ(WFS_SUCCESS, instance.Service().Unlock());
    EXPECT_EQ((std::vector<std::string>{"LockGranted", "LockReleased"}), Settled(instance, 2));
    const struct {
        UINT uMsg;
        HRESULT hr;
        const char *pszEvent;
    } rows[] = {{WFS_LOCK_COMPLETE, WFS_ERR_TIMEOUT, "LockTimeout"},
                {WFS_LOCK_COMPLETE, WFS_ERR_LOCKED, "FatalError(LOCK,-32)"},
                {WFS_UNLOCK_COMPLETE, WFS_ERR_LOCKED, "FatalError(UNLOCK,-32)"}};
    for (const auto &row : rows) {
        instance.Events().clear();
        Deliver(instance.Service(), row.uMsg, 0, row.hr, nullptr);
        EXPECT_EQ(std::vector<std::string>{row.pszEvent}, instance.Events()) << row.pszEvent;
    }
}

// A query that timed out or was cancelled reports nothing.
TEST_F(StatusEventsTest, QueriesEndingInTimeoutOrCancelReportNothing)
{
    PanelInstance &instance = OpenedInstance();
    for (DWORD dwCategory : {WFS_INF_TTU_STATUS, WFS_INF_TTU_CAPABILITIES, WFS_INF_TTU_KEY_DETAIL})
        for (HRESULT hr : {WFS_ERR_TIMEOUT, WFS_ERR_CANCELED}) {
            ASSERT_EQ(0, TtuSimFailNext(TRUE, dwCategory, 1, hr));
            EXPECT_EQ(WFS_SUCCESS, instance.Service().GetInfo(dwCategory, nullptr, 30000));
            EXPECT_TRUE(instance.Events().empty()) << dwCategory << " " << hr;
        }
    EXPECT_TRUE(CapturedTraceLinesWith("DoErrorStatus").empty());
}

} // namespace
