// What terminal applications do with the session, driven through the
// registered control from a C++ host: release or close from inside events,
// calls made again from inside a wait, several controls, failures on the way
// out, a lost connection and a quit while waiting.
#include <functional>
#include <string>

#include "ControlHostTest.h"
#include "xfsapi.h"
#include "xfsttu.h"

namespace {

const DWORD kWait = 10000;
const DWORD kSlowAnswer = 3000;

// The action runs from a thread timer, so inside whatever wait dispatches
// the thread's messages: here the wait for the capabilities of an open
// (answered kSlowAnswer late), once their query is out; never inside itself.
std::function<void()> g_action;
UINT_PTR g_idActionTimer = 0;

void CALLBACK ActionTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_action || WFMDiagCallCount("WFSAsyncGetInfo") < 1)
        return;
    KillTimer(nullptr, g_idActionTimer);
    std::function<void()> action = std::move(g_action);
    g_action = nullptr;
    action();
}

void InsideCapabilitiesWait(std::function<void()> action)
{
    TtuSimDelay(TRUE, WFS_INF_TTU_CAPABILITIES, kSlowAnswer);
    g_action = std::move(action);
    g_idActionTimer = SetTimer(nullptr, 0, 1, ActionTimer);
}

// The events a case's trigger makes the device send.
struct EventCase {
    LPCWSTR lpszEvent;
    std::function<void(CControlHost &)> trigger;
};

class HostSessionPatterns : public CControlHostTest {
protected:
    void TearDown() override
    {
        KillTimer(nullptr, g_idActionTimer);
        g_action = nullptr;
        WFMDiagFailAllocation(0);
        CControlHostTest::TearDown();
    }
};

TEST_F(HostSessionPatterns, ReleasingTheControlInsideAnEventTakesEffectAfterIt)
{
    const EventCase cases[] = {
        {L"BeepComplete", [](CControlHost &c) { c.Call(L"Beep", {L"KEYPRESS", 0}); }},
        {L"LEDStatusChanged", [](CControlHost &c) { c.Call(L"SetLEDState", {short(0), L"QUICK"}); }},
        {L"FatalError",
         [](CControlHost &c) {
             TtuSimFailNext(FALSE, WFS_CMD_TTU_SET_LED, 1, WFS_ERR_TTU_INVALIDLED);
             c.Call(L"SetLEDState", {short(1), L"SLOW"});
         }},
        {L"TTUKeyPressed",
         [](CControlHost &c) {
             TtuSimTypeText(L"7");
             c.Call(L"Read", {short(0), short(0), L"", L"TEXT", short(1), 0, 0, 1, 20000, L"7", L"", L""});
         }},
        {L"ReadFormComplete",
         [](CControlHost &c) {
             TtuSimTypeText(L"4321");
             TtuSimPressKey(0, WFS_TTU_CK_ENTER);
             c.Call(L"ReadForm", {L"PINENTRY", L"PIN", short(20000)});
         }},
        {L"DeviceStatusChanged", [](CControlHost &) { TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE); }},
    };
    for (const EventCase &test : cases) {
        SCOPED_TRACE(testing::Message() << test.lpszEvent);
        const size_t nWindows = InstanceWindows().size();
        CControlHost control;
        ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
        bool bReleased = false;
        control.OnEvent([&](const ControlEvent &event) {
            if (event.strName == test.lpszEvent && !bReleased) {
                bReleased = true;
                control.Release();
            }
        });
        test.trigger(control);
        EXPECT_TRUE(PumpUntil([&] { return bReleased && InstanceWindows().size() == nWindows; }, kWait));
    }
}

TEST_F(HostSessionPatterns, ClosingInsideAChangeEventEndsThatAnswer)
{
    const EventCase cases[] = {
        {L"LEDStatusChanged", [](CControlHost &c) { c.Call(L"SetLEDState", {short(1), L"QUICK"}); }},
        {L"DeviceStatusChanged", [](CControlHost &) { TtuSimSetDeviceStatus(WFS_TTU_DEVBUSY); }},
    };
    for (const EventCase &test : cases) {
        SCOPED_TRACE(testing::Message() << test.lpszEvent);
        CControlHost control;
        ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
        LONG lClose = -1;
        control.OnEvent([&](const ControlEvent &event) {
            if (event.strName == test.lpszEvent)
                lClose = control.Call(L"CloseSessionSync");
        });
        test.trigger(control);
        ASSERT_TRUE(PumpUntil([&] { return lClose != -1; }, kWait));
        EXPECT_EQ(0, lClose);
        EXPECT_EQ(std::vector<std::wstring>{test.lpszEvent}, control.EventNames());
        control.OnEvent(nullptr);
        TtuSimSetDeviceStatus(WFS_TTU_DEVONLINE);
        ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
        Barrier(control);
        EXPECT_EQ(std::vector<std::wstring>{L"BeepComplete"}, control.EventNames());
        EXPECT_EQ(0, control.Call(L"CloseSessionSync"));
    }
}

