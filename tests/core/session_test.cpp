// The shared XFS session against the real manager and the virtual panel:
// open and close, the requests, the synchronous wait and their failures.
#include "CoreTestSupport.h"
#include "trcutil30.h"
#include "ttusim.h"
#include "xfsdiag.h"
#include "xfsttu.h"

namespace {

class SessionTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(0, TtuSimReset());
        WFMDiagResetCallCounts();
    }
    void TearDown() override
    {
        TtuSimReset();
        CoreTest::TearDown();
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
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncOpen"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncRegister"));
    EXPECT_EQ(1, WFMDiagCallCount("WFMSetTraceLevel"));
    EXPECT_EQ(2, WFMDiagCallCount("WFSAsyncGetInfo"));
    // Capabilities, then status, reach every instance of the process.
    for (TestInstance *pInstance : {&first, &second}) {
        const std::vector<HandlerCall> &calls = pInstance->m_service.Calls();
        ASSERT_EQ(2u, calls.size());
        EXPECT_EQ(DWORD(WFS_INF_TTU_CAPABILITIES), calls[0].dwCode);
        EXPECT_EQ(DWORD(WFS_INF_TTU_STATUS), calls[1].dwCode);
    }
    EXPECT_EQ(0u, Context()->GetRequestOwnerCount());
    EXPECT_EQ(0, WFMDiagLiveBufferCount());

    // The second instance finds the session open: no XFS call at all.
    WFMDiagResetCallCounts();
    EXPECT_EQ(WFS_SUCCESS, second.m_service.OpenSession(10000));
    EXPECT_EQ(0, AnyXfsCalls());

    // Its close closes the session for every instance.
    EXPECT_EQ(WFS_SUCCESS, second.m_service.CloseSession());
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncDeregister"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    EXPECT_FALSE(Context()->GetOpened());
    EXPECT_FALSE(Context()->GetRegistered());
    EXPECT_EQ(0, Context()->GetService());
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
    TestInstance &instance = AddInstance();
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.OpenSession(10000));
    EXPECT_TRUE(Context()->GetOpened());
}

TEST_F(SessionTest, FailedRegistrationClosesTheNewSessionAndLeavesItClosed)
{
    TestInstance &instance = AddInstance();
    MessageSpy spy(instance.Wnd());
    // The device refuses the registration: its completion carries an error.
    spy.m_hook = [](UINT uMsg, WPARAM, LPARAM lParam) {
        if (uMsg == WFS_REGISTER_COMPLETE)
            reinterpret_cast<LPWFSRESULT>(lParam)->hResult = WFS_ERR_HARDWARE_ERROR;
    };

    EXPECT_EQ(WFS_ERR_HARDWARE_ERROR, instance.m_service.OpenSession(10000));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_FALSE(Context()->GetOpened());
    EXPECT_FALSE(Context()->GetRegistered());
    EXPECT_EQ(0, Context()->GetService());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, instance.m_service.Lock(0));
}

TEST_F(SessionTest, FailedInitialQueryClosesTheNewSession)
{
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_CAPABILITIES, 1, WFS_ERR_HARDWARE_ERROR));
    TestInstance &instance = AddInstance();
    EXPECT_EQ(WFS_ERR_HARDWARE_ERROR, instance.m_service.OpenSession(10000));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncGetInfo"));
    EXPECT_EQ(1, WFMDiagCallCount("WFSAsyncClose"));
    EXPECT_FALSE(Context()->GetOpened());
    EXPECT_FALSE(Context()->GetRegistered());
}

TEST_F(SessionTest, EveryRequestNeedingTheSessionRefusesWhileClosed)
{
    TestInstance &instance = AddInstance();
    CService &service = instance.m_service;
    LPVOID lpNothing = nullptr;
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Lock(0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Unlock());
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.Execute(WFS_CMD_TTU_RESET, &lpNothing, 0, 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 0));
    EXPECT_EQ(WFS_ERR_NOT_STARTED, service.CancelRequests());
    EXPECT_EQ(L"", service.GetExtraStatus(L"any"));
    EXPECT_EQ(L"", service.GetExtraCaps(L"any"));
    EXPECT_EQ(0, AnyXfsCalls());
    EXPECT_TRUE(instance.m_service.Calls().empty());
}

