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

// Every instance compares against its own snapshot and fires its own
// events, with the old and new values in the line.
TEST_F(StatusEventsTest, DeviceKeyboardAndKeyLockChangesReachEveryInstance)
{
    PanelInstance &first = OpenedInstance();
    PanelInstance &second = AddInstance();
    // The key lock counts as on only while the keyboard is on.
    const struct {
        std::function<HRESULT()> change;
        std::vector<std::string> events;
        std::vector<const char *> lines; // written for each instance
    } steps[] = {
        {[] { return TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE); }, {"DeviceStatusChanged(DEVOFFLINE)"},
         {"L0 TTU ACTIVEX EVENT CTTUService::HandleStatus FireDeviceStatusChanged[DEVONLINE -> DEVOFFLINE]"}},
        {[] { return TtuSimSetKeylockStatus(WFS_TTU_KBDLOCKON); }, {"KeylockStatusChanged(TRUE)"},
         {"FireKeylockStatusChanged[FALSE -> TRUE]"}},
        {[] { return TtuSimSetKeyboardStatus(WFS_TTU_KBDOFF); },
         {"KeyboardStatusChanged(OFF)", "KeylockStatusChanged(FALSE)"},
         {"FireKeyboardStatusChanged[ON -> OFF]", "FireKeylockStatusChanged[TRUE -> FALSE]"}},
    };
    for (const auto &step : steps) {
        first.Events().clear();
        second.Events().clear();
        TrcCaptureClear();
        ASSERT_EQ(0, step.change());
        ASSERT_TRUE(WaitForEvents(second, step.events.size()));
        EXPECT_EQ(step.events, Settled(first, step.events.size()));
        EXPECT_EQ(first.Events(), second.Events());
        for (const char *pszLine : step.lines)
            EXPECT_EQ(2u, CapturedTraceLinesWith(pszLine).size()) << pszLine;
    }
    EXPECT_EQ(L"OFF", g_strKeyboardStatus);
}

// A new instance starts from the last known status of the process; a close
// takes everything back to "no device", and after a reopen the LEDs follow
// the new count again.
TEST_F(StatusEventsTest, LastKnownStatusIsSharedAndResetByTheClose)
{
    PanelInstance &first = OpenedInstance();
    EXPECT_EQ(4u, g_usNumOfLEDs);
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(1, L"QUICK"));
    Settled(first, 1);
    PanelInstance &later = AddInstance();
    EXPECT_EQ(L"DEVONLINE", later.Service().GetDeviceStatus());
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(1, L"OFF"));
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(1,OFF)"}), Settled(later, 1));

    first.Service().SetStatusValid(TRUE);
    ASSERT_EQ(WFS_SUCCESS, first.Service().CloseSession());
    EXPECT_EQ((std::vector<std::wstring>{L"DEVNODEVICE", L"NOTAVAILABLE", L"DEVNODEVICE"}),
              (std::vector<std::wstring>{first.Service().GetDeviceStatus(), first.Service().GetKeyboardStatus(),
                                         g_strDeviceStatus}));
    EXPECT_EQ((std::vector<long>{0, 0, VT_EMPTY, WFS_TTU_AVAILASCII, 0}),
              (std::vector<long>{g_sDisplaySizeX, long(g_arrLEDStatus.size()), g_varLEDStatus.Type(),
                                 long(first.Service().GetCharSupport()), long(first.Service().CanSupportCursor())}));

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

// A time-out, and any other code through the error policy.
TEST_F(StatusEventsTest, LockCompletions)
{
    PanelInstance &instance = OpenedInstance();
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

// A query that timed out or was cancelled reports nothing; a hardware error
// only marks the status for rereading.
TEST_F(StatusEventsTest, QueriesEndingInTimeoutOrCancelAndHardwareErrorsReportNothing)
{
    PanelInstance &instance = OpenedInstance();
    for (DWORD dwCategory : {WFS_INF_TTU_STATUS, WFS_INF_TTU_CAPABILITIES, WFS_INF_TTU_KEY_DETAIL})
        for (HRESULT hr : {WFS_ERR_TIMEOUT, WFS_ERR_CANCELED}) {
            ASSERT_EQ(0, TtuSimFailNext(TRUE, dwCategory, 1, hr));
            EXPECT_EQ(WFS_SUCCESS, instance.Service().GetInfo(dwCategory, nullptr, 30000));
        }
    EXPECT_TRUE(CapturedTraceLinesWith("DoErrorStatus").empty());

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

} // namespace
