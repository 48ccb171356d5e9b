// The WFM buffer functions and the leak counter every other test relies on.
#include <xfsadmin.h>
#include <xfsdiag.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class BufferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WFMDiagFailAllocation(0);
        m_nBaseCount = WFMDiagLiveBufferCount();
        m_llBaseBytes = WFMDiagLiveBufferBytes();
    }
    void TearDown() override
    {
        WFMDiagFailAllocation(0);
        EXPECT_EQ(WFMDiagLiveBufferCount(), m_nBaseCount);
        EXPECT_EQ(WFMDiagLiveBufferBytes(), m_llBaseBytes);
    }
    LONG m_nBaseCount = 0;
    LONGLONG m_llBaseBytes = 0;
};

// The WFMFreeBuffer of a chained block is refused: it goes with its
// original, never alone.
TEST_F(BufferTest, ChainsAreFreedWholeThroughTheirFirstBlockOnly)
{
    LPVOID lpOriginal = nullptr, lpMore = nullptr, lpMoreOnMore = nullptr, lpLate = nullptr;
    ASSERT_EQ(WFMAllocateBuffer(100, WFS_MEM_ZEROINIT, &lpOriginal), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateMore(20, lpOriginal, &lpMore), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateMore(3, lpMore, &lpMoreOnMore), WFS_SUCCESS); // joins the same chain
    EXPECT_EQ(WFMDiagLiveBufferCount(), m_nBaseCount + 3);
    EXPECT_EQ(WFMDiagLiveBufferBytes(), m_llBaseBytes + 123);
    for (LPVOID lpChained : {lpMore, lpMoreOnMore})
        EXPECT_EQ(WFMFreeBuffer(lpChained), WFS_ERR_INVALID_BUFFER);
    // The refusals left the chain whole: counted, usable, and still growing
    // from any of its blocks.
    EXPECT_EQ(WFMDiagLiveBufferCount(), m_nBaseCount + 3);
    EXPECT_EQ(WFMDiagLiveBufferBytes(), m_llBaseBytes + 123);
    std::memset(lpMoreOnMore, 'x', 3);
    ASSERT_EQ(WFMAllocateMore(8, lpMore, &lpLate), WFS_SUCCESS);

    EXPECT_EQ(WFMFreeBuffer(lpOriginal), WFS_SUCCESS);
    EXPECT_EQ(WFMDiagLiveBufferCount(), m_nBaseCount);
    EXPECT_EQ(WFMFreeBuffer(lpOriginal), WFS_ERR_INVALID_BUFFER); // freed once
    lpLate = nullptr;
    EXPECT_EQ(WFMAllocateMore(8, lpMore, &lpLate), WFS_ERR_INVALID_BUFFER);
    EXPECT_EQ(lpLate, nullptr);
}

TEST_F(BufferTest, ZeroInitIsHonouredAlsoByChainedBlocks)
{
    LPVOID lpZeroed = nullptr, lpZeroedMore = nullptr, lpRaw = nullptr;
    ASSERT_EQ(WFMAllocateBuffer(64, WFS_MEM_ZEROINIT | WFS_MEM_SHARE, &lpZeroed), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateMore(64, lpZeroed, &lpZeroedMore), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateBuffer(64, 0, &lpRaw), WFS_SUCCESS);
    const BYTE zeros[64] = {};
    EXPECT_EQ(std::memcmp(lpZeroed, zeros, 64), 0);
    EXPECT_EQ(std::memcmp(lpZeroedMore, zeros, 64), 0);
    // Without the flag the block is deliberately not zero, so code that
    // forgets to initialise fails in tests rather than on a terminal.
    EXPECT_NE(std::memcmp(lpRaw, zeros, 64), 0);
    EXPECT_EQ(WFMFreeBuffer(lpZeroed), WFS_SUCCESS);
    EXPECT_EQ(WFMFreeBuffer(lpRaw), WFS_SUCCESS);
}

