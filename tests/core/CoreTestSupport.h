// Test doubles and helpers for the session core: a CService that records its
// handler calls, an instance built the way the control builds one, a spy on
// a window's messages, and message pumping.
#pragma once

#include "MessagePump.h"
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Service.h"
#include "TTUContext.h"
#include "TTUMsgWnd.h"
#include "xfsadmin.h"
#include "xfsapi.h"

// One handler call as the service saw it.
struct HandlerCall {
    std::string strSlot;
    UINT uMsg;
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
        m_calls.push_back({"OnExecuteIssued", 0, nullptr, RequestID, 0, dwCommand});
        m_wLastTag = wTag;
    }
    void DoUserEvent(UINT uMsg, LPWFSRESULT *lpp) override { Record("DoUserEvent", uMsg, lpp); }
    void DoServiceEvent(UINT uMsg, LPWFSRESULT *lpp) override { Record("DoServiceEvent", uMsg, lpp); }
    void DoExecuteEvent(UINT uMsg, LPWFSRESULT *lpp) override { Record("DoExecuteEvent", uMsg, lpp); }
    void DoSystemEvent(UINT uMsg, LPWFSRESULT *lpp) override { Record("DoSystemEvent", uMsg, lpp); }
    void DoGetInfoComplete(UINT uMsg, LPWFSRESULT *lpp) override
    {
        Record("DoGetInfoComplete", uMsg, lpp);
    }
    void DoExecuteComplete(UINT uMsg, LPWFSRESULT *lpp) override
    {
        Record("DoExecuteComplete", uMsg, lpp);
    }
    void DoUnlockComplete(UINT uMsg, LPWFSRESULT *lpp) override
    {
        Record("DoUnlockComplete", uMsg, lpp);
    }
    void DoLockComplete(UINT uMsg, LPWFSRESULT *lpp) override { Record("DoLockComplete", uMsg, lpp); }
    DWORD GetVersionsRequired() override { return 0x00000003; }
    DWORD GetSrvcVersionsRequired() override { return 0x00000103; }
    void GetLogicalName(LPSTR lpszLogicalName) override
    {
        lstrcpyA(lpszLogicalName, m_strLogicalName.c_str());
    }

    // Calls of one slot (and, when dwCode is not 0, of that command code or
    // category).
    int Count(const std::string &strSlot, DWORD dwCode = 0) const;
    const std::vector<HandlerCall> &Calls() const { return m_calls; }
    void Clear() { m_calls.clear(); }

    using CService::ParseExtra;

    std::vector<HandlerCall> m_calls;
    std::string m_strLogicalName = "OperatorPanel";
    int m_nResets = 0;
    WORD m_wLastTag = 0;
    // Runs inside the handler, while the result is still alive.
    std::function<void(const HandlerCall &)> m_onCall;

private:
    void Record(const char *pszSlot, UINT uMsg, LPWFSRESULT *lppResult);
};

// A control instance's core half, built and torn down in the order the
// control uses: window first, then registration in the context.
class TestInstance {
public:
    TestInstance();
    ~TestInstance();
    HWND Wnd() const { return m_pWnd ? m_pWnd->GetSafeHwnd() : nullptr; }
    int Number() const { return m_nInstance; }
    // Destroys the window as the control's destructor does, keeping the
    // service object alive so tests can look at it.
    void DestroyWindowAndUnregister();

    RecordingService m_service;

private:
    std::unique_ptr<CTTUMsgWnd> m_pWnd;
    int m_nInstance = 0;
};

// Records the XFS and refresh messages a window receives, then passes them
// on to the window's own procedure. The hook runs before the window's
// procedure sees the message.
class MessageSpy {
public:
    struct Seen {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };
    explicit MessageSpy(HWND hWnd);
    ~MessageSpy();
    int Count(UINT uMsg) const;
    std::vector<Seen> m_seen;
    std::function<void(UINT, WPARAM, LPARAM)> m_hook;

private:
    static LRESULT CALLBACK SpyProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    HWND m_hWnd;
    WNDPROC m_pfnOriginal;
};


// A result as the XFS manager allocates one, for messages crafted by a test.
LPWFSRESULT MakeResult(REQUESTID RequestID, DWORD dwCode, HRESULT hResult = WFS_SUCCESS);

// Submits a key-press beep through CService::Execute, as a command builder
// does: command data in a manager buffer, freed once submitted.
HRESULT SubmitBeep(CService &service, WORD wTag);

// Sum of the manager's call counters of these API functions.
LONG XfsCalls(std::initializer_list<const char *> functions);
LONG AnyXfsCalls();

// The captured trace lines, without the final newline.
std::vector<std::string> CapturedTraceLines();

// Every test starts with a fresh context and ends with the session closed,
// the context released and no XFS buffer left alive.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    CTTUContext *Context() const { return CTTUContext::GetInstance(); }
    // Opens the shared session through a fresh instance (kept alive).
    TestInstance &OpenedInstance();

    std::vector<std::unique_ptr<TestInstance>> m_instances;
    TestInstance &AddInstance();
};