TEST_F(SessionTest, GetInfoWaitsUntilAllThreeInstancesSawTheAnswer)
{
    TestInstance &first = OpenedInstance();
    TestInstance &second = AddInstance();
    TestInstance &third = AddInstance();
    first.m_service.Clear();
    LONG lFreed = WFMDiagCallCount("WFSFreeResult");

    ASSERT_EQ(WFS_SUCCESS, second.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 10000));

    LPWFSRESULT lpShared = nullptr;
    for (TestInstance *pInstance : {&first, &second, &third}) {
        ASSERT_EQ(1, pInstance->m_service.Count("DoGetInfoComplete", WFS_INF_TTU_STATUS));
        if (!lpShared)
            lpShared = pInstance->m_service.Calls()[0].lpResult;
        EXPECT_EQ(lpShared, pInstance->m_service.Calls()[0].lpResult);
    }
    EXPECT_EQ(WFS_SUCCESS, second.m_service.GetLastResult());
    EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed);
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
}

TEST_F(SessionTest, GetInfoReturnsAcceptanceAndKeepsTheDeviceAnswer)
{
    TestInstance &instance = OpenedInstance();
    ASSERT_EQ(0, TtuSimFailNext(TRUE, WFS_INF_TTU_STATUS, 1, WFS_ERR_DEV_NOT_READY));
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 10000));
    EXPECT_EQ(WFS_ERR_DEV_NOT_READY, instance.m_service.GetLastResult());
}

TEST_F(SessionTest, RefusedGetInfoIsTracedWithItsLocation)
{
    TestInstance &instance = AddInstance();
    // A session the manager does not know: the request itself is refused.
    Context()->SetOpened(TRUE);
    Context()->SetService(4711);
    TrcCaptureClear();
    TrcCaptureStart();
    HRESULT hResult = instance.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 0);
    TrcCaptureStop();
    Context()->SetOpened(FALSE);
    Context()->SetService(0);

    ASSERT_NE(WFS_SUCCESS, hResult);
    std::vector<std::string> lines = CapturedTraceLines();
    TrcCaptureClear();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("L2 TTU ACTIVEX ERROR CService::GetInfo Result of WFSGetInfo(dwCategory [701], ...) = " +
                  std::to_string(hResult),
              lines[0]);
    EXPECT_EQ(0u, lines[1].find("L0 ERRORCODE 27 57 ")) << lines[1];
    EXPECT_EQ(":[" + std::to_string(hResult) + "]", lines[1].substr(lines[1].find(':')));
}

TEST_F(SessionTest, QuitMessageEndsTheWaitAndTheLateAnswerIsStillReleased)
{
    TestInstance &instance = OpenedInstance();
    instance.m_service.Clear();
    ASSERT_EQ(0, TtuSimDelay(TRUE, WFS_INF_TTU_STATUS, 400));
    PostQuitMessage(0);

    EXPECT_EQ(WFS_SUCCESS, instance.m_service.GetInfo(WFS_INF_TTU_STATUS, nullptr, 10000));
    EXPECT_EQ(0, instance.m_service.Count("DoGetInfoComplete"));
    // The quit is posted again for the caller's own loop.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    EXPECT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoGetInfoComplete") == 1; }));
    TtuSimDelay(TRUE, WFS_INF_TTU_STATUS, 0);
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
}

TEST_F(SessionTest, ExecuteCompletionReachesItsIssuerWithTheTag)
{
    TestInstance &issuer = OpenedInstance();
    TestInstance &other = AddInstance();
    issuer.m_service.Clear();
    other.m_service.Clear();

    ASSERT_EQ(WFS_SUCCESS, SubmitBeep(issuer.m_service, 0x5A5A));
    ASSERT_EQ(1, issuer.m_service.Count("OnExecuteIssued", WFS_CMD_TTU_BEEP));
    EXPECT_EQ(0x5A5A, issuer.m_service.m_wLastTag);
    REQUESTID RequestID = issuer.m_service.Calls()[0].RequestID;
    int nOwner = 0;
    ASSERT_TRUE(Context()->LookupRequestOwner(RequestID, &nOwner));
    EXPECT_EQ(issuer.Number(), nOwner);

    ASSERT_TRUE(PumpUntil([&] { return issuer.m_service.Count("DoExecuteComplete") == 1; }));
    EXPECT_EQ(RequestID, issuer.m_service.Calls()[1].RequestID);
    EXPECT_EQ(WFS_SUCCESS, issuer.m_service.Calls()[1].hResult);
    EXPECT_TRUE(other.m_service.Calls().empty());
    EXPECT_FALSE(Context()->LookupRequestOwner(RequestID, &nOwner));
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
}

