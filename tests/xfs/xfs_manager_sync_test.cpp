// The synchronous forms: the asynchronous request plus a message loop that
// keeps the thread's other windows alive.
#include "manager_test_support.h"

namespace {

class SyncTest : public ManagerTest {
protected:
    HSERVICE OpenSync()
    {
        HSERVICE hService = 0;
        WFSVERSION srvc, spi;
        EXPECT_EQ(WFSOpen(kFakeService, nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService),
                  WFS_SUCCESS);
        return hService;
    }
};

TEST_F(SyncTest, EveryFormReturnsItsCompletionsCode)
{
    HSERVICE hService = OpenSync();
    ASSERT_NE(hService, 0);
    EXPECT_EQ(WFSRegister(hService, SYSTEM_EVENTS, m_recorder.Handle()), WFS_SUCCESS);
    LPWFSRESULT lpResult = nullptr;
    EXPECT_EQ(WFSLock(hService, 0, &lpResult), WFS_SUCCESS);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);

    FakeSetBehaviour(FAKE_EXECUTE, FAKE_COMPLETE_NOW, WFS_ERR_TIMEOUT);
    FakeSetExecuteEvents(2); // nobody to receive them: freed
    EXPECT_EQ(WFSExecute(hService, 709, nullptr, 500, &lpResult), WFS_ERR_TIMEOUT);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->u.dwCommandCode, 709u);
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);
    FAKECALL call;
    FakeGetLastCall(&call);
    EXPECT_EQ(call.dwTimeOut, 500u);

    EXPECT_EQ(WFSGetInfo(hService, 702, nullptr, 0, &lpResult), WFS_SUCCESS);
    EXPECT_EQ(*static_cast<DWORD *>(lpResult->lpBuffer), 702u);
    EXPECT_EQ(WFSFreeResult(lpResult), WFS_SUCCESS);
    EXPECT_EQ(WFSExecute(hService, 709, nullptr, 0, nullptr), WFS_ERR_INVALID_POINTER);

    FakeSetBehaviour(FAKE_UNLOCK, FAKE_HOLD, WFS_ERR_NOT_LOCKED);
    // A held completion released while the synchronous call waits.
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        KillTimer(nullptr, id);
        FakeReleaseHeld();
    });
    EXPECT_EQ(WFSUnlock(hService), WFS_ERR_NOT_LOCKED);
    EXPECT_EQ(WFSDeregister(hService, 0, nullptr), WFS_SUCCESS);
    EXPECT_EQ(WFSClose(hService), WFS_SUCCESS);
    EXPECT_EQ(WFSClose(hService), WFS_ERR_INVALID_HSERVICE);
    EXPECT_TRUE(m_recorder.Messages().empty()); // nothing went to application windows
    EXPECT_EQ(WFMDiagCallCount("WFSExecute"), 2);
    EXPECT_EQ(WFMDiagCallCount("WFSAsyncExecute"), 0);
}

TEST_F(SyncTest, AFailedOpenReturnsNoHandle)
{
    HSERVICE hService = 99;
    WFSVERSION srvc, spi;
    FakeSetBehaviour(FAKE_OPEN, FAKE_COMPLETE_NOW, WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(WFSOpen(kFakeService, nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService),
              WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(hService, 0);
    EXPECT_EQ(WFSOpen(kUnknownService, nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService),
              WFS_ERR_SERVICE_NOT_FOUND);
}

TEST_F(SyncTest, TheWaitDispatchesOtherWindowsButRefusesANestedBlockingCall)
{
    HSERVICE hService = OpenSync();
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_HOLD, WFS_SUCCESS);
    HRESULT hNested = WFS_SUCCESS;
    bool bTimerRan = false;
    // A timer of the application, dispatched during the wait; its handler
    // tries a second synchronous call, then lets the first finish.
    static HSERVICE s_hService;
    static HRESULT *s_phNested;
    static bool *s_pbTimerRan;
    s_hService = hService;
    s_phNested = &hNested;
    s_pbTimerRan = &bTimerRan;
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
        KillTimer(nullptr, id);
        *s_pbTimerRan = true;
        LPWFSRESULT lpResult = nullptr;
        *s_phNested = WFSGetInfo(s_hService, 701, nullptr, 0, &lpResult);
        FakeReleaseHeld();
    });
    LPWFSRESULT lpResult = nullptr;
    EXPECT_EQ(WFSExecute(hService, 701, nullptr, 0, &lpResult), WFS_SUCCESS);
    EXPECT_TRUE(bTimerRan);
    EXPECT_EQ(hNested, WFS_ERR_OP_IN_PROGRESS);
    WFSFreeResult(lpResult);
    EXPECT_EQ(WFSClose(hService), WFS_SUCCESS);
}

TEST_F(SyncTest, AQuitEndsTheWaitWithCancelAndIsPostedAgain)
{
    HSERVICE hService = OpenSync();
    FakeSetBehaviour(FAKE_EXECUTE, FAKE_NEVER, WFS_SUCCESS);
    PostQuitMessage(17);
    LPWFSRESULT lpResult = nullptr;
    EXPECT_EQ(WFSExecute(hService, 701, nullptr, 0, &lpResult), WFS_ERR_CANCELED);
    ASSERT_NE(lpResult, nullptr);
    EXPECT_EQ(lpResult->hResult, WFS_ERR_CANCELED);
    WFSFreeResult(lpResult);
    EXPECT_EQ(FakeCallCount("WFPCancelAsyncRequest"), 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 17u);
    EXPECT_EQ(WFSClose(hService), WFS_SUCCESS);
}

} // namespace
