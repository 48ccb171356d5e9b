// control_bench: what the control costs a terminal application, next to the
// references it is judged against, all measured in this one run:
//  - Beep -> BeepComplete through the registered control (IDispatch and the
//    connection point), against the bare XFS round trip on the same manager
//    and panel;
//  - the same with the trace at its full level, against the trace off;
//  - a CloseSessionSync + OpenSessionSync pair, in posted-message times;
//  - one device status change seen as DeviceStatusChanged by K controls of
//    this process, cost per control against K = 1;
//  - a soak of mixed commands, each waiting for its event: XFS buffers,
//    handles and private bytes before and after.
// Usage: control_bench [soak-count] (default 100000; e.g. 2000 to try).
// Exits non-zero on a failed command or an event that does not come.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <vector>

#include "trcutil30.h"
#include "ttusim.h"
#include "xfsapi.h"
#include "xfsdiag.h"
#include "xfsttu.h"

namespace {

const wchar_t kProgID[] = L"ZTOPERATORPANELX.ZTOperatorPanelXCtrl.1";
const IID kEventsIID = {0x380823a1, 0x714d, 0x47ac, {0x89, 0xd0, 0x2d, 0x22, 0xc5, 0x94, 0x9d, 0x1f}};
const DWORD kEventBoundMs = 30000;
const UINT kBenchMessage = WM_APP + 1;

enum : DISPID {
    DISPID_OPEN = 30, DISPID_CLOSE = 31, DISPID_BEEP = 36, DISPID_CLEAR = 38, DISPID_LIGHT = 39,
    DISPID_WRITE = 46
};
enum : DISPID {
    EV_DEVICE_STATUS = 11, EV_BEEP = 21, EV_CLEAR = 22, EV_LIGHT = 23, EV_WRITE = 24, EV_LAST = 24
};

[[noreturn]] void Fail(const char *pszWhat, long lCode)
{
    std::fprintf(stderr, "control_bench: %s (%ld)\n", pszWhat, lCode);
    std::exit(1);
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// Counts the events of one control by DISPID.
class EventCounter : public IDispatch {
public:
    LONG counts[EV_LAST + 1] = {};

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kEventsIID) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_cRef)); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&m_cRef)); }
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override { *pctinfo = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                        UINT *) override
    {
        if (dispId >= 0 && dispId <= EV_LAST)
            ++counts[dispId];
        return S_OK;
    }

private:
    LONG m_cRef = 1;  // lives on the bench's stack or heap, never freed by COM
};

// One control instance with its event counter advised.
struct Control {
    IDispatch *pDispatch = nullptr;
    IConnectionPoint *pPoint = nullptr;
    DWORD dwCookie = 0;
    EventCounter sink;

    Control()
    {
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(kProgID, &clsid);
        if (SUCCEEDED(hr))
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void **>(&pDispatch));
        IConnectionPointContainer *pContainer = nullptr;
        if (SUCCEEDED(hr))
            hr = pDispatch->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&pContainer));
        if (SUCCEEDED(hr)) {
            hr = pContainer->FindConnectionPoint(kEventsIID, &pPoint);
            pContainer->Release();
        }
        if (SUCCEEDED(hr))
            hr = pPoint->Advise(&sink, &dwCookie);
        if (FAILED(hr))
            Fail("cannot create the registered control or advise its events; run after `make test`", hr);
    }
    ~Control()
    {
        pPoint->Unadvise(dwCookie);
        pPoint->Release();
        pDispatch->Release();
    }

    // A method call with up to four arguments (given first to last).
    long Call(DISPID dispId, std::initializer_list<VARIANT> args = {})
    {
        std::vector<VARIANT> reversed(args.begin(), args.end());
        std::vector<VARIANT> params(reversed.rbegin(), reversed.rend());
        DISPPARAMS dp = {params.data(), nullptr, static_cast<UINT>(params.size()), 0};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = pDispatch->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result,
                                       nullptr, nullptr);
        if (FAILED(hr) || V_VT(&result) != VT_I4)
            Fail("a method call failed", hr);
        return V_I4(&result);
    }
};

VARIANT Long(long lValue)
{
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = lValue;
    return v;
}

VARIANT Short(short nValue)
{
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = nValue;
    return v;
}

