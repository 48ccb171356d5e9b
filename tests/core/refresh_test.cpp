// The status refresh between processes: after an execute completion or
// execute event, every other process's context window gets
// WM_TTU_STATUS_REFRESH and, if its session is open, queries the status once
// for all its instances. The program relaunches itself as the peer process.
#include <cstring>
#include <string>

#include "CoreTestSupport.h"
#include "ttusim.h"
#include "xfsdiag.h"
#include "xfsttu.h"

namespace {

const char kPeerSwitch[] = "--refresh-peer";
const DWORD kPeerTimeOut = 20000;

// What a peer saw, packed into its exit code.
struct PeerReport {
    int nStatusQueries;   // WFSAsyncGetInfo calls after it was ready
    int nRefreshes;       // WM_TTU_STATUS_REFRESH received by its instances
    int nFirstAnswers;    // status answers seen by its first instance
    int nSecondAnswers;   // ... and by its second
    bool bLeaked;         // results still alive at its end

    DWORD Pack() const
    {
        return static_cast<DWORD>(nStatusQueries & 0xF) | (nRefreshes & 0xF) << 4 |
               (nFirstAnswers & 0xF) << 8 | (nSecondAnswers & 0xF) << 12 |
               (bLeaked ? 1u : 0u) << 16;
    }
    static PeerReport Unpack(DWORD dwCode)
    {
        return {static_cast<int>(dwCode & 0xF), static_cast<int>(dwCode >> 4 & 0xF),
                static_cast<int>(dwCode >> 8 & 0xF), static_cast<int>(dwCode >> 12 & 0xF),
                (dwCode >> 16 & 1) != 0};
    }
};
const DWORD kPeerFailed = 0xFF000000;

// The peer: two instances, the session open or not, ready for the refresh.
DWORD RunPeer(bool bOpen, LPCSTR lpszReady, LPCSTR lpszDone)
{
    HANDLE hReady = OpenEventA(EVENT_MODIFY_STATE, FALSE, lpszReady);
    HANDLE hDone = OpenEventA(SYNCHRONIZE, FALSE, lpszDone);
    if (!hReady || !hDone)
        return kPeerFailed;
    PeerReport report = {};
    {
        CTTUContext::GetInstance();
        TestInstance first, second;
        if (bOpen && first.m_service.OpenSession(10000) != WFS_SUCCESS)
            return kPeerFailed | 1;
        MessageSpy firstSpy(first.Wnd()), secondSpy(second.Wnd());
        first.m_service.m_calls.clear();
        second.m_service.m_calls.clear();
        WFMDiagResetCallCounts();
        SetEvent(hReady);

        PumpUntil([&] { return WaitForSingleObject(hDone, 0) == WAIT_OBJECT_0; }, kPeerTimeOut);
        auto answers = [](TestInstance &instance) {
            return instance.m_service.Count("DoGetInfoComplete", WFS_INF_TTU_STATUS);
        };
        auto refreshes = [&] {
            return firstSpy.Count(WM_TTU_STATUS_REFRESH) + secondSpy.Count(WM_TTU_STATUS_REFRESH);
        };
        PumpUntil([&] { return refreshes() > 0 && (!bOpen || (answers(first) && answers(second))); },
                  5000);
        PumpFor(200); // a second refresh or query would show up here
        report.nStatusQueries = WFMDiagCallCount("WFSAsyncGetInfo");
        report.nRefreshes = refreshes();
        report.nFirstAnswers = answers(first);
        report.nSecondAnswers = answers(second);
        if (bOpen)
            first.m_service.CloseSession();
    }
    CTTUContext::ReleaseInstance();
    report.bLeaked = WFMDiagLiveBufferCount() != 0;
    return report.Pack();
}

class Peer {
public:
    Peer(bool bOpen, const std::wstring &strTag)
    {
        std::wstring strBase = L"Local\\ZtCoreRefresh" + std::to_wstring(GetCurrentProcessId()) + strTag;
        m_strReady = strBase + L"Ready";
        m_strDone = strBase + L"Done";
        m_hReady = CreateEventW(nullptr, TRUE, FALSE, m_strReady.c_str());
        m_hDone = CreateEventW(nullptr, TRUE, FALSE, m_strDone.c_str());
        wchar_t szExe[MAX_PATH];
        GetModuleFileNameW(nullptr, szExe, MAX_PATH);
        std::wstring strCommand = L"\"" + std::wstring(szExe) + L"\" --refresh-peer " +
                                  (bOpen ? L"open " : L"closed ") + m_strReady + L" " + m_strDone;
        STARTUPINFOW si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &si, &pi)) {
            CloseHandle(pi.hThread);
            m_hProcess = pi.hProcess;
        }
    }
    ~Peer()
    {
        if (m_hProcess) {
            SetEvent(m_hDone);
            if (WaitForSingleObject(m_hProcess, kPeerTimeOut) != WAIT_OBJECT_0)
                TerminateProcess(m_hProcess, 1);
            CloseHandle(m_hProcess);
        }
        CloseHandle(m_hReady);
        CloseHandle(m_hDone);
    }
    bool WaitReady() const
    {
        HANDLE handles[] = {m_hReady, m_hProcess};
        return m_hProcess &&
               WaitForMultipleObjects(2, handles, FALSE, kPeerTimeOut) == WAIT_OBJECT_0;
    }
    DWORD Finish()
    {
        SetEvent(m_hDone);
        DWORD dwCode = kPeerFailed;
        if (WaitForSingleObject(m_hProcess, kPeerTimeOut) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_hProcess, &dwCode);
        return dwCode;
    }

