// ttu_bench: what one TTU command costs through the XFS manager and the
// virtual panel, next to what one posted window message costs on the same
// machine. Each BEEP round trip is: WFSAsyncExecute, the provider's work,
// WFS_EXECUTE_COMPLETE posted and dispatched to the window, WFSFreeResult.
#include "xfsapi.h"
#include "xfsdiag.h"
#include "xfsttu.h"

#include <cstdio>

namespace {

const int kBeeps = 10000;
const int kMessages = 10000;
const int kWarmUp = 100;
const UINT kBenchMessage = WM_APP + 1;

struct Counters {
    LONG nCompleted = 0;
    HRESULT hrLast = WFS_SUCCESS;
    LONG nPosted = 0;
};
Counters g_counters;

// Completions are handled as an application would: read, then freed.
LRESULT CALLBACK BenchWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= WFS_OPEN_COMPLETE && uMsg <= WFS_EXECUTE_COMPLETE) {
        const LPWFSRESULT lpResult = reinterpret_cast<LPWFSRESULT>(lParam);
        g_counters.hrLast = lpResult->hResult;
        ++g_counters.nCompleted;
        WFSFreeResult(lpResult);
        return 0;
    }
    if (uMsg == kBenchMessage) {
        ++g_counters.nPosted;
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class Stopwatch {
public:
    Stopwatch()
    {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Microseconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1e6 /
               static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};

// Dispatches messages until nTarget completions have been handled.
bool WaitForCompletions(LONG nTarget)
{
    MSG msg;
    while (g_counters.nCompleted < nTarget) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
            return false;
        DispatchMessageW(&msg);
    }
    return true;
}

HRESULT Request(HRESULT hrSubmit)
{
    if (hrSubmit != WFS_SUCCESS)
        return hrSubmit;
    return WaitForCompletions(g_counters.nCompleted + 1) ? g_counters.hrLast : WFS_ERR_INTERNAL_ERROR;
}

// The mean round trip of nCount beeps, or a negative value on failure.
double MeasureBeeps(HSERVICE hService, HWND hWnd, int nCount)
{
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    REQUESTID requestID = 0;
    Stopwatch stopwatch;
    for (int i = 0; i < nCount; ++i) {
        const HRESULT hr = Request(WFSAsyncExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, &requestID));
        if (hr != WFS_SUCCESS) {
            std::fprintf(stderr, "ttu_bench: beep %d failed with %ld\n", i + 1, static_cast<long>(hr));
            return -1;
        }
    }
    return stopwatch.Microseconds() / nCount;
}

double MeasurePostedMessages(HWND hWnd, int nCount)
{
    MSG msg;
    Stopwatch stopwatch;
    for (int i = 0; i < nCount; ++i) {
        PostMessageW(hWnd, kBenchMessage, 0, 0);
        GetMessageW(&msg, nullptr, 0, 0);
        DispatchMessageW(&msg);
    }
    const double dMean = stopwatch.Microseconds() / nCount;
    return g_counters.nPosted == nCount ? dMean : -1;
}

} // namespace

int main()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BenchWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZtTtuBenchWindow";
    RegisterClassW(&windowClass);
    const HWND hWnd = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);

    WFSVERSION version = {};
    HRESULT hr = WFSStartUp(0x00000003, &version);
    HSERVICE hService = 0;
    REQUESTID requestID = 0;
    WFSVERSION srvcVersion = {};
    WFSVERSION spiVersion = {};
    if (hr == WFS_SUCCESS)
        hr = Request(WFSAsyncOpen(const_cast<LPSTR>("OperatorPanel"), nullptr, const_cast<LPSTR>("ttu_bench"), 0,
                                  0, &hService, hWnd, 0x00000003, &srvcVersion, &spiVersion, &requestID));
    if (hr != WFS_SUCCESS) {
        std::fprintf(stderr, "ttu_bench: cannot open the logical service OperatorPanel (%ld); run it in the "
                             "test prefix after `make test`\n", static_cast<long>(hr));
        return 1;
    }

    const bool bWarm = MeasureBeeps(hService, hWnd, kWarmUp) >= 0;
    const double dBeep = bWarm ? MeasureBeeps(hService, hWnd, kBeeps) : -1;
    const double dMessage = MeasurePostedMessages(hWnd, kMessages);
    Request(WFSAsyncClose(hService, hWnd, &requestID));
    WFSCleanUp();
    if (dBeep < 0 || dMessage <= 0)
        return 1;

    std::printf("WFS_CMD_TTU_BEEP round trip (async execute -> completion handled -> WFSFreeResult)\n");
    std::printf("  mean over %d requests:           %10.1f us\n", kBeeps, dBeep);
    std::printf("posted window message (PostMessage + GetMessage/DispatchMessage)\n");
    std::printf("  mean over %d messages:           %10.1f us\n", kMessages, dMessage);
    std::printf("ratio (beep round trip / posted message): %.1f\n", dBeep / dMessage);
    std::printf("XFS buffers still allocated:              %ld\n", WFMDiagLiveBufferCount());
    return 0;
}
