// The manager's asynchronous contract, through the real message loop with
// the fake provider behind it.
#include "manager_test_support.h"

#include <set>

namespace {

using StartUpTest = ManagerTest;

TEST(StartUpContract, NothingWorksBeforeStartUpAndVersionRangesDecide)
{
    WFSVERSION version;
    HAPP hApp = nullptr;
    REQUESTID RequestID = 0;
    HSERVICE hService = 0;
    WFSVERSION srvc, spi;
    EXPECT_EQ(WFSCleanUp(), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSCreateAppHandle(&hApp), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, GetDesktopWindow(),
                           3, &srvc, &spi, &RequestID),
              WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSAsyncExecute(1, 701, nullptr, 0, GetDesktopWindow(), &RequestID),
              WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSCancelAsyncRequest(1, 0), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFMSetTraceLevel(1, 0), WFS_ERR_NOT_STARTED);

    EXPECT_EQ(WFSStartUp(0x00000003, nullptr), WFS_ERR_INVALID_POINTER);
    // Lowest acceptable above what the manager speaks (4.00).
    EXPECT_EQ(WFSStartUp(0x00000004, &version), WFS_ERR_API_VER_TOO_HIGH);
    EXPECT_EQ(version.wHighVersion, 0x0303); // the refusal says what would do
    // Highest acceptable below it (2.00 .. 2.50).
    EXPECT_EQ(WFSStartUp(0x32020002, &version), WFS_ERR_API_VER_TOO_LOW);
    // 3.02 .. 3.01 leaves nothing.
    EXPECT_EQ(WFSStartUp(0x01030203, &version), WFS_ERR_API_VER_TOO_LOW);

    // A high word of 0 sets no upper bound: 3.00 and 3.01 both start.
    ASSERT_EQ(WFSStartUp(0x00000003, &version), WFS_SUCCESS);
    EXPECT_EQ(version.wVersion, 0x0303);
    EXPECT_EQ(WFSStartUp(0x00000003, &version), WFS_ERR_ALREADY_STARTED);
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    ASSERT_EQ(WFSStartUp(0x00000103, &version), WFS_SUCCESS);
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    // A bounded range agrees on its own highest version.
    ASSERT_EQ(WFSStartUp(0x01030003, &version), WFS_SUCCESS);
    EXPECT_EQ(version.wVersion, 0x0103);
    EXPECT_EQ(version.wLowVersion, 0x0003);
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
}

