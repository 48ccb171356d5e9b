// How the context window routes XFS messages to the instance windows, and
// how the instance windows hand them to their service and release them.
// Messages are crafted with manager-allocated results and posted to the real
// context window; the real message loop delivers them.
#include <thread>

#include "CoreTestSupport.h"
#include "xfsdiag.h"

namespace {

class RoutingTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            TestInstance &instance = AddInstance();
            ASSERT_NE(nullptr, instance.Wnd());
            m_spies.emplace_back(new MessageSpy(instance.Wnd()));
        }
    }
    void TearDown() override
    {
        m_spies.clear();
        CoreTest::TearDown();
    }
    RecordingService &Service(int i) { return m_instances[i]->m_service; }
    MessageSpy &Spy(int i) { return *m_spies[i]; }
    int TotalSeen() const
    {
        size_t n = 0;
        for (const auto &spy : m_spies)
            n += spy->m_seen.size();
        return static_cast<int>(n);
    }
    void PostToContext(UINT uMsg, LPWFSRESULT lpResult)
    {
        ASSERT_NE(nullptr, lpResult);
        ASSERT_TRUE(PostMessageW(Context()->GetWnd(), uMsg, 0, reinterpret_cast<LPARAM>(lpResult)));
    }
    // Posts a message and dispatches until every receiver released it.
    void Deliver(UINT uMsg, LPWFSRESULT lpResult)
    {
        PostToContext(uMsg, lpResult);
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
    }

    std::vector<std::unique_ptr<MessageSpy>> m_spies;
};

TEST_F(RoutingTest, CompletionsGoToTheirOwnerOnlyAndEndTheOwnerEntry)
{
    struct Row {
        UINT uMsg;
        const char *pszSlot; // nullptr: the service keeps the hResult itself
    };
    const Row rows[] = {{WFS_OPEN_COMPLETE, nullptr},          {WFS_CLOSE_COMPLETE, nullptr},
                        {WFS_LOCK_COMPLETE, "DoLockComplete"}, {WFS_UNLOCK_COMPLETE, "DoUnlockComplete"},
                        {WFS_REGISTER_COMPLETE, nullptr},      {WFS_DEREGISTER_COMPLETE, nullptr},
                        {WFS_EXECUTE_COMPLETE, "DoExecuteComplete"}};
    REQUESTID RequestID = 100;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.uMsg);
        ++RequestID;
        const int nOwner = 1; // the second instance
        Context()->SetRequestOwner(RequestID, m_instances[nOwner]->Number());
        Context()->AddPending(RequestID);
        if (row.uMsg == WFS_REGISTER_COMPLETE || row.uMsg == WFS_DEREGISTER_COMPLETE)
            Context()->SetHandshake();
        LPWFSRESULT lpResult = MakeResult(RequestID, 0, -(static_cast<HRESULT>(RequestID)));
        LONG lFreed = WFMDiagCallCount("WFSFreeResult");

        Deliver(row.uMsg, lpResult);

        ASSERT_EQ(1u, Spy(nOwner).m_seen.size());
        EXPECT_EQ(row.uMsg, Spy(nOwner).m_seen[0].uMsg);
        EXPECT_EQ(0u, Spy(nOwner).m_seen[0].wParam);
        EXPECT_EQ(reinterpret_cast<LPARAM>(lpResult), Spy(nOwner).m_seen[0].lParam);
        EXPECT_EQ(1, TotalSeen());
        EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed);
        int nInstance = 0;
        EXPECT_FALSE(Context()->LookupRequestOwner(RequestID, &nInstance));
        if (row.pszSlot) {
            EXPECT_EQ(1, Service(nOwner).Count(row.pszSlot));
            EXPECT_FALSE(Context()->IsCompleted(RequestID));
            Context()->RemovePending(RequestID);
        } else {
            // Open, close, register and deregister end the synchronous wait.
            EXPECT_TRUE(Service(nOwner).Calls().empty());
            EXPECT_EQ(-static_cast<HRESULT>(RequestID), Service(nOwner).GetLastResult());
            EXPECT_TRUE(Context()->IsCompleted(RequestID));
        }
        EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(Context()->GetHandshakeEvent(), 0));
        Service(nOwner).Clear();
        Spy(nOwner).m_seen.clear();
    }
}

TEST_F(RoutingTest, ExecuteEventsKeepTheOwnerEntryUntilTheCompletion)
{
    const REQUESTID RequestID = 7;
    Context()->SetRequestOwner(RequestID, m_instances[2]->Number());

    Deliver(WFS_EXECUTE_EVENT, MakeResult(RequestID, 703));
    Deliver(WFS_EXECUTE_EVENT, MakeResult(RequestID, 703));
    int nInstance = 0;
    ASSERT_TRUE(Context()->LookupRequestOwner(RequestID, &nInstance));
    EXPECT_EQ(m_instances[2]->Number(), nInstance);

    Deliver(WFS_EXECUTE_COMPLETE, MakeResult(RequestID, 709));
    EXPECT_FALSE(Context()->LookupRequestOwner(RequestID, &nInstance));

    EXPECT_EQ(2, Service(2).Count("DoExecuteEvent", 703));
    EXPECT_EQ(1, Service(2).Count("DoExecuteComplete", 709));
    EXPECT_EQ(3, TotalSeen());
}