// A static string is handed as a BSTR-typed VARIANT without allocation:
// the control copies what it keeps.
struct StaticBstr {
    explicit StaticBstr(const wchar_t *psz) : bstr(SysAllocString(psz)) {}
    ~StaticBstr() { SysFreeString(bstr); }
    VARIANT v() const
    {
        VARIANT var;
        V_VT(&var) = VT_BSTR;
        V_BSTR(&var) = bstr;
        return var;
    }
    BSTR bstr;
};

// Dispatches messages until done() holds; fails after a generous bound.
template <class Done>
void PumpUntil(Done done, const char *pszWhat)
{
    const DWORD dwStart = GetTickCount();
    MSG msg;
    while (!done()) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (GetTickCount() - dwStart > kEventBoundMs)
            Fail(pszWhat, 0);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
}

void Command(Control &control, DISPID dispId, std::initializer_list<VARIANT> args, DISPID event)
{
    const LONG nBefore = control.sink.counts[event];
    const long lResult = control.Call(dispId, args);
    if (lResult != 0)
        Fail("a command was refused", lResult);
    PumpUntil([&] { return control.sink.counts[event] > nBefore; }, "a completion event did not arrive");
}

// --- references ---------------------------------------------------------

LONG g_nBareCompleted = 0;
HRESULT g_hrBareLast = WFS_SUCCESS;
LONG g_nPosted = 0;

LRESULT CALLBACK BenchWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE) {
        const LPWFSRESULT lpResult = reinterpret_cast<LPWFSRESULT>(lParam);
        g_hrBareLast = lpResult->hResult;
        ++g_nBareCompleted;
        WFSFreeResult(lpResult);
        return 0;
    }
    if (uMsg == kBenchMessage) {
        ++g_nPosted;
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void BareRequest(HRESULT hrSubmit)
{
    if (hrSubmit != WFS_SUCCESS)
        Fail("a bare XFS request was refused", hrSubmit);
    const LONG nTarget = g_nBareCompleted + 1;
    PumpUntil([&] { return g_nBareCompleted >= nTarget; }, "a bare XFS completion did not arrive");
    if (g_hrBareLast != WFS_SUCCESS)
        Fail("a bare XFS request failed", g_hrBareLast);
}

// The bare client's beep round trip, as ttu_bench measures it.
double MeasureBareBeep(HWND hWnd, int nCount)
{
    HSERVICE hService = 0;
    REQUESTID requestID = 0;
    WFSVERSION srvcVersion = {}, spiVersion = {};
    BareRequest(WFSAsyncOpen(const_cast<LPSTR>("OperatorPanel"), nullptr, const_cast<LPSTR>("control_bench"), 0,
                             0, &hService, hWnd, 0x00000003, &srvcVersion, &spiVersion, &requestID));
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    for (int i = 0; i < nCount / 10; ++i)
        BareRequest(WFSAsyncExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, &requestID));
    const double dStart = Now();
    for (int i = 0; i < nCount; ++i)
        BareRequest(WFSAsyncExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, &requestID));
    const double dMean = (Now() - dStart) / nCount;
    BareRequest(WFSAsyncClose(hService, hWnd, &requestID));
    return dMean;
}

double MeasurePostedMessage(HWND hWnd, int nCount)
{
    MSG msg;
    const LONG nBefore = g_nPosted;
    const double dStart = Now();
    for (int i = 0; i < nCount; ++i) {
        PostMessageW(hWnd, kBenchMessage, 0, 0);
        GetMessageW(&msg, nullptr, 0, 0);
        DispatchMessageW(&msg);
    }
    const double dMean = (Now() - dStart) / nCount;
    if (g_nPosted - nBefore != nCount)
        Fail("posted messages went astray", g_nPosted - nBefore);
    return dMean;
}

// --- the control's figures ----------------------------------------------

double MeasureControlBeep(Control &control, int nCount)
{
    StaticBstr type(L"KEYPRESS");
    for (int i = 0; i < nCount / 10; ++i)
        Command(control, DISPID_BEEP, {type.v(), Long(0)}, EV_BEEP);
    const double dStart = Now();
    for (int i = 0; i < nCount; ++i)
        Command(control, DISPID_BEEP, {type.v(), Long(0)}, EV_BEEP);
    return (Now() - dStart) / nCount;
}

