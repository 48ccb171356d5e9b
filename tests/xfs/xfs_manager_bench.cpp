// Prints what one asynchronous request costs through the manager (fake
// provider completing at once, the real message loop), next to one bare
// posted message for scale. Not a test: figures only.
#include "manager_test_support.h"

#include <cstdio>

namespace {

double MicrosecondsPer(int nCount, LARGE_INTEGER start)
{
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return (end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart / nCount;
}

} // namespace

int main()
{
    const int kRounds = 2000;
    WriteTestConfiguration();
    WFSVERSION version, srvc, spi;
    WFSStartUp(3, &version);
    CRecorderWindow recorder;
    HSERVICE hService = 0;
    if (WFSOpen(kFakeService, nullptr, nullptr, 0, 0, 3, &srvc, &spi, &hService) != WFS_SUCCESS) {
        std::printf("open failed\n");
        return 1;
    }

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRounds; ++i) {
        PostMessageW(recorder.Handle(), WM_APP, 0, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    std::printf("bare posted message:            %8.1f us\n", MicrosecondsPer(kRounds, start));

    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRounds; ++i) {
        REQUESTID RequestID = 0;
        WFSAsyncExecute(hService, 701, nullptr, 0, recorder.Handle(), &RequestID);
        size_t nBefore = recorder.Messages().size();
        PumpUntil([&] { return recorder.Messages().size() > nBefore; });
        recorder.FreeAll();
    }
    std::printf("WFSAsyncExecute to completion:  %8.1f us\n", MicrosecondsPer(kRounds, start));

    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRounds; ++i) {
        LPWFSRESULT lpResult = nullptr;
        WFSExecute(hService, 701, nullptr, 0, &lpResult);
        WFSFreeResult(lpResult);
    }
    std::printf("WFSExecute (synchronous):       %8.1f us\n", MicrosecondsPer(kRounds, start));

    WFSClose(hService);
    WFSCleanUp();
    RemoveTestConfiguration();
    std::printf("live buffers at the end: %ld\n", WFMDiagLiveBufferCount());
    return 0;
}