TEST_F(RoutingTest, GetInfoCompletionReachesEveryInstanceAndIsReleasedByTheLast)
{
    const REQUESTID RequestID = 21;
    Context()->SetRequestOwner(RequestID, m_instances[0]->Number());
    Context()->AddPending(RequestID);
    // While the receivers run, the synchronous wait must not end early.
    std::vector<BOOL> completedSeenByHandler;
    for (int i = 0; i < 3; ++i)
        Service(i).m_onCall = [&](const HandlerCall &) {
            completedSeenByHandler.push_back(Context()->IsCompleted(RequestID));
        };
    LPWFSRESULT lpResult = MakeResult(RequestID, 701);
    LONG lFreed = WFMDiagCallCount("WFSFreeResult");

    Deliver(WFS_GETINFO_COMPLETE, lpResult);

    EXPECT_EQ(std::vector<BOOL>(3, FALSE), completedSeenByHandler);
    EXPECT_TRUE(Context()->IsCompleted(RequestID));
    EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed);
    int nInstance = 0;
    EXPECT_FALSE(Context()->LookupRequestOwner(RequestID, &nInstance));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(1u, Spy(i).m_seen.size());
        EXPECT_EQ(UINT(WFS_GETINFO_COMPLETE), Spy(i).m_seen[0].uMsg);
        EXPECT_EQ(reinterpret_cast<LPARAM>(lpResult), Spy(i).m_seen[0].lParam);
        EXPECT_NE(0u, Spy(i).m_seen[0].wParam);
        EXPECT_EQ(Spy(0).m_seen[0].wParam, Spy(i).m_seen[0].wParam);
        EXPECT_EQ(1, Service(i).Count("DoGetInfoComplete", 701));
        EXPECT_EQ(lpResult, Service(i).Calls()[0].lpResult);
    }
}

TEST_F(RoutingTest, ServiceUserAndSystemEventsAreBroadcastWithoutAnOwner)
{
    const struct {
        UINT uMsg;
        const char *pszSlot;
    } rows[] = {{WFS_SERVICE_EVENT, "DoServiceEvent"},
                {WFS_USER_EVENT, "DoUserEvent"},
                {WFS_SYSTEM_EVENT, "DoSystemEvent"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pszSlot);
        LONG lFreed = WFMDiagCallCount("WFSFreeResult");
        Deliver(row.uMsg, MakeResult(0, WFS_SYSE_DEVICE_STATUS));
        EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(1, Service(i).Count(row.pszSlot, WFS_SYSE_DEVICE_STATUS));
    }
    EXPECT_EQ(9, TotalSeen());
}