TEST_F(StartUpTest, ApplicationHandlesAreUniqueAndChecked)
{
    HAPP hApp1 = nullptr, hApp2 = nullptr;
    EXPECT_EQ(WFSCreateAppHandle(nullptr), WFS_ERR_INVALID_POINTER);
    ASSERT_EQ(WFSCreateAppHandle(&hApp1), WFS_SUCCESS);
    ASSERT_EQ(WFSCreateAppHandle(&hApp2), WFS_SUCCESS);
    EXPECT_NE(hApp1, nullptr);
    EXPECT_NE(hApp1, hApp2);

    HSERVICE hService = 0;
    WFSVERSION srvc, spi;
    REQUESTID RequestID = 0;
    HAPP hBogus = reinterpret_cast<HAPP>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(WFSAsyncOpen(kFakeService, hBogus, nullptr, 0, 0, &hService, m_recorder.Handle(), 3,
                           &srvc, &spi, &RequestID),
              WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(WFSDestroyAppHandle(hApp1), WFS_SUCCESS);
    EXPECT_EQ(WFSDestroyAppHandle(hApp1), WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, hApp1, nullptr, 0, 0, &hService, m_recorder.Handle(), 3,
                           &srvc, &spi, &RequestID),
              WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(FakeCallCount("WFPOpen"), 0);
    // WFSCleanUp forgets every handle.
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    WFSVERSION version;
    ASSERT_EQ(WFSStartUp(3, &version), WFS_SUCCESS);
    EXPECT_EQ(WFSDestroyAppHandle(hApp2), WFS_ERR_INVALID_APP_HANDLE);
}

using OpenTest = ManagerTest;

TEST_F(OpenTest, ServiceLookupFailuresAnswerAtOnceWithoutCompletion)
{
    HSERVICE hService = 0;
    WFSVERSION srvc, spi;
    REQUESTID RequestID = 0;
    auto open = [&](LPSTR lpszName) {
        return WFSAsyncOpen(lpszName, nullptr, nullptr, 0, 0, &hService, m_recorder.Handle(), 3,
                            &srvc, &spi, &RequestID);
    };
    EXPECT_EQ(open(kUnknownService), WFS_ERR_SERVICE_NOT_FOUND);
    char szEscaping[] = "ZtMgrTestFake\\..\\x";
    EXPECT_EQ(open(szEscaping), WFS_ERR_SERVICE_NOT_FOUND);
    EXPECT_EQ(open(kNoProviderService), WFS_ERR_INVALID_SERVPROV);
    EXPECT_EQ(open(kMissingDllService), WFS_ERR_INVALID_SERVPROV);
    EXPECT_EQ(open(kNoSpiService), WFS_ERR_INVALID_SERVPROV);
    PumpFor(30);
    EXPECT_TRUE(m_recorder.Messages().empty());
}

TEST_F(OpenTest, BadArgumentsOfOpenAreRefusedBeforeTheProvider)
{
    HSERVICE hService = 0;
    WFSVERSION srvc, spi;
    REQUESTID RequestID = 0;
    HWND hWnd = m_recorder.Handle();
    EXPECT_EQ(WFSAsyncOpen(nullptr, nullptr, nullptr, 0, 0, &hService, hWnd, 3, &srvc, &spi,
                           &RequestID),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, nullptr, hWnd, 3, &srvc, &spi,
                           &RequestID),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, hWnd, 3, nullptr,
                           &spi, &RequestID),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, hWnd, 3, &srvc,
                           &spi, nullptr),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, nullptr, 3, &srvc,
                           &spi, &RequestID),
              WFS_ERR_INVALID_HWND);
    HWND hGone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    DestroyWindow(hGone);
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, hGone, 3, &srvc,
                           &spi, &RequestID),
              WFS_ERR_INVALID_HWND);
    EXPECT_EQ(FakeCallCount("WFPOpen"), 0);
}

TEST_F(OpenTest, OpenReachesTheProviderThroughTheSpiAndCompletesOnce)
{
    HSERVICE hService = 0;
    WFSVERSION srvc = {}, spi = {};
    REQUESTID RequestID = 0;
    char szAppID[] = "tests";
    ASSERT_EQ(WFSAsyncOpen(kFakeService, nullptr, szAppID, 2, 4321, &hService,
                           m_recorder.Handle(), 0x00000003, &srvc, &spi, &RequestID),
              WFS_SUCCESS);
    EXPECT_NE(hService, 0);
    EXPECT_NE(RequestID, 0u);
    FAKECALL call;
    FakeGetLastCall(&call);
    EXPECT_EQ(call.hService, hService);
    EXPECT_EQ(call.RequestID, RequestID);
    EXPECT_EQ(call.dwTimeOut, 4321u); // the provider enforces time-outs
    EXPECT_EQ(call.dwCode, 2u);       // trace level
    EXPECT_EQ(call.dwSrvcVersionsRequired, 0x00000003u);
    EXPECT_NE(call.hProvider, nullptr);
    EXPECT_EQ(spi.wVersion, 0x0303); // the provider wrote into the caller's structures
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_OPEN_COMPLETE) == 1; }));
    LPWFSRESULT lpResult = m_recorder.OnlyResultFor(RequestID, WFS_OPEN_COMPLETE);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->hService, hService);
    EXPECT_EQ(lpResult->hResult, WFS_SUCCESS);
    CloseSession(hService);
}

