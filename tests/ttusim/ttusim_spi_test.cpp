// The provider on its own, as any XFS manager drives it: ttusim.dll loaded
// with LoadLibrary, its WFP* entry points called directly with a test
// window. Every accepted request completes exactly once, posted to that
// window, with a result that one WFSFreeResult releases whole.
#include <gtest/gtest.h>

#include "PanelTest.h"
#include "xfsspi.h"

namespace {

class SpiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(TtuSimReset(), WFS_SUCCESS);
        m_hDll = LoadLibraryW(L"ttusim.dll");
        ASSERT_NE(m_hDll, nullptr);
    }
    void TearDown() override
    {
        m_window.FreeAll();
        EXPECT_EQ(WFMDiagLiveBufferCount(), 0) << "a result was not one WFSFreeResult chain";
        TtuSimReset();
        FreeLibrary(m_hDll);
    }
    template <typename F> F Spi(const char *lpszName)
    {
        return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m_hDll, lpszName)));
    }
    // Accepted requests are remembered, to check each completed once.
    HRESULT Accepted(HRESULT hr, REQUESTID id)
    {
        if (hr == WFS_SUCCESS)
            m_accepted.push_back(id);
        return hr;
    }
    HRESULT Open(HSERVICE hService, REQUESTID id)
    {
        WFSVERSION srvc, spi;
        return Accepted(Spi<PFNWFPOPEN>("WFPOpen")(hService, const_cast<LPSTR>("OperatorPanel"), nullptr, nullptr, 0, 0,
                                                  Window(), id, nullptr, 0x03030003, &spi, 3, &srvc),
                        id);
    }
    HRESULT Execute(HSERVICE hService, DWORD dwCommand, LPVOID lpData, REQUESTID id)
    {
        return Accepted(Spi<PFNWFPEXECUTE>("WFPExecute")(hService, dwCommand, lpData, 0, Window(), id), id);
    }
    HRESULT Code(REQUESTID id)
    {
        PumpUntil([&] { return m_window.Completion(id) != nullptr; });
        LPWFSRESULT lpResult = m_window.Completion(id);
        return lpResult ? lpResult->hResult : 1;
    }
    HWND Window() const { return m_window.Handle(); }

    HMODULE m_hDll = nullptr;
    XfsWindow m_window;
    std::vector<REQUESTID> m_accepted;
};

TEST_F(SpiTest, EveryAcceptedRequestCompletesOnceWithFaultsDelaysCancelAndClose)
{
    const HSERVICE hService = 41;
    ASSERT_EQ(Open(hService, 1), WFS_SUCCESS);
    EXPECT_EQ(Open(hService, 2), WFS_ERR_INVALID_HSERVICE); // already open
    EXPECT_EQ(Code(1), WFS_SUCCESS);
    EXPECT_EQ(Accepted(Spi<PFNWFPREGISTER>("WFPRegister")(hService, SYSTEM_EVENTS, Window(), Window(), 3), 3),
              WFS_SUCCESS);
    EXPECT_EQ(Accepted(Spi<PFNWFPLOCK>("WFPLock")(hService, 0, Window(), 4), 4), WFS_SUCCESS);
    EXPECT_EQ(Accepted(Spi<PFNWFPGETINFO>("WFPGetInfo")(hService, WFS_INF_TTU_CAPABILITIES, nullptr, 0,
                                                        Window(), 5), 5),
              WFS_SUCCESS);
    WFSTTUBEEP beep = {WFS_TTU_BEEPKEYPRESS};
    ASSERT_EQ(TtuSimFailNext(FALSE, WFS_CMD_TTU_BEEP, 1, WFS_ERR_HARDWARE_ERROR), WFS_SUCCESS);
    EXPECT_EQ(Execute(hService, WFS_CMD_TTU_BEEP, &beep, 6), WFS_SUCCESS);
    EXPECT_EQ(Execute(hService, WFS_CMD_TTU_BEEP, &beep, 7), WFS_SUCCESS);
    EXPECT_EQ(Code(6), WFS_ERR_HARDWARE_ERROR);
    EXPECT_EQ(Code(7), WFS_SUCCESS);
    // Held back, then cancelled by its id; a read that waits for keys, then
    // ended by the close, before the close's own completion.
    ASSERT_EQ(TtuSimDelay(FALSE, WFS_CMD_TTU_BEEP, 60000), WFS_SUCCESS);
    EXPECT_EQ(Execute(hService, WFS_CMD_TTU_BEEP, &beep, 8), WFS_SUCCESS);
    EXPECT_EQ(Spi<PFNWFPCANCELASYNCREQUEST>("WFPCancelAsyncRequest")(hService, 8), WFS_SUCCESS);
    EXPECT_EQ(Code(8), WFS_ERR_CANCELED);
    EXPECT_EQ(Spi<PFNWFPCANCELASYNCREQUEST>("WFPCancelAsyncRequest")(hService, 8), WFS_ERR_INVALID_REQ_ID);
    WFSTTUREAD read = {};
    read.wNumOfChars = 4;
    read.lpszActiveKeys = const_cast<LPSTR>("0123");
    EXPECT_EQ(Execute(hService, WFS_CMD_TTU_READ, &read, 9), WFS_SUCCESS);
    ASSERT_TRUE(PumpUntil([] { return Snapshot().bReadActive != FALSE; }));
    EXPECT_EQ(Accepted(Spi<PFNWFPCLOSE>("WFPClose")(hService, Window(), 10), 10), WFS_SUCCESS);
    EXPECT_EQ(Code(10), WFS_SUCCESS);
    ASSERT_NE(m_window.Completion(9), nullptr);
    EXPECT_EQ(m_window.Completion(9)->hResult, WFS_ERR_CANCELED);
    EXPECT_EQ(Execute(hService, WFS_CMD_TTU_BEEP, &beep, 11), WFS_ERR_INVALID_HSERVICE);
    EXPECT_EQ(Spi<PFNWFPUNLOADSERVICE>("WFPUnloadService")(), WFS_SUCCESS);

    // Anything posted twice would have come before this last session's
    // completions, which close the test.
    ASSERT_EQ(Open(hService + 1, 12), WFS_SUCCESS);
    EXPECT_EQ(Code(12), WFS_SUCCESS);
    ASSERT_EQ(Accepted(Spi<PFNWFPCLOSE>("WFPClose")(hService + 1, Window(), 13), 13), WFS_SUCCESS);
    EXPECT_EQ(Code(13), WFS_SUCCESS);
    for (REQUESTID id : m_accepted)
        EXPECT_EQ(m_window.CountCompletions(id), 1u) << "request " << id;
}

} // namespace