TEST_F(RoutingTest, StatusRefreshReachesExactlyOneInstance)
{
    ASSERT_TRUE(PostMessageW(Context()->GetWnd(), WM_TTU_STATUS_REFRESH, 0, 0));
    PumpFor(100);
    int nReceivers = 0;
    for (int i = 0; i < 3; ++i) {
        nReceivers += Spy(i).Count(WM_TTU_STATUS_REFRESH);
        for (const auto &seen : Spy(i).m_seen)
            EXPECT_TRUE(seen.wParam == 0 && seen.lParam == 0);
    }
    EXPECT_EQ(1, nReceivers);
    // The session is closed: the refresh asks nothing of the manager.
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(RoutingTest, MessagesNobodyCanReceiveAreReleased)
{
    // An unknown request, of a routed and of a broadcast kind.
    LONG lFreed = WFMDiagCallCount("WFSFreeResult");
    Deliver(WFS_EXECUTE_COMPLETE, MakeResult(999, 701));
    Deliver(WFS_EXECUTE_EVENT, MakeResult(999, 703));
    Deliver(WFS_GETINFO_COMPLETE, MakeResult(999, 701));
    EXPECT_EQ(0, TotalSeen());
    EXPECT_EQ(3, WFMDiagCallCount("WFSFreeResult") - lFreed);
    EXPECT_EQ(0u, Context()->GetRequestOwnerCount());

    // An owner whose control is gone; a wait for it would otherwise hang.
    const REQUESTID RequestID = 31;
    Context()->SetRequestOwner(RequestID, 4711);
    Context()->AddPending(RequestID);
    Deliver(WFS_OPEN_COMPLETE, MakeResult(RequestID, 0));
    EXPECT_TRUE(Context()->IsCompleted(RequestID));
    EXPECT_EQ(0, TotalSeen());

    // A broadcast while no instance window is registered, and a get-info
    // whose wait would never end.
    m_spies.clear();
    m_instances.clear();
    Context()->SetRequestOwner(RequestID + 1, 1);
    Context()->AddPending(RequestID + 1);
    Deliver(WFS_GETINFO_COMPLETE, MakeResult(RequestID + 1, 701));
    EXPECT_TRUE(Context()->IsCompleted(RequestID + 1));
    Deliver(WFS_SYSTEM_EVENT, MakeResult(0, WFS_SYSE_HARDWARE_ERROR));
}

TEST_F(RoutingTest, DestroyedControlReleasesWhatWasAlreadyRoutedToIt)
{
    // Broadcast to all, then routed to instance 1 behind the broadcast, but
    // not yet dispatched.
    const REQUESTID RequestID = 41;
    Context()->SetRequestOwner(RequestID, m_instances[1]->Number());
    Context()->SetRequestOwner(RequestID + 1, m_instances[0]->Number());
    Context()->AddPending(RequestID + 1);
    PostToContext(WFS_GETINFO_COMPLETE, MakeResult(RequestID + 1, 701));
    PostToContext(WFS_EXECUTE_COMPLETE, MakeResult(RequestID, 701));
    MSG msg;
    while (PeekMessageW(&msg, Context()->GetWnd(), 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(2, WFMDiagLiveBufferCount());

    m_spies[1].reset();
    m_instances[1]->DestroyWindowAndUnregister();
    PumpUntil([] { return WFMDiagLiveBufferCount() == 0; });

    EXPECT_EQ(0, WFMDiagLiveBufferCount());
    EXPECT_TRUE(m_instances[1]->m_service.Calls().empty());
    EXPECT_TRUE(Context()->IsCompleted(RequestID + 1));
    EXPECT_EQ(1, Service(0).Count("DoGetInfoComplete"));
    EXPECT_EQ(1, Service(2).Count("DoGetInfoComplete"));

    // A late completion for the destroyed control finds no window.
    Context()->SetRequestOwner(RequestID + 2, m_instances[1]->Number());
    Deliver(WFS_LOCK_COMPLETE, MakeResult(RequestID + 2, 0));
    EXPECT_TRUE(m_instances[1]->m_service.Calls().empty());
}

TEST_F(RoutingTest, RegistrationCompletionWaitsForTheRequesterHandshake)
{
    const REQUESTID RequestID = 51;
    Context()->SetRequestOwner(RequestID, m_instances[0]->Number());
    Context()->AddPending(RequestID);
    Context()->ResetHandshake();
    PostToContext(WFS_REGISTER_COMPLETE, MakeResult(RequestID, 0));

    // The context window blocks in its procedure until the event is set.
    volatile LONG lHandshakeSet = 0;
    bool bSetBeforeRouting = false;
    Spy(0).m_hook = [&](UINT, WPARAM, LPARAM) { bSetBeforeRouting = lHandshakeSet != 0; };
    std::thread requester([&] {
        Sleep(150);
        InterlockedExchange(&lHandshakeSet, 1);
        SetEvent(Context()->GetHandshakeEvent());
    });
    EXPECT_TRUE(PumpUntil([&] { return Context()->IsCompleted(RequestID); }));
    requester.join();

    EXPECT_TRUE(bSetBeforeRouting);
    EXPECT_EQ(1, Spy(0).Count(WFS_REGISTER_COMPLETE));
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(Context()->GetHandshakeEvent(), 0));
}

TEST_F(RoutingTest, ReleasingTheContextReleasesResultsStillQueuedForIt)
{
    Context()->SetRequestOwner(61, m_instances[0]->Number());
    PostToContext(WFS_EXECUTE_COMPLETE, MakeResult(61, 701));
    PostToContext(WFS_SERVICE_EVENT, MakeResult(0, 1));
    m_spies.clear();
    m_instances.clear();
    CTTUContext::ReleaseInstance();
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
    EXPECT_NE(nullptr, Context()->GetWnd());
}

TEST_F(RoutingTest, InstanceWindowsStayHiddenAndTheirClassGoesWithTheLastOne)
{
    HWND hWnd = m_instances[2]->Wnd();
    wchar_t szTitle[32] = {};
    GetWindowTextW(hWnd, szTitle, 32);
    EXPECT_EQ(L"TTUMsgWnd" + std::to_wstring(m_instances[2]->Number()), szTitle);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    EXPECT_EQ(static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW),
              GetWindowLongPtrW(hWnd, GWL_STYLE) & (WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    EXPECT_FALSE(IsWindowVisible(Context()->GetWnd()));

    // A module unloaded and loaded again must not find a class whose
    // procedure points into the old image.
    m_spies.clear();
    m_instances.clear();
    WNDCLASSEXW wc = {sizeof wc};
    EXPECT_FALSE(GetClassInfoExW(CHiddenWindow::GetModuleInstance(), szClass, &wc));
    TestInstance again;
    EXPECT_NE(nullptr, again.Wnd());
}

} // namespace
