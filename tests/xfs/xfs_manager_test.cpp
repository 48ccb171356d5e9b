// The manager's contract, through the real message loop with the virtual
// panel behind it: start-up, what is refused before any provider, sessions,
// requests and their one completion each, events, and the synchronous forms.
#include "PanelTest.h"

#include <map>

namespace {

char kPanel[] = "OperatorPanel";
const WFSTTUBEEP kBeep = {WFS_TTU_BEEPKEYPRESS};
LPVOID Beep() { return const_cast<WFSTTUBEEP *>(&kBeep); }

WORD kEnter[] = {WFS_TTU_CK_ENTER, 0};

// A read that holds its request until a key or a cancel ends it.
WFSTTUREAD HeldRead()
{
    return {4, 0, 0, 0, 0, 0, FALSE, FALSE, FALSE, const_cast<LPSTR>("0123"), nullptr, nullptr, kEnter};
}

TEST(StartUpContract, NothingWorksBeforeStartUpAndVersionRangesDecide)
{
    WFSVERSION version, srvc, spi;
    HAPP hApp = nullptr;
    REQUESTID RequestID = 0;
    HSERVICE hService = 0;
    EXPECT_EQ(WFSCleanUp(), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSCreateAppHandle(&hApp), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSAsyncOpen(kPanel, nullptr, nullptr, 0, 0, &hService, GetDesktopWindow(), 3, &srvc,
                           &spi, &RequestID),
              WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSAsyncExecute(1, 701, nullptr, 0, GetDesktopWindow(), &RequestID), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFSCancelAsyncRequest(1, 0), WFS_ERR_NOT_STARTED);
    EXPECT_EQ(WFMSetTraceLevel(1, 0), WFS_ERR_NOT_STARTED);

    EXPECT_EQ(WFSStartUp(0x00000003, nullptr), WFS_ERR_INVALID_POINTER);
    // Lowest acceptable above what the manager speaks (4.00).
    EXPECT_EQ(WFSStartUp(0x00000004, &version), WFS_ERR_API_VER_TOO_HIGH);
    EXPECT_EQ(version.wHighVersion, 0x0303); // the refusal says what would do
    // Highest acceptable below it (2.00 .. 2.50); 3.02 .. 3.01 leaves nothing.
    EXPECT_EQ(WFSStartUp(0x32020002, &version), WFS_ERR_API_VER_TOO_LOW);
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

// Services whose provider cannot serve them.
const struct {
    const char *lpszService, *lpszProvider, *lpszDll;
} kBroken[] = {{"ZtMgrTestMissingDll", "ZtMgrTestMissingSP", "C:\\nowhere\\zt_missing_provider.dll"},
               {"ZtMgrTestNoSpi", "ZtMgrTestNoSpiSP", "kernel32.dll"},
               {"ZtMgrTestNoProvider", "ZtMgrTestUnconfiguredSP", nullptr}};

class ManagerTest : public PanelTest {
protected:
    static void SetUpTestSuite()
    {
        for (const auto &broken : kBroken) {
            const std::string strLogical = std::string("SOFTWARE\\XFS\\LOGICAL_SERVICES\\") + broken.lpszService;
            SetHklmString(strLogical, "class", "TTU");
            SetHklmString(strLogical, "provider", broken.lpszProvider);
            if (broken.lpszDll)
                SetHklmString(std::string("SOFTWARE\\XFS\\SERVICE_PROVIDERS\\") + broken.lpszProvider, "dllname",
                              broken.lpszDll);
        }
    }
    static void TearDownTestSuite()
    {
        for (const auto &broken : kBroken) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\XFS\\LOGICAL_SERVICES\\") + broken.lpszService).c_str());
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\XFS\\SERVICE_PROVIDERS\\") + broken.lpszProvider).c_str());
        }
    }
    // A request whose completion comes after everything posted to the
    // session's window before it: what has not come by then never will.
    void Barrier() { ASSERT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS); }
    HWND Window() { return Session().Handle(); }
    HSERVICE Service() { return Session().Service(); }
};

