/*
 * The WFM buffers: every block handed to an application or a provider by
 * WFMAllocateBuffer/WFMAllocateMore, with the chains that tie blocks to their
 * original buffer. Only blocks this heap handed out are ever freed: a foreign
 * or stale pointer is refused with a code instead of corrupting memory, which
 * is also what lets the manager check a provider's results before touching
 * them.
 */
#ifndef ZT_XFS_MANAGER_BUFFERHEAP_H
#define ZT_XFS_MANAGER_BUFFERHEAP_H

#include <windows.h>

#include <unordered_set>

class CBufferHeap {
public:
    static CBufferHeap &Instance();

    // The WFM entry points. Allocations made through them count towards the
    // armed failure (WFMDiagFailAllocation).
    HRESULT Allocate(ULONG ulSize, ULONG ulFlags, LPVOID *lppvData);
    HRESULT AllocateMore(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData);
    HRESULT Free(LPVOID lpvData);

    // The manager's own results (cancellations): never failed on purpose, so
    // an injected failure aimed at the application or the provider cannot
    // cost a request its completion.
    HRESULT AllocateInternal(ULONG ulSize, LPVOID *lppvData);

    // True when lpvData is the original (first) block of a live chain.
    bool IsLiveOriginal(LPVOID lpvData);

    LONG LiveCount();
    LONGLONG LiveBytes();
    void FailAllocation(LONG nth);

private:
    struct Block;

    CBufferHeap();
    ~CBufferHeap() = delete;
    bool TakeInjectedFailure();
    HRESULT AllocateBlock(ULONG ulSize, ULONG ulFlags, Block *pRoot, LPVOID *lppvData);
    static Block *HeaderOf(LPVOID lpvData);
    static LPVOID DataOf(Block *pBlock);

    CRITICAL_SECTION m_cs;
    std::unordered_set<Block *> m_live;
    LONGLONG m_llLiveBytes = 0;
    LONG m_nFailCountdown = 0;
};

#endif
