// Status change events, the process-wide last known status, system events
// and execute events, through the virtual panel.
#include "TTUTestSupport.h"

#include "TTULastKnownStatus.h"
#include "xfsdiag.h"

#include <fstream>
#include <iterator>

namespace {

// The keyboard, key lock and LED changes below reach the control as
// WFS_SYSE_DEVICE_STATUS: the panel is configured to report those status
// words too (StatusEvents in its INI), not only the device state.
class StatusEventsTest : public PanelTest {
protected:
    static void SetUpTestSuite()
    {
        DWORD cb = sizeof s_szShippedIni;
        ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, kProvider, L"config",
                                              RRF_RT_REG_SZ, nullptr, s_szShippedIni, &cb));
        std::ifstream shipped(s_szShippedIni, std::ios::binary);
        std::string strIni((std::istreambuf_iterator<char>(shipped)),
                           std::istreambuf_iterator<char>());
        const size_t at = strIni.find("StatusEvents=DEVICE");
        ASSERT_NE(std::string::npos, at);
        std::ofstream(TestIni().c_str(), std::ios::binary)
            << strIni.insert(at + 19, ", KEYBOARD, KEYLOCK, LEDS");
        SetConfig(TestIni().c_str());
    }
    static void TearDownTestSuite()
    {
        SetConfig(s_szShippedIni);
        DeleteFileW(TestIni().c_str());
    }

private:
    static constexpr LPCWSTR kProvider = L"SOFTWARE\\XFS\\SERVICE_PROVIDERS\\ZTVirtualPanel";
    static std::wstring TestIni()
    {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        return std::wstring(szTemp) + L"ttu_status_events_panel.ini";
    }
    static void SetConfig(LPCWSTR lpszPath)
    {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kProvider, L"config", REG_SZ, lpszPath,
                        static_cast<DWORD>((wcslen(lpszPath) + 1) * sizeof(wchar_t)));
    }
    static wchar_t s_szShippedIni[MAX_PATH];
};
wchar_t StatusEventsTest::s_szShippedIni[MAX_PATH];

// The open's own status fills the snapshot without events: the session's
// registration is not yet in place when it arrives.
TEST_F(StatusEventsTest, NothingFiresBeforeTheRegistrationStands)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    PumpFor(20);
    EXPECT_TRUE(instance.m_sink.m_events.empty());
    EXPECT_EQ(L"DEVONLINE", service.GetDeviceStatus());
    EXPECT_EQ(L"ON", service.GetKeyboardStatus());
    EXPECT_EQ(20, service.GetDisplaySizeX());
    EXPECT_EQ(4, service.GetDisplaySizeY());
    EXPECT_EQ((std::vector<std::wstring>{L"OFF", L"OFF", L"OFF", L"OFF"}),
              service.GetLEDStatusArray());
    EXPECT_EQ(L"DEVONLINE", g_strDeviceStatus);
    EXPECT_EQ(4u, g_usNumOfLEDs);
    EXPECT_TRUE(TraceLinesWith("StatusChanged").empty());

    // The same status again changes nothing and fires nothing.
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    EXPECT_TRUE(instance.m_sink.m_events.empty());
    EXPECT_EQ(L"DEVNODEVICE", service.GetPrevDeviceStatus());

    // A status arriving while the registration is off updates silently.
    Context()->SetRegistered(FALSE);
    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVBUSY));
    ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    Context()->SetRegistered(TRUE);
    WaitIdle();
    EXPECT_EQ(L"DEVBUSY", service.GetDeviceStatus());
    EXPECT_EQ(L"DEVBUSY", g_strDeviceStatus);
    PumpFor(20);
    // The system event of that change came while registered: it re-read
    // DEVBUSY, which the snapshot already held.
    EXPECT_TRUE(instance.m_sink.m_events.empty());
}