TEST_F(ManagerTest, ApplicationHandlesAreUniqueAndChecked)
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
    auto open = [&](HAPP hApp) {
        return WFSAsyncOpen(kPanel, hApp, nullptr, 0, 0, &hService, Window(), 3, &srvc, &spi, &RequestID);
    };
    EXPECT_EQ(open(reinterpret_cast<HAPP>(static_cast<ULONG_PTR>(0x1234))), WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(WFSDestroyAppHandle(hApp1), WFS_SUCCESS);
    EXPECT_EQ(WFSDestroyAppHandle(hApp1), WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(open(hApp1), WFS_ERR_INVALID_APP_HANDLE);
    EXPECT_EQ(open(hApp2), WFS_SUCCESS);
    ASSERT_NE(Session().Wait(RequestID), nullptr);
    // WFSCleanUp forgets every handle, and closes every session.
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    WFSVERSION version;
    ASSERT_EQ(WFSStartUp(3, &version), WFS_SUCCESS);
    EXPECT_EQ(WFSDestroyAppHandle(hApp2), WFS_ERR_INVALID_APP_HANDLE);
}

TEST_F(ManagerTest, OpenRefusalsAnswerAtOnceWithoutCompletion)
{
    HSERVICE hService = 0;
    WFSVERSION srvc = {}, spi = {};
    REQUESTID RequestID = 0;
    HWND hWnd = Window();
    auto open = [&](const char *lpszName) {
        return WFSAsyncOpen(const_cast<LPSTR>(lpszName), nullptr, nullptr, 0, 0, &hService, hWnd, 3,
                            &srvc, &spi, &RequestID);
    };
    EXPECT_EQ(open("ZtMgrTestUnknown"), WFS_ERR_SERVICE_NOT_FOUND);
    EXPECT_EQ(open("OperatorPanel\\..\\x"), WFS_ERR_SERVICE_NOT_FOUND);
    EXPECT_EQ(open("ZtMgrTestNoProvider"), WFS_ERR_INVALID_SERVPROV);
    // What the registry says now, not at the last open, decides.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\XFS\\LOGICAL_SERVICES\\ZtMgrTestNoProvider");
    EXPECT_EQ(open("ZtMgrTestNoProvider"), WFS_ERR_SERVICE_NOT_FOUND);
    SetUpTestSuite(); // written again
    EXPECT_EQ(open("ZtMgrTestNoProvider"), WFS_ERR_INVALID_SERVPROV);
    EXPECT_EQ(open("ZtMgrTestMissingDll"), WFS_ERR_INVALID_SERVPROV);
    EXPECT_EQ(open("ZtMgrTestNoSpi"), WFS_ERR_INVALID_SERVPROV);
    EXPECT_EQ(open(nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kPanel, nullptr, nullptr, 0, 0, nullptr, hWnd, 3, &srvc, &spi, &RequestID),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kPanel, nullptr, nullptr, 0, 0, &hService, hWnd, 3, nullptr, &spi, &RequestID),
              WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncOpen(kPanel, nullptr, nullptr, 0, 0, &hService, hWnd, 3, &srvc, &spi, nullptr),
              WFS_ERR_INVALID_POINTER);
    hWnd = nullptr;
    EXPECT_EQ(open(kPanel), WFS_ERR_INVALID_HWND);
    hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(hWnd);
    EXPECT_EQ(open(kPanel), WFS_ERR_INVALID_HWND);
    Barrier();
    EXPECT_EQ(Session().Window().Messages().size(), 2u); // the fixture's open, the barrier

    // An open the provider accepts reaches it with the caller's structures;
    // one that fails in its completion leaves no session behind.
    hWnd = Window();
    ASSERT_EQ(open(kPanel), WFS_SUCCESS);
    EXPECT_NE(hService, 0);
    EXPECT_NE(hService, Service());
    EXPECT_NE(RequestID, 0u);
    EXPECT_EQ(spi.wVersion, 0x0303);
    LPWFSRESULT lpOpen = Session().Wait(RequestID);
    ASSERT_NE(lpOpen, nullptr);
    EXPECT_EQ(lpOpen->hService, hService);
    EXPECT_EQ(lpOpen->hResult, WFS_SUCCESS);
    XfsClient tooNew(kPanel, 0x00000004);
    EXPECT_EQ(tooNew.OpenResult(), WFS_ERR_SRVC_VER_TOO_HIGH);
    EXPECT_EQ(tooNew.ExecuteAsync(WFS_CMD_TTU_BEEP, Beep()), 0u);
    EXPECT_EQ(tooNew.LastSubmit(), WFS_ERR_INVALID_HSERVICE);
}

