// The shared XFS session against the real manager and the virtual panel:
// open and close, the requests, the synchronous wait and their failures.
#include "CoreTestSupport.h"

#include <tuple>

#include "trcutil30.h"
#include "ttusim.h"
#include "xfsdiag.h"
#include "xfsttu.h"

namespace {

class SessionTest : public CoreTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, TtuSimReset());
        CoreTest::SetUp();
    }
    void ExpectClosed()
    {
        EXPECT_FALSE(Context()->GetOpened());
        EXPECT_FALSE(Context()->GetRegistered());
        EXPECT_EQ(0, Context()->GetService());
    }
};

TEST_F(SessionTest, OpenRegistersQueriesAndSharesTheSession)
{
    TestInstance &first = AddInstance();
    TestInstance &second = AddInstance();
    ASSERT_EQ(WFS_SUCCESS, first.m_service.OpenSession(10000));
    EXPECT_TRUE(Context()->GetOpened());
    EXPECT_TRUE(Context()->GetRegistered());
    EXPECT_NE(0, Context()->GetService());
    for (const char *pszOnce : {"WFSAsyncOpen", "WFSAsyncRegister", "WFMSetTraceLevel"})
        EXPECT_EQ(1, WFMDiagCallCount(pszOnce)) << pszOnce;
    // Capabilities, then status, reach every instance of the process.
    for (TestInstance *pInstance : {&first, &second}) {
        const std::vector<HandlerCall> &calls = pInstance->m_service.m_calls;
        ASSERT_EQ(2u, calls.size());
        EXPECT_EQ(DWORD(WFS_INF_TTU_CAPABILITIES), calls[0].dwCode);
        EXPECT_EQ(DWORD(WFS_INF_TTU_STATUS), calls[1].dwCode);
    }
    EXPECT_EQ(0, WFMDiagLiveBufferCount());

    // The second instance finds the session open: no XFS call at all.
    WFMDiagResetCallCounts();
    EXPECT_EQ(WFS_SUCCESS, second.m_service.OpenSession(10000));
    EXPECT_EQ(0, AnyXfsCalls());

    // Its close closes the session for every instance.
    EXPECT_EQ(WFS_SUCCESS, second.m_service.CloseSession());
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncDeregister"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    ExpectClosed();
    EXPECT_EQ(1, second.m_service.m_nResets);
    EXPECT_EQ(0, first.m_service.m_nResets);

    // Closing a closed session is a no-op.
    WFMDiagResetCallCounts();
    EXPECT_EQ(WFS_SUCCESS, first.m_service.CloseSession());
    EXPECT_EQ(0, AnyXfsCalls());
}

TEST_F(SessionTest, AlreadyStartedManagerDoesNotStopTheOpen)
{
    WFSVERSION version = {};
    WFSStartUp(0x00000003, &version);
    ASSERT_EQ(WFS_ERR_ALREADY_STARTED, WFSStartUp(0x00000003, &version));
    EXPECT_EQ(WFS_SUCCESS, AddInstance().m_service.OpenSession(10000));
    EXPECT_TRUE(Context()->GetOpened());
}

// A refused registration or a failed first query closes the new session.
TEST_F(SessionTest, FailedOpenStepsCloseTheNewSession)
{
    TestInstance &instance = AddInstance();
    {
        MessageSpy spy(instance.Wnd());
        spy.m_hook = [](UINT uMsg, LPARAM lParam) {
            if (uMsg == WFS_REGISTER_COMPLETE)
                reinterpret_cast<LPWFSRESULT>(lParam)->hResult = WFS_ERR_HARDWARE_ERROR;
        };
        EXPECT_EQ(WFS_ERR_HARDWARE_ERROR, instance.m_service.OpenSession(10000));
    }
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
    ExpectClosed();
    EXPECT_EQ(WFS_ERR_NOT_STARTED, instance.m_service.Lock(0));

    WFMDiagResetCallCounts();
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_CAPABILITIES, 1, WFS_ERR_HARDWARE_ERROR));
    EXPECT_EQ(WFS_ERR_HARDWARE_ERROR, instance.m_service.OpenSession(10000));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    ExpectClosed();
}

TEST_F(SessionTest, EveryRequestNeedingTheSessionRefusesWhileClosed)
{
    RecordingService &service = AddInstance().m_service;
    LPVOID lpNothing = nullptr;
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Lock(0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Unlock());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Execute(WFS_CMD_TTU_RESET, &lpNothing, 0, 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.CancelRequests());
    EXPECT_EQ(L"", service.GetExtraStatus(L"any"));
    EXPECT_EQ(L"", service.GetExtraCaps(L"any"));
    EXPECT_EQ(0, AnyXfsCalls());
    EXPECT_TRUE(service.m_calls.empty());
}

