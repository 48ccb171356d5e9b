// The provider on its own, as any XFS manager drives it: its WFP* entry
// points called directly with a test window. Every accepted request
// completes exactly once, posted to that window, with a result that one
// WFSFreeResult releases whole.
#include <vector>

#include "PanelTest.h"
#include "xfsspi.h"

namespace {

TEST(SpiTest, EveryAcceptedRequestCompletesOnceWithFaultsDelaysCancelAndClose)
{
    ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
    XfsWindow window;
    const HWND hWnd = window.Handle();
    std::vector<REQUESTID> accepted; // to check each completed once
    auto accept = [&](HRESULT hr, REQUESTID id) {
        if (hr == WFS_SUCCESS)
            accepted.push_back(id);
        return hr;
    };
    auto open = [&](HSERVICE hService, REQUESTID id) {
        WFSVERSION srvc, spi;
        return accept(WFPOpen(hService, const_cast<LPSTR>("OperatorPanel"), nullptr, nullptr, 0, 0, hWnd, id,
                              nullptr, 0x03030003, &spi, 3, &srvc),
                      id);
    };
    auto code = [&](REQUESTID id) {
        PumpUntil([&] { return window.Completion(id) != nullptr; });
        return window.Completion(id) ? window.Completion(id)->hResult : 1;
    };
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    const HSERVICE hService = 41;
    ASSERT_EQ(open(hService, 1), WFS_SUCCESS);
    EXPECT_EQ(open(hService, 2), WFS_ERR_INVALID_HSERVICE); // already open
    EXPECT_EQ(code(1), WFS_SUCCESS);
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_HARDWARE_ERROR), WFS_SUCCESS);
    EXPECT_EQ(accept(WFPExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, 3), 3), WFS_SUCCESS);
    EXPECT_EQ(code(3), WFS_ERR_HARDWARE_ERROR);
    // Held back, then cancelled by its id; a read that waits for keys, then
    // ended by the close, before the close's own completion.
    ASSERT_EQ(TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 60000), WFS_SUCCESS);
    EXPECT_EQ(accept(WFPExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, 4), 4), WFS_SUCCESS);
    EXPECT_EQ(WFPCancelAsyncRequest(hService, 4), WFS_SUCCESS);
    EXPECT_EQ(code(4), WFS_ERR_CANCELED);
    EXPECT_EQ(WFPCancelAsyncRequest(hService, 4), WFS_ERR_INVALID_REQ_ID);
    WFSTTUREAD read = {4, 0, 0, 0, 0, 0, FALSE, FALSE, FALSE, const_cast<LPSTR>("0123"), nullptr, nullptr, nullptr};
    EXPECT_EQ(accept(WFPExecute(hService, WFS_CMD_TTU_READ, &read, 0, hWnd, 5), 5), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil(PanelReadActive));
    EXPECT_EQ(accept(WFPClose(hService, hWnd, 6), 6), WFS_SUCCESS);
    EXPECT_EQ(code(6), WFS_SUCCESS);
    ASSERT_NE(window.Completion(5), nullptr);
    EXPECT_EQ(window.Completion(5)->hResult, WFS_ERR_CANCELED);
    EXPECT_EQ(WFPExecute(hService, WFS_CMD_TTU_BEEP, &beep, 0, hWnd, 7), WFS_ERR_INVALID_HSERVICE);

    // Anything posted twice would have come before this last session's
    // completions.
    ASSERT_EQ(open(hService + 1, 8), WFS_SUCCESS);
    EXPECT_EQ(code(8), WFS_SUCCESS);
    ASSERT_EQ(accept(WFPClose(hService + 1, hWnd, 9), 9), WFS_SUCCESS);
    EXPECT_EQ(code(9), WFS_SUCCESS);
    for (REQUESTID id : accepted)
        EXPECT_EQ(window.CountCompletions(id), 1u) << "request " << id;
    window.FreeAll();
    EXPECT_EQ(WFMDiagLiveBufferCount(), 0) << "a result was not one WFSFreeResult chain";
    TtuSimReset();
}

} // namespace