TEST_F(OpenTest, AFailedOpenLeavesNoSessionBehind)
{
    FakeSetBehaviour(FAKE_OPEN, FAKE_FAIL_CALL, WFS_ERR_HARDWARE_ERROR);
    HSERVICE hService = 77;
    WFSVERSION srvc, spi;
    REQUESTID RequestID = 5;
    EXPECT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, m_recorder.Handle(),
                           3, &srvc, &spi, &RequestID),
              WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(hService, 0);
    EXPECT_EQ(RequestID, 0u);

    // An open that fails in its completion is the provider's to report;
    // once the provider disowns the session, the manager forgets it too.
    FakeSetBehaviour(FAKE_OPEN, FAKE_COMPLETE_NOW, WFS_ERR_SRVC_VER_TOO_LOW);
    ASSERT_EQ(WFSAsyncOpen(kFakeService, nullptr, nullptr, 0, 0, &hService, m_recorder.Handle(),
                           3, &srvc, &spi, &RequestID),
              WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_OPEN_COMPLETE) == 1; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(RequestID, WFS_OPEN_COMPLETE)->hResult,
              WFS_ERR_SRVC_VER_TOO_LOW);
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_FAIL_CALL, WFS_ERR_INVALID_HSERVICE);
    REQUESTID ExecuteID = 0;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(WFSAsyncExecute(hService, 701, nullptr, 0, m_recorder.Handle(), &ExecuteID),
                  WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(FakeCallCount("WFPExecute"), 1);
}

using RequestTest = ManagerTest;

TEST_F(RequestTest, EveryBadArgumentHasItsCode)
{
    HSERVICE hService = OpenFakeSession();
    HWND hWnd = m_recorder.Handle();
    REQUESTID RequestID = 0;
    HSERVICE hOther = static_cast<HSERVICE>(hService + 100);
    EXPECT_EQ(WFSAsyncExecute(hOther, 701, nullptr, 0, hWnd, &RequestID),
              WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncGetInfo(hOther, 701, nullptr, 0, hWnd, &RequestID),
              WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncLock(hOther, 0, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncClose(hOther, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSCancelAsyncRequest(hOther, 0), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFMSetTraceLevel(hOther, 0), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncExecute(hService, 701, nullptr, 0, hWnd, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncUnlock(hService, nullptr, &RequestID), WFS_ERR_INVALID_HWND);
    HWND hBogus = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD0));
    EXPECT_EQ(WFSAsyncGetInfo(hService, 701, nullptr, 0, hBogus, &RequestID),
              WFS_ERR_INVALID_HWND);
    EXPECT_EQ(WFSAsyncRegister(hService, SERVICE_EVENTS, hBogus, hWnd, &RequestID),
              WFS_ERR_INVALID_HWNDREG);
    EXPECT_EQ(WFSAsyncRegister(hService, 0, hWnd, hWnd, &RequestID),
              WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncRegister(hService, 16, hWnd, hWnd, &RequestID),
              WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncDeregister(hService, 32, hWnd, hWnd, &RequestID),
              WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncDeregister(hService, 0, hBogus, hWnd, &RequestID),
              WFS_ERR_INVALID_HWNDREG);
    EXPECT_EQ(FakeCallCount("WFPExecute") + FakeCallCount("WFPGetInfo") +
                  FakeCallCount("WFPRegister") + FakeCallCount("WFPDeregister") +
                  FakeCallCount("WFPCancelAsyncRequest") + FakeCallCount("WFPUnlock"),
              0);
    PumpFor(20);
    EXPECT_EQ(m_recorder.Messages().size(), 1u); // only the open's completion
    CloseSession(hService);
}

TEST_F(RequestTest, RequestIdsAreUniqueNonZeroAndEachCompletesOnce)
{
    HSERVICE hService = OpenFakeSession();
    HWND hWnd = m_recorder.Handle();
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_HOLD, WFS_SUCCESS);
    FakeSetBehaviour(FAKE_GETINFO, FAKE_HOLD, WFS_ERR_DEV_NOT_READY);
    std::set<REQUESTID> ids;
    int nAccepted = 0;
    for (int i = 0; i < 20; ++i) {
        REQUESTID RequestID = 0;
        HRESULT hr = (i % 2) ? WFSAsyncExecute(hService, 701, nullptr, 100, hWnd, &RequestID)
                             : WFSAsyncGetInfo(hService, 702, nullptr, 100, hWnd, &RequestID);
        ASSERT_EQ(hr, WFS_SUCCESS);
        EXPECT_NE(RequestID, 0u);
        ids.insert(RequestID);
        ++nAccepted;
    }
    EXPECT_EQ(ids.size(), 20u);
    PumpFor(20);
    EXPECT_EQ(m_recorder.CountOf(WFS_EXECUTE_COMPLETE), 0u); // still held
    EXPECT_EQ(FakeReleaseHeld(), nAccepted);
    ASSERT_TRUE(PumpUntil([&] {
        return m_recorder.CountOf(WFS_EXECUTE_COMPLETE) + m_recorder.CountOf(WFS_GETINFO_COMPLETE) ==
               20;
    }));
    for (const CDelivered &message : m_recorder.Messages()) {
        if (message.uMsg == WFS_GETINFO_COMPLETE) {
            EXPECT_EQ(message.lpResult->hResult, WFS_ERR_DEV_NOT_READY);
            EXPECT_EQ(message.lpResult->u.dwCommandCode, 702u);
            EXPECT_EQ(*static_cast<DWORD *>(message.lpResult->lpBuffer), 702u);
        }
    }
    CloseSession(hService);
}