// GetInfo returns the acceptance once all three instances saw the one
// answer, which carries the device's code.
TEST_F(SessionTest, GetInfoWaitsUntilEveryInstanceSawTheAnswer)
{
    TestInstance &first = OpenedInstance();
    TestInstance &second = AddInstance();
    TestInstance &third = AddInstance();
    first.m_service.m_calls.clear();
    LONG lFreed = WFMDiagCallCount("WFSFreeResult");
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, WFS_ERR_DEV_NOT_READY));
    ASSERT_EQ(WFS_SUCCESS, second.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 10000));
    for (TestInstance *pInstance : {&first, &second, &third}) {
        ASSERT_EQ(1, pInstance->m_service.Count("DoGetInfoComplete", WFS_INF_TTU_STATUS));
        EXPECT_EQ(first.m_service.m_calls[0].lpResult, pInstance->m_service.m_calls[0].lpResult);
        EXPECT_EQ(WFS_ERR_DEV_NOT_READY, pInstance->m_service.m_calls[0].hResult);
    }
    EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed);
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

TEST_F(SessionTest, RefusedGetInfoIsTracedWithItsLocation)
{
    TestInstance &instance = OpenedInstance();
    // The session is closed behind the control's back: the manager no
    // longer knows its handle and refuses the request itself.
    ASSERT_EQ(WFS_SUCCESS, WFSClose(Context()->GetService()));
    TrcCaptureClear();
    TrcCaptureStart();
    HRESULT hResult = instance.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 0);
    TrcCaptureStop();
    instance.m_service.CloseSession();
    ASSERT_NE(WFS_SUCCESS, hResult);
    std::vector<std::string> lines = CapturedTraceLines();
    TrcCaptureClear();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 57 ")) << lines[1];
    EXPECT_EQ(":[" + std::to_string(hResult) + "]", lines[1].substr(lines[1].find(':')));
}

TEST_F(SessionTest, QuitMessageEndsTheWaitAndTheLateAnswerIsStillReleased)
{
    TestInstance &instance = OpenedInstance();
    instance.m_service.m_calls.clear();
    ASSERT_EQ(0, TtuSimDelay(TRUE, WFS_INF_TTU_STATUS, 400));
    PostQuitMessage(0);
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 10000));
    EXPECT_EQ(0, instance.m_service.Count("DoGetInfoComplete"));
    // The quit is posted again for the caller's own loop.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoGetInfoComplete") == 1; }));
}

// After an execute completion every other process's context window (here a
// second window of the context class) gets a refresh, the own one none; a
// refresh received makes one status query for all instances.
TEST_F(SessionTest, StatusRefreshBetweenProcesses)
{
    TestInstance &first = OpenedInstance();
    TestInstance &second = AddInstance();
    HWND hForeign = CreateWindowExW(0, Context()->GetWndClass(), L"foreign", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                    nullptr, nullptr, CHiddenWindow::GetModuleInstance(), nullptr);
    ASSERT_NE(nullptr, hForeign);
    {
        MessageSpy foreign(hForeign), own(Context()->GetWnd());
        ASSERT_EQ(WFS_SUCCESS, first.m_service.Lock(0));
        ASSERT_TRUE(PumpUntil([&] { return first.m_service.Count("DoLockComplete") == 1; }));
        ASSERT_EQ(WFS_SUCCESS, first.m_service.Unlock());
        ASSERT_TRUE(PumpUntil([&] { return first.m_service.Count("DoUnlockComplete") == 1; }));
        // The beep's refresh is the first the foreign window gets.
        first.m_service.m_calls.clear();
        ASSERT_EQ(WFS_SUCCESS, SubmitBeep(first.m_service, 0x5A5A));
        ASSERT_TRUE(PumpUntil([&] { return foreign.Count(WM_TTU_STATUS_REFRESH) == 1; }));
        EXPECT_EQ(1u, foreign.m_seen.size());
        EXPECT_EQ(0u, foreign.m_seen[0].wParam | foreign.m_seen[0].lParam);
        // The issuer heard of its command with its tag and the id its completion carries.
        const std::vector<HandlerCall> &calls = first.m_service.m_calls;
        ASSERT_EQ(2u, calls.size());
        EXPECT_EQ(std::make_tuple(std::string("OnExecuteIssued"), DWORD(WFS_CMD_TTU_BEEP), calls[0].RequestID),
                  std::make_tuple(calls[0].strSlot, calls[0].dwCode, calls[1].RequestID));
        EXPECT_EQ("DoExecuteComplete", calls[1].strSlot);
        EXPECT_EQ(0x5A5A, first.m_service.m_wLastTag);
        EXPECT_EQ(0, own.Count(WM_TTU_STATUS_REFRESH));
    }
    DestroyWindow(hForeign);

    first.m_service.m_calls.clear();
    second.m_service.m_calls.clear();
    LONG lQueries = WFMDiagCallCount("WFSAsyncGetInfo");
    ASSERT_TRUE(PostMessageW(Context()->GetWnd(), WM_TTU_STATUS_REFRESH, 0, 0));
    ASSERT_TRUE(PumpUntil([&] {
        return first.m_service.Count("DoGetInfoComplete", WFS_INF_TTU_STATUS) == 1 &&
               second.m_service.Count("DoGetInfoComplete", WFS_INF_TTU_STATUS) == 1;
    }));
    EXPECT_EQ(lQueries + 1, WFMDiagCallCount("WFSAsyncGetInfo"));
}

} // namespace