TEST_F(HostSessionPatterns, AnOpenCalledAgainDuringItsWaitIsRefused)
{
    CControlHost control;
    LONG lNested = 0;
    InsideCapabilitiesWait([&] { lNested = control.Call(L"OpenSessionSync", {30000}); });
    EXPECT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(WFS_ERR_OP_IN_PROGRESS, lNested);
    EXPECT_EQ(0, control.Call(L"CloseSessionSync"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncOpen"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
}

TEST_F(HostSessionPatterns, AFailedCloseStillLetsTheProcessOpenAgain)
{
    CControlHost control;
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagFailAllocation(1);
    EXPECT_EQ(WFS_ERR_OUT_OF_MEMORY, control.Call(L"CloseSessionSync"));
    EXPECT_EQ(L"DEVNODEVICE", control.GetString(L"DeviceStatus"));

    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    Barrier(control);
    EXPECT_EQ(0, control.Call(L"CloseSessionSync"));
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncOpen"));
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncClose"));
}

TEST_F(HostSessionPatterns, ALostConnectionIsClosedAndStaysSilentAfterANewOpen)
{
    CControlHost control;
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    ASSERT_EQ(0, control.Call(L"Read", {short(0), short(0), L"", L"TEXT", short(4), 0, 0, 1, 60000,
                                        L"0123", L"", L""}));
    ASSERT_EQ(0, TtuSimSendSystemEvent(WFS_SYSE_APP_DISCONNECT));
    ASSERT_TRUE(control.WaitForEvent(L"FatalError", kWait));
    EXPECT_EQ((std::vector<std::wstring>{L"SYSE_APP_DISCONNECT", L"0"}), control.FindEvent(L"FatalError")->args);

    // The lost session's read no longer holds the device.
    EXPECT_TRUE(PumpUntil([] {
        TTUSIMSNAPSHOT s = {};
        return TtuSimGetSnapshot(&s) == 0 && !s.bReadActive;
    }, kWait));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    control.ClearEvents();
    EXPECT_EQ(0, control.Call(L"CloseSessionSync"));
    ASSERT_EQ(0, control.Call(L"OpenSessionSync", {30000}));
    WFMDiagResetCallCounts();
    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVBUSY));
    ASSERT_TRUE(control.WaitForEvent(L"DeviceStatusChanged", kWait));
    // A status query of its own: whatever was sent with the change has been
    // handled once its answer is back.
    control.Call(L"GetExtraStatus", {L"Firmware"});
    EXPECT_EQ(std::vector<std::wstring>{L"DeviceStatusChanged"}, control.EventNames());
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(HostSessionPatterns, AQuitDuringAWaitReachesTheHostsLoop)
{
    CControlHost control;
    InsideCapabilitiesWait([] { PostQuitMessage(7); });
    EXPECT_EQ(WFS_ERR_CANCELED, control.Call(L"OpenSessionSync", {30000}));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_EQ(WFS_ERR_NOT_STARTED, control.Call(L"Beep", {L"KEYPRESS", 0}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
}

TEST_F(HostSessionPatterns, AWaitForAnUndeliverableAnswerEndsWithItsCode)
{
    CControlHost control;
    TtuSimFailNext(TRUE, WFS_INF_TTU_CAPABILITIES, 1, WFS_ERR_HARDWARE_ERROR);
    // A host that destroys the windows of its thread.
    InsideCapabilitiesWait([] {
        for (HWND hWnd : InstanceWindows())
            DestroyWindow(hWnd);
    });
    EXPECT_EQ(WFS_ERR_HARDWARE_ERROR, control.Call(L"OpenSessionSync", {30000}));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
}

} // namespace