// Every instance compares against its own snapshot and fires its own
// events, with the old and new values in the line.
TEST_F(StatusEventsTest, DeviceKeyboardAndKeyLockChangesReachEveryInstance)
{
    PanelInstance &first = OpenedInstance();
    PanelInstance &second = AddInstance();
    ClearTrace();

    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE));
    ASSERT_TRUE(WaitForEvents(first.m_sink, 1));
    ASSERT_TRUE(WaitForEvents(second.m_sink, 1));
    PumpFor(30);
    EXPECT_EQ((std::vector<std::string>{"DeviceStatusChanged(DEVOFFLINE)"}), first.m_sink.m_events);
    EXPECT_EQ(first.m_sink.m_events, second.m_sink.m_events);
    EXPECT_EQ(2u, TraceLinesWith("L0 TTU ACTIVEX EVENT CTTUService::HandleStatus "
                                 "FireDeviceStatusChanged[DEVONLINE -> DEVOFFLINE]")
                      .size());
    EXPECT_TRUE(
        TraceLinesWith("INFORMATION CTTUService::DoSystemEvent WFS_SYSE_DEVICE_STATUS Received")
            .size() >= 2);
    EXPECT_EQ(L"DEVONLINE", first.Service().GetPrevDeviceStatus());

    // Key lock on while the keyboard is on.
    first.m_sink.Clear();
    second.m_sink.Clear();
    ClearTrace();
    ASSERT_EQ(0, TtuSimSetKeylockStatus(WFS_TTU_KBDLOCKON));
    ASSERT_TRUE(WaitForEvents(second.m_sink, 1));
    PumpFor(30);
    EXPECT_EQ((std::vector<std::string>{"KeylockStatusChanged(TRUE)"}), first.m_sink.m_events);
    EXPECT_EQ(first.m_sink.m_events, second.m_sink.m_events);
    EXPECT_FALSE(TraceLinesWith("FireKeylockStatusChanged[FALSE -> TRUE]").empty());
    EXPECT_TRUE(g_bKeyLockStatus);

    // Keyboard off: the key lock no longer counts as on.
    first.m_sink.Clear();
    ClearTrace();
    ASSERT_EQ(0, TtuSimSetKeyboardStatus(WFS_TTU_KBDOFF));
    ASSERT_TRUE(WaitForEvents(first.m_sink, 2));
    PumpFor(30);
    EXPECT_EQ(
        (std::vector<std::string>{"KeyboardStatusChanged(OFF)", "KeylockStatusChanged(FALSE)"}),
        first.m_sink.m_events);
    EXPECT_FALSE(TraceLinesWith("FireKeyboardStatusChanged[ON -> OFF]").empty());
    EXPECT_FALSE(TraceLinesWith("FireKeylockStatusChanged[TRUE -> FALSE]").empty());
    EXPECT_EQ(L"OFF", g_strKeyboardStatus);
}

TEST_F(StatusEventsTest, EveryLEDAndTheDisplaySize)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    const LPCWSTR states[] = {L"SLOW", L"MEDIUM", L"QUICK", L"CONTINUOUS"};
    for (SHORT i = 0; i < 4; ++i) {
        ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(i, states[i]));
        WaitIdle();
    }
    EXPECT_EQ(
        (std::vector<std::string>{"LEDStatusChanged(0,SLOW)", "LEDStatusChanged(1,MEDIUM)",
                                  "LEDStatusChanged(2,QUICK)", "LEDStatusChanged(3,CONTINUOUS)"}),
        instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::HandleStatus "
                             "FireLEDStatusChanged[Index=2, strOld=OFF, strNew=QUICK]"));
    EXPECT_EQ((std::vector<std::wstring>{L"OFF", L"OFF", L"OFF", L"OFF"}),
              service.GetPrevLEDStatusArray());
    EXPECT_EQ((std::vector<std::wstring>{L"SLOW", L"MEDIUM", L"QUICK", L"CONTINUOUS"}),
              g_arrLEDStatus);

    // The LED keywords also as the array the LEDStatus property hands out.
    const VARIANT &var = g_varLEDStatus.Get();
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, var.vt);
    LONG lUpper = -1;
    SafeArrayGetUBound(var.parray, 1, &lUpper);
    EXPECT_EQ(3, lUpper);
    LONG lIndex = 3;
    VARIANT element;
    VariantInit(&element);
    SafeArrayGetElement(var.parray, &lIndex, &element);
    EXPECT_EQ(VT_BSTR, element.vt);
    EXPECT_STREQ(L"CONTINUOUS", element.bstrVal);
    VariantClear(&element);

    instance.m_sink.Clear();
    ASSERT_EQ(WFS_SUCCESS, service.SelectScreenSize(40, 2));
    WaitIdle();
    EXPECT_EQ(
        (std::vector<std::string>{"DisplaySizeXStatusChanged(40)", "DisplaySizeYStatusChanged(2)"}),
        instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::HandleStatus "
                             "FireDisplaySizeXStatusChanged[20 -> 40]"));
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::HandleStatus "
                             "FireDisplaySizeYStatusChanged[4 -> 2]"));
    EXPECT_EQ(40, g_sDisplaySizeX);
    EXPECT_EQ(20, service.GetPrevDisplaySizeX());
}