TEST_F(BufferTest, BadArgumentsAreRefusedWithoutTouchingMemory)
{
    LPVOID lpData = reinterpret_cast<LPVOID>(1);
    EXPECT_EQ(WFMAllocateBuffer(10, 0, nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFMAllocateMore(10, nullptr, &lpData), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(lpData, nullptr);
    EXPECT_EQ(WFMFreeBuffer(nullptr), WFS_ERR_INVALID_POINTER);
    char notOurs[64] = {};
    EXPECT_EQ(WFMFreeBuffer(notOurs + 32), WFS_ERR_INVALID_BUFFER);
    EXPECT_EQ(WFMAllocateMore(10, notOurs + 32, &lpData), WFS_ERR_INVALID_BUFFER);
    EXPECT_EQ(WFSFreeResult(nullptr), WFS_ERR_INVALID_POINTER);
    EXPECT_EQ(WFSFreeResult(reinterpret_cast<LPWFSRESULT>(notOurs + 32)), WFS_ERR_INVALID_RESULT);
    // A zero-sized block is a real, distinct block.
    LPVOID lpEmpty1 = nullptr, lpEmpty2 = nullptr;
    ASSERT_EQ(WFMAllocateBuffer(0, 0, &lpEmpty1), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateBuffer(0, 0, &lpEmpty2), WFS_SUCCESS);
    EXPECT_NE(lpEmpty1, lpEmpty2);
    EXPECT_EQ(WFMFreeBuffer(lpEmpty1), WFS_SUCCESS);
    EXPECT_EQ(WFMFreeBuffer(lpEmpty2), WFS_SUCCESS);
}

TEST_F(BufferTest, TheNthAllocationFailsOnceCountingBothKinds)
{
    LPVOID lpFirst = nullptr, lpSecond = nullptr, lpThird = nullptr, lpFourth = nullptr;
    WFMDiagFailAllocation(3);
    ASSERT_EQ(WFMAllocateBuffer(8, 0, &lpFirst), WFS_SUCCESS);
    ASSERT_EQ(WFMAllocateMore(8, lpFirst, &lpSecond), WFS_SUCCESS);
    EXPECT_EQ(WFMAllocateMore(8, lpFirst, &lpThird), WFS_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(lpThird, nullptr);
    // One shot: the next allocation works again.
    ASSERT_EQ(WFMAllocateBuffer(8, 0, &lpFourth), WFS_SUCCESS);
    EXPECT_EQ(WFMDiagLiveBufferCount(), m_nBaseCount + 3);
    WFMFreeBuffer(lpFirst);
    WFMFreeBuffer(lpFourth);

    WFMDiagFailAllocation(1);
    WFMDiagFailAllocation(0); // disarmed before it struck
    ASSERT_EQ(WFMAllocateBuffer(8, 0, &lpFirst), WFS_SUCCESS);
    WFMFreeBuffer(lpFirst);
}

TEST_F(BufferTest, ProviderThreadsAllocateAndFreeConcurrently)
{
    auto worker = [](LPVOID) WINAPI -> DWORD {
        for (int i = 0; i < 2000; ++i) {
            LPVOID lpData = nullptr, lpMore = nullptr;
            if (WFMAllocateBuffer(16, 0, &lpData) != WFS_SUCCESS ||
                WFMAllocateMore(16, lpData, &lpMore) != WFS_SUCCESS ||
                WFMFreeBuffer(lpData) != WFS_SUCCESS)
                return 1;
        }
        return 0;
    };
    HANDLE hThreads[4];
    for (HANDLE &hThread : hThreads)
        hThread = CreateThread(nullptr, 0, worker, nullptr, 0, nullptr);
    WaitForMultipleObjects(4, hThreads, TRUE, INFINITE);
    for (HANDLE hThread : hThreads) {
        DWORD dwExit = 1;
        GetExitCodeThread(hThread, &dwExit);
        EXPECT_EQ(dwExit, 0u);
        CloseHandle(hThread);
    }
}

} // namespace