private:
    std::wstring m_strReady, m_strDone;
    HANDLE m_hReady = nullptr, m_hDone = nullptr, m_hProcess = nullptr;
};

class RefreshTest : public CoreTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, TtuSimReset());
        CoreTest::SetUp();
    }
};

TEST_F(RefreshTest, ExecuteCompletionMakesEachOtherProcessQueryOnceForAllItsInstances)
{
    TestInstance &instance = OpenedInstance();
    MessageSpy ownContext(Context()->GetWnd());
    Peer opened(true, L"A"), closed(false, L"B");
    ASSERT_TRUE(opened.WaitReady());
    ASSERT_TRUE(closed.WaitReady());
    WFMDiagResetCallCounts();

    ASSERT_EQ(WFS_SUCCESS, SubmitBeep(instance.m_service, 0));
    ASSERT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoExecuteComplete") == 1; }));
    // A refresh of itself would be queued before this barrier.
    ASSERT_TRUE(PostMessageW(Context()->GetWnd(), WFS_SYSTEM_EVENT, 0,
                             reinterpret_cast<LPARAM>(MakeResult(0, WFS_SYSE_HARDWARE_ERROR))));
    ASSERT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
    EXPECT_EQ(0, ownContext.Count(WM_TTU_STATUS_REFRESH)) << "no refresh of itself";
    EXPECT_EQ(0, WFMDiagCallCount("WFSAsyncGetInfo"));

    DWORD dwOpened = opened.Finish();
    DWORD dwClosed = closed.Finish();
    ASSERT_EQ(0u, dwOpened & kPeerFailed) << std::hex << dwOpened;
    ASSERT_EQ(0u, dwClosed & kPeerFailed) << std::hex << dwClosed;
    PeerReport withSession = PeerReport::Unpack(dwOpened);
    EXPECT_EQ(1, withSession.nRefreshes);
    EXPECT_EQ(1, withSession.nStatusQueries);
    EXPECT_EQ(1, withSession.nFirstAnswers);
    EXPECT_EQ(1, withSession.nSecondAnswers);
    EXPECT_FALSE(withSession.bLeaked);
    PeerReport withoutSession = PeerReport::Unpack(dwClosed);
    EXPECT_EQ(1, withoutSession.nRefreshes);
    EXPECT_EQ(0, withoutSession.nStatusQueries);
    EXPECT_FALSE(withoutSession.bLeaked);
}

// A second window of the context class in this process stands in for
// another process's context window.
TEST_F(RefreshTest, OnlyExecuteCompletionsAndEventsNotifyOtherContextWindows)
{
    TestInstance &instance = OpenedInstance();
    HWND hForeign = CreateWindowExW(0, Context()->GetWndClass(), L"foreign", WS_OVERLAPPEDWINDOW,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    nullptr, nullptr, CHiddenWindow::GetModuleInstance(), nullptr);
    ASSERT_NE(nullptr, hForeign);
    {
        MessageSpy foreign(hForeign);
        MessageSpy own(Context()->GetWnd());

        ASSERT_EQ(WFS_SUCCESS, instance.m_service.Lock(0));
        ASSERT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoLockComplete") == 1; }));
        ASSERT_EQ(WFS_SUCCESS, instance.m_service.Unlock());
        ASSERT_TRUE(PumpUntil([&] { return instance.m_service.Count("DoUnlockComplete") == 1; }));
        // The beep's refresh is the first the foreign window gets.
        ASSERT_EQ(WFS_SUCCESS, SubmitBeep(instance.m_service, 0));
        ASSERT_TRUE(PumpUntil([&] { return foreign.Count(WM_TTU_STATUS_REFRESH) == 1; }));
        EXPECT_EQ(1u, foreign.m_seen.size());
        EXPECT_EQ(1, instance.m_service.Count("DoExecuteComplete"));
        EXPECT_EQ(0, own.Count(WM_TTU_STATUS_REFRESH));
        for (const auto &seen : foreign.m_seen)
            EXPECT_TRUE(seen.wParam == 0 && seen.lParam == 0);
    }
    DestroyWindow(hForeign);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], kPeerSwitch) == 0)
        return static_cast<int>(RunPeer(std::strcmp(argv[2], "open") == 0, argv[3], argv[4]));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
