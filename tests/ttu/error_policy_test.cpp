// The error policy under each pair of registry settings (SrvMode,
// ErrHandle): a failed request that has no event of its own becomes
// FatalError, nothing, or a request to close the host's main window. The
// settings are read when the context is created, so each test creates a
// fresh one after writing them.
#include "TTUTestSupport.h"

namespace {

// The host application's main window: visible, top-level, counting the
// WM_CLOSE it receives (and not closing, so the test stays in charge).
class HostWindow {
public:
    HostWindow()
    {
        WNDCLASSW wc = {0, &HostWindow::Proc, 0, 0, GetModuleHandleW(nullptr)};
        wc.lpszClassName = L"TTUTestHostWindow";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
        s_nCloses = 0;
    }
    ~HostWindow() { DestroyWindow(m_hWnd); }
    static int s_nCloses;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        s_nCloses += uMsg == WM_CLOSE;
        return uMsg == WM_CLOSE ? 0 : DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    HWND m_hWnd;
};
int HostWindow::s_nCloses = 0;

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

    // The events of one failed request, and whether the host was asked to
    // close, after the failure has been handled.
    std::vector<std::string> Fail(PanelInstance &instance, size_t nEvents, const std::function<void()> &request)
    {
        instance.Events().clear();
        TrcCaptureClear();
        HostWindow::s_nCloses = 0;
        request();
        return Settled(instance, nEvents);
    }

    ZentrikSettings m_settings;
};

TEST_P(ErrorPolicyTest, FailedRequestsWithoutAnEventOfTheirOwn)
{
    const Settings &settings = GetParam();
    HostWindow host;
    PanelInstance &instance = OpenedInstance();
    CTTUService &service = instance.Service();

    auto expect = [&](const std::string &strFatal) {
        return settings.bReport ? std::vector<std::string>{strFatal} : std::vector<std::string>{};
    };

    // A command completion.
    std::vector<std::string> events = Fail(instance, settings.bReport, [&] {
        ASSERT_EQ(0, TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_DEV_NOT_READY));
        ASSERT_EQ(WFS_SUCCESS, service.Beep(L"KEYPRESS", 0));
    });
    EXPECT_EQ(expect("FatalError(CMD_TTU_BEEP,-13)"), events);
    EXPECT_EQ(settings.bReport ? 1u : 0u,
              CapturedTraceLinesWith("L0 TTU ACTIVEX EVENT CTTUService::DoErrorStatus "
                             "FireFatalError{Command[CMD_TTU_BEEP], hResult[-13]}")
                  .size());
    // The handler's own ERROR line is written whatever the settings.
    EXPECT_EQ(1u, CapturedTraceLinesWith("ERROR CTTUService::HandleBeep DoErrorStatus ==> Line = ").size());
    EXPECT_EQ(settings.bClose ? 1 : 0, HostWindow::s_nCloses);

    // A status answer.
    events = Fail(instance, settings.bReport, [&] {
        ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, WFS_ERR_HARDWARE_ERROR));
        ASSERT_EQ(WFS_SUCCESS, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 30000));
    });
    EXPECT_EQ(expect("FatalError(INF_TTU_STATUS,-14)"), events);
    EXPECT_EQ(settings.bClose ? 1 : 0, HostWindow::s_nCloses);

    // Events a handler fires itself do not depend on the settings.
    events = Fail(instance, 1, [&] {
        ASSERT_EQ(0, TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_HARDWARE_ERROR));
        ASSERT_EQ(WFS_SUCCESS, service.Beep(L"KEYPRESS", 0));
    });
    EXPECT_EQ((std::vector<std::string>{"DeviceError(CMD_TTU_BEEP,-14)"}), events);
    events = Fail(instance, 1, [&] {
        ASSERT_EQ(0, TtuSimFailNext(FALSE, WFS_CMD_TTU_SET_LED, 1, WFS_ERR_TTU_INVALIDLED));
        ASSERT_EQ(WFS_SUCCESS, service.SetLEDState(0, L"OFF"));
    });
    EXPECT_EQ((std::vector<std::string>{"FatalError(CMD_TTU_SET_LED,-707)"}), events);
    EXPECT_EQ(0, HostWindow::s_nCloses);
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
    EXPECT_FALSE(Context()->GetOpened());
    EXPECT_FALSE(Context()->GetRegistered());
    EXPECT_EQ(0, Context()->GetService());
    EXPECT_FALSE(first.Service().IsStatusValid());
    EXPECT_EQ(L"DEVNODEVICE", first.Service().GetDeviceStatus());
    EXPECT_FALSE(CapturedTraceLinesWith("EVENT CTTUService::DoSystemEvent FireFatalError{dwEventID[5], hResult[").empty());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, first.Service().Beep(L"KEYPRESS", 0));
    EXPECT_EQ(0, HostWindow::s_nCloses);
    // The lost session is closed without a wait; a new one opens.
    EXPECT_EQ(WFS_SUCCESS, second.Service().OpenSession(10000));
    EXPECT_EQ(1u, Settled(second, 1).size());
}

INSTANTIATE_TEST_SUITE_P(Settings, ErrorPolicyTest,
                         ::testing::Values(Settings{0, 1, true, false}, Settings{1, 1, true, false},
                                           Settings{1, 0, false, false},
                                           Settings{0, 0, false, true},
                                           Settings{2, 1, false, false}),
                         [](const ::testing::TestParamInfo<Settings> &info) {
                             return "SrvMode" + std::to_string(info.param.dwSrvMode) + "ErrHandle" +
                                    std::to_string(info.param.dwErrHandle);
                         });

} // namespace