// A new instance starts from the last known status of the process; a close
// takes everything back to "no device".
TEST_F(StatusEventsTest, LastKnownStatusIsSharedAndResetByTheClose)
{
    PanelInstance &first = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, first.Service().SetLEDState(1, L"QUICK"));
    WaitIdle();
    PanelInstance &later = AddInstance();
    EXPECT_EQ(L"DEVONLINE", later.Service().GetDeviceStatus());
    EXPECT_EQ(20, later.Service().GetDisplaySizeX());
    EXPECT_EQ((std::vector<std::wstring>{L"OFF", L"QUICK", L"OFF", L"OFF"}),
              later.Service().GetLEDStatusArray());
    EXPECT_EQ(VT_ARRAY | VT_VARIANT, later.Service().GetLEDStatus().Type());
    // Its construction keeps the open session's LED count.
    EXPECT_EQ(4u, g_usNumOfLEDs);

    ASSERT_EQ(WFS_SUCCESS, first.Service().CloseSession());
    EXPECT_EQ(L"DEVNODEVICE", first.Service().GetDeviceStatus());
    EXPECT_EQ(L"NOTAVAILABLE", first.Service().GetKeyboardStatus());
    EXPECT_EQ(L"DEVNODEVICE", g_strDeviceStatus);
    EXPECT_EQ(0, g_sDisplaySizeX);
    EXPECT_TRUE(g_arrLEDStatus.empty());
    EXPECT_EQ(VT_EMPTY, g_varLEDStatus.Type());
    EXPECT_EQ(WFS_TTU_AVAILASCII, first.Service().GetCharSupport());
    EXPECT_FALSE(first.Service().CanSupportCursor());
}

// A close empties the LED arrays while the status stays marked as read; the
// next open brings 4 LEDs again and the arrays follow the count.
TEST_F(StatusEventsTest, LEDArraysFollowTheCountAcrossACloseAndReopen)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    service.SetStatusValid(TRUE);
    ASSERT_EQ(WFS_SUCCESS, service.CloseSession());
    EXPECT_TRUE(service.GetLEDStatusArray().empty());
    ASSERT_EQ(0, TtuSimReset());
    ASSERT_EQ(WFS_SUCCESS, service.OpenSession(10000));
    EXPECT_TRUE(service.IsStatusValid());
    EXPECT_EQ(4u, service.GetLEDStatusArray().size());
    EXPECT_EQ(4u, service.GetPrevLEDStatusArray().size());
    ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(3, L"SLOW"));
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"LEDStatusChanged(3,SLOW)"}), instance.m_sink.m_events);
}

TEST_F(StatusEventsTest, HardwareErrorOnlyMarksTheStatusForRereading)
{
    PanelInstance &instance = OpenedInstance();
    instance.Service().SetStatusValid(TRUE);
    LONG lQueries = WFMDiagCallCount("WFSAsyncGetInfo");
    ASSERT_EQ(0, TtuSimSendSystemEvent(WFS_SYSE_HARDWARE_ERROR));
    ASSERT_TRUE(PumpUntil([&] { return !instance.Service().IsStatusValid(); }));
    PumpFor(20);
    EXPECT_TRUE(instance.m_sink.m_events.empty());
    EXPECT_EQ(lQueries, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX INFORMATION CTTUService::DoSystemEvent "
                             "Warnning:SYSE_HARDWARE_ERROR-->Do not FireDeviceError"));
}

