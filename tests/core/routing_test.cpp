// How the context window routes XFS messages to the instance windows, and
// how the instance windows hand them to their service and release them.
// Results are crafted in manager buffers and posted to the real context
// window; the real message loop delivers them.
#include "CoreTestSupport.h"
#include "xfsdiag.h"

namespace {

class RoutingTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            ASSERT_NE(nullptr, AddInstance().Wnd());
            m_spies.emplace_back(new MessageSpy(m_instances[i]->Wnd()));
        }
    }
    void TearDown() override
    {
        m_spies.clear();
        CoreTest::TearDown();
    }
    RecordingService &Service(int i) { return m_instances[i]->m_service; }
    size_t TotalSeen() const
    {
        size_t n = 0;
        for (const auto &spy : m_spies)
            n += spy->m_seen.size();
        return n;
    }
    void Post(UINT uMsg, LPWFSRESULT lpResult)
    {
        ASSERT_TRUE(PostMessageW(Context()->GetWnd(), uMsg, 0, reinterpret_cast<LPARAM>(lpResult)));
    }
    // Posts and dispatches until every receiver released the result; the
    // manager frees it exactly once.
    void Deliver(UINT uMsg, LPWFSRESULT lpResult)
    {
        LONG lFreed = WFMDiagCallCount("WFSFreeResult");
        Post(uMsg, lpResult);
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
        EXPECT_EQ(1, WFMDiagCallCount("WFSFreeResult") - lFreed) << uMsg;
    }
    bool Owned(REQUESTID RequestID) const
    {
        int nInstance = 0;
        return Context()->LookupRequestOwner(RequestID, &nInstance);
    }

    std::vector<std::unique_ptr<MessageSpy>> m_spies;
};

TEST_F(RoutingTest, CompletionsGoToTheirOwnerOnlyAndEndTheOwnerEntry)
{
    const struct {
        UINT uMsg;
        const char *pszSlot; // nullptr: ends a synchronous wait instead
    } rows[] = {{WFS_OPEN_COMPLETE, nullptr},          {WFS_CLOSE_COMPLETE, nullptr},
                {WFS_LOCK_COMPLETE, "DoLockComplete"}, {WFS_UNLOCK_COMPLETE, "DoUnlockComplete"},
                {WFS_REGISTER_COMPLETE, nullptr},      {WFS_DEREGISTER_COMPLETE, nullptr},
                {WFS_EXECUTE_COMPLETE, "DoExecuteComplete"}};
    REQUESTID RequestID = 100;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.uMsg);
        Context()->SetRequestOwner(++RequestID, m_instances[1]->Number());
        Context()->AddPending(RequestID);
        if (row.uMsg == WFS_REGISTER_COMPLETE || row.uMsg == WFS_DEREGISTER_COMPLETE)
            Context()->SetHandshake();
        LPWFSRESULT lpResult = MakeResult(RequestID, 0);
        Deliver(row.uMsg, lpResult);
        ASSERT_EQ(1u, m_spies[1]->m_seen.size());
        EXPECT_EQ(row.uMsg, m_spies[1]->m_seen[0].uMsg);
        EXPECT_EQ(reinterpret_cast<LPARAM>(lpResult), m_spies[1]->m_seen[0].lParam);
        EXPECT_EQ(1u, TotalSeen());
        EXPECT_FALSE(Owned(RequestID));
        EXPECT_EQ(row.pszSlot ? 1u : 0u, Service(1).m_calls.size());
        EXPECT_TRUE(!row.pszSlot || Service(1).Count(row.pszSlot) == 1);
        EXPECT_EQ(row.pszSlot == nullptr, Context()->IsCompleted(RequestID) != FALSE);
        Context()->RemovePending(RequestID);
        Service(1).m_calls.clear();
        m_spies[1]->m_seen.clear();
    }
}

TEST_F(RoutingTest, ExecuteEventsKeepTheOwnerEntryUntilTheCompletion)
{
    Context()->SetRequestOwner(7, m_instances[2]->Number());
    Deliver(WFS_EXECUTE_EVENT, MakeResult(7, 703));
    Deliver(WFS_EXECUTE_EVENT, MakeResult(7, 703));
    EXPECT_TRUE(Owned(7));
    Deliver(WFS_EXECUTE_COMPLETE, MakeResult(7, 709));
    EXPECT_FALSE(Owned(7));
    EXPECT_EQ(2, Service(2).Count("DoExecuteEvent", 703));
    EXPECT_EQ(1, Service(2).Count("DoExecuteComplete", 709));
    EXPECT_EQ(3u, TotalSeen());
}

// Get-info answers go to every instance, the wait ends only after the last
// one; service, user and system events are broadcast without an owner.
TEST_F(RoutingTest, AnswersAndEventsReachEveryInstance)
{
    Context()->SetRequestOwner(21, m_instances[0]->Number());
    Context()->AddPending(21);
    std::vector<BOOL> completedSeenByHandler;
    for (int i = 0; i < 3; ++i)
        Service(i).m_onCall = [&] { completedSeenByHandler.push_back(Context()->IsCompleted(21)); };
    LPWFSRESULT lpResult = MakeResult(21, 701);
    Deliver(WFS_GETINFO_COMPLETE, lpResult);
    EXPECT_EQ(std::vector<BOOL>(3, FALSE), completedSeenByHandler);
    EXPECT_TRUE(Context()->IsCompleted(21));
    EXPECT_FALSE(Owned(21));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(1, Service(i).Count("DoGetInfoComplete", 701));
        EXPECT_EQ(lpResult, Service(i).m_calls[0].lpResult);
        Service(i).m_onCall = nullptr;
    }
    const struct {
        UINT uMsg;
        const char *pszSlot;
    } rows[] = {{WFS_SERVICE_EVENT, "DoServiceEvent"},
                {WFS_USER_EVENT, "DoUserEvent"},
                {WFS_SYSTEM_EVENT, "DoSystemEvent"}};
    for (const auto &row : rows) {
        Deliver(row.uMsg, MakeResult(0, WFS_SYSE_DEVICE_STATUS));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(1, Service(i).Count(row.pszSlot, WFS_SYSE_DEVICE_STATUS)) << row.pszSlot;
    }
    EXPECT_EQ(12u, TotalSeen());
}

