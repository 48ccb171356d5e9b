// The error policy under each pair of registry settings (SrvMode,
// ErrHandle): a failed request that has no event of its own becomes
// FatalError, nothing, or a request to close the host's main window. The
// settings are read when the context is created, so each test creates a
// fresh one after writing them.
#include "TTUTestSupport.h"

namespace {

// The host application's main window: visible, top-level, counting the
// WM_CLOSE it receives (and not closing, so the test stays in charge).
int g_nCloses = 0;
LRESULT CALLBACK HostProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    g_nCloses += uMsg == WM_CLOSE;
    return uMsg == WM_CLOSE ? 0 : DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
struct HostWindow {
    WNDCLASSW wc = {0, HostProc, 0, 0, GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr,
                    L"TTUTestHostWindow"};
    ATOM atom = RegisterClassW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HostWindow() { g_nCloses = 0; }
    ~HostWindow() { DestroyWindow(hWnd); }
};

struct Settings {
    DWORD dwSrvMode;
    DWORD dwErrHandle;
    bool bReport; // FatalError
    bool bClose;  // WM_CLOSE to the host
};

class ErrorPolicyTest : public PanelTest, public ::testing::WithParamInterface<Settings> {
protected:
    void SetUp() override
    {
        m_settings.Write(L"SrvMode", GetParam().dwSrvMode);
        m_settings.Write(L"ErrHandle", GetParam().dwErrHandle);
        CTTUContext::ReleaseInstance();
        PanelTest::SetUp();
        ASSERT_EQ(static_cast<int>(GetParam().dwSrvMode), Context()->GetSrvMode());
        ASSERT_EQ(static_cast<int>(GetParam().dwErrHandle), Context()->GetErrHandle());
    }

    ZentrikSettings m_settings;
};

// A command completion and a status answer without an event of their own
// follow the settings; events a handler fires itself do not. The handler's
// own ERROR line is written whatever the settings.
TEST_P(ErrorPolicyTest, FailedRequestsWithoutAnEventOfTheirOwn)
{
    const Settings &settings = GetParam();
    HostWindow host;
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();
    const struct {
        BOOL bInfo;
        DWORD dwCode;
        HRESULT hr;
        std::function<HRESULT()> submit;
        std::string strEvent;
        bool bOwn;
    } failures[] = {
        {FALSE, WFS_CMD_TTU_BEEP, WFS_ERR_DEV_NOT_READY, [&] { return service.Beep(L"KEYPRESS", 0); },
         "FatalError(CMD_TTU_BEEP,-13)", false},
        {TRUE, WFS_INF_TTU_STATUS, WFS_ERR_HARDWARE_ERROR,
         [&] { return service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000); }, "FatalError(INF_TTU_STATUS,-14)", false},
        {FALSE, WFS_CMD_TTU_BEEP, WFS_ERR_HARDWARE_ERROR, [&] { return service.Beep(L"KEYPRESS", 0); },
         "DeviceError(CMD_TTU_BEEP,-14)", true},
        {FALSE, WFS_CMD_TTU_SET_LED, WFS_ERR_TTU_INVALIDLED, [&] { return service.SetLEDState(0, L"OFF"); },
         "FatalError(CMD_TTU_SET_LED,-707)", true},
    };
    for (const auto &f : failures) {
        const bool bReport = f.bOwn || settings.bReport;
        instance.Events().clear();
        TrcCaptureClear();
        g_nCloses = 0;
        ASSERT_EQ(0, TtuSimFailNext(f.bInfo, f.dwCode, 1, f.hr));
        ASSERT_EQ(WFS_SUCCESS, f.submit());
        EXPECT_EQ(bReport ? std::vector<std::string>{f.strEvent} : std::vector<std::string>{},
                  Settled(instance, bReport));
        EXPECT_EQ(settings.bClose && !f.bOwn ? 1 : 0, g_nCloses) << f.strEvent;
        if (&f != failures)
            continue;
        EXPECT_EQ(settings.bReport ? 1u : 0u,
                  CapturedTraceLinesWith("L0 TTU ACTIVEX EVENT CTTUService::DoErrorStatus "
                                         "FireFatalError{Command[CMD_TTU_BEEP], hResult[-13]}")
                      .size());
        EXPECT_EQ(1u, CapturedTraceLinesWith("ERROR CTTUService::HandleBeep DoErrorStatus ==> Line = ").size());
    }
}

// Losing the session is always reported, to every instance, and the
// session is marked closed; the process can open it again.
TEST_P(ErrorPolicyTest, AppDisconnectIsReportedWhateverTheSettings)
{
    HostWindow host;
    PanelInstance &first = OpenedInstance();
    PanelInstance &second = AddInstance();
    first.Service().SetStatusValid(TRUE);
    ASSERT_EQ(0, TtuSimSendSystemEvent(WFS_SYSE_APP_DISCONNECT));
    ASSERT_TRUE(WaitForEvents(first, 1));
    ASSERT_TRUE(WaitForEvents(second, 1));
    ASSERT_EQ(1u, first.Events().size());
    EXPECT_EQ(0u, first.Events()[0].find("FatalError(SYSE_APP_DISCONNECT,"));
    EXPECT_EQ(first.Events(), second.Events());
    EXPECT_EQ((std::vector<long>{0, 0, 0, 0}),
              (std::vector<long>{long(Context()->GetOpened()), long(Context()->GetRegistered()),
                                 long(Context()->GetService()), long(first.Service().IsStatusValid())}));
    EXPECT_EQ(L"DEVNODEVICE", first.Service().GetDeviceStatus());
    EXPECT_FALSE(CapturedTraceLinesWith("EVENT CTTUService::DoSystemEvent FireFatalError{dwEventID[5], hResult[").empty());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, first.Service().Beep(L"KEYPRESS", 0));
    EXPECT_EQ(0, g_nCloses);
    // The lost session is closed without a wait; a new one opens.
    EXPECT_EQ(WFS_SUCCESS, second.Service().OpenSession(10000));
    EXPECT_EQ(1u, Settled(second, 1).size());
}

// SrvMode, ErrHandle: report, close the host.
INSTANTIATE_TEST_SUITE_P(Settings, ErrorPolicyTest,
                         ::testing::Values(Settings{0, 1, true, false}, Settings{1, 1, true, false},
                                           Settings{1, 0, false, false}, Settings{0, 0, false, true},
                                           Settings{2, 1, false, false}));

} // namespace