TEST_F(RequestTest, AFailedProviderCallIsTheResultAndNothingFollows)
{
    HSERVICE hService = OpenFakeSession();
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_FAIL_CALL, WFS_ERR_LOCKED);
    REQUESTID RequestID = 42;
    EXPECT_EQ(WFSAsyncExecute(hService, 703, nullptr, 0, m_recorder.Handle(), &RequestID),
              WFS_ERR_LOCKED);
    EXPECT_EQ(RequestID, 0u);
    EXPECT_EQ(FakeCallCount("WFPExecute"), 1);
    PumpFor(30);
    EXPECT_EQ(m_recorder.CountOf(WFS_EXECUTE_COMPLETE), 0u);
    CloseSession(hService);
}

TEST_F(RequestTest, AnAcceptedCloseEndsTheSessionAtOnce)
{
    HSERVICE hService = OpenFakeSession();
    HWND hWnd = m_recorder.Handle();
    FakeSetBehaviour(FAKE_CLOSE, FAKE_HOLD, WFS_SUCCESS);
    REQUESTID CloseID = 0, LateID = 0;
    ASSERT_EQ(WFSAsyncClose(hService, hWnd, &CloseID), WFS_SUCCESS);
    // A closing session takes nothing new, not even a cancel.
    EXPECT_EQ(WFSAsyncGetInfo(hService, 701, nullptr, 0, hWnd, &LateID), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncClose(hService, hWnd, &LateID), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSCancelAsyncRequest(hService, 0), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(FakeReleaseHeld(), 1);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_CLOSE_COMPLETE) == 1; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(CloseID, WFS_CLOSE_COMPLETE)->hResult, WFS_SUCCESS);
    EXPECT_EQ(FakeCallCount("WFPGetInfo") + FakeCallCount("WFPCancelAsyncRequest"), 0);
}

TEST_F(RequestTest, ACloseTheProviderRefusesStillEndsTheSession)
{
    HSERVICE hService = OpenFakeSession();
    HWND hWnd = m_recorder.Handle();
    FakeSetBehaviour(FAKE_GETINFO, FAKE_HOLD, WFS_SUCCESS);
    FakeSetHonourCancel(TRUE);
    FakeSetBehaviour(FAKE_CLOSE, FAKE_FAIL_CALL, WFS_ERR_INTERNAL_ERROR);
    REQUESTID InfoID = 0, CloseID = 0;
    ASSERT_EQ(WFSAsyncGetInfo(hService, 701, nullptr, 0, hWnd, &InfoID), WFS_SUCCESS);
    ASSERT_EQ(WFSAsyncClose(hService, hWnd, &CloseID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_CLOSE_COMPLETE) == 1; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(InfoID, WFS_GETINFO_COMPLETE)->hResult, WFS_ERR_CANCELED);
    EXPECT_EQ(m_recorder.OnlyResultFor(CloseID, WFS_CLOSE_COMPLETE)->hResult,
              WFS_ERR_INTERNAL_ERROR);
    // The provider was asked to cancel what the session had outstanding,
    // and that came before the close's completion.
    EXPECT_EQ(m_recorder.Messages().back().uMsg, static_cast<UINT>(WFS_CLOSE_COMPLETE));
    EXPECT_EQ(WFSAsyncClose(hService, hWnd, &CloseID), WFS_ERR_INVALID_HSERVICE);
}