// A refresh goes to one instance only; posted last, the barrier behind it
// shows nobody else got one.
TEST_F(RoutingTest, StatusRefreshReachesExactlyOneInstance)
{
    ASSERT_TRUE(PostMessageW(Context()->GetWnd(), WM_TTU_STATUS_REFRESH, 0, 0));
    Deliver(WFS_SYSTEM_EVENT, MakeResult(0, WFS_SYSE_HARDWARE_ERROR));
    int nReceivers = 0;
    for (const auto &spy : m_spies)
        nReceivers += spy->Count(WM_TTU_STATUS_REFRESH);
    EXPECT_EQ(1, nReceivers);
    // The session is closed: the refresh asks nothing of the manager.
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));
}

TEST_F(RoutingTest, MessagesNobodyCanReceiveAreReleased)
{
    // Unknown requests, of a routed and of a broadcast kind.
    Deliver(WFS_EXECUTE_COMPLETE, MakeResult(999, 701));
    Deliver(WFS_EXECUTE_EVENT, MakeResult(999, 703));
    Deliver(WFS_GETINFO_COMPLETE, MakeResult(999, 701));
    EXPECT_EQ(0u, TotalSeen());

    // An owner whose control is gone; a wait for it would otherwise hang.
    Context()->SetRequestOwner(31, 4711);
    Context()->AddPending(31);
    Deliver(WFS_OPEN_COMPLETE, MakeResult(31, 0));
    EXPECT_TRUE(Context()->IsCompleted(31));
    EXPECT_EQ(0u, TotalSeen());

    // No instance window at all.
    m_spies.clear();
    m_instances.clear();
    Context()->SetRequestOwner(32, 1);
    Context()->AddPending(32);
    Deliver(WFS_GETINFO_COMPLETE, MakeResult(32, 701));
    EXPECT_TRUE(Context()->IsCompleted(32));
    Deliver(WFS_SYSTEM_EVENT, MakeResult(0, WFS_SYSE_HARDWARE_ERROR));
}

TEST_F(RoutingTest, DestroyedControlReleasesWhatWasAlreadyRoutedToIt)
{
    // Broadcast to all, then routed to instance 1 behind the broadcast, but
    // not yet dispatched.
    Context()->SetRequestOwner(41, m_instances[1]->Number());
    Context()->SetRequestOwner(42, m_instances[0]->Number());
    Context()->AddPending(42);
    Post(WFS_GETINFO_COMPLETE, MakeResult(42, 701));
    Post(WFS_EXECUTE_COMPLETE, MakeResult(41, 701));
    MSG msg;
    while (PeekMessageW(&msg, Context()->GetWnd(), 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(2, WFMDiagLiveBufferCount());

    m_spies[1].reset();
    m_instances[1]->m_window.Destroy();
    EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
    EXPECT_TRUE(Service(1).m_calls.empty());
    EXPECT_TRUE(Context()->IsCompleted(42));
    EXPECT_EQ(1, Service(0).Count("DoGetInfoComplete"));
    EXPECT_EQ(1, Service(2).Count("DoGetInfoComplete"));

    // A late completion for the destroyed control finds no window.
    Context()->SetRequestOwner(43, m_instances[1]->Number());
    Deliver(WFS_LOCK_COMPLETE, MakeResult(43, 0));
    EXPECT_TRUE(Service(1).m_calls.empty());
}

TEST_F(RoutingTest, ReleasingTheContextReleasesResultsStillQueuedForIt)
{
    Context()->SetRequestOwner(61, m_instances[0]->Number());
    Post(WFS_EXECUTE_COMPLETE, MakeResult(61, 701));
    Post(WFS_SERVICE_EVENT, MakeResult(0, 1));
    m_spies.clear();
    m_instances.clear();
    CTTUContext::ReleaseInstance();
    EXPECT_EQ(0, WFMDiagLiveBufferCount());
    EXPECT_NE(nullptr, Context()->GetWnd());
}

TEST_F(RoutingTest, InstanceWindowsStayHiddenAndTheirClassGoesWithTheLastOne)
{
    wchar_t szClass[64] = {};
    EXPECT_FALSE(IsWindowVisible(m_instances[2]->Wnd()) || IsWindowVisible(Context()->GetWnd()));
    GetClassNameW(m_instances[2]->Wnd(), szClass, 64);
    // A module unloaded and loaded again must not find a class whose
    // procedure points into the old image.
    m_spies.clear();
    m_instances.clear();
    WNDCLASSEXW wc = {sizeof wc};
    EXPECT_FALSE(GetClassInfoExW(CHiddenWindow::GetModuleInstance(), szClass, &wc));
    EXPECT_NE(nullptr, AddInstance().Wnd());
}

} // namespace
