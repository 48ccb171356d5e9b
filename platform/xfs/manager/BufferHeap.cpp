#include "BufferHeap.h"

#include "CriticalSectionLock.h"

#include <xfsadmin.h>

#include <cstring>
#include <new>

namespace {

// Blocks allocated without WFS_MEM_ZEROINIT are filled with this byte, so a
// caller that forgets to initialise a field meets garbage at once instead of
// a lucky zero.
const BYTE kUninitialisedFill = 0xCD;

} // namespace

// A block's header sits just before the data; the header size is a multiple
// of 16 so the data keeps the alignment of the process heap.
struct alignas(16) CBufferHeap::Block {
    Block *pRoot;  // the original block of the chain (itself for an original)
    Block *pNext;  // the next block chained to the same original
    SIZE_T cbData;
    ULONG ulFlags; // of the original: chained blocks inherit WFS_MEM_ZEROINIT
};

CBufferHeap &CBufferHeap::Instance()
{
    // Never destroyed: providers' threads may still free buffers while the
    // process shuts down.
    static CBufferHeap *pHeap = new CBufferHeap();
    return *pHeap;
}

CBufferHeap::CBufferHeap() { InitializeCriticalSection(&m_cs); }

CBufferHeap::Block *CBufferHeap::HeaderOf(LPVOID lpvData)
{
    return reinterpret_cast<Block *>(static_cast<BYTE *>(lpvData) - sizeof(Block));
}

LPVOID CBufferHeap::DataOf(Block *pBlock) { return reinterpret_cast<BYTE *>(pBlock) + sizeof(Block); }

bool CBufferHeap::TakeInjectedFailure()
{
    if (m_nFailCountdown <= 0)
        return false;
    return --m_nFailCountdown == 0;
}

HRESULT CBufferHeap::AllocateBlock(ULONG ulSize, ULONG ulFlags, Block *pRoot, LPVOID *lppvData)
{
    void *pMemory = HeapAlloc(GetProcessHeap(), 0, sizeof(Block) + ulSize);
    if (!pMemory)
        return WFS_ERR_OUT_OF_MEMORY;
    Block *pBlock = static_cast<Block *>(pMemory);
    try {
        m_live.insert(pBlock);
    } catch (const std::bad_alloc &) {
        HeapFree(GetProcessHeap(), 0, pMemory);
        return WFS_ERR_OUT_OF_MEMORY;
    }
    pBlock->cbData = ulSize;
    pBlock->pNext = nullptr;
    if (pRoot) {
        pBlock->pRoot = pRoot;
        pBlock->ulFlags = pRoot->ulFlags;
        pBlock->pNext = pRoot->pNext;
        pRoot->pNext = pBlock;
    } else {
        pBlock->pRoot = pBlock;
        pBlock->ulFlags = ulFlags;
    }
    std::memset(DataOf(pBlock), (pBlock->ulFlags & WFS_MEM_ZEROINIT) ? 0 : kUninitialisedFill,
                ulSize);
    m_llLiveBytes += ulSize;
    *lppvData = DataOf(pBlock);
    return WFS_SUCCESS;
}

HRESULT CBufferHeap::Allocate(ULONG ulSize, ULONG ulFlags, LPVOID *lppvData)
{
    if (!lppvData)
        return WFS_ERR_INVALID_POINTER;
    *lppvData = nullptr;
    CCriticalSectionLock lock(m_cs);
    if (TakeInjectedFailure())
        return WFS_ERR_OUT_OF_MEMORY;
    return AllocateBlock(ulSize, ulFlags, nullptr, lppvData);
}

HRESULT CBufferHeap::AllocateMore(ULONG ulSize, LPVOID lpvOriginal, LPVOID *lppvData)
{
    if (!lppvData)
        return WFS_ERR_INVALID_POINTER;
    *lppvData = nullptr;
    if (!lpvOriginal)
        return WFS_ERR_INVALID_POINTER;
    CCriticalSectionLock lock(m_cs);
    auto it = m_live.find(HeaderOf(lpvOriginal));
    if (it == m_live.end())
        return WFS_ERR_INVALID_BUFFER;
    if (TakeInjectedFailure())
        return WFS_ERR_OUT_OF_MEMORY;
    // A block chained to a chained block joins the same chain: freeing the
    // original must still release everything built on it.
    return AllocateBlock(ulSize, 0, (*it)->pRoot, lppvData);
}

HRESULT CBufferHeap::AllocateInternal(ULONG ulSize, LPVOID *lppvData)
{
    CCriticalSectionLock lock(m_cs);
    return AllocateBlock(ulSize, WFS_MEM_ZEROINIT, nullptr, lppvData);
}

HRESULT CBufferHeap::Free(LPVOID lpvData)
{
    if (!lpvData)
        return WFS_ERR_INVALID_POINTER;
    CCriticalSectionLock lock(m_cs);
    Block *pBlock = HeaderOf(lpvData);
    // A chained block goes with its original; freeing it alone would leave
    // the chain pointing at freed memory.
    if (m_live.find(pBlock) == m_live.end() || pBlock->pRoot != pBlock)
        return WFS_ERR_INVALID_BUFFER;
    while (pBlock) {
        Block *pNext = pBlock->pNext;
        m_live.erase(pBlock);
        m_llLiveBytes -= pBlock->cbData;
        HeapFree(GetProcessHeap(), 0, pBlock);
        pBlock = pNext;
    }
    return WFS_SUCCESS;
}

bool CBufferHeap::IsLiveOriginal(LPVOID lpvData)
{
    if (!lpvData)
        return false;
    CCriticalSectionLock lock(m_cs);
    Block *pBlock = HeaderOf(lpvData);
    return m_live.find(pBlock) != m_live.end() && pBlock->pRoot == pBlock;
}

LONG CBufferHeap::LiveCount()
{
    CCriticalSectionLock lock(m_cs);
    return static_cast<LONG>(m_live.size());
}

LONGLONG CBufferHeap::LiveBytes()
{
    CCriticalSectionLock lock(m_cs);
    return m_llLiveBytes;
}

void CBufferHeap::FailAllocation(LONG nth)
{
    CCriticalSectionLock lock(m_cs);
    m_nFailCountdown = nth > 0 ? nth : 0;
}