// With the default settings, and for the record: the session is marked
// closed and the host hears FatalError with the event's name.
TEST_F(StatusEventsTest, AppDisconnectClosesTheSessionForEveryInstance)
{
    PanelInstance &first = OpenedInstance();
    PanelInstance &second = AddInstance();
    first.Service().SetStatusValid(TRUE);
    ASSERT_EQ(0, TtuSimSendSystemEvent(WFS_SYSE_APP_DISCONNECT));
    ASSERT_TRUE(WaitForEvents(second.m_sink, 1));
    ASSERT_EQ(1u, first.m_sink.m_events.size());
    EXPECT_EQ(0u, first.m_sink.m_events[0].find("FatalError(SYSE_APP_DISCONNECT,"));
    EXPECT_EQ(first.m_sink.m_events, second.m_sink.m_events);
    EXPECT_FALSE(Context()->GetOpened());
    EXPECT_FALSE(Context()->GetRegistered());
    EXPECT_EQ(0, Context()->GetService());
    EXPECT_FALSE(first.Service().IsStatusValid());
    EXPECT_EQ(L"DEVNODEVICE", first.Service().GetDeviceStatus());
    EXPECT_FALSE(
        TraceLinesWith("EVENT CTTUService::DoSystemEvent FireFatalError{dwEventID[5], hResult[")
            .empty());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, first.Service().Beep(L"KEYPRESS", 0));
    // The lost session is closed without a wait; its close completes.
    EXPECT_TRUE(PumpUntil([] { return !CTTUContext::GetInstance()->HasLostSession(); }));
}

TEST_F(StatusEventsTest, KeysPressedDuringARead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS,
              service.Read(0, 0, L"", L"TEXT", 0, 1, 1, 0, 5000, L"0123", L"BACKSPACE", L"ENTER"));
    ASSERT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
    ASSERT_EQ(0, TtuSimPressKey(L'1', 0));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_BACKSPACE));
    ASSERT_EQ(0, TtuSimPressKey(L'2', 0));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    ASSERT_TRUE(WaitForEvents(instance.m_sink, 5));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(1,49,0)", "TTUKeyPressed(,0,4)",
                                        "TTUKeyPressed(2,50,0)", "TTUKeyPressed(,0,1)",
                                        "ReadComplete(2)"}),
              instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine(
        "L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(1, 49, 0)"));
    EXPECT_TRUE(
        HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent FireTTUKeyPressed(, 0, 4)"));
}

// A field that is not in the form is a field error; an empty required
// field confirmed with ENTER a field warning.
TEST_F(StatusEventsTest, FieldErrorsAndWarningsOfAFormRead)
{
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    ASSERT_EQ(WFS_SUCCESS, service.ReadForm(L"PINENTRY", L"PIN, NOSUCH", 5000));
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"FieldError(PINENTRY,NOSUCH,3)",
                                        "FatalError(CMD_TTU_READ_FORM,-703)"}),
              instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent "
                             "FireFieldError(PINENTRY, NOSUCH, 3)"));

    instance.m_sink.Clear();
    ASSERT_EQ(WFS_SUCCESS, service.ReadForm(L"PINENTRY", L"PIN", 5000));
    ASSERT_TRUE(PumpUntil([&] { return Snapshot().bReadActive != FALSE; }));
    ASSERT_EQ(0, TtuSimPressKey(0, WFS_TTU_CK_ENTER));
    ASSERT_TRUE(WaitForEvents(instance.m_sink, 2));
    EXPECT_EQ((std::vector<std::string>{"TTUKeyPressed(,0,1)", "FieldWarning(PINENTRY,PIN,0)"}),
              instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoExecuteEvent "
                             "FireFieldWarning(PINENTRY, PIN, 0)"));
    ASSERT_EQ(WFS_SUCCESS, service.CancelRead());
    WaitIdle();
    EXPECT_EQ("ReadCancelled", instance.m_sink.m_events.back());
}

TEST_F(StatusEventsTest, LockAndUnlock)
{
    PanelInstance &instance = OpenedInstance();
    ASSERT_EQ(WFS_SUCCESS, instance.Service().Lock(1000));
    WaitIdle();
    ASSERT_EQ(WFS_SUCCESS, instance.Service().Unlock());
    WaitIdle();
    EXPECT_EQ((std::vector<std::string>{"LockGranted", "LockReleased"}), instance.m_sink.m_events);
    EXPECT_TRUE(HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoLockComplete FireLockGranted"));
    EXPECT_TRUE(
        HasTraceLine("L0 TTU ACTIVEX EVENT CTTUService::DoUnlockComplete FireLockReleased"));
}

} // namespace
