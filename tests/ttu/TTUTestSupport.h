// The TTU service's test support: an event sink that records every event as
// text, a control instance's service half built as the control builds it,
// and a fixture with a fresh context and panel, captured trace lines and a
// check that no XFS buffer is left alive.
#pragma once

#include "CoreTestSupport.h"
#include "TTUEventSink.h"
#include "TTUService.h"
#include "trcutil30.h"
#include "ttusim.h"
#include "XfsClient.h"
#include "xfsttu.h"

// UTF-8 of a wide text, for messages and comparisons.
std::string Utf8(LPCWSTR lpszText);

// Every event as "Name" or "Name(arg,...)", e.g. "FatalError(CMD_TTU_BEEP,-13)".
class RecordingSink : public CTTUEventSink {
public:
    std::vector<std::string> m_events;
    // Runs inside the firing, after the event was recorded.
    std::function<void(const std::string &)> m_onEvent;

#define ZT_EVENT(name, params, ...) \
    void Fire##name params override { Add(#name, {__VA_ARGS__}); }
    ZT_EVENT(FatalError, (LPCWSTR a, LONG r), Utf8(a), std::to_string(r))
    ZT_EVENT(DeviceError, (LPCWSTR a, LONG r), Utf8(a), std::to_string(r))
    ZT_EVENT(LockGranted, ())
    ZT_EVENT(LockReleased, ())
    ZT_EVENT(LockTimeout, ())
    ZT_EVENT(Timeout, ())
    ZT_EVENT(ReadFormComplete, ())
    ZT_EVENT(ReadCancelled, ())
    ZT_EVENT(UserCancelled, ())
    ZT_EVENT(ReadComplete, (LPCWSTR d), Utf8(d))
    ZT_EVENT(DeviceStatusChanged, (LPCWSTR v), Utf8(v))
    ZT_EVENT(KeyboardStatusChanged, (LPCWSTR v), Utf8(v))
    ZT_EVENT(KeylockStatusChanged, (LPCWSTR v), Utf8(v))
    ZT_EVENT(LEDStatusChanged, (SHORT i, LPCWSTR v), std::to_string(i), Utf8(v))
    ZT_EVENT(DisplaySizeXStatusChanged, (SHORT v), std::to_string(v))
    ZT_EVENT(DisplaySizeYStatusChanged, (SHORT v), std::to_string(v))
    ZT_EVENT(FieldError, (LPCWSTR f, LPCWSTR n, SHORT c), Utf8(f), Utf8(n), std::to_string(c))
    ZT_EVENT(FieldWarning, (LPCWSTR f, LPCWSTR n, SHORT c), Utf8(f), Utf8(n), std::to_string(c))
    ZT_EVENT(TTUKeyPressed, (LPCWSTR k, SHORT u, SHORT c), Utf8(k), std::to_string(u), std::to_string(c))
    ZT_EVENT(ResetComplete, ())
    ZT_EVENT(BeepComplete, ())
    ZT_EVENT(ClearScreenComplete, ())
    ZT_EVENT(DisplayLightComplete, ())
    ZT_EVENT(WriteComplete, ())
    ZT_EVENT(WriteFormComplete, ())
#undef ZT_EVENT

private:
    void Add(const char *pszName, std::initializer_list<std::string> args);
};

// The service half of one control instance.
struct PanelInstance {
    RecordingSink m_sink;
    CTTUService m_service{&m_sink};
    InstanceWindow m_window{m_service};
    CTTUService &Service() { return m_service; }
    std::vector<std::string> &Events() { return m_sink.m_events; }
};

class PanelTest : public InstanceTest<PanelInstance> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The instance's events once it has n of them and every answer the
    // panel sent before a status query made now has been handled: later
    // events would have come before the barrier.
    std::vector<std::string> Settled(PanelInstance &instance, size_t n);
    // Until the instance has n events.
    bool WaitForEvents(PanelInstance &instance, size_t n);
    // A completion handed to the service as its instance window hands it on.
    static void Deliver(CTTUService &service, UINT uMsg, DWORD dwCode, HRESULT hr, LPVOID lpBuffer);
};