TEST_F(SessionTest, KeyEventsOfAReadReachItsIssuerUntilTheReadCompletes)
{
    TestInstance &reader = OpenedInstance();
    TestInstance &other = AddInstance();
    reader.m_service.Clear();
    other.m_service.Clear();

    // Two digits, ended by the second one.
    LPVOID lpData = nullptr;
    LPVOID lpKeys = nullptr;
    ASSERT_EQ(WFS_SUCCESS, WFMAllocateBuffer(sizeof(WFSTTUREAD), WFS_MEM_ZEROINIT, &lpData));
    ASSERT_EQ(WFS_SUCCESS, WFMAllocateMore(3, lpData, &lpKeys));
    lstrcpyA(static_cast<LPSTR>(lpKeys), "12");
    LPWFSTTUREAD lpRead = static_cast<LPWFSTTUREAD>(lpData);
    lpRead->wNumOfChars = 2;
    lpRead->wMode = WFS_TTU_POSRELATIVE;
    lpRead->fwEchoMode = WFS_TTU_ECHOTEXT;
    lpRead->bAutoEnd = TRUE;
    lpRead->lpszActiveKeys = static_cast<LPSTR>(lpKeys);
    HRESULT hResult = reader.m_service.Execute(WFS_CMD_TTU_READ, &lpData, 0, 0);
    WFMFreeBuffer(lpData);
    ASSERT_EQ(WFS_SUCCESS, hResult);
    REQUESTID RequestID = reader.m_service.Calls().at(0).RequestID;
    int nOwner = 0;

    ASSERT_EQ(0, TtuSimPressKey(L'1', 0));
    ASSERT_TRUE(PumpUntil([&] { return reader.m_service.Count("DoExecuteEvent") == 1; }));
    EXPECT_TRUE(Context()->LookupRequestOwner(RequestID, &nOwner));

    ASSERT_EQ(0, TtuSimPressKey(L'2', 0));
    ASSERT_TRUE(PumpUntil([&] { return reader.m_service.Count("DoExecuteComplete") == 1; }));
    EXPECT_EQ(2, reader.m_service.Count("DoExecuteEvent", WFS_EXEE_TTU_KEY));
    for (const HandlerCall &call : reader.m_service.Calls())
        EXPECT_EQ(RequestID, call.RequestID);
    EXPECT_FALSE(Context()->LookupRequestOwner(RequestID, &nOwner));
    EXPECT_TRUE(other.m_service.Calls().empty());
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
}

TEST_F(SessionTest, LockAndUnlockCompleteAtTheirIssuer)
{
    TestInstance &instance = OpenedInstance();
    instance.m_service.Clear();
    ASSERT_EQ(WFS_SUCCESS, instance.m_service.Lock(0));
    ASSERT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoLockComplete") == 1; }));
    ASSERT_EQ(WFS_SUCCESS, instance.m_service.Unlock());
    ASSERT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoUnlockComplete") == 1; }));
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.Calls()[0].hResult);
    EXPECT_EQ(WFS_SUCCESS, instance.m_service.Calls()[1].hResult);
    EXPECT_EQ(0u, Context()->GetRequestOwnerCount());
}

TEST_F(SessionTest, DeviceStatusEventReachesEveryInstance)
{
    TestInstance &first = OpenedInstance();
    TestInstance &second = AddInstance();
    first.m_service.Clear();
    ASSERT_EQ(0, TtuSimSetDeviceStatus(WFS_TTU_DEVOFFLINE));
    for (TestInstance *pInstance : {&first, &second})
        EXPECT_TRUE(PumpUntil([&] {
            return pInstance->m_service.Count("DoSystemEvent", WFS_SYSE_DEVICE_STATUS) == 1;
        }));
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
}

} // namespace