// The trace level through the environment, re-read by the library.
void SetTraceLevel(const wchar_t *pszLevel)
{
    SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", pszLevel);
    TrcReloadSettings();
}

double MeasureSessionPair(Control &control, int nCount)
{
    const double dStart = Now();
    for (int i = 0; i < nCount; ++i) {
        if (control.Call(DISPID_CLOSE) != 0)
            Fail("CloseSessionSync failed", 0);
        const long lOpen = control.Call(DISPID_OPEN, {Long(30000)});
        if (lOpen != 0)
            Fail("OpenSessionSync failed", lOpen);
    }
    return (Now() - dStart) / nCount;
}

// The mean time for one device status change to reach every one of nControls
// controls as DeviceStatusChanged (the first control is the open one).
double MeasureFanOut(Control &first, int nControls, int nChanges)
{
    std::vector<std::unique_ptr<Control>> others;
    for (int i = 1; i < nControls; ++i)
        others.emplace_back(new Control);
    std::vector<EventCounter *> sinks = {&first.sink};
    for (auto &p : others)
        sinks.push_back(&p->sink);
    auto change = [&](WORD fwDevice) {
        std::vector<LONG> before;
        for (EventCounter *p : sinks)
            before.push_back(p->counts[EV_DEVICE_STATUS]);
        const LONG lResult = TtuSimSetDeviceStatus(fwDevice);
        if (lResult != 0)
            Fail("the panel's device status cannot be set", lResult);
        PumpUntil(
            [&] {
                for (size_t i = 0; i < sinks.size(); ++i)
                    if (sinks[i]->counts[EV_DEVICE_STATUS] == before[i])
                        return false;
                return true;
            },
            "a control did not see DeviceStatusChanged");
    };
    change(WFS_TTU_DEVBUSY);
    change(WFS_TTU_DEVONLINE);
    const double dStart = Now();
    for (int i = 0; i < nChanges; ++i)
        change(i % 2 == 0 ? WFS_TTU_DEVBUSY : WFS_TTU_DEVONLINE);
    const double dMean = (Now() - dStart) / nChanges;
    if (nChanges % 2 != 0)
        change(WFS_TTU_DEVONLINE);
    return dMean;
}

struct ProcessFigures {
    LONG nBuffers;
    DWORD dwHandles;
    SIZE_T cbPrivate;
};

// Wine answers GetProcessHandleCount and PrivateUsage with 0, so both are
// counted directly: every handle value the process table accepts, and every
// committed private region of the address space.
DWORD OpenHandleCount()
{
    DWORD dwCount = 0, dwFlags = 0;
    for (ULONG_PTR value = 4; value < 0x20000; value += 4)
        dwCount += GetHandleInformation(reinterpret_cast<HANDLE>(value), &dwFlags) ? 1 : 0;
    return dwCount;
}

SIZE_T CommittedPrivateBytes()
{
    SIZE_T cbTotal = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const BYTE *p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
         p = static_cast<const BYTE *>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            cbTotal += info.RegionSize;
    }
    return cbTotal;
}

ProcessFigures TakeFigures()
{
    return {WFMDiagLiveBufferCount(), OpenHandleCount(), CommittedPrivateBytes()};
}

