// Test support for the TTU service: a recording event sink, a control
// instance's service half built the way the control builds it, and a fixture
// that gives every test a fresh context, a fresh panel, captured trace lines
// and a check that no XFS buffer is left alive.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// PumpUntil, PumpFor and CapturedTraceLines of the session core's tests.
#include "CoreTestSupport.h"

#include "TTUContext.h"
#include "TTUEventSink.h"
#include "TTUMsgWnd.h"
#include "TTUService.h"
#include "ttusim.h"
#include "xfsapi.h"
#include "xfsttu.h"

// UTF-8 of a wide text, for messages and comparisons.
std::string Utf8(LPCWSTR lpszText);

// Every event as text: its name and its arguments, e.g.
// "FatalError(CMD_TTU_BEEP,-13)", "LEDStatusChanged(2,QUICK)", "BeepComplete".
class RecordingSink : public CTTUEventSink {
public:
    std::vector<std::string> m_events;
    // Runs inside the firing, after the event was recorded.
    std::function<void(const std::string &)> m_onEvent;

    void Clear() { m_events.clear(); }

    void FireFatalError(LPCWSTR a, LONG r) override { Add("FatalError", Utf8(a), r); }
    void FireDeviceError(LPCWSTR a, LONG r) override { Add("DeviceError", Utf8(a), r); }
    void FireLockGranted() override { Add("LockGranted"); }
    void FireLockReleased() override { Add("LockReleased"); }
    void FireLockTimeout() override { Add("LockTimeout"); }
    void FireTimeout() override { Add("Timeout"); }
    void FireReadFormComplete() override { Add("ReadFormComplete"); }
    void FireReadCancelled() override { Add("ReadCancelled"); }
    void FireUserCancelled() override { Add("UserCancelled"); }
    void FireReadComplete(LPCWSTR d) override { Add("ReadComplete", Utf8(d)); }
    void FireDeviceStatusChanged(LPCWSTR v) override { Add("DeviceStatusChanged", Utf8(v)); }
    void FireKeyboardStatusChanged(LPCWSTR v) override { Add("KeyboardStatusChanged", Utf8(v)); }
    void FireKeylockStatusChanged(LPCWSTR v) override { Add("KeylockStatusChanged", Utf8(v)); }
    void FireLEDStatusChanged(SHORT i, LPCWSTR v) override
    {
        Add("LEDStatusChanged", std::to_string(i), Utf8(v));
    }
    void FireDisplaySizeXStatusChanged(SHORT v) override { Add("DisplaySizeXStatusChanged", v); }
    void FireDisplaySizeYStatusChanged(SHORT v) override { Add("DisplaySizeYStatusChanged", v); }
    void FireFieldError(LPCWSTR f, LPCWSTR n, SHORT c) override
    {
        Add("FieldError", Utf8(f), Utf8(n), std::to_string(c));
    }
    void FireFieldWarning(LPCWSTR f, LPCWSTR n, SHORT c) override
    {
        Add("FieldWarning", Utf8(f), Utf8(n), std::to_string(c));
    }
    void FireTTUKeyPressed(LPCWSTR k, SHORT u, SHORT c) override
    {
        Add("TTUKeyPressed", Utf8(k), std::to_string(u), std::to_string(c));
    }
    void FireResetComplete() override { Add("ResetComplete"); }
    void FireBeepComplete() override { Add("BeepComplete"); }
    void FireClearScreenComplete() override { Add("ClearScreenComplete"); }
    void FireDisplayLightComplete() override { Add("DisplayLightComplete"); }
    void FireWriteComplete() override { Add("WriteComplete"); }
    void FireWriteFormComplete() override { Add("WriteFormComplete"); }

private:
    void Add(const std::string &strName) { Record(strName); }
    void Add(const std::string &strName, const std::string &a) { Record(strName + "(" + a + ")"); }
    void Add(const std::string &strName, const std::string &a, long b)
    {
        Record(strName + "(" + a + "," + std::to_string(b) + ")");
    }
    void Add(const std::string &strName, long a)
    {
        Record(strName + "(" + std::to_string(a) + ")");
    }
    void Add(const std::string &strName, const std::string &a, const std::string &b)
    {
        Record(strName + "(" + a + "," + b + ")");
    }
    void Add(const std::string &strName, const std::string &a, const std::string &b,
             const std::string &c)
    {
        Record(strName + "(" + a + "," + b + "," + c + ")");
    }
    void Record(const std::string &strEvent);
};

// The service half of one control instance: the service with its sink, and
// its message window registered in the context as the control does it.
class PanelInstance {
public:
    PanelInstance();
    ~PanelInstance();
    CTTUService &Service() { return *m_pService; }
    int Number() const { return m_nInstance; }

    RecordingSink m_sink;

private:
    std::unique_ptr<CTTUService> m_pService;
    std::unique_ptr<CTTUMsgWnd> m_pWnd;
    int m_nInstance = 0;
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CTTUContext *Context() const { return CTTUContext::GetInstance(); }
    PanelInstance &AddInstance();
    // A new instance that opened the shared session (kept alive).
    PanelInstance &OpenedInstance();
    // Until every request issued so far has completed and its handler ran.
    void WaitIdle(DWORD dwTimeOut = 5000);
    // Until the sink holds n events.
    bool WaitForEvents(const RecordingSink &sink, size_t n, DWORD dwTimeOut = 5000);

    // Trace lines captured since the test started (or since ClearTrace).
    std::vector<std::string> TraceLines() const;
    void ClearTrace() const;
    // The captured lines that contain the text.
    std::vector<std::string> TraceLinesWith(const std::string &strText) const;
    bool HasTraceLine(const std::string &strLine) const;

    TTUSIMSNAPSHOT Snapshot() const;
    // The panel's display as lines.
    std::vector<std::wstring> Display() const;

    std::vector<std::unique_ptr<PanelInstance>> m_instances;
};