TEST_F(RequestTest, CleanUpClosesOpenSessionsAndUnloadsTheirProviders)
{
    HSERVICE hService = OpenFakeSession();
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    m_bStarted = false;
    EXPECT_EQ(FakeCallCount("WFPClose"), 1);
    EXPECT_EQ(FakeCallCount("WFPUnloadService"), 1);
    FAKECALL call;
    FakeGetLastCall(&call);
    EXPECT_EQ(call.hService, hService);
    PumpFor(30); // the provider's close completion is nobody's: freed
    EXPECT_EQ(m_recorder.CountOf(WFS_CLOSE_COMPLETE), 0u);
}

TEST_F(RequestTest, CancelGoesToTheProviderWhichCompletesTheRequest)
{
    HSERVICE hService = OpenFakeSession();
    FakeSetHonourCancel(TRUE);
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_HOLD, WFS_SUCCESS);
    REQUESTID FirstID = 0, SecondID = 0;
    ASSERT_EQ(WFSAsyncExecute(hService, 709, nullptr, 0, m_recorder.Handle(), &FirstID), 0);
    ASSERT_EQ(WFSAsyncExecute(hService, 709, nullptr, 0, m_recorder.Handle(), &SecondID), 0);
    EXPECT_EQ(WFSCancelAsyncRequest(hService, FirstID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_EXECUTE_COMPLETE) == 1; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(FirstID, WFS_EXECUTE_COMPLETE)->hResult, WFS_ERR_CANCELED);
    // 0 cancels every outstanding request of the session.
    EXPECT_EQ(WFSCancelAsyncRequest(hService, 0), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_EXECUTE_COMPLETE) == 2; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(SecondID, WFS_EXECUTE_COMPLETE)->hResult,
              WFS_ERR_CANCELED);
    EXPECT_EQ(WFMSetTraceLevel(hService, 7), WFS_SUCCESS);
    FAKECALL call;
    FakeGetLastCall(&call);
    EXPECT_EQ(call.dwCode, 7u);
    CloseSession(hService);
}

using EventTest = ManagerTest;

TEST_F(EventTest, ExecuteEventsPrecedeTheirCompletionAndRegisteredWindowsGetEvents)
{
    HSERVICE hService = OpenFakeSession();
    CRecorderWindow events;
    REQUESTID RegisterID = 0, ExecuteID = 0;
    ASSERT_EQ(WFSAsyncRegister(hService, SERVICE_EVENTS | SYSTEM_EVENTS | EXECUTE_EVENTS,
                               events.Handle(), m_recorder.Handle(), &RegisterID),
              WFS_SUCCESS);
    FAKECALL call;
    FakeGetLastCall(&call);
    EXPECT_EQ(call.hWndReg, events.Handle()); // the provider posts events directly
    EXPECT_EQ(call.hWnd, m_recorder.Handle()); // and completions to the application's window
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_REGISTER_COMPLETE) == 1; }));

    FakeSetExecuteEvents(3);
    ASSERT_EQ(WFSAsyncExecute(hService, 709, nullptr, 0, m_recorder.Handle(), &ExecuteID), 0);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_EXECUTE_COMPLETE) == 1; }));
    const auto &messages = m_recorder.Messages();
    ASSERT_EQ(m_recorder.CountOf(WFS_EXECUTE_EVENT), 3u);
    EXPECT_EQ(messages.back().uMsg, static_cast<UINT>(WFS_EXECUTE_COMPLETE));
    for (size_t i = messages.size() - 4; i < messages.size() - 1; ++i) {
        EXPECT_EQ(messages[i].uMsg, static_cast<UINT>(WFS_EXECUTE_EVENT));
        EXPECT_EQ(messages[i].lpResult->RequestID, ExecuteID);
    }

    EXPECT_EQ(FakePostEvent(WFS_SYSTEM_EVENT, hService, WFS_SYSE_DEVICE_STATUS), 1);
    ASSERT_TRUE(PumpUntil([&] { return events.CountOf(WFS_SYSTEM_EVENT) == 1; }));
    EXPECT_EQ(events.Messages()[0].lpResult->u.dwEventID, static_cast<DWORD>(WFS_SYSE_DEVICE_STATUS));

    REQUESTID DeregisterID = 0;
    ASSERT_EQ(WFSAsyncDeregister(hService, 0, nullptr, m_recorder.Handle(), &DeregisterID), 0);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_DEREGISTER_COMPLETE) == 1; }));
    EXPECT_EQ(FakePostEvent(WFS_SERVICE_EVENT, hService, 1), 0);
    CloseSession(hService);
}