void Soak(Control &control, int nCount)
{
    StaticBstr beepType(L"KEYPRESS"), empty(L""), text(L"SOAK"), on(L"ON"), off(L"OFF");
    for (int i = 0; i < nCount; ++i) {
        switch (i % 4) {
        case 0:
            Command(control, DISPID_BEEP, {beepType.v(), Long(0)}, EV_BEEP);
            break;
        case 1:
            Command(control, DISPID_WRITE, {Short(0), Short(0), empty.v(), text.v()}, EV_WRITE);
            break;
        case 2:
            Command(control, DISPID_LIGHT, {(i / 4) % 2 ? on.v() : off.v()}, EV_LIGHT);
            break;
        default:
            Command(control, DISPID_CLEAR, {Short(0), Short(0), Short(4), Short(1)}, EV_CLEAR);
            break;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const int nSoak = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (nSoak < 4)
        Fail("the soak count must be at least 4", nSoak);
    const bool bQuick = nSoak < 100000;
    const int nBeeps = bQuick ? 500 : 3000;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BenchWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZtControlBenchWindow";
    RegisterClassW(&windowClass);
    const HWND hWnd = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
    if (FAILED(OleInitialize(nullptr)))
        Fail("OleInitialize failed", 0);

    // The trace's level as the process found it, restored for the soak.
    wchar_t szLevel[32] = {};
    const bool bHadLevel = GetEnvironmentVariableW(L"ZT_TRACE_LEVEL", szLevel, 32) > 0;

    WFSVERSION version = {};
    const HRESULT hrStart = WFSStartUp(0x00000003, &version);
    if (hrStart != WFS_SUCCESS)
        Fail("WFSStartUp failed", hrStart);
    const double dPosted = MeasurePostedMessage(hWnd, 10000);
    const double dBare = MeasureBareBeep(hWnd, nBeeps);

    ProcessFigures before = {};
    {
        Control control;
        const long lOpen = control.Call(DISPID_OPEN, {Long(30000)});
        if (lOpen != 0)
            Fail("OpenSessionSync failed; run after `make test` in its prefix", lOpen);

        SetTraceLevel(L"-1");
        const double dOff = MeasureControlBeep(control, nBeeps);
        SetTraceLevel(L"9");
        const double dFull = MeasureControlBeep(control, nBeeps);
        SetTraceLevel(L"-1");
        const double dPair = MeasureSessionPair(control, bQuick ? 20 : 100);
        const int nChanges = bQuick ? 4 : 20;
        const double dK1 = MeasureFanOut(control, 1, nChanges);
        const double dK8 = MeasureFanOut(control, 8, nChanges);
        const double dK16 = MeasureFanOut(control, 16, nChanges);
        const double dK64 = MeasureFanOut(control, 64, bQuick ? 2 : 6);

        std::printf("references (this run)\n");
        std::printf("  posted window message                       %9.1f us\n", dPosted);
        std::printf("  bare XFS beep round trip (%d)              %9.1f us\n", nBeeps, dBare);
        std::printf("Beep -> BeepComplete through the control, trace off\n");
        std::printf("  %9.1f us   %.2fx the bare round trip  (target <= 1.5x)\n", dOff, dOff / dBare);
        std::printf("the same, trace at full level (9)\n");
        std::printf("  %9.1f us   %.2fx the trace off        (target <= 1.10x)\n", dFull, dFull / dOff);
        std::printf("CloseSessionSync + OpenSessionSync pair, trace off\n");
        std::printf("  %9.1f us   %.1f posted messages       (target <= 60)\n", dPair, dPair / dPosted);
        std::printf("one device status change -> DeviceStatusChanged on K controls, trace off\n");
        const struct { int k; double d; } fan[] = {{1, dK1}, {8, dK8}, {16, dK16}, {64, dK64}};
        for (const auto &f : fan)
            std::printf("  K = %2d: %9.1f us   per control %.2fx K = 1%s\n", f.k, f.d, f.d / f.k / dK1,
                        f.k == 16 ? "  (target <= 1.5x)" : "");

        SetEnvironmentVariableW(L"ZT_TRACE_LEVEL", bHadLevel ? szLevel : nullptr);
        TrcReloadSettings();
        // Warm-up: every command's first use allocates what it keeps.
        Soak(control, 400);
        before = TakeFigures();
        Soak(control, nSoak);
        const ProcessFigures after = TakeFigures();
        std::printf("%d mixed commands (beep, write, display light, clear screen), each awaited\n", nSoak);
        std::printf("  XFS buffers   %8ld -> %ld\n", before.nBuffers, after.nBuffers);
        std::printf("  handles       %8lu -> %lu\n", before.dwHandles, after.dwHandles);
        std::printf("  private bytes %8lu KiB -> %lu KiB (growth %ld KiB, target < 256)\n",
                    static_cast<unsigned long>(before.cbPrivate / 1024),
                    static_cast<unsigned long>(after.cbPrivate / 1024),
                    static_cast<long>((static_cast<long long>(after.cbPrivate) -
                                       static_cast<long long>(before.cbPrivate)) / 1024));
        control.Call(DISPID_CLOSE);
    }
    std::printf("XFS buffers after the close: %ld\n", WFMDiagLiveBufferCount());
    WFSCleanUp();
    OleUninitialize();
    return 0;
}