TEST_F(ManagerTest, EveryBadArgumentHasItsCodeAndNoCompletion)
{
    HWND hWnd = Window();
    REQUESTID RequestID = 0;
    HWND hBogus = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD0));
    for (HSERVICE hOther : {HSERVICE(0), HSERVICE(Service() + 100)}) {
        EXPECT_EQ(WFSAsyncExecute(hOther, 701, nullptr, 0, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFSAsyncGetInfo(hOther, 701, nullptr, 0, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFSAsyncLock(hOther, 0, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFSAsyncClose(hOther, hWnd, &RequestID), WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFSCancelAsyncRequest(hOther, 0), WFS_ERR_INVALID_HSERVICE);
        EXPECT_EQ(WFMSetTraceLevel(hOther, 0), WFS_ERR_INVALID_HSERVICE);
    }
    EXPECT_EQ(WFSAsyncExecute(Service(), 701, nullptr, 0, hWnd, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncGetInfo(Service(), 701, nullptr, 0, hWnd, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSAsyncUnlock(Service(), nullptr, &RequestID), WFS_ERR_INVALID_HWND);
    EXPECT_EQ(WFSAsyncGetInfo(Service(), 701, nullptr, 0, hBogus, &RequestID), WFS_ERR_INVALID_HWND);
    EXPECT_EQ(WFSAsyncRegister(Service(), SERVICE_EVENTS, hBogus, hWnd, &RequestID), WFS_ERR_INVALID_HWNDREG);
    EXPECT_EQ(WFSAsyncRegister(Service(), 0, hWnd, hWnd, &RequestID), WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncRegister(Service(), 16, hWnd, hWnd, &RequestID), WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncDeregister(Service(), 32, hWnd, hWnd, &RequestID), WFS_ERR_INVALID_EVENT_CLASS);
    EXPECT_EQ(WFSAsyncDeregister(Service(), 0, hBogus, hWnd, &RequestID), WFS_ERR_INVALID_HWNDREG);
    // The provider's own refusal is the call's result.
    EXPECT_EQ(WFSCancelAsyncRequest(Service(), 987654), WFS_ERR_INVALID_REQ_ID);
    EXPECT_EQ(WFMSetTraceLevel(Service(), 7), WFS_SUCCESS);
    Barrier();
    EXPECT_EQ(Session().Window().Messages().size(), 2u);
}

TEST_F(ManagerTest, RequestIdsAreUniqueNonZeroAndEachCompletesOnce)
{
    std::map<REQUESTID, DWORD> codes;
    for (int i = 0; i < 20; ++i) {
        const REQUESTID id = (i % 2) ? Session().ExecuteAsync(WFS_CMD_TTU_BEEP, Beep())
                                     : Session().GetInfoAsync(WFS_INF_TTU_STATUS, nullptr);
        ASSERT_NE(id, 0u);
        codes[id] = (i % 2) ? WFS_CMD_TTU_BEEP : WFS_INF_TTU_STATUS;
    }
    ASSERT_EQ(codes.size(), 20u);
    for (const auto &request : codes)
        ASSERT_NE(Session().Wait(request.first), nullptr);
    Barrier();
    for (const auto &request : codes) {
        EXPECT_EQ(Session().Window().CountCompletions(request.first), 1u);
        EXPECT_EQ(Session().Window().Completion(request.first)->u.dwCommandCode, request.second);
    }
}

TEST_F(ManagerTest, AnAcceptedCloseEndsTheSessionAtOnceAfterCancellingItsRequests)
{
    WFSTTUREAD read = HeldRead();
    const REQUESTID idRead = Session().ExecuteAsync(WFS_CMD_TTU_READ, &read);
    const REQUESTID idBeep = Session().ExecuteAsync(WFS_CMD_TTU_BEEP, Beep()); // behind the read
    ASSERT_TRUE(PumpUntil(PanelReadActive));
    REQUESTID idClose = 0, idLate = 0;
    ASSERT_EQ(WFSAsyncClose(Service(), Window(), &idClose), WFS_SUCCESS);
    // A closing session takes nothing new, not even a cancel.
    EXPECT_EQ(WFSAsyncGetInfo(Service(), 701, nullptr, 0, Window(), &idLate), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSAsyncClose(Service(), Window(), &idLate), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(WFSCancelAsyncRequest(Service(), 0), WFS_ERR_INVALID_HSERVICE);
    LPWFSRESULT lpClose = Session().Wait(idClose);
    ASSERT_NE(lpClose, nullptr);
    EXPECT_EQ(lpClose->hResult, WFS_SUCCESS);
    XfsWindow &window = Session().Window();
    EXPECT_EQ(window.Messages().back().lpResult, lpClose); // what it cancelled came first
    EXPECT_EQ(Session().Code(window.Completion(idRead)), WFS_ERR_CANCELED);
    EXPECT_EQ(Session().Code(window.Completion(idBeep)), WFS_ERR_CANCELED);
    EXPECT_EQ(Snapshot().wLastBeep, 0);
    EXPECT_FALSE(PanelReadActive());
}

TEST_F(ManagerTest, CleanUpClosesOpenSessionsAndTheirLocks)
{
    ASSERT_EQ(Session().Lock(0), WFS_SUCCESS);
    ASSERT_EQ(WFSCleanUp(), WFS_SUCCESS);
    WFSVERSION version;
    ASSERT_EQ(WFSStartUp(3, &version), WFS_SUCCESS);
    XfsClient next;
    ASSERT_EQ(next.OpenResult(), WFS_SUCCESS);
    EXPECT_EQ(next.ExecuteCode(WFS_CMD_TTU_BEEP, Beep()), WFS_SUCCESS); // not locked out
}

TEST_F(ManagerTest, EventsGoToRegisteredWindowsAndCompletionsToAnyThreadsWindow)
{
    XfsWindow events;
    REQUESTID RequestID = 0;
    ASSERT_EQ(WFSAsyncRegister(Service(), SYSTEM_EVENTS, events.Handle(), Window(), &RequestID), WFS_SUCCESS);
    ASSERT_EQ(Session().Code(Session().Wait(RequestID)), WFS_SUCCESS);
    ASSERT_EQ(TtuSimSendSystemEvent(WFS_SYSE_HARDWARE_ERROR), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return events.CountOf(WFS_SYSTEM_EVENT) == 1; }));
    EXPECT_EQ(events.Messages()[0].lpResult->u.dwEventID, DWORD(WFS_SYSE_HARDWARE_ERROR));
    EXPECT_EQ(events.Messages()[0].lpResult->hService, Service());
    ASSERT_EQ(WFSAsyncDeregister(Service(), 0, nullptr, Window(), &RequestID), WFS_SUCCESS);
    ASSERT_EQ(Session().Code(Session().Wait(RequestID)), WFS_SUCCESS);

    struct ThreadWindow {
        HWND hWnd = nullptr;
        HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        volatile LONG nCompletions = 0;
    } other;
    auto threadProc = [](LPVOID lpParam) WINAPI -> DWORD {
        auto *pOther = static_cast<ThreadWindow *>(lpParam);
        XfsWindow window;
        window.onMessage = [pOther](UINT uMsg) {
            if (uMsg == WFS_EXECUTE_COMPLETE)
                InterlockedIncrement(&pOther->nCompletions);
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
    ASSERT_EQ(WFSAsyncExecute(Service(), WFS_CMD_TTU_BEEP, Beep(), 0, other.hWnd, &RequestID), 0);
    EXPECT_TRUE(PumpUntil([&] { return other.nCompletions == 1; }));
    PostThreadMessageW(dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(other.hReady);

    // The deregistered window heard nothing more: an event sent now comes
    // before the completion of the barrier, to a window still registered.
    ASSERT_EQ(Session().Register(SYSTEM_EVENTS), WFS_SUCCESS);
    ASSERT_EQ(TtuSimSendSystemEvent(WFS_SYSE_DEVICE_STATUS), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([&] { return Session().Window().CountOf(WFS_SYSTEM_EVENT) == 1; }));
    EXPECT_EQ(events.CountOf(WFS_SYSTEM_EVENT), 1u);
}

// Counts of calls made and their reset: the synchronous forms' test.
TEST_F(ManagerTest, CallCountersSeeTheApplicationsCalls)
{
    WFMDiagResetCallCounts();
    REQUESTID RequestID = 0;
    WFSAsyncGetInfo(Service(), 701, nullptr, 0, nullptr, &RequestID); // refused, still counted
    WFMAllocateBuffer(4, 0, nullptr);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncGetInfo"), 1);
    EXPECT_EQ(WFMDiagCallCount("WFMAllocateBuffer"), 1);
    ASSERT_EQ(Session().GetInfoCode(WFS_INF_TTU_STATUS), WFS_SUCCESS);
    EXPECT_GE(WFMDiagCallCount("WFMAllocateBuffer"), 2); // the provider's result too
    // A name that is no API function cannot pass for "never called".
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncExecut"), -1);
    EXPECT_EQ(WFMDiagCallCount(nullptr), -1);
}

// The synchronous forms: the asynchronous request plus a message loop that
// keeps the thread's other windows alive.
TEST_F(ManagerTest, EverySynchronousFormReturnsItsCompletionsCode)
{
    WFMDiagResetCallCounts();
    HSERVICE hService = 0;
    WFSVERSION srvc, spi;
    EXPECT_EQ(WFSOpen(const_cast<LPSTR>("ZtMgrTestUnknown"), nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService),
              WFS_ERR_SERVICE_NOT_FOUND);
    hService = 99;
    EXPECT_EQ(WFSOpen(kPanel, nullptr, nullptr, 0, 0, 4, &srvc, &spi, &hService), WFS_ERR_SRVC_VER_TOO_HIGH);
    EXPECT_EQ(hService, 0);
    ASSERT_EQ(WFSOpen(kPanel, nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService), WFS_SUCCESS);
    EXPECT_EQ(WFSRegister(hService, SYSTEM_EVENTS, Window()), WFS_SUCCESS);
    LPWFSRESULT lpResult = nullptr;
    EXPECT_EQ(WFSLock(hService, 0, &lpResult), WFS_SUCCESS);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_HARDWARE_ERROR), WFS_SUCCESS);
    EXPECT_EQ(WFSExecute(hService, WFS_CMD_TTU_BEEP, Beep(), 0, &lpResult), WFS_ERR_HARDWARE_ERROR);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->u.dwCommandCode, DWORD(WFS_CMD_TTU_BEEP));
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);
    EXPECT_EQ(WFSGetInfo(hService, WFS_INF_TTU_STATUS, nullptr, 0, &lpResult), WFS_SUCCESS);
    EXPECT_EQ(static_cast<LPWFSTTUSTATUS>(lpResult->lpBuffer)->fwDevice, WFS_TTU_DEVONLINE);
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);
    EXPECT_EQ(WFSExecute(hService, WFS_CMD_TTU_BEEP, Beep(), 0, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(Session().ExecuteCode(WFS_CMD_TTU_BEEP, Beep()), WFS_ERR_LOCKED);
    EXPECT_EQ(WFSUnlock(hService), WFS_SUCCESS);
    EXPECT_EQ(WFSUnlock(hService), WFS_ERR_NOT_LOCKED);
    EXPECT_EQ(WFSDeregister(hService, 0, nullptr), WFS_SUCCESS);
    EXPECT_EQ(WFSClose(hService), WFS_SUCCESS);
    EXPECT_EQ(WFSClose(hService), WFS_ERR_INVALID_HSERVICE);
    Barrier();
    EXPECT_EQ(Session().Window().CountOf(WFS_EXECUTE_COMPLETE), 1u); // nothing went to our window
    EXPECT_EQ(WFMDiagCallCount("WFSExecute"), 2);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncExecute"), 1);
}

TEST_F(ManagerTest, TheSynchronousWaitDispatchesButRefusesANestedBlockingCall)
{
    static HSERVICE s_hService;
    static HRESULT s_hrNested;
    s_hService = Service();
    s_hrNested = WFS_SUCCESS;
    // A timer of the application, dispatched during the wait, tries a
    // second synchronous call, then lets the read end.
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        KillTimer(nullptr, id);
        LPWFSRESULT lpResult = nullptr;
        s_hrNested = WFSGetInfo(s_hService, WFS_INF_TTU_STATUS, nullptr, 0, &lpResult);
        TtuSimPressKey(0, WFS_TTU_CK_ENTER);
    });
    WFSTTUREAD read = HeldRead();
    LPWFSRESULT lpResult = nullptr;
    EXPECT_EQ(WFSExecute(Service(), WFS_CMD_TTU_READ, &read, 0, &lpResult), WFS_SUCCESS);
    EXPECT_EQ(s_hrNested, WFS_ERR_OP_IN_PROGRESS);
    WFSFreeResult(lpResult);

    // A quit ends the wait with a cancel of the request, and is posted again.
    PostQuitMessage(17);
    EXPECT_EQ(WFSExecute(Service(), WFS_CMD_TTU_READ, &read, 0, &lpResult), WFS_ERR_CANCELED);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->hResult, WFS_ERR_CANCELED);
    WFSFreeResult(lpResult);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 17u);
    // The panel ends the cancelled read on its own worker thread, which may
    // come after the caller already has its answer.
    EXPECT_TRUE(PumpUntil([] { return !PanelReadActive(); }));
}

} // namespace