TEST_F(EventTest, ResultsForADestroyedWindowAreFreed)
{
    HSERVICE hService = OpenFakeSession();
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_HOLD, WFS_SUCCESS);
    FakeSetExecuteEvents(2);
    {
        CRecorderWindow shortLived;
        REQUESTID RequestID = 0;
        ASSERT_EQ(WFSAsyncExecute(hService, 701, nullptr, 0, shortLived.Handle(), &RequestID), 0);
    }
    EXPECT_EQ(FakeReleaseHeld(), 1);
    PumpFor(50);
    EXPECT_EQ(WFMDiagLiveBufferCount(), static_cast<LONG>(2 * m_recorder.Messages().size()));
    CloseSession(hService);
}

TEST_F(EventTest, CompletionsReachAWindowOfAnotherThread)
{
    HSERVICE hService = OpenFakeSession();
    struct CThreadWindow {
        HWND hWnd = nullptr;
        HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        volatile LONG nExecuteCompletes = 0;
    } other;
    auto threadProc = [](LPVOID lpParam) WINAPI -> DWORD {
        auto *pOther = static_cast<CThreadWindow *>(lpParam);
        CRecorderWindow window;
        window.onMessage = [pOther](UINT uMsg, LPWFSRESULT) {
            if (uMsg == WFS_EXECUTE_COMPLETE)
                InterlockedIncrement(&pOther->nExecuteCompletes);
        };
        pOther->hWnd = window.Handle();
        SetEvent(pOther->hReady);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        return 0;
    };
    DWORD dwThreadId = 0;
    HANDLE hThread = CreateThread(nullptr, 0, threadProc, &other, 0, &dwThreadId);
    WaitForSingleObject(other.hReady, INFINITE);
    REQUESTID RequestID = 0;
    ASSERT_EQ(WFSAsyncExecute(hService, 701, nullptr, 0, other.hWnd, &RequestID), 0);
    EXPECT_TRUE(PumpUntil([&] { return other.nExecuteCompletes == 1; }));
    PostThreadMessageW(dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(other.hReady);
    CloseSession(hService);
}

TEST_F(EventTest, CallCountersSeeTheApplicationsCalls)
{
    HSERVICE hService = OpenFakeSession();
    REQUESTID RequestID = 0;
    WFSAsyncGetInfo(hService, 701, nullptr, 0, m_recorder.Handle(), &RequestID);
    WFSAsyncGetInfo(hService, 701, nullptr, 0, nullptr, &RequestID); // refused, still counted
    PumpUntil([&] { return m_recorder.CountOf(WFS_GETINFO_COMPLETE) == 1; });
    CloseSession(hService);
    EXPECT_EQ(WFMDiagCallCount("WFSStartUp"), 1);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncOpen"), 1);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncGetInfo"), 2);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncClose"), 1);
    // The provider's allocations count too; the manager's own do not.
    EXPECT_EQ(WFMDiagCallCount("WFMAllocateBuffer"), 3);
    EXPECT_EQ(WFMDiagCallCount("WFSOpen"), 0);
}

TEST_F(EventTest, AnInjectedAllocationFailureCostsNoCompletion)
{
    HSERVICE hService = OpenFakeSession();
    FakeSetBehaviour(FAKE_CLOSE, FAKE_FAIL_CALL, WFS_ERR_INTERNAL_ERROR);
    REQUESTID CloseID = 0;
    // Aimed at the application and the provider: the results the manager
    // makes itself are exempt.
    WFMDiagFailAllocation(1);
    ASSERT_EQ(WFSAsyncClose(hService, m_recorder.Handle(), &CloseID), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.CountOf(WFS_CLOSE_COMPLETE) == 1; }));
    EXPECT_EQ(m_recorder.OnlyResultFor(CloseID, WFS_CLOSE_COMPLETE)->hResult,
              WFS_ERR_INTERNAL_ERROR);
    LPVOID lpData = nullptr;
    EXPECT_EQ(WFMAllocateBuffer(4, 0, &lpData), WFS_ERR_OUT_OF_MEMORY); // still armed until now
}

} // namespace
