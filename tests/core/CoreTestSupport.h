// The session core's test doubles: a CService that records its handler
// calls, a control instance's window registered the way the control does it,
// a spy on a window's messages, and a fixture with a fresh context per test.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MessagePump.h"
#include "Service.h"
#include "TTUContext.h"
#include "TTUMsgWnd.h"
#include "TraceCapture.h"
#include "xfsapi.h"
#include "xfsdiag.h"

// One handler call as the service saw it.
struct HandlerCall {
    std::string strSlot;
    LPWFSRESULT lpResult;
    REQUESTID RequestID;
    HRESULT hResult;
    DWORD dwCode;
};

class RecordingService : public CService {
public:
    void ResetDeviceInfo() override { ++m_nResets; }
    void OnExecuteIssued(DWORD dwCommand, LPVOID *, WORD wTag, REQUESTID RequestID) override
    {
        m_calls.push_back({"OnExecuteIssued", nullptr, RequestID, 0, dwCommand});
        m_wLastTag = wTag;
    }
    void DoUserEvent(UINT, LPWFSRESULT *lpp) override { Record("DoUserEvent", lpp); }
    void DoServiceEvent(UINT, LPWFSRESULT *lpp) override { Record("DoServiceEvent", lpp); }
    void DoExecuteEvent(UINT, LPWFSRESULT *lpp) override { Record("DoExecuteEvent", lpp); }
    void DoSystemEvent(UINT, LPWFSRESULT *lpp) override { Record("DoSystemEvent", lpp); }
    void DoGetInfoComplete(UINT, LPWFSRESULT *lpp) override { Record("DoGetInfoComplete", lpp); }
    void DoExecuteComplete(UINT, LPWFSRESULT *lpp) override { Record("DoExecuteComplete", lpp); }
    void DoUnlockComplete(UINT, LPWFSRESULT *lpp) override { Record("DoUnlockComplete", lpp); }
    void DoLockComplete(UINT, LPWFSRESULT *lpp) override { Record("DoLockComplete", lpp); }
    DWORD GetVersionsRequired() override { return 0x00000003; }
    DWORD GetSrvcVersionsRequired() override { return 0x00000103; }
    void GetLogicalName(LPSTR lpszLogicalName) override { lstrcpyA(lpszLogicalName, "OperatorPanel"); }

    // Calls of one slot (and, when dwCode is not 0, of that code).
    int Count(const std::string &strSlot, DWORD dwCode = 0) const;
    using CService::ParseExtra;

    std::vector<HandlerCall> m_calls;
    int m_nResets = 0;
    WORD m_wLastTag = 0;
    // Runs inside the handler, while the result is still alive.
    std::function<void()> m_onCall;

private:
    void Record(const char *pszSlot, LPWFSRESULT *lppResult);
};

// The message window of one control instance, registered in the context
// and given to its service as the control does it.
class InstanceWindow {
public:
    explicit InstanceWindow(CService &service);
    ~InstanceWindow() { Destroy(); }
    HWND Wnd() const { return m_pWnd ? m_pWnd->GetSafeHwnd() : nullptr; }
    int Number() const { return m_nInstance; }
    // As the control's destructor does it.
    void Destroy();

private:
    std::unique_ptr<CTTUMsgWnd> m_pWnd;
    int m_nInstance = 0;
};

struct TestInstance {
    RecordingService m_service;
    InstanceWindow m_window{m_service};
    HWND Wnd() const { return m_window.Wnd(); }
    int Number() const { return m_window.Number(); }
};

// Records the XFS and refresh messages a window receives before its own
// procedure sees them.
class MessageSpy {
public:
    struct Seen {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };
    explicit MessageSpy(HWND hWnd);
    ~MessageSpy() { RemoveWindowSubclass(m_hWnd, SpyProc, 0); }
    int Count(UINT uMsg) const;
    std::vector<Seen> m_seen;
    std::function<void(UINT, LPARAM)> m_hook;

private:
    static LRESULT CALLBACK SpyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR dwSpy);
    HWND m_hWnd;
};

// A result as the XFS manager allocates one, for messages crafted by a test.
LPWFSRESULT MakeResult(REQUESTID RequestID, DWORD dwCode, HRESULT hResult = WFS_SUCCESS);
// A key-press beep through CService::Execute, as a command builder does it.
HRESULT SubmitBeep(CService &service, WORD wTag);
// Calls the process made of the XFS API functions the session core uses.
LONG AnyXfsCalls();

// HKLM\SOFTWARE\Zentrik as a test sets it, removed before and after (a
// test prefix has none of its own).
class ZentrikSettings {
public:
    ZentrikSettings() { RemoveAll(); }
    ~ZentrikSettings() { RemoveAll(); }
    static void Write(LPCWSTR lpszName, DWORD dwValue)
    {
        EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Zentrik", lpszName, REG_DWORD,
                                                 &dwValue, sizeof dwValue));
    }
    static void RemoveAll() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Zentrik"); }
};

// A fresh context per test for tests of Instance (a service with its
// m_service and window); the session closed, the context released and no
// XFS buffer left alive at the end.
template <class Instance>
class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, Context()->GetWnd());
        ASSERT_EQ(0, WFMDiagLiveBufferCount());
        WFMDiagResetCallCounts();
    }
    void TearDown() override
    {
        if (Context()->GetOpened()) {
            Instance closer;
            EXPECT_EQ(WFS_SUCCESS, closer.m_service.CloseSession());
        }
        // Late completions of the test's requests are released by now.
        EXPECT_TRUE(PumpUntil([] { return WFMDiagLiveBufferCount() == 0; }));
        m_instances.clear();
        CTTUContext::ReleaseInstance();
    }
    CTTUContext *Context() const { return CTTUContext::GetInstance(); }
    Instance &AddInstance()
    {
        m_instances.emplace_back(new Instance);
        return *m_instances.back();
    }
    // A new instance that opened the shared session (kept alive).
    Instance &OpenedInstance()
    {
        Instance &instance = AddInstance();
        EXPECT_EQ(WFS_SUCCESS, instance.m_service.OpenSession(10000));
        return instance;
    }

    std::vector<std::unique_ptr<Instance>> m_instances;
};
using CoreTest = InstanceTest<TestInstance>;
